// Mask generators and merge operations.
#include <gtest/gtest.h>

#include <cstring>

#include "namespace_CoreGraphics_MaskContext.h"

const char* g_CoreMachDebug_LogPrefix = "CoreGMaskContextTest";
const char* g_CoreMachDebug_LogFileName = "CoreGMaskContextTest.log";

namespace {
using CoreGraphics::MaskContext;

void Fill(MaskContext& mask, uint8_t value) { std::memset(mask.GetImageDataBytes(), value, mask.GetImageDataSize()); }

uint8_t At(const MaskContext& mask, int x, int y) {
  return mask.GetImageDataBytes()[size_t(y) * mask.GetImageRowBytes() + size_t(x)];
}

TEST(MaskContext, MergeOperationsTable) {
  struct Case {
    int op;
    uint8_t a, b;
    float opacity1, opacity2;
    bool invert;
    uint8_t expected;
  } cases[] = {
      {0, 200, 50, 1, 1, false, 200},   {1, 255, 255, 0.6f, 0.6f, false, 255},
      {1, 255, 255, 0.6f, 0.6f, true, 0}, {1, 100, 50, 1, 1, false, 150},
      {2, 200, 50, 1, 1, false, 0},     {3, 200, 50, 1, 1, false, 150},
      {4, 200, 100, 1, 1, false, 45},   {5, 200, 100, 1, 1, false, 45},
      {4, 100, 100, 1, 1, false, 0},    {6, 200, 100, 1, 1, false, 255},
      {6, 50, 100, 1, 1, false, 205},   {7, 50, 100, 1, 1, false, 255},
      {7, 100, 50, 1, 1, false, 205},   {8, 200, 50, 1, 1, false, 200},
      {9, 200, 50, 1, 1, false, 55},    {9, 200, 50, 1, 1, true, 200},
      {10, 200, 50, 1, 1, false, 50},   {11, 200, 50, 1, 1, false, 205},
      {11, 200, 50, 1, 1, true, 50},    {42, 20, 50, 1, 1, false, 50},
      {0, 200, 200, 0.5f, 0.25f, false, 100},
  };
  MaskContext dest, mask1, mask2;
  for (MaskContext* m : {&dest, &mask1, &mask2}) ASSERT_TRUE(m->Construct(4, 3));
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "op " << c.op << " a " << int(c.a) << " b " << int(c.b));
    Fill(mask1, c.a);
    Fill(mask2, c.b);
    ASSERT_TRUE(dest.MergeOp(mask1, c.opacity1, mask2, c.opacity2, c.op, c.invert));
    EXPECT_EQ(At(dest, 0, 0), c.expected);
    EXPECT_EQ(At(dest, 3, 2), c.expected);
  }
}

TEST(MaskContext, MergeNeedsOneSize) {
  MaskContext dest, same, other;
  ASSERT_TRUE(dest.Construct(4, 3));
  ASSERT_TRUE(same.Construct(4, 3));
  ASSERT_TRUE(other.Construct(3, 4));
  Fill(dest, 9);
  EXPECT_FALSE(dest.MergeOp(same, other, 1));
  EXPECT_FALSE(dest.MergeOp(other, same, 1));
  EXPECT_EQ(At(dest, 1, 1), 9) << "unchanged";
}

// A mask whose pixel memory could not be made: it keeps its size but has no pixels.
class NoMemoryMask : public MaskContext {
 public:
  unsigned char* CreateImageData(unsigned long) const override { return nullptr; }
};

TEST(MaskContext, MergeRefusesSourcesWithoutPixels) {
  MaskContext dest, good;
  NoMemoryMask failed;
  ASSERT_TRUE(dest.Construct(4, 3));
  ASSERT_TRUE(good.Construct(4, 3));
  ASSERT_FALSE(failed.Construct(4, 3));
  Fill(dest, 9);
  Fill(good, 200);
  EXPECT_FALSE(dest.MergeOp(failed, good, 0));
  EXPECT_FALSE(dest.MergeOp(good, failed, 0));
  EXPECT_EQ(At(dest, 2, 1), 9) << "unchanged";
}

TEST(MaskContext, UniformFillsAndResizing) {
  MaskContext mask;
  EXPECT_FALSE(mask.MakeOpaque()) << "not constructed";
  ASSERT_TRUE(mask.Construct(5, 5));
  EXPECT_TRUE(mask.MakeOpaque(0.5f));
  EXPECT_EQ(At(mask, 2, 2), 127);
  EXPECT_TRUE(mask.MakeOpaque(7.0f)) << "opacity is clamped";
  EXPECT_EQ(At(mask, 2, 2), 255);
  EXPECT_TRUE(mask.MakeTransparent());
  EXPECT_EQ(At(mask, 4, 4), 0);
  Fill(mask, 33);
  EXPECT_FALSE(mask.SetMaskDimensions(CGSizeMake(5, 5)));
  EXPECT_EQ(At(mask, 1, 1), 33) << "the same size keeps the pixels";
  EXPECT_TRUE(mask.SetMaskDimensions(CGSizeMake(7, 3)));
  EXPECT_EQ(mask.GetImageWidth(), 7);
  EXPECT_EQ(mask.GetImageHeight(), 3);
}

TEST(MaskContext, RadialMaskGrowsFromTheCentre) {
  MaskContext mask;
  ASSERT_TRUE(mask.Construct(100, 100));
  ASSERT_TRUE(mask.MakeRadialMask(false, 0, 1, 1));
  EXPECT_EQ(At(mask, 50, 50), 0);
  EXPECT_EQ(At(mask, 0, 50), 255);
  EXPECT_EQ(At(mask, 50, 0), 255);
  EXPECT_EQ(At(mask, 5, 5), 255);
  EXPECT_GT(At(mask, 75, 50), 0);
  EXPECT_LT(At(mask, 75, 50), 255);
  ASSERT_TRUE(mask.MakeRadialMask(true, 0, 1, 1));
  EXPECT_EQ(At(mask, 50, 50), 255);
}

TEST(MaskContext, ShapesPunchHolesInAnOpaqueMask) {
  MaskContext mask;
  ASSERT_TRUE(mask.Construct(60, 40));
  CoreGraphics::MaskParameters params = {0, 0, 0, 0.5f, 0.5f, 1};
  for (int kind : {3, 4, 6, 7, 8, 9, 10, 12, 14, 11, 13}) {
    SCOPED_TRACE(kind);
    mask.MakeMaskShape(kind, params);
    EXPECT_EQ(At(mask, 0, 0), 255) << "the corner stays opaque";
    EXPECT_EQ(At(mask, 59, 39), 255);
  }
  // Ellipse, square and rectangle cover the centre.
  for (int kind : {3, 4, 6, 8}) {
    mask.MakeMaskShape(kind, params);
    EXPECT_EQ(At(mask, 30, 20), 0) << kind;
  }
  mask.MakeMaskShape(99, params);
  EXPECT_EQ(At(mask, 30, 20), 0) << "unknown kinds make the mask transparent";
  EXPECT_EQ(At(mask, 0, 0), 0);
}

TEST(MaskContext, MissingPDFShapeLeavesTheMaskOpaque) {
  MaskContext mask;
  ASSERT_TRUE(mask.Construct(20, 20));
  for (float choice : {0.0f, 0.99f, 1.0f}) {
    mask.MakeMaskShape(15, {0, 0, 0, 0.5f, choice, 1});
    EXPECT_EQ(At(mask, 10, 10), 255);
  }
}

TEST(MaskContext, ScreensFillAsTheirKindSays) {
  MaskContext mask;
  // Not a divisor of 256: the noise lattice (256 cells across) then falls between pixels.
  ASSERT_TRUE(mask.Construct(100, 100));
  CoreGraphics::MaskParameters params = {0, 0, 0, 0.5f, 0.5f, 1};
  struct Case {
    int kind;
    int expected;  // -1: varied
  } cases[] = {{5, 255}, {19, 255}, {12, 255}, {16, 0}, {20, 0}, {0, 0}, {23, 0}, {3, -1}, {4, -1}, {21, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    Fill(mask, 99);
    // Noise blocks of one pixel, so that a small mask shows more than one block.
    CoreGraphics::MaskParameters used = params;
    if (c.kind == 21) used[3] = 0;
    mask.MakeMaskScreen(c.kind, used);
    if (c.expected >= 0) {
      EXPECT_EQ(At(mask, 7, 9), c.expected);
      continue;
    }
    bool varied = false;
    for (int y = 0; y < 100 && !varied; ++y)
      for (int x = 0; x < 100; ++x) varied |= At(mask, x, y) != At(mask, 0, 0);
    EXPECT_TRUE(varied);
  }
  Fill(mask, 99);
  mask.MakeMaskScreen(22, params);
  EXPECT_EQ(At(mask, 3, 3), 99) << "kind 22 leaves the mask alone";
}

TEST(MaskContext, BandProfileHasSoftEdgedStripes) {
  const auto& band = MaskContext::BandProfile();
  EXPECT_EQ(band[0], 0);
  EXPECT_EQ(band[111], 0);
  EXPECT_EQ(band[112], 15);
  EXPECT_EQ(band[127], 255);
  EXPECT_EQ(band[128], 255);
  EXPECT_EQ(band[239], 255);
  EXPECT_EQ(band[240], 240);
  EXPECT_EQ(band[255], 0);
}

TEST(MaskContext, ImageMaskStencilsPaintWhereTheMaskIsZero) {
  MaskContext mask;
  ASSERT_TRUE(mask.Construct(2, 1));
  mask.GetImageDataBytes()[0] = 0;
  mask.GetImageDataBytes()[1] = 255;
  CGImageRef image = mask.ConstructCGImage(nullptr);
  ASSERT_NE(image, nullptr);
  EXPECT_TRUE(CGImageIsMask(image));
  CGImageRef gray = mask.ConstructGrayCGImage();
  EXPECT_FALSE(CGImageIsMask(gray));

  CoreGraphics::BitmapContext target;
  ASSERT_TRUE(target.Construct(2, 1, CoreGraphics::kBitmapTypeARGB, 0, nullptr));
  std::memset(target.GetImageDataBytes(), 0, target.GetImageDataSize());
  CGContextSetRGBFillColor(target.GetContext(), 1, 1, 1, 1);
  CGContextDrawImage(target.GetContext(), CGRectMake(0, 0, 2, 1), image);
  EXPECT_EQ(target.GetImageDataBytes()[1], 255);
  EXPECT_EQ(target.GetImageDataBytes()[5], 0);
  CGImageRelease(gray);
  CGImageRelease(image);
}

}  // namespace
