#include "framework/livros/chaves_fonte.h"

#include <fmt/format.h>

#include "framework/core/text.h"
#include "framework/data/fb_database.h"

namespace vyn {

std::string ChaveItemDyq(int64_t id) { return kPrefixoItemDyq + std::to_string(id); }

namespace {

// A text as the key weighs it: a statement sent again in other capitals or spacing says the same.
std::string Normalizado(const std::string& texto) {
  std::string r;
  for (char c : UpperCase(Trim(texto))) {
    const bool espaco = c == ' ' || c == '\t' || c == '\r' || c == '\n';
    if (!espaco) r += c;
    else if (!r.empty() && r.back() != ' ') r += ' ';
  }
  return r;
}

}  // namespace

std::string TChavesLinhasSemId::Chave(const std::string& extrato, const TLinhaSemId& l) {
  int ano = 0, mes = 0, dia = 0;
  DecodeDate(l.Data, ano, mes, dia);
  // The texts go by their hash: any letter and length keep the key within the record's column and
  // alphabet, and the day, side and value stay readable.
  const std::string dito = fmt::format("E|{}|{:04}{:02}{:02}|{}|{}|{}", extrato, ano, mes, dia, l.Saida ? 'D' : 'C',
                                       l.Valor.Raw(), HashTexto(Normalizado(l.Documento) + "\n" + Normalizado(l.Texto)));
  return dito + "|" + std::to_string(++vistas_[dito]);
}

namespace {

// Keys a look-up asks at once (the last repeated), so that its statement is prepared once per run.
constexpr size_t kChavesPorLeitura = 50;

int Inteiro(const Variant& v) { return v.IsNull() ? 0 : static_cast<int>(v.AsInteger()); }

}  // namespace

std::map<std::string, TMovimentoRegistrado> MovimentosRegistrados(TDatabase& db, int codEmp, TTipoFonte tipo,
                                                                   const std::vector<std::string>& chaves) {
  std::map<std::string, std::string> pedida;   // as recorded -> as asked
  for (const std::string& c : chaves) pedida.emplace(ChaveFonteGravada(c), c);
  std::string marcas;
  for (size_t i = 0; i < kChavesPorLeitura; ++i) marcas += i ? ", ?" : "?";
  const std::string texto =
      "select F.BDFONTE, F.BDVALOR, F.BDDATA, F.BDDEBITO, F.BDCREDITO, F.BDDCTO, coalesce(F.BDCHAVELAN, (select "
      "min(P.BDCHAVELAN) from TINTEGRACAO_FONTE_PARTE P where P.BDCODEMP = F.BDCODEMP and P.BDTIPOFONTE = "
      "F.BDTIPOFONTE and P.BDFONTE = F.BDFONTE)) from TINTEGRACAO_FONTE_LANCADA F where F.BDCODEMP = ? and "
      "F.BDTIPOFONTE = ? and F.BDFONTE in (" + marcas + ")";
  std::map<std::string, TMovimentoRegistrado> r;
  for (auto it = pedida.begin(); it != pedida.end();) {
    TParams p{codEmp, static_cast<int>(tipo)};
    for (; it != pedida.end() && p.size() < kChavesPorLeitura + 2; ++it) p.push_back(it->first);
    while (p.size() < kChavesPorLeitura + 2) p.push_back(p.back());
    db.Prepared(texto).Query(p, [&](const std::vector<TColumnInfo>&, const std::vector<Variant>& l) {
      TMovimentoRegistrado m;
      m.Valor = l[1].IsNull() ? Currency() : l[1].AsCurrency();
      m.Movimento = {l[2].IsNull() ? TDateTime() : l[2].AsDateTime(), Inteiro(l[3]), Inteiro(l[4]),
                     l[5].IsNull() ? std::string() : l[5].AsString()};
      m.ChaveLancamento = Inteiro(l[6]);
      r.emplace(pedida[l[0].AsString()], std::move(m));
    });
  }
  return r;
}

std::string MovimentoAlterado(const TFonteLancada& f, const TMovimentoRegistrado& antes) {
  const TMovimentoFonte& agora = f.Movimento;
  const TMovimentoFonte& era = antes.Movimento;
  const bool valor = antes.Valor > Currency() && f.Valor > Currency() && antes.Valor != f.Valor;
  const bool dia = agora.Data.Days() > 0 && era.Data.Days() > 0 && agora.Data.Days() != era.Data.Days();
  // A bank line knows one side: money out credits the account, money in debits it.
  const bool saidaAgora = agora.Credito > 0, saidaAntes = era.Credito > 0;
  const bool lado = (agora.Credito > 0 || agora.Debito > 0) && (era.Credito > 0 || era.Debito > 0) &&
                    saidaAgora != saidaAntes;
  if (!valor && !dia && !lado) return {};
  std::string m = fmt::format("{}: movimento alterado na origem depois de lançado (lançado {}{} em {}",
                              f.Descricao.empty() ? f.Chave : f.Descricao, lado ? (saidaAntes ? "como saída " : "como entrada ") : "",
                              antes.Valor.ToBR(), DateToStr(era.Data));
  if (antes.ChaveLancamento > 0) m += fmt::format(", no lançamento {}", antes.ChaveLancamento);
  return m + ").";
}

}  // namespace vyn
