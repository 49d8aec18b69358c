#include "framework/web/json_numero.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace vyn {
namespace {

// A page total read short drops pages and, in a replacement's undo, deletes what the peer had: every way
// a peer writes a count is read as that count, and anything else is no count at all.
TEST(InteiroJson, ACountIsReadWhateverTypeThePeerWritesItIn) {
  using nlohmann::json;
  for (const json& v : {json(2), json(2.0), json("2"), json(" 2 "), json("2.0"), json("2.00")})
    EXPECT_EQ(InteiroJson(v), 2) << v.dump();
  for (const json& v : {json(2.5), json("2.5"), json(-1), json("-1"), json("2a"), json(""), json(nullptr),
                        json(1e12), json("99999999999"), json::array()})
    EXPECT_FALSE(InteiroJson(v)) << v.dump();
}

}  // namespace
}  // namespace vyn
