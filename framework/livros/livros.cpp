#include "framework/livros/livros.h"

#include <algorithm>
#include <functional>
#include <set>
#include <stdexcept>

#include <fmt/format.h>

#include "framework/component/component.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
#include "framework/data/tabelas_livros.h"
#include "framework/livros/marca_livros.h"

namespace vyn {

namespace {

constexpr size_t kLarguraFonte = 120;

std::string DataTexto(const Variant& v) { return v.IsNull() ? std::string() : DateToStr(v.AsDateTime()); }

// A source's key as the record holds it: longer ones by their hash, which stays one source's.
std::string ChaveGravada(const std::string& chave) {
  return chave.size() <= kLarguraFonte ? chave : "#" + HashTexto(chave);
}

bool IsentaPelaTroca(TRegraLivros r) {
  return r == TRegraLivros::Bloqueio || r == TRegraLivros::Encerramento || r == TRegraLivros::Zeramento;
}

}  // namespace

std::string ChaveFonteGravada(const std::string& chave) { return ChaveGravada(chave); }

std::string TExecucaoLivros::TelasSQL() const {
  std::string s = "|";
  for (const std::string& t : Telas)
    if (const std::string n = NomeDeBloqueio(t); !n.empty() && s.find("|" + n + "|") == std::string::npos) s += n + "|";
  return s.size() > 1 ? s : "|?|";
}

std::string NomeDeBloqueio(const std::string& nome) {
  // A lock row names a class as the suite's screens list them: with or without its leading 'T', in any case.
  std::string n = UpperCase(Trim(nome));
  return n.size() > 1 && n[0] == 'T' ? n.substr(1) : n;
}

TExecucaoLivros ExecucaoDe(const TComponent* sender, const std::vector<std::string>& extras) {
  TExecucaoLivros e;
  auto junta = [&](const std::string& nome) {
    const std::string n = NomeDeBloqueio(nome);
    if (n.empty() || nome == "TComponent") return;
    if (std::none_of(e.Telas.begin(), e.Telas.end(), [&](const std::string& t) { return NomeDeBloqueio(t) == n; }))
      e.Telas.push_back(nome);
  };
  // The run is told by its classes, the opener last ("TUtil... < TfrReview < TAutoThreadTask").
  std::vector<std::string> outros = extras;
  for (const TComponent* c = sender; c; c = c->Owner()) {
    junta(c->ClassName());
    if (c->ClassName() != "TComponent") e.Rotulo += (e.Rotulo.empty() ? "" : " < ") + c->ClassName();
    if (const auto* n = dynamic_cast<const INomesBloqueio*>(c))
      for (std::string& x : n->NomesBloqueio()) outros.push_back(std::move(x));
  }
  for (const std::string& x : outros) junta(x);
  const TProcessContext& ctx = ProcessContext();
  e.Usuario = ctx.UserName;
  e.Estacao = ctx.Workstation;
  if (e.Rotulo.empty()) e.Rotulo = "?";
  return e;
}

std::string MensagemRegra(int tipo, int codEmp, TDateTime data, const std::string& inicio, const std::string& fim,
                          const std::string& motivo, int conta, int terceiro) {
  switch (static_cast<TRegraLivros>(tipo)) {
    case TRegraLivros::Zeramento:
      return fmt::format("Existe processo de zeramento da empresa {} no período de {} a {}.", codEmp, inicio, fim);
    case TRegraLivros::Bloqueio: {
      std::string m =
          fmt::format("Existe bloqueio de lançamentos da empresa {} no período de {} a {}.", codEmp, inicio, fim);
      if (!motivo.empty()) m += " Motivo: " + motivo;
      return m;
    }
    case TRegraLivros::Encerramento:
      return fmt::format("O período da empresa {} está encerrado até {}.", codEmp, inicio);
    case TRegraLivros::EmpresaConsulta:
      return fmt::format("A empresa {} é uma cópia somente para consulta e não aceita lançamentos ({}).", codEmp,
                         DateToStr(data));
    case TRegraLivros::ForaDaVida:
      return fmt::format("A data {} é anterior ao período de lançamentos da empresa {} (a partir de {}).",
                         DateToStr(data), codEmp, inicio);
    case TRegraLivros::ContaForaDoPlano:
      return fmt::format("A conta {} não existe no plano de contas da empresa {} em vigor em {}.", conta, codEmp,
                         DateToStr(data));
    case TRegraLivros::ParticipanteInexistente:
      return fmt::format("O participante {} da conta {} não está cadastrado (empresa {}, {}).", terceiro, conta,
                         codEmp, DateToStr(data));
    case TRegraLivros::EmpresaInexistente:
      return fmt::format("A empresa {} não está cadastrada ({}).", codEmp, DateToStr(data));
    default:
      return {};
  }
}

std::string MensagemRegraNoDia(const std::string& mensagem, TDateTime data) {
  const std::string dia = DateToStr(data);
  if (mensagem.find(dia) != std::string::npos) return mensagem;
  std::string m = mensagem;
  while (!m.empty() && (m.back() == '.' || m.back() == ' ')) m.pop_back();
  return m + ". Data do lançamento: " + dia + ".";
}

namespace {

// A refusal in the user's words: what was booked of the source, in which entry, when and by whom.
std::string MensagemJaLancado(const TFonteLancada& f, const TFonteRegistrada& antes) {
  std::string m = (f.Descricao.empty() ? f.Chave : f.Descricao) + ": já lançado";
  if (!antes.DataHora.empty()) m += " em " + antes.DataHora;
  if (!antes.Usuario.empty()) m += " por " + antes.Usuario;
  if (antes.ChaveLancamento > 0) m += fmt::format(", no lançamento {}", antes.ChaveLancamento);
  if (antes.Valor > Currency() && antes.Lancado > Currency() && antes.Resto() > Currency())
    m += fmt::format(" ({} de {}; restam {})", antes.Lancado.ToBR(), antes.Valor.ToBR(), antes.Resto().ToBR());
  return m + ".";
}

}  // namespace

Currency TFonteRegistrada::RestoBanco() const {
  if (Partes.empty()) return Resto();
  Currency banco;
  for (const TParteFonte& p : Partes) banco += p.LadoBanco();
  return Valor - banco;
}

EFonteJaLancada::EFonteJaLancada(const TFonteLancada& f, const TFonteRegistrada& antes)
    : std::runtime_error(MensagemJaLancado(f, antes)), fonte_(f) {}

TLivros::TLivros(TDatabase& db, TExecucaoLivros execucao, TIsencaoLivros isencao)
    : db_(db), execucao_(std::move(execucao)), isencao_(isencao), telas_(execucao_.TelasSQL()) {}

void TLivros::PeriodosDaTransacao() {
  // A lock, closing or zeroing committed while a run goes holds from the writer's next transaction on;
  // outside one, each statement commits by itself and nothing read is kept.
  const uint64_t t = db_.Transacao();
  if (t == 0 || t != transacao_) periodos_.clear();
  transacao_ = t;
}

std::optional<TRecusaLivros> TLivros::RecusaPeriodo(int codEmp, TDateTime data) {
  PeriodosDaTransacao();
  const auto chave = std::make_pair(codEmp, data.Days());
  auto it = periodos_.find(chave);
  if (it != periodos_.end()) return it->second;
  const std::vector<Variant> r =
      db_.Prepared("select TIPO, DINI, DFIM, MOTIVO from SP_REGRAS_PERIODO(?, ?, ?)")
          .ExecuteReturning({codEmp, data.DateOnly(), telas_});
  return periodos_.emplace(chave, RecusaDoPeriodo(codEmp, data, r)).first->second;
}

std::optional<TRecusaLivros> TLivros::RecusaDoPeriodo(int codEmp, TDateTime data, const std::vector<Variant>& r) const {
  const int tipo = r.empty() || r[0].IsNull() ? 0 : static_cast<int>(r[0].AsInteger());
  if (tipo == 0 || (isencao_ == TIsencaoLivros::ImplantacaoTrocaPlano && IsentaPelaTroca(TRegraLivros(tipo))))
    return std::nullopt;
  return TRecusaLivros{TRegraLivros(tipo), MensagemRegra(tipo, codEmp, data, DataTexto(r[1]), DataTexto(r[2]),
                                                         r[3].IsNull() ? std::string() : r[3].AsString())};
}

namespace {

// The days one statement of LePeriodos asks, at most: a year's.
constexpr size_t kDiasPorLeitura = 366;

// Each day of DIAS ("YYYY-MM-DD" one after the other) with SP_REGRAS_PERIODO's first row for it, as
// RecusaPeriodo reads it alone. The days come as one text so that the statement names the procedure once:
// a statement naming it once per day took longer to prepare than the days took to read one by one.
const char* const kTextoPeriodos =
    "EXECUTE BLOCK (EMP INTEGER = ?, TELAS VARCHAR(1000) = ?, DIAS VARCHAR(4000) = ?)\n"
    "RETURNS (DIA DATE, TIPO INTEGER, DINI DATE, DFIM DATE, MOTIVO VARCHAR(200))\nAS\n"
    "DECLARE VARIABLE I INTEGER = 1;\nBEGIN\n"
    "WHILE (I < CHAR_LENGTH(DIAS)) DO BEGIN\n"
    "DIA = CAST(SUBSTRING(DIAS FROM I FOR 10) AS DATE);\nI = I + 10;\n"
    "TIPO = NULL; DINI = NULL; DFIM = NULL; MOTIVO = NULL;\n"
    "SELECT FIRST 1 TIPO, DINI, DFIM, MOTIVO FROM SP_REGRAS_PERIODO(:EMP, :DIA, :TELAS) INTO :TIPO, :DINI, :DFIM, "
    ":MOTIVO;\nSUSPEND;\nEND\nEND";

std::string DiaISO(TDateTime d) {
  int ano = 0, mes = 0, dia = 0;
  DecodeDate(d, ano, mes, dia);
  return fmt::format("{:04}-{:02}-{:02}", ano, mes, dia);
}

}  // namespace

void TLivros::LePeriodos(int codEmp, const std::vector<TDateTime>& dias) {
  PeriodosDaTransacao();
  std::vector<TDateTime> faltam;
  std::set<int> vistos;
  for (TDateTime d : dias)
    if (!periodos_.count({codEmp, d.Days()}) && vistos.insert(d.Days()).second) faltam.push_back(d.DateOnly());
  for (size_t i = 0; i < faltam.size(); i += kDiasPorLeitura) {
    std::string texto;
    for (size_t j = i; j < faltam.size() && j < i + kDiasPorLeitura; ++j) texto += DiaISO(faltam[j]);
    const TParams p{codEmp, telas_, texto};
    db_.Prepared(kTextoPeriodos).Query(p, [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& r) {
      const TDateTime dia = r[0].AsDateTime();
      periodos_.emplace(std::make_pair(codEmp, dia.Days()),
                        RecusaDoPeriodo(codEmp, dia, std::vector<Variant>(r.begin() + 1, r.end())));
    });
  }
}

std::optional<TRecusaLivros> TLivros::RecusaConta(int codEmp, TDateTime data, int conta, int terceiro) {
  // The implantation is written in the new chart the day before that chart comes into force.
  if ((conta <= 0 && terceiro <= 0) || isencao_ == TIsencaoLivros::ImplantacaoTrocaPlano) return std::nullopt;
  const auto chave = std::make_tuple(codEmp, AnoMes(data), conta, terceiro);
  auto it = contas_.find(chave);
  if (it != contas_.end()) return it->second;
  const Variant tipo =
      db_.Prepared("select TIPO from SP_REGRAS_CONTA(?, ?, ?, ?)").QueryValue({codEmp, data.DateOnly(), conta, terceiro});
  std::optional<TRecusaLivros> recusa;
  if (!tipo.IsNull() && tipo.AsInteger() != 0)
    recusa = TRecusaLivros{TRegraLivros(tipo.AsInteger()),
                           MensagemRegra(static_cast<int>(tipo.AsInteger()), codEmp, data, {}, {}, {}, conta, terceiro)};
  return contas_.emplace(chave, recusa).first->second;
}

std::optional<TRecusaLivros> TLivros::Recusa(const TLancamentoLivros& l) {
  if (auto r = RecusaPeriodo(l.CodEmp, l.Data)) return r;
  if (auto r = RecusaConta(l.CodEmp, l.Data, l.Debito, l.TerceiroD)) return r;
  return RecusaConta(l.CodEmp, l.Data, l.Credito, l.TerceiroC);
}

std::optional<TRecusaLivros> TLivros::RecusaIntervalo(int codEmp, TDateTime inicio, TDateTime fim) {
  const std::vector<Variant> r = db_.Prepared("select TIPO, DINI, DFIM, MOTIVO from SP_BLOQUEIO_LANCAMENTO(?, ?, ?, ?)")
                                     .ExecuteReturning({codEmp, inicio.DateOnly(), fim.DateOnly(), telas_});
  const int tipo = r.empty() || r[0].IsNull() ? 0 : static_cast<int>(r[0].AsInteger());
  if (tipo == 0) return std::nullopt;
  return TRecusaLivros{TRegraLivros(tipo), MensagemRegra(tipo, codEmp, inicio, DataTexto(r[1]), DataTexto(r[2]),
                                                         r[3].IsNull() ? std::string() : r[3].AsString())};
}

void TLivros::Verifica(const TLancamentoLivros& l) {
  if (auto r = Recusa(l)) throw ELivrosRecusa(std::move(*r));
}

namespace {

// Sources booked whole a statement. Preparing a block costs more than its size says: blocks of fifty
// (and of ten sources in parts) took longer to prepare than the statements a dozen (and three) add to a
// run of 10,000 lines.
constexpr size_t kFontesPorComando = 12;
// Sources booked in parts a statement: each opens its account and writes its parts, so that fewer keep
// the statement's text and message well within the database's limits, and its preparation short.
constexpr size_t kFontesEmPartesPorComando = 3;
// A look-up of recorded sources asks for a fixed number of keys (the last ones repeated), so that its
// statement is prepared once per run: preparing a list of as many keys as a batch happens to hold cost
// more than the look-up itself. Fifty: a list of two hundred took longer to prepare than the statements
// of fifty it saved.
constexpr size_t kChavesPorConsulta = 50;
constexpr size_t kChavesPorConsultaCurta = 16;
constexpr const char* kColunasFonte[] = {"BDCODEMP",  "BDTIPOFONTE", "BDFONTE",   "BDDESCRICAO", "BDCHAVELAN",
                                         "BDVALOR",   "BDLANCADO",   "BDDATA",    "BDDEBITO",    "BDCREDITO",
                                         "BDDCTO",    "BDUSUARIO",   "BDESTACAO", "BDEXECUCAO",  "BDLOTE"};
// Each column's type as TINTEGRACAO_FONTE_LANCADA declares it (framework/schema/modulo_livros.cpp), in
// kColunasFonte's order, for the statements' inputs: declared TYPE OF COLUMN, the engine looked the column
// up for every input of every source, two thirds of preparing a block of sources.
constexpr const char* kTiposFonte[] = {"INTEGER",
                                       "SMALLINT",
                                       "VARCHAR(120) CHARACTER SET WIN1252",
                                       "VARCHAR(200) CHARACTER SET WIN1252",
                                       "INTEGER",
                                       "NUMERIC(18,4)",
                                       "NUMERIC(18,4)",
                                       "DATE",
                                       "INTEGER",
                                       "INTEGER",
                                       "VARCHAR(60) CHARACTER SET WIN1252",
                                       "VARCHAR(100) CHARACTER SET WIN1252",
                                       "VARCHAR(100) CHARACTER SET WIN1252",
                                       "VARCHAR(200) CHARACTER SET WIN1252",
                                       "INTEGER"};
static_assert(std::size(kTiposFonte) == std::size(kColunasFonte));
// What LeFonte reads of a source's row, in its order.
const std::string kColunasLidas =
    "select BDDESCRICAO, BDDATAHORA, BDUSUARIO, BDEXECUCAO, BDCHAVELAN, BDVALOR, BDLANCADO, BDTIPOFONTE, BDFONTE";
const std::string kLeituraFonte = kColunasLidas + " from TINTEGRACAO_FONTE_LANCADA ";

std::string ListaColunasFonte() {
  std::string s;
  for (const char* c : kColunasFonte) s += std::string(s.empty() ? "" : ", ") + c;
  return s;
}

Variant OuNulo(int v) { return v > 0 ? Variant(v) : Variant(); }

// The row of a source as the record holds it; lancado is what this booking adds when it books it whole.
TParams ValoresFonte(const TFonteLancada& f, const TExecucaoLivros& e, bool inteira) {
  const bool comValor = f.Valor > Currency();
  const TMovimentoFonte& m = f.Movimento;
  const bool comMovimento = m.Data.Days() > 0;
  return {f.CodEmp, static_cast<int>(f.Tipo), ChaveGravada(f.Chave), Utf8Left(f.Descricao, 200),
          inteira ? OuNulo(f.ChaveLancamento) : Variant(), comValor ? Variant(f.Valor) : Variant(),
          Variant(inteira && comValor ? f.Valor : Currency()), comMovimento ? Variant(m.Data.DateOnly()) : Variant(),
          OuNulo(m.Debito), OuNulo(m.Credito), m.Documento.empty() ? Variant() : Variant(Utf8Left(m.Documento, 60)),
          Utf8Left(e.Usuario, 100), Utf8Left(e.Estacao, 100), Utf8Left(e.Rotulo, 200),
          f.Lote > 0 ? Variant(static_cast<long long>(f.Lote)) : Variant()};
}

std::string Marcadores(size_t n) {
  std::string s;
  for (size_t i = 0; i < n; ++i) s += i ? ", ?" : "?";
  return s;
}

// The inputs of source i of a block (P<i><column>, appended to parametros) and the list of their names
// an INSERT of the source's row takes.
std::string ParametrosFonte(size_t i, std::string& parametros) {
  std::string valores;
  for (size_t k = 0; k < std::size(kColunasFonte); ++k) {
    const char* c = kColunasFonte[k];
    parametros += fmt::format("{}P{}{} {} = ?", parametros.empty() ? "" : ", ", i, c, kTiposFonte[k]);
    valores += fmt::format("{}:P{}{}", valores.empty() ? "" : ", ", i, c);
  }
  return valores;
}

std::string TextoFontes(size_t n) {
  std::string parametros, corpo;
  for (size_t i = 0; i < n; ++i) {
    const std::string valores = ParametrosFonte(i, parametros);
    corpo += fmt::format("INSERT INTO TINTEGRACAO_FONTE_LANCADA ({}) VALUES ({});\n", ListaColunasFonte(), valores);
  }
  return "EXECUTE BLOCK (" + parametros + ")\nAS\nBEGIN\n" + corpo + "END";
}

// Sources booked in parts, each with as many parts, in one statement (a source booked whole already
// answers its place, from 0, and the statement books nothing more); a refused part undoes the whole
// statement. INTEIRA is -1 when every source was booked. A source's account opened here starts at the
// sum of its parts, which its row's check weighs against its value, and the parts' trigger leaves it
// alone (kContextoFonteSomada): one row version per source instead of one more per part. A source
// whose account an earlier run opened takes its parts through the trigger, each checked as it comes.
std::string TextoPartes(size_t fontes, size_t partes) {
  std::string parametros, corpo;
  const std::string contexto = fmt::format("RDB$SET_CONTEXT('USER_TRANSACTION', '{}', ", kContextoFonteSomada);
  for (size_t f = 0; f < fontes; ++f) {
    std::string valores = ParametrosFonte(f, parametros);
    std::string soma;
    for (size_t i = 0; i < partes; ++i) soma += fmt::format("{}:V{}_{}", i ? " + " : "", f, i);
    const std::string lancado = fmt::format(":P{}BDLANCADO", f);
    valores.replace(valores.find(lancado), lancado.size(), "(" + soma + ")");
    const std::string fonte = fmt::format("BDCODEMP = :P{0}BDCODEMP AND BDTIPOFONTE = :P{0}BDTIPOFONTE AND BDFONTE = "
                                          ":P{0}BDFONTE",
                                          f);
    corpo += "  SELECT BDCHAVELAN FROM TINTEGRACAO_FONTE_LANCADA WHERE " + fonte + " INTO :LAN;\n"
             "  IF (ROW_COUNT = 0) THEN BEGIN\n    INSERT INTO TINTEGRACAO_FONTE_LANCADA (" + ListaColunasFonte() +
             ") VALUES (" + valores + ");\n    C = " + contexto +
             fmt::format(":P{0}BDCODEMP || '|' || :P{0}BDTIPOFONTE || '|' || :P{0}BDFONTE);\n  END\n", f) +
             "  ELSE BEGIN\n    C = " + contexto + "NULL);\n" +
             fmt::format("    IF (LAN IS NOT NULL) THEN BEGIN INTEIRA = {}; SUSPEND; EXIT; END\n  END\n", f);
    for (size_t i = 0; i < partes; ++i) {
      // As TINTEGRACAO_FONTE_PARTE declares BDPARTE, BDCHAVELAN and BDVALOR, for the reason kTiposFonte says.
      parametros += fmt::format(", N{0}_{1} VARCHAR(60) CHARACTER SET WIN1252 = ?, L{0}_{1} INTEGER = ?, V{0}_{1} "
                                "NUMERIC(18,4) = ?, B{0}_{1} NUMERIC(18,4) = ?",
                                f, i);
      corpo += fmt::format("  INSERT INTO TINTEGRACAO_FONTE_PARTE (BDCODEMP, BDTIPOFONTE, BDFONTE, BDPARTE, BDCHAVELAN, "
                           "BDVALOR, BDBANCO) VALUES (:P{0}BDCODEMP, :P{0}BDTIPOFONTE, :P{0}BDFONTE, :N{0}_{1}, "
                           ":L{0}_{1}, :V{0}_{1}, :B{0}_{1});\n",
                           f, i);
    }
  }
  // The context names no source once the statement is over.
  return "EXECUTE BLOCK (" + parametros +
         ")\nRETURNS (INTEIRA INTEGER)\nAS\nDECLARE VARIABLE LAN INTEGER;\nDECLARE VARIABLE C INTEGER;\nBEGIN\n"
         "  INTEIRA = -1;\n" +
         corpo + "  C = " + contexto + "NULL);\n  SUSPEND;\nEND";
}

TFonteRegistrada LeFonte(const std::vector<Variant>& r) {
  auto texto = [](const Variant& v) { return v.IsNull() ? std::string() : v.AsString(); };
  TFonteRegistrada f;
  f.Descricao = texto(r[0]);
  f.DataHora = r[1].IsNull() ? std::string() : DateTimeToStr(r[1].AsDateTime());
  f.Usuario = texto(r[2]);
  f.Execucao = texto(r[3]);
  f.ChaveLancamento = r[4].IsNull() ? 0 : static_cast<int>(r[4].AsInteger());
  f.Valor = r[5].IsNull() ? Currency() : r[5].AsCurrency();
  f.Lancado = r[6].IsNull() ? Currency() : r[6].AsCurrency();
  f.Tipo = static_cast<TTipoFonte>(r[7].AsInteger());
  f.Chave = texto(r[8]);
  return f;
}

}  // namespace

void TLivros::RegistraFonte(const TFonteLancada& f) {
  if (!f.Partes.empty()) return RegistraPartes(f);
  TMarcaLivros marca(db_);
  try {
    db_.Prepared("insert into TINTEGRACAO_FONTE_LANCADA (" + ListaColunasFonte() + ") values (" +
                 Marcadores(std::size(kColunasFonte)) + ")")
        .Run(ValoresFonte(f, execucao_, true));
  } catch (const EDatabaseError& e) {
    RecusaFonte(f, e);
  }
}

void TLivros::RecusaFonte(const TFonteLancada& f, const EDatabaseError& e) {
  if (!e.IsUniqueViolation() && !e.IsLockConflict() && !e.IsCheckViolation()) throw e;
  // Booked by another run: committed (its record says when, by whom and what is left), or being written
  // by another workstation right now.
  TFonteRegistrada antes;
  if (!e.IsLockConflict())
    if (auto r = FonteRegistrada(f.CodEmp, f.Tipo, f.Chave)) antes = *r;
  if (antes.Usuario.empty() && e.IsLockConflict()) antes.Usuario = "outra estação de trabalho, agora";
  throw EFonteJaLancada(f, antes);
}

const std::string& TLivros::TextoPartesPreparado(size_t fontes, size_t partes) {
  auto it = textosPartes_.find({fontes, partes});
  if (it == textosPartes_.end()) it = textosPartes_.emplace(std::make_pair(fontes, partes), TextoPartes(fontes, partes)).first;
  return it->second;
}

void TLivros::ValoresPartes(const TFonteLancada& f, std::vector<Variant>& p) const {
  if (f.Valor <= Currency())
    throw std::logic_error("Uma fonte lançada em partes precisa do seu valor: " + f.Chave);
  for (Variant& v : ValoresFonte(f, execucao_, false)) p.push_back(std::move(v));
  for (const TParteFonte& parte : f.Partes)
    for (Variant v : {Variant(Utf8Left(parte.Parte, 60)), OuNulo(parte.ChaveLancamento), Variant(parte.Valor),
                      parte.Banco ? Variant(*parte.Banco) : Variant()})
      p.push_back(std::move(v));
}

void TLivros::RegistraPartes(const TFonteLancada& f) {
  TMarcaLivros marca(db_);
  // The account opens with the first part; a source booked whole already is not booked in parts too. One
  // statement per source (prepared once per number of parts): a statement per part cost more than its row.
  TParams p;
  ValoresPartes(f, p);
  std::vector<Variant> r;
  try {
    r = db_.Prepared(TextoPartesPreparado(1, f.Partes.size())).ExecuteReturning(p);
  } catch (const EDatabaseError& e) {
    RecusaFonte(f, e);
  }
  if (!r.empty() && !r[0].IsNull() && r[0].AsInteger() == 0)
    throw EFonteJaLancada(f, FonteRegistrada(f.CodEmp, f.Tipo, f.Chave).value_or(TFonteRegistrada{}));
}

void TLivros::RegistraEmPartes(const std::vector<const TFonteLancada*>& fontes) {
  // Sources of as many parts go kFontesEmPartesPorComando to a statement; the rest one a statement.
  std::map<size_t, std::vector<const TFonteLancada*>> porPartes;
  for (const TFonteLancada* f : fontes) porPartes[f->Partes.size()].push_back(f);
  for (const auto& [partes, mesmas] : porPartes) {
    size_t i = 0;
    for (; i + kFontesEmPartesPorComando <= mesmas.size(); i += kFontesEmPartesPorComando) {
      TParams p;
      for (size_t k = i; k < i + kFontesEmPartesPorComando; ++k) ValoresPartes(*mesmas[k], p);
      std::vector<Variant> r;
      try {
        r = db_.Prepared(TextoPartesPreparado(kFontesEmPartesPorComando, partes)).ExecuteReturning(p);
      } catch (const EDatabaseError& e) {
        if (!e.IsUniqueViolation() && !e.IsLockConflict() && !e.IsCheckViolation()) throw;
        // The statement wrote none of them: one by one, the first refused is named (none: all are booked,
        // and r, empty, names none).
        for (size_t k = i; k < i + kFontesEmPartesPorComando; ++k) RegistraPartes(*mesmas[k]);
      }
      if (!r.empty() && !r[0].IsNull() && r[0].AsInteger() >= 0) {
        const TFonteLancada& f = *mesmas[i + static_cast<size_t>(r[0].AsInteger())];
        throw EFonteJaLancada(f, FonteRegistrada(f.CodEmp, f.Tipo, f.Chave).value_or(TFonteRegistrada{}));
      }
    }
    for (; i < mesmas.size(); ++i) RegistraPartes(*mesmas[i]);
  }
}

void TLivros::RegistraFontes(const std::vector<TFonteLancada>& fontes) {
  TMarcaLivros marca(db_);
  std::vector<const TFonteLancada*> inteiras, emPartes;
  for (const TFonteLancada& f : fontes) (f.Partes.empty() ? inteiras : emPartes).push_back(&f);
  RegistraEmPartes(emPartes);
  size_t i = 0;
  if (inteiras.size() >= kFontesPorComando) {
    static const std::string texto = TextoFontes(kFontesPorComando);
    TStatement& lote = db_.Prepared(texto);
    for (; i + kFontesPorComando <= inteiras.size(); i += kFontesPorComando) {
      TParams p;
      p.reserve(kFontesPorComando * std::size(kColunasFonte));
      for (size_t k = i; k < i + kFontesPorComando; ++k)
        for (Variant& v : ValoresFonte(*inteiras[k], execucao_, true)) p.push_back(std::move(v));
      try {
        lote.Run(p);
      } catch (const EDatabaseError& e) {
        if (!e.IsUniqueViolation() && !e.IsLockConflict()) throw;
        // The statement wrote none of them: one by one, the first booked already is named. None is when
        // the run it met has ended without booking them (another workstation's, cancelled): all are booked.
        for (size_t k = i; k < i + kFontesPorComando; ++k) RegistraFonte(*inteiras[k]);
      }
    }
  }
  for (; i < inteiras.size(); ++i) RegistraFonte(*inteiras[i]);
}

std::vector<std::string> TLivros::FontesCompletas(int codEmp, TTipoFonte tipo, const std::string& prefixo) {
  std::vector<std::string> r;
  // A source booked in parts is whole once its parts book its value and its bank's side (a part of one
  // side says what of the bank's it booked).
  db_.Query("select F.BDFONTE from TINTEGRACAO_FONTE_LANCADA F where F.BDCODEMP = ? and F.BDTIPOFONTE = ? and "
            "F.BDFONTE starting with ? and (F.BDVALOR is null or F.BDVALOR <= 0 or (F.BDLANCADO >= F.BDVALOR and "
            "(F.BDCHAVELAN is not null or (select coalesce(sum(coalesce(P.BDBANCO, P.BDVALOR)), 0) from "
            "TINTEGRACAO_FONTE_PARTE P where P.BDCODEMP = F.BDCODEMP and P.BDTIPOFONTE = F.BDTIPOFONTE and P.BDFONTE = "
            "F.BDFONTE) >= F.BDVALOR)))",
            {codEmp, static_cast<int>(tipo), prefixo},
            [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& row) { r.push_back(row[0].AsString()); });
  return r;
}

int64_t TLivros::FontesDoLote(int codEmp, TTipoFonte tipo, int64_t lote) {
  return db_
      .QueryValue("select count(*) from TINTEGRACAO_FONTE_LANCADA where BDCODEMP = ? and BDTIPOFONTE = ? and BDLOTE = ?",
                  {codEmp, static_cast<int>(tipo), Variant(static_cast<long long>(lote))})
      .AsInteger();
}

std::optional<TFonteRegistrada> TLivros::FonteRegistrada(int codEmp, TTipoFonte tipo, const std::string& chave) {
  // Read apart from the writer's transaction, whose snapshot may predate the other run's commit; the
  // count makes one row whether the source was booked or not.
  const std::vector<Variant> r = db_.ExecuteReturningAutonomous(
      "select max(F.BDDESCRICAO), max(F.BDDATAHORA), max(F.BDUSUARIO), max(F.BDEXECUCAO), max(coalesce(F.BDCHAVELAN, "
      "(select min(P.BDCHAVELAN) from TINTEGRACAO_FONTE_PARTE P where P.BDCODEMP = F.BDCODEMP and P.BDTIPOFONTE = "
      "F.BDTIPOFONTE and P.BDFONTE = F.BDFONTE))), max(F.BDVALOR), max(F.BDLANCADO), max(F.BDTIPOFONTE), max(F.BDFONTE) "
      "from TINTEGRACAO_FONTE_LANCADA F where F.BDCODEMP = ? and F.BDTIPOFONTE = ? and F.BDFONTE = ?",
      {codEmp, static_cast<int>(tipo), ChaveGravada(chave)});
  if (r.size() < 9 || r[1].IsNull()) return std::nullopt;
  return LeFonte(r);
}

void TLivros::LePartes(std::vector<TFonteRegistrada*>& fontes, int codEmp) {
  for (TFonteRegistrada* f : fontes) {
    db_.Prepared("select BDPARTE, BDCHAVELAN, BDVALOR, BDBANCO from TINTEGRACAO_FONTE_PARTE where BDCODEMP = ? and "
                 "BDTIPOFONTE = ? and BDFONTE = ? order by BDCHAVELAN")
        .Query({codEmp, static_cast<int>(f->Tipo), f->Chave},
               [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& r) {
                 f->Partes.push_back({r[0].AsString(), r[1].IsNull() ? 0 : static_cast<int>(r[1].AsInteger()),
                                      r[2].AsCurrency(),
                                      r[3].IsNull() ? std::nullopt : std::optional<Currency>(r[3].AsCurrency())});
               });
    for (const TParteFonte& p : f->Partes)
      if (f->ChaveLancamento == 0 && p.ChaveLancamento > 0) f->ChaveLancamento = p.ChaveLancamento;
  }
}

std::map<std::string, TFonteRegistrada> TLivros::FontesRegistradas(int codEmp, TTipoFonte tipo,
                                                                   const std::vector<std::string>& chaves) {
  std::map<std::string, std::string> original;   // the key as recorded -> as asked
  for (const std::string& c : chaves) original.emplace(ChaveGravada(c), c);
  std::map<std::string, TFonteRegistrada> r;
  std::vector<std::string> lote;
  auto le = [&] {
    const size_t tamanho = lote.size() <= kChavesPorConsultaCurta ? kChavesPorConsultaCurta : kChavesPorConsulta;
    TParams p{codEmp, static_cast<int>(tipo)};
    for (const std::string& c : lote) p.push_back(c);
    while (p.size() < tamanho + 2) p.push_back(lote.back());
    db_.Prepared(kLeituraFonte + "where BDCODEMP = ? and BDTIPOFONTE = ? and BDFONTE in (" + Marcadores(tamanho) + ")")
        .Query(p, [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& row) {
          TFonteRegistrada f = LeFonte(row);
          r.emplace(original[f.Chave], std::move(f));
        });
    lote.clear();
  };
  for (const auto& [gravada, pedida] : original) {
    lote.push_back(gravada);
    if (lote.size() == kChavesPorConsulta) le();
  }
  if (!lote.empty()) le();
  std::vector<TFonteRegistrada*> emPartes;
  for (auto& [chave, f] : r)
    if (f.ChaveLancamento == 0) emPartes.push_back(&f);
  LePartes(emPartes, codEmp);
  return r;
}

std::map<std::string, int> TLivros::FontesDoPeriodo(int codEmp, TTipoFonte tipo, TDateTime inicio, TDateTime fim) {
  std::map<std::string, int> r;
  db_.Query("select BDFONTE, BDCHAVELAN from TINTEGRACAO_FONTE_LANCADA where BDCODEMP = ? and BDTIPOFONTE = ? and "
            "BDDATA between ? and ?",
            {codEmp, static_cast<int>(tipo), inicio.DateOnly(), fim.DateOnly()},
            [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& l) {
              r.emplace(l[0].AsString(), l[1].IsNull() ? 0 : static_cast<int>(l[1].AsInteger()));
            });
  return r;
}

std::map<std::string, TLivros::TContaPeriodo> TLivros::ContasDoPeriodo(int codEmp, TTipoFonte tipo, TDateTime inicio,
                                                                       TDateTime fim) {
  std::map<std::string, TContaPeriodo> r;
  db_.Query("select BDFONTE, BDCHAVELAN, BDVALOR, BDLANCADO from TINTEGRACAO_FONTE_LANCADA where BDCODEMP = ? and "
            "BDTIPOFONTE = ? and BDDATA between ? and ?",
            {codEmp, static_cast<int>(tipo), inicio.DateOnly(), fim.DateOnly()},
            [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& l) {
              r.emplace(l[0].AsString(), TContaPeriodo{l[1].IsNull() ? 0 : static_cast<int>(l[1].AsInteger()),
                                                       l[2].IsNull() ? Currency() : l[2].AsCurrency(),
                                                       l[3].AsCurrency()});
            });
  return r;
}

TParteFonte TLivros::ParteResto(int chaveLancamento, Currency valor) {
  return {fmt::format("resto {}", chaveLancamento), chaveLancamento, valor};
}

std::optional<TFonteRegistrada> TLivros::MovimentoIgual(const TFonteLancada& f) {
  return MovimentosIguais({f}).front();
}

namespace {

// A booked entry's movement, with what the record says of the source it booked (none: typed by hand, or
// written by a road that records no source), to match against the sources of a run.
struct TMovimentoLancado {
  TFonteRegistrada Fonte;
  int Debito = 0;
  int Credito = 0;
  std::string Documento;
  int64_t Lote = 0;
};

// What a statement or a file says of its line's document: "NF 4711", "4711" and "Nº 4.711" name one.
std::string DigitosDocumento(const std::string& d) { return OnlyDigits(d); }

// The batch a source's key names besides its origin's own batch: the statement of an id-less line
// ("E|D501|..." for a Dyq statement, "E|A11|file|..." for an account's file), and an entry file line's entry, which it shares with the equal entries of its
// file (all of its key but its place among them).
std::string LoteDaChave(TTipoFonte tipo, const std::string& chave) {
  if (chave.rfind("E|", 0) == 0) {
    // An account's file is named by the account and the file ("E|A11|name|...").
    const size_t fim = chave.find('|', 2);
    return chave.substr(0, chave.compare(2, 1, "A") == 0 && fim != std::string::npos ? chave.find('|', fim + 1) : fim);
  }
  const size_t ultimo = chave.rfind('|');
  if (tipo != TTipoFonte::ArquivoLancamentos || ultimo == std::string::npos) return {};
  return chave.substr(0, ultimo);
}

// Lines of one statement or file are never duplicates of each other: two equal fees of a statement are
// two movements, whatever became of either's entry.
bool DoMesmoLote(const TFonteLancada& f, const TMovimentoLancado& m) {
  if (m.Fonte.Tipo != f.Tipo || m.Fonte.Chave.empty()) return false;
  const std::string chave = ChaveGravada(f.Chave);
  if (m.Fonte.Chave == chave) return true;
  if (f.Lote > 0 && m.Lote == f.Lote) return true;
  const std::string lote = LoteDaChave(f.Tipo, chave);
  return !lote.empty() && lote == LoteDaChave(f.Tipo, m.Fonte.Chave);
}

bool MesmoMovimento(const TFonteLancada& f, const TMovimentoLancado& m) {
  if (DoMesmoLote(f, m)) return false;
  if (DigitosDocumento(m.Documento) != DigitosDocumento(f.Movimento.Documento)) return false;
  return (f.Movimento.Debito > 0 && m.Debito == f.Movimento.Debito) ||
         (f.Movimento.Credito > 0 && m.Credito == f.Movimento.Credito);
}

int InteiroOuZero(const Variant& v) { return v.IsNull() ? 0 : static_cast<int>(v.AsInteger()); }
std::string TextoOuVazio(const Variant& v) { return v.IsNull() ? std::string() : v.AsString(); }

using TLancadosDoPeriodo = std::multimap<std::pair<int, int64_t>, TMovimentoLancado>;   // (day, value)

// The sources the record holds as booked over the span, each named by the entry that booked it (whole,
// else its first part's).
void LeFontesLancadas(TDatabase& db, int empresa, TDateTime de, TDateTime ate, TLancadosDoPeriodo& lancados) {
  db.Query("select F.BDDESCRICAO, F.BDDATAHORA, F.BDUSUARIO, F.BDEXECUCAO, coalesce(F.BDCHAVELAN, (select "
           "min(P.BDCHAVELAN) from TINTEGRACAO_FONTE_PARTE P where P.BDCODEMP = F.BDCODEMP and P.BDTIPOFONTE = "
           "F.BDTIPOFONTE and P.BDFONTE = F.BDFONTE)), F.BDVALOR, F.BDLANCADO, F.BDTIPOFONTE, F.BDFONTE, F.BDDATA, "
           "F.BDDEBITO, F.BDCREDITO, F.BDDCTO, F.BDLOTE from TINTEGRACAO_FONTE_LANCADA F where F.BDCODEMP = ? and "
           "F.BDDATA between ? and ? and (F.BDLANCADO > 0 or F.BDCHAVELAN is not null)",
           {empresa, de.DateOnly(), ate.DateOnly()}, [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& r) {
             TMovimentoLancado m{LeFonte(r), InteiroOuZero(r[10]), InteiroOuZero(r[11]), TextoOuVazio(r[12]),
                                 r[13].IsNull() ? 0 : r[13].AsInteger()};
             lancados.emplace(std::make_pair(static_cast<int>(r[9].AsDateTime().Days()), m.Fonte.Valor.Raw()),
                              std::move(m));
           });
}

// The entries of the span the record names no source for: typed by hand in the suite, or written by a
// utility. Each is a booked movement all the same.
void LeLancamentosSemFonte(TDatabase& db, int empresa, TDateTime de, TDateTime ate, TLancadosDoPeriodo& lancados) {
  db.Query("select L.BDCHAVE, L.BDDATA, L.BDVALOR, L.BDDEBITO, L.BDCREDITO, L.BDDCTO, L.BDCOMPL from "
           "VZEL_EMPRESAS_TLAN L where L.BDCODEMP = ? and L.BDDATA between ? and ? and L.BDVALOR > 0 and not exists "
           "(select 1 from TINTEGRACAO_FONTE_LANCADA F where F.BDCODEMP = L.BDCODEMP and F.BDCHAVELAN = L.BDCHAVE) "
           "and not exists (select 1 from TINTEGRACAO_FONTE_PARTE P where P.BDCODEMP = L.BDCODEMP and P.BDCHAVELAN = "
           "L.BDCHAVE)",
           {empresa, de.DateOnly(), ate.DateOnly()}, [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& r) {
             TMovimentoLancado m;
             m.Fonte.ChaveLancamento = InteiroOuZero(r[0]);
             m.Fonte.Valor = r[2].AsCurrency();
             m.Fonte.Descricao = Trim(TextoOuVazio(r[6]));
             m.Debito = InteiroOuZero(r[3]);
             m.Credito = InteiroOuZero(r[4]);
             m.Documento = TextoOuVazio(r[5]);
             lancados.emplace(std::make_pair(static_cast<int>(r[1].AsDateTime().Days()), m.Fonte.Valor.Raw()),
                              std::move(m));
           });
}

}  // namespace

std::string NomeMovimentoIgual(const TFonteRegistrada& igual) {
  std::string quem;
  auto junta = [&](const std::string& t) {
    if (!t.empty()) quem += (quem.empty() ? "" : ", ") + t;
  };
  junta(igual.Descricao);
  if (!igual.DataHora.empty()) junta("lançado em " + igual.DataHora + (igual.Usuario.empty() ? "" : " por " + igual.Usuario));
  if (igual.Execucao.empty() && igual.Chave.empty()) junta("fora da integração");
  return fmt::format("lançamento {}{}", igual.ChaveLancamento, quem.empty() ? "" : " (" + quem + ")");
}

std::vector<std::optional<TFonteRegistrada>> TLivros::MovimentosIguais(const std::vector<TFonteLancada>& fontes) {
  std::vector<std::optional<TFonteRegistrada>> iguais(fontes.size());
  // Per company, the booked movements of the days the sources span, matched in memory by day and value.
  std::map<int, std::pair<int, int>> dias;
  for (const TFonteLancada& f : fontes) {
    const int d = f.Movimento.Data.Days();
    if (d <= 0 || f.Valor <= Currency()) continue;
    auto [it, novo] = dias.emplace(f.CodEmp, std::make_pair(d, d));
    it->second = {std::min(it->second.first, d), std::max(it->second.second, d)};
  }
  for (const auto& [empresa, faixa] : dias) {
    TLancadosDoPeriodo lancados;
    const TDateTime de(static_cast<double>(faixa.first)), ate(static_cast<double>(faixa.second));
    LeFontesLancadas(db_, empresa, de, ate, lancados);
    LeLancamentosSemFonte(db_, empresa, de, ate, lancados);
    // Among the lines of one statement or file, one booked movement is the twin of one line at most: two
    // equal lines beside one equal entry are one probable duplicate and one line never booked.
    std::set<std::pair<std::string, const void*>> usados;
    auto lote = [](const TFonteLancada& f) {
      return f.Lote > 0 ? std::to_string(f.Lote) : LoteDaChave(f.Tipo, f.Chave);
    };
    for (size_t i = 0; i < fontes.size(); ++i) {
      const TFonteLancada& f = fontes[i];
      // A source of no value or day names no movement: it would meet every source booked only whole.
      if (f.CodEmp != empresa || f.Valor <= Currency() || f.Movimento.Data.Days() <= 0) continue;
      auto [primeiro, fim] = lancados.equal_range({f.Movimento.Data.Days(), f.Valor.Raw()});
      for (auto it = primeiro; it != fim && !iguais[i]; ++it)
        if (const auto uso = std::make_pair(lote(f), static_cast<const void*>(&it->second));
            (uso.first.empty() || !usados.count(uso)) && MesmoMovimento(f, it->second)) {
          iguais[i] = it->second.Fonte;
          if (!uso.first.empty()) usados.insert(uso);
        }
    }
  }
  return iguais;
}

namespace {

// The file a line came in, as the batch its lines share (never its identity): lines of one file are
// never probable duplicates of each other.
int64_t LoteDoArquivo(const std::string& nome) {
  return nome.empty() ? 0 : static_cast<int64_t>(std::hash<std::string>{}(nome) % 2147483647) + 1;
}

std::string DescricaoLinhaArquivo(const std::string& nome, int linha) {
  return fmt::format("A linha {} do arquivo {}", linha, nome);
}

}  // namespace

TFonteLancada TLivros::FonteLinhaArquivo(const std::string& nome, int empresa, int linha, std::string chave,
                                         int chaveLancamento, Currency valor, TMovimentoFonte movimento) {
  TFonteLancada f{empresa, TTipoFonte::ArquivoLancamentos, std::move(chave), DescricaoLinhaArquivo(nome, linha),
                  chaveLancamento, valor};
  f.Movimento = std::move(movimento);
  f.Lote = LoteDoArquivo(nome);
  return f;
}

void TLivros::RegistraLinhasArquivo(const std::string& nome, const std::string& tabela, int sessao, int empresa,
                                    int inicio, int fim, int desvio) {
  TMarcaLivros marca(db_);
  const std::string faixa = " from " + tabela + " T where T.BDSESSAO = ? and T.BDCODEMP = ? and T.BDCHAVE between ? and "
                            "? and T.BDLINHA is not null and T.BDFONTE is not null";
  // A line's value is its account's: booked whole, all of it is booked.
  const std::string valor = "case when T.BDVALOR > 0 then T.BDVALOR end";
  // The stretch goes in its sources' order: a file's lines come in any order of date and value, and each
  // one inserted where its key falls would touch a page of the record's indexes of its own, which for a
  // large file no longer fit the engine's cache; in key order neighbouring lines share their pages.
  const std::string insere =
      "insert into TINTEGRACAO_FONTE_LANCADA (BDCODEMP, BDTIPOFONTE, BDFONTE, BDDESCRICAO, BDCHAVELAN, BDVALOR, "
      "BDLANCADO, BDDATA, BDDEBITO, BDCREDITO, BDDCTO, BDUSUARIO, BDESTACAO, BDEXECUCAO, BDLOTE) select T.BDCODEMP, ?, "
      "T.BDFONTE, cast(? as varchar(180)) || T.BDLINHA || ' do arquivo ' || cast(? as varchar(180)), T.BDCHAVE + ?, " +
      valor + ", coalesce(" + valor + ", 0), T.BDDATA, nullif(T.BDDEBITO, 0), nullif(T.BDCREDITO, 0), "
      "nullif(trim(T.BDDCTO), ''), ?, ?, ?, cast(? as integer)" + faixa + " and T." + kCampoValorFonte + " is null order by T.BDFONTE";
  const TParams p{static_cast<int>(TTipoFonte::ArquivoLancamentos), std::string("A linha "), Utf8Left(nome, 150), desvio,
                  Utf8Left(execucao_.Usuario, 100), Utf8Left(execucao_.Estacao, 100), Utf8Left(execucao_.Rotulo, 200),
                  Variant(static_cast<long long>(LoteDoArquivo(nome))), sessao, empresa, inicio, fim};
  // A line offered at what an earlier run left of it books that rest as a part of its account (named as
  // ParteResto names it); its account refuses more than is left.
  const std::string insereResto =
      "insert into TINTEGRACAO_FONTE_PARTE (BDCODEMP, BDTIPOFONTE, BDFONTE, BDPARTE, BDCHAVELAN, BDVALOR) select "
      "T.BDCODEMP, ?, T.BDFONTE, 'resto ' || (T.BDCHAVE + cast(? as integer)), T.BDCHAVE + cast(? as integer), "
      "T.BDVALOR" + faixa + " and T." + kCampoValorFonte + " is not null";
  const TParams pr{static_cast<int>(TTipoFonte::ArquivoLancamentos), desvio, desvio, sessao, empresa, inicio, fim};
  // Met another run's lines: named when that run committed them; tried once more when it is gone (it was
  // cancelled, or still writing: the insert then waits for it).
  for (const auto& [sql, params] : {std::pair{&insere, &p}, std::pair{&insereResto, &pr}})
    for (int tentativa = 0;; ++tentativa) {
      try {
        db_.Prepared(*sql).Run(*params);
        break;
      } catch (const EDatabaseError& e) {
        if (!e.IsUniqueViolation() && !e.IsLockConflict() && !e.IsCheckViolation()) throw;
        RecusaLinhaArquivo(nome, faixa, sessao, empresa, inicio, fim, tentativa > 0);
      }
    }
}

void TLivros::RecusaLinhaArquivo(const std::string& nome, const std::string& faixa, int sessao, int empresa,
                                 int inicio, int fim, bool sempre) {
  // Which line: the first of the stretch the record holds (committed by the other run), if any yet; an
  // aggregate answers one row whether or not there is one.
  const TParams p{sessao, empresa, inicio, fim, static_cast<int>(TTipoFonte::ArquivoLancamentos)};
  const std::string lancadas =
      faixa + " and exists (select 1 from TINTEGRACAO_FONTE_LANCADA F where F.BDCODEMP = T.BDCODEMP and "
              "F.BDTIPOFONTE = ? and F.BDFONTE = T.BDFONTE)";
  const std::vector<Variant> r = db_.ExecuteReturningAutonomous("select min(T.BDLINHA)" + lancadas, p);
  const bool achou = !r.empty() && !r[0].IsNull();
  if (!achou && !sempre) return;
  TParams daLinha = p;
  if (achou) daLinha.push_back(r[0]);
  const std::vector<Variant> fonte =
      achou ? db_.ExecuteReturningAutonomous("select max(T.BDFONTE)" + lancadas + " and T.BDLINHA = ?", daLinha)
            : std::vector<Variant>{};
  const TFonteLancada f = FonteLinhaArquivo(nome, empresa, achou ? static_cast<int>(r[0].AsInteger()) : inicio,
                                            fonte.empty() || fonte[0].IsNull() ? std::string() : fonte[0].AsString(),
                                            0, {}, {});
  TFonteRegistrada antes;
  if (achou)
    if (auto x = FonteRegistrada(empresa, f.Tipo, f.Chave)) antes = *x;
  if (antes.Usuario.empty()) antes.Usuario = "outra estação de trabalho, agora";
  throw EFonteJaLancada(f, antes);
}

}  // namespace vyn
