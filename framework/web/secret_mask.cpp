#include "framework/web/secret_mask.h"

#include <algorithm>
#include <cctype>
#include <functional>

#include <nlohmann/json.hpp>

#include "framework/web/url_encode.h"

namespace vyn {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// End (one past the closing quote) of the JSON string starting at text[start] == '"'; npos if open.
size_t StringEnd(std::string_view text, size_t start) {
  for (size_t i = start + 1; i < text.size(); ++i) {
    if (text[i] == '\\') {
      ++i;
    } else if (text[i] == '"') {
      return i + 1;
    }
  }
  return std::string_view::npos;
}

// End (one past the closing bracket) of the array or object starting at text[start]; the text's end
// when it is left open.
size_t CompoundEnd(std::string_view text, size_t start) {
  size_t depth = 0;
  for (size_t i = start; i < text.size();) {
    const char c = text[i];
    if (c == '"') {
      i = StringEnd(text, i);
      if (i == std::string_view::npos) return text.size();
      continue;
    }
    if (c == '{' || c == '[') ++depth;
    if ((c == '}' || c == ']') && --depth == 0) return i + 1;
    ++i;
  }
  return text.size();
}

// Masks the values of secret members in JSON text without reformatting it.
std::string MaskJSONMembers(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] != '"') {
      out += text[i++];
      continue;
    }
    const size_t end = StringEnd(text, i);
    if (end == std::string_view::npos) {
      out.append(text.substr(i));
      break;
    }
    const std::string_view key = text.substr(i + 1, end - i - 2);
    out.append(text.substr(i, end - i));
    i = end;
    size_t k = i;
    while (k < text.size() && IsBlank(text[k])) ++k;
    if (k >= text.size() || text[k] != ':' || !IsSecretName(key)) continue;
    ++k;
    while (k < text.size() && IsBlank(text[k])) ++k;
    out.append(text.substr(i, k - i));
    i = k;
    if (i < text.size() && text[i] == '"') {
      const size_t vend = StringEnd(text, i);
      out += '"';
      out += kSecretMask;
      out += '"';
      i = vend == std::string_view::npos ? text.size() : vend;
    } else if (i < text.size() && (text[i] == '{' || text[i] == '[')) {
      i = CompoundEnd(text, i);
      out += kSecretMask;
    } else if (i < text.size()) {
      while (i < text.size() && text[i] != ',' && text[i] != '}' && text[i] != ']' && !IsBlank(text[i])) ++i;
      out += kSecretMask;
    }
  }
  return out;
}

// Masks the values of secret name=value pairs of query or form text.
std::string MaskFormPairs(std::string_view text) {
  std::string out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t amp = text.find('&', start);
    if (amp == std::string_view::npos) amp = text.size();
    const std::string_view pair = text.substr(start, amp - start);
    const size_t eq = pair.find('=');
    if (eq != std::string_view::npos && IsSecretName(pair.substr(0, eq))) {
      out.append(pair.substr(0, eq + 1));
      out += kSecretMask;
    } else {
      out.append(pair);
    }
    if (amp == text.size()) break;
    out += '&';
    start = amp + 1;
  }
  return out;
}

bool LooksLikeForm(std::string_view text) {
  return !text.empty() && text.find('=') != std::string_view::npos &&
         std::none_of(text.begin(), text.end(), [](char c) { return IsBlank(c) || c == '{' || c == '"'; });
}

struct URLParts {
  std::string_view scheme;     // with "://"
  std::string_view authority;  // user information removed
  std::string_view path;
  std::string_view query;      // without '?'
  bool hasQuery = false;
};

URLParts SplitURL(std::string_view url) {
  URLParts p;
  size_t pos = 0;
  const size_t sep = url.find("://");
  if (sep != std::string_view::npos) {
    p.scheme = url.substr(0, sep + 3);
    pos = sep + 3;
    size_t authEnd = url.find_first_of("/?#", pos);
    if (authEnd == std::string_view::npos) authEnd = url.size();
    std::string_view authority = url.substr(pos, authEnd - pos);
    const size_t at = authority.rfind('@');
    if (at != std::string_view::npos) authority.remove_prefix(at + 1);
    p.authority = authority;
    pos = authEnd;
  }
  size_t pathEnd = url.find_first_of("?#", pos);
  if (pathEnd == std::string_view::npos) pathEnd = url.size();
  p.path = url.substr(pos, pathEnd - pos);
  if (pathEnd < url.size() && url[pathEnd] == '?') {
    p.hasQuery = true;
    size_t qEnd = url.find('#', pathEnd);
    if (qEnd == std::string_view::npos) qEnd = url.size();
    p.query = url.substr(pathEnd + 1, qEnd - pathEnd - 1);
  }
  return p;
}

// A JSON string's body for the text, as an encoder that also escapes '/' writes it.
std::string JSONEscaped(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '"' || c == '\\' || c == '/') out += '\\';
    out += c;
  }
  return out;
}

bool IsTokenChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || std::string_view("-._~+/=").find(c) != std::string_view::npos;
}

// Length of the scheme "Bearer " (any case) starting a word at text[i]; 0 if none.
size_t SchemeAt(std::string_view text, size_t i) {
  static constexpr std::string_view kScheme = "bearer ";
  if (i > 0 && std::isalnum(static_cast<unsigned char>(text[i - 1]))) return 0;
  if (text.size() - i < kScheme.size()) return 0;
  for (size_t k = 0; k < kScheme.size(); ++k)
    if (std::tolower(static_cast<unsigned char>(text[i + k])) != kScheme[k]) return 0;
  return kScheme.size();
}

// Credentials after an authorisation scheme in free text ("Authorization: Bearer abc.def", an
// echoed header in an error page) are masked even when the caller did not know them.
std::string MaskBearerCredentials(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const size_t scheme = SchemeAt(text, i);
    if (scheme == 0) {
      out += text[i++];
      continue;
    }
    out.append(text.substr(i, scheme));
    i += scheme;
    size_t end = i;
    while (end < text.size() && IsTokenChar(text[end])) ++end;
    if (end - i >= 4) {
      out += kSecretMask;
    } else {
      out.append(text.substr(i, end - i));
    }
    i = end;
  }
  return out;
}

}  // namespace

bool IsSecretName(std::string_view name) {
  std::string n;
  for (char c : name) {
    if (std::isalnum(static_cast<unsigned char>(c))) n += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  static constexpr std::string_view kMarks[] = {"secret", "token",  "password",  "passwd",     "senha",
                                                "authorization", "cookie", "signature", "apikey", "appkey",
                                                "credential", "privatekey"};
  return std::any_of(std::begin(kMarks), std::end(kMarks),
                     [&](std::string_view m) { return n.find(m) != std::string::npos; });
}

std::string MaskHeaderValue(std::string_view name, std::string_view value) {
  if (!IsSecretName(name)) return std::string(value);
  const size_t space = value.find(' ');
  if (space != std::string_view::npos && space > 0 &&
      std::all_of(value.begin(), value.begin() + static_cast<std::ptrdiff_t>(space),
                  [](char c) { return std::isalpha(static_cast<unsigned char>(c)); })) {
    return std::string(value.substr(0, space + 1)) + std::string(kSecretMask);
  }
  return std::string(kSecretMask);
}

std::string SafeURL(std::string_view url) {
  const URLParts p = SplitURL(url);
  std::string out = std::string(p.scheme) + std::string(p.authority) + std::string(p.path);
  if (p.hasQuery) out += "?...";
  return out;
}

std::string MaskURL(std::string_view url) {
  const URLParts p = SplitURL(url);
  std::string out = std::string(p.scheme) + std::string(p.authority) + std::string(p.path);
  if (p.hasQuery) out += "?" + MaskFormPairs(p.query);
  return out;
}

std::vector<std::string> SecretValuesOf(std::string_view text) {
  std::vector<std::string> out;
  const std::function<void(const nlohmann::json&, bool)> collect = [&](const nlohmann::json& j, bool secret) {
    if (j.is_string() && secret) out.push_back(j.get<std::string>());
    if (j.is_number() && secret) out.push_back(j.dump());
    if (j.is_array())
      for (const auto& e : j) collect(e, secret);
    if (j.is_object())
      for (const auto& [k, v] : j.items()) collect(v, secret || IsSecretName(k));
  };
  const nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
  if (!j.is_discarded()) {
    collect(j, false);
  } else if (LooksLikeForm(text)) {
    size_t start = 0;
    while (start < text.size()) {
      size_t amp = text.find('&', start);
      if (amp == std::string_view::npos) amp = text.size();
      const std::string_view pair = text.substr(start, amp - start);
      const size_t eq = pair.find('=');
      if (eq != std::string_view::npos && IsSecretName(pair.substr(0, eq))) out.emplace_back(pair.substr(eq + 1));
      start = amp + 1;
    }
  }
  return out;
}

std::string MaskSecrets(std::string_view text, const std::vector<std::string>& knownSecrets) {
  std::string out = MaskBearerCredentials(MaskJSONMembers(text));
  if (LooksLikeForm(out)) out = MaskFormPairs(out);
  // A peer echoes a secret as it received it, or escaped into its JSON or its URL: every written
  // form goes. Longest first, so that a token inside a longer known value leaves nothing readable.
  std::vector<std::string> known;
  for (const auto& s : knownSecrets) {
    if (s.size() < 4) continue;
    for (std::string form : {s, JSONEscaped(s), CodificaURL(s)}) {
      if (std::find(known.begin(), known.end(), form) == known.end()) known.push_back(std::move(form));
    }
  }
  std::sort(known.begin(), known.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
  for (const auto& s : known) {
    for (size_t pos = out.find(s); pos != std::string::npos; pos = out.find(s, pos + kSecretMask.size())) {
      out.replace(pos, s.size(), kSecretMask);
    }
  }
  return out;
}

}  // namespace vyn
