// The report functions the identifier report of the payment export reaches.
#include <cmath>

#include "framework/accounting/config_imposto_vyn.h"
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

std::string Preenche(const std::string& t, size_t largura, const std::string& fill, bool esquerda) {
  std::string out = t;
  const std::string f = fill.empty() ? " " : fill.substr(0, 1);
  while (Utf8Length(out) < largura) out = esquerda ? f + out : out + f;
  return out;
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

std::optional<Variant> TfrExportacaoPagamentosVYNReport::FuncaoDaTela(const std::string& nomeOriginal,
                                                                      std::vector<Variant>& p) {
  const std::string n = UpperCase(nomeOriginal);
  auto texto = [&](size_t i) { return P(p, i).IsNull() ? std::string() : P(p, i).AsString(); };
  auto inteiro = [&](size_t i) { return P(p, i).IsNull() ? 0LL : static_cast<long long>(P(p, i).AsCurrency().Round2().Raw() / 10000); };
  if (n == "SETYRKVALOR") {
    FYRKValor = texto(0);
    return Variant();
  }
  if (n == "GETQUEBRA")
    return Variant(FFuncionVynReport && !FFuncionVynReport->FListaQuebras.empty() ? FFuncionVynReport->FListaQuebras.front()
                                                                                  : std::string("''"));
  if (n == "CODEMPYRK") return Variant(GetCodEmpVynReport(static_cast<int>(P(p, 0).AsInteger())));
  if (n == "TAGYRK") return Variant(GetTagVYNReport());
  if (n == "TIPOCOLYRK") return Variant(getTipoColWeb());
  if (n == "TIPONOTAYRK") return Variant(GetTipoNotaYRK());
  if (n == "NUMERONOTAYRK") return Variant(GetNumeroNotaYRK());
  if (n == "TIPOCALCULOYRK") return Variant(GetTipoCalculoYRK());
  if (n == "TIPOFOLHAYRK") return Variant(getTipoFolhaWeb(static_cast<int>(inteiro(0))));
  if (n == "VALORDEFAULT") return Zero(P(p, 0)) ? P(p, 1) : P(p, 0);
  if (n == "INTSERIEYRK") return Variant(Preenche(Zero(P(p, 0)) ? "" : std::to_string(inteiro(0)), 10, "_", true));
  if (n == "DATEREFYRK") return Variant(FormatDate("yymm", P(p, 0).AsDateTime()));
  if (n == "DATEYRK") return Variant(FormatDate("yymmdd", P(p, 0).AsDateTime()));
  if (n == "ULTDIAREFYRK") {
    const int ref = TPublicas::GetReferencia();
    return Variant(IsValidAnoMes(ref) ? FormatDate("yymmdd", LastDayOfAnoMes(ref)) : std::string());
  }
  if (n == "REFYRK") {
    const std::string t = texto(0);
    if (t.find('/') != std::string::npos) return Variant(t.size() >= 7 ? t.substr(5, 2) + t.substr(0, 2) : std::string());
    return Variant(t.size() >= 6 ? t.substr(2, 4) : std::string());
  }
  if (n == "STRZERO") return Variant(ZeroPad(texto(0), static_cast<size_t>(inteiro(1))));
  if (n == "FORMATREFERENCIA") {
    try {
      const long long ref = inteiro(0);
      if (ref <= 0) return Variant(std::string());
      const std::string t = ZeroPad(ref, 6);
      return Variant(t.substr(4, 2) + "/" + t.substr(0, 4));
    } catch (const std::exception&) {
      return Variant(std::string());
    }
  }
  if (n == "PREENCHEESQUERDA" || n == "PREENCHEDIREITA")
    return Variant(Preenche(texto(0), static_cast<size_t>(inteiro(1)), texto(2), n == "PREENCHEESQUERDA"));
  if (n == "STRTRAN") return Variant(ReplaceAll(texto(0), texto(1), texto(2)));
  if (n == "RETORNASONUMEROS") return Variant(OnlyDigits(texto(0)));
  if (n == "STRTODATA") {
    const std::string t = texto(0);
    return Variant(t.size() >= 8 ? t.substr(6, 2) + "/" + t.substr(4, 2) + "/" + t.substr(0, 4) : std::string());
  }
  if (n == "YYYYMMTOMM_YYYY") {
    const std::string t = texto(0);
    return Variant(t.size() >= 6 ? t.substr(4, 2) + "/" + t.substr(0, 4) : std::string());
  }
  if (n == "IFTHEN") return P(p, 0).AsBoolean() ? P(p, 1) : P(p, 2);
  if (n == "QUOTEDSTR") return Variant("'" + ReplaceAll(texto(0), "'", "''") + "'");
  if (n == "REPLACESPACE") return Variant(std::string(static_cast<size_t>(std::max(0LL, inteiro(0))), ' '));
  if (n == "GETDATAULTIMODIA") return Variant(LastDayOfAnoMes(static_cast<int>(inteiro(0))));
  if (n == "GETTRIMESTREREF") return Variant(static_cast<long long>((inteiro(0) % 100 - 1) / 3 + 1));
  if (n == "HORAPARADECIMAL") {
    const std::vector<std::string> hm = Split(texto(0), ':');
    const Currency h = Currency::FromInt(Variant(hm.at(0)).AsInteger());
    const Currency m = hm.size() > 1 ? Currency::FromInt(Variant(hm[1]).AsInteger()) / 60 : Currency();
    return Variant(h + m);
  }
  if (n == "DECIMALPARAHORA") {
    // The minutes are rounded first, so 1.9999 hours is 02:00 and never 01:60.
    const Currency v = P(p, 0).AsCurrency();
    const long long minutos = (v * Currency::FromInt(60)).RoundTo(0).Raw() / 10000;
    return Variant(ZeroPad(minutos / 60, 2) + ":" + ZeroPad(minutos % 60, 2));
  }
  if (n == "CODRECIMPOSTO") return Variant(getCodRecImposto());
  if (n == "DATASISTEMA") return Variant(Today());
  return std::nullopt;
}

}  // namespace integracao
