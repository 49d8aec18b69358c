#include "framework/accounting/processo_recontabilizacao_mgr.h"

#include "framework/livros/exclusao_lancamentos.h"
#include "framework/livros/implantacao_saldo_troca.h"
#include "framework/livros/lancamentos_avulsos.h"
#include "framework/livros/livros.h"
#include "framework/livros/troca_plano_livros.h"

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/schema/entry_keys.h"
#include "framework/schema/ledger_lock.h"
#include "framework/schema/troca_plano.h"
#include "framework/ui/inconsistencias.h"
#include "framework/ui/status_processo.h"

namespace vyn {

static_assert(tprFiscalEntrada == 3 && tprFolhaAdiantamento == 29 && tprReservado53 == 53);
static_assert(tprReservado59 == kQtdeTiposProcRecontabiliza - 1);

namespace {

constexpr const char* kNomes[kQtdeTiposProcRecontabiliza] = {
    "Baixa impostos", "Parcelamento de tributos", "Baixa de parcelamento de tributos",
    // fiscal
    "Lançamento de entrada", "Lançamento de saída", "Lançamento de serviço", "Lançamento de redução Z",
    "Lançamento de demais documentos", "Lançamento de movimentação financeira", "Apuração da ICMS",
    "Apuração da PIS/Cofins lucro real", "Apuração IPI", "Apuração CIAP", "Apuração IR/CSLL", "Provisão Darf",
    "Provisão Darf Simples", "Provisão Darf Retenção", "Provisão Guia Estadual", "Provisão Guia Municipal",
    "Baixa de parcelamento entrada", "Baixa de parcelamento saída", "Baixa de parcelamento serviços",
    "Baixa de parcelamento demais documentos", "Lançamento de operação imobiliária",
    "Pagamento de operação imobiliária", "Apuração GIA ST", "Dime - Créditos Regimes Especiais",
    "Apuração Bloco M", "Apuração Sped Fiscal",
    // payroll
    "Adiantamento salarial", "Autônomos", "Férias", "Folha avulsa", "Folha normal", "Folha complementar",
    "Adiantamento de 13º salário", "13º salário", "Complemento de 13º salário", "Provisão de 13º salário",
    "Provisão de férias", "GPS", "GPS Funrural", "GPS contratante", "Carnê", "Notas fiscais lançadas pela folha",
    "Compensação GPS", "Darf IR", "Darf PIS", "GRCS", "GRCS Patronal", "Baixa de cálculos",
    "Folha normal intermitente", "Folha complementar intermitente",
    // reserved
    "Rotina 53", "Rotina 54", "Rotina 55", "Rotina 56", "Rotina 57", "Rotina 58", "Rotina 59"};

// A rule's message set inside a sentence of ours, which ends it: a lock's reason ends it without a
// full stop, and is shown whole.
std::string SemPontoFinal(const std::string& mensagem) {
  return !mensagem.empty() && mensagem.back() == '.' ? mensagem.substr(0, mensagem.size() - 1) : mensagem;
}

bool Contem(const auto& arr, int ordinal) {
  return std::find(arr.begin(), arr.end(), static_cast<uint8_t>(ordinal)) != arr.end();
}

Variant DataOuNulo(TDateTime d) { return d.Value == 0 ? Variant() : Variant(d.DateOnly()); }

// The columns of the table but the ones named, as a list for INSERT ... SELECT.
std::string Colunas(TDatabase& db, const char* tabela, std::initializer_list<std::string_view> fora) {
  auto r = db.QueryAll("SELECT TRIM(RDB$FIELD_NAME) AS NOME FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = ?"
                       " ORDER BY RDB$FIELD_POSITION",
                       {std::string(tabela)});
  std::vector<std::string> nomes;
  for (size_t i = 0; i < r.Rows.size(); ++i) {
    std::string nome = r.Value(i, "NOME").AsString();
    if (std::find(fora.begin(), fora.end(), nome) == fora.end()) nomes.push_back(nome);
  }
  return Join(nomes, ", ");
}

}  // namespace

bool IncluiTipoProc(TTiposProcRecontabiliza& set, int ordinal) {
  if (ordinal < 0 || ordinal > 63) return false;
  set.set(static_cast<size_t>(ordinal));
  return true;
}

TTiposProcRecontabiliza TodosTiposProc() {
  TTiposProcRecontabiliza s;
  for (int i = 0; i < kQtdeTiposProcRecontabiliza; ++i) s.set(static_cast<size_t>(i));
  return s;
}

std::string NomeTipoProc(int ordinal) {
  return ordinal >= 0 && ordinal < kQtdeTiposProcRecontabiliza ? kNomes[ordinal] : "";
}

int TipoLancamentoTipoProc(int ordinal) {
  if (Contem(C_RECURSOS_FISCAL, ordinal)) return kTipoLanFiscal;
  if (Contem(C_RECURSOS_FOLHA, ordinal)) return kTipoLanFolha;
  return 0;
}

int SistemaTipoProc(int ordinal) {
  if (Contem(C_RECURSOS_FISCAL, ordinal)) return kSistemaFiscal;
  if (Contem(C_RECURSOS_FOLHA, ordinal)) return kSistemaFolha;
  return kSistemaGeral;
}

TProcessoRecontabilizacaoMGR::TProcessoRecontabilizacaoMGR(TComponent* owner, TDatabase* db)
    : TMgr(owner, {}, db) {}

bool TProcessoRecontabilizacaoMGR::InheritsFrom(const std::string& class_name) const {
  return SameText(class_name, "TProcessoRecontabilizacaoMGR") || TDAOFactory::InheritsFrom(class_name);
}

std::string TProcessoRecontabilizacaoMGR::GetSelectDataInicioProcesso(const std::string& condicao,
                                                                      const std::string&, bool informado,
                                                                      bool) const {
  // Without an end the re-posting runs to the end of the current month.
  std::string fim = QuotedDateSQL(EndOfTheMonth(Today()));
  std::string sql =
      "SELECT * FROM (SELECT E.BDCODEMP, R.BDNOMEMP, R.BDULTENC, CAST(" + fim +
      " AS DATE) AS BDDATAFIM, COALESCE(E.BDSTATUSEMP, 0) AS BDSTATUSEMP"
      " FROM TEMPRESAS E JOIN VW_TEMPRESAS_REF R ON (R.BDCODEMP = E.BDCODEMP)"
      " WHERE COALESCE(E.BDCODMATRIZ, 0) IN (0, E.BDCODEMP)) X";
  if (informado && !Trim(condicao).empty()) sql += " WHERE " + condicao;
  return sql + " ORDER BY X.BDCODEMP";
}

bool TProcessoRecontabilizacaoMGR::getPossuiZeramento(int codEmp) const {
  return Database()
             .QueryValue("SELECT COUNT(*) FROM TEMPRESAS_REF WHERE BDCODEMP IN (" + ListaEmpresas(EmpresaEFiliais(codEmp)) +
                         ") AND BDULTENC IS NOT NULL")
             .AsInteger() > 0;
}

int TProcessoRecontabilizacaoMGR::GetInicioTodoPeriodo(int codEmp) const {
  const std::string empresas = ListaEmpresas(EmpresaEFiliais(codEmp));
  Variant primeiro = Database().QueryValue(
      "SELECT COALESCE((SELECT EXTRACT(YEAR FROM MIN(L.BDDATA)) * 100 + EXTRACT(MONTH FROM MIN(L.BDDATA))"
      " FROM VZEL_EMPRESAS_TLAN L WHERE L.BDCODEMP IN (" + empresas + ")),"
      " (SELECT MIN(R.BDREFEMP) FROM TEMPRESAS_REF R WHERE R.BDCODEMP IN (" + empresas + ")), 0) FROM RDB$DATABASE");
  return primeiro.IsNull() ? 0 : static_cast<int>(primeiro.AsInteger());
}

bool TProcessoRecontabilizacaoMGR::getInconsistenciaContaSemPreparacao(int planoAtual, int planoNovo, int codEmp, int,
                                                                       int planoTroca, TDateTime dataIni, TDateTime,
                                                                       TInconsistencias_VYN* lista) const {
  auto erros =
      ErrosTraducao(EmpresaEFiliais(codEmp), planoAtual, planoNovo, planoTroca, dataIni, getPossuiZeramento(codEmp));
  if (lista)
    for (const auto& e : erros) lista->Add_Erro(codEmp, e);
  return !erros.empty();
}

std::vector<int> TProcessoRecontabilizacaoMGR::EmpresaEFiliais(int codEmp) const {
  std::vector<int> out{codEmp};
  auto r = Database().QueryAll(
      "SELECT BDCODEMP FROM TEMPRESAS WHERE BDCODMATRIZ = ? AND BDCODEMP <> ? ORDER BY BDCODEMP", {codEmp, codEmp});
  for (size_t i = 0; i < r.Rows.size(); ++i) out.push_back(static_cast<int>(r.Value(i, "BDCODEMP").AsInteger()));
  return out;
}

void TProcessoRecontabilizacaoMGR::ExecutaRecontabiliza(int planoAtual, int planoNovo, int planoTroca, int codEmp,
                                                        TDateTime dataIni, TDateTime dataFim,
                                                        TInconsistencias_VYN* lista, bool executa,
                                                        const TTiposProcRecontabiliza& rotinas, int planoLalur,
                                                        int participante, bool) {
  auto erro = [&](const std::string& t) {
    if (lista) lista->Add_Erro(codEmp, t);
  };
  if (rotinas.none()) return erro("Nenhuma rotina foi selecionada para a recontabilização.");
  if (dataIni.Value == 0 || dataFim.Value == 0 || dataFim.DateOnly() < dataIni.DateOnly())
    return erro(fmt::format("Período inválido para a recontabilização: {} a {}.", DateToStr(dataIni),
                            DateToStr(dataFim)));
  bool trocaPlano = planoNovo != planoAtual;
  std::vector<int> empresas;
  try {
    empresas = EmpresaEFiliais(codEmp);
    if (trocaPlano &&
        !ConfereTroca(codEmp, empresas, planoAtual, planoNovo, planoTroca, dataIni, dataFim, participante, lista))
      return;
    if (std::string fora = trocaPlano ? "" : PlanoForaDeVigor(codEmp, planoAtual, dataFim); !fora.empty())
      return erro(fora);
  } catch (const std::exception& e) {
    return erro(std::string("Não foi possível recontabilizar a empresa: ") + e.what());
  }
  if (!executa || Cancelado()) return;

  std::vector<int> ordinais;
  for (int i = 0; i < 64; ++i)
    if (rotinas.test(static_cast<size_t>(i))) ordinais.push_back(i);
  try {
    TTransaction tr(Database());
    std::vector<std::string> avisos;   // shown only when the run's changes are kept
    int refeitos = 0;
    std::vector<std::string> feitos;
    if (trocaPlano)
      feitos = TrocaPlano(codEmp, empresas, planoAtual, planoNovo, planoTroca, dataIni, dataFim, participante,
                          planoLalur);
    else
      refeitos = RefazLancamentos(empresas, ordinais, dataIni, dataFim, avisos);
    RegistraRecontabilizacao(codEmp, dataIni, dataFim, ordinais);
    if (trocaPlano) EncerraCopiasTroca(Database());
    tr.Commit();
    if (!lista) return;
    for (const auto& a : avisos) lista->Add_Atencao(codEmp, a);
    for (const auto& f : feitos) lista->Add_Informacao(codEmp, f);
    if (trocaPlano)
      lista->Add_Informacao(codEmp, fmt::format("Troca do plano de contabilização {} para {} a partir de {} realizada.",
                                                planoAtual, planoNovo, DateToStr(dataIni)));
    else if (refeitos == 0)
      lista->Add_Atencao(codEmp, fmt::format("Nenhum lançamento on-line das rotinas escolhidas foi refeito de {} a {}.",
                                             DateToStr(dataIni), DateToStr(dataFim)));
    else
      lista->Add_Informacao(codEmp, fmt::format("Recontabilização de {} a {}: {} lançamento(s) on-line refeito(s).",
                                                DateToStr(dataIni), DateToStr(dataFim), refeitos));
  } catch (const std::exception& e) {
    erro(std::string("Não foi possível recontabilizar a empresa: ") + e.what());
  }
}

std::string TProcessoRecontabilizacaoMGR::PlanoForaDeVigor(int codEmp, int plano, TDateTime fim) const {
  Variant emVigor = Database().QueryValue("SELECT FIRST 1 BDCODPLANOONLINE FROM TEMPRESAS_REF WHERE BDCODEMP = ?"
                                          " AND BDREFEMP <= ? ORDER BY BDREFEMP DESC",
                                          {codEmp, AnoMes(fim)});
  if (emVigor.IsNull() || emVigor.AsInteger() == plano) return "";
  return fmt::format("O plano de contabilização {} não é o da empresa em {} ({}).", plano, FormatDate("mm/yyyy", fim),
                     emVigor.AsInteger());
}

bool TProcessoRecontabilizacaoMGR::ConfereTroca(int codEmp, const std::vector<int>& empresas, int planoAtual,
                                                int planoNovo, int planoTroca, TDateTime& dataIni, TDateTime dataFim,
                                                int participante, TInconsistencias_VYN* lista) {
  auto erro = [&](const std::string& t) {
    if (lista) lista->Add_Erro(codEmp, t);
    return false;
  };
  TDatabase& db = Database();
  if (db.QueryValue("SELECT COUNT(*) FROM TPLANO_CONF_ONLINE WHERE BDCODPLANOONLINE = ?", {planoNovo}).AsInteger() == 0)
    return erro(fmt::format("Plano de contabilização {} não encontrado: a troca não foi realizada.", planoNovo));
  // A closed period keeps its plan: the change starts with the first month after the last closing.
  Variant encerramento =
      db.QueryValue("SELECT MAX(BDULTENC) FROM TEMPRESAS_REF WHERE BDCODEMP IN (" + ListaEmpresas(empresas) + ")");
  if (!encerramento.IsNull()) {
    TDateTime livre = FirstDayOfAnoMes(IncAnoMes(AnoMes(encerramento.AsDateTime()), 1));
    if (dataIni.DateOnly() < livre.DateOnly()) dataIni = livre;
    if (dataFim.DateOnly() < dataIni.DateOnly())
      return erro(fmt::format("Não há período posterior ao último encerramento contábil ({}) até {} para a "
                              "troca do plano de contabilização.",
                              DateToStr(encerramento.AsDateTime()), DateToStr(dataFim)));
  }
  TPlanoConf de = PlanoEmVigor(codEmp, planoAtual, dataIni), para = LePlano(planoNovo);
  if (auto recusa = RecusaReescrita(empresas, de, para, dataIni))
    return erro("A troca do plano de contabilização não foi realizada: " + recusa->Mensagem);
  auto erros = ErrosTraducao(empresas, planoAtual, planoNovo, planoTroca, dataIni, PossuiZeramento);
  for (const auto& e : erros) erro(e);
  if (!erros.empty()) return false;
  if (de.Contas != para.Contas && PossuiZeramento) {
    // The implantation's balances ask for the generic participant as the moved postings do.
    auto semParticipante = ErrosImplantacao(
        db, empresas, ImplantacaoTroca(0, de, para, planoTroca, participante, dataIni), true);
    for (const auto& e : semParticipante) erro(e);
    if (!semParticipante.empty()) return false;
  }
  if (de.Contas != para.Contas && participante <= 0 &&
      db.QueryValue("SELECT COUNT(*) FROM VZEL_EMPRESAS_TLAN L WHERE " + PeriodoTraduzido(empresas) + " AND ((" +
                        SemParticipante("D") + ") OR (" + SemParticipante("C") + "))",
                    {de.Contas, de.Contas, dataIni.DateOnly(), planoTroca, para.Contas, planoTroca, para.Contas})
              .AsInteger() > 0)
    return erro("O participante genérico deve ser informado para planos de contas que possuam contas participante!");
  return true;
}

std::optional<TRecusaLivros> TProcessoRecontabilizacaoMGR::RecusaReescrita(const std::vector<int>& empresas,
                                                                          const TPlanoConf& de, const TPlanoConf& para,
                                                                          TDateTime inicio) {
  // A change that keeps both plans rewrites nothing; one that keeps the chart rewrites only the history
  // items of the plan it leaves.
  if (de.Contas == para.Contas && de.Historicos == para.Historicos) return std::nullopt;
  std::string onde = PeriodoTraduzido(empresas);
  TParams valores{de.Contas, de.Contas, inicio.DateOnly()};
  if (de.Contas == para.Contas) {
    onde += " AND L.BDCODHIST = ?";
    valores.push_back(de.Historicos);
  }
  TDatabase& db = Database();
  const TQueryResult meses = db.QueryAll(
      "SELECT DISTINCT L.BDCODEMP, EXTRACT(YEAR FROM L.BDDATA) * 100 + EXTRACT(MONTH FROM L.BDDATA) AS MES"
      " FROM VZEL_EMPRESAS_TLAN L WHERE " + onde + " ORDER BY 1, 2",
      valores);
  // A month's zeroing closes its result accounts over the whole month: a posting rewritten in it changes
  // what was zeroed, whatever its day; so the month is the unit of the check.
  TLivros livros(db, ExecucaoDe(this, {"frLancamento"}));
  for (size_t i = 0; i < meses.Rows.size(); ++i) {
    const int mes = static_cast<int>(meses.Value(i, "MES").AsInteger());
    const TDateTime primeiro(std::max(FirstDayOfAnoMes(mes).Value, inicio.DateOnly().Value));
    if (auto recusa = livros.RecusaIntervalo(static_cast<int>(meses.Value(i, "BDCODEMP").AsInteger()), primeiro,
                                             LastDayOfAnoMes(mes)))
      return recusa;
  }
  return std::nullopt;
}

bool TProcessoRecontabilizacaoMGR::ProcessoInicioContabilizacao(TComponent*, TLogEvent*, int codEmp,
                                                                int tipoLanContab, TDateTime inicio,
                                                                TDateTime corteBaixa, TDateTime corteOpeImob,
                                                                TDateTime corteImpostos,
                                                                TInconsistencias_VYN* lista) {
  auto erro = [&](const std::string& t) {
    if (lista) lista->Add_Erro(codEmp, t);
    return false;
  };
  TDatabase& db = Database();
  try {
    Variant sis = db.QueryValue("SELECT FIRST 1 BDCODSIS FROM TSISTEMA WHERE BDTIPOLANCONTAB = ? ORDER BY BDCODSIS",
                                {tipoLanContab});
    if (tipoLanContab <= 0 || sis.IsNull())
      return erro(fmt::format("Nenhum sistema com o tipo de lançamento {} para definir o início da contabilização.",
                              tipoLanContab));
    TTransaction tr(db);
    // A writer of the company's ledger: a change of posting plan on another workstation refuses it with
    // the hold's own message, before anything is deleted.
    MarcaGravacaoLancamentos(db, codEmp);
    if (inicio.Value != 0) {
      // The deleted postings leave the company's books: a consultation-only copy keeps them.
      TLivros livros(db, ExecucaoDe(this, {"frLancamento"}));
      if (auto recusa = livros.Recusa({codEmp, inicio, 0, 0, 0, 0});
          recusa && recusa->Regra == TRegraLivros::EmpresaConsulta)
        return erro(recusa->Mensagem);
      // The postings it deletes are read with the locks of their period in this transaction: a lock set
      // since the screen's check keeps them.
      const Variant primeiro = db.QueryValue(
          "SELECT MIN(BDDATA) FROM VZEL_EMPRESAS_TLAN WHERE BDCODEMP = ? AND BDTIPOLAN = ? AND BDDATA < ?",
          {codEmp, tipoLanContab, inicio.DateOnly()});
      if (!primeiro.IsNull())
        if (auto recusa = livros.RecusaIntervalo(codEmp, primeiro.AsDateTime(), IncDay(inicio.DateOnly(), -1)))
          return erro(recusa->Mensagem);
      // Only this company's: each branch has a start of its own, and its deletion is asked for it.
      ExcluiLancamentos(Database(), codEmp, "L.BDCODEMP = ? AND L.BDTIPOLAN = ? AND L.BDDATA < ?",
                        {codEmp, tipoLanContab, inicio.DateOnly()});
    }
    // A date not given keeps the recorded one.
    db.Execute(
        "UPDATE OR INSERT INTO TINICIO_CONTABILIZACAO (BDCODEMP, BDCODSIS, BDDATA, BDDATACONTBAIXA,"
        " BDDATACONTOPEIMOB, BDDATACONTIMPOSTOS, BDAUTOMATICO)"
        " VALUES (?, ?,"
        " COALESCE(CAST(? AS DATE), (SELECT I.BDDATA FROM TINICIO_CONTABILIZACAO I WHERE I.BDCODEMP = ? AND I.BDCODSIS = ?)),"
        " COALESCE(CAST(? AS DATE), (SELECT I.BDDATACONTBAIXA FROM TINICIO_CONTABILIZACAO I WHERE I.BDCODEMP = ? AND I.BDCODSIS = ?)),"
        " COALESCE(CAST(? AS DATE), (SELECT I.BDDATACONTOPEIMOB FROM TINICIO_CONTABILIZACAO I WHERE I.BDCODEMP = ? AND I.BDCODSIS = ?)),"
        " COALESCE(CAST(? AS DATE), (SELECT I.BDDATACONTIMPOSTOS FROM TINICIO_CONTABILIZACAO I WHERE I.BDCODEMP = ? AND I.BDCODSIS = ?)),"
        " 'FALSE') MATCHING (BDCODEMP, BDCODSIS)",
        {codEmp, sis, DataOuNulo(inicio), codEmp, sis, DataOuNulo(corteBaixa), codEmp, sis, DataOuNulo(corteOpeImob),
         codEmp, sis, DataOuNulo(corteImpostos), codEmp, sis});
    tr.Commit();
    return true;
  } catch (const std::exception& e) {
    return erro(std::string("Não foi possível definir o início da contabilização: ") + e.what());
  }
}

// --- change of posting plan: the record of the change and its saved balances ---

int TProcessoRecontabilizacaoMGR::RegistraProcessoTroca(int codEmp, const std::vector<int>& empresas, int planoAtual,
                                                        int planoNovo, int planoTroca, TDateTime dataIni,
                                                        TDateTime dataFim, int planoLalur) {
  TDatabase& db = Database();
  int ordem = static_cast<int>(
      db.QueryValue("SELECT COALESCE(MAX(BDORDEM), 0) + 1 FROM VINT_EMP_PROCESSOTROCA WHERE BDCODEMP = ?", {codEmp})
          .AsInteger());
  db.Execute("INSERT INTO VINT_EMP_PROCESSOTROCA (BDCODEMP, BDORDEM, BDDATAINICIAL, BDSTATUS, BDCODINT,"
             " BDCODPLANOONLINEDE, BDCODPLANOONLINEPARA, BDDATAPROC, BDNOMUSU, BDCODCONTABLALUR)"
             " VALUES (?, ?, ?, 0, ?, ?, ?, ?, ?, ?)",
             {codEmp, ordem, dataIni.DateOnly(), planoTroca > 0 ? Variant(planoTroca) : Variant(), planoAtual,
              planoNovo, Now(), ProcessContext().UserName, planoLalur > 0 ? Variant(planoLalur) : Variant()});
  SalvaBalancetes(codEmp, ordem, 0, empresas, dataIni, dataFim, PlanoEmVigor(codEmp, planoAtual, dataIni).Contas);
  return ordem;
}

void TProcessoRecontabilizacaoMGR::AbreReferenciaInicio(const std::vector<int>& empresas, int referencia) {
  TDatabase& db = Database();
  const std::string lista = Colunas(db, "TEMPRESAS_REF", {"BDREFEMP"});
  for (int emp : empresas) {
    db.Execute("INSERT INTO TEMPRESAS_REF (BDREFEMP, " + lista + ") SELECT FIRST 1 CAST(? AS INTEGER), " + lista +
                   " FROM TEMPRESAS_REF R WHERE R.BDCODEMP = ? AND R.BDREFEMP < ?"
                   " AND NOT EXISTS (SELECT 1 FROM TEMPRESAS_REF X WHERE X.BDCODEMP = ? AND X.BDREFEMP = ?)"
                   " ORDER BY R.BDREFEMP DESC",
               {referencia, emp, referencia, emp, referencia});
  }
}

void TProcessoRecontabilizacaoMGR::SalvaBalancetes(int codEmp, int ordem, int dePara, const std::vector<int>& empresas,
                                                   TDateTime dataIni, TDateTime dataFim, int contasSemPlano) {
  TDatabase& db = Database();
  // Debits positive, credits negative, per chart and account of the ledger of the companies.
  const std::string movimento =
      "SELECT COALESCE(L.BDCODPLAPADRAO, CAST(? AS INTEGER)) AS PLANO, L.BDDEBITO AS CONTA,"
      " L.BDDATA AS DATA, L.BDVALOR AS VALOR"
      " FROM VZEL_EMPRESAS_TLAN L WHERE L.BDCODEMP IN (" + ListaEmpresas(empresas) + ") AND L.BDDEBITO IS NOT NULL"
      " AND L.BDDATA <= ?"
      " UNION ALL SELECT COALESCE(L.BDCODPLAPADRAO, CAST(? AS INTEGER)), L.BDCREDITO, L.BDDATA,"
      " -L.BDVALOR"
      " FROM VZEL_EMPRESAS_TLAN L WHERE L.BDCODEMP IN (" + ListaEmpresas(empresas) + ") AND L.BDCREDITO IS NOT NULL"
      " AND L.BDDATA <= ?";
  // A posting dated after the period's end (a later year) is in the ledger too.
  const Variant ultima = db.QueryValue("SELECT MAX(L.BDDATA) FROM VZEL_EMPRESAS_TLAN L WHERE L.BDCODEMP IN (" +
                                       ListaEmpresas(empresas) + ")");
  const int ultimoAno = ultima.IsNull() ? YearOf(dataFim) : std::max(YearOf(dataFim), YearOf(ultima.AsDateTime()));
  for (int ano = YearOf(dataIni); ano <= ultimoAno; ++ano) {
    TDateTime inicioAno = EncodeDate(ano, 1, 1), fimAno = EncodeDate(ano, 12, 31);
    db.Execute(
        "INSERT INTO VINT_EMP_PROCESSOTROCA_BAL (BDCODEMP, BDORDEM, BDDEPARA, BDANO, BDCODPLAPADRAO, BDCODTPLA,"
        " BDSALANT, BDDEBITOS, BDCREDITOS, BDSALATU)"
        " SELECT ?, ?, ?, ?, M.PLANO, M.CONTA,"
        " SUM(IIF(M.DATA < ?, M.VALOR, 0)), SUM(IIF(M.DATA >= ? AND M.VALOR > 0, M.VALOR, 0)),"
        " SUM(IIF(M.DATA >= ? AND M.VALOR < 0, -M.VALOR, 0)), SUM(M.VALOR)"
        " FROM (" + movimento + ") M GROUP BY M.PLANO, M.CONTA",
        {codEmp, ordem, dePara, ano, inicioAno, inicioAno, inicioAno, contasSemPlano, fimAno, contasSemPlano, fimAno});
  }
}

}  // namespace vyn

namespace vyn {

TProcessoRecontabilizacaoMGR::TPlanoConf TProcessoRecontabilizacaoMGR::LePlano(int plano) const {
  auto r = Database().QueryAll(
      "SELECT COALESCE(BDCODPLAPADRAO, 0) AS C, COALESCE(BDCODHIST, 0) AS H FROM TPLANO_CONF_ONLINE"
      " WHERE BDCODPLANOONLINE = ?",
      {plano});
  if (r.Rows.empty()) return {};
  return {static_cast<int>(r.Value(0, "C").AsInteger()), static_cast<int>(r.Value(0, "H").AsInteger())};
}

TProcessoRecontabilizacaoMGR::TPlanoConf TProcessoRecontabilizacaoMGR::PlanoEmVigor(int codEmp, int plano,
                                                                                  TDateTime data) const {
  // The postings were made under the company's chart and history plan of the month.
  auto r = Database().QueryAll(
      "SELECT FIRST 1 BDCODPLAPADRAO AS C, BDCODHIST AS H FROM TEMPRESAS_REF WHERE BDCODEMP = ? AND BDREFEMP <= ?"
      " ORDER BY BDREFEMP DESC",
      {codEmp, AnoMes(data)});
  if (r.Rows.empty() || r.Value(0, "C").IsNull()) return LePlano(plano);
  return {static_cast<int>(r.Value(0, "C").AsInteger()),
          r.Value(0, "H").IsNull() ? 0 : static_cast<int>(r.Value(0, "H").AsInteger())};
}

std::vector<std::string> TProcessoRecontabilizacaoMGR::HistoricosSemTraducao(const std::vector<int>& empresas,
                                                                            const TPlanoConf& de,
                                                                            const TPlanoConf& para,
                                                                            TDateTime inicio) const {
  std::vector<std::string> out;
  if (de.Historicos == para.Historicos || para.Historicos == 0) return out;
  // A posting keeps its history item's code in the new plan: an item the new plan lacks would leave
  // the posting naming a text that does not exist, so the change is refused before anything moves.
  auto itens = Database().QueryAll(
      "SELECT DISTINCT L.BDCODTPHI FROM VZEL_EMPRESAS_TLAN L WHERE " + PeriodoTraduzido(empresas) +
          " AND L.BDCODTPHI IS NOT NULL AND COALESCE(L.BDCODHIST, CAST(? AS INTEGER)) = ?"
          " AND NOT EXISTS (SELECT 1 FROM HIST_TPHI H WHERE H.BDCODHIST = ? AND H.BDCODTPHI = L.BDCODTPHI)"
          " ORDER BY 1",
      {de.Contas, de.Contas, inicio.DateOnly(), de.Historicos, de.Historicos, para.Historicos});
  for (size_t i = 0; i < itens.Rows.size(); ++i)
    out.push_back(fmt::format("O histórico {} do plano de históricos {} não existe no plano de históricos {}: "
                              "seus lançamentos desde {} não podem ser transferidos.",
                              itens.Value(i, "BDCODTPHI").AsInteger(), de.Historicos, para.Historicos,
                              DateToStr(inicio)));
  return out;
}

TImplantacaoTroca TProcessoRecontabilizacaoMGR::ImplantacaoTroca(int ordem, const TPlanoConf& de,
                                                                const TPlanoConf& para, int planoTroca,
                                                                int participante, TDateTime inicio) {
  return {ordem, de.Contas, para.Contas, para.Historicos, planoTroca, participante, inicio};
}

std::vector<std::string> TProcessoRecontabilizacaoMGR::ErrosTraducao(const std::vector<int>& empresas,
                                                                    int planoAtual, int planoNovo, int planoTroca,
                                                                    TDateTime inicio, bool implantacao) const {
  TDatabase& db = Database();
  TPlanoConf de = PlanoEmVigor(empresas.front(), planoAtual, inicio), para = LePlano(planoNovo);
  std::vector<std::string> out = HistoricosSemTraducao(empresas, de, para, inicio);
  bool outroPlanoContas = de.Contas != para.Contas;
  if (planoTroca <= 0 && !outroPlanoContas) return out;
  auto troca = db.QueryAll("SELECT COALESCE(BDCODPLANOONLINEDE, 0) AS DE, COALESCE(BDCODPLANOONLINEPARA, 0) AS PARA"
                           " FROM VINT_BASE_TINTONLINE WHERE BDCODINT = ?",
                           {planoTroca});
  if (troca.Rows.empty()) {
    out.push_back(fmt::format("Plano de troca {} não encontrado: a troca para o plano de contas {} precisa dele.",
                              planoTroca, para.Contas));
    return out;
  }
  if (troca.Value(0, "DE").AsInteger() != planoAtual || troca.Value(0, "PARA").AsInteger() != planoNovo) {
    out.push_back(fmt::format("O plano de troca {} não pertence à troca do plano de contabilização {} para o {}.",
                              planoTroca, planoAtual, planoNovo));
    return out;
  }
  if (!outroPlanoContas) return out;
  auto contas = db.QueryAll(
      "SELECT DISTINCT M.CONTA FROM (SELECT L.BDDEBITO AS CONTA FROM VZEL_EMPRESAS_TLAN L WHERE " +
          PeriodoTraduzido(empresas) + " AND L.BDDEBITO IS NOT NULL UNION SELECT L.BDCREDITO FROM VZEL_EMPRESAS_TLAN L"
          " WHERE " + PeriodoTraduzido(empresas) + " AND L.BDCREDITO IS NOT NULL) M"
          " WHERE NOT EXISTS (SELECT 1 FROM VINT_BASE_TINTONLINE_CONTA T JOIN PLANOS_TPLA P ON"
          " (P.BDCODPLAPADRAO = ? AND P.BDCODTPLA = T.BDCODTPLAPARA) WHERE T.BDCODINT = ? AND T.BDCODTPLADE = M.CONTA)"
          " ORDER BY 1",
      {de.Contas, de.Contas, inicio.DateOnly(), de.Contas, de.Contas, inicio.DateOnly(), para.Contas, planoTroca});
  for (size_t i = 0; i < contas.Rows.size(); ++i)
    out.push_back(fmt::format("A conta {} do plano de contas {} não tem conta do plano de contas {} no plano de "
                              "troca {}: seus lançamentos desde {} não podem ser transferidos.",
                              contas.Value(i, "CONTA").AsInteger(), de.Contas, para.Contas, planoTroca,
                              DateToStr(inicio)));
  if (implantacao)
    for (auto& e : ErrosImplantacao(db, empresas, ImplantacaoTroca(0, de, para, planoTroca, 0, inicio), false))
      out.push_back(std::move(e));
  return out;
}

std::vector<std::string> TProcessoRecontabilizacaoMGR::TrocaPlano(int codEmp, const std::vector<int>& empresas,
                                                                  int planoAtual, int planoNovo, int planoTroca,
                                                                  TDateTime dataIni, TDateTime dataFim,
                                                                  int participante, int planoLalur) {
  TDatabase& db = Database();
  // The user was told the company cannot be used during the change: from here to the end of the
  // transaction no other workstation writes its ledger, and the writers under way have ended, so
  // the checks are made again over what they committed.
  BloqueiaLancamentosEmpresas(db, empresas);
  const TPlanoConf de = PlanoEmVigor(codEmp, planoAtual, dataIni), para = LePlano(planoNovo);
  // A lock, closing or zeroing set since the user confirmed holds here, where the postings are rewritten.
  if (auto recusa = RecusaReescrita(empresas, de, para, dataIni))
    throw EDatabaseError("A troca do plano de contabilização não foi realizada: " + recusa->Mensagem);
  const bool implantacao = PossuiZeramento && de.Contas != para.Contas;
  // The implantation makes its own checks again before it deletes anything.
  if (auto erros = ErrosTraducao(empresas, planoAtual, planoNovo, planoTroca, dataIni, false); !erros.empty())
    throw EDatabaseError(erros.front());
  std::vector<std::string> feitos;
  // The user was told that a company with a closed period gets a consultation-only backup holding the
  // period before the change, and that its online posting starts at the change. A change that keeps
  // both the chart and the history plan rewrites nothing of that period: it needs no copy, and the
  // recorded starts of posting stay as the user set them.
  const bool mesmosPlanos = de.Contas == para.Contas && de.Historicos == para.Historicos;
  if (PossuiZeramento && !mesmosPlanos) {
    std::vector<int> copias = CriaEmpresasBackup(empresas);
    for (size_t i = 0; i < copias.size(); ++i) {
      LiberaCopiaTroca(db, copias[i]);
      ExcluiLancamentos(db, copias[i], "L.BDCODEMP = ? AND L.BDDATA >= ?", {copias[i], dataIni.DateOnly()});
      // Its bank statements end where its entries do: a line of the period after the change is the
      // original's, reconciled there.
      db.Execute("DELETE FROM VZEL_EMPRESAS_TLAN_CONC C WHERE C.BDCODEMP = ? AND C.BDORIGEMCONC = 1 AND EXISTS (SELECT 1"
                 " FROM VZEL_EMPRESAS_TEXTRATOBAN X WHERE X.BDCODEMP = C.BDCODEMPCONC AND X.BDCHAVE = C.BDCHAVECONC"
                 " AND X.BDCODEMP = ? AND X.BDDATAMOV >= ?)",
                 {copias[i], copias[i], dataIni.DateOnly()});
      db.Execute("DELETE FROM VZEL_EMPRESAS_TEXTRATOBAN WHERE BDCODEMP = ? AND BDDATAMOV >= ?",
                 {copias[i], dataIni.DateOnly()});
      CopiaPagamentosEmpresa(db, empresas[i], copias[i]);
      feitos.push_back(fmt::format("Empresa backup {} criada, somente para consulta, com os lançamentos da empresa {}"
                                   " anteriores a {}.",
                                   copias[i], empresas[i], DateToStr(dataIni)));
    }
    RegistraInicioAutomatico(empresas, dataIni);
  }
  int ordemTroca =
      RegistraProcessoTroca(codEmp, empresas, planoAtual, planoNovo, planoTroca, dataIni, dataFim, planoLalur);
  // ... and that the original keeps, of the period before the change, only its balances in the new chart.
  if (implantacao) {
    const TQueryResult conciliadas = LinhasConciliadasAntes(empresas, dataIni);
    for (auto& f : ImplantaSaldosTroca(db, empresas,
                                       ImplantacaoTroca(ordemTroca, de, para, planoTroca, participante, dataIni)))
      feitos.push_back(std::move(f));
    // The copy keeps those lines with their entries; in the original, whose entries of that period are gone,
    // they would stay open in a closed period where nothing can be posted for them.
    for (size_t i = 0; i < conciliadas.Rows.size(); ++i)
      db.Execute("DELETE FROM VZEL_EMPRESAS_TEXTRATOBAN WHERE BDCODEMP = ? AND BDCHAVE = ? AND BDCHAVELANC IS NULL",
                 {conciliadas.Rows[i][0], conciliadas.Rows[i][1]});
  }
  AbreReferenciaInicio(empresas, AnoMes(dataIni));
  // The plan bundles its chart and history plan: they move with it.
  db.Execute("UPDATE TEMPRESAS_REF SET BDCODPLANOONLINE = ?,"
             " BDCODPLAPADRAO = COALESCE((SELECT P.BDCODPLAPADRAO FROM TPLANO_CONF_ONLINE P"
             " WHERE P.BDCODPLANOONLINE = ?), BDCODPLAPADRAO),"
             " BDCODHIST = COALESCE((SELECT P.BDCODHIST FROM TPLANO_CONF_ONLINE P"
             " WHERE P.BDCODPLANOONLINE = ?), BDCODHIST)"
             " WHERE BDCODEMP IN (" + ListaEmpresas(empresas) + ") AND BDREFEMP >= ?",
             {planoNovo, planoNovo, planoNovo, AnoMes(dataIni)});
  TraduzLancamentos(empresas, de, para, planoTroca, dataIni, participante);
  SalvaBalancetes(codEmp, ordemTroca, 1, empresas, dataIni, dataFim, para.Contas);
  return feitos;
}

TQueryResult TProcessoRecontabilizacaoMGR::LinhasConciliadasAntes(const std::vector<int>& empresas,
                                                                   TDateTime inicio) {
  return Database().QueryAll(
      "SELECT X.BDCODEMP, X.BDCHAVE FROM VZEL_EMPRESAS_TEXTRATOBAN X WHERE X.BDCODEMP IN (" + ListaEmpresas(empresas) +
          ") AND X.BDCHAVELANC IS NOT NULL AND EXISTS (SELECT 1 FROM VZEL_EMPRESAS_TLAN L WHERE"
          " L.BDCODEMP = COALESCE(X.BDCODEMPLANC, X.BDCODEMP) AND L.BDCHAVE = X.BDCHAVELANC AND L.BDDATA < ?)",
      {inicio.DateOnly()});
}

void TProcessoRecontabilizacaoMGR::RegistraInicioAutomatico(const std::vector<int>& empresas, TDateTime inicio) {
  // Every producing system of each company starts posting online at the change; recorded cut-offs stay.
  for (int emp : empresas)
    Database().Execute(
        "MERGE INTO TINICIO_CONTABILIZACAO I USING (SELECT CAST(? AS INTEGER) AS EMP, S.BDCODSIS FROM TSISTEMA S"
        " WHERE S.BDTIPOLANCONTAB > 0) X ON (I.BDCODEMP = X.EMP AND I.BDCODSIS = X.BDCODSIS)"
        " WHEN MATCHED THEN UPDATE SET BDDATA = ?, BDAUTOMATICO = 'TRUE'"
        " WHEN NOT MATCHED THEN INSERT (BDCODEMP, BDCODSIS, BDDATA, BDAUTOMATICO) VALUES (X.EMP, X.BDCODSIS, ?, 'TRUE')",
        {emp, inicio.DateOnly(), inicio.DateOnly()});
}

std::vector<int> TProcessoRecontabilizacaoMGR::CriaEmpresasBackup(const std::vector<int>& empresas) {
  TDatabase& db = Database();
  int proximo = static_cast<int>(db.QueryValue("SELECT COALESCE(MAX(BDCODEMP), 0) + 1 FROM TEMPRESAS").AsInteger());
  const std::string cadastro = Colunas(db, "TEMPRESAS", {"BDCODEMP", "BDCODMATRIZ", "BDSTATUSEMP"});
  std::vector<int> copias;
  for (int emp : empresas) {
    const int copia = proximo++;
    const int matriz = copias.empty() ? 0 : copias.front();   // 0: the copy is the head office
    db.Execute("INSERT INTO TEMPRESAS (BDCODEMP, BDCODMATRIZ, BDSTATUSEMP, " + cadastro +
                   ") SELECT ?, NULLIF(CAST(? AS INTEGER), 0), 1, " +
                   cadastro + " FROM TEMPRESAS WHERE BDCODEMP = ?",
               {copia, matriz, emp});
    // A copy to look at: it takes part in no integration with the outside.
    db.Execute("UPDATE TEMPRESAS SET BDCODWEB = NULL, BDDYQ = 'FALSE', BDOMIE = 'FALSE', BDCHAVEACESSOOMIE = NULL,"
               " BDSENHAOMIE = NULL WHERE BDCODEMP = ?",
               {copia});
    const std::string referencias = Colunas(db, "TEMPRESAS_REF", {"BDCODEMP"});
    db.Execute("INSERT INTO TEMPRESAS_REF (BDCODEMP, " + referencias + ") SELECT ?, " + referencias +
                   " FROM TEMPRESAS_REF WHERE BDCODEMP = ?",
               {copia, emp});
    CopiaLivrosEmpresa(db, emp, copia);
    copias.push_back(copia);
  }
  return copias;
}

void TProcessoRecontabilizacaoMGR::TraduzLancamentos(const std::vector<int>& empresas, const TPlanoConf& de,
                                                     const TPlanoConf& para, int planoTroca, TDateTime inicio,
                                                     int participante) {
  TraduzLancamentosTroca(Database(), empresas,
                         {de.Contas, para.Contas, de.Historicos, para.Historicos, planoTroca, participante, inicio});
}

void TProcessoRecontabilizacaoMGR::RegistraRecontabilizacao(int codEmp, TDateTime dataIni, TDateTime dataFim,
                                                            const std::vector<int>& ordinais) {
  TDatabase& db = Database();
  int ordem = static_cast<int>(
      db.QueryValue("SELECT COALESCE(MAX(BDORDEM), 0) + 1 FROM VZEL_EMP_TRECONTABILIZACAO WHERE BDCODEMP = ?",
                    {codEmp})
          .AsInteger());
  TDateTime agora = Now();
  const auto& ctx = ProcessContext();
  db.Execute(
      "INSERT INTO VZEL_EMP_TRECONTABILIZACAO (BDCODEMP, BDORDEM, BDDATAINI, BDDATAFIN, BDATAPROC, BDHORAPROC,"
      " BDCODUSU, BDNOMUSU, BDNOMRESP) VALUES (?, ?, ?, ?, ?, CAST(? AS TIME), ?, ?, ?)",
      {codEmp, ordem, dataIni.DateOnly(), dataFim.DateOnly(), agora.DateOnly(), FormatDate("hh:nn:ss", agora),
       ctx.UserCode, ctx.UserName, Responsavel});
  int seq = 0;
  for (int o : ordinais)
    db.Execute("INSERT INTO VZEL_EMP_TRECONTABILIZACAO_PROC (BDCODEMP, BDORDEM, BDSEQ, BDCODSIS, BDNOME)"
               " VALUES (?, ?, ?, ?, ?)",
               {codEmp, ordem, ++seq, SistemaTipoProc(o), NomeTipoProc(o)});
}

int TProcessoRecontabilizacaoMGR::RefazLancamentos(const std::vector<int>& empresas, const std::vector<int>& ordinais,
                                                   TDateTime dataIni, TDateTime dataFim,
                                                   std::vector<std::string>& avisos) {
  std::vector<std::string> tipos;
  for (int o : ordinais) {
    int tipo = TipoLancamentoTipoProc(o);
    if (tipo == 0)
      avisos.push_back(fmt::format("A rotina \"{}\" não tem lançamentos on-line que a recontabilização possa "
                                   "refazer: ela deve ser refeita no sistema que a produz.",
                                   NomeTipoProc(o)));
    else if (std::find(tipos.begin(), tipos.end(), std::to_string(tipo)) == tipos.end())
      tipos.push_back(std::to_string(tipo));
  }
  if (tipos.empty()) return 0;
  // A posting re-done is re-keyed and loses its reconciliation, so only the chosen routines' postings
  // are touched. A posting whose routine was not recorded can only go with its whole module.
  std::vector<std::string> modulosInteiros, rotinas;
  for (int o : ordinais) rotinas.push_back(std::to_string(o));
  auto inteiro = [&](const auto& recursos) {
    return std::all_of(recursos.begin(), recursos.end(),
                       [&](uint8_t o) { return std::find(ordinais.begin(), ordinais.end(), o) != ordinais.end(); });
  };
  if (inteiro(C_RECURSOS_FISCAL)) modulosInteiros.push_back(std::to_string(kTipoLanFiscal));
  if (inteiro(C_RECURSOS_FOLHA)) modulosInteiros.push_back(std::to_string(kTipoLanFolha));
  const std::string semRotinaRefeita =
      modulosInteiros.empty() ? "0" : "IIF(L.BDTIPOLAN IN (" + Join(modulosInteiros, ",") + "), 1, 0)";
  TDatabase& db = Database();
  // Each posting with the chart and history plan in force in its month, and whether its accounts are
  // in that chart.
  const std::string naConta = "EXISTS (SELECT 1 FROM PLANOS_TPLA P WHERE P.BDCODPLAPADRAO = R.BDCODPLAPADRAO AND"
                              " P.BDCODTPLA = L.";
  auto r = db.QueryAll(
      "SELECT L.BDCODEMP, L.BDCHAVE, L.BDDATA, R.BDCODPLAPADRAO, R.BDCODHIST, R.BDULTENC,"
      " IIF((L.BDDEBITO IS NULL OR " + naConta + "BDDEBITO)) AND (L.BDCREDITO IS NULL OR " + naConta +
          "BDCREDITO)), 1, 0) AS CONTASOK, IIF(L.BDROTINA IS NULL, " + semRotinaRefeita + ", 1) AS ROTINAOK"
          " FROM VZEL_EMPRESAS_TLAN L LEFT JOIN TEMPRESAS_REF R ON (R.BDCODEMP = L.BDCODEMP AND R.BDREFEMP ="
          " (SELECT MAX(X.BDREFEMP) FROM TEMPRESAS_REF X WHERE X.BDCODEMP = L.BDCODEMP AND"
          " X.BDREFEMP <= EXTRACT(YEAR FROM L.BDDATA) * 100 + EXTRACT(MONTH FROM L.BDDATA)))"
          " WHERE L.BDCODEMP IN (" + ListaEmpresas(empresas) + ") AND L.BDTIPOLAN IN (" + Join(tipos, ",") +
          ") AND (L.BDROTINA IS NULL OR L.BDROTINA IN (" + Join(rotinas, ",") +
          ")) AND L.BDDATA BETWEEN ? AND ? ORDER BY L.BDCODEMP, L.BDCHAVE",
      {dataIni.DateOnly(), dataFim.DateOnly()});
  const std::string colunas =
      Colunas(db, "VZEL_EMPRESAS_TLAN", {"BDCODEMP", "BDCHAVE", "BDCODPLAPADRAO", "BDCODHIST", "BDCONCD", "BDCONCC"});
  int refeitos = 0;
  // A posting made again is written anew: the period's locks and zeroings stop it as any other, and a
  // month locked against manual posting is one the user has closed to rewriting by hand as well.
  TLivros livros(db, ExecucaoDe(this, {"frLancamento"}));
  std::vector<std::pair<int, TDateTime>> refeitosDias;
  for (size_t i = 0; i < r.Rows.size(); ++i) {
    if (Cancelado()) throw std::runtime_error("Processo cancelado pelo usuário!");
    int emp = static_cast<int>(r.Value(i, "BDCODEMP").AsInteger());
    int chave = static_cast<int>(r.Value(i, "BDCHAVE").AsInteger());
    const Variant& enc = r.Value(i, "BDULTENC");
    std::string motivo;
    if (r.Value(i, "ROTINAOK").AsInteger() == 0)
      motivo = "a rotina que o gerou não é conhecida; ele é refeito quando todas as rotinas do seu módulo são "
               "escolhidas";
    else if (r.Value(i, "BDCODPLAPADRAO").IsNull())
      motivo = "a empresa não tem plano de contas no mês";
    else if (!enc.IsNull() && r.Value(i, "BDDATA").AsDateTime().DateOnly() <= enc.AsDateTime().DateOnly())
      motivo = "o mês está encerrado";
    else if (r.Value(i, "CONTASOK").AsInteger() == 0)
      motivo = fmt::format("sua conta não está no plano de contas {}", r.Value(i, "BDCODPLAPADRAO").AsInteger());
    else if (auto recusa = livros.Recusa({emp, r.Value(i, "BDDATA").AsDateTime(), 0, 0, 0, 0}))
      motivo = SemPontoFinal(recusa->Mensagem);
    if (!motivo.empty()) {
      avisos.push_back(fmt::format("O lançamento {} da empresa {} de {} não pode ser refeito: {}.", chave, emp,
                                   DateToStr(r.Value(i, "BDDATA").AsDateTime()), motivo));
      continue;
    }
    RefazLancamento(emp, chave, r.Value(i, "BDCODPLAPADRAO"), r.Value(i, "BDCODHIST"), colunas);
    refeitosDias.emplace_back(emp, r.Value(i, "BDDATA").AsDateTime());
    ++refeitos;
  }
  // Before the run commits, the periods are read again: a lock, closing or zeroing set while it went
  // keeps every posting as it was, and the run says which.
  TLivros antesDeGravar(db, ExecucaoDe(this, {"frLancamento"}));
  for (const auto& [emp, dia] : refeitosDias)
    if (auto recusa = antesDeGravar.Recusa({emp, dia, 0, 0, 0, 0}))
      throw std::runtime_error("nenhum lançamento foi refeito: " + recusa->Mensagem);
  return refeitos;
}

void TProcessoRecontabilizacaoMGR::RefazLancamento(int codEmp, int chave, const Variant& contas,
                                                   const Variant& historicos, const std::string& colunas) {
  vyn::RefazLancamento(Database(), codEmp, chave, contas, historicos, colunas);
}

}  // namespace vyn
