#include "framework/schema/ledger_lock.h"

#include <fmt/format.h>

#include "framework/data/fb_database.h"

namespace vyn {

namespace {

// One row per company and writing attachment, and the company's row 0, the change's hold. A writer's
// transaction keeps its own row changed until it ends; the change keeps row 0 changed and deletes the
// writers' rows, which makes it wait for each writer still under way.
constexpr const char* kLeHold = "SELECT BDCODEMP FROM VZEL_EMPRESAS_TLAN_USO WHERE BDCODEMP = ? AND BDCONEXAO = 0";
// A change waits for the writers under way at most this many times the transactions' lock time-out.
constexpr int kEsperasEscritores = 5;

[[noreturn]] void Recusa(int codemp) { throw EDatabaseError(MensagemEmpresaEmTroca(codemp)); }

bool EmTroca(TDatabase& db, int codemp) { return db.MeetsUncommittedChange(kLeHold, {codemp}); }

// The row must be committed before a transaction changes it: only a committed row is found, and
// waited for, by a change that starts meanwhile.
void GaranteLinha(TDatabase& db, int codemp, bool hold) {
  const std::string conexao = hold ? "0" : "CURRENT_CONNECTION";
  // Asked by every run that reserves entry keys: prepared once.
  if (db.Prepared("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN_USO WHERE BDCODEMP = ? AND BDCONEXAO = " + conexao)
          .QueryValue({codemp})
          .AsInteger() > 0)
    return;
  try {
    db.ExecuteReturningAutonomous(
        "INSERT INTO VZEL_EMPRESAS_TLAN_USO (BDCODEMP, BDCONEXAO) VALUES (?, " + conexao + ") RETURNING BDCODEMP",
        {codemp});
  } catch (const EDatabaseError& e) {
    if (!e.IsUniqueViolation()) throw;   // made at the same moment by another attachment
  }
}

// Marks the row inside the open transaction; false when no row was there to mark.
bool MarcaLinha(TDatabase& db, int codemp, bool hold) {
  return db.Prepared(std::string("UPDATE VZEL_EMPRESAS_TLAN_USO SET BDTRANSACAO = CURRENT_TRANSACTION"
                                 " WHERE BDCODEMP = ? AND BDCONEXAO = ") +
                     (hold ? "0" : "CURRENT_CONNECTION"))
             .Execute({codemp}) > 0;
}

}  // namespace

std::string MensagemEmpresaEmTroca(int codemp) {
  return fmt::format("A empresa {} está em troca de plano de contabilização em outra estação: durante o processo não "
                     "é possível gravar lançamentos nela. Tente novamente quando a troca terminar.",
                     codemp);
}

void MarcaGravacaoLancamentos(TDatabase& db, int codemp) {
  if (EmTroca(db, codemp)) Recusa(codemp);
  if (!db.InTransaction()) return;
  try {
    // A change that ends between the look and the mark removes the row: it is made again.
    bool marcada = false;
    for (int tentativa = 0; !marcada && tentativa < 3; ++tentativa) {
      GaranteLinha(db, codemp, false);
      marcada = MarcaLinha(db, codemp, false);
    }
    if (!marcada) throw EDatabaseError(fmt::format("Não foi possível marcar a gravação de lançamentos da empresa {}.", codemp));
  } catch (const EDatabaseError& e) {
    // A change took the company after the first look: its hold ends this writer's wait.
    if (e.IsLockConflict()) Recusa(codemp);
    throw;
  }
  // Looked at again after the mark: a change that took the company before it waits for this writer.
  if (EmTroca(db, codemp)) Recusa(codemp);
}

void BloqueiaLancamentosEmpresas(TDatabase& db, const std::vector<int>& empresas) {
  if (!db.InTransaction()) throw EDatabaseError("O bloqueio das empresas da troca precisa da transação da troca.");
  const auto jaEmTroca = [](int emp) {
    return EDatabaseError(fmt::format("A empresa {} já está em troca de plano de contabilização em outra estação.", emp));
  };
  for (int emp : empresas) {
    if (EmTroca(db, emp)) throw jaEmTroca(emp);   // refused at once rather than queued behind it
    GaranteLinha(db, emp, true);
    try {
      MarcaLinha(db, emp, true);
    } catch (const EDatabaseError& e) {
      if (!e.IsLockConflict()) throw;
      throw jaEmTroca(emp);
    }
  }
  for (int emp : empresas) {
    for (int espera = 0;; ++espera) {
      try {
        db.Execute("DELETE FROM VZEL_EMPRESAS_TLAN_USO WHERE BDCODEMP = ? AND BDCONEXAO <> 0", {emp});
        break;
      } catch (const EDatabaseError& e) {
        // A writer ended (or its wait timed out): the rows are looked at again.
        if (!e.IsLockConflict()) throw;
        if (espera + 1 >= kEsperasEscritores)
          throw EDatabaseError(fmt::format(
              "Outra estação continua gravando lançamentos da empresa {}: a troca de plano não foi iniciada.", emp));
      }
    }
  }
}

}  // namespace vyn
