#pragma once
// Payments made on the report portal settle the tax guides the company issued: per ticked company
// the portal's payments of the period are matched to an issued guide (company, reference month,
// principal and the tax's report tag) and the guide is settled through the settlement engine.
#include <string>
#include <vector>

#include "framework/host/update_or_insert.h"
#include "framework/livros/livros.h"
#include "framework/ui/processo_padrao.h"
#include "framework/web/vynreport_pagamentos.h"

namespace vyn {
class TEmpresasMGR;
class TSQLMGR;
class TEdit_Codigo_Search_VYN;
class TEdit_Date_Padrao_VYN;
class TLabel;
class TListViewDB_VYN;
class TfrStatusProcesso;
}  // namespace vyn

namespace integracao {

class TfrImportacaoPagamentosVYNReport : public vyn::TfrProcesso_Padrao_VYN, public vyn::INomesBloqueio {
 public:
  explicit TfrImportacaoPagamentosVYNReport(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrImportacaoPagamentosVYNReport"; }
  bool InheritsFrom(const std::string& class_name) const override;
  // Its settlements answer to the manual-posting screen's locks too: at its check of a payment's day and
  // where the settlement and the gate write it.
  std::vector<std::string> NomesBloqueio() const override { return {"frLancamento"}; }

  vyn::TLabel* lbDatIni;
  vyn::TEdit_Date_Padrao_VYN* edDatIni;
  vyn::TLabel* lbDatFin;
  vyn::TEdit_Date_Padrao_VYN* edDatFin;
  vyn::TListViewDB_VYN* lvEmpresas;
  vyn::TEdit_Codigo_Search_VYN* edCODEMP;
  vyn::TEdit_Date_Padrao_VYN* edDataInicialEmissao;
  vyn::TEdit_Date_Padrao_VYN* edDataFinalEmissao;

  // The companies enabled for the portal (all when 0), every one ticked.
  void CommandTextEmp(int codEmp);
  // Matches and settles the payments of one company.
  void RealizaBaixas(int codEmp, const std::vector<vyn::TPagamentos>& pagamentos);
  // Reports one refused payment.
  void AddInconsistencia(int codImp, const vyn::TPagamentos& pagamento, const std::string& mensagem);

  vyn::TEmpresasMGR* DAOEmpresas() const { return FDAOEmpresas; }
  int Empresa = 0;

 protected:
  void FormCreate() override;
  void FormDestroy() override;
  void CreateDAO() override;
  bool PodeIniciarProcesso() override;
  void InicioProcesso() override;
  void SelectProcesso() override {}
  void Processo() override;
  void FimProcesso() override;

 private:
  void AddConferencia(int codImp, const vyn::TPagamentos& pagamento, const std::string& coluna,
                      const vyn::TSQLValor& valor);
  void GravaConferencias();
  // Why the guide under the cursor cannot settle the payment; empty when it can.
  std::string MotivoRecusa(vyn::TSQLMGR& guias, const vyn::TPagamentos& pg) const;
  // Why nothing may be posted on the payment's date (a closing, a zeroing, a lock); empty when it may.
  // The settlement is dated on the payment, so a closed period would be written into otherwise.
  std::string BloqueioDoPagamento(int codEmp, const vyn::TPagamentos& pg) const;

  vyn::TEmpresasMGR* FDAOEmpresas = nullptr;
  vyn::TfrStatusProcesso* FStatusProcesso = nullptr;
  std::vector<vyn::TComandoSQL> FSQLs;
};

}  // namespace integracao
