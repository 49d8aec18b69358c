#pragma once
// The settlement engine shared by the import screens and the tax-payment integrations: links imported
// entries to open obligations (tax guides, payroll/tax calculations, fiscal installments), has the
// settlement managers post each settlement at import and flags the entries it settled.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/accounting/baixa_adicional.h"
#include "framework/accounting/natureza_dinheiro.h"
#include "framework/core/currency.h"
#include "framework/core/datetime.h"
#include "framework/livros/livros.h"

namespace vyn {
class TComponent;
class TClientDataSet;
class TDatabase;
class TDataSource;
class TDAOFactory;
class TSQLMGR;
class TEdit_Codigo_Search_VYN;
class TInconsistencias_VYN;
class TLancamentoMGR;
class TDARFGERPGTOMGR;
class TBloqueioLancamento_VYN;
}  // namespace vyn

namespace integracao {

// A paid tax guide settled without an imported entry.
struct TDadosBaixaImposto {
  bool Utilizado = false;
  int CodigoEmpresa = 0;
  vyn::TDateTime DataPagamento;
  int PlanoOnline = 0;
  int ChaveConfOnline = 0;
  int ContaContabilCredito = 0;
  std::string NumeroDocumento;
  std::string CodigoDarf;
  // What the payment paid; zero: the guide's open balance (a payment that names no amount).
  vyn::Currency ValorPago;
};

// Kinds of obligation of a link row (BDTIPO_BAIXA).
enum TTipoBaixaVinculo : int { tbvGuia = 0, tbvCalculo = 1, tbvParcela = 2 };

// Text keys by which the managers select obligations; numbers in plain decimal.
std::string ChaveGuia(int64_t codEmp, const std::string& codigoDarf);                     // "1......55.."
std::string ChaveCalculo(int64_t planoOnline, int64_t codEmp, int64_t baixaId);           // "7.1.....300"
std::string ChaveParcela(int64_t codEmp, int64_t baixaId, int ordem, int livro);          // "1...12.3.1"
// Joined with '|': company, document, installment, nature code of the installment and the entry key.
std::string ChaveParcelaLancada(int64_t codEmp, int64_t chave, const std::string& parcela,
                                const std::string& natureza, int64_t chaveLancamento);

// A settled line's parts in its record: one per settlement entry, with what that entry booked of it.
std::vector<vyn::TParteFonte> PartesPorLancamento(const std::map<int, vyn::Currency>& porLancamento);

// The screens whose posting runs detect entries with several links and offer the grouped posting.
bool IsTelaRevisaoImportacao(const vyn::TComponent* sender);

class TProcessoBaixas {
 public:
  TProcessoBaixas(vyn::TComponent* prOwner, vyn::TDAOFactory* prDAOImport);
  ~TProcessoBaixas();
  TProcessoBaixas(const TProcessoBaixas&) = delete;
  TProcessoBaixas& operator=(const TProcessoBaixas&) = delete;

  // Properties.
  vyn::TDAOFactory* DAOImport() const { return FDAO; }
  void SetDAOImport(vyn::TDAOFactory* dao) { FDAO = dao; }
  vyn::TEdit_Codigo_Search_VYN* EditConta() const { return FEditConta; }
  void SetEditConta(vyn::TEdit_Codigo_Search_VYN* edit) { FEditConta = edit; }
  vyn::TLancamentoMGR* DAOMultiLanc() const { return FDAOMultiLanc; }
  void SetDAOMultiLanc(vyn::TLancamentoMGR* dao) { FDAOMultiLanc = dao; }
  vyn::TBaixasAdicionaisDoVinculo* BaixasAdicionaisDoVinculo() const { return FBaixasAdicionaisDoVinculo; }
  void SetBaixasAdicionaisDoVinculo(vyn::TBaixasAdicionaisDoVinculo* d) { FBaixasAdicionaisDoVinculo = d; }
  vyn::TSQLMGR* DAOLancamentosFiscais() const { return FDAOLancamentosFiscais.get(); }

  // Posting of the plain links at import.
  void GetVinculoBaixa(vyn::TComponent* prSender, vyn::TEdit_Codigo_Search_VYN* prCodEmp,
                       vyn::TInconsistencias_VYN* prInconsistencias, vyn::TLancamentoMGR* prDAO);
  // Posting of the links made through payment receipts.
  void GetVinculoBaixaComp(vyn::TComponent* prSender, vyn::TEdit_Codigo_Search_VYN* prCodEmp,
                           vyn::TInconsistencias_VYN* prInconsistencias, vyn::TLancamentoMGR* prDAO);
  // One paid tax guide without an imported entry.
  void RealizaBaixaImposto(vyn::TComponent* prSender, const TDadosBaixaImposto& prDados,
                           vyn::TBloqueioLancamento_VYN* prBloqueioLancamento);
  // Has the peer's payment f name what the last RealizaBaixaImposto booked: its value and the entry (or
  // entries) written, so that deleting the settlement frees the payment and a later run settles it
  // again. False when nothing was booked.
  bool NomeiaBaixaImposto(vyn::TFonteLancada& f) const;
  // Reloads saved link rows and checks them against the obligations.
  void AddRegistrosBaixas(vyn::TClientDataSet* prDAO, vyn::TComponent* prSender,
                          vyn::TEdit_Codigo_Search_VYN* prCodEmp, vyn::TInconsistencias_VYN* prInconsistencias,
                          vyn::TLancamentoMGR* prDAOLancamento);
  // Automatic links to open fiscal installments.
  void GetVinculosAutomaticos(vyn::TComponent* prComponent, vyn::TDAOFactory* prDAOLancamentos, int prEmpresa,
                              bool prDoc, bool prZeroEsq, bool prDistinguirValores, bool prVincComprovantes,
                              vyn::TDAOFactory* prDAOPlaContab);
  // The receipt lines the last automatic-link run left unlinked because the only installments due on
  // their day are another participant's than the one their receipt paid (entry keys).
  const std::vector<int64_t>& RecibosDeOutroFornecedor() const { return FRecibosDeOutroFornecedor; }
  bool BuscaLancamentosFiscal(vyn::TComponent* prSender, int prCodEmp, bool prIndexData, bool prDoc);
  void ProcessoVincAutomatico(vyn::TComponent* prComponent, int prNatureza, const std::string& prNumdoc,
                              vyn::TDAOFactory* prDAOLancamentos, bool prDistinguirValores,
                              vyn::TDAOFactory* prDAOPesq, bool prApenasUmValor);
  void ProcessoVincAutComprovantes(vyn::TComponent* prComponent, int prNatureza, const std::string& prNumdoc,
                                   vyn::TDAOFactory* prDAOLancamentos, bool prDistinguirValores,
                                   vyn::TDAOFactory* prDAOPesq, bool prApenasUmValor,
                                   vyn::TDAOFactory* prDAOPlaContab);
  // Removal of automatic links, and clean-up after the review's inconsistency check.
  void DeletarVinculosAutomaticos(vyn::TComponent* prSender, vyn::TEdit_Codigo_Search_VYN* prCodEmp,
                                  vyn::TLancamentoMGR* prDAO);
  void GetAposInconsistencia(vyn::TDAOFactory* prDAO);

  // Link rows: imported entry to obligation, and those made through payment receipts.
  vyn::TClientDataSet* cdsVINC_EXT_BAN_BAIXA = nullptr;
  vyn::TClientDataSet* cdsVINC_EXT_BAN_COMP_BAIXA = nullptr;

  // Value callbacks handed to the settlement managers; each answers from the tax-guide record while
  // it is in use, else from the current imported entry and link (the engine's own; a posting run
  // binds its managers to the entry, link and company it was handed).
  vyn::TDateTime GetDataPagamento(vyn::TComponent*) const { return DataPagamento(FonteEngine()); }
  int GetPlanoOnline(vyn::TComponent*) const { return PlanoOnline(FonteEngine()); }
  int GetChaveLancamento(vyn::TComponent* sender) const;
  int GetContaCredito(vyn::TComponent*) const { return ContaCredito(FonteEngine()); }
  std::string GetNumeroDcto(vyn::TComponent*) const { return NumeroDcto(FonteEngine()); }
  vyn::Currency GetValorPgto(vyn::TComponent*) const { return ValorPgto(FonteEngine()); }
  vyn::Currency GetValorPgtoParcial(vyn::TComponent*) const { return ValorPgtoParcial(FonteEngine()); }
  // Key of the imported entry being settled (0 in record mode): lets a manager refuse to settle one
  // obligation twice for the same entry.
  int64_t GetChaveOrigem(vyn::TComponent*) const { return ChaveOrigem(FonteEngine()); }

  // The account code of a column of the DAO's current row; a null column of a split line's link
  // answers the bank-account edit.
  int GetContaInteger(const vyn::TClientDataSet& prDAO, const std::string& prColuna) const;
  // The same for the entry of a given link row.
  int ContaDoVinculo(const vyn::TClientDataSet& prDAO, const std::string& prColuna,
                     const vyn::TClientDataSet* link) const;
  // The tax-guide key of a guide code for the current company.
  std::string GetStringDarf(const std::string& prCodigo) const { return StringDarf(FonteEngine(), prCodigo); }
  // Flags the current imported entry after its settlements were handled: 1 kept out of the ordinary
  // import, 4 when something was reported about it since the last flag.
  void SetaNaoImporta(vyn::TInconsistencias_VYN* prInconsistencias) { SetaNaoImporta(FDAO, prInconsistencias); }
  // Every posting run starts here: messages already in the list are not about this run's entries.
  void IniciaContagemErros(const vyn::TInconsistencias_VYN* prInconsistencias);

  // State the runs and the screens read.
  const TDadosBaixaImposto& DadosBaixaImposto() const { return FDadosBaixaImposto; }
  vyn::TEdit_Codigo_Search_VYN* CodEmp() const { return FCodEmp; }
  void SetCodEmp(vyn::TEdit_Codigo_Search_VYN* edit) { FCodEmp = edit; }
  int ChaveConfOnline() const { return FChaveConfOnline; }
  void SetChaveConfOnline(int chave) { FChaveConfOnline = chave; }
  bool ContaDebCre() const { return FContaDebCre; }
  void SetContaDebCre(bool v) { FContaDebCre = v; }
  int CountErros() const { return FCountErros; }
  bool PrimeiroTeste() const { return FPrimeiroTeste; }
  void SetValorParcial(vyn::Currency v) { FValorParcial = v; }
  const std::vector<std::string>& StringList() const { return FStringList; }
  // The company's online posting plan as the company edit holds it for the current month.
  int PlanoOnlineEmpresa() const { return PlanoOnlineEmpresa(FCodEmp); }
  // The link data set a run walks (its current row is the link the value callbacks read); nullptr
  // returns to the plain links, or the receipt links when only they hold rows.
  void SetLinkRun(vyn::TClientDataSet* link) { FLinkRun = link; }
  // While saved links are reloaded, new link rows leave the entries' split lines alone.
  void SetCarregandoVinculos(bool on) { FCarregandoVinculos = on; }
  // The session an in-memory review's posted links are recorded under (0 before its first run): what
  // each settlement entry booked of its line is read there.
  int SessaoBaixasAtual() const { return FSessaoBaixas; }
  // What each settlement entry the runs over these lines posted booked of each line, by the line's key
  // (its links' BDCHAVE) and the entry: a discount gives back what its principal took. A line settled
  // so is recorded in these parts, so that deleting one of the entries frees what it booked.
  std::map<int64_t, std::map<int, vyn::Currency>> BaixasPorLinha(vyn::TDAOFactory& linhas) const;
  // The same as the parts of each line's record.
  std::map<int64_t, std::vector<vyn::TParteFonte>> PartesPorLinha(vyn::TDAOFactory& linhas) const;

 private:
  // The choices of an automatic-link run, as GetVinculosAutomaticos was given them.
  struct TOpcoesVinculoAutomatico {
    bool Doc = false;
    bool ZeroEsq = false;
    bool DistinguirValores = false;
    bool VincComprovantes = false;
    vyn::TDAOFactory* DAOPlaContab = nullptr;
  };
  // Links each unlinked entry of fonte (the review's rows, or their in-memory copy) to the open
  // installment or receipt it matches.
  // The nature of the money of the current row of ds: 1 out of the bank (settles payables and guides),
  // 0 into it (receivables).
  int NaturezaDoDinheiro(const vyn::TClientDataSet& ds, vyn::TDatabase& db);
  vyn::TDirecaoDinheiro FDirecaoDinheiro;   // the chart's bank and cash accounts, read once
  void VinculaLinhas(vyn::TComponent* prComponent, vyn::TDAOFactory* prDAOLancamentos, vyn::TDAOFactory& fonte,
                     const TOpcoesVinculoAutomatico& o);

  // What the value callbacks read: the imported entries, the link data set walked (nullptr: the
  // plain links, or the receipt links when only they hold rows) and the company edit. The engine's
  // own come from its setters; a posting run keeps its own for its length and leaves these alone.
  struct TFonte {
    vyn::TDAOFactory* DAO = nullptr;
    const vyn::TClientDataSet* Link = nullptr;
    vyn::TEdit_Codigo_Search_VYN* CodEmp = nullptr;
  };
  TFonte FonteEngine() const { return {FDAO, FLinkRun, FCodEmp}; }
  vyn::TDateTime DataPagamento(const TFonte& f) const;
  int PlanoOnline(const TFonte& f) const;
  int ContaCredito(const TFonte& f) const;
  std::string NumeroDcto(const TFonte& f) const;
  vyn::Currency ValorPgto(const TFonte& f) const;
  vyn::Currency ValorPgtoParcial(const TFonte& f) const;
  int64_t ChaveOrigem(const TFonte& f) const;
  std::string StringDarf(const TFonte& f, const std::string& prCodigo) const;
  int PlanoOnlineEmpresa(const vyn::TEdit_Codigo_Search_VYN* codEmp) const;
  void SetaNaoImporta(vyn::TDAOFactory* dao, vyn::TInconsistencias_VYN* prInconsistencias);
  // The import session the posted links of dao's entries are recorded under: a staged review's own,
  // else one this engine reserves on its first run and keeps (a review retries with its engine).
  int SessaoBaixas(vyn::TDAOFactory* dao);

  // The link row the current entry is settled by: the run's link, else the plain link, or failing
  // that the receipt link.
  const vyn::TClientDataSet* LinkAtual(const TFonte& f) const;
  bool RegistroEmUso() const { return FDadosBaixaImposto.Utilizado; }
  void OnNewRecord(vyn::TClientDataSet& ds);

  // Posting runs of the plain and receipt links: one run's state and nested procedures
  // (uProcessoBaixas_Baixas.cpp).
  class TExecucaoBaixas;

  // Automatic links and their removal (uProcessoBaixas_Vinculos.cpp).
  int PosicionaCandidatos(int prNatureza, vyn::Currency prValor, const std::string& prNumdoc, vyn::TDateTime prData);
  void GravaVinculoAutomatico(vyn::TClientDataSet* prVinculos, vyn::TDAOFactory* prDAOLancamentos,
                              vyn::TDAOFactory* prDAOPesq, vyn::Currency prValor, bool prComprovante);
  void GetAposInconsistenciaMemory(vyn::TDAOFactory* prDAO);
  void GetAposInconsistenciaHugeFile(vyn::TDAOFactory* prDAO);

  vyn::TComponent* FOwner = nullptr;
  vyn::TDAOFactory* FDAO = nullptr;
  vyn::TEdit_Codigo_Search_VYN* FCodEmp = nullptr;
  int FChaveConfOnline = 0;
  int FCountErros = 0;
  bool FContaDebCre = false;
  std::unique_ptr<vyn::TDataSource> FDataSource;
  // Held by the engine: the screen that first asks for the candidates (a receipt screen) may close
  // while the review that owns this engine goes on linking.
  std::unique_ptr<vyn::TSQLMGR> FDAOLancamentosFiscais;
  bool FPrimeiroTeste = false;
  std::vector<std::string> FStringList;
  vyn::TEdit_Codigo_Search_VYN* FEditConta = nullptr;
  TDadosBaixaImposto FDadosBaixaImposto;
  vyn::TDARFGERPGTOMGR* FDarfGerPgto = nullptr;
  vyn::TEdit_Codigo_Search_VYN* FCodEmpBaixaImposto = nullptr;   // made by RealizaBaixaImposto, freed with this
  std::map<int, vyn::Currency> FLancamentosImposto;   // what the last RealizaBaixaImposto booked, by entry
  vyn::Currency FValorParcial;
  vyn::TLancamentoMGR* FDAOMultiLanc = nullptr;
  vyn::TBaixasAdicionaisDoVinculo* FBaixasAdicionaisDoVinculo = nullptr;
  vyn::TClientDataSet* FLinkRun = nullptr;
  bool FCarregandoVinculos = false;
  int FSessaoBaixas = 0;
  int64_t FUltimoCarimbo = 0;   // the last stamp given to a link of this engine's session
  std::vector<int64_t> FRecibosDeOutroFornecedor;
  std::unique_ptr<vyn::TClientDataSet> FVincBaixa;
  std::unique_ptr<vyn::TClientDataSet> FVincCompBaixa;
};

}  // namespace integracao
