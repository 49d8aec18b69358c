#include "framework/accounting/validar.h"

#include "framework/core/text.h"
#include "framework/ui/inconsistencias.h"

namespace vyn {

namespace {

bool Recusa(TInconsistencias_VYN& lista, int linha, const std::string& campo, const std::string& motivo, bool& ok) {
  ok = false;
  lista.Add_Atencao("Linha " + std::to_string(linha) + ": o campo " + campo + " " + motivo, true);
  return false;
}

// "1.000" or "2.500.000": in a sheet saved in pt-BR the points group thousands, though the text also
// reads as a decimal number; taken either way it could be off by a factor of a thousand.
bool SoSeparadorDeMilhar(const std::string& t) {
  const size_t inicio = !t.empty() && t[0] == '-' ? 1 : 0;
  if (t.find(',') != std::string::npos || t.find('.') == std::string::npos) return false;
  const std::vector<std::string> grupos = Split(t.substr(inicio), '.');
  if (grupos[0].empty() || grupos[0].size() > 3 || OnlyDigits(grupos[0]) != grupos[0]) return false;
  for (size_t i = 1; i < grupos.size(); ++i)
    if (grupos[i].size() != 3 || OnlyDigits(grupos[i]) != grupos[i]) return false;
  return true;
}

Variant Valida(bool verifica, int linha, const std::string& campo, int tipo, TInconsistencias_VYN& lista,
               const std::string& texto, bool& ok, int tamanho, const std::vector<int>* permitidos) {
  const std::string t = Trim(texto);
  if (t.empty()) {
    if (verifica) Recusa(lista, linha, campo, "é obrigatório.", ok);
    return {};
  }
  // The refused cell is echoed so that the user finds it, not whole: a cell may hold a page of text.
  constexpr size_t kEco = 100;
  const std::string aspas = "\"" + (Utf8Length(t) > kEco ? Utf8Left(t, kEco) + "…" : t) + "\"";
  Variant valor;
  switch (tipo) {
    case tvInteiro: {
      const auto v = WholeInteger(t);
      if (!v) return Recusa(lista, linha, campo, "deve ser um número inteiro: " + aspas + ".", ok), Variant();
      if (tamanho > 0 && OnlyDigits(t).size() > static_cast<size_t>(tamanho))
        return Recusa(lista, linha, campo, "tem mais de " + std::to_string(tamanho) + " dígitos: " + aspas + ".", ok),
               Variant();
      valor = Variant(static_cast<long long>(*v));
      break;
    }
    case tvMoeda: {
      Currency c;
      if (SoSeparadorDeMilhar(t))
        return Recusa(lista, linha, campo,
                      "tem pontos de milhar sem vírgula decimal (escreva 1000 ou 1.000,00): " + aspas + ".", ok),
               Variant();
      // A power of ten ("1e3") is no way to write money: taken, it would be a thousand times what was meant
      // as easily as what was meant.
      const bool expoente = t.find_first_of("eE") != std::string::npos;
      if (expoente || !Currency::TryParse(t, c))
        return Recusa(lista, linha, campo, "deve ser um valor: " + aspas + ".", ok), Variant();
      valor = Variant(c);
      break;
    }
    case tvData: {
      TDateTime d;
      if (!TryStrToDate(t, d))
        return Recusa(lista, linha, campo, "deve ser uma data DD/MM/AAAA: " + aspas + ".", ok), Variant();
      valor = Variant(d);
      break;
    }
    default: {
      if (!FitsWin1252(t))
        return Recusa(lista, linha, campo, "tem caracteres que não podem ser gravados: " + aspas + ".", ok), Variant();
      if (tamanho > 0 && Utf8Length(t) > static_cast<size_t>(tamanho))
        return Recusa(lista, linha, campo, "tem mais de " + std::to_string(tamanho) + " caracteres: " + aspas + ".", ok),
               Variant();
      valor = Variant(t);
      break;
    }
  }
  if (permitidos && !permitidos->empty()) {
    bool aceito = false;
    if (const auto v = WholeInteger(t))
      for (int p : *permitidos) aceito = aceito || *v == p;
    if (!aceito) {
      std::string lista_valores;
      for (int p : *permitidos) lista_valores += (lista_valores.empty() ? "" : ", ") + std::to_string(p);
      return Recusa(lista, linha, campo, "aceita apenas os valores " + lista_valores + ": " + aspas + ".", ok), Variant();
    }
  }
  return valor;
}

}  // namespace

Variant TValidar::ValidaCampo(bool verifica, bool, int linha, const std::string& campo, int tipo,
                              TInconsistencias_VYN& lista, const std::string& texto, bool& ok, int tamanho) {
  return Valida(verifica, linha, campo, tipo, lista, texto, ok, tamanho, nullptr);
}

Variant TValidar::ValidaCampo(bool verifica, bool, int linha, const std::string& campo, int tipo,
                              TInconsistencias_VYN& lista, const std::string& texto, bool& ok,
                              const std::vector<int>& permitidos) {
  return Valida(verifica, linha, campo, tipo, lista, texto, ok, 0, &permitidos);
}

}  // namespace vyn
