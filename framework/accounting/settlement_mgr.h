#pragma once
// The settlement managers: they select open obligations (tax guides, payroll/tax calculations, fiscal
// installments) by the settlement engine's text keys, post each settlement as a ledger entry, record
// the payment and warn into their inconsistency list. A manager never settles more than an
// obligation's open balance, nor the same obligation twice for one imported entry.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "framework/accounting/conf_contas_online_mgr.h"
#include "framework/data/dao_factory.h"
#include "framework/livros/baixa_pagamento.h"
#include "framework/livros/livros.h"

namespace vyn {

// The settlement kind of an additional part's kind (2 discount, 3 fine, 4 interest); -1 principal.
int TipoBaixaDaParte(int tipoParte);

// The smallest amount money moves by: a settlement leaves no rest smaller than it.
inline constexpr Currency kUmCentavo = Currency::FromRaw(Currency::kScale / 100);

class TInconsistencias_VYN;
class TEdit_Codigo_Search_VYN;
class TBloqueioLancamento_VYN;

// Value callbacks: the engine answers them for the entry (or paid guide) being settled; the sender is
// the calling manager.
using TBaixaDataEvent = std::function<TDateTime(TComponent*)>;
using TBaixaIntegerEvent = std::function<int(TComponent*)>;
using TBaixaStringEvent = std::function<std::string(TComponent*)>;
using TBaixaValorEvent = std::function<Currency(TComponent*)>;
using TBaixaChaveEvent = std::function<int64_t(TComponent*)>;
using TBaixaOrigemEvent = std::function<TOrigemBaixa(TComponent*)>;

// One obligation settled in one posting (a guide, a calculation): its row, its open balance and how
// the balance is read and lowered in the database.
struct TObrigacaoBaixa {
  std::string Tabela;                                     // payments go to Tabela + "_BAIXA"
  std::vector<std::pair<std::string, Variant>> Chave;     // the obligation's primary key
  std::string SaldoSQL;                                   // expression of the open balance
  std::string AbateSQL;                                   // set clause lowering it by :PVALOR
  Currency Saldo;                                         // open balance as selected
  std::string Identificacao;                              // kept against settling it twice
  std::string Descricao;
  std::string Quitada;                                    // "quitada" / "quitado"
  std::string Compl;
};

// The transaction of a posting run that no caller's transaction encloses. Each settlement is committed
// on its own, durably, by a COMMIT RETAINING: the settlement's work becomes the database's as a plain
// commit would make it, while starting a transaction per settlement (a large part of a small
// settlement's cost) is spared. A settlement refused or failing is rolled back alone: what earlier
// settlements wrote was committed already, and nothing else writes between settlements, so the
// rollback undoes exactly that settlement; the next one then starts a transaction of its own. The run
// ends with a commit; left open (an error on its way out) it is rolled back.
class TTransacaoBaixas {
 public:
  explicit TTransacaoBaixas(TDatabase& db) : db_(db) {}

  // Before a settlement reads or writes: starts the transaction when none is open.
  void Garante();
  bool Aberta() const { return tr_ && tr_->Active(); }
  // The settlement under way was written: commits it, keeping the transaction for the next.
  void Confirma();
  // The settlement under way was refused or failed: rolls it back.
  void Desfaz();
  // End of the run.
  void Encerra();

 private:
  TDatabase& db_;
  std::optional<TTransaction> tr_;
};

// Completes the rows of each range of keys of a selection (TBaixaMGR::AbrePorPartes) from a read of its
// own, made before the range's rows are added.
class IComplementoFaixa {
 public:
  virtual ~IComplementoFaixa() = default;
  virtual void LeFaixa(int64_t emp, int64_t de, int64_t ate) = 0;
  // Whether the range read nothing to complete its rows with.
  virtual bool Vazio() const = 0;
  virtual void Completa(const std::vector<TColumnInfo>& colunas, std::vector<Variant>& linha) = 0;
};

// What the three kinds of manager share: company, list, callbacks, account configuration, posting.
class TBaixaMGR : public TDAOFactory {
 public:
  TBaixaMGR(TComponent* owner, std::string table, TDatabase* db = nullptr);
  bool InheritsFrom(const std::string& class_name) const override;

  // Empties the selection and forgets what was posted.
  virtual void Inicializa();
  void SetInconsistencia(TInconsistencias_VYN* list) { inconsistencias_ = list; }
  TInconsistencias_VYN* Inconsistencia() const { return inconsistencias_; }

  TBaixaDataEvent OnGetDataPagamento;
  TBaixaIntegerEvent OnGetPlanoOnline;
  TBaixaIntegerEvent OnGetChaveLancamento;   // the online account configuration to post with
  TBaixaIntegerEvent OnGetContaCredito;
  TBaixaStringEvent OnGetNumeroDcto;
  // The amount paid; without it the open balance is settled.
  TBaixaValorEvent OnGetValorPgto;
  // Key of the imported entry being settled (0: none).
  TBaixaChaveEvent OnGetChaveOrigem;
  // The link being settled; without it nothing is recorded as posted.
  TBaixaOrigemEvent OnGetOrigemBaixa;

  // Posting-lock check (lock rows, zeroing, the company's closing) of each settlement's date, for the
  // named screen; nullptr checks nothing.
  void SetBloqueio(TBloqueioLancamento_VYN* b, std::string tela) { bloqueio_ = b; tela_ = std::move(tela); }
  // What the last posting call settled (added to an open group included); zero when it refused.
  Currency ValorLancado() const { return valorLancado_; }
  // How many settlements the run expects to post: their entry keys are reserved in blocks instead of
  // one reservation (and its commit) per settlement. Managers of one run share their keys, so entries
  // keep the order they were posted in.
  void PreveBaixas(size_t n) { chaves_->Previstas = n; }
  void CompartilhaChaves(const TBaixaMGR& outro) { chaves_ = outro.chaves_; }
  // The days the run's settlements of the company fall on: the books' rules of all of them are read at
  // once, when this manager posts its first settlement.
  void PreveDias(int codEmp, std::vector<TDateTime> dias) {
    empresaPrevista_ = codEmp;
    diasPrevistos_ = std::move(dias);
  }
  // The run's transaction the settlements are committed in (nullptr: each its own transaction).
  void SetTransacaoExecucao(TTransacaoBaixas* t) { execucao_ = t; }

  // The ledger keys posted by this manager, in order.
  const std::vector<int>& LancamentosGerados() const { return gerados_; }

 protected:
  int CodEmpAtual() const { return codemp_; }
  void SetCodEmpAtual(int c) { codemp_ = c; }
  void Atencao(const std::string& text) const;
  int64_t ChaveOrigem();
  // Whether (obligation, kind) was already settled for the imported entry origem in this manager's
  // life, or waits in pendentes (an open group); a repeat is warned about. Only a written settlement
  // counts: one refused (a lock, another workstation, the balance) may be posted again.
  bool JaBaixado(int64_t origem, const std::string& obrigacao, int tipo, const std::string& descricao,
                 const std::vector<TPagamentoBaixa>& pendentes = {}) const;
  // The configuration's accounts; warns and answers False when there are none.
  bool ContasDaConfiguracao(int plano, int chave, TDateTime data, const std::string& descricao, int& debito,
                            int& credito);
  // Posting-lock check of the company's date when a lock object was given.
  bool Bloqueado(TDateTime data, const std::string& descricao);
  // With the host's own check, a single settlement's lock check runs in its payment's statement: p
  // carries it (the company's date for the screen). False when it must run before, by Bloqueado.
  bool BloqueioNoComando(TPagamentoBaixa& p, TDateTime data);
  // Writes the entry (key reserved for the company) and its payment rows in one transaction (`aberta`,
  // the settlement's own, when its checks already read in it). Answers the entry key, or 0 when a guard
  // or another workstation's lock refused (warned about; nothing written).
  int Grava(const TLancamentoBaixa& l, const std::vector<TPagamentoBaixa>& pagamentos,
            TTransaction* aberta = nullptr);
  int ProximaChave(TDatabase& db, int codEmp);
  // Before a settlement's transaction is joined: the run's transaction, when there is one, is open.
  void IniciaBaixa() {
    if (execucao_) execucao_->Garante();
  }
  // Opens the selection sql makes (given its key condition) over the keys of each company, range by range,
  // each range's rows completed by complemento when there is one.
  void AbrePorPartes(const std::function<std::string(const std::string& condicao)>& sql, const std::string& alias,
                     const std::string& coluna, const std::map<int64_t, std::vector<int64_t>>& porEmpresa,
                     IComplementoFaixa* complemento = nullptr);
  // Adds the rows of one range of a company's sorted keys, only those whose key is asked.
  void AdicionaFaixa(TStatement& st, const std::string& coluna, int64_t emp, std::span<const int64_t> chaves,
                     IComplementoFaixa* complemento);
  Variant PlanoPadrao(TDatabase& db, int codEmp, int anoMes);
  // The (company, key) of each text key of `partes` numbers, company and key at posEmp and posChave;
  // another key is warned about as invalid ("a chave de guia de imposto \"...\" é inválida.").
  std::vector<std::pair<int64_t, int64_t>> ChavesPedidas(const std::vector<std::string>& chaves, size_t partes,
                                                         size_t posEmp, size_t posChave, const std::string& oque);
  // Warns once about each (company, key) the selection lacks; campos: "BDCODEMP;<key column>".
  void AvisaAusentes(const std::vector<std::pair<int64_t, int64_t>>& pedidas, const std::string& campos,
                     const std::function<std::string(int64_t emp, int64_t chave)>& aviso);
  // Warns and answers True when no row is current; oque: "nenhuma parcela selecionada", ...
  bool SemSelecao(const std::string& oque) const;
  // Warns and answers False for a zero value or one above the open balance (when there is one to respect).
  bool ValorAceito(Currency valor, const Currency* saldo, const std::string& descricao) const;
  // The entry of a settlement of the current company, with the document number the engine gives.
  TLancamentoBaixa Lancamento(TDateTime data, int debito, int credito, Currency valor, std::string complemento);
  // The values of the columns every payment row carries (date, value, imported entry, document).
  std::vector<Variant> ValoresPagamento(TDateTime data, Currency valor, const std::string& dcto);
  // This manager's kind of payment named nome, made by faz the first time it is asked.
  std::shared_ptr<const TFormaPagamento> Forma(const std::string& nome, const std::function<TFormaPagamento()>& faz);
  // Settles the obligation in full or by OnGetValorPgto, with the configuration's accounts. Answers the
  // value posted, or zero when it was refused (warned about; nothing written).
  Currency LancaBaixa(const TObrigacaoBaixa& o);
  void SetValorLancado(Currency v) { valorLancado_ = v; }
  TOrigemBaixa Origem() { return OnGetOrigemBaixa ? OnGetOrigemBaixa(this) : TOrigemBaixa(); }

 private:
  // Writes payments ps of the settlement entry l (keyed chave), and with lanca the entry itself, in one
  // statement, which reads the period's locks for the payments bloqueios marks. False when an
  // obligation's balance, the period's locks or another workstation's lock refused one of them (warned
  // about, or raised inside a caller's transaction); its settlement's transaction is then to be undone.
  bool GravaPagamentos(TDatabase& db, std::span<const TPagamentoBaixa> ps, int chave, const TLancamentoBaixa& l,
                       bool lanca, const Variant& plaPadrao, bool juntaAberta, const std::vector<bool>& bloqueios);
  TStatement& ComandoPagamentos(TDatabase& db, std::span<const TPagamentoBaixa> ps);
  // Which payments' statements read the period's locks: not one whose company, day and screens an
  // earlier payment of the settlement read.
  static std::vector<bool> Bloqueios(const std::vector<TPagamentoBaixa>& pagamentos);

  // The books' rules of the company, the day and the accounts of the entry l; false (told) when they
  // refuse it. Answers are kept for the run; the period's locks are read again by each settlement's
  // own statement, as they may change while a run goes on.
  bool LivrosAceitam(const TLancamentoBaixa& l);

  TInconsistencias_VYN* inconsistencias_ = nullptr;
  TTransacaoBaixas* execucao_ = nullptr;
  TBloqueioLancamento_VYN* bloqueio_ = nullptr;
  std::unique_ptr<TLivros> livros_;
  int empresaPrevista_ = 0;
  std::vector<TDateTime> diasPrevistos_;
  std::string tela_;
  int codemp_ = 0;
  std::set<std::tuple<int64_t, std::string, int>> baixados_;
  std::vector<int> gerados_;
  Currency valorLancado_;
  struct TChavesReservadas {
    size_t Previstas = 0;
    int CodEmp = 0;
    int Proxima = 0;
    int Fim = 0;
  };
  std::shared_ptr<TChavesReservadas> chaves_ = std::make_shared<TChavesReservadas>();
  std::map<std::pair<int, int>, Variant> planosPadrao_;   // by company and month, for the run
  // The payment statement of each shape of settlement, by the attachment it was prepared on.
  struct TComandoPagamento {
    const TDatabase* Banco = nullptr;
    uint64_t Geracao = 0;
    TStatement* Comando = nullptr;
  };
  std::map<std::vector<const TFormaPagamento*>, TComandoPagamento> comandos_;
  TParams parametros_;   // the values of the settlement being written, kept for the next
  std::map<std::string, std::shared_ptr<const TFormaPagamento>> formas_;   // by name, for the manager's life
  // Debit and credit accounts of the configurations read, by plan, key and month, for the run.
  std::map<std::tuple<int, int, int>, std::pair<int, int>> contasConfiguracao_;
};

// Tax guides (TDARFGERPGTO) and their payments (TDARFGERPGTO_BAIXA).
class TDARFGERPGTOMGR : public TBaixaMGR {
 public:
  explicit TDARFGERPGTOMGR(TComponent* owner = nullptr, TDatabase* db = nullptr);
  std::string ClassName() const override { return "TDARFGERPGTOMGR"; }
  static TDARFGERPGTOMGR* CreateMgr(TComponent* owner, bool = true, bool = false, bool = false);

  void SetCODEMP(TEdit_Codigo_Search_VYN* edit);
  // Loads the guides of the keys ("emp......code.."), open or not (BDCHAVEDARF, BDSALDOAPAGAR, ...);
  // a key without a guide is warned about. The lock object, when given, is checked per posting.
  void SelectGuiasParaBaixa(const std::vector<std::string>& chaves, TBloqueioLancamento_VYN* bloqueio,
                            const std::string& tela, bool = false);
  // Settles the current guide with the callbacks' values.
  void LancaBaixaImpostoAtual(const std::string& chave = "", TClientDataSet* = nullptr,
                              TInconsistencias_VYN* = nullptr);
};

// Payroll/tax calculations (TDADOSPGTOCALC) and their payments (TDADOSPGTOCALC_BAIXA).
class TDADOSPGTOCALCMGR : public TBaixaMGR {
 public:
  explicit TDADOSPGTOCALCMGR(TComponent* owner = nullptr, TDatabase* db = nullptr);
  std::string ClassName() const override { return "TDADOSPGTOCALCMGR"; }
  static TDADOSPGTOCALCMGR* CreateMgr(TComponent* owner, bool = true, bool = false);

  void SetEDCODEMP(TEdit_Codigo_Search_VYN* edit);
  // Loads every calculation of the keys ("plan.emp.....key"): BDTIPOCALC, BDCHAVE, BDORDEMCALC,
  // BDLIQUIDO, BDVLRPGTO; a key without any is warned about.
  void SelectCalculosParaBaixa(const std::vector<std::string>& chaves);
  int TipoCalculo = 0;
  void SetTIPOCALC(int tipo) { TipoCalculo = tipo; }
  // Settles the current calculation (of TipoCalculo) with the callbacks' values.
  void LancaBaixaCalculoAtual();
  // Each settlement is written when it is posted; nothing is left to commit.
  void CommitLancamentoDaoGravacaoGeral(TInconsistencias_VYN* = nullptr) {}
};

// Installments of one fiscal book and their payment rows (VEF_EMP_TMOV...PAR, ...PARPGTO).
class TMovParPgtoMGR : public TBaixaMGR {
 public:
  TMovParPgtoMGR(TComponent* owner, int livro, TDatabase* db = nullptr);
  ~TMovParPgtoMGR() override;
  std::string ClassName() const override { return "TMovParPgtoMGR"; }
  bool InheritsFrom(const std::string& class_name) const override;

  int Livro() const { return livro_; }   // 0 entries, 1 exits, 2 services, 3 other documents
  // The books (this one among them) whose managers post in the same run: their installments' payments
  // share one statement per kind, each payment naming its book's tables, instead of one per book. Told
  // before the first posting.
  void CompartilhaComandos(std::vector<int> livros);
  void Inicializa() override;
  void SetCODEMP_MGR(int codEmp) { SetCodEmpAtual(codEmp); }
  void SetInconsistencias(TInconsistencias_VYN* list) { SetInconsistencia(list); }

  // The plan and configuration edits the engine gives it (owned by this manager).
  TEdit_Codigo_Search_VYN* EditPlano = nullptr;
  TEdit_Codigo_Search_VYN* EditConfiguracao = nullptr;
  TCONF_CONTAS_ONLINEMGR* ConfContasOnline();
  void SetContas(const TListaContasOnline& contas) { contas_ = contas; }
  const TListaContasOnline& Contas() const { return contas_; }

  void SetTIPOBAIXA_MGR(int tipo) { tipoBaixa_ = tipo; }
  void SetTIPOMOVIMENTO_MGR(int tipo) { tipoMovimento_ = tipo; }
  void SetTIPOMOVIMENTOPAGAMENTO_MGR(int tipo) { tipoMovimentoPagamento_ = tipo; }
  int TipoMovimento() const { return tipoMovimento_; }
  // A receipt part's value, participant and accounts (0: the configuration's).
  void SetVALORPAR_MGR(Currency v) { valorParte_ = v; }
  void SetCODTER_MGR(int codTer) { codTer_ = codTer; }
  void SetNOMETER_MGR(std::string nome) { nomeTer_ = std::move(nome); }
  void SetContasParte(int debito, int credito) { debParte_ = debito; credParte_ = credito; }

  // The engine's mark of a settlement that leaves part of the installment open. The value is always
  // OnGetValorPgto's when it is set (above the open balance it refuses), else the open balance.
  bool Parcial = false;

  std::string GetTablePagamento() const;
  std::string GetTableJoinParcelamento(int codEmp, TComponent* = nullptr) const;
  // Loads the installments of the keys ("emp...doc.order.book"), open or not: BDCODEMP, BDCHAVE,
  // BDORDEMPAR, BDPARCELAPAR, BDVALORPAR, BDVALORTOTAL (paid), BDSALDOAPAGAR (-1 when the document has
  // no accounting value), BDNUMDOCINI, the nature code; a key without an installment is warned about.
  void SelectGuiasParaBaixa(const std::vector<std::string>& chaves, const std::string& join,
                            const std::string& tabelaPagamento, TClientDataSet* = nullptr, bool = false);
  // Closes the open group of grouped postings (writes its entry).
  void pLimpaParcela();
  bool GrupoAberto() const { return grupo_.Aberto(); }
  // Settles the current installment: the principal (parte -1 or 1) or an additional part (2 discount,
  // 3 fine, 4 interest). Grouped postings add to one entry, written at the group's last installment.
  // Answers whether it was posted (or added to the open group); a refusal is warned about.
  bool LancaBaixaParcelaAtual(int tipoLancamento, TClientDataSet* = nullptr, TComponent* = nullptr,
                              bool agrupado = false, TMovParPgtoMGR* grupo = nullptr, bool ultimoDoGrupo = false,
                              bool agrupado2 = false, int parte = -1);
  bool LancaBaixaParcelaAtualComp(int tipoLancamento, TClientDataSet* d = nullptr, TComponent* p = nullptr,
                                  bool agrupado = false, TMovParPgtoMGR* grupo = nullptr,
                                  bool ultimoDoGrupo = false, bool agrupado2 = false, int parte = -1);

 private:
  struct Grupo {
    TLancamentoBaixa Lanc;
    std::vector<TPagamentoBaixa> Pagamentos;
    std::vector<std::pair<TBookmark, Currency>> Abatidos;   // selection rows lowered for it, and by how much
    bool Aberto() const { return !Pagamentos.empty(); }
  };
  bool Posta(int parte, bool agrupado, bool ultimo);
  // Posta's steps: the settlement the part asks (nothing when a check refuses it, warned), its accounts,
  // its payment row, and its place in the open group.
  struct TBaixaParcela;
  std::optional<TBaixaParcela> BaixaDaParte(int parte);
  bool ContasDaBaixa(TBaixaParcela& b);
  TPagamentoBaixa PagamentoDaBaixa(const TBaixaParcela& b, const std::string& dcto, int64_t origem,
                                   const std::string& obrigacao);
  void AgrupaBaixa(const TLancamentoBaixa& l, TPagamentoBaixa p);
  std::string Descricao() const;
  int livro_;
  TCONF_CONTAS_ONLINEMGR* conf_ = nullptr;
  TListaContasOnline contas_;
  int tipoBaixa_ = tbpPrincipal;
  int tipoMovimento_ = 0;
  int tipoMovimentoPagamento_ = 0;
  Currency valorParte_;
  int codTer_ = 0;
  std::string nomeTer_;
  int debParte_ = 0;
  int credParte_ = 0;
  Grupo grupo_;
  std::shared_ptr<const TFormaPagamento> formaSaldo_, formaParte_;   // Forma's, asked once
  std::vector<int> livrosComandos_;   // CompartilhaComandos': sorted, this book among them
  std::string NomeForma(std::string tipo) const;
};

class TMovParPgtoEntMGR : public TMovParPgtoMGR {
 public:
  explicit TMovParPgtoEntMGR(TComponent* owner = nullptr, TDatabase* db = nullptr) : TMovParPgtoMGR(owner, 0, db) {}
  std::string ClassName() const override { return "TMovParPgtoEntMGR"; }
  static TMovParPgtoEntMGR* CreateMgr(TComponent* owner, bool = false, bool = false, bool = false);
};
class TMovParPgtoSaiMGR : public TMovParPgtoMGR {
 public:
  explicit TMovParPgtoSaiMGR(TComponent* owner = nullptr, TDatabase* db = nullptr) : TMovParPgtoMGR(owner, 1, db) {}
  std::string ClassName() const override { return "TMovParPgtoSaiMGR"; }
  static TMovParPgtoSaiMGR* CreateMgr(TComponent* owner, bool = false, bool = false, bool = false);
};
class TMovParPgtoSerMGR : public TMovParPgtoMGR {
 public:
  explicit TMovParPgtoSerMGR(TComponent* owner = nullptr, TDatabase* db = nullptr) : TMovParPgtoMGR(owner, 2, db) {}
  std::string ClassName() const override { return "TMovParPgtoSerMGR"; }
  static TMovParPgtoSerMGR* CreateMgr(TComponent* owner, bool = false, bool = false, bool = false);
};
class TMovParPgtoDemDocMGR : public TMovParPgtoMGR {
 public:
  explicit TMovParPgtoDemDocMGR(TComponent* owner = nullptr, TDatabase* db = nullptr) : TMovParPgtoMGR(owner, 3, db) {}
  std::string ClassName() const override { return "TMovParPgtoDemDocMGR"; }
  static TMovParPgtoDemDocMGR* CreateMgr(TComponent* owner, bool = false, bool = false, bool = false);
};

// The installment manager of a book (0 to 3), owned by owner; nullptr for another book.
TMovParPgtoMGR* CreateMovParPgtoMGR(TComponent* owner, int livro);

}  // namespace vyn
