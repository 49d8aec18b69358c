#pragma once
// The books' gate: every write that moves money passes here, whatever the road (a review, a settlement,
// a task, a posting utility). The gate applies the rules of the period to every entry and records every
// source it books under a key of the database, in the writer's own transaction; what it refuses, the
// writer reports and nothing of its unit of work stays written.
//
// The rules themselves are the database's procedures (SP_REGRAS_PERIODO, SP_REGRAS_CONTA), read once per
// company and day (and account) of a run; a settlement's own statement reads the period's locks again:
//   - the company exists and is not a consultation-only copy;
//   - the day is within the company's life (not before the five years before its first reference year);
//   - no zeroing of the result accounts runs over the day;
//   - no posting lock of the screen or task that runs, or of a screen that opened it, covers the day;
//   - the day is after the company's closing;
//   - each account is in the chart in force at the day, each participant exists.
// A Part's own exemption (a plan change's balance implantation) is named by TIsencaoLivros; nothing
// else skips a rule.
#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "framework/core/currency.h"
#include "framework/core/datetime.h"
#include "framework/core/variant.h"

namespace vyn {

class TComponent;
class TDatabase;
class EDatabaseError;

// A class name as lock rows are compared: upper case, without its leading 'T' ("TfrLancamento",
// "frLancamento" and "FRLANCAMENTO" are one), as SP_BLOQUEIO_LANCAMENTO reads both sides.
std::string NomeDeBloqueio(const std::string& nome);

// Who writes: the class names of the screen or task that runs, of the screens that opened it (nearest
// first) and the names its road answers to besides, each once as NomeDeBloqueio reads it, and a label of
// the run for the record of booked sources.
struct TExecucaoLivros {
  std::vector<std::string> Telas;
  std::string Rotulo;
  std::string Usuario;
  std::string Estacao;
  // "|FRX|FRY|...|" for SP_BLOQUEIO_LANCAMENTO; never empty, so that no empty lock row matches by chance.
  std::string TelasSQL() const;
};
// A component whose road answers to lock rows of other names besides its class's: a screen's engine names
// its screen (a task that runs it writes under that screen's name and its own), a road a Part has check
// the manual-posting screen names "frLancamento".
class INomesBloqueio {
 public:
  virtual ~INomesBloqueio() = default;
  virtual std::vector<std::string> NomesBloqueio() const = 0;
};

// The run of sender: its own class and every owner's up the chain, the names those of them that are
// INomesBloqueio answer to, and extras (names a Part has this road check besides), with the process's
// user and workstation.
TExecucaoLivros ExecucaoDe(const TComponent* sender, const std::vector<std::string>& extras = {});

// The rule a refusal names; the numbers are SP_REGRAS_*'s kinds.
enum class TRegraLivros : int {
  Nenhuma = 0,
  Bloqueio = 1,
  Encerramento = 2,
  Zeramento = 4,
  EmpresaConsulta = 5,
  ForaDaVida = 6,
  ContaForaDoPlano = 7,
  ParticipanteInexistente = 8,
  EmpresaInexistente = 9,
};

// The one exemption a Part grants: a plan change writes the balance implantation of the new chart into
// a period the change itself holds (past its locks and closing), the day before that chart is in force
// (its accounts are the new chart's). The company must still exist, take entries and have begun.
enum class TIsencaoLivros { Nenhuma, ImplantacaoTrocaPlano };

struct TRecusaLivros {
  TRegraLivros Regra = TRegraLivros::Nenhuma;
  std::string Mensagem;   // names the company, the date (or period) and the rule
};

// The message of a refusal of kind tipo found by SP_REGRAS_* (or SP_BLOQUEIO_LANCAMENTO) for the
// company's day; conta/terceiro name what kinds 7 and 8 refused.
std::string MensagemRegra(int tipo, int codEmp, TDateTime data, const std::string& inicio, const std::string& fim,
                          const std::string& motivo, int conta = 0, int terceiro = 0);

// An entry as the rules see it.
struct TLancamentoLivros {
  int CodEmp = 0;
  TDateTime Data;
  int Debito = 0;
  int Credito = 0;
  int TerceiroD = 0;
  int TerceiroC = 0;
};

class ELivrosRecusa : public std::runtime_error {
 public:
  explicit ELivrosRecusa(TRecusaLivros r) : std::runtime_error(r.Mensagem), recusa_(std::move(r)) {}
  const TRecusaLivros& Recusa() const { return recusa_; }

 private:
  TRecusaLivros recusa_;
};

// Kinds of source booked (BDTIPOFONTE).
enum class TTipoFonte : int {
  LinhaExtratoBanco = 1,
  LinhaExtratoCaixa = 2,
  ReciboPagamento = 3,
  ArquivoLancamentos = 4,
  DocumentoOmie = 6,
  LancamentoOmie = 7,
  LancamentoNibo = 8,
  PagamentoPortal = 9,
  PagamentoOmie = 10,
};

// What one entry booked of a source booked in parts: Parte names it within the source (a split row, a
// settlement of an installment, a rest booked later), so that deleting the entry frees it and no more.
struct TParteFonte {
  TParteFonte() = default;
  TParteFonte(std::string parte, int chaveLancamento, Currency valor, std::optional<Currency> banco = std::nullopt)
      : Parte(std::move(parte)), ChaveLancamento(chaveLancamento), Valor(valor), Banco(banco) {}
  std::string Parte;          // at most 60 characters, unique within the source
  int ChaveLancamento = 0;    // the entry that booked it
  Currency Valor;             // what of the source's value it booked
  // A statement line's part that books one side only: what of the bank's side it booked (a split row's
  // entry none, the bank side's entry of a split line all the split rows left it). None: as much as Valor.
  std::optional<Currency> Banco;
  Currency LadoBanco() const { return Banco.value_or(Valor); }
};

// The movement a source stands for, by which the same money brought by another road is told: its day,
// the accounts it debits and credits (a bank line knows only the bank's side), its value and document.
struct TMovimentoFonte {
  TDateTime Data;             // zero: the source names no movement
  int Debito = 0;
  int Credito = 0;
  std::string Documento;
};

// A source to record as booked: its company, kind and identity (what its origin names it by, at most 120
// characters; a longer one is replaced by its hash), what to show of it, and what was booked of it:
// whole by the entry ChaveLancamento when Partes is empty, else those parts. Valor is the source's value
// (zero: a source that is only ever booked whole); nothing is booked of a source beyond it.
struct TFonteLancada {
  TFonteLancada() = default;
  TFonteLancada(int codEmp, TTipoFonte tipo, std::string chave, std::string descricao, int chaveLancamento = 0,
                Currency valor = {})
      : CodEmp(codEmp), Tipo(tipo), Chave(std::move(chave)), Descricao(std::move(descricao)),
        ChaveLancamento(chaveLancamento), Valor(valor) {}
  int CodEmp = 0;
  TTipoFonte Tipo = TTipoFonte::LinhaExtratoBanco;
  std::string Chave;
  std::string Descricao;
  int ChaveLancamento = 0;
  Currency Valor;
  std::vector<TParteFonte> Partes;
  TMovimentoFonte Movimento;
  int64_t Lote = 0;   // the batch its origin sent it in (a Dyq statement's id), 0 none
};

// A source's key as the record holds it (a key beyond the column's width by its hash).
std::string ChaveFonteGravada(const std::string& chave);

// The column of an entry review's line holding its source's whole value when the line offers only what
// an earlier run left of it (null: the line is offered whole).
inline constexpr const char* kCampoValorFonte = "BDVALORFONTE";

// What the record holds of a source booked earlier.
struct TFonteRegistrada {
  std::string Descricao;
  std::string DataHora;   // "05/03/2024 14:07:09"
  std::string Usuario;
  std::string Execucao;
  int ChaveLancamento = 0;   // the entry that booked it (whole), or the first of its parts'
  Currency Valor;            // zero when booked only whole
  Currency Lancado;
  std::vector<TParteFonte> Partes;
  TTipoFonte Tipo = TTipoFonte::LinhaExtratoBanco;
  std::string Chave;
  // What is left to book of a source of known value.
  Currency Resto() const { return Valor - Lancado; }
  // What is left to book of a statement line's bank side (as Resto when its parts each booked both sides).
  Currency RestoBanco() const;
};

class EFonteJaLancada : public std::runtime_error {
 public:
  EFonteJaLancada(const TFonteLancada& f, const TFonteRegistrada& antes);
  const TFonteLancada& Fonte() const { return fonte_; }

 private:
  TFonteLancada fonte_;
};

// The entry a probable duplicate matches, in the user's words: "lançamento 9001 (A linha 1 do arquivo
// Arquivo 5, lançado em 05/03/2024 14:07:09 por ana)", or "(Internet, fora da integração)" for a typed one.
std::string NomeMovimentoIgual(const TFonteRegistrada& igual);

class TLivros {
 public:
  // db: the writer's database; each call runs in its open transaction (or on its own when none is).
  TLivros(TDatabase& db, TExecucaoLivros execucao, TIsencaoLivros isencao = TIsencaoLivros::Nenhuma);

  const TExecucaoLivros& Execucao() const { return execucao_; }
  TIsencaoLivros Isencao() const { return isencao_; }

  // Why the entry may not be written (nothing when it may). The period's rules are read in the writer's
  // transaction and kept while it lasts (the accounts' for the gate's life): a run asks the same day and
  // accounts for many lines, and a lock set meanwhile stops the writes of its next transaction.
  std::optional<TRecusaLivros> Recusa(const TLancamentoLivros& l);
  // As Recusa, raising ELivrosRecusa.
  void Verifica(const TLancamentoLivros& l);
  // Reads the rules of the company's days among dias that Recusa has not asked yet, many days to a
  // statement: a run that knows its days asks them at once instead of one statement per day.
  void LePeriodos(int codEmp, const std::vector<TDateTime>& dias);
  // Why no entry of the company may be written or moved in the period (a zeroing over any of its days, a
  // lock of the run's screens, the closing), for a run that rewrites a whole period; nothing when none.
  std::optional<TRecusaLivros> RecusaIntervalo(int codEmp, TDateTime inicio, TDateTime fim);

  // Records the source as booked, in the open transaction: a source booked already whole, or a part of it
  // booked already, or more than its value (by any run, window or workstation, committed or still
  // writing) raises EFonteJaLancada naming when, by whom and what is left.
  void RegistraFonte(const TFonteLancada& f);
  // As RegistraFonte for each, sources booked whole a dozen to a statement: a run records as many sources
  // as it books lines.
  void RegistraFontes(const std::vector<TFonteLancada>& fontes);
  // The keys of the company's sources of one kind that begin with prefixo and all of which is booked
  // (with all of its bank's side).
  std::vector<std::string> FontesCompletas(int codEmp, TTipoFonte tipo, const std::string& prefixo);
  // How many of the company's sources of one kind came in the origin's batch lote and are booked, whole
  // or in part.
  int64_t FontesDoLote(int codEmp, TTipoFonte tipo, int64_t lote);
  // The account of a source, when anything was booked of it; read apart from the writer's transaction.
  std::optional<TFonteRegistrada> FonteRegistrada(int codEmp, TTipoFonte tipo, const std::string& chave);
  // The accounts of a company's sources of one kind among chaves (those with anything booked), read in
  // the open transaction, a few hundred keys to a statement: a review shows what is left of its lines.
  std::map<std::string, TFonteRegistrada> FontesRegistradas(int codEmp, TTipoFonte tipo,
                                                            const std::vector<std::string>& chaves);
  // The identities of a company's sources of one kind whose movement falls between inicio and fim, each
  // with the entry that booked it whole (0: booked in parts or by a settlement), in one read in the open
  // transaction: a run that meets thousands of sources of a known span asks once.
  std::map<std::string, int> FontesDoPeriodo(int codEmp, TTipoFonte tipo, TDateTime inicio, TDateTime fim);
  // As FontesDoPeriodo, each with what its account says of it: a source booked in part comes back at
  // what is left of it. Only the figures: a period holds as many sources as a large file has lines.
  struct TContaPeriodo {
    int ChaveLancamento = 0;   // the entry that booked it whole (0: in parts)
    Currency Valor;
    Currency Lancado;
    Currency Resto() const { return Valor - Lancado; }
  };
  std::map<std::string, TContaPeriodo> ContasDoPeriodo(int codEmp, TTipoFonte tipo, TDateTime inicio, TDateTime fim);
  // What an entry books of a source an earlier run booked in part: what was left of it.
  static TParteFonte ParteResto(int chaveLancamento, Currency valor);
  // A booked entry of the same movement as the source (company, day, value, the account debited or
  // credited, and the document's digits) that another source booked, or that the record names no
  // source for (an entry typed by hand): a probable duplicate, never a key. Lines of the source's own
  // statement or file are never its duplicates. Read in the open transaction, so that a run asks it
  // again inside its write: what another window booked meanwhile is met too.
  std::optional<TFonteRegistrada> MovimentoIgual(const TFonteLancada& f);
  // As MovimentoIgual for each of fontes, in one read per company (a review's thousands of lines).
  std::vector<std::optional<TFonteRegistrada>> MovimentosIguais(const std::vector<TFonteLancada>& fontes);
  // A line of an entry file as a source: known by chave (the entry it holds and its place among the
  // equal entries of its file, as the reader names it: never the file's name or bytes), shown by its
  // number in the file named nome, with its value and the movement it stands for.
  static TFonteLancada FonteLinhaArquivo(const std::string& nome, int empresa, int linha, std::string chave,
                                         int chaveLancamento, Currency valor, TMovimentoFonte movimento);
  // The lines of an entry file that a staged session's stretch holds, each recorded under its identity
  // (BDFONTE of the work table tabela) with its value and movement, as booked whole by the entry it
  // became (its key moved by desvio), in one statement: a line booked already raises EFonteJaLancada
  // naming it.
  void RegistraLinhasArquivo(const std::string& nome, const std::string& tabela, int sessao, int empresa, int inicio,
                             int fim, int desvio);

 private:
  // After the stretch of an entry file's lines met another run's: names the first line that run booked
  // (raising EFonteJaLancada), or returns for one more try when it booked none (sempre: raises anyway).
  void RecusaLinhaArquivo(const std::string& nome, const std::string& faixa, int sessao, int empresa, int inicio,
                          int fim, bool sempre);
  void RegistraPartes(const TFonteLancada& f);
  // Sources booked in parts, several of as many parts to a statement.
  void RegistraEmPartes(const std::vector<const TFonteLancada*>& fontes);
  // Appends the values of a source booked in parts (its row, then each part's) to p.
  void ValoresPartes(const TFonteLancada& f, std::vector<Variant>& p) const;
  // The text of the statement booking fontes sources of partes parts each, made once per gate.
  const std::string& TextoPartesPreparado(size_t fontes, size_t partes);
  // Turns the database's refusal of a source into EFonteJaLancada naming what was booked of it.
  [[noreturn]] void RecusaFonte(const TFonteLancada& f, const EDatabaseError& e);
  void LePartes(std::vector<TFonteRegistrada*>& fontes, int codEmp);
  std::optional<TRecusaLivros> RecusaPeriodo(int codEmp, TDateTime data);
  // Forgets the period rules read in another transaction than the open one.
  void PeriodosDaTransacao();
  // What SP_REGRAS_PERIODO's row r (TIPO, DINI, DFIM, MOTIVO; none: no row) refuses of the company's day.
  std::optional<TRecusaLivros> RecusaDoPeriodo(int codEmp, TDateTime data, const std::vector<Variant>& r) const;
  std::optional<TRecusaLivros> RecusaConta(int codEmp, TDateTime data, int conta, int terceiro);

  TDatabase& db_;
  TExecucaoLivros execucao_;
  TIsencaoLivros isencao_;
  std::string telas_;
  uint64_t transacao_ = 0;                                                        // periodos_ read in it
  std::map<std::pair<int, int>, std::optional<TRecusaLivros>> periodos_;          // (company, day)
  std::map<std::tuple<int, int, int, int>, std::optional<TRecusaLivros>> contas_;  // (company, month, account, participant)
  std::map<std::pair<size_t, size_t>, std::string> textosPartes_;                  // (sources, parts)
};

}  // namespace vyn
