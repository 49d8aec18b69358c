#pragma once
// The report-sequence tables as one chain of data sets (TSEQRELMGR): the model row (TSEQREL), its
// items (TSEQRELSEQUENCIAL) and their saved control values (TSEQUENCIA_ITEMSTELA_CONFIG). Edits stay
// in memory; Gravar writes the model, its items and its values in one transaction, so the database
// holds exactly what the model shows (items removed take their saved values with them).
#include <string>

#include "framework/component/component.h"
#include "framework/data/client_dataset.h"

namespace vyn {

class TDatabase;

class TSEQRELMGR : public TComponent {
 public:
  explicit TSEQRELMGR(TComponent* owner = nullptr, TDatabase* db = nullptr);
  std::string ClassName() const override { return "TSEQRELMGR"; }
  // An empty manager, waiting for a model.
  static TSEQRELMGR* CreateMgrFirst0(TComponent* owner, bool = true) { return owner->Create<TSEQRELMGR>(); }

  // 0 editing a saved model, 1 a new model, 2 waiting.
  int Estado() const { return estado_; }
  // Loads the model of that number and kind with its items (BDSORT order) and values; False when none.
  bool CarregarDados(int codigo, int tipo);
  // A new model row (state 1); the items and values in memory stay.
  void Novo(int tipo);
  // Back to waiting; memory emptied.
  void Cancelar();
  // The next model number.
  int getChaveGenerator();
  // Writes model, items and values (all or nothing) and goes to state 0. BDSORT follows the items'
  // order in memory.
  void Gravar();
  // Deletes the model with its items and values; back to waiting.
  void Excluir();

  TClientDataSet& Modelo() { return *modelo_; }
  TClientDataSet& Itens() { return *itens_; }
  TClientDataSet& Valores() { return *valores_; }
  int GetSEQUENCIA() const;

 private:
  TDatabase& Db() const;
  void Esvazia();
  TDatabase* db_;
  TClientDataSet* modelo_;
  TClientDataSet* itens_;
  TClientDataSet* valores_;
  int estado_ = 2;
};

}  // namespace vyn
