#include "CRC32MSBFirst.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Case {
  const char* text;
  uint32_t initial;
  uint32_t expected;
};

TEST(CRC32MSBFirst, MatchesTheCatalogueValues) {
  const Case cases[] = {
      {"123456789", 0xFFFFFFFFu, 0x0376E6E7u},  // CRC-32/MPEG-2
      {"123456789", 0, 0x89A1897Fu},            // CRC-32/CKSUM before its final inversion
      {"", 0xFFFFFFFFu, 0xFFFFFFFFu},
      {"", 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CRC32MSBFirst(c.text, strlen(c.text), c.initial), c.expected)
        << c.text << " from " << c.initial;
  }
}

}  // namespace
