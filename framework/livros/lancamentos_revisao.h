#pragma once
// The ledger rows an import review writes, through the gate: a data set's lines one by one (with their
// long complements and cost-centre rows), or a staged session's lines a stretch of keys at a time. The
// lines were checked against the gate's rules when the review validated them (TLivros::Recusa); these
// only write, in the review's transaction.
#include <map>
#include <memory>
#include <string>

#include "framework/core/variant.h"
#include "framework/data/insere_linha.h"

namespace vyn {

class TClientDataSet;
class TDatabase;
class TStatement;

class TLancamentosRevisao {
 public:
  explicit TLancamentosRevisao(TDatabase& db);
  ~TLancamentosRevisao();
  // ds's current row as a ledger entry (the columns the ledger has); valores replace the row's own.
  void Insere(const TClientDataSet& ds, const std::map<std::string, Variant>& valores = {});
  // The long complement of an entry written by this run.
  void InsereComplemento(int empresa, int chave, const std::string& texto);
  // cc's current row into tabela, the cost-centre table of the entries.
  void InsereCentroCusto(const TClientDataSet& cc, const std::string& tabela);

 private:
  TDatabase& db_;
  TInsereLinha lancamento_;
  std::map<std::string, std::unique_ptr<TInsereLinha>> centros_;
};

// A staged session's lines (work table tabela, checked by the caller) copied into the ledger under their
// reserved keys, with their long complements, cost centres, rural-producer and real-estate details and
// explanatory notes.
class TCopiaSessaoLancamentos {
 public:
  TCopiaSessaoLancamentos(TDatabase& db, const std::string& tabela, int sessao);
  // The lines of company empresa with provisional keys inicio..fim, each key moved by desvio; answers
  // how many lines the work table held there.
  int64_t Copia(int empresa, int inicio, int fim, int desvio);

 private:
  TDatabase& db_;
  int sessao_;
  TStatement* insere_ = nullptr;
  TStatement* complemento_ = nullptr;
  TStatement* centros_ = nullptr;
  TStatement* produtor_ = nullptr;
  TStatement* incorporacao_ = nullptr;
  TStatement* nota_ = nullptr;
};

}  // namespace vyn
