// The report functions the identifier report of the payment export reaches.
#include <cmath>

#include <fmt/format.h>

#include "framework/accounting/config_imposto_vyn.h"
#include "framework/component/boxed_values.h"
#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/host/publicas.h"
#include "framework/ui/report_vyn.h"
#include "framework/ui/report_funcoes_vyn.h"
#include "integrations/vynreport/uExportacaoPagamentosVYNReport.h"

namespace integracao {

using namespace vyn;

namespace {

bool Zero(const Variant& v) {
  if (v.IsNull()) return true;
  try {
    return v.AsCurrency().IsZero();
  } catch (const std::exception&) {
    return false;
  }
}

const Variant& P(const std::vector<Variant>& p, size_t i) {
  static const Variant nulo;
  return i < p.size() ? p[i] : nulo;
}

// A date argument: nothing for null, zero or a blank text; a text is read as DD/MM/YYYY.
std::optional<TDateTime> DataDe(const Variant& v) {
  if (v.IsNull()) return std::nullopt;
  if (v.Type() == VarType::String) {
    const std::string t = Trim(v.AsString());
    if (t.empty() || OnlyDigits(t) == t) {
      if (t.empty() || Currency::Parse(t).IsZero()) return std::nullopt;
    } else if (OnlyDigits(t).find_first_not_of('0') == std::string::npos) {
      return std::nullopt;   // "00/00/0000", "  /  /    "
    }
  }
  const TDateTime d = v.AsDateTime();
  if (d.Value == 0) return std::nullopt;
  return d;
}

std::string Preenche(const std::string& t, size_t largura, const std::string& fill, bool esquerda) {
  std::string out = t;
  const std::string f = fill.empty() ? " " : fill.substr(0, 1);
  while (Utf8Length(out) < largura) out = esquerda ? f + out : out + f;
  return out;
}

std::string Texto(const std::vector<Variant>& p, size_t i) { return P(p, i).IsNull() ? std::string() : P(p, i).AsString(); }
Currency Valor(const std::vector<Variant>& p, size_t i) { return P(p, i).AsCurrency(); }
long long Inteiro(const std::vector<Variant>& p, size_t i) {
  return static_cast<long long>(Valor(p, i).RoundTo(0).Raw() / Currency::kScale);
}
std::optional<TDateTime> Data(const std::vector<Variant>& p, size_t i) { return DataDe(P(p, i)); }

// Values and texts.
std::optional<Variant> FuncaoValorTexto(const std::string& n, const std::vector<Variant>& p) {
  if (n == "VALORDEFAULT") return Zero(P(p, 0)) ? P(p, 1) : P(p, 0);
  if (n == "IFTHEN") return P(p, 0).AsBoolean() ? P(p, 1) : P(p, 2);
  if (n == "STRZERO") {
    Currency c;
    if (Currency::TryParse(Trim(Texto(p, 0)), c))
      return Variant(TString_VYN::GetStrZero(c, static_cast<int>(Inteiro(p, 1)), static_cast<int>(Inteiro(p, 2))));
    return Variant(ZeroPad(Texto(p, 0), static_cast<size_t>(std::max(0LL, Inteiro(p, 1)))));
  }
  if (n == "PREENCHEESQUERDA" || n == "PREENCHEDIREITA")
    return Variant(Preenche(Texto(p, 0), static_cast<size_t>(std::max(0LL, Inteiro(p, 1))), Texto(p, 2), n == "PREENCHEESQUERDA"));
  if (n == "STRTRAN") return Variant(Texto(p, 1).empty() ? Texto(p, 0) : ReplaceAll(Texto(p, 0), Texto(p, 1), Texto(p, 2)));
  if (n == "RETORNASONUMEROS") return Variant(OnlyDigits(Texto(p, 0)));
  if (n == "RETIRAMASCARA") return Variant(GetTiraSinaisPicture(Texto(p, 0)));
  if (n == "QUOTEDSTR") return Variant("'" + ReplaceAll(Texto(p, 0), "'", "''") + "'");
  if (n == "REPLACESPACE") return Variant(std::string(static_cast<size_t>(std::max(0LL, Inteiro(p, 0))), ' '));
  if (n == "IDENTCLASS") return Variant(SetReplicate(Texto(p, 1), GetNVezes(Texto(p, 0), Texto(p, 2)) - 1));
  if (n == "FORMATVALOR")
    return Variant(getFormataValorRelatorio(Valor(p, 0), true, P(p, 1).AsBoolean(), static_cast<int>(Inteiro(p, 2))));
  if (n == "VALORTOSTRING") return Variant(Trim(GetStrToMascara(Valor(p, 0).ToSQL(), Texto(p, 1), Texto(p, 2))));
  if (n == "ARREDONDA") return Variant(ArredondaVYN(Valor(p, 0), static_cast<int>(Inteiro(p, 1))));
  if (n == "CORTA") return Variant(CortaVYN(Valor(p, 0), static_cast<int>(Inteiro(p, 1))));
  if (n == "NUMEROEXTENSO" || n == "EXTENSO")
    return Variant(Zero(P(p, 0)) ? std::string() : GetExtenso(Valor(p, 0), n == "EXTENSO"));
  if (n == "GETTEXTOCOMPONENTE")
    return Variant(getTextToWidth(Texto(p, 0), static_cast<int>(Inteiro(p, 1)), Texto(p, 2), static_cast<int>(Inteiro(p, 3))));
  return std::nullopt;
}

// Dates and months.
std::optional<Variant> FuncaoData(const std::string& n, const std::vector<Variant>& p) {
  if (n == "DATASISTEMA") {
    const std::string hoje = Trim(ProcessContext().WP_DATA_ATUAL);
    return Variant(hoje.empty() ? Now() : StrToDate(hoje));
  }
  if (n == "CALCULAIDADE") {
    const auto d = Data(p, 0);
    return Variant(static_cast<long long>(d ? YearsBetween_VYN(*d, Now()) : 0));
  }
  if (n == "DATAVAZIA") return Variant(!Data(p, 0).has_value());
  if (n == "SOMADATA") {
    const auto d = Data(p, 0);
    return Variant(d ? DateToStr(IncDay(*d, static_cast<int>(Inteiro(p, 1)))) : std::string());
  }
  if (n == "DATAEXTENSO") {
    const auto d = Data(p, 0);
    if (!d) return Variant(std::string());
    return Variant(fmt::format("{} de {} de {}", DayOf(*d), TDateTime_VYN::GetMesExtenso(MonthOf(*d), false), YearOf(*d)));
  }
  if (n == "MESEXTENSO") {
    const auto d = Data(p, 0);
    return Variant(d ? TDateTime_VYN::GetMesExtenso(MonthOf(*d), false) : std::string());
  }
  if (n == "MESEXTENSO2") {
    if (Zero(P(p, 0))) return Variant(std::string());
    // A month out of range is a fault of the report's layout: the guide still prints, the text
    // says where the layout is wrong.
    const std::string mes = Texto(p, 0);
    TDateTime d;
    if (!TryStrToDate("01/" + mes + "/2000", d)) return Variant("Mês inválido: " + mes);
    return Variant(TDateTime_VYN::GetMesExtenso(MonthOf(d), false));
  }
  if (n == "DIAEXTENSO") {
    const auto d = Data(p, 0);
    return Variant(d ? GetExtenso(Currency::FromInt(DayOf(*d)), false) : std::string());
  }
  if (n == "GETSABADODOMINGOFERIADO") {
    const auto d = Data(p, 0);
    return Variant(d && GetSabadoDomingoFeriado(*d, static_cast<int>(Inteiro(p, 1)), static_cast<int>(Inteiro(p, 2))));
  }
  return std::nullopt;
}

// References and hours.
std::optional<Variant> FuncaoReferenciaHora(const std::string& n, const std::vector<Variant>& p) {
  if (n == "FORMATREFERENCIA") {
    try {
      const long long ref = Inteiro(p, 0);
      if (ref <= 0) return Variant(std::string());
      const std::string t = ZeroPad(ref, 6);
      return Variant(t.substr(4, 2) + "/" + t.substr(0, 4));
    } catch (const std::exception&) {
      return Variant(std::string());
    }
  }
  if (n == "STRTODATA") {
    const std::string t = Texto(p, 0);
    return Variant(t.size() >= 8 ? t.substr(6, 2) + "/" + t.substr(4, 2) + "/" + t.substr(0, 4) : std::string());
  }
  if (n == "YYYYMMTOMM_YYYY") {
    const std::string t = Texto(p, 0);
    return Variant(t.size() >= 6 ? t.substr(4, 2) + "/" + t.substr(0, 4) : std::string());
  }
  if (n == "GETDATAULTIMODIA") return Variant(LastDayOfAnoMes(static_cast<int>(Inteiro(p, 0))));
  if (n == "GETTRIMESTREREF") return Variant(static_cast<long long>(TDateTime_VYN::GetTrimestreRef(static_cast<int>(Inteiro(p, 0)))));
  if (n == "HORAPARADECIMAL") {
    // The sign belongs to the whole time: "-1:30" is minus one hour and a half, not -1 + 0.5.
    std::string t = Trim(Texto(p, 0));
    const bool negativo = !t.empty() && t[0] == '-';
    if (negativo) t = t.substr(1);
    const std::vector<std::string> hm = Split(t, ':');
    auto parte = [&](size_t i) { return i < hm.size() && !Trim(hm[i]).empty() ? Variant(Trim(hm[i])).AsInteger() : 0; };
    const Currency horas = Currency::FromInt(parte(0)) + Currency::FromInt(parte(1)) / 60;
    return Variant(negativo ? -horas : horas);
  }
  if (n == "DECIMALPARAHORA") {
    // The minutes are rounded first, so 1.9999 hours is 02:00 and never 01:60.
    // The sign belongs to the whole time, as HoraParaDecimal reads it back: -1.5 is "-1:30".
    const long long minutos = (Valor(p, 0) * Currency::FromInt(60)).RoundTo(0).Raw() / Currency::kScale;
    if (minutos < 0) return Variant("-" + std::to_string(-minutos / 60) + ":" + ZeroPad(-minutos % 60, 2));
    return Variant(ZeroPad(minutos / 60, 2) + ":" + ZeroPad(minutos % 60, 2));
  }
  return std::nullopt;
}

}  // namespace

void TfrExportacaoPagamentosVYNReport::setReportFunctions(TfrxReportVYN* report) {
  if (!report) return;
  for (const TFuncaoReportVYN& f : WP_FUNCOES_REPORT_VYN()) {
    if (f.Campos[4].empty()) continue;
    report->AddFunction(f.Campos[4], f.Campos[5].empty() ? f.Campos[1] : f.Campos[5],
                        f.Campos[6].empty() ? f.Campos[2] : f.Campos[6]);
  }
  report->AddFunction("function TipoCalculoYRK:String", "VYN Report", "Retorna o tipo de calculo do relatório.");
  report->AddFunction("function NumeroNotaYRK:String", "VYN Report", "Retorna o numero de nota do relatório.");
  report->AddFunction("function TipoNotaYRK:String", "VYN Report", "Retorna o tipo de nota do relatório.");
  report->AddFunction("procedure setYRKValor(prValor: String)", "VYN Report", "Defini o valor para ser exportado.");
  report->AddFunction("function getQuebra: String", "VYN Report", "Pega valor para ser exportado.");
  report->OnUserFunction = [this](const std::string& nome, std::vector<Variant>& params) {
    return UserFunction(nome, params);
  };
}

std::optional<Variant> TfrExportacaoPagamentosVYNReport::UserFunction(const std::string& nome,
                                                                      std::vector<Variant>& params) {
  Variant r;
  if (FFuncionVynReport && FFuncionVynReport->UserFunction(nome, params, r)) return r;
  return FuncaoDaTela(nome, params);
}

// The portal's own functions.
std::optional<Variant> TfrExportacaoPagamentosVYNReport::FuncaoPortal(const std::string& n, const std::vector<Variant>& p) {
  if (n == "SETYRKVALOR") {
    FYRKValor = Texto(p, 0);
    return Variant();
  }
  if (n == "GETQUEBRA")
    return Variant(FFuncionVynReport && !FFuncionVynReport->FListaQuebras.empty() ? FFuncionVynReport->FListaQuebras.front()
                                                                                  : std::string("''"));
  if (n == "CODEMPYRK") return Variant(GetCodEmpVynReport(static_cast<int>(Inteiro(p, 0))));
  if (n == "TAGYRK") return Variant(GetTagVYNReport());
  if (n == "TIPOCOLYRK") return Variant(getTipoColWeb());
  if (n == "TIPONOTAYRK") return Variant(GetTipoNotaYRK());
  if (n == "NUMERONOTAYRK") return Variant(GetNumeroNotaYRK());
  if (n == "TIPOCALCULOYRK") return Variant(GetTipoCalculoYRK());
  if (n == "TIPOFOLHAYRK") return Variant(getTipoFolhaWeb(static_cast<int>(Inteiro(p, 0))));
  if (n == "CODRECIMPOSTO") return Variant(getCodRecImposto());
  if (n == "INTSERIEYRK") return Variant(Preenche(Zero(P(p, 0)) ? "" : std::to_string(Inteiro(p, 0)), 10, "_", true));
  if (n == "DATEREFYRK") return Variant(FormatDate("yymm", P(p, 0).AsDateTime()));
  if (n == "DATEYRK") return Variant(FormatDate("yymmdd", P(p, 0).AsDateTime()));
  if (n == "ULTDIAREFYRK") {
    const int ref = TPublicas::GetReferencia();
    return Variant(IsValidAnoMes(ref) ? FormatDate("yymmdd", LastDayOfAnoMes(ref)) : std::string());
  }
  if (n == "REFYRK") {
    const std::string t = Texto(p, 0);
    if (t.find('/') != std::string::npos) return Variant(t.size() >= 7 ? t.substr(5, 2) + t.substr(0, 2) : std::string());
    return Variant(t.size() >= 6 ? t.substr(2, 4) : std::string());
  }
  return std::nullopt;
}

// The report engine.
std::optional<Variant> TfrExportacaoPagamentosVYNReport::FuncaoMotorRelatorio(const std::string& n,
                                                                              const std::vector<Variant>& p) {
  if (n == "ADDTOTALPAGES") {
    try {
      frxReportPreview->Variables["copyname0"] = P(p, 0);
      frxReportPreview->Variables["copyname1"] = P(p, 0);
    } catch (const std::exception&) {
      // a page count that cannot be kept does not stop the report
    }
    return Variant();
  }
  if (n == "NEWCOLUMN") {
    frxReportPreview->NewColumn();
    return Variant();
  }
  if (n == "NEWPAGE") {
    frxReportPreview->NewPage();
    return Variant();
  }
  if (n == "CURCOLUMN") return Variant(static_cast<long long>(frxReportPreview->CurColumn));
  if (n == "CURLINE") return Variant(static_cast<long long>(frxReportPreview->CurLine));
  return std::nullopt;
}

std::optional<Variant> TfrExportacaoPagamentosVYNReport::FuncaoDaTela(const std::string& nomeOriginal,
                                                                      std::vector<Variant>& p) {
  const std::string n = UpperCase(nomeOriginal);
  if (auto r = FuncaoPortal(n, p)) return r;
  if (auto r = FuncaoValorTexto(n, p)) return r;
  if (auto r = FuncaoData(n, p)) return r;
  if (auto r = FuncaoReferenciaHora(n, p)) return r;
  return FuncaoMotorRelatorio(n, p);
}

}  // namespace integracao
