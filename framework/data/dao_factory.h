#pragma once
// Data-access objects: an in-memory data set bound to one table or view (or to free SQL) of a company
// database. Rows posted or deleted through a table-bound object are written to its table by primary key
// before the in-memory row changes, so a failed write leaves the row as it was.
#include <memory>
#include <string>
#include <vector>

#include "framework/data/client_dataset.h"
#include "framework/data/fb_database.h"

namespace vyn {

// What CommandText does with its SQL: open a query into the data set, or execute a statement.
enum TCommandMode : int { ctOpen = 0, ctExecute = 1 };

class TDAOFactory : public TClientDataSet {
 public:
  // tableName empty: free SQL (nothing written back). db null: the process context's database.
  explicit TDAOFactory(TComponent* owner = nullptr, std::string tableName = {}, TDatabase* db = nullptr);
  ~TDAOFactory() override;
  std::string ClassName() const override { return "TDAOFactory"; }
  bool InheritsFrom(const std::string& class_name) const override;

  TDatabase& Database() const;   // throws EDatabaseError when there is none
  void SetDatabase(TDatabase* db) { db_ = db; }
  const std::string& TableName() const { return table_; }
  void SetTableName(std::string table);
  // Key columns used to write rows back; read from the system tables unless given.
  void SetPrimaryKey(std::vector<std::string> columns);
  const std::vector<std::string>& PrimaryKey();

  // Open: loads the query's rows (the structure follows the query) and remembers the SQL.
  // Execute: runs the statement and returns the rows it affected.
  int64_t CommandText(const std::string& sql, TCommandMode mode = ctOpen, const TParams& params = {});
  const std::string& GetCommandText() const { return commandText_; }
  // The values bound to the last query: reopening it takes both.
  const TParams& GetCommandParams() const { return commandParams_; }
  // Opens the table (where: a condition without the word WHERE).
  void OpenTable(const std::string& where = {}, const TParams& params = {});
  // Opens the table's structure with no rows.
  void SelectVazio();
  // Opens with the fields of st's columns and no rows, for a selection that adds the rows it wants from
  // st's runs: st, prepared once, also gives the structure. Nothing is left to reload (Refresh).
  void OpenFields(const TStatement& st);
  // Opens the table's rows that meet where (a condition without the word WHERE) in the order of the
  // columns of key ("A;B", unique together). With FetchOnDemand set and PacketRecords above 0 it holds
  // the first packet only, and each next packet is a fresh bound query of the rows after the last one
  // held: rows written meanwhile come as the table holds them then, and none comes twice. Otherwise
  // it reads them all. GetCommandText answers the whole query (ordered by the key).
  void OpenTableInPackets(const std::string& where, const TParams& params, const std::string& key);
  // Reloads the last query, keeping the record number where possible; a query opened in packets is
  // opened so again, holding as many rows as it held.
  void Refresh();

  // Positions on the first row whose fields ("A;B") equal the values; the values are converted to the
  // fields' types first (texts such as "05/03/2024" or "1.234,56" are accepted).
  bool SearchKey(const std::string& fields, const std::vector<Variant>& values, unsigned options = 0);

  // Posts a pending edit (the row is written then).
  void CommitRetanning();
  // Empties the rows in memory only.
  void EmptyDataSetDao();
  // Empties the rows in memory and takes sql as the query the next Refresh reads, reading nothing now.
  void AdiaConsulta(const std::string& sql, const TParams& params);

  // Memory-only mode: posts and deletes stay in memory.
  void SetControlMemory(bool on) { controlMemory_ = on; }
  bool ControlMemory() const { return controlMemory_; }

  // Large-file mode: the rows live in a session work table (see ModoArquivoGrande).
  void SetHugeFile(bool on) { hugeFile_ = on; }
  bool HugeFile() const { return hugeFile_; }
  void SetSessao(int session) { sessao_ = session; }
  int Sessao() const { return sessao_; }
  void SetWorkTable(std::string table) { workTable_ = std::move(table); }
  const std::string& WorkTable() const { return workTable_; }

  // Reference month the object's queries see (VW_*_REF views); 0 follows the process context.
  void SetReferencia(int yyyymm) { referencia_ = yyyymm; }
  int GetReferencia() const { return referencia_; }

  // A script runs all or nothing (inside an open transaction it undoes only itself) and answers the
  // error text, empty on success. The flags of the suite's signature are accepted for its callers and
  // do not change that. A caller that wants more than the script in one transaction holds a
  // TTransaction around it.
  static std::string Executa_Script(const std::vector<std::string>& script, bool = false, bool = false,
                                    const std::string& = {}, int = 0, bool = false, TDatabase* db = nullptr);

  // Makes a manager owned by owner (freed with it). Managers are subclasses named after their table
  // plus MGR whose constructor takes (owner, extra arguments...).
  template <class T, class... Args>
  static T* CreateMgrOf(TComponent* owner, Args&&... args) {
    if (!owner) throw EDatabaseError("Um gerenciador precisa de um dono (owner) que o libere.");
    return owner->Create<T>(std::forward<Args>(args)...);
  }

 protected:
  void DoBeforeWrite(bool inserting) override;
  void DoBeforeDeleteRow() override;
  int DoFetchPacket(int count) override;

 protected:
  // Runs before each query is read into this data set: a table whose stored rows may lag behind what
  // they describe brings them up to date first.
  virtual void AntesDeLer() {}

 private:
  struct Packets;
  std::unique_ptr<Packets> packets_;
  // Opens the packets' query holding its first rows (at least a packet).
  void OpenPackets(int rows);
  friend class TDatabase;   // loads rows without writing them back
  void ApplyReferencia();
  void LoadTableInfo();
  bool WritesBack() const;
  // A table only the books' gate writes (tabelas_livros.h) is never written back: raises EDatabaseError.
  void RecusaTabelaDosLivros() const;
  std::vector<Variant> KeyValues(bool old) const;
  struct WriteCache;
  WriteCache& Columns();   // the table's columns present in the data set, rebuilt when either changes
  std::unique_ptr<WriteCache> cache_;
  std::string KeyCondition() const;

  TDatabase* db_ = nullptr;
  std::string table_;
  std::string commandText_;
  TParams commandParams_;
  std::vector<std::string> primaryKey_;
  bool primaryKeyGiven_ = false;
  bool tableInfoLoaded_ = false;
  std::vector<std::string> tableColumns_;
  bool controlMemory_ = false;
  bool hugeFile_ = false;
  int sessao_ = 0;
  std::string workTable_;
  int referencia_ = 0;
  int loading_ = 0;
};

// Staged or in memory: whether dao's rows live in a session work table (large-file mode with a session
// and a table); anything else, null included, holds its rows in memory only.
bool ModoArquivoGrande(const TDAOFactory* dao);

// Base of per-table managers: `class TTERCEIROMGR : public TMgr<TTERCEIROMGR>`, constructed with
// (owner, table name) and made with TTERCEIROMGR::CreateMgr(owner, ...).
template <class Derived>
class TMgr : public TDAOFactory {
 public:
  using TDAOFactory::TDAOFactory;
  template <class... Args>
  static Derived* CreateMgr(TComponent* owner, Args&&... args) {
    return TDAOFactory::CreateMgrOf<Derived>(owner, std::forward<Args>(args)...);
  }
  // A manager its caller holds.
  template <class... Args>
  static std::unique_ptr<Derived> CreateMgrOwned(Args&&... args) {
    return std::make_unique<Derived>(nullptr, std::forward<Args>(args)...);
  }
};

}  // namespace vyn
