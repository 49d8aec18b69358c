#include "framework/web/url_encode.h"

namespace vyn {

std::string CodificaURL(std::string_view texto) {
  static constexpr char hex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(texto.size());
  for (unsigned char c : texto) {
    const bool livre = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '_' || c == '.' || c == '~';
    if (livre) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

}  // namespace vyn
