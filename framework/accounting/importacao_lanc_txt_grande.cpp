#include "framework/accounting/importacao_lanc_txt_grande.h"
#include "framework/component/interrupcao.h"

#include <fmt/format.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>

#include "framework/accounting/lancamento_mgr.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/dao_factory.h"
#include "framework/data/dataset_guards.h"
#include "framework/data/insere_linha.h"
#include "framework/data/sql_value.h"
#include "framework/schema/revisao_tabelas.h"
#include "framework/ui/dialogs.h"

namespace vyn {

namespace {

// Inserts every row of ds into the insert's table (the columns both have) under the session.
void Copia(TInsereLinha& insere, TClientDataSet& ds, int sessao, bool longos = false) {
  const TField* compl_ = longos ? ds.FindField("BDCOMPL") : nullptr;
  for (ds.First(); !ds.Eof(); ds.Next()) {
    std::map<std::string, Variant> valores{{"BDSESSAO", Variant(sessao)}};
    // A complement longer than the entry's column lives in the complement table only.
    if (compl_)
      valores["BDCOMPL"] = compl_->IsNull()                     ? Variant()
                           : ComplementoLongo(compl_->AsString()) ? Variant()
                                                                  : Variant(ComplementoDaLinha(compl_->AsString()));
    insere.Insere(ds, valores);
  }
}

}  // namespace

bool RevisaoEmArquivoGrande(const std::string& classe) { return SameText(classe, kClasseRevisaoArquivoGrande); }

bool TamanhoExigeRevisaoEmEtapas(const std::string& caminho) {
  constexpr long long kLimitePadrao = 8LL * 1024 * 1024;
  std::error_code ec;
  const auto tamanho = std::filesystem::file_size(caminho, ec);
  if (ec) return false;
  long long limite = kLimitePadrao;
  if (TDatabase* db = ProcessContext().Database) {
    const Variant v = db->QueryValue("select BDVALORINT from TPARAMETRO where BDPARAM = ?",
                                     {std::string("LIMITE_REVISAO_MEMORIA")});
    if (!v.IsNull() && v.AsInteger() > 0) limite = v.AsInteger();
  }
  return static_cast<long long>(tamanho) > limite;
}

int NovaSessaoRevisao(TDatabase& db) {
  return static_cast<int>(db.Prepared("select next value for GEN_TMP_VZEL_SESSAO from RDB$DATABASE").QueryValue().AsInteger());
}

void ApagaSessaoArquivoGrande(TDatabase& db, int sessao) {
  if (sessao <= 0) return;
  TTransaction tx(db, TTransaction::kJuntaAberta);
  for (const char* t : kTabelasCompanheirasTemp) db.Execute(std::string("delete from ") + t + " where BDSESSAO = ?", {sessao});
  for (const char* t : {kTabelaLancamentosTemp, kTabelaLancamentosAnexo, "VZEL_INCON_TLAN", "TMP_VZEL_SESSAO"})
    db.Execute(std::string("delete from ") + t + " where BDSESSAO = ?", {sessao});
  tx.Commit();
}

namespace {

struct TRemocoesSessoes {
  std::mutex Trava;
  std::vector<std::thread> Threads;
  ~TRemocoesSessoes() { Aguarda(); }
  void Aguarda() {
    std::vector<std::thread> t;
    {
      std::lock_guard<std::mutex> g(Trava);
      t.swap(Threads);
    }
    for (std::thread& x : t) x.join();
  }
};

TRemocoesSessoes& Remocoes() {
  static TRemocoesSessoes r;
  return r;
}

void RemoveSessao(const std::string& conexao, int sessao) {
  TLimpezaSemInterrupcao ateOFim;
  try {
    TDatabase db;
    db.Open(conexao);
    ApagaSessaoArquivoGrande(db, sessao);
    // Reading the removed rows lets the database collect them now, not the next reader of the tables.
    for (const char* t : kTabelasCompanheirasTemp)
      db.QueryValue(std::string("select count(*) from ") + t + " where BDSESSAO = ?", {sessao});
    db.QueryValue("select count(*) from TMP_VZEL_EMPRESAS_TLAN_TEMP where BDSESSAO = ?", {sessao});
  } catch (...) {
    // Left to the removal of abandoned sessions (see ApagaSessaoArquivoGrandeAoFundo): nothing a thread
    // of its own raises may end the process.
  }
}

}  // namespace

void ApagaSessaoArquivoGrandeAoFundo(const TDatabase& db, int sessao) {
  if (sessao <= 0) return;
  TRemocoesSessoes& r = Remocoes();
  std::lock_guard<std::mutex> g(r.Trava);
  r.Threads.emplace_back(RemoveSessao, db.ConnectionString(), sessao);
}

void AguardaRemocoesSessoes() { Remocoes().Aguarda(); }

bool TabelaLancamentosSessao(const std::string& tabela) {
  return SameText(tabela, kTabelaLancamentosTemp) || SameText(tabela, kTabelaLancamentosAnexo);
}

void EncerraSessaoArquivoGrande(TDatabase& db, int sessao, const std::string& tabela) {
  if (SameText(tabela, kTabelaLancamentosAnexo))
    ApagaSessaoArquivoGrande(db, sessao);
  else
    ApagaSessaoArquivoGrandeAoFundo(db, sessao);
}

int ApagaSessoesAbandonadas(TDatabase& db) {
  // An attachment sees its own user's attachments; SYSDBA sees them all.
  const TQueryResult r = db.QueryAll(
      "select S.BDSESSAO from TMP_VZEL_SESSAO S where S.BDATTACHMENT <> CURRENT_CONNECTION and (S.BDUSUARIO = "
      "CURRENT_USER or CURRENT_USER = 'SYSDBA') and not exists (select 1 from MON$ATTACHMENTS A where "
      "A.MON$ATTACHMENT_ID = S.BDATTACHMENT)");
  for (size_t i = 0; i < r.Rows.size(); ++i) ApagaSessaoArquivoGrande(db, static_cast<int>(r.Rows[i][0].AsInteger()));
  return static_cast<int>(r.Rows.size());
}

TGravacaoSessaoArquivoGrande::TGravacaoSessaoArquivoGrande(TDatabase& db, int64_t anexo, const char* tabela)
    : db_(db),
      tabela_(TabelaLancamentosSessao(tabela) ? tabela : throw EDatabaseError("Tabela de sessão inválida.")),
      sessao_((ApagaSessoesAbandonadas(db), NovaSessaoRevisao(db))),
      tx_(db),
      lancamentos_(db, tabela_),
      centros_(db, kTabelaCentrosCusto),
      complementos_(db, kTabelaComplementosLongos) {
  if (anexo > 0)
    db.Execute("insert into TMP_VZEL_SESSAO (BDSESSAO, BDATTACHMENT, BDUSUARIO) values (?, ?, CURRENT_USER)",
               {sessao_, anexo});
  else
    db.Execute("insert into TMP_VZEL_SESSAO (BDSESSAO, BDATTACHMENT, BDUSUARIO) values (?, CURRENT_CONNECTION, "
               "CURRENT_USER)",
               {sessao_});
}

TGravacaoSessaoArquivoGrande::~TGravacaoSessaoArquivoGrande() = default;

void TGravacaoSessaoArquivoGrande::Grava(TClientDataSet& lancamentos, TClientDataSet& centros,
                                         TClientDataSet& complementos) {
  Copia(lancamentos_, lancamentos, sessao_, true);
  if (const TField* emp = lancamentos.FindField("BDCODEMP"))
    for (lancamentos.First(); !lancamentos.Eof(); lancamentos.Next()) empresas_.insert(static_cast<int>(emp->AsInteger()));
  if (const TField* chave = lancamentos.FindField("BDCHAVE"))
    for (lancamentos.First(); !lancamentos.Eof(); lancamentos.Next())
      if (!chave->IsNull()) gravadaAte_ = std::max(gravadaAte_, chave->AsInteger());
  // The explanatory note of a line is a detail of its own in the staged review.
  if (lancamentos.FindField("BDDESCRICAO")) {
    TStatement& nota = db_.Prepared(
        "insert into TMP_VZEL_EMPRESAS_TLAN_NE_TEMP (BDSESSAO, BDCODEMP, BDCHAVE, BDDESCRICAO) values (?, ?, ?, ?)");
    for (lancamentos.First(); !lancamentos.Eof(); lancamentos.Next())
      if (!lancamentos.FieldByName("BDDESCRICAO").IsNull())
        nota.Execute({sessao_, lancamentos.FieldByName("BDCODEMP").Value(), lancamentos.FieldByName("BDCHAVE").Value(),
                      lancamentos.FieldByName("BDDESCRICAO").Value()});
  }
  Copia(centros_, centros, sessao_);
  Copia(complementos_, complementos, sessao_);
}

namespace {

// An account of the chart the line is posted in that is one of the rural producer's cash, bank or
// transit accounts (the test of the review's transfer flag, made here once for every staged line).
std::string ContaPR(const char* coluna) {
  return std::string("exists (select 1 from PLANOS_TPLA P where P.BDCODPLAPADRAO = T.BDCODPLAPADRAO and P.BDCODTPLA = T.") +
         coluna + " and (P.BDCTACAIXAPR = 'TRUE' or P.BDCTABANCOPR = 'TRUE' or P.BDCTATRANSPR = 'TRUE'))";
}

}  // namespace

void TGravacaoSessaoArquivoGrande::CompletaTrecho() {
  const TParams trecho{sessao_, completadaAte_};
  // The entry layout carries no rural-producer or real-estate record: a rural producer's or developer's
  // lines get their detail rows empty, for the user to fill in the review; the import writes them with
  // the entry. A line is a transfer when both its accounts are the producer's cash, bank or transit.
  // Only the session's companies of such a profile have their lines read: most sessions have none.
  for (int empresa : empresas_) {
    const std::vector<Variant> perfil =
        db_.Prepared("select BDPRODUTORRURAL, BDINCORPORADORA from TEMPRESAS where BDCODEMP = ?").ExecuteReturning({empresa});
    auto verdade = [&](size_t i) { return perfil.size() > i && !perfil[i].IsNull() && perfil[i].AsString() == "TRUE"; };
    if (verdade(0))
      db_.Execute("insert into " + std::string(kTabelaProdutorRural) +
                      " (BDSESSAO, BDCODEMP, BDCHAVE, BDTRANSFERENCIA) select T.BDSESSAO, T.BDCODEMP, T.BDCHAVE, iif(" +
                      ContaPR("BDDEBITO") + " and " + ContaPR("BDCREDITO") +
                      ", cast('TRUE' as varchar(5)), 'FALSE') from " + tabela_ +
                      " T where T.BDSESSAO = ? and T.BDCHAVE > ? and T.BDCODEMP = ?",
                  {sessao_, completadaAte_, empresa});
    // A developer's line names a development and unit for each side: 0 debit, 1 credit.
    if (verdade(1))
      for (int lado : {0, 1})
        db_.Execute("insert into " + std::string(kTabelaIncorporacao) +
                        " (BDSESSAO, BDCODEMP, BDCHAVE, BDDEBCRE) select T.BDSESSAO, T.BDCODEMP, T.BDCHAVE, ? from " +
                        tabela_ + " T where T.BDSESSAO = ? and T.BDCHAVE > ? and T.BDCODEMP = ?",
                    {lado, sessao_, completadaAte_, empresa});
  }
  // A line whose complement went to the complement table keeps none of its own: walked from the few long
  // complements of the stretch, each line found by its key.
  db_.Execute(
      "execute block (S integer = ?, D bigint = ?) as declare variable E integer; declare variable K integer; begin "
      "for select C.BDCODEMP, C.BDCHAVE from TMP_VZEL_EMP_TLAN_COMPL_TEMP C where C.BDSESSAO = :S and C.BDCHAVE > :D "
      "into :E, :K do update " + std::string(tabela_) +
          " T set T.BDCOMPL = null where T.BDSESSAO = :S and T.BDCHAVE = :K and T.BDCODEMP = :E; end",
      trecho);
  completadaAte_ = gravadaAte_;
}

void TGravacaoSessaoArquivoGrande::ConcluiTrecho() {
  CompletaTrecho();
  tx_.CommitRetaining();
}

int TGravacaoSessaoArquivoGrande::Conclui() {
  CompletaTrecho();
  tx_.Commit();
  return sessao_;
}

int GravaSessaoArquivoGrande(TDatabase& db, TClientDataSet& lancamentos, TClientDataSet& centros,
                             TClientDataSet& complementos) {
  TGravacaoSessaoArquivoGrande gravacao(db);
  gravacao.Grava(lancamentos, centros, complementos);
  return gravacao.Conclui();
}

TNodoSessao AbreSessaoArquivoGrande(TComponent& owner, TDatabase& db, int sessao, const char* tabela) {
  if (!TabelaLancamentosSessao(tabela)) throw EDatabaseError("Tabela de sessão inválida.");
  TNodoSessao r;
  r.Lancamentos = TLancamentoMGR::CreateMgr(&owner, false, false, 1, false, true);
  TLancamentoMGR& l = *r.Lancamentos;
  l.SetDatabase(&db);
  l.SetTableName(tabela);
  l.SetPrimaryKey({"BDSESSAO", "BDCODEMP", "BDCHAVE"});
  l.SetHugeFile(true);
  l.SetSessao(sessao);
  l.SetWorkTable(tabela);
  if (IsUnattended()) {
    // The session number is an integer of ours, so the query text can be reopened as it is.
    l.CommandText(fmt::format("select first {} * from {} where BDSESSAO = {} order by BDCHAVE", kLinhasPorPaginaSessao,
                              tabela, sessao));
  } else {
    // The user sees a screenful at a time: the lines come in packets as the grid goes down.
    l.SetFetchOnDemand(true);
    l.SetPacketRecords(kLinhasPorPacoteRevisao);
    l.OpenTableInPackets("BDSESSAO = ?", {sessao}, "BDCHAVE;BDCODEMP");
  }
  for (size_t i = 0; i < kDetalhesTemp; ++i) {
    const char* t = kTabelasCompanheirasTemp[i];
    auto* d = owner.Create<TDAOFactory>(t, &db);
    d->SetHugeFile(true);
    d->SetSessao(sessao);
    d->SetWorkTable(t);
    d->CommandText(fmt::format("select * from {} where BDSESSAO = {}", t, sessao));
    r.Detalhes.push_back(d);
  }
  CarregaMultiLancamentosSessao(l);
  return r;
}

bool SessaoEmPaginas(const TDAOFactory* dao) {
  return ModoArquivoGrande(dao) && TabelaLancamentosSessao(dao->WorkTable()) && IsUnattended();
}

int64_t LinhasDaSessao(TDAOFactory& dao) {
  const std::string& tabela = CheckSQLIdentifier<EDatabaseError>(dao.WorkTable(), "Tabela de trabalho inválida: ");
  return dao.Database().QueryValue("select count(*) from " + tabela + " where BDSESSAO = ?", {dao.Sessao()}).AsInteger();
}

TPaginasSessao::TPaginasSessao(TDAOFactory& dao, std::string colunas)
    : dao_(dao), colunas_(std::move(colunas)), sql_(dao.GetCommandText()), params_(dao.GetCommandParams()) {
  if (colunas_ == "*") return;
  for (const std::string& c : Split(colunas_, ','))
    CheckSQLIdentifier<EDatabaseError>(Trim(c), "Coluna inválida: ");
}

TPaginasSessao::~TPaginasSessao() {
  try {
    Restaura();
  } catch (const std::exception&) {
    // The pages' caller is unwinding already or done; the node is read again by its next reload.
  }
}

bool TPaginasSessao::Proxima() {
  if (!primeira_ && linhasPagina_ < kLinhasPorPaginaSessao) return false;   // the last page was short
  primeira_ = false;
  restaurada_ = false;
  const std::string& tabela = CheckSQLIdentifier<EDatabaseError>(dao_.WorkTable(), "Tabela de trabalho inválida: ");
  dao_.CommandText(fmt::format("select first {} {} from {} where BDSESSAO = ? and BDCHAVE > ? order by BDCHAVE",
                               kLinhasPorPaginaSessao, colunas_, tabela),
                   ctOpen, {dao_.Sessao(), ultima_});
  linhasPagina_ = 0;
  {
    // The next page starts after every row read, whatever the node's filter shows.
    TFilterGuard todas(dao_, TFilterGuard::kAllRows);
    for (dao_.First(); !dao_.Eof(); dao_.Next(), ++linhasPagina_)
      ultima_ = std::max(ultima_, dao_.FieldByName("BDCHAVE").AsInteger());
  }
  lidas_ += linhasPagina_;
  dao_.First();
  return linhasPagina_ > 0;
}

void TPaginasSessao::Restaura() {
  if (restaurada_ || primeira_) return;
  restaurada_ = true;
  if (!sql_.empty()) dao_.CommandText(sql_, ctOpen, params_);
}

void TPaginasSessao::RestauraSemLer() {
  if (restaurada_ || primeira_) return;
  restaurada_ = true;
  if (!sql_.empty()) dao_.AdiaConsulta(sql_, params_);
}

void CarregaMultiLancamentosSessao(TLancamentoMGR& lancamentos) {
  TClientDataSet* m = lancamentos.getMultiLancamentosDAO();
  TDetachedDetail solto(*m);
  lancamentos.Database().QueryInto(
      *m, "select * from TMP_VZEL_EMPRESAS_TLAN_ML_TEMP where BDSESSAO = ? order by BDCODEMP, BDCHAVE, BDCHAVELANC",
      {lancamentos.Sessao()});
  m->SetIndexFieldNames("BDCODEMP;BDCHAVE");
}

}  // namespace vyn
