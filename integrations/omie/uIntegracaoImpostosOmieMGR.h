#pragma once
// The Omie tax integration of one company and tax over a range of reference months: issued tax
// guides go to Omie as payables of a supplier standing for the tax, and Omie's payments of those
// payables come back as settlements of the guides through the settlement engine.
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/accounting/integracao_padrao_mgr.h"
#include "framework/host/update_or_insert.h"
#include "framework/livros/livros.h"
#include "framework/ui/dialogs.h"
#include "integrations/omie/uIntegracaoOmie.Base.h"

namespace vyn {
class TLivros;
struct TFonteLancada;
class TEmpresasMGR;
class TImpostoMGR;
class TBloqueioLancamento_VYN;
}  // namespace vyn

namespace integracao {

class TMovimentosFinanceiros;
class TContasAPagar;
class TProcessoBaixas;
struct TDadosBaixaImposto;

// The failure of a scheduled run, carrying the message written to its status row.
class EIntegracaoOmie : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kPrefixoImpostoOmie = "VARKU_IMPOSTO_";
// "VARKU_IMPOSTO_12": the supplier standing for tax 12.
std::string CodigoFornecedorImposto(int codImp);
// "VARKU_IMPOSTO_1_12_345": the payable of guide 345 of tax 12 of company 1.
std::string CodigoContaPagarImposto(int codEmp, int codImp, int chaveDarf);

// The Omie tax screen's engine: whoever runs it (the screen, or the scheduled task) writes under that
// screen's name too, and, as a tax settlement, under the manual-posting screen's.
class TIntegracaoImpostosOmieMGR : public vyn::TIntegracao_Padrao_MGR, public vyn::INomesBloqueio {
 public:
  explicit TIntegracaoImpostosOmieMGR(vyn::TComponent* owner = nullptr);
  ~TIntegracaoImpostosOmieMGR() override;
  std::string ClassName() const override { return "TIntegracaoImpostosOmieMGR"; }
  static TIntegracaoImpostosOmieMGR* CreateMgr(vyn::TComponent* owner);

  bool Inicializa() override;
  void Execute() override;
  std::vector<std::string> NomesBloqueio() const override;

  int Imposto = 0;
  int ReferenciaInicial = 0;
  int ReferenciaFinal = 0;
  bool ExportarProvisoes = false;
  bool ImportarPagamentos = false;
  int Empresa = 0;
  std::string DescricaoImposto;
  int TipoIntegracao = 0;   // 1 export, 2 import, 3 both, 0 nothing
  vyn::TBloqueioLancamento_VYN* BloqueioLancamento_VYN = nullptr;
  vyn::TUnattendedFlag IsTARVO;   // a scheduled task runs the engine; code asks IsUnattended()

  int TotalIntegrado() const { return FTotalIntegrado; }

  // One UPDATE OR INSERT keyed by the scheduler's run key, then the extra columns.
  vyn::TComandoSQL getUpdateTARVO(const std::string& prTabela, const std::vector<std::string>& prCamposAdc,
                                  const std::vector<vyn::TSQLValor>& prValoresAdc,
                                  const std::vector<std::string>& prMatchingAdc) const;
  void AddInconsistencia(const std::string& prInconsistencia);
  void TrataErroOmie(int prStatus, const TJsonOmie& prJSON);

  // Applied to every Omie client the engine makes (address, waits).
  std::function<void(TIntegracaoOmieBase&)> OnPreparaClienteOmie;

 private:
  template <class TCliente>
  TCliente* NovoCliente();
  bool VerificaBloqueio();
  void Exportar();
  // Whether an earlier scheduled run marked the guide exported (any schedule).
  bool GuiaJaExportada(int chaveDarf);
  // Sends the payables, one a request; FListaSQLs holds their status statements in the same order.
  // jaExportadas: the guides skipped because a schedule marked them exported.
  void EnviaLote(const std::vector<TContasAPagar*>& lote, const std::string& descricao, int jaExportadas);
  // The interactive run's lines of the export: payables included, and guides Omie already had.
  void InformaExportacao(const std::string& descricao, int incluidas, int jaNaOmie);
  std::string UpsertFornecedor();
  void Importar();
  // The guide a payment settles, named by our payable's code; -1 when there is none to settle (a
  // payable made elsewhere is reported, never matched by its due date).
  int LocalizaGuia(const TMovimentosFinanceiros& mov, const std::vector<int>& jaBaixadas);
  // Whether the payment's amount and code let it settle guide chave; what refuses it is told.
  bool PagamentoAceito(const TMovimentosFinanceiros& m, int chave);
  // Whether the coded payment m was booked already; a correction of its amount in Omie is told.
  bool PagamentoJaLancado(vyn::TLivros& livros, const TMovimentosFinanceiros& m);
  // Settles the guide of dados by payment f and records f naming the settlement's entry, in one
  // transaction; false when nothing was settled (told by the settlement, or here).
  bool BaixaPagamento(vyn::TLivros& livros, TProcessoBaixas& baixas, const TDadosBaixaImposto& dados,
                      vyn::TFonteLancada& f, vyn::TBloqueioLancamento_VYN* bloqueioBaixa);
  // The scheduled run's mark of a guide settled by its Omie payment.
  vyn::TComandoSQL MarcaGuiaImportada(int chave);
  // Runs the status statements of a scheduled run in one transaction; a failure is reported.
  void ExecutaListaSQLs(size_t quantos);

  std::unique_ptr<vyn::TEmpresasMGR> FEmpresaMGR;
  std::unique_ptr<vyn::TImpostoMGR> FImpostoMGR;
  std::vector<vyn::TComandoSQL> FListaSQLs;
  std::string FAppKey;
  std::string FAppSecreat;
  int FTotalIntegrado = 0;
};

}  // namespace integracao
