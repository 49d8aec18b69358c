#pragma once
// The company database: one Firebird 3 attachment (embedded for a file path, a server for "host:path"),
// its transactions and its statements. Values go in as bound parameters; text is UTF8 on the wire and
// WIN1252 in the database.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "framework/core/variant.h"
#include "framework/data/client_dataset.h"

namespace vyn {

// How long a statement waits for a row another transaction holds before it fails with a lock conflict.
inline constexpr std::chrono::seconds kEsperaBloqueio{60};

class EDatabaseError : public std::runtime_error {
 public:
  EDatabaseError(const std::string& message, std::string sql = {}, long code = 0)
      : std::runtime_error(message), sql_(std::move(sql)), code_(code) {}
  const std::string& SQL() const { return sql_; }
  long ErrorCode() const { return code_; }   // the first Firebird error code, 0 when not from the server
  bool IsLockConflict() const;
  // A primary or unique key another attachment wrote first.
  bool IsUniqueViolation() const;
  // A CHECK constraint (or a check a trigger's update met) refused the row.
  bool IsCheckViolation() const;
  // An embedded database another process holds open (several workstations need a server).
  bool IsOpenByAnotherProcess() const;

 private:
  std::string sql_;
  long code_;
};

using TParams = std::vector<Variant>;

struct TColumnInfo {
  std::string Name;          // as the server gives it (the alias, upper case unless quoted)
  TFieldType DataType = TFieldType::ftString;
  int Size = 0;              // characters for text
};

// A fully read result: small queries, tests, schema checks.
// Where column lies among a statement's columns, without regard to case; -1 if absent.
int IndexOfColumn(const std::vector<TColumnInfo>& columns, std::string_view column);

struct TQueryResult {
  std::vector<TColumnInfo> Columns;
  std::vector<std::vector<Variant>> Rows;
  int IndexOf(std::string_view column) const;   // without regard to case; -1 if absent
  const Variant& Value(size_t row, std::string_view column) const;
};

class TDatabase;
class TStatement;

// An explicit transaction. While it is open, every statement of its database runs in it; it rolls back
// when it goes out of scope uncommitted.
//
// A unit of work that a caller may already have put inside its own transaction joins it instead
// (TTransaction tr(db, TTransaction::kJuntaAberta)): it then neither commits nor rolls back, since
// what the caller's transaction holds is the caller's to decide, and an error reaches the caller.
class TTransaction {
 public:
  struct TJuntaAberta {};
  static constexpr TJuntaAberta kJuntaAberta{};
  // One that never waits for a row another transaction holds: it meets a lock conflict at once.
  struct TSemEspera {};
  static constexpr TSemEspera kSemEspera{};
  explicit TTransaction(TDatabase& db);
  TTransaction(TDatabase& db, TJuntaAberta);
  TTransaction(TDatabase& db, TSemEspera);
  ~TTransaction();
  TTransaction(const TTransaction&) = delete;
  TTransaction& operator=(const TTransaction&) = delete;
  void Commit();
  // Commits what was done so far and stays open for what follows (one start for several commits).
  void CommitRetaining();
  void Rollback();
  bool Active() const { return active_; }
  // Whether this one joined a transaction its caller had open.
  bool Joined() const { return joined_; }

 private:
  TDatabase& db_;
  bool active_ = false;
  bool joined_ = false;
};

using TRowCallback = std::function<void(const std::vector<TColumnInfo>& columns, const std::vector<Variant>& row)>;

// Result of a script run: empty Error means every statement ran and was committed.
struct TScriptResult {
  bool Ok() const { return Error.empty(); }
  std::string Error;          // the server's text
  int FailedIndex = -1;       // 0-based index of the failing statement
  std::string FailedStatement;
};

class TDatabase {
 public:
  TDatabase();
  ~TDatabase();
  TDatabase(const TDatabase&) = delete;
  TDatabase& operator=(const TDatabase&) = delete;

  // A file path attaches embedded; "host:path" or "host/port:path" goes to a server. A missing file
  // raises an error naming the path. User and password default to ISC_USER/ISC_PASSWORD or SYSDBA.
  void Open(const std::string& connection, const std::string& user = {}, const std::string& password = {});
  void Close();
  bool Connected() const;
  const std::string& ConnectionString() const { return connection_; }

  // Creates a new, empty database (page size 8192, WIN1252 with WIN_PTBR collation) and leaves it open.
  static std::unique_ptr<TDatabase> Create(const std::string& connection, const std::string& user = {},
                                           const std::string& password = {}, int pageSize = 8192);

  // The database-wide transaction every statement uses while it is open (what a TTransaction holds).
  void StartTransaction();
  // As StartTransaction, but a row another transaction holds is a lock conflict at once, not a wait.
  void StartTransactionSemEspera();
  void Commit();
  void CommitRetaining();
  void Rollback();
  bool InTransaction() const;
  // Tells one open transaction from the next (CommitRetaining starts another); 0 while none is open, when
  // each statement commits on its own. What a reader keeps of what a transaction saw lives no longer.
  uint64_t Transacao() const { return transacao_; }

  // Statements outside a transaction commit on their own. Returns the rows affected (or -1 when unknown).
  int64_t Execute(const std::string& sql, const TParams& params = {});
  // A statement that returns one row (UPDATE ... RETURNING, EXECUTE PROCEDURE, SELECT): the first row,
  // empty when none.
  std::vector<Variant> ExecuteReturning(const std::string& sql, const TParams& params = {});
  void Query(const std::string& sql, const TParams& params, const TRowCallback& onRow,
             std::vector<TColumnInfo>* columns = nullptr);
  // As ExecuteReturning, in a transaction of its own committed at once, even while another is open
  // (reservations other attachments must see immediately).
  std::vector<Variant> ExecuteReturningAutonomous(const std::string& sql, const TParams& params = {});
  TQueryResult QueryAll(const std::string& sql, const TParams& params = {});
  // Whether the query meets a row another transaction has changed and not yet ended. It runs in a
  // read-only transaction of its own that neither waits nor reads past such a row, so readers never
  // block one another while a writer's open change is seen at once.
  bool MeetsUncommittedChange(const std::string& sql, const TParams& params = {});
  // First column of the first row; null when no row.
  Variant QueryValue(const std::string& sql, const TParams& params = {});
  // Replaces the data set's structure and rows with the query's (typed fields, server column names).
  void QueryInto(TClientDataSet& ds, const std::string& sql, const TParams& params = {});

  // Runs the statements all or nothing. Without an open transaction it runs them in one of its own,
  // committed on success; inside an open transaction a failure undoes the script's statements only
  // (a savepoint) and commit stays with the caller.
  TScriptResult ExecuteScript(const std::vector<std::string>& statements);
  // As ExecuteScript, raising EDatabaseError naming the failing statement.
  void ExecuteScriptOrThrow(const std::vector<std::string>& statements);

  // A statement prepared once and run many times; owned by the database, valid until Close.
  TStatement& Prepared(const std::string& sql);
  // Changes whenever the attachment does (Open, Close): statements kept by others are stale then.
  uint64_t Generation() const { return generation_; }
  std::unique_ptr<TStatement> Prepare(const std::string& sql);

  // Session context read by views (RDB$GET_CONTEXT('USER_SESSION', 'REFERENCIA')).
  void SetSessionReferencia(int yyyymm);
  int SessionReferencia() const { return referencia_; }
  // A USER_SESSION context variable this program keeps on its attachment (views and triggers read them;
  // nullopt clears it). Every statement runs with the values last set here, on whatever attachment Open
  // made last: a changed value reaches the server just before the next statement, in that statement's
  // transaction, so setting and restoring one around a few statements costs nothing until one runs, and a
  // value that failed to reach the server is sent again before anything else runs.
  void SetSessionContext(const std::string& name, std::optional<std::string> value);
  std::optional<std::string> SessionContext(const std::string& name) const;

  // Primary key columns of a table, from the system tables (upper case, in key order).
  std::vector<std::string> PrimaryKey(const std::string& table);
  // Writable columns of a table (not computed), upper case, in position order; empty when no table.
  std::vector<std::string> TableColumns(const std::string& table);
  bool TableExists(const std::string& table);
  // Creates a table the program makes on first use (ddl) unless it exists; another workstation
  // creating it at the same moment is not an error.
  void CreateTableIfMissing(const std::string& table, const std::string& ddl);

  struct Impl;
  Impl& impl() { return *impl_; }

 private:
  friend class TTransaction;
  friend class TStatement;
  // Sends the context values the attachment does not hold yet (see SetSessionContext).
  void SendSessionContext();

  std::unique_ptr<Impl> impl_;
  std::string connection_;
  int referencia_ = 0;
  uint64_t generation_ = 0;
  uint64_t transacao_ = 0;
  uint64_t transacoes_ = 0;
};

class TStatement {
 public:
  ~TStatement();
  const std::string& SQL() const { return sql_; }
  int64_t Execute(const TParams& params = {});
  // As Execute without counting the rows affected (counting costs a server round of its own).
  void Run(const TParams& params = {});
  std::vector<Variant> ExecuteReturning(const TParams& params = {});
  std::vector<Variant> ExecuteReturningAutonomous(const TParams& params = {});
  bool MeetsUncommittedChange(const TParams& params = {});
  void Query(const TParams& params, const TRowCallback& onRow, std::vector<TColumnInfo>* columns = nullptr);
  // The first column of the first row (null when there is none).
  Variant QueryValue(const TParams& params = {});
  const std::vector<TColumnInfo>& Columns() const;

  struct Impl;

 private:
  friend class TDatabase;
  TStatement(TDatabase& db, std::string sql);
  TDatabase& db_;
  std::string sql_;
  std::unique_ptr<Impl> impl_;
};

// A session context value held for a scope and put back as it was at its end (scopes nest). Sends
// nothing by itself (TDatabase::SetSessionContext).
class TSessionContextScope {
 public:
  TSessionContextScope(TDatabase& db, std::string name, std::optional<std::string> value);
  ~TSessionContextScope() { db_.SetSessionContext(name_, before_); }
  TSessionContextScope(const TSessionContextScope&) = delete;
  TSessionContextScope& operator=(const TSessionContextScope&) = delete;

 private:
  TDatabase& db_;
  std::string name_;
  std::optional<std::string> before_;
};

// Closes ds and gives it the fields of a query's columns, without rows.
void DefineFields(TClientDataSet& ds, const std::vector<TColumnInfo>& columns);

// Whether a connection string names a server ("host:path") rather than a local file.
bool IsRemoteConnection(std::string_view connection);

}  // namespace vyn
