#include "framework/web/secret_mask.h"

#include <algorithm>
#include <cctype>

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

std::string MaskSecrets(std::string_view text, const std::vector<std::string>& knownSecrets) {
  std::string out = MaskJSONMembers(text);
  if (LooksLikeForm(out)) out = MaskFormPairs(out);
  // Longest first, so that a token inside a longer known value does not leave the rest readable.
  std::vector<std::string> known;
  for (const auto& s : knownSecrets) {
    if (s.size() >= 4) known.push_back(s);
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
