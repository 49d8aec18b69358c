// Chart, key and conciliation questions the entry reviews ask.
#include <set>
#include <fmt/format.h>

#include "framework/component/resultado_execucao.h"
#include "framework/accounting/contabilizacao_mgr.h"
#include "framework/accounting/contas_planos_mgr.h"
#include "framework/accounting/lancamento_mgr.h"
#include "framework/accounting/marca_inconsistente.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/dataset_guards.h"
#include "framework/data/sql_mgr.h"
#include "framework/data/sql_value.h"
#include "framework/schema/entry_keys.h"
#include "framework/ui/dialogs.h"

namespace vyn {

TDAOFactory* TContasPlanosMGR::GetContaDAO(TComponent* owner, int codPlaPadrao, int conta) {
  TSQLMGR* q = TSQLMGR::CreateMgr(owner);
  q->CommandText(
      "select BDCODPLAPADRAO, BDCODTPLA, BDCTALON, BDAPECTA, BDNOMCTA, BDPARTICIPANTE as bdparticipante from "
      "PLANOS_TPLA where BDCODPLAPADRAO = ? and BDCODTPLA = ?",
      ctOpen, {codPlaPadrao, conta});
  q->First();
  return q;
}

Variant TContasPlanosMGR::GetCampoConta(TComponent*, int codPlaPadrao, int conta, const std::string& coluna,
                                       TDatabase* db) {
  CheckSQLIdentifier<EDatabaseError>(coluna, "Nome de coluna inválido: ");
  if (!db) db = ProcessContext().Database;
  if (!db) throw EDatabaseError("Não há banco de dados aberto.");
  return db->QueryValue("select " + coluna + " from PLANOS_TPLA where BDCODPLAPADRAO = ? and BDCODTPLA = ?",
                        {codPlaPadrao, conta});
}

namespace {
// The split rows of the weighed lines: a line's split rows carry the sides the line leaves open, and
// weigh with the line whatever their own link (the line is weighed whole).
void SomaMultiplos(const std::set<std::pair<int64_t, int64_t>>& linhas, TClientDataSet* multi, Currency& debitos,
                   Currency& creditos) {
  if (!multi || linhas.empty()) return;
  TClientDataSet m;
  m.CloneCursor(*multi, true);
  for (m.First(); !m.Eof(); m.Next()) {
    if (!linhas.count({m.FieldByName("BDCODEMP").AsInteger(), m.FieldByName("BDCHAVE").AsInteger()})) continue;
    const Currency valor = m.FieldByName("BDVALOR").IsNull() ? Currency() : m.FieldByName("BDVALOR").AsCurrency();
    if (m.FieldByName("BDDEBITO").AsInteger() > 0) debitos += valor;
    if (m.FieldByName("BDCREDITO").AsInteger() > 0) creditos += valor;
  }
}
}  // namespace

namespace {
// Adds the lines of dao that the import weighs to the totals (the weighed lines' keys to pesadas).
void PesaLinhas(TClientDataSet& dao, const std::string& campo, bool apenasPreparados, Currency& debitos,
                Currency& creditos, std::set<std::pair<int64_t, int64_t>>& pesadas) {
  TFilterGuard filtro(dao);
  dao.SetFiltered(false);
  const TBulkLoad semDetalhes(dao);
  for (dao.First(); !dao.Eof(); dao.Next()) {
    const TField* marca = campo.empty() ? nullptr : dao.FindField(campo);
    if (marca && !marca->IsNull() && marca->AsBoolean()) continue;
    if (const TField* inc = dao.FindField("BDINCONSISTENTE"); inc && !inc->IsNull()) {
      const int64_t v = inc->AsInteger();
      if (v == miForaDaImportacao || v == miAvisoBaixa) continue;
    }
    const Currency valor = dao.FieldByName("BDVALOR").IsNull() ? Currency() : dao.FieldByName("BDVALOR").AsCurrency();
    const TField& d = dao.FieldByName("BDDEBITO");
    const TField& c = dao.FieldByName("BDCREDITO");
    const bool temDebito = !d.IsNull() && d.AsInteger() > 0;
    const bool temCredito = !c.IsNull() && c.AsInteger() > 0;
    // A run of the prepared lines only leaves out every line without both accounts (split rows
    // complete a line with the same value on both sides): what it leaves out cannot unbalance it.
    if (apenasPreparados && (!temDebito || !temCredito)) continue;
    if (temDebito) debitos += valor;
    if (temCredito) creditos += valor;
    if (!apenasPreparados && dao.FindField("BDCODEMP") && dao.FindField("BDCHAVE"))
      pesadas.insert({dao.FieldByName("BDCODEMP").AsInteger(), dao.FieldByName("BDCHAVE").AsInteger()});
  }
}

bool ReportaDiferenca(const Currency& debitos, const Currency& creditos) {
  if (debitos == creditos) return false;
  const std::string msg = fmt::format(
      "Os débitos ({}) e os créditos ({}) dos lançamentos a importar não fecham: diferença de {}. Nada foi importado.",
      debitos.ToBR(), creditos.ToBR(), (debitos - creditos).Abs().ToBR());
  if (IsUnattended())
    RegistraInconsistenciaExecucao(msg);
  else
    DlgWarOk(msg);
  return true;
}
}  // namespace

bool TContasPlanosMGR::getDiferencaDebitoCredito(TComponent*, TClientDataSet* dao, TClientDataSet* multi,
                                                 const std::string& campo, bool apenasPreparados, bool, bool) {
  if (!dao) return false;
  Currency debitos, creditos;
  std::set<std::pair<int64_t, int64_t>> pesadas;
  const TBookmark onde = dao->IsEmpty() ? 0 : dao->GetBookmark();
  PesaLinhas(*dao, campo, apenasPreparados, debitos, creditos, pesadas);
  SomaMultiplos(pesadas, multi, debitos, creditos);
  if (onde && dao->BookmarkValid(onde)) dao->GotoBookmark(onde);
  return ReportaDiferenca(debitos, creditos);
}

bool TContasPlanosMGR::getDiferencaDebitoCreditoSessao(TDatabase& db, const std::string& tabela, int sessao,
                                                       const std::string& campo) {
  // As PesaLinhas weighs a line: a line flagged in campo (a flag as the data layer reads one) or kept
  // out of the ordinary import does not count; an empty value weighs nothing.
  const std::string& t = CheckSQLIdentifier<EDatabaseError>(tabela, "Tabela de trabalho inválida: ");
  const std::string& c = CheckSQLIdentifier<EDatabaseError>(campo, "Nome de coluna inválido: ");
  const std::vector<Variant> r =
      db.Prepared(fmt::format("select coalesce(sum(iif(coalesce(BDDEBITO, 0) > 0, BDVALOR, 0)), 0), "
                              "coalesce(sum(iif(coalesce(BDCREDITO, 0) > 0, BDVALOR, 0)), 0) from {0} where BDSESSAO = ? "
                              "and (({1} is null) or (upper(trim({1})) not in ('TRUE', '1'))) and "
                              "coalesce(BDINCONSISTENTE, 0) not in (?, ?)",
                              t, c))
          .ExecuteReturning({sessao, static_cast<int>(miForaDaImportacao), static_cast<int>(miAvisoBaixa)});
  return ReportaDiferenca(r.at(0).AsCurrency(), r.at(1).AsCurrency());
}

int TContabilizacaoMGR::GetChaveLancamento(int codEmp, int quantidade, bool) {
  TDatabase* db = ProcessContext().Database;
  if (!db) throw EDatabaseError("Não há banco de dados aberto.");
  return ReserveEntryKeys(*db, codEmp, quantidade);
}

int TLancamentoMGR::getTipoConciliacao(TComponent*, bool, const std::string& concC, const std::string& concD,
                                       const std::string&, const std::string&, const std::string&, bool,
                                       const std::string&) {
  const bool d = UpperCase(Trim(concD)) == "TRUE";
  const bool c = UpperCase(Trim(concC)) == "TRUE";
  return (d ? 1 : 0) + (c ? 2 : 0);
}

}  // namespace vyn
