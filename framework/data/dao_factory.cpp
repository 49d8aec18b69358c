#include "framework/data/dao_factory.h"
#include "framework/data/tabelas_livros.h"

#include <algorithm>
#include <unordered_map>

#include <fmt/format.h>

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/data/sql_value.h"

namespace vyn {

namespace {

// Counts nested loads so that rows appended while loading are not written back.
struct LoadingGuard {
  explicit LoadingGuard(int& n) : n_(n) { ++n_; }
  ~LoadingGuard() { --n_; }
  int& n_;
};

bool Differs(const Variant& a, const Variant& b) {
  if (a.IsNull() != b.IsNull()) return true;
  if (a.IsNull()) return false;
  if (a.Type() == VarType::String && b.Type() == VarType::String) return a.AsString() != b.AsString();
  return !(a == b);
}

Variant ToFieldType(const TField& f, const Variant& v) {
  if (v.IsNull() || v.Type() != VarType::String) return v;
  const std::string s = Trim(v.AsString());
  switch (f.DataType()) {
    case TFieldType::ftCurrency: return Variant(Currency::Parse(s));
    case TFieldType::ftFloat: return Variant(Currency::Parse(s).ToDouble());
    case TFieldType::ftInteger: case TFieldType::ftSmallint: case TFieldType::ftLargeint:
      return Variant(static_cast<long long>(v.AsInteger()));
    case TFieldType::ftDate: case TFieldType::ftDateTime: return Variant(v.AsDateTime());
    case TFieldType::ftBoolean: return Variant(v.AsBoolean());
    default: return v;
  }
}

}  // namespace

struct TDAOFactory::WriteCache {
  struct Col {
    std::string column;
    int field;
    std::string fieldName;
  };
  TDatabase* db = nullptr;
  uint64_t generation = 0;
  int fieldCount = -1;
  std::vector<Col> cols;
  std::unordered_map<std::string, TStatement*> inserts;   // by which columns are not null
};

TDAOFactory::WriteCache& TDAOFactory::Columns() {
  LoadTableInfo();
  TDatabase& db = Database();
  if (!cache_) cache_ = std::make_unique<WriteCache>();
  WriteCache& c = *cache_;
  bool valid = c.db == &db && c.generation == db.Generation() && c.fieldCount == FieldCount();
  for (size_t i = 0; valid && i < c.cols.size(); ++i) valid = Fields(c.cols[i].field).FieldName() == c.cols[i].fieldName;
  if (!valid) {
    c = WriteCache{};
    c.db = &db;
    c.generation = db.Generation();
    c.fieldCount = FieldCount();
    for (const auto& col : tableColumns_)
      if (TField* f = FindField(col)) c.cols.push_back({col, f->Index(), f->FieldName()});
  }
  return c;
}

// A query opened in packets: its condition and values, the key columns it is ordered by and the key of
// the last row held.
struct TDAOFactory::Packets {
  std::string where;
  TParams params;
  std::vector<std::string> key;
  std::vector<int> keyFields;
  std::vector<Variant> last;

  std::string Select(const std::string& table) const {
    return "SELECT * FROM " + table + " WHERE (" + where + ")";
  }
  std::string OrderBy() const { return " ORDER BY " + Join(key, ", "); }
  // The rows after the last one held, in key order: k1 >= ? AND (k1 > ? OR (k2 >= ? AND (...))), so that
  // the index on the key bounds the read.
  // The values go to p in the order of their marks in the text.
  std::string After(size_t i, TParams& p) const {
    p.push_back(last[i]);
    if (i + 1 == key.size()) return key[i] + " > ?";
    p.push_back(last[i]);
    return key[i] + " >= ? AND (" + key[i] + " > ? OR (" + After(i + 1, p) + "))";
  }
  void Remember(const std::vector<Variant>& row) {
    for (size_t i = 0; i < keyFields.size(); ++i) last[i] = row[static_cast<size_t>(keyFields[i])];
  }
};

TDAOFactory::TDAOFactory(TComponent* owner, std::string tableName, TDatabase* db)
    : TClientDataSet(owner), db_(db), table_(UpperCase(tableName)) {}

TDAOFactory::~TDAOFactory() = default;

bool TDAOFactory::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TDAOFactory") || SameText(class_name, "TClientDataSet") ||
         TClientDataSet::InheritsFrom(class_name);
}

TDatabase& TDAOFactory::Database() const {
  TDatabase* db = db_ ? db_ : ProcessContext().Database;
  if (!db) throw EDatabaseError("Nenhum banco de dados conectado para " + ClassName() + ".");
  return *db;
}

void TDAOFactory::SetTableName(std::string table) {
  table_ = UpperCase(table);
  tableInfoLoaded_ = false;
  if (!primaryKeyGiven_) primaryKey_.clear();
}

void TDAOFactory::SetPrimaryKey(std::vector<std::string> columns) {
  primaryKey_.clear();
  for (auto& c : columns) primaryKey_.push_back(UpperCase(c));
  primaryKeyGiven_ = true;
}

void TDAOFactory::LoadTableInfo() {
  if (tableInfoLoaded_ || table_.empty()) return;
  TDatabase& db = Database();
  tableColumns_ = db.TableColumns(table_);
  if (!primaryKeyGiven_) primaryKey_ = db.PrimaryKey(table_);
  tableInfoLoaded_ = true;
}

const std::vector<std::string>& TDAOFactory::PrimaryKey() {
  LoadTableInfo();
  return primaryKey_;
}

void TDAOFactory::ApplyReferencia() {
  int ref = referencia_ ? referencia_ : ProcessContext().Referencia;
  TDatabase& db = Database();
  if (ref != 0 && ref != db.SessionReferencia()) db.SetSessionReferencia(ref);
}

int64_t TDAOFactory::CommandText(const std::string& sql, TCommandMode mode, const TParams& params) {
  ApplyReferencia();
  TDatabase& db = Database();
  if (mode == ctExecute) return db.Execute(sql, params);
  AntesDeLer();
  LoadingGuard guard(loading_);
  packets_.reset();
  db.QueryInto(*this, sql, params);
  commandText_ = sql;
  commandParams_ = params;
  return RecordCount();
}

void TDAOFactory::OpenTableInPackets(const std::string& where, const TParams& params, const std::string& key) {
  if (table_.empty()) throw EDatabaseError(ClassName() + " não está ligado a uma tabela.");
  auto p = std::make_unique<Packets>();
  p->where = Trim(where).empty() ? "1 = 1" : where;
  p->params = params;
  for (const std::string& k : Split(key, ';'))
    if (!Trim(k).empty()) p->key.push_back(UpperCase(CheckSQLIdentifier<EDatabaseError>(Trim(k), "Coluna inválida: ")));
  if (p->key.empty()) throw EDatabaseError("Uma leitura em pacotes precisa de uma chave.");
  CheckSQLIdentifier<EDatabaseError>(table_, "Tabela inválida: ");
  const std::string all = p->Select(table_) + p->OrderBy();
  if (!FetchOnDemand() || PacketRecords() <= 0) {
    CommandText(all, ctOpen, params);
    return;
  }
  packets_ = std::move(p);
  AntesDeLer();
  OpenPackets(PacketRecords());
}

void TDAOFactory::OpenPackets(int rows) {
  ApplyReferencia();
  Packets& p = *packets_;
  const std::string sql = p.Select(table_) + p.OrderBy();
  TParams params = p.params;
  params.push_back(std::max(rows, PacketRecords()));
  {
    LoadingGuard guard(loading_);
    Database().QueryInto(*this, sql + " ROWS ?", params);
  }
  commandText_ = sql;
  commandParams_ = p.params;
  p.keyFields.clear();
  for (const std::string& k : p.key) {
    TField* f = FindField(k);
    if (!f) throw EDatabaseError(fmt::format("A coluna-chave {} não está na leitura de {}.", k, table_));
    p.keyFields.push_back(f->Index());
  }
  p.last.assign(p.key.size(), Variant());
  const int held = FetchedRecordCount();
  if (held == 0) return;
  {
    // The last row held is where the next packet starts.
    TBulkLoad lote(*this);
    TDisabledControls controles(*this);
    SetRecNo(held);
    for (size_t i = 0; i < p.keyFields.size(); ++i) p.last[i] = Fields(p.keyFields[i]).Value();
    First();
  }
  SetFetchPending(held >= std::max(rows, PacketRecords()));
}

int TDAOFactory::DoFetchPacket(int count) {
  if (!packets_ || packets_->last.empty() || packets_->last.front().IsNull()) return 0;
  Packets& p = *packets_;
  ApplyReferencia();
  TParams params = p.params;
  const std::string after = p.After(0, params);
  std::string sql = p.Select(table_) + " AND (" + after + ")" + p.OrderBy();
  if (count > 0) {
    sql += " ROWS ?";
    params.push_back(count);
  }
  LoadingGuard guard(loading_);
  int n = 0;
  Database().Prepared(sql).Query(params, [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& row) {
    AppendFetched(row);
    p.Remember(row);
    ++n;
  });
  return n;
}

void TDAOFactory::OpenTable(const std::string& where, const TParams& params) {
  if (table_.empty()) throw EDatabaseError(ClassName() + " não está ligado a uma tabela.");
  std::string sql = "SELECT * FROM " + table_;
  if (!Trim(where).empty()) sql += " WHERE " + where;
  CommandText(sql, ctOpen, params);
}

void TDAOFactory::SelectVazio() { OpenTable("1 = 0"); }

void TDAOFactory::OpenFields(const TStatement& st) {
  LoadingGuard guard(loading_);
  packets_.reset();
  DefineFields(*this, st.Columns());
  commandText_.clear();
  commandParams_.clear();
}

void TDAOFactory::Refresh() {
  if (commandText_.empty()) return;
  int recno = RecNo();
  if (packets_) {
    OpenPackets(Active() ? FetchedRecordCount() : 0);
  } else {
    const std::string sql = commandText_;
    const TParams params = commandParams_;
    CommandText(sql, ctOpen, params);
  }
  if (recno > 0 && recno <= FetchedRecordCount()) SetRecNo(recno);
}

bool TDAOFactory::SearchKey(const std::string& fields, const std::vector<Variant>& values, unsigned options) {
  std::vector<std::string> names = Split(fields, ';');
  std::vector<Variant> typed;
  typed.reserve(values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    TField* f = i < names.size() ? FindField(Trim(names[i])) : nullptr;
    typed.push_back(f ? ToFieldType(*f, values[i]) : values[i]);
  }
  return Locate(fields, typed, options);
}

void TDAOFactory::CommitRetanning() {
  if (State() == TDataSetState::dsEdit || State() == TDataSetState::dsInsert) Post();
}

void TDAOFactory::EmptyDataSetDao() {
  LoadingGuard guard(loading_);
  EmptyDataSet();
}

void TDAOFactory::AdiaConsulta(const std::string& sql, const TParams& params) {
  packets_.reset();
  EmptyDataSetDao();
  commandText_ = sql;
  commandParams_ = params;
}

bool ModoArquivoGrande(const TDAOFactory* dao) {
  return dao && dao->HugeFile() && dao->Sessao() > 0 && !dao->WorkTable().empty();
}

bool TDAOFactory::WritesBack() const { return loading_ == 0 && !controlMemory_ && !table_.empty(); }

void TDAOFactory::RecusaTabelaDosLivros() const {
  if (TabelaDosLivros(UpperCase(table_)))
    throw EDatabaseError("A tabela " + table_ + " só é gravada pelos livros: esta consulta não a altera.");
}

std::string TDAOFactory::KeyCondition() const {
  std::string where;
  for (const auto& k : primaryKey_) {
    if (!where.empty()) where += " AND ";
    where += k + " = ?";
  }
  return where;
}

std::vector<Variant> TDAOFactory::KeyValues(bool old) const {
  std::vector<Variant> v;
  for (const auto& k : primaryKey_) {
    TField* f = FindField(k);
    if (!f) throw EDatabaseError(fmt::format("O campo-chave {} de {} não está no conjunto de dados.", k, table_));
    v.push_back(old ? f->OldValue() : f->Value());
  }
  return v;
}

void TDAOFactory::DoBeforeWrite(bool inserting) {
  if (!WritesBack()) return;
  RecusaTabelaDosLivros();
  LoadTableInfo();
  TDatabase& db = Database();
  if (tableColumns_.empty()) throw EDatabaseError("Tabela " + table_ + " não encontrada no banco de dados.");

  WriteCache& cache = Columns();
  std::vector<std::string> cols;
  TParams values;
  if (inserting) {
    // Null columns are left out so that their defaults apply; one statement per set of columns.
    std::string mask(cache.cols.size(), '0');
    values.reserve(cache.cols.size());
    for (size_t i = 0; i < cache.cols.size(); ++i) {
      const TField& f = Fields(cache.cols[i].field);
      if (f.IsNull()) continue;
      mask[i] = '1';
      values.push_back(f.Value());
    }
    if (values.empty()) throw EDatabaseError("Nenhum valor para gravar em " + table_ + ".");
    TStatement*& stmt = cache.inserts[mask];
    if (!stmt) {
      std::string marks;
      for (size_t i = 0; i < cache.cols.size(); ++i) {
        if (mask[i] != '1') continue;
        cols.push_back(cache.cols[i].column);
        marks += marks.empty() ? "?" : ", ?";
      }
      stmt = &db.Prepared("INSERT INTO " + table_ + " (" + Join(cols, ", ") + ") VALUES (" + marks + ")");
    }
    stmt->Run(values);
    return;
  }

  if (primaryKey_.empty())
    throw EDatabaseError("A tabela " + table_ + " não tem chave primária: não é possível gravar a alteração.");
  for (const auto& c : cache.cols) {
    const TField& f = Fields(c.field);
    Variant now = f.Value();
    if (!Differs(now, f.OldValue())) continue;
    cols.push_back(c.column + " = ?");
    values.push_back(std::move(now));
  }
  if (cols.empty()) return;
  for (auto& k : KeyValues(true)) values.push_back(k);
  const std::string sql = "UPDATE " + table_ + " SET " + Join(cols, ", ") + " WHERE " + KeyCondition();
  if (db.Prepared(sql).Execute(values) == 0)
    throw EDatabaseError("O registro de " + table_ + " não existe mais no banco de dados (excluído por outro usuário?).", sql);
}

void TDAOFactory::DoBeforeDeleteRow() {
  if (!WritesBack()) return;
  RecusaTabelaDosLivros();
  LoadTableInfo();
  if (primaryKey_.empty())
    throw EDatabaseError("A tabela " + table_ + " não tem chave primária: não é possível excluir o registro.");
  const std::vector<Variant> key = KeyValues(true);
  const std::string sql = "DELETE FROM " + table_ + " WHERE " + KeyCondition();
  if (Database().Prepared(sql).Execute(key) == 0) {
    std::vector<std::string> parts;
    for (size_t i = 0; i < key.size(); ++i) parts.push_back(primaryKey_[i] + " = " + key[i].AsString());
    throw EDatabaseError("O registro de " + table_ + " (" + Join(parts, ", ") +
                             ") não existe mais no banco de dados (excluído por outro usuário?).",
                         sql);
  }
}

std::string TDAOFactory::Executa_Script(const std::vector<std::string>& script, bool, bool, const std::string&, int,
                                        bool, TDatabase* db) {
  TDatabase* d = db ? db : ProcessContext().Database;
  if (!d) throw EDatabaseError("Nenhum banco de dados conectado.");
  TScriptResult r = d->ExecuteScript(script);
  if (r.Ok()) return {};
  return fmt::format("Erro no comando {} do script: {}\nComando: {}", r.FailedIndex + 1, r.Error, r.FailedStatement);
}

}  // namespace vyn
