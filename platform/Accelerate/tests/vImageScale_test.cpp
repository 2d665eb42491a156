// Scaling is checked by what any good resampler keeps (flat colours, channels apart, edges in
// place), not by the exact values of one kernel.
#include <Accelerate/Accelerate.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

struct Picture {
  Picture(size_t w, size_t h, size_t rowBytes = 0)
      : width(w), height(h), rowBytes(rowBytes ? rowBytes : w * 4) {
    // One spare byte in front, so that an odd start can be had.
    bytes.assign(this->rowBytes * h + 1, 0);
  }
  vImage_Buffer buffer(size_t offset = 0) {
    return vImage_Buffer{bytes.data() + offset, height, width, rowBytes};
  }
  uint8_t* pixel(size_t x, size_t y, size_t offset = 0) {
    return bytes.data() + offset + y * rowBytes + x * 4;
  }
  void fill(const uint8_t value[4], size_t offset = 0) {
    for (size_t y = 0; y < height; ++y)
      for (size_t x = 0; x < width; ++x) memcpy(pixel(x, y, offset), value, 4);
  }
  size_t width, height, rowBytes;
  std::vector<uint8_t> bytes;
};

TEST(vImageScale, FlatColourStaysFlatInEveryChannelAtAnySize) {
  const uint8_t colour[4] = {0xFF, 0x10, 0x80, 0xE0};
  struct Case {
    size_t sw, sh, dw, dh, srcRowBytes, dstRowBytes, offset;
  };
  const Case cases[] = {
      {1920, 1080, 1280, 720, 0, 0, 0},  // the surfaces a larger publisher may share
      {640, 480, 1280, 720, 0, 0, 0},
      {7, 5, 3, 11, 30, 0, 0},  // rows not a multiple of four bytes
      {9, 9, 4, 4, 0, 0, 1},    // pixels not on a word boundary
  };
  for (const Case& c : cases) {
    Picture in(c.sw, c.sh, c.srcRowBytes), out(c.dw, c.dh, c.dstRowBytes);
    in.fill(colour, c.offset);
    vImage_Buffer src = in.buffer(c.offset), dest = out.buffer(c.offset);
    const vImage_Error work =
        vImageScale_ARGB8888(&src, &dest, nullptr, kvImageGetTempBufferSize | kvImageHighQualityResampling);
    ASSERT_GE(work, 0);
    std::vector<uint8_t> temp(size_t(work) + 1);
    ASSERT_EQ(vImageScale_ARGB8888(&src, &dest, temp.data(), kvImageHighQualityResampling), kvImageNoError);
    for (size_t y = 0; y < c.dh; ++y)
      for (size_t x = 0; x < c.dw; ++x)
        for (int k = 0; k < 4; ++k)
          ASSERT_NEAR(out.pixel(x, y, c.offset)[k], colour[k], 1)
              << c.sw << "->" << c.dw << " at " << x << "," << y;
  }
}

TEST(vImageScale, EdgesStayWhereTheyWere) {
  // Left half black, right half white, halved: the halves stay apart away from the edge.
  Picture in(200, 100), out(100, 50);
  const uint8_t black[4] = {0xFF, 0, 0, 0}, white[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  for (size_t y = 0; y < 100; ++y)
    for (size_t x = 0; x < 200; ++x) memcpy(in.pixel(x, y), x < 100 ? black : white, 4);
  vImage_Buffer src = in.buffer(), dest = out.buffer();
  ASSERT_EQ(vImageScale_ARGB8888(&src, &dest, nullptr, kvImageHighQualityResampling), kvImageNoError);
  for (size_t y = 0; y < 50; ++y) {
    EXPECT_LE(out.pixel(40, y)[1], 2);
    EXPECT_GE(out.pixel(60, y)[1], 253);
    EXPECT_EQ(out.pixel(40, y)[0], 0xFF);
  }
  EXPECT_GT(out.pixel(50, 25)[1], 64);
  EXPECT_LT(out.pixel(49, 25)[1], 192);
}

TEST(vImageScale, AskingForTheWorkAreaDrawsNothing) {
  Picture in(8, 8), out(4, 4);
  const uint8_t colour[4] = {1, 2, 3, 4};
  in.fill(colour);
  vImage_Buffer src = in.buffer(), dest = out.buffer();
  EXPECT_EQ(vImageScale_ARGB8888(&src, &dest, nullptr, kvImageGetTempBufferSize), 0);
  for (uint8_t byte : out.bytes) EXPECT_EQ(byte, 0);
}

TEST(vImageScale, RefusesBadBuffers) {
  Picture in(8, 8), out(4, 4);
  vImage_Buffer src = in.buffer(), dest = out.buffer();
  vImage_Buffer empty = src;
  empty.width = 0;
  vImage_Buffer shortRows = dest;
  shortRows.rowBytes = 8;
  vImage_Buffer noData = dest;
  noData.data = nullptr;
  EXPECT_EQ(vImageScale_ARGB8888(&empty, &dest, nullptr, 0), kvImageInvalidParameter);
  EXPECT_EQ(vImageScale_ARGB8888(&src, &shortRows, nullptr, 0), kvImageInvalidParameter);
  EXPECT_EQ(vImageScale_ARGB8888(&src, &noData, nullptr, 0), kvImageNullPointerArgument);
  EXPECT_EQ(vImageScale_ARGB8888(nullptr, &dest, nullptr, 0), kvImageNullPointerArgument);
}

}  // namespace
