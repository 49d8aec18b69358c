#pragma once
// The export of a chart of accounts to a company's Omie account.
//
// Two ways in: a single chart (CodPlaPadrao, CodEmpresa; the change of posting plan) or a company
// filter (FiltroEmpresas; the export screen), each company's chart in force at the workstation's
// reference. The Omie client lives in the module: the caller hands it in as EnviaOmie. Without it a
// run reports that nothing was sent instead of passing for an export.
//
// What goes to Omie, per company (path /contador/planocontas/, the module's envelope):
//   UPSERT:        every account;
//   REPLACE:       every account, then "ExcluirPlanoContas" {"verificar_configuracoes": "S",
//                  "manter": ["<reduced code>", ...]}: Omie removes its other accounts but those its
//                  own settings use;
//   FORCE_REPLACE: the same with "verificar_configuracoes": "N" (its settings' accounts go too).
// The old chart is removed only once the whole new one is in: the account is never left without a
// chart. A replacement first reads Omie's chart ("ListarContasContabeis" {"pagina": n,
// "registros_por_pagina": 500} answered {"total_de_paginas": N, "contas": [account, ...]}); when Omie
// refuses an account midway, the accounts already sent are put back as that reading found them (or
// removed, "ExcluirContaContabil" {"codigo_conta_integracao": ...}, when they were new), so that Omie
// holds one chart or the other, never a mix; the list says which, and names any account it could not
// put back.
// One account is "UpsertContaContabil" {"codigo_conta_integracao": "<reduced code>", "classificacao":
// "<classification>", "descricao": "<name>", "tipo": "A" | "S"}. A company's export stops at its first
// refusal.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "framework/component/component.h"

namespace vyn {

class TfrStatusProcesso;
class TInconsistencias_VYN;

// One Omie exchange as the module's client answers it: 200 on success, the fault text otherwise.
struct TRetornoEnvioOmie {
  int StatusCode = 0;
  std::string Falha;
  nlohmann::ordered_json Resposta;   // the answer's body, when it was JSON
};

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

  // The companies of a screen run: a code, a comma list of codes, or the Omie companies' subquery
  // (kFiltroEmpresasOmie); anything else is refused.
  static constexpr const char* kFiltroEmpresasOmie = "select BDCODEMP from TEMPRESAS where (BDOMIE = 'TRUE')";
  std::string FiltroEmpresas;
  std::string Metodo = "UPSERT";        // "FORCE_REPLACE", "REPLACE" or "UPSERT"
  bool SomenteContasPreparadas = false;  // only the accounts prepared for the company (TCONTAS_EMPRESA)
  // The progress window of the run, owned by owner (kind as TfrStatusProcesso).
  void SetCriaBarra(TComponent* owner, int tipo);
  // The company's Omie call (company, call, param).
  std::function<TRetornoEnvioOmie(int, const std::string&, const nlohmann::ordered_json&)> EnviaOmie;

  // The confirmation a replacing method needs; empty for UPSERT.
  static std::string getMensagemSimNao(const std::string& metodo);

  // With a company filter: every company of it; else the single chart. Problems go to the list.
  void Execute();

 private:
  void ExecuteEmpresa(int codEmp, int codPla, const std::string& nome);
  // Omie's accounts by reduced code, read before a replacement; false (reported) when Omie refused.
  bool LeContasOmie(int codEmp, const std::string& desc, std::map<std::string, nlohmann::ordered_json>& contas);
  // Puts the accounts sent back as they were before the replacement; answers what Omie holds now.
  std::string DesfazEnvio(int codEmp, const std::vector<nlohmann::ordered_json>& enviadas,
                          const std::map<std::string, nlohmann::ordered_json>& antigas);
  // Removes the Omie accounts that are not among those just sent; false (reported) when refused.
  bool ExcluiContasAntigas(int codEmp, const std::string& desc, const nlohmann::ordered_json& manter);
  // One refusal into the list; estado says what Omie was left with.
  void Recusa(int codEmp, const std::string& desc, const std::string& oque, const TRetornoEnvioOmie& r,
              const std::string& estado);
  TInconsistencias_VYN* lista_ = nullptr;
};

}  // namespace vyn
