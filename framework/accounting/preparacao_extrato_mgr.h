#pragma once
// Preparation rules of bank statements and cash movements ("preparações"): the view
// VZEL_EMPRESAS_TPRE_EXT_BANCARIO over the rules table, held in memory by the statement review, and
// the application of a company's rules to statement lines.
#include <string>
#include <vector>

#include "framework/data/dao_factory.h"

namespace vyn {

// Origin of a rule of a review: delivered with the statement (BDCHAVELANC null) or made from a line.
enum TTipoPreparacao : int { tpDYQ = 0, tpExtrato = 1 };

class TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR : public TMgr<TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR> {
 public:
  static constexpr const char* kTabela = "VZEL_EMP_TPRE_EXT_BANCARIO";

  explicit TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR(TComponent* owner = nullptr, TDatabase* db = nullptr);
  std::string ClassName() const override { return "TVZEL_EMPRESAS_TPRE_EXT_BANCARIOMGR"; }

  // Opens empty with the view's columns and BDCHAVELANC (the line a rule was made from).
  void CriaEstrutura();
  // The company's stored rules of one account kind (TTipoContaExtratoBancario).
  void getConsulta(int codEmp, int tipoConta);
  // Reserves quantidade rule keys (one generator for every company); answers the first.
  static int GetChaveLancamento(int codEmp, int quantidade, bool);
  // The companies the appended rules are written for.
  void setEmpresas(const std::vector<std::string>& empresas) { empresas_ = empresas; }
  const std::vector<std::string>& Empresas() const { return empresas_; }
  // The Dyq auxiliary data set: the rules to be sent back to Dyq along with the import.
  void CriaDAODYQAux() { dyqAux_ = true; }
  bool TemDAODYQAux() const { return dyqAux_; }
  // Inserts every row into the rules table through db (the caller's transaction); answers the count.
  int GravaRegras(TDatabase& db);

 private:
  std::vector<std::string> empresas_;
  bool dyqAux_ = false;
};

// Applies the rules to the lines that are not split rows: a rule of the bank account and account
// kind whose text matches the line's bank text (BDCOMPLBANCARIO, else BDCOMPL; whole text when
// BDCOINCIDE, else contained, without regard to case) and whose direction suits the line fills the
// line's empty counter side, its participant, history and (BDALTCOMPL) complement. The first rule
// by key wins; lines already complete are left alone unless `sobrescreve` (a Dyq statement whose
// opener chose to overwrite what Dyq's office filled in): then a matching rule replaces their counter
// side too. Answers the lines completed.
int GetContraPartida(int contaBanco, TClientDataSet& regras, TClientDataSet& linhas, int tipoConta,
                     bool sobrescreve = false);

}  // namespace vyn
