#pragma once
// A value placed in a URL's path or query: every byte but the unreserved ones percent-encoded.
#include <string>
#include <string_view>

namespace vyn {

std::string CodificaURL(std::string_view texto);

}  // namespace vyn
