#include "framework/schema/entry_keys.h"

#include <ibase.h>

#include <chrono>
#include <thread>

#include "framework/schema/ledger_lock.h"

namespace vyn {

namespace {

int Reserva(TDatabase& db, int codemp, int count) {
  if (count < 1) throw EDatabaseError("A reserva de chaves de lançamento precisa de ao menos uma chave.");
  for (int attempt = 0;; ++attempt) {
    try {
      auto row = db.ExecuteReturningAutonomous(
          "UPDATE VZEL_EMPRESAS_TLAN_CHAVE SET BDPROXIMACHAVE = BDPROXIMACHAVE + ? WHERE BDCODEMP = ? "
          "RETURNING BDPROXIMACHAVE",
          {count, codemp});
      if (!row.empty()) return static_cast<int>(row[0].AsInteger()) - count;
      Variant last = db.QueryValue("SELECT MAX(BDCHAVE) FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = ?", {codemp});
      int first = static_cast<int>(last.IsNull() ? 1 : last.AsInteger() + 1);
      db.ExecuteReturningAutonomous(
          "INSERT INTO VZEL_EMPRESAS_TLAN_CHAVE (BDCODEMP, BDPROXIMACHAVE) VALUES (?, ?) RETURNING BDCODEMP",
          {codemp, first + count});
      return first;
    } catch (const EDatabaseError& e) {
      // Another attachment reserved (or created the row) at the same moment: try again.
      bool contention = e.IsLockConflict() || e.ErrorCode() == isc_unique_key_violation;
      if (!contention || attempt >= 200) throw;
      std::this_thread::sleep_for(std::chrono::milliseconds(1 + attempt % 5));
    }
  }
}

}  // namespace

int ReserveEntryKeys(TDatabase& db, int codemp, int count) {
  MarcaGravacaoLancamentos(db, codemp);
  return Reserva(db, codemp, count);
}

int ReserveEntryKeysUnderHold(TDatabase& db, int codemp, int count) { return Reserva(db, codemp, count); }

}  // namespace vyn
