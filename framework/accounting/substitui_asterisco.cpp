#include "framework/accounting/substitui_asterisco.h"

#include "framework/component/process_context.h"
#include "framework/core/text.h"
#include "framework/data/fb_database.h"

namespace vyn {

void TSubstituiAsterisco::InicializaVariaveis(bool modal) {
  if (!modal) modal_ = true;
  CodHist = CodTphi = CodPlaPadrao = 0;
  Debito = Credito = TerceiroD = TerceiroC = 0;
  Data.clear();
  Documento.clear();
  Complemento.clear();
  Favorecido.clear();
  SubstituiComplemento = AcrescentaFavorecido = false;
}

std::string TSubstituiAsterisco::GetComplementoAsterisco() {
  std::string recheio = Complemento;
  if (AcrescentaFavorecido && !Trim(Favorecido).empty())
    recheio = Trim(recheio).empty() ? Trim(Favorecido) : Trim(recheio) + " " + Trim(Favorecido);
  TDatabase* db = ProcessContext().Database;
  if (!db || CodTphi <= 0) return recheio;
  const Variant nome =
      db->QueryValue("select BDNOME from HIST_TPHI where BDCODHIST = ? and BDCODTPHI = ?", {CodHist, CodTphi});
  const std::string modelo = nome.IsNull() ? std::string() : nome.AsString();
  const size_t pos = modelo.find('*');
  if (!SubstituiComplemento || pos == std::string::npos) return recheio;
  return FormatStrTypeGlobal(modelo.substr(0, pos) + recheio + modelo.substr(pos + 1));
}

std::string FormatStrTypeGlobal(const std::string& texto) {
  std::string r;
  bool branco = false;
  for (char c : texto) {
    const bool b = c == ' ' || c == '\t' || c == '\r' || c == '\n';
    if (b) {
      branco = true;
      continue;
    }
    if (branco && !r.empty()) r += ' ';
    branco = false;
    r += c;
  }
  return r;
}

}  // namespace vyn
