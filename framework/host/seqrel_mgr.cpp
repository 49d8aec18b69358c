#include "framework/host/seqrel_mgr.h"

#include "framework/component/process_context.h"
#include <algorithm>

#include "framework/data/fb_database.h"

namespace vyn {

TSEQRELMGR::TSEQRELMGR(TComponent* owner, TDatabase* db) : TComponent(owner), db_(db) {
  modelo_ = Create<TClientDataSet>();
  modelo_->AddFieldDef("BDSEQUENCIA", TFieldType::ftInteger);
  modelo_->AddFieldDef("BDNOME", TFieldType::ftString, 200);
  modelo_->AddFieldDef("BDVYNREPORT", TFieldType::ftInteger);
  modelo_->AddFieldDef("BDTIPO", TFieldType::ftInteger);
  modelo_->CreateDataSet();
  itens_ = Create<TClientDataSet>();
  itens_->AddFieldDef("BDSEQUENCIA", TFieldType::ftInteger);
  itens_->AddFieldDef("BDORDEM", TFieldType::ftInteger);
  itens_->AddFieldDef("BDSORT", TFieldType::ftInteger);
  itens_->AddFieldDef("BDCAPTION", TFieldType::ftString, 200);
  itens_->AddFieldDef("BDNAME", TFieldType::ftString, 100);
  itens_->AddFieldDef("BDCODSIS", TFieldType::ftInteger);
  itens_->CreateDataSet();
  valores_ = Create<TClientDataSet>();
  valores_->AddFieldDef("BDSEQUENCIA", TFieldType::ftInteger);
  valores_->AddFieldDef("BDORDEM", TFieldType::ftInteger);
  valores_->AddFieldDef("BDCOMPNAME", TFieldType::ftString, 100);
  valores_->AddFieldDef("BDCOMPVALUE", TFieldType::ftString, 4000);
  valores_->CreateDataSet();
}

TDatabase& TSEQRELMGR::Db() const {
  TDatabase* db = db_ ? db_ : ProcessContext().Database;
  if (!db) throw EDatabaseError("Sem banco de dados para as sequências de processos.");
  return *db;
}

void TSEQRELMGR::Esvazia() {
  modelo_->EmptyDataSet();
  itens_->CancelRange();
  itens_->EmptyDataSet();
  valores_->CancelRange();
  valores_->EmptyDataSet();
}

int TSEQRELMGR::GetSEQUENCIA() const {
  if (modelo_->IsEmpty()) return 0;
  const TField& f = modelo_->FieldByName("BDSEQUENCIA");
  return f.IsNull() ? 0 : static_cast<int>(f.AsInteger());
}

bool TSEQRELMGR::CarregarDados(int codigo, int tipo) {
  Esvazia();
  estado_ = 2;
  auto rows = Db().QueryAll("SELECT BDSEQUENCIA, BDNOME, BDVYNREPORT, BDTIPO FROM TSEQREL WHERE BDSEQUENCIA = ? AND "
                            "COALESCE(BDTIPO, 1) = ?",
                            {Variant(codigo), Variant(tipo)});
  if (rows.Rows.empty()) return false;
  modelo_->AppendRecord(rows.Rows[0]);
  auto itens = Db().QueryAll("SELECT BDSEQUENCIA, BDORDEM, BDSORT, BDCAPTION, BDNAME, BDCODSIS FROM TSEQRELSEQUENCIAL "
                             "WHERE BDSEQUENCIA = ? ORDER BY BDSORT, BDORDEM",
                             {Variant(codigo)});
  for (const auto& r : itens.Rows) itens_->AppendRecord(r);
  auto valores = Db().QueryAll("SELECT BDSEQUENCIA, BDORDEM, BDCOMPNAME, BDCOMPVALUE FROM TSEQUENCIA_ITEMSTELA_CONFIG "
                               "WHERE BDSEQUENCIA = ?",
                               {Variant(codigo)});
  for (const auto& r : valores.Rows) valores_->AppendRecord(r);
  modelo_->First();
  modelo_->Edit();
  estado_ = 0;
  return true;
}

void TSEQRELMGR::Novo(int tipo) {
  if (modelo_->State() == TDataSetState::dsEdit || modelo_->State() == TDataSetState::dsInsert) modelo_->Cancel();
  modelo_->EmptyDataSet();
  modelo_->Append();
  modelo_->FieldByName("BDTIPO").SetAsInteger(tipo);
  estado_ = 1;
}

void TSEQRELMGR::Cancelar() {
  if (modelo_->State() == TDataSetState::dsEdit || modelo_->State() == TDataSetState::dsInsert) modelo_->Cancel();
  Esvazia();
  estado_ = 2;
}

int TSEQRELMGR::getChaveGenerator() {
  // The generator may lag behind numbers written by other means: never hand out a taken number.
  for (;;) {
    int n = static_cast<int>(Db().ExecuteReturningAutonomous("SELECT GEN_ID(GEN_TSEQREL, 1) FROM RDB$DATABASE")[0].AsInteger());
    if (Db().QueryValue("SELECT COUNT(*) FROM TSEQREL WHERE BDSEQUENCIA = ?", {Variant(n)}).AsInteger() == 0) return n;
  }
}

void TSEQRELMGR::Gravar() {
  if (modelo_->State() == TDataSetState::dsEdit || modelo_->State() == TDataSetState::dsInsert) modelo_->Post();
  const int seq = GetSEQUENCIA();
  if (seq <= 0) throw EDatabaseError("O modelo não tem número.");
  TDatabase& db = Db();
  TTransaction tr(db);
  const TField& vyn = modelo_->FieldByName("BDVYNREPORT");
  db.Execute("UPDATE OR INSERT INTO TSEQREL (BDSEQUENCIA, BDNOME, BDVYNREPORT, BDTIPO) VALUES (?, ?, ?, ?) "
             "MATCHING (BDSEQUENCIA)",
             {Variant(seq), modelo_->FieldByName("BDNOME").Value(), vyn.IsNull() ? Variant() : vyn.Value(),
              modelo_->FieldByName("BDTIPO").Value()});
  db.Execute("DELETE FROM TSEQUENCIA_ITEMSTELA_CONFIG WHERE BDSEQUENCIA = ?", {Variant(seq)});
  db.Execute("DELETE FROM TSEQRELSEQUENCIAL WHERE BDSEQUENCIA = ?", {Variant(seq)});
  std::vector<int> chaves;
  for (itens_->First(); !itens_->Eof(); itens_->Next()) {
    chaves.push_back(static_cast<int>(itens_->FieldByName("BDORDEM").AsInteger()));
    db.Execute("INSERT INTO TSEQRELSEQUENCIAL (BDSEQUENCIA, BDORDEM, BDSORT, BDCAPTION, BDNAME, BDCODSIS) "
               "VALUES (?, ?, ?, ?, ?, ?)",
               {Variant(seq), itens_->FieldByName("BDORDEM").Value(), itens_->FieldByName("BDSORT").Value(),
                itens_->FieldByName("BDCAPTION").Value(), itens_->FieldByName("BDNAME").Value(),
                itens_->FieldByName("BDCODSIS").Value()});
  }
  for (valores_->First(); !valores_->Eof(); valores_->Next()) {
    const int ordem = static_cast<int>(valores_->FieldByName("BDORDEM").AsInteger());
    if (std::find(chaves.begin(), chaves.end(), ordem) == chaves.end()) continue;   // item removed
    db.Execute("UPDATE OR INSERT INTO TSEQUENCIA_ITEMSTELA_CONFIG (BDSEQUENCIA, BDORDEM, BDCOMPNAME, BDCOMPVALUE) "
               "VALUES (?, ?, ?, ?) MATCHING (BDSEQUENCIA, BDORDEM, BDCOMPNAME)",
               {Variant(seq), Variant(ordem), valores_->FieldByName("BDCOMPNAME").Value(),
                valores_->FieldByName("BDCOMPVALUE").Value()});
  }
  tr.Commit();
  modelo_->Edit();
  estado_ = 0;
}

void TSEQRELMGR::Excluir() {
  const int seq = GetSEQUENCIA();
  if (modelo_->State() == TDataSetState::dsEdit || modelo_->State() == TDataSetState::dsInsert) modelo_->Cancel();
  if (seq > 0) Db().Execute("DELETE FROM TSEQREL WHERE BDSEQUENCIA = ?", {Variant(seq)});
  Esvazia();
  estado_ = 2;
}

}  // namespace vyn
