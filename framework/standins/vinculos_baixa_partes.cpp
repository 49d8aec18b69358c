#include "framework/standins/vinculos_baixa_partes.h"

#include <fmt/format.h>

#include <vector>

#include "framework/accounting/baixa_adicional.h"
#include "framework/core/datetime.h"
#include "framework/core/text.h"
#include "framework/data/client_dataset.h"
#include "framework/data/fb_database.h"

namespace vyn {

namespace {

// The multiple entries' kinds the staged review splits by (the principal takes the line's links).
constexpr int kPrincipal = 1;

int64_t Inteiro(const TClientDataSet& ds, const char* campo) {
  const TField* f = ds.FindField(campo);
  return f && !f->IsNull() ? f->AsInteger() : 0;
}

std::optional<std::string> LeParte(const std::string& texto, const char* nome, Currency& valor) {
  const std::string t = Trim(texto);
  valor = Currency();
  if (t.empty()) return std::nullopt;
  // Only plain figures: an exponent or other letters are a typing slip, never a value.
  if (t.find_first_not_of("0123456789.,- ") != std::string::npos || !Currency::TryParse(t, valor))
    return fmt::format("O valor de {} \"{}\" não é um valor.", nome, t);
  if (valor < Currency()) return fmt::format("O valor de {} não pode ser negativo ({}).", nome, valor.ToBR(2));
  return std::nullopt;
}

// The part's account is the side of its configuration that is not the line's own: the bank receiving
// interest credits the interest income; a discount granted debits the discount against the customer.
std::optional<std::string> ContaDaParte(TDatabase& db, const TClientDataSet& linha, int natureza, TParteVinculo& parte) {
  const char* sufixo = parte.Tipo == tbaMulta ? "000000001" : parte.Tipo == tbaJuros ? "000000002" : "000000003";
  const std::string classificacao =
      std::string(natureza == 1 ? "01.001.000000001.000000002." : "01.001.000000002.000000002.") + sufixo;
  const int64_t empresa = Inteiro(linha, "BDCODEMP");
  const TDateTime data = linha.FieldByName("BDDATA").AsDateTime();
  const int mes = AnoMes(data);
  const int64_t debito = Inteiro(linha, "BDDEBITO");
  const int64_t credito = Inteiro(linha, "BDCREDITO");
  const TQueryResult r = db.QueryAll(
      "select first 1 REF.BDCONTADEBPGTO, REF.BDCONTACREDPGTO from TCONF_CONTAS_ONLINE_REF REF join TCONF_CONTAS_ONLINE "
      "CON on CON.BDCODPLANOONLINE = REF.BDCODPLANOONLINE and CON.BDCHAVE = REF.BDCHAVE where REF.BDCODPLANOONLINE = "
      "(select R.BDCODPLANOONLINE from TEMPRESAS_REF R where R.BDCODEMP = ? and R.BDREFEMP = (select P.BDREFEMP from "
      "SP_GETREFERENCIA(?, ?) P)) and REF.BDREFCTA <= ? and CON.BDCLASSIFICACAO = ? and (REF.BDCONTADEBPGTO = ? or "
      "REF.BDCONTACREDPGTO = ?) order by REF.BDREFCTA desc, CON.BDCHAVE",
      {Variant(empresa), Variant(empresa), Variant(mes), Variant(mes), Variant(classificacao), Variant(debito),
       Variant(credito)});
  if (!r.Rows.empty()) {
    const int64_t deb = r.Value(0, "BDCONTADEBPGTO").IsNull() ? 0 : r.Value(0, "BDCONTADEBPGTO").AsInteger();
    const int64_t cre = r.Value(0, "BDCONTACREDPGTO").IsNull() ? 0 : r.Value(0, "BDCONTACREDPGTO").AsInteger();
    if (debito > 0 && deb == debito && cre > 0) {
      parte.ContaCredito = static_cast<int>(cre);
      return std::nullopt;
    }
    if (credito > 0 && cre == credito && deb > 0) {
      parte.ContaDebito = static_cast<int>(deb);
      return std::nullopt;
    }
  }
  return fmt::format("Não há contas de {} configuradas no plano online da empresa para as contas {} (débito) e {} "
                     "(crédito) do lançamento, em {}.",
                     parte.Nome, debito, credito, DateToStr(data));
}

}  // namespace

std::optional<std::string> LePartesVinculo(const std::string& multa, const std::string& juros,
                                           const std::string& desconto, Currency valorLinha, TPartesVinculo& partes) {
  if (auto e = LeParte(multa, "multa", partes.Multa)) return e;
  if (auto e = LeParte(juros, "juros", partes.Juros)) return e;
  if (auto e = LeParte(desconto, "desconto", partes.Desconto)) return e;
  const Currency acrescimos = partes.Multa + partes.Juros;
  if (!acrescimos.IsZero() && acrescimos >= valorLinha)
    return fmt::format("Multa e juros ({}) não podem somar o valor do lançamento ({}) ou mais: nada restaria para a "
                       "parcela.",
                       acrescimos.ToBR(2), valorLinha.ToBR(2));
  return std::nullopt;
}

void RemovePartesLinha(TClientDataSet& multi, int64_t codEmp, int64_t chave) {
  TClientDataSet c;
  c.CloneCursor(multi);
  c.SetMasterSource(nullptr);
  c.SetFiltered(false);
  c.CancelRange();
  for (c.First(); !c.Eof();) {
    if (Inteiro(c, "BDCODEMP") == codEmp && Inteiro(c, "BDCHAVE") == chave)
      c.Delete();
    else
      c.Next();
  }
}

std::optional<std::string> ContasPartesVinculo(TDatabase& db, const TClientDataSet& linha, int natureza,
                                               TPartesVinculo& partes) {
  std::vector<TParteVinculo> contas;
  if (!partes.Multa.IsZero()) contas.push_back({tbaMulta, partes.Multa, "multa"});
  if (!partes.Juros.IsZero()) contas.push_back({tbaJuros, partes.Juros, "juros"});
  if (!partes.Desconto.IsZero()) contas.push_back({tbaDesconto, partes.Desconto, "desconto"});
  for (TParteVinculo& p : contas)
    if (auto e = ContaDaParte(db, linha, natureza, p)) return e;
  partes.Contas = std::move(contas);
  return std::nullopt;
}

void GravaPartesVinculo(const TClientDataSet& linha, const TPartesVinculo& partes, TClientDataSet& multi) {
  const int64_t empresa = Inteiro(linha, "BDCODEMP");
  const int64_t chave = Inteiro(linha, "BDCHAVE");
  RemovePartesLinha(multi, empresa, chave);
  if (!multi.Active()) multi.Open();
  int ordem = 0;
  auto acrescenta = [&](int tipo, Currency valor, int64_t debito, int64_t credito) {
    multi.Append();
    try {
      // What the part shares with its line: day, document, text, plan and participants.
      for (const char* campo : {"BDCODEMP", "BDCHAVE", "BDDATA", "BDDCTO", "BDCOMPL", "BDCODHIST", "BDCODTPHI",
                                "BDCODPLAPADRAO", "BDLOTE", "BDCODTERCEIROD", "BDCODTERCEIROC"})
        if (const TField* f = linha.FindField(campo))
          if (TField* destino = multi.FindField(campo)) destino->SetValue(f->Value());
      multi.FieldByName("BDCHAVELANC").SetValue(Variant(++ordem));
      multi.FieldByName("BDTIPOMULTLANC").SetValue(Variant(tipo));
      multi.FieldByName("BDDEBITO").SetValue(debito > 0 ? Variant(debito) : Variant());
      multi.FieldByName("BDCREDITO").SetValue(credito > 0 ? Variant(credito) : Variant());
      multi.FieldByName("BDVALOR").SetValue(Variant(valor));
      multi.FieldByName("BDVINC_BAIXA").SetValue(Variant(tipo == kPrincipal));
      multi.Post();
    } catch (...) {
      multi.Cancel();
      throw;
    }
  };
  const Currency valor = linha.FieldByName("BDVALOR").AsCurrency();
  acrescenta(kPrincipal, valor - partes.Multa - partes.Juros, Inteiro(linha, "BDDEBITO"), Inteiro(linha, "BDCREDITO"));
  for (const TParteVinculo& p : partes.Contas) acrescenta(p.Tipo, p.Valor, p.ContaDebito, p.ContaCredito);
}

}  // namespace vyn
