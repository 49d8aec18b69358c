#pragma once
// The Dyq statement import manager and the users' PDF-folder rows.
//
// TImportacaoDYQMGR loads one released statement (or cash movement) from Dyq and hands it on:
// - to the statement review "TfrConsultaImportacaoExtratoBancario", with its parameter array of 18
//   positions: 0 path edit (empty), 1 the run's inconsistency list, 2 company edit, 3 the statement
//   lines (TLancamentoMGR, in memory: BDCODEMP, BDCHAVE 1..n, BDDATA, BDDEBITO, BDCREDITO, BDVALOR,
//   BDCOMPL, BDDCTO, BDIDWEB (the item's "id"), BDIDEXTRATOWEB, BDCOMPLBANCARIO, BDOBS (the client's
//   "observacao"); the bank side carries the account), 4 nil, 5 the statement's JSON document,
//   6 account edit, 7 the automatic-transaction button, 8/9 start and end date edits, 10 the last
//   key (Integer), 11 nil (no saved links), 12 SubPrepWeb, 13 False, 14 True (from Dyq), 15 False,
//   16 NaoCoincidirSequencia, 17 AmbienteTesteDYQ, 18 the lines not brought; position 4 holds the
//   rules Dyq sent with a bank statement (TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR), nil when none;
// - or, when manual reconciliation is asked, stores the lines in VZEL_EMPRESAS_TEXTRATOBAN (a new
//   copy of the statement replaces the previous one's free lines; lines already reconciled stay with
//   their entries) and opens "TfrProcessoConciliacaoBancaria" with its array of 11.
// Every line must carry a date, a value in cents that is not negative, "tipo" D or C and a positive
// id: one that does not, or whose text is longer than the road keeps, is named and left out (counted
// among the lines not imported), and the others go on. Neither the statement's PDF nor its rules are
// needed for its lines: a failure to bring them is named and the statement goes on.
// The controls of the arrays belong to the manager and live as long as it does.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "framework/core/datetime.h"
#include "framework/data/dao_factory.h"
#include "framework/ui/integracao_padrao.h"
#include "framework/web/dyq_client.h"

namespace vyn {

class TDateTime_VYN;
class TEdit_Codigo_Search_VYN;
class TEdit_Date_Padrao_VYN;
class TEdit_Diretorio_Padrao_VYN;
class TSpeedButton;
class TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR;

// The automatic-matching options of a reconciliation, in the order the screens hand them.
class TFiltroConciliacao : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TFiltroConciliacao"; }
  bool PorData = false;
  bool PorDocumento = false;
  bool PorValor = false;
  bool ConsiderarZeros = false;
};

// TTipoContaExtratoBancario
enum TTipoContaExtratoBancario : int { tceBanco = 1, tceCaixa = 2 };

// The longest bank text or client note a Dyq line keeps: an entry's long complement. The
// reconciliation keeps the bank text in the statement table's column, which is narrower.
inline constexpr size_t kTamanhoTextoLinhaDYQ = 8000;
inline constexpr size_t kTamanhoTextoConciliacaoDYQ = 200;

class TImportacaoDYQMGR : public TComponent, public IIntegracaoMGR {
 public:
  explicit TImportacaoDYQMGR(TComponent* owner = nullptr);
  std::string ClassName() const override { return "TImportacaoDYQMGR"; }
  static TImportacaoDYQMGR* CreateMgr(TComponent* owner) { return owner->Create<TImportacaoDYQMGR>(); }

  void SetCodigoEmpresa(int64_t v) { FCodigoEmpresa = v; }
  void SetIDExtrato(int64_t v) { FIDExtrato = v; }
  void SetNrConta(int64_t v) { FNrConta = v; }
  void SetIniExtrato(TDateTime_VYN* v);
  void SetFimExtrato(TDateTime_VYN* v);
  void SetConciliar(bool v) { FConciliar = v; }
  void SetConciliarPorNrDoc(bool v) { FPorNrDoc = v; }
  void SetConciliarPorValor(bool v) { FPorValor = v; }
  void SetConciliarPorData(bool v) { FPorData = v; }
  void SetConciliarConsiderarZeros(bool v) { FConsiderarZeros = v; }
  void SetGerarTransacao(bool v) { FGerarTransacao = v; }
  void SetAtualizaLista(std::function<void(bool)> f) { FAtualizaLista = std::move(f); }
  void SetSubPrepWeb(bool v) { FSubPrepWeb = v; }
  void SetTipoExtratoBancario(int v) { FTipoExtrato = v; }

  bool ConciliarManualmente = false;
  bool NaoCoincidirSequencia = false;
  bool AmbienteTesteDYQ = false;
  std::string ArquivoExtratoPDF;   // '' none, "NENHUM" the user has no folder, else the target file

  // Read back by the screens and tests.
  int64_t CodigoEmpresa() const { return FCodigoEmpresa; }
  int64_t IDExtrato() const { return FIDExtrato; }
  int64_t NrConta() const { return FNrConta; }
  TDateTime IniExtrato() const { return FIni; }
  TDateTime FimExtrato() const { return FFim; }
  bool Conciliar() const { return FConciliar; }
  bool ConciliarPorNrDoc() const { return FPorNrDoc; }
  bool ConciliarPorValor() const { return FPorValor; }
  bool ConciliarPorData() const { return FPorData; }
  bool ConciliarConsiderarZeros() const { return FConsiderarZeros; }
  bool GerarTransacao() const { return FGerarTransacao; }
  bool SubPrepWeb() const { return FSubPrepWeb; }
  int TipoExtratoBancario() const { return FTipoExtrato; }
  const std::function<void(bool)>& AtualizaLista() const { return FAtualizaLista; }
  int Execucoes() const { return FExecucoes; }
  // Lines of the last statement left out (named in the run's list).
  int NaoTrazidas() const { return FNaoTrazidas; }

  // The client it asks (tests point it at a fake).
  TRetornaMetodoDYQ Cliente;

  void ExecutaIntegracao(TInconsistencias_VYN& inconsistencias) override;

 private:
  void PreparaControles();
  nlohmann::json LinhasTrazidas(nlohmann::json recebidas, bool conciliacao, TInconsistencias_VYN& inconsistencias);
  void GravaPDF(TInconsistencias_VYN& inconsistencias);
  void TrazPreparacoes(TInconsistencias_VYN& inconsistencias);
  void AbreRevisao(const nlohmann::json& linhas, TInconsistencias_VYN& inconsistencias);
  void AbreConciliacao(const nlohmann::json& linhas);

  int64_t FCodigoEmpresa = 0, FIDExtrato = 0, FNrConta = 0;
  TDateTime FIni, FFim;
  bool FConciliar = false, FPorNrDoc = false, FPorValor = false, FPorData = false, FConsiderarZeros = false;
  bool FGerarTransacao = false, FSubPrepWeb = false;
  int FTipoExtrato = tceBanco;
  std::function<void(bool)> FAtualizaLista;
  int FExecucoes = 0;
  int FNaoTrazidas = 0;
  TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR* FPreparacoes = nullptr;   // owned: the rules of the statement

  TEdit_Codigo_Search_VYN* edEmpresa = nullptr;
  TEdit_Codigo_Search_VYN* edConta = nullptr;
  TEdit_Date_Padrao_VYN* edIni = nullptr;
  TEdit_Date_Padrao_VYN* edFim = nullptr;
  TEdit_Diretorio_Padrao_VYN* edArquivo = nullptr;
  TSpeedButton* spTransacao = nullptr;
  TFiltroConciliacao* filtro = nullptr;
  nlohmann::json documento_;
};

// A statement line of Dyq's answer: the value (a decimal text with a point, or a number) as money.
Currency ValorLinhaDYQ(const nlohmann::json& linha);

class TLancamentoMGR;
// Statement lines in memory as the statement review takes them (BDCODEMP, BDCHAVE, BDDATA,
// BDDEBITO, BDCREDITO, BDVALOR, BDCOMPL, BDDCTO), and one line added: money out (saida) credits
// the bank account, money in debits it.
TLancamentoMGR* CriaLinhasExtrato(TComponent* owner);
void AdicionaLinhaExtrato(TLancamentoMGR& linhas, int64_t empresa, int chave, TDateTime data, bool saida,
                          int64_t conta, Currency valor, const std::string& compl_, const std::string& dcto);

// The users' PDF folders.
class TVZEL_USU_DYQ_DIRETORIOMGR : public TMgr<TVZEL_USU_DYQ_DIRETORIOMGR> {
 public:
  explicit TVZEL_USU_DYQ_DIRETORIOMGR(TComponent* owner = nullptr, bool = true)
      : TMgr(owner, "VZEL_USU_DYQ_DIRETORIO") {}
  std::string ClassName() const override { return "TVZEL_USU_DYQ_DIRETORIOMGR"; }
  // Leaves the user's row current; no row when the user has none.
  void getConsulta(int codUsuario);
};

}  // namespace vyn
