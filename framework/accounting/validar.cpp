#include "framework/accounting/validar.h"

#include <charconv>

#include "framework/core/text.h"
#include "framework/ui/inconsistencias.h"

namespace vyn {

namespace {

bool Recusa(TInconsistencias_VYN& lista, int linha, const std::string& campo, const std::string& motivo, bool& ok) {
  ok = false;
  lista.Add_Atencao("Linha " + std::to_string(linha) + ": o campo " + campo + " " + motivo, true);
  return false;
}

bool Inteiro(const std::string& t, int64_t& v) {
  auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  return ec == std::errc() && p == t.data() + t.size();
}

Variant Valida(bool verifica, int linha, const std::string& campo, int tipo, TInconsistencias_VYN& lista,
               const std::string& texto, bool& ok, int tamanho, const std::vector<int>* permitidos) {
  const std::string t = Trim(texto);
  if (t.empty()) {
    if (verifica) Recusa(lista, linha, campo, "é obrigatório.", ok);
    return {};
  }
  const std::string aspas = "\"" + t + "\"";
  Variant valor;
  switch (tipo) {
    case tvInteiro: {
      int64_t v = 0;
      if (!Inteiro(t, v)) return Recusa(lista, linha, campo, "deve ser um número inteiro: " + aspas + ".", ok), Variant();
      if (tamanho > 0 && OnlyDigits(t).size() > static_cast<size_t>(tamanho))
        return Recusa(lista, linha, campo, "tem mais de " + std::to_string(tamanho) + " dígitos: " + aspas + ".", ok),
               Variant();
      valor = Variant(static_cast<long long>(v));
      break;
    }
    case tvMoeda: {
      Currency c;
      if (!Currency::TryParse(t, c)) return Recusa(lista, linha, campo, "deve ser um valor: " + aspas + ".", ok), Variant();
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
    int64_t v = 0;
    bool aceito = false;
    if (Inteiro(t, v))
      for (int p : *permitidos) aceito = aceito || v == p;
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
