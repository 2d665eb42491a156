#include <Accelerate/Accelerate.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

vImage_Buffer bufferOf(std::vector<uint8_t>& bytes, size_t width, size_t height, size_t rowBytes) {
  bytes.assign(rowBytes * height, 0);
  return vImage_Buffer{bytes.data(), height, width, rowBytes};
}

TEST(vImagePermute, ReordersEveryPixelByTheMap) {
  struct Case {
    uint8_t map[4];
    uint8_t expected[4];
  };
  const Case cases[] = {
      {{3, 2, 1, 0}, {'A', 'R', 'G', 'B'}},  // B,G,R,A becomes A,R,G,B
      {{0, 1, 2, 3}, {'B', 'G', 'R', 'A'}},
      {{2, 1, 0, 3}, {'R', 'G', 'B', 'A'}},
      {{3, 3, 3, 3}, {'A', 'A', 'A', 'A'}},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> in, out;
    // Padded rows: the pad stays as it was.
    vImage_Buffer src = bufferOf(in, 3, 2, 16), dest = bufferOf(out, 3, 2, 20);
    for (size_t y = 0; y < 2; ++y)
      for (size_t x = 0; x < 3; ++x) memcpy(&in[y * 16 + x * 4], "BGRA", 4);
    ASSERT_EQ(vImagePermuteChannels_ARGB8888(&src, &dest, c.map, kvImageDoNotTile), kvImageNoError);
    for (size_t y = 0; y < 2; ++y) {
      for (size_t x = 0; x < 3; ++x)
        EXPECT_EQ(0, memcmp(&out[y * 20 + x * 4], c.expected, 4)) << int(c.map[0]) << " " << x << "," << y;
      for (size_t pad = 12; pad < 20; ++pad) EXPECT_EQ(out[y * 20 + pad], 0);
    }
  }
}

TEST(vImagePermute, WorksInPlace) {
  std::vector<uint8_t> bytes;
  vImage_Buffer buffer = bufferOf(bytes, 2, 1, 8);
  memcpy(bytes.data(), "BGRAbgra", 8);
  const uint8_t map[4] = {3, 2, 1, 0};
  ASSERT_EQ(vImagePermuteChannels_ARGB8888(&buffer, &buffer, map, kvImageNoFlags), kvImageNoError);
  EXPECT_EQ(0, memcmp(bytes.data(), "ARGBargb", 8));
}

TEST(vImagePermute, RefusesWhatItCannotDoWithoutTouchingTheDestination) {
  std::vector<uint8_t> in, out;
  vImage_Buffer src = bufferOf(in, 2, 2, 8), dest = bufferOf(out, 2, 2, 8);
  vImage_Buffer small = src;
  small.width = 1;
  vImage_Buffer narrowRows = dest;
  narrowRows.rowBytes = 4;
  vImage_Buffer noData = src;
  noData.data = nullptr;
  const uint8_t good[4] = {3, 2, 1, 0}, bad[4] = {0, 1, 2, 4};
  EXPECT_EQ(vImagePermuteChannels_ARGB8888(&small, &dest, good, 0), kvImageRoiLargerThanInputBuffer);
  EXPECT_EQ(vImagePermuteChannels_ARGB8888(&src, &narrowRows, good, 0), kvImageInvalidParameter);
  EXPECT_EQ(vImagePermuteChannels_ARGB8888(&src, &dest, bad, 0), kvImageInvalidParameter);
  EXPECT_EQ(vImagePermuteChannels_ARGB8888(&noData, &dest, good, 0), kvImageNullPointerArgument);
  EXPECT_EQ(vImagePermuteChannels_ARGB8888(nullptr, &dest, good, 0), kvImageNullPointerArgument);
  EXPECT_EQ(vImagePermuteChannels_ARGB8888(&src, &dest, nullptr, 0), kvImageNullPointerArgument);
  for (uint8_t byte : out) EXPECT_EQ(byte, 0);
}

}  // namespace
