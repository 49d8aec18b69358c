#include "framework/host/notificacoes.h"

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

}  // namespace

void TNotificacoesBanco::Notifica(const std::string& titulo, const std::string& classe,
                                  const std::string& parametros) {
  TTransaction t(db_);
  db_.Execute("INSERT INTO VSH_NOTIFICACOES (BDID, BDUSUARIO, BDTITULO, BDCLASSE, BDPARAMETROS) VALUES "
              "(GEN_ID(GEN_VSH_NOTIFICACOES, 1), ?, ?, ?, ?)",
              {Utf8Left(ProcessContext().UserName, 100), Utf8Left(titulo, 200), classe, parametros});
  t.Commit();
}

std::vector<TNotificacao> TNotificacoesBanco::Pendentes() const {
  const TQueryResult r = db_.QueryAll(std::string("SELECT ") + kColunas +
                                      " FROM VSH_NOTIFICACOES WHERE BDTOMADA = 0 ORDER BY BDID");
  std::vector<TNotificacao> out;
  for (size_t i = 0; i < r.Rows.size(); ++i) out.push_back(Linha(r, i));
  return out;
}

std::optional<TNotificacao> TNotificacoesBanco::Toma(int id) {
  TTransaction t(db_);
  // Marked first: of two programs taking the same one, only the one whose update changed it gets it.
  if (db_.Execute("UPDATE VSH_NOTIFICACOES SET BDTOMADA = 1 WHERE BDID = ? AND BDTOMADA = 0", {id}) == 0)
    return std::nullopt;
  const TQueryResult r =
      db_.QueryAll(std::string("SELECT ") + kColunas + " FROM VSH_NOTIFICACOES WHERE BDID = ?", {id});
  t.Commit();
  return Linha(r, 0);
}

}  // namespace vyn
