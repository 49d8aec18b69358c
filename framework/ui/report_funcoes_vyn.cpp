#include "framework/ui/report_funcoes_vyn.h"

namespace vyn {

const std::vector<TFuncaoReportVYN>& WP_FUNCOES_REPORT_VYN() {
  static const std::vector<TFuncaoReportVYN> tabela = [] {
    const char* const decl[] = {
        "function CodEmpYRK(prCodEmp: Integer): String", "function TagYRK: String", "function TipoColYRK: String",
        "function TipoFolhaYRK(prTipo: Integer): String", "function ValorDefault(prValor, prPadrao: Variant): Variant",
        "function DataSistema: TDateTime", "function IntSerieYRK(prSerie: Integer): String",
        "function UltDiaRefYRK: String", "function DateRefYRK(prData: TDateTime): String",
        "function DateYRK(prData: TDateTime): String", "function RefYRK(prRef: Variant): String",
        "function strZero(prValor: Variant; prTamanho, prDecimais: Integer): String",
        "function FormatReferencia(prRef: Integer): String",
        "function PREENCHEESQUERDA(prTexto: String; prTamanho: Integer; prCaracter: String): String",
        "function PREENCHEDIREITA(prTexto: String; prTamanho: Integer; prCaracter: String): String",
        "function STRTRAN(prTexto, prProcura, prTroca: String): String", "function RETORNASONUMEROS(prTexto: String): String",
        "function STRTODATA(prTexto: String): String", "function IFTHEN(prCondicao: Boolean; prSim, prNao: Variant): Variant",
        "function QUOTEDSTR(prTexto: String): String", "function REPLACESPACE(prQuantidade: Integer): String",
        "function YYYYMMTOMM_YYYY(prRef: String): String", "function GETDATAULTIMODIA(prRef: Integer): TDateTime",
        "function GETTRIMESTREREF(prRef: Integer): Integer", "function HoraParaDecimal(prHora: String): Extended",
        "function DecimalParaHora(prHoras: Extended): String", "function CodRecImposto: String",
        "function CalculaIdade(prData: TDateTime): Integer", "procedure ADDTOTALPAGES(prValor: Variant)",
        "function FORMATVALOR(prValor: Extended; prZeroEmBranco: Boolean; prDecimais: Integer): String",
        "function IDENTCLASS(prTexto, prParte, prSeparador: String): String",
        "function NumeroExtenso(prValor: Extended): String", "function EXTENSO(prValor: Extended): String",
        "function GETSABADODOMINGOFERIADO(prData: TDateTime; prTipo, prNumero: Integer): Boolean",
        "function SomaData(prData: String; prDias: Integer): String", "function DataExtenso(prData: String): String",
        "function MESEXTENSO(prData: String): String", "function MESEXTENSO2(prMes: Integer): String",
        "function DIAEXTENSO(prData: String): String", "procedure NEWCOLUMN", "procedure NEWPAGE",
        "function CURCOLUMN: Integer", "function CURLINE: Integer", "function DATAVAZIA(prData: Variant): Boolean",
        "function VALORTOSTRING(prValor: Extended; prMascara, prPreenche: String): String",
        "function RETIRAMASCARA(prTexto: String): String",
        "function ARREDONDA(prValor: Extended; prDecimais: Integer): Extended",
        "function CORTA(prValor: Extended; prDecimais: Integer): Extended",
        "function getTextoComponente(prTexto: String; prLargura: Integer; prFonte: String; prTamanho: Integer): String"};
    std::vector<TFuncaoReportVYN> t(119);
    size_t i = 0;
    for (const char* d : decl) {
      t[i].Campos[1] = "Funções VYN";
      t[i].Campos[4] = d;
      ++i;
    }
    return t;
  }();
  return tabela;
}

}  // namespace vyn
