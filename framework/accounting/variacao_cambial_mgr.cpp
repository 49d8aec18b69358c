#include "framework/accounting/variacao_cambial_mgr.h"

#include "framework/livros/exclusao_lancamentos.h"
#include "framework/livros/lancamentos_avulsos.h"
#include "framework/livros/livros.h"

#include <map>
#include <optional>
#include <stdexcept>

#include <fmt/format.h>

#include "framework/component/process_context.h"
#include "framework/core/datetime.h"
#include "framework/core/text.h"
#include "framework/data/sql_value.h"
#include "framework/schema/entry_keys.h"
#include "framework/ui/inconsistencias.h"

namespace vyn {

namespace {

// The accounting's own entries (TSISTEMA "Contabilidade"): the variance is no other module's posting.
constexpr int kTipoLanContabil = 0;

struct TNotaMoeda {
  int Chave = 0;
  std::string NumDoc;
  int Tipo = 0;               // 0 receivable, 1 payable
  TDateTime Emissao;
  Currency Valor;
  int Conta = 0;
};

struct TPreparacao {
  int ContaAtiva = 0;         // gains
  int ContaPassiva = 0;       // losses
  Variant CodHist;
  Variant CodTphi;
};

std::optional<TPreparacao> LePreparacao(TDatabase& db, int codEmp, int codMoe) {
  auto q = db.QueryAll(
      "SELECT BDCONTAVARATIVA, BDCONTAVARPASSIVA, BDCODHIST, BDCODTPHI FROM VZEL_EMP_TPREPVARCAMBIAL"
      " WHERE BDCODEMP = ? AND BDCODMOE = ?",
      {Variant(codEmp), Variant(codMoe)});
  if (q.Rows.empty()) return std::nullopt;
  return TPreparacao{static_cast<int>(q.Rows[0][0].AsInteger()), static_cast<int>(q.Rows[0][1].AsInteger()),
                     q.Rows[0][2], q.Rows[0][3]};
}


// The notes of the company in the currency still open at the end of the period, in key order.
std::vector<TNotaMoeda> NotasEmAberto(TDatabase& db, int codEmp, int codMoe, TDateTime dataFin) {
  std::vector<TNotaMoeda> notas;
  Variant fim(dataFin);
  db.Query(
      "SELECT BDCHAVENOTA, BDNUMDOC, BDTIPO, BDDATAEMISSAO, BDVALORMOEDA, BDCONTA FROM VZEL_EMP_TNOTASMOEDA"
      " WHERE BDCODEMP = ? AND BDCODMOE = ? AND BDDATAEMISSAO <= ? AND (BDDATABAIXA IS NULL OR BDDATABAIXA > ?)"
      " ORDER BY BDCHAVENOTA",
      {Variant(codEmp), Variant(codMoe), fim, fim}, [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& r) {
        notas.push_back({static_cast<int>(r[0].AsInteger()), r[1].AsString(), static_cast<int>(r[2].AsInteger()),
                         r[3].AsDateTime(), r[4].AsCurrency(), static_cast<int>(r[5].AsInteger())});
      });
  return notas;
}

// One entry of the variance: a note's gain or loss.
struct TLancVariacao {
  int Debito, Credito;
  Currency Valor;
  const TNotaMoeda* Nota;
};
}  // namespace

TVZEL_EMP_TVARCAMBIALMGR::TVZEL_EMP_TVARCAMBIALMGR(TComponent* owner, bool gravaDireto, TDatabase* db)
    : TMgr(owner, kTabela, db) {
  SetName("VariacaoCambial");
  SetControlMemory(!gravaDireto);
  AddFieldDef("BDCODEMP", TFieldType::ftInteger);
  AddFieldDef("BDCHAVE", TFieldType::ftInteger);
  AddFieldDef("BDCODMOE", TFieldType::ftInteger);
  AddFieldDef("BDDATAINI", TFieldType::ftDate);
  AddFieldDef("BDDATAFIN", TFieldType::ftDate);
  AddFieldDef("BDCONTABILIZACAO", TFieldType::ftInteger);
  AddFieldDef("BDCODUSU", TFieldType::ftInteger);
  AddFieldDef("BDNOMUSU", TFieldType::ftString, 100);
  AddFieldDef("BDVERSAO", TFieldType::ftInteger);
  CreateDataSet();
}

bool TVZEL_EMP_TVARCAMBIALMGR::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TVZEL_EMP_TVARCAMBIALMGR") || TDAOFactory::InheritsFrom(class_name);
}

void TVZEL_EMP_TVARCAMBIALMGR::SetCODEMP(int v) { FieldByName("BDCODEMP").SetAsInteger(v); }
void TVZEL_EMP_TVARCAMBIALMGR::SetCODMOE(int v) { FieldByName("BDCODMOE").SetAsInteger(v); }
void TVZEL_EMP_TVARCAMBIALMGR::SetDATAINI(TDateTime v) { FieldByName("BDDATAINI").SetAsDateTime(v); }
void TVZEL_EMP_TVARCAMBIALMGR::SetDATAFIN(TDateTime v) { FieldByName("BDDATAFIN").SetAsDateTime(v); }
void TVZEL_EMP_TVARCAMBIALMGR::SetCONTABILIZACAO(int v) { FieldByName("BDCONTABILIZACAO").SetAsInteger(v); }
void TVZEL_EMP_TVARCAMBIALMGR::SetCODUSU(int v) { FieldByName("BDCODUSU").SetAsInteger(v); }
void TVZEL_EMP_TVARCAMBIALMGR::SetCHAVE(int v) { FieldByName("BDCHAVE").SetAsInteger(v); }
void TVZEL_EMP_TVARCAMBIALMGR::SetVERSAO(int v) { FieldByName("BDVERSAO").SetAsInteger(v); }

void TVZEL_EMP_TVARCAMBIALMGR::DeleteApuracao(int codEmp, int codMoe, int /*contabilizacao*/, TDateTime dataIni,
                                               TDateTime dataFin) {
  TDatabase& db = Database();
  // Every book's variance goes into the one ledger, which does not tell the books apart: a run of any
  // kind replaces the month's runs of every kind, or the same variance would be posted twice.
  auto runs = db.QueryAll("SELECT BDCHAVE FROM VZEL_EMP_TVARCAMBIAL WHERE BDCODEMP = ? AND BDCODMOE = ?"
                          " AND BDDATAINI >= ? AND BDDATAFIN <= ?",
                          {Variant(codEmp), Variant(codMoe), Variant(dataIni.DateOnly()), Variant(dataFin.DateOnly())});
  for (const auto& row : runs.Rows) {
    Variant chave = row[0];
    // The replaced entry may have been reconciled, complemented or pointed at by a statement line
    // since: those go with it, or they would name an entry that no longer exists.
    // The run's entries are read first: deleting them takes their links to the run away.
    auto entradas = db.QueryAll("SELECT BDCHAVELAN FROM TOL_VZEL_EMP_TVARCAMBIAL WHERE BDCODEMP = ? AND BDCODVAR = ?",
                                {Variant(codEmp), chave});
    for (const auto& entrada : entradas.Rows)
      ExcluiLancamentos(db, codEmp, "L.BDCODEMP = ? AND L.BDCHAVE = ?", {Variant(codEmp), entrada[0]});
    db.Execute("DELETE FROM TOL_VZEL_EMP_TVARCAMBIAL WHERE BDCODEMP = ? AND BDCODVAR = ?", {Variant(codEmp), chave});
    db.Execute("DELETE FROM VZEL_EMP_TVARCAMBIAL WHERE BDCODEMP = ? AND BDCHAVE = ?", {Variant(codEmp), chave});
  }
}

bool TVZEL_EMP_TVARCAMBIALMGR::getExisteNotasMoedas(int codEmp, int codMoe, TDateTime dataFin) {
  Variant d(dataFin.DateOnly());
  return !Database()
              .QueryValue("SELECT FIRST 1 1 FROM VZEL_EMP_TNOTASMOEDA WHERE BDCODEMP = ? AND BDCODMOE = ?"
                          " AND BDDATAEMISSAO <= ? AND (BDDATABAIXA IS NULL OR BDDATABAIXA > ?)",
                          {Variant(codEmp), Variant(codMoe), d, d})
              .IsNull();
}

int TVZEL_EMP_TVARCAMBIALMGR::getChaveServidor(int) {
  return static_cast<int>(
      Database().ExecuteReturningAutonomous("SELECT GEN_ID(GEN_VZEL_EMP_TVARCAMBIAL, 1) FROM RDB$DATABASE").at(0).AsInteger());
}

Currency TVZEL_EMP_TVARCAMBIALMGR::CalculaVariacao(Currency valorMoeda, Currency taxaAnterior, Currency taxaAtual) {
  return Currency::MulRound(valorMoeda, taxaAtual - taxaAnterior, 2);
}

void TVZEL_EMP_TVARCAMBIALMGR::Falha(int codEmp, const std::string& text) {
  erro_ = true;
  script_.clear();
  if (inconsistencias_) inconsistencias_->Add_Erro(codEmp, text);
}

void TVZEL_EMP_TVARCAMBIALMGR::SelectConsulta(const std::string& codigos) {
  // The list reaches the SQL only as the numbers read from it.
  std::vector<std::string> cods;
  for (const auto& parte : Split(codigos, ',')) {
    const std::string t = Trim(parte);
    if (t.empty()) continue;
    if (t.find_first_not_of("0123456789") != std::string::npos || t.size() > 9)
      throw std::invalid_argument("Código de empresa inválido: " + t);
    cods.push_back(std::to_string(std::stoi(t)));
  }
  std::string sql =
      "SELECT R.BDCODEMP, R.BDCHAVE, R.BDCODMOE, M.BDNOMMOE, R.BDDATAINI, R.BDDATAFIN, R.BDCONTABILIZACAO,"
      " R.BDCODUSU, R.BDNOMUSU, R.BDVERSAO FROM VZEL_EMP_TVARCAMBIAL R"
      " LEFT OUTER JOIN MOEDAS_TPLANO M ON (M.BDCODMOEDAS = R.BDCODMOE)";
  if (!cods.empty()) sql += " WHERE R.BDCODEMP IN (" + Join(cods, ",") + ")";
  CommandText(sql + " ORDER BY R.BDCODEMP, R.BDDATAINI DESC, R.BDCHAVE DESC");
}

void TVZEL_EMP_TVARCAMBIALMGR::DoBeforeWrite(bool inserting) {
  // The consultation shows who ran it.
  if (inserting && FieldByName("BDNOMUSU").IsNull() && !ProcessContext().UserName.empty())
    FieldByName("BDNOMUSU").SetAsString(ProcessContext().UserName);
  if (inserting) Calcula();
  TDAOFactory::DoBeforeWrite(inserting);
}

void TVZEL_EMP_TVARCAMBIALMGR::Calcula() {
  script_.clear();
  erro_ = false;
  TDatabase& db = Database();
  const int codEmp = static_cast<int>(FieldByName("BDCODEMP").AsInteger());
  const int codMoe = static_cast<int>(FieldByName("BDCODMOE").AsInteger());
  const int chave = static_cast<int>(FieldByName("BDCHAVE").AsInteger());
  const TDateTime dataIni = FieldByName("BDDATAINI").AsDateTime().DateOnly();
  const TDateTime dataFin = FieldByName("BDDATAFIN").AsDateTime().DateOnly();
  const std::string prefixo = fmt::format("Empresa {}: ", codEmp);

  std::optional<TPreparacao> prep = LePreparacao(db, codEmp, codMoe);
  if (!prep) {
    Variant matriz = db.QueryValue("SELECT BDCODMATRIZ FROM TEMPRESAS WHERE BDCODEMP = ?", {Variant(codEmp)});
    if (!matriz.IsNull() && matriz.AsInteger() != 0 && matriz.AsInteger() != codEmp)
      prep = LePreparacao(db, static_cast<int>(matriz.AsInteger()), codMoe);
  }
  if (!prep) {
    Falha(codEmp, prefixo + fmt::format("Não há preparação da variação cambial para a moeda {}.", codMoe));
    return;
  }

  const std::vector<TNotaMoeda> notas = NotasEmAberto(db, codEmp, codMoe, dataFin);

  // The rate of a date: the latest currency value on or before it.
  std::map<int, std::optional<Currency>> taxas;
  auto taxa = [&](TDateTime d) -> std::optional<Currency> {
    auto [it, novo] = taxas.try_emplace(d.Days());
    if (novo) {
      Variant v = db.QueryValue("SELECT FIRST 1 BDVALOR FROM MOEDAS_TMOE WHERE BDCODMOEDAS = ? AND BDDATA <= ?"
                                " ORDER BY BDDATA DESC",
                                {Variant(codMoe), Variant(d)});
      if (!v.IsNull()) it->second = v.AsCurrency();
    }
    return it->second;
  };

  std::vector<TLancVariacao> lancs;
  const TDateTime fimAnterior = IncDay(dataIni, -1);
  for (const TNotaMoeda& n : notas) {
    TDateTime base = n.Emissao.DateOnly() > fimAnterior ? n.Emissao.DateOnly() : fimAnterior;
    auto anterior = taxa(base);
    auto atual = taxa(dataFin);
    if (!anterior || !atual) {
      Falha(codEmp, prefixo + fmt::format("Não há valor da moeda {} em {}.", codMoe, DateToStr(anterior ? dataFin : base)));
      return;
    }
    Currency var = CalculaVariacao(n.Valor, *anterior, *atual);
    if (var == Currency()) continue;
    // A receivable that grows is a gain, a payable that grows a loss.
    bool ganho = (var > Currency()) == (n.Tipo == 0);
    Currency valor = var > Currency() ? var : -var;
    if (ganho)
      lancs.push_back({n.Conta, prep->ContaAtiva, valor, &n});
    else
      lancs.push_back({prep->ContaPassiva, n.Conta, valor, &n});
  }
  if (lancs.empty()) return;
  // The balances read an entry under its chart: the one the company has in force in the month (before
  // its first register, the first register's).
  const Variant mes(AnoMes(dataFin));
  Variant plano = db.QueryValue("SELECT FIRST 1 BDCODPLAPADRAO FROM TEMPRESAS_REF WHERE BDCODEMP = ?"
                                " ORDER BY CASE WHEN BDREFEMP <= ? THEN 0 ELSE 1 END,"
                                " CASE WHEN BDREFEMP <= ? THEN -BDREFEMP ELSE BDREFEMP END",
                                {Variant(codEmp), mes, mes});
  if (plano.IsNull()) {
    Falha(codEmp, prefixo + fmt::format("Não há plano de contas da empresa em {}.", AnoMesToText(AnoMes(dataFin))));
    return;
  }

  int primeira = ReserveEntryKeys(db, codEmp, static_cast<int>(lancs.size()));
  // Every entry passes the books' rules (the chart in force for the accounts the preparation names)
  // before any is written: the month's variance is whole or refused.
  TLivros livros(db, ExecucaoDe(this, {"frLancamento"}));
  std::vector<std::string> insercoes;
  for (size_t i = 0; i < lancs.size(); ++i) {
    const TLancVariacao& l = lancs[i];
    try {
      insercoes.push_back(InsercaoLancamento(
          livros, {codEmp, primeira + static_cast<int>(i), dataFin, static_cast<int>(plano.AsInteger()),
                   kTipoLanContabil, l.Debito, l.Credito, l.Valor, prep->CodHist, prep->CodTphi,
                   "Variação cambial NF " + l.Nota->NumDoc, l.Nota->NumDoc}));
    } catch (const ELivrosRecusa& e) {
      Falha(codEmp, prefixo + e.what());
      return;
    }
  }
  for (size_t i = 0; i < lancs.size(); ++i) {
    const int chaveLan = primeira + static_cast<int>(i);
    script_.push_back(insercoes[i]);
    script_.push_back(fmt::format("INSERT INTO TOL_VZEL_EMP_TVARCAMBIAL (BDCODEMP, BDCODVAR, BDCHAVELAN) VALUES ({}, {}, {})",
                                  codEmp, chave, chaveLan));
  }
}

}  // namespace vyn
