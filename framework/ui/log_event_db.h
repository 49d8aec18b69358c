#pragma once
// Writes action-log records to the action-log table of a company database.
#include "framework/ui/log_event.h"

namespace vyn {

class TDatabase;

class TDatabaseLogWriter : public ILogEventWriter {
 public:
  explicit TDatabaseLogWriter(TDatabase& db) : db_(db) {}
  void Write(const TLogRecord& record) override;
  // Creates the table when the database lacks it.
  static void EnsureTable(TDatabase& db);

 private:
  TDatabase& db_;
};

}  // namespace vyn
