#pragma once
// The export of a chart of accounts to a company's Omie account. The Omie client is not part of this
// build: a run reports that nothing was sent instead of passing for an export.
#include <string>

#include "framework/component/component.h"

namespace vyn {

class TfrStatusProcesso;
class TInconsistencias_VYN;

class TExportacaoOmieDBMGR : public TComponent {
 public:
  explicit TExportacaoOmieDBMGR(TComponent* owner = nullptr) : TComponent(owner) {}
  static TExportacaoOmieDBMGR* CreateMgr(TComponent* owner) { return owner->Create<TExportacaoOmieDBMGR>(); }
  std::string ClassName() const override { return "TExportacaoOmieDBMGR"; }

  int CodPlaPadrao = 0;            // the chart to export
  std::string CodEmpresa;          // the company, as text
  bool ExportaSomenteAnaliticas = false;
  TfrStatusProcesso* Status = nullptr;
  void SetInconsistencias_VYN(TInconsistencias_VYN* lista) { lista_ = lista; }

  // Adds an attention line under the company: the chart was not sent.
  void Execute();

 private:
  TInconsistencias_VYN* lista_ = nullptr;
};

}  // namespace vyn
