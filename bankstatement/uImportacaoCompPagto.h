#pragma once
// The import of bank payment receipts from PDF into the statement under review: reads the receipts
// of the chosen bank's label layouts, writes each receipt into the statement line it pays, has the
// settlement engine link those lines, and splits interest, fines and discounts into multiple
// entries of their own, linked to the one open fiscal installment they settle.
//
// The statement review opens it by class name with its parameter array:
//   0 the review's company edit (TEdit_Codigo_Search_VYN)
//   1 the statement lines (TLancamentoMGR), which must carry besides the statement columns (BDCODEMP,
//     BDCHAVE, BDDATA, BDDEBITO, BDCREDITO, BDVALOR) the receipt columns BDTEMCOMPROVANTE (integer),
//     BDCNPJ (text), BDVALORPAGO, BDVALORORIGINAL, BDJUROS, BDMULTAS, BDDESCONTOS (money); BDLOTE,
//     BDDCTO, BDCOMPL, BDCODTPHI, BDCODTERCEIROD and BDCODTERCEIROC are copied when present
//   2 the multiple-entry data set (not read: the lines manager hands it out)
//   3 the review's settlement engine (TProcessoBaixas, as a shared object)
//   4 the review screen
//   5 the review's bank-account edit (TEdit_Codigo_Search_VYN)
//   6 nil
// Everything is written into those data sets; nothing is posted here.
#include <string>
#include <vector>

#include "framework/core/currency.h"
#include "framework/core/datetime.h"
#include "framework/ui/processo_empresa.h"

namespace vyn {
class TCONF_CONTAS_ONLINEMGR;
class TConsultaGrupoDAO;
class TEdit_Diretorio_Padrao_VYN;
class TLabel;
class TLancamentoMGR;
class TRxRichEdit_VYN;
class TSQLMGR;
class TVZEL_TCONFIG_IMP_PDFMGR;
class TfrStatusProcesso;
}  // namespace vyn

namespace integracao {

class TProcessoBaixas;

// One receipt as printed on its page: amounts with "." between thousands and "," before the cents,
// dates DD/MM/YYYY.
struct TDadosComprovantes {
  std::string CPFCNPJ;
  std::string DataVencimento;
  std::string ValorOriginal;
  std::string Descontos;
  std::string Juros;
  std::string Multas;
  std::string ValorPago;
  std::string DataPgto;
};

// What the receipt import asks of the statement review that opened it: to apply the company's
// preparation rules to the lines, and where that review keeps its Dyq receipts.
class IRevisaoExtratoComprovantes {
 public:
  virtual ~IRevisaoExtratoComprovantes() = default;
  virtual void spRateioCreditoClick(vyn::TComponent* sender) = 0;
  virtual std::string PastaComprovantes() const = 0;
  // Whether its Dyq statement came from Dyq's test environment (where its receipts are too).
  virtual bool AmbienteTesteDYQ() const { return false; }
};

// A receipt's amount text ("1.050,00", "-30,00") as money; False when it is empty or no amount.
bool ValorComprovante(const std::string& texto, vyn::Currency& valor);
// An amount written back into a receipt field: two decimals, no thousands separator ("1000,00").
std::string TextoValorComprovante(vyn::Currency valor);
// The attention message of a receipt whose original value comes out negative (a misread receipt).
std::string AvisoOriginalNegativo(const std::string& data, const std::string& valorPago, vyn::Currency original);

// The parameter array the statement review hands the receipt import.
enum TParamImportacaoCompPagto : int {
  picEmpresa = 0,         // the company edit
  picLinhas,              // the statement lines (TLancamentoMGR)
  picMultiplos,           // the split rows
  picProcessoBaixas,      // the review's settlement engine
  picRevisao,             // the review screen
  picConta,               // the bank account edit
  picReservado,           // nil
};

class TfrImportacaoCompPagto : public vyn::TfrProcesso_Empresa_Padrao_VYN {
 public:
  explicit TfrImportacaoCompPagto(vyn::TComponent* owner = nullptr);
  std::string ClassName() const override { return "TfrImportacaoCompPagto"; }
  bool InheritsFrom(const std::string& class_name) const override;

  vyn::TLabel* lbBanco;
  vyn::TEdit_Codigo_Search_VYN* edCODBANSIS;
  vyn::TSpeedButton* spCODBANSIS;
  vyn::TPanel* pnCODBANSIS;
  vyn::TLabel* lbArquivo;
  vyn::TEdit_Diretorio_Padrao_VYN* edArquivo;   // its chooser is the screen's open-file dialog
  vyn::TRxRichEdit_VYN* rePDF;

  void SetListaObj(const vyn::TListaObj& lista) override;
  void edArquivoChange(vyn::TComponent* sender);

  // The folder the Dyq statement import leaves the statement's receipts in.
  static std::string PastaComprovantesDYQ();

 protected:
  void FormCreate() override;
  void FormShow() override;
  void FormClose(vyn::TCloseAction& action) override;
  void CreateDAO() override {}
  void SelectProcesso() override;
  void ChamaProcesso() override;
  void Processo() override {}
  void FimProcesso() override;

 private:
  // Reading (uImportacaoCompPagto.cpp).
  std::vector<std::string> ArquivosDoProcesso();
  // Fills the review's receipts folder with the receipts Dyq holds for the statement under review.
  void BaixaComprovantesDYQ(const std::string& pasta);
  int64_t ExtratoDYQ() const;
  void LeArquivo(const std::string& arquivo);
  void pCarregaArquivoPDF(const std::string& texto);
  int CodEmp() const;

  // Matching and splitting (uImportacaoCompPagto_Conciliacao.cpp).
  void pProcessaComprovantes();
  // pProcessaComprovantes' steps, undone by it as a whole when one fails.
  void ProcessaComprovantes();
  void LocalizaComprovantes();
  void pGeraMultiplosLancamentos();
  void AvisaRecibosDeOutroFornecedor();
  void DesdobraLinha(vyn::TClientDataSet& multi, int codPlano, int codHist);
  // DesdobraLinha's steps.
  struct TDesdobra;
  bool JaDesdobrada(vyn::TClientDataSet& multi, int64_t codEmp, int64_t chave);
  bool LinhaVinculada(int64_t chave);
  void NovaLinhaDesdobrada(TDesdobra& d, vyn::Currency valor);
  void PostaLinhaDesdobrada(TDesdobra& d, int parte);
  void DesdobraPrincipal(TDesdobra& d);
  void LimpaContrapartida(const TDesdobra& d);
  void DesdobraEncargos(TDesdobra& d);
  int ContaConfigurada(const std::string& classificacao, const char* colunaBusca, int64_t contaLinha,
                       const char* colunaConta, int referencia);
  int ParcelaUnica(bool pagamento, vyn::Currency valor, const std::string& cnpj);
  void pVinculoManualAut(vyn::TClientDataSet& multi, int tipoBaixa);
  int PlanoEmpresa(const char* coluna) const;

  vyn::TLancamentoMGR* FLancamentos = nullptr;
  TProcessoBaixas* FProcessoBaixas = nullptr;
  vyn::TClientDataSet* FMultiLancDAO = nullptr;
  vyn::TComponent* FOwner = nullptr;
  int FCodCta = 0;
  int FCtaDebCre = 0;
  vyn::TConsultaGrupoDAO* FDAOFactory = nullptr;
  bool FDYQ = false;
  vyn::TSQLMGR* FPreparacoesDAO = nullptr;
  bool FRealizouProcesso = false;
  int FComprovantesAplicados = 0;   // receipts of the run that found their line
  vyn::TVZEL_TCONFIG_IMP_PDFMGR* FVZEL_TCONFIG_IMP_PDF = nullptr;
  vyn::TCONF_CONTAS_ONLINEMGR* FConfContas = nullptr;
  vyn::TfrStatusProcesso* FStatus = nullptr;
  std::vector<TDadosComprovantes> FDados;
  bool FControlesDesabilitados = false;
  // The installment the current line's rows are linked to (a bookmark of FDAOFactory; -1 none).
  int64_t FParcelaLinha = -1;
};

}  // namespace integracao
