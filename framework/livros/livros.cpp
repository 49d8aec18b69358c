#include "framework/livros/livros.h"

#include <algorithm>

#include <fmt/format.h>

#include "framework/component/component.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"
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

std::string TExecucaoLivros::TelasSQL() const {
  std::string s = "|";
  for (const std::string& t : Telas) s += t + "|";
  return s.size() > 1 ? s : "|?|";
}

TExecucaoLivros ExecucaoDe(const TComponent* sender, const std::vector<std::string>& extras) {
  TExecucaoLivros e;
  auto junta = [&](const std::string& nome) {
    if (nome.empty() || nome == "TComponent") return;
    for (const std::string& n : {nome, nome.size() > 1 && nome[0] == 'T' ? nome.substr(1) : std::string()})
      if (!n.empty() && std::find(e.Telas.begin(), e.Telas.end(), n) == e.Telas.end()) e.Telas.push_back(n);
  };
  // The run is told by its classes, the opener last ("TUtil... < TfrReview < TAutoThreadTask").
  for (const TComponent* c = sender; c; c = c->Owner()) {
    junta(c->ClassName());
    if (c->ClassName() != "TComponent") e.Rotulo += (e.Rotulo.empty() ? "" : " < ") + c->ClassName();
  }
  for (const std::string& x : extras) junta(x);
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

EFonteJaLancada::EFonteJaLancada(const TFonteLancada& f, const TFonteRegistrada& antes)
    : std::runtime_error(fmt::format("{}: já lançado{}{}{}.", f.Descricao.empty() ? f.Chave : f.Descricao,
                                     antes.DataHora.empty() ? "" : " em " + antes.DataHora,
                                     antes.Execucao.empty() ? "" : " por " + antes.Execucao,
                                     antes.Usuario.empty() ? "" : " (" + antes.Usuario + ")")),
      fonte_(f) {}

TLivros::TLivros(TDatabase& db, TExecucaoLivros execucao, TIsencaoLivros isencao)
    : db_(db), execucao_(std::move(execucao)), isencao_(isencao), telas_(execucao_.TelasSQL()) {}

std::optional<TRecusaLivros> TLivros::RecusaPeriodo(int codEmp, TDateTime data) {
  const auto chave = std::make_pair(codEmp, data.Days());
  auto it = periodos_.find(chave);
  if (it != periodos_.end()) return it->second;
  const std::vector<Variant> r =
      db_.Prepared("select TIPO, DINI, DFIM, MOTIVO from SP_REGRAS_PERIODO(?, ?, ?)")
          .ExecuteReturning({codEmp, data.DateOnly(), telas_});
  std::optional<TRecusaLivros> recusa;
  const int tipo = r.empty() || r[0].IsNull() ? 0 : static_cast<int>(r[0].AsInteger());
  if (tipo != 0 && !(isencao_ == TIsencaoLivros::ImplantacaoTrocaPlano && IsentaPelaTroca(TRegraLivros(tipo))))
    recusa = TRecusaLivros{TRegraLivros(tipo), MensagemRegra(tipo, codEmp, data, DataTexto(r[1]), DataTexto(r[2]),
                                                             r[3].IsNull() ? std::string() : r[3].AsString())};
  return periodos_.emplace(chave, recusa).first->second;
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

void TLivros::RegistraFonte(const TFonteLancada& f) {
  TMarcaLivros marca(db_);
  const std::string chave = ChaveGravada(f.Chave);
  try {
    db_.Prepared("insert into TINTEGRACAO_FONTE_LANCADA (BDCODEMP, BDTIPOFONTE, BDFONTE, BDDESCRICAO, BDCHAVELAN, "
                 "BDUSUARIO, BDESTACAO, BDEXECUCAO) values (?, ?, ?, ?, ?, ?, ?, ?)")
        .Run({f.CodEmp, static_cast<int>(f.Tipo), chave, Utf8Left(f.Descricao, 200),
              f.ChaveLancamento > 0 ? Variant(f.ChaveLancamento) : Variant(), Utf8Left(execucao_.Usuario, 100),
              Utf8Left(execucao_.Estacao, 100), Utf8Left(execucao_.Rotulo, 200)});
  } catch (const EDatabaseError& e) {
    if (!e.IsUniqueViolation() && !e.IsLockConflict()) throw;
    // Booked by another run: committed (its record says when and by which run), or being written by
    // another workstation right now.
    TFonteRegistrada antes;
    if (e.IsUniqueViolation())
      if (auto r = FonteRegistrada(f.CodEmp, f.Tipo, f.Chave)) antes = *r;
    if (antes.Execucao.empty() && e.IsLockConflict()) antes.Execucao = "outra estação de trabalho, agora";
    throw EFonteJaLancada(f, antes);
  }
}

namespace {

constexpr size_t kFontesPorComando = 50;
constexpr const char* kColunasFonte[] = {"BDCODEMP",   "BDTIPOFONTE", "BDFONTE",   "BDDESCRICAO",
                                         "BDCHAVELAN", "BDUSUARIO",   "BDESTACAO", "BDEXECUCAO"};

std::string TextoFontes(size_t n) {
  std::string parametros, corpo;
  for (size_t i = 0; i < n; ++i) {
    std::string valores;
    for (const char* c : kColunasFonte) {
      parametros += fmt::format("{}P{}{} TYPE OF COLUMN TINTEGRACAO_FONTE_LANCADA.{} = ?", parametros.empty() ? "" : ", ",
                                i, c, c);
      valores += fmt::format("{}:P{}{}", valores.empty() ? "" : ", ", i, c);
    }
    corpo += fmt::format("INSERT INTO TINTEGRACAO_FONTE_LANCADA (BDCODEMP, BDTIPOFONTE, BDFONTE, BDDESCRICAO, BDCHAVELAN, "
                         "BDUSUARIO, BDESTACAO, BDEXECUCAO) VALUES ({});\n",
                         valores);
  }
  return "EXECUTE BLOCK (" + parametros + ")\nAS\nBEGIN\n" + corpo + "END";
}

}  // namespace

void TLivros::RegistraFontes(const std::vector<TFonteLancada>& fontes) {
  TMarcaLivros marca(db_);
  size_t i = 0;
  if (fontes.size() >= kFontesPorComando) {
    TStatement& lote = db_.Prepared(TextoFontes(kFontesPorComando));
    for (; i + kFontesPorComando <= fontes.size(); i += kFontesPorComando) {
      TParams p;
      p.reserve(kFontesPorComando * std::size(kColunasFonte));
      for (size_t k = i; k < i + kFontesPorComando; ++k) {
        const TFonteLancada& f = fontes[k];
        for (Variant v : {Variant(f.CodEmp), Variant(static_cast<int>(f.Tipo)), Variant(ChaveGravada(f.Chave)),
                          Variant(Utf8Left(f.Descricao, 200)),
                          f.ChaveLancamento > 0 ? Variant(f.ChaveLancamento) : Variant(),
                          Variant(Utf8Left(execucao_.Usuario, 100)), Variant(Utf8Left(execucao_.Estacao, 100)),
                          Variant(Utf8Left(execucao_.Rotulo, 200))})
          p.push_back(std::move(v));
      }
      try {
        lote.Run(p);
      } catch (const EDatabaseError& e) {
        if (!e.IsUniqueViolation() && !e.IsLockConflict()) throw;
        // The statement wrote none of them: one by one, the first booked already is named.
        for (size_t k = i; k < i + kFontesPorComando; ++k) RegistraFonte(fontes[k]);
        throw;
      }
    }
  }
  for (; i < fontes.size(); ++i) RegistraFonte(fontes[i]);
}

std::optional<TFonteRegistrada> TLivros::FonteRegistrada(int codEmp, TTipoFonte tipo, const std::string& chave) {
  // Read apart from the writer's transaction, whose snapshot may predate the other run's commit.
  // The count makes one row whether the source was booked or not.
  const std::vector<Variant> r = db_.ExecuteReturningAutonomous(
      "select max(BDDESCRICAO), max(BDDATAHORA), max(BDUSUARIO), max(BDEXECUCAO), max(BDCHAVELAN) from "
      "TINTEGRACAO_FONTE_LANCADA where BDCODEMP = ? and BDTIPOFONTE = ? and BDFONTE = ?",
      {codEmp, static_cast<int>(tipo), ChaveGravada(chave)});
  if (r.size() < 5 || r[1].IsNull()) return std::nullopt;
  auto texto = [](const Variant& v) { return v.IsNull() ? std::string() : v.AsString(); };
  return TFonteRegistrada{texto(r[0]), DateTimeToStr(r[1].AsDateTime()), texto(r[2]), texto(r[3]),
                          r[4].IsNull() ? 0 : static_cast<int>(r[4].AsInteger())};
}

namespace {

std::string ChaveLinhaArquivo(const std::string& identidade, int linha) {
  return identidade + "|" + std::to_string(linha);
}
std::string DescricaoLinhaArquivo(const std::string& nome, int linha) {
  return fmt::format("A linha {} do arquivo {}", linha, nome);
}

}  // namespace

void TLivros::RegistraLinhaArquivo(const std::string& identidade, const std::string& nome, int empresa, int linha,
                                   int chaveLancamento) {
  RegistraFonte({empresa, TTipoFonte::ArquivoLancamentos, ChaveLinhaArquivo(identidade, linha),
                 DescricaoLinhaArquivo(nome, linha), chaveLancamento});
}

void TLivros::RegistraLinhasArquivo(const std::string& identidade, const std::string& nome,
                                    const std::vector<TLinhaArquivo>& linhas) {
  std::vector<TFonteLancada> fontes;
  fontes.reserve(linhas.size());
  for (const TLinhaArquivo& l : linhas)
    fontes.push_back({l.Empresa, TTipoFonte::ArquivoLancamentos, ChaveLinhaArquivo(identidade, l.Linha),
                      DescricaoLinhaArquivo(nome, l.Linha), l.ChaveLancamento});
  RegistraFontes(fontes);
}

void TLivros::RegistraLinhasArquivo(const std::string& identidade, const std::string& nome, const std::string& tabela,
                                    int sessao, int empresa, int inicio, int fim, int desvio) {
  TMarcaLivros marca(db_);
  const std::string faixa = " from " + tabela + " T where T.BDSESSAO = ? and T.BDCODEMP = ? and T.BDCHAVE between ? and "
                            "? and T.BDLINHA is not null";
  try {
    db_.Prepared("insert into TINTEGRACAO_FONTE_LANCADA (BDCODEMP, BDTIPOFONTE, BDFONTE, BDDESCRICAO, BDCHAVELAN, "
                 "BDUSUARIO, BDESTACAO, BDEXECUCAO) select T.BDCODEMP, ?, cast(? as varchar(100)) || '|' || T.BDLINHA, "
                 "cast(? as varchar(180)) || T.BDLINHA || ' do arquivo ' || cast(? as varchar(180)), T.BDCHAVE + ?, ?, ?, ?" +
                 faixa)
        .Run({static_cast<int>(TTipoFonte::ArquivoLancamentos), identidade, std::string("A linha "),
              Utf8Left(nome, 150), desvio, Utf8Left(execucao_.Usuario, 100), Utf8Left(execucao_.Estacao, 100),
              Utf8Left(execucao_.Rotulo, 200), sessao, empresa, inicio, fim});
  } catch (const EDatabaseError& e) {
    if (!e.IsUniqueViolation() && !e.IsLockConflict()) throw;
    // Which line: the first of the stretch the record holds (committed by the other run), if any yet.
    const std::vector<Variant> r = db_.ExecuteReturningAutonomous(
        "select min(T.BDLINHA)" + faixa +
            " and exists (select 1 from TINTEGRACAO_FONTE_LANCADA F where F.BDCODEMP = T.BDCODEMP and "
            "F.BDTIPOFONTE = ? and F.BDFONTE = cast(? as varchar(100)) || '|' || T.BDLINHA)",
        {sessao, empresa, inicio, fim, static_cast<int>(TTipoFonte::ArquivoLancamentos), identidade});
    const int linha = r.empty() || r[0].IsNull() ? inicio : static_cast<int>(r[0].AsInteger());
    const TFonteLancada f{empresa, TTipoFonte::ArquivoLancamentos, ChaveLinhaArquivo(identidade, linha),
                          DescricaoLinhaArquivo(nome, linha), 0};
    TFonteRegistrada antes;
    if (auto x = FonteRegistrada(empresa, f.Tipo, f.Chave)) antes = *x;
    if (antes.Execucao.empty()) antes.Execucao = "outra estação de trabalho, agora";
    throw EFonteJaLancada(f, antes);
  }
}

}  // namespace vyn
