// Global surfaces as the sharing servers make them.
#include "IOSurfaceIPC.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kBGRA = 0x42475241;

TEST(IOSurfaceIPC, GlobalSurfacesOfTheRequestedSizeAndFormat) {
  struct Case {
    CGSize size;
    uint32_t format;
    size_t width, height;
  } cases[] = {
      {{1280, 720}, kBGRA, 1280, 720},
      {{1280, 720}, 0, 1280, 720},    // no format property: the surface has none
      {{64.9, 32.2}, kBGRA, 64, 32},  // cut to whole pixels
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.size.width << "x" << c.size.height << " format " << c.format);
    RefPtr<__IOSurface> surface =
        adopt(IOSurfaceIPC::globalSurfaceWithSizePixels_surfacePixelFormat(c.size, c.format));
    ASSERT_TRUE(surface);
    EXPECT_EQ(IOSurfaceGetWidth(surface.get()), c.width);
    EXPECT_EQ(IOSurfaceGetHeight(surface.get()), c.height);
    EXPECT_EQ(IOSurfaceGetBytesPerElement(surface.get()), 4u);
    EXPECT_EQ(IOSurfaceGetPixelFormat(surface.get()), c.format);
    // Global: found by its id (other processes are checked end to end).
    RefPtr<__IOSurface> found = adopt(IOSurfaceLookup(IOSurfaceGetID(surface.get())));
    ASSERT_TRUE(found);
    EXPECT_EQ(IOSurfaceGetID(found.get()), IOSurfaceGetID(surface.get()));
  }
}

TEST(IOSurfaceIPC, SizesNoSurfaceCanHaveMakeNone) {
  for (CGSize size : {CGSize{0, 720}, CGSize{-5, 720}, CGSize{1e300, 720}, CGSize{1280, 0.5}}) {
    RefPtr<__IOSurface> surface =
        adopt(IOSurfaceIPC::globalSurfaceWithSizePixels_surfacePixelFormat(size, kBGRA));
    EXPECT_FALSE(surface) << size.width << "x" << size.height;
  }
}

TEST(IOSurfaceIPC, FourBytesPerElementForEveryFormat) {
  for (uint32_t format : {kBGRA, 0u, 0x32767579u /* '2vuy' */})
    EXPECT_EQ(IOSurfaceIPC::surfaceBytesPerElementFromSurfacePixelFormat(format), 4u);
}

}  // namespace
