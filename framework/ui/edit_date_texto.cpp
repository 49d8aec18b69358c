#include "framework/ui/edit_date_texto.h"

#include "framework/core/datetime.h"
#include "framework/core/text.h"
#include "framework/ui/control.h"
#include "framework/ui/edit_date.h"

namespace vyn {

void SetDataStrRespeitandoTipo(TEdit_Date_Padrao_VYN& edit, const std::string& texto) {
  const std::string t = Trim(texto);
  if (t.empty()) {
    edit.SetData(TDateTime{});
    return;
  }
  const auto partes = Split(t.substr(0, std::min<size_t>(t.size(), 10)), '/');
  auto numero = [&](const std::string& p) {
    if (p.empty() || OnlyDigits(p) != p) throw EValidationError("Data inválida: " + texto);
    return std::stoi(p);
  };
  int dia = 1, mes = 0, ano = 0;
  if (partes.size() == 3) {
    dia = numero(partes[0]);
    mes = numero(partes[1]);
    ano = numero(partes[2]);
  } else if (partes.size() == 2) {
    mes = numero(partes[0]);
    ano = numero(partes[1]);
  } else {
    throw EValidationError("Data inválida: " + texto);
  }
  if (mes < 1 || mes > 12 || ano < 1 || ano > 9999 || dia < 1 || dia > DaysInMonth(ano, mes))
    throw EValidationError("Data inválida: " + texto);
  if (edit.Tipo() == tdReferencia) edit.SetData_AnoMes(ano * 100 + mes);
  else edit.SetData(EncodeDate(ano, mes, dia));
}

}  // namespace vyn
