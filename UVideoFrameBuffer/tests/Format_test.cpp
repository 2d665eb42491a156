// Frame formats, data views and regions.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "UVideoFrameBuffer.h"

const char* g_CoreMachDebug_LogPrefix = "UVideoFrameBufferTest";
const char* g_CoreMachDebug_LogFileName = "UVideoFrameBufferTest.log";

namespace {
using namespace UVideoFrameBuffer;

TEST(Format, DerivesRowBytesFromThePixelFormat) {
  struct Case {
    int width, height;
    tag_pixel_format_t format;
    int rowBytes, expected;
  } cases[] = {
      {640, 480, kPixelFormatBGRA, 0, 2560}, {640, 480, kPixelFormat2vuy, 0, 1280},
      {640, 480, kPixelFormatData, 0, 640},  {640, 480, kPixelFormatNone, 0, 0},
      {1280, 720, FOUR_CHAR_CODE("raw "), 0, 5120}, {640, 480, kPixelFormatBGRA, 3000, 3000},
      {0, 480, kPixelFormatBGRA, 0, 0},      {640, 480, 0, 0, 0},
  };
  for (const Case& c : cases) {
    Format format(c.width, c.height, c.format, c.rowBytes);
    EXPECT_EQ(format.mPixelRowBytes, c.expected) << Format::stringFromPixelFormat(c.format);
  }
  EXPECT_FALSE(Format().HasValidFormat());
  EXPECT_TRUE(Format(2, 2, kPixelFormatARGB, 0).HasValidFormat());
}

TEST(Format, NamesPixelFormatsAndComparesAspectRatios) {
  EXPECT_STREQ(Format::stringFromPixelFormat(kPixelFormat2vuy), "'2vuy' (32767579)");
  EXPECT_STREQ(Format::stringFromPixelFormat(kPixelFormatBGRA), "'BGRA' (42475241)");
  EXPECT_TRUE(Format(1280, 720, kPixelFormatBGRA, 0).HasSameFrameAspectRatio(Format(1920, 1080, kPixelFormatBGRA, 0)));
  EXPECT_FALSE(Format(640, 480, kPixelFormatBGRA, 0).HasSameFrameAspectRatio(Format(1280, 720, kPixelFormatBGRA, 0)));
  // A frame without height has no ratio, and comparing with it does not divide by zero.
  EXPECT_FALSE(Format(640, 0, kPixelFormatBGRA, 0).HasSameFrameAspectRatio(Format(1280, 720, kPixelFormatBGRA, 0)));
}

struct Frame {
  Frame(int w, int h, tag_pixel_format_t f, int rowBytes)
      : format(w, h, f, rowBytes), pixels(size_t(format.mPixelRowBytes) * size_t(h)) {
    data.ConstructData(format, pixels.data(), pixels.size());
  }
  Format format;
  std::vector<uint8_t> pixels;
  Data data;
};

TEST(Data, ScanlinesCountFromTheBottomAndPointsFromTheTop) {
  Frame frame(4, 10, kPixelFormatBGRA, 0);
  uint8_t* base = frame.pixels.data();
  EXPECT_EQ(frame.data.CGGetPixelScanline(0), base + 9 * 16);
  EXPECT_EQ(frame.data.CGGetPixelScanline(9), base);
  EXPECT_EQ(frame.data.CGGetPixelScanline(10), nullptr);
  EXPECT_EQ(frame.data.CGGetPixelScanline(-1), nullptr);
  EXPECT_EQ(frame.data.GetPixelAtPoint(3, 1), base + 16 + 12);
  EXPECT_EQ(frame.data.GetPixelAtPoint(4, 0), nullptr);
  EXPECT_EQ(frame.data.GetPixelAtPoint(0, 10), nullptr);
  EXPECT_EQ(frame.data.GetPixelAtPoint(-1, 0), nullptr);

  // Padded rows: the pixel size comes from the format, not from the row bytes.
  Frame padded(4, 2, kPixelFormatBGRA, 64);
  EXPECT_EQ(padded.data.GetPixelAtPoint(3, 1), padded.pixels.data() + 64 + 12);
  Frame yuv(4, 2, kPixelFormat2vuy, 0);
  EXPECT_EQ(yuv.data.GetPixelAtPoint(3, 0), yuv.pixels.data() + 6);
  // Layouts without a format name (24-bit, 8-bit gray) step by their packed rows.
  Frame rgb(4, 2, kPixelFormatNone, 12);
  EXPECT_EQ(rgb.data.GetPixelAtPoint(3, 1), rgb.pixels.data() + 12 + 9);
  Frame gray(4, 2, kPixelFormatNone, 4);
  EXPECT_EQ(gray.data.GetPixelAtPoint(3, 1), gray.pixels.data() + 4 + 3);
}

TEST(Data, EraseFillsTheThirtyTwoBitValue) {
  Frame frame(3, 2, kPixelFormatBGRA, 0);
  frame.data.ErasePixelDataWithValue(0x11223344);
  uint32_t word;
  for (size_t i = 0; i < frame.pixels.size(); i += 4) {
    std::memcpy(&word, frame.pixels.data() + i, 4);
    EXPECT_EQ(word, 0x11223344u);
  }
}

TEST(Data, AspectRectangleIsCentred) {
  Frame frame(1280, 720, kPixelFormatBGRA, 0);
  CGRect r = frame.data.GetFrameBufferRectWithAspectRatio(4.0 / 3.0);
  EXPECT_TRUE(CGRectEqualToRect(r, CGRectMake(160, 0, 960, 720)));
  EXPECT_TRUE(CGRectEqualToRect(frame.data.GetFrameBufferRectWithAspectRatio(1280.0 / 720.0),
                                CGRectMake(0, 0, 1280, 720)));
}

TEST(Data, RegionViewsStayInsideTheSource) {
  Frame frame(8, 6, kPixelFormatBGRA, 0);
  struct Case {
    CGRect region;
    bool made;
    int width, height;
    int firstX, firstY;
  } cases[] = {
      {CGRectMake(2, 1, 4, 3), true, 4, 3, 2, 1},
      {CGRectMake(6, 4, 5, 5), true, 2, 2, 6, 4},    // cut at the right and bottom
      {CGRectMake(-2, -1, 4, 3), true, 2, 2, 0, 0},  // cut at the left and top
      {CGRectMake(8, 0, 2, 2), false, 0, 0, 0, 0},   // outside
      {CGRectMake(1, 1, 0, 3), false, 0, 0, 0, 0},   // empty
  };
  for (const Case& c : cases) {
    Data view;
    EXPECT_EQ(view.ConstructWithBufferRegion(frame.data, c.region), c.made);
    if (!c.made) continue;
    EXPECT_EQ(view.mPixelWidth, c.width);
    EXPECT_EQ(view.mPixelHeight, c.height);
    EXPECT_EQ(view.mPixelRowBytes, 32);
    EXPECT_EQ(view.mFrameBufferData, frame.data.GetPixelAtPoint(c.firstX, c.firstY));
    // The view's last byte is still the source's.
    uint8_t* end = static_cast<uint8_t*>(view.mFrameBufferData) + view.mFrameBufferDataSizeBytes;
    EXPECT_LE(end, frame.pixels.data() + frame.pixels.size());
  }
  // A 24-bit source: the view of its right half ends with the source's last pixel.
  Frame rgb(4, 2, kPixelFormatNone, 12);
  Data half;
  ASSERT_TRUE(half.ConstructWithBufferRegion(rgb.data, CGRectMake(2, 0, 2, 2)));
  EXPECT_EQ(half.mFrameBufferData, rgb.pixels.data() + 6);
  EXPECT_EQ(half.mFrameBufferDataSizeBytes, 18u);
  Data centred;
  Frame wide(16, 9, kPixelFormatBGRA, 0);
  ASSERT_TRUE(centred.ConstructWithBufferRegionHavingFrameAspectRatio(wide.data, 1.0));
  EXPECT_EQ(centred.mPixelWidth, 9);
  EXPECT_EQ(centred.mFrameBufferData, wide.data.GetPixelAtPoint(3, 0));
}

TEST(Memory, OwnsItsPixels) {
  Memory memory;
  EXPECT_FALSE(memory.Construct(Format()));
  ASSERT_TRUE(memory.Construct(Format(4, 3, kPixelFormatBGRA, 0)));
  EXPECT_EQ(memory.mFrameBufferDataSizeBytes, 48u);
  memory.ErasePixelDataWithValue(0);
  EXPECT_TRUE(memory.TryLockFrameBuffer());
  memory.UnlockFrameBuffer();
  Base base;
  EXPECT_FALSE(base.Construct(CGSizeMake(4, 4)));
  EXPECT_FALSE(base.Construct(static_cast<IOSurfaceRef>(nullptr)));
  EXPECT_FALSE(base.Construct(Format(4, 3, kPixelFormatBGRA, 0)));
}

}  // namespace
