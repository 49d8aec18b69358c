#include "framework/host/notificacoes.h"

#include <nlohmann/json.hpp>

#include <stdexcept>

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"

namespace vyn {

namespace {

TNotificacao Linha(const TQueryResult& r, size_t i) {
  TNotificacao n;
  n.Id = static_cast<int>(r.Value(i, "BDID").AsInteger());
  n.Usuario = r.Value(i, "BDUSUARIO").AsString();
  n.DataHora = r.Value(i, "BDDATAHORA").AsDateTime();
  n.Titulo = r.Value(i, "BDTITULO").AsString();
  n.Classe = r.Value(i, "BDCLASSE").AsString();
  n.Parametros = r.Value(i, "BDPARAMETROS").AsString();
  return n;
}

constexpr const char* kColunas = "BDID, BDUSUARIO, BDDATAHORA, BDTITULO, BDCLASSE, BDPARAMETROS";

// The parameters as the WIN1252 database holds them whole: JSON text is written with its characters
// outside ASCII as JSON escapes, which read back as the very same text; other text that WIN1252
// cannot hold is refused by name rather than lost.
std::string ParametrosGravaveis(const std::string& parametros) {
  if (FitsWin1252(parametros)) return parametros;
  const auto j = nlohmann::ordered_json::parse(parametros, nullptr, false);
  if (!j.is_discarded()) return j.dump(-1, ' ', true);
  throw std::runtime_error("A notificação não foi gravada: seu conteúdo tem caracteres que o banco de dados "
                           "(WIN1252) não aceita.");
}

// The title is only shown: a character WIN1252 lacks is shown as '?'.
std::string TituloGravavel(const std::string& titulo) {
  std::string out;
  size_t i = 0;
  while (i < titulo.size()) {
    const auto c = static_cast<unsigned char>(titulo[i]);
    const size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
    const std::string_view seq = std::string_view(titulo).substr(i, n);
    if (FitsWin1252(seq)) {
      out.append(seq);
    } else {
      out += '?';
    }
    i += n;
  }
  return Utf8Left(out, 200);
}

}  // namespace

void TNotificacoesBanco::Notifica(const std::string& titulo, const std::string& classe,
                                  const std::string& parametros) {
  const std::string texto = ParametrosGravaveis(parametros);
  TTransaction t(db_);
  db_.Execute("INSERT INTO VSH_NOTIFICACOES (BDID, BDUSUARIO, BDTITULO, BDCLASSE, BDPARAMETROS) VALUES "
              "(GEN_ID(GEN_VSH_NOTIFICACOES, 1), ?, ?, ?, ?)",
              {Utf8Left(ProcessContext().UserName, 100), TituloGravavel(titulo), classe, texto});
  t.Commit();
}

std::vector<TNotificacao> TNotificacoesBanco::Pendentes() const {
  const TQueryResult r =
      db_.QueryAll(std::string("SELECT ") + kColunas +
                       " FROM VSH_NOTIFICACOES WHERE BDTOMADA = 0 AND BDUSUARIO = ? ORDER BY BDID",
                   {Utf8Left(ProcessContext().UserName, 100)});
  std::vector<TNotificacao> out;
  for (size_t i = 0; i < r.Rows.size(); ++i) out.push_back(Linha(r, i));
  return out;
}

std::optional<TNotificacao> TNotificacoesBanco::Toma(int id) {
  TTransaction t(db_);
  // Marked first: of two programs taking the same one, only the one whose update changed it gets it.
  if (db_.Execute("UPDATE VSH_NOTIFICACOES SET BDTOMADA = 1 WHERE BDID = ? AND BDTOMADA = 0 AND BDUSUARIO = ?",
                  {id, Utf8Left(ProcessContext().UserName, 100)}) == 0)
    return std::nullopt;
  const TQueryResult r =
      db_.QueryAll(std::string("SELECT ") + kColunas + " FROM VSH_NOTIFICACOES WHERE BDID = ?", {id});
  t.Commit();
  tomada_ = id;
  return Linha(r, 0);
}

void TNotificacoesBanco::DevolveTomada() {
  if (tomada_ == 0) return;
  TTransaction t(db_);
  db_.Execute("UPDATE VSH_NOTIFICACOES SET BDTOMADA = 0 WHERE BDID = ?", {tomada_});
  t.Commit();
  tomada_ = 0;
}

}  // namespace vyn
