#pragma once
// Preparation rules of bank statements and cash movements ("preparações"): the view
// VZEL_EMPRESAS_TPRE_EXT_BANCARIO over the rules table, held in memory by the statement review, and
// the application of a company's rules to statement lines.
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "framework/data/dao_factory.h"

namespace vyn {

// Origin of a rule of a review: delivered with the statement (BDCHAVELANC null) or made from a line.
enum TTipoPreparacao : int { tpDYQ = 0, tpExtrato = 1 };

class TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR : public TMgr<TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR> {
 public:
  static constexpr const char* kTabela = "VZEL_EMP_TPRE_EXT_BANCARIO";

  explicit TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR(TComponent* owner = nullptr, TDatabase* db = nullptr);
  std::string ClassName() const override { return "TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR"; }

  // Opens empty with the view's columns, BDCHAVELANC (the line a rule was made from) and, in memory
  // only, BDGRAVADA ('TRUE': a rule the company already stores, which the review shows and never
  // writes again), BDIDWEB and BDIDEXTRATOWEB (a rule Dyq sent with a statement, and that statement).
  void CriaEstrutura();
  // The company's stored rules of one account kind (TTipoContaExtratoBancario), marked stored.
  void getConsulta(int codEmp, int tipoConta);
  // Appends the rules an opener hands (Dyq's, as AdicionaPreparacoesDYQ makes them), but not a Dyq
  // rule the company already stores alike (all that it writes on a line): a rule stored from an earlier
  // statement comes again until Dyq hears of it, and is kept to be told again (JaGravadasDYQ). Answers
  // the appended.
  int AcrescentaPreparacoesDYQ(TClientDataSet& dyq);
  // The Dyq rules (id, statement id) that came again though the company stores them: a report Dyq did
  // not take (refused, or a run killed before it) is made good by telling them with the next import.
  const std::vector<std::pair<int64_t, int64_t>>& JaGravadasDYQ() const { return jaGravadasDYQ_; }
  // Records that Dyq took the report of the company's rules ids, in a transaction of its own.
  void RegistraInformadas(int codEmp, const std::vector<int64_t>& ids);
  // How many rows the import is to write (rules not stored yet).
  int ContaRegrasNovas();
  // The Dyq ids of the rules not stored yet that came from Dyq.
  std::vector<int64_t> IdsPreparacoesDYQ();
  // Reserves quantidade rule keys (one generator for every company); answers the first.
  static int GetChaveLancamento(int codEmp, int quantidade, bool);
  // The companies the appended rules are written for.
  void setEmpresas(const std::vector<std::string>& empresas) { empresas_ = empresas; }
  const std::vector<std::string>& Empresas() const { return empresas_; }
  // The Dyq auxiliary data set: the rules to be sent back to Dyq along with the import.
  void CriaDAODYQAux() { dyqAux_ = true; }
  bool TemDAODYQAux() const { return dyqAux_; }
  // Inserts every row not stored yet into the rules table through db (the caller's transaction), a
  // rule of Dyq's under its id's key: one another workstation stored meanwhile is left out, and not
  // reported by this review. Answers the count written.
  int GravaRegras(TDatabase& db);

 private:
  std::vector<std::string> empresas_;
  bool dyqAux_ = false;
  std::vector<std::pair<int64_t, int64_t>> jaGravadasDYQ_;
  bool Informada(int64_t codEmp, int64_t id);
  // Keys the current row's Dyq id; false when the id was taken, and the row just inserted is removed.
  bool GuardaIdDYQ(TDatabase& db);
  std::set<std::pair<int64_t, int64_t>> tomadas_;  // (company, Dyq id) another workstation stored
};

// Applies the rules to the lines that are not split rows: a rule of the bank account and account
// kind whose text matches the line's bank text (BDCOMPLBANCARIO, else BDCOMPL; whole text when
// BDCOINCIDE, else contained, without regard to case) and whose direction suits the line fills the
// line's empty counter side, its participant, history and (BDALTCOMPL) complement. The first rule
// by key wins; lines already complete are left alone unless `sobrescreve` (a Dyq statement whose
// opener chose to overwrite what Dyq's office filled in): then a matching rule replaces their counter
// side too. Answers the lines completed.
// The filter of the rows a review has not stored yet and that came with the statement (tpDYQ).
inline constexpr const char* kFiltroPreparacoesDYQ = "BDCHAVELANC IS NULL AND BDGRAVADA IS NULL";
inline constexpr const char* kFiltroPreparacoesNovas = "BDGRAVADA IS NULL";

// Turns the "preparacoes" Dyq sent with statement idExtrato of the company into rule rows of the
// statement's bank account (a TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR's columns; keys 1, 2, ... until the
// import reserves real ones). A rule that is not the protocol's (no id, no text, no counter account,
// a text longer than the rules table keeps, an unknown direction) is left out and named in recusadas;
// the others come.
void AdicionaPreparacoesDYQ(TClientDataSet& regras, const nlohmann::json& preparacoes, int64_t idExtrato,
                            int empresa, int contaBanco, int tipoConta, std::vector<std::string>& recusadas);

int GetContraPartida(int contaBanco, TClientDataSet& regras, TClientDataSet& linhas, int tipoConta,
                     bool sobrescreve = false);

}  // namespace vyn
