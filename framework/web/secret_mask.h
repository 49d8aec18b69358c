#pragma once
// Keeps credentials out of log lines, error texts and saved request copies.
#include <string>
#include <string_view>
#include <vector>

namespace vyn {

// The mask written in place of a secret.
inline constexpr std::string_view kSecretMask = "***";

// Whether a header, JSON member or query parameter of this name carries a secret ("Authorization",
// "app_key", "app_secret", "access_token", "senha", "X-Api-Key", ...). Case is ignored.
bool IsSecretName(std::string_view name);

// A header's value as it may be shown: secret headers masked ("Bearer ***" keeps the scheme).
std::string MaskHeaderValue(std::string_view name, std::string_view value);

// A URL as it may be shown in an error: no user information, no query ("?…" marks one was there).
std::string SafeURL(std::string_view url);

// A URL as it may be logged: user information dropped, secret query parameters masked.
std::string MaskURL(std::string_view url);

// The secret values a request carries in its JSON or form text (the values of secret members or
// pairs), so that an answer echoing them can be masked too.
std::vector<std::string> SecretValuesOf(std::string_view text);

// Text with secrets masked, byte for byte otherwise: values of secret members in JSON text, values of
// secret name=value pairs in query or form text, the credentials after "Bearer " anywhere, and every
// occurrence of the given known secret values (tokens, keys) wherever they appear, as given, escaped
// for JSON or percent-encoded.
std::string MaskSecrets(std::string_view text, const std::vector<std::string>& knownSecrets = {});

}  // namespace vyn
