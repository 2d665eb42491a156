// Every value is checked against the rule itself, computed here sample by sample.
#include "Q_2vuy_data.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct ARGB {
  uint8_t a, r, g, b;
};

// The rule: luma and chroma in single precision, chroma averaged over the pair, rounding by
// adding 0.49999999 and truncating.
int roundRule(float value) { return int(double(value) + 0.49999999); }
float lumaOf(const ARGB& p) { return 0.2125f * float(p.r) + 0.7154f * float(p.g) + 0.0721f * float(p.b); }
uint8_t lumaSample(const ARGB& p) { return uint8_t(roundRule(lumaOf(p) * 219.0f / 256.0f + 16.0f)); }
uint8_t cbSample(const ARGB& p0, const ARGB& p1) {
  return uint8_t((roundRule((float(p1.b) - lumaOf(p1)) * 0.53885114f * 0.875f + 128.0f) +
                  roundRule((float(p0.b) - lumaOf(p0)) * 0.53885114f * 0.875f + 128.0f)) >>
                 1);
}
uint8_t crSample(const ARGB& p0, const ARGB& p1) {
  return uint8_t((roundRule((float(p1.r) - lumaOf(p1)) * 0.63492066f * 0.875f + 128.0f) +
                  roundRule((float(p0.r) - lumaOf(p0)) * 0.63492066f * 0.875f + 128.0f)) >>
                 1);
}
uint8_t blendRule(uint8_t old, uint8_t fresh, float oldWeight, float freshWeight) {
  return uint8_t(int(float(old) * oldWeight + float(fresh) * freshWeight));
}

// A bitmap of type 2 holding the pixels, rows from the top.
struct Bitmap {
  Bitmap(int width, int height, const std::vector<ARGB>& pixels) {
    EXPECT_TRUE(context.Construct(width, height, CoreGraphics::kBitmapTypeARGB, 0, nullptr));
    for (int y = 0; y < height; ++y)
      std::memcpy(context.GetImageDataBytes() + size_t(y) * context.GetImageRowBytes(),
                  &pixels[size_t(y) * width], size_t(width) * 4);
  }
  CoreGraphics::BitmapContext context;
};

TEST(Q_2vuy_data, KnownColours) {
  struct Case {
    ARGB pixel;
    uint8_t cb, y, cr;
  };
  for (const Case& c : {Case{{255, 255, 255, 255}, 128, 234, 128}, Case{{255, 0, 0, 0}, 128, 16, 128}}) {
    Bitmap bitmap(2, 1, {c.pixel, c.pixel});
    uint8_t frame[4] = {};
    Q_2vuy_data(2, 1, 4, Q_2vuy_format::k2vuyPixelFormat, frame, 4).CopyPixelsFrom(bitmap.context, false);
    EXPECT_EQ(frame[0], c.cb);
    EXPECT_EQ(frame[1], c.y);
    EXPECT_EQ(frame[2], c.cr);
    EXPECT_EQ(frame[3], c.y);
  }
}

TEST(Q_2vuy_data, EveryPairFollowsTheRuleAtEveryWidth) {
  for (int width : {2, 5, 7, 8}) {
    const int height = 3;
    std::vector<ARGB> pixels;
    for (int i = 0; i < width * height; ++i)
      pixels.push_back(ARGB{uint8_t(255 - i * 7), uint8_t(i * 37), uint8_t(250 - i * 11), uint8_t(i * 91)});
    Bitmap bitmap(width, height, pixels);
    for (OSType format : {Q_2vuy_format::k2vuyPixelFormat, Q_2vuy_format::kYuvsPixelFormat}) {
      // Rows padded by two bytes, each holding a guard that must stay.
      const int rowBytes = ((width + 1) / 2) * 4 + 2;
      std::vector<uint8_t> frame(size_t(rowBytes) * height, 0xEE);
      Q_2vuy_data(uint16_t(width), height, rowBytes, format, frame.data(), frame.size())
          .CopyPixelsFrom(bitmap.context, false);
      const bool yuvs = format == Q_2vuy_format::kYuvsPixelFormat;
      for (int y = 0; y < height; ++y) {
        const uint8_t* row = &frame[size_t(y) * rowBytes];
        for (int x = 0; x < width; x += 2) {
          const ARGB& p0 = pixels[size_t(y * width + x)];
          const ARGB& p1 = x + 1 < width ? pixels[size_t(y * width + x + 1)] : p0;
          const uint8_t* pair = row + x * 2;
          EXPECT_EQ(pair[yuvs ? 1 : 0], cbSample(p0, p1)) << width << " " << x << "," << y;
          EXPECT_EQ(pair[yuvs ? 0 : 1], lumaSample(p0)) << width << " " << x << "," << y;
          EXPECT_EQ(pair[yuvs ? 3 : 2], crSample(p0, p1)) << width << " " << x << "," << y;
          EXPECT_EQ(pair[yuvs ? 2 : 3], lumaSample(p1)) << width << " " << x << "," << y;
        }
        EXPECT_EQ(row[rowBytes - 1], 0xEE);
        EXPECT_EQ(row[rowBytes - 2], 0xEE);
      }
    }
  }
}

TEST(Q_2vuy_data, AnOddLastPixelStopsAtTheEndOfItsRow) {
  // Three pixels in six bytes a row: the last pixel has room for its Cb and Y' only.
  std::vector<ARGB> pixels(6, ARGB{255, 200, 100, 50});
  Bitmap bitmap(3, 2, pixels);
  std::vector<uint8_t> frame(13, 0xEE);  // two rows of 6, and one guard byte
  Q_2vuy_data(3, 2, 6, Q_2vuy_format::k2vuyPixelFormat, frame.data(), 12)
      .CopyPixelsFrom(bitmap.context, false);
  EXPECT_EQ(frame[4], cbSample(pixels[2], pixels[2]));
  EXPECT_EQ(frame[5], lumaSample(pixels[2]));
  EXPECT_EQ(frame[6], cbSample(pixels[3], pixels[4]));
  EXPECT_EQ(frame[12], 0xEE);
}

TEST(Q_2vuy_data, BlendingLaysTheBitmapOverTheFrameByItsAlpha) {
  const std::vector<ARGB> pixels = {{0, 0, 0, 0},       {0, 0, 0, 0},       {255, 30, 200, 90},
                                    {255, 250, 10, 10}, {128, 100, 60, 20}, {64, 50, 50, 50},
                                    {255, 9, 9, 9},     {200, 180, 20, 160}};
  Bitmap bitmap(8, 1, pixels);
  const uint8_t old[16] = {90, 100, 110, 120, 91, 101, 111, 121, 92, 102, 112, 122, 93, 103, 113, 123};
  uint8_t frame[16];
  std::memcpy(frame, old, 16);
  Q_2vuy_data(8, 1, 16, Q_2vuy_format::k2vuyPixelFormat, frame, 16).CopyPixelsFrom(bitmap.context, true);
  for (int pair = 0; pair < 4; ++pair) {
    const ARGB& p0 = pixels[size_t(pair * 2)];
    const ARGB& p1 = pixels[size_t(pair * 2 + 1)];
    const float a0 = float(p0.a) / 255.0f * 1.0f, a1 = float(p1.a) / 255.0f * 1.0f;
    const float w = ((1.0f - a1) + (1.0f - a0)) / 2.0f;
    const uint8_t* was = old + pair * 4;
    const uint8_t* is = frame + pair * 4;
    EXPECT_EQ(is[0], blendRule(was[0], cbSample(p0, p1), w, 1.0f - w)) << pair;
    EXPECT_EQ(is[1], blendRule(was[1], lumaSample(p0), 1.0f - a0, a0)) << pair;
    EXPECT_EQ(is[2], blendRule(was[2], crSample(p0, p1), w, 1.0f - w)) << pair;
    EXPECT_EQ(is[3], blendRule(was[3], lumaSample(p1), 1.0f - a1, a1)) << pair;
  }
  // Transparent: unchanged. Opaque: the plain conversion.
  EXPECT_EQ(0, memcmp(frame, old, 4));
  EXPECT_EQ(frame[5], lumaSample(pixels[2]));
  EXPECT_EQ(frame[4], cbSample(pixels[2], pixels[3]));
}

TEST(Q_2vuy_data, TheBitmapsLastRowsLandOnTheFramesLastRows) {
  // A bitmap two rows taller than the frame: its top rows are not used. A narrower bitmap
  // leaves the frame's other pixels as they were.
  std::vector<ARGB> pixels;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 2; ++x)
      pixels.push_back(ARGB{255, uint8_t(y * 60), uint8_t(y * 60), uint8_t(y * 60)});
  Bitmap bitmap(2, 4, pixels);
  std::vector<uint8_t> frame(2 * 8, 0xEE);
  Q_2vuy_data(4, 2, 8, Q_2vuy_format::k2vuyPixelFormat, frame.data(), frame.size())
      .CopyPixelsFrom(bitmap.context, false);
  EXPECT_EQ(frame[1], lumaSample(pixels[4]));
  EXPECT_EQ(frame[9], lumaSample(pixels[6]));
  for (int i : {4, 5, 6, 7, 12, 13, 14, 15}) EXPECT_EQ(frame[size_t(i)], 0xEE);
}

TEST(Q_2vuy_data, OnlyAnARGBBitmapIsConverted) {
  CoreGraphics::BitmapContext gray, empty;
  ASSERT_TRUE(gray.Construct(4, 2, CoreGraphics::kBitmapTypeGray, 0, nullptr));
  std::vector<uint8_t> frame(16, 0xEE);
  Q_2vuy_data(4, 2, 8, Q_2vuy_format::k2vuyPixelFormat, frame.data(), frame.size())
      .CopyPixelsFrom(gray, false);
  Q_2vuy_data(4, 2, 8, Q_2vuy_format::k2vuyPixelFormat, frame.data(), frame.size())
      .CopyPixelsFrom(empty, false);
  Bitmap bitmap(4, 2, std::vector<ARGB>(8, ARGB{255, 1, 2, 3}));
  Q_2vuy_data(4, 2, 8, FOUR_CHAR_CODE("BGRA"), frame.data(), frame.size())
      .CopyPixelsFrom(bitmap.context, false);
  for (uint8_t byte : frame) EXPECT_EQ(byte, 0xEE);
}

}  // namespace
