#include "IOSurfaceSharingFrameBufferCache.h"

#include <gtest/gtest.h>

#include <vector>

#include "TestSurfaces.h"

using moxicam::test::makeSurface;
using moxicam::test::paintBGRA;
using moxicam::test::paintSurface;

namespace {

constexpr uint32_t kRaw = FOUR_CHAR_CODE("raw ");
constexpr uint32_t kBGRA = FOUR_CHAR_CODE("BGRA");

class FrameBufferCacheTest : public ::testing::Test {
 protected:
  FrameBufferCacheTest() { EXPECT_TRUE(mCache.ConnnectWithWidthHeight(1280, 720, kRaw)); }
  // The entry's pixel at (x, y), rows from the top, A,R,G,B.
  static const uint8_t* at(const UVideoFrameBufferCachedSurface& entry, int x, int y) {
    return static_cast<const uint8_t*>(entry.mFrameBufferData) + size_t(y) * 5120 + size_t(x) * 4;
  }
  IOSurfaceSharingFrameBufferCache mCache;
};

TEST_F(FrameBufferCacheTest, ConnectionsMustAgreeOnTheFormat) {
  EXPECT_EQ(mCache.GetFormat().mPixelRowBytes, 5120);
  EXPECT_TRUE(mCache.ConnnectWithWidthHeight(1280, 720, kRaw));
  EXPECT_EQ(mCache.GetConnectionCount(), 2);
  EXPECT_FALSE(mCache.ConnnectWithWidthHeight(640, 480, kRaw));
  EXPECT_FALSE(mCache.ConnnectWithWidthHeight(1280, 720, kBGRA));
  EXPECT_EQ(mCache.GetConnectionCount(), 2);
  mCache.Disconnect();
  mCache.Disconnect();
  mCache.Disconnect();
  EXPECT_EQ(mCache.GetConnectionCount(), 0);
  // The next first connection takes any format.
  EXPECT_TRUE(mCache.ConnnectWithWidthHeight(640, 480, kRaw));
  EXPECT_EQ(mCache.GetFormat().mPixelWidth, 640);
}

TEST_F(FrameBufferCacheTest, SwapsTheChannelsOfEveryPixelOfASameSizeSurface) {
  for (uint32_t format : {kBGRA, 0u}) {
    RefPtr<__IOSurface> surface = makeSurface(1280, 720, 4, format);
    ASSERT_TRUE(surface);
    paintSurface(surface.get(), [](int x, int y, uint8_t* p) {
      p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = uint8_t(x + y), p[3] = uint8_t(x ^ y);
    });
    UVideoFrameBufferCachedSurface* entry = mCache.GetCachedFrameWithSurfaceID(IOSurfaceGetID(surface.get()));
    ASSERT_TRUE(entry) << format;
    for (int y = 0; y < 720; y += 7)
      for (int x = 0; x < 1280; x += 3) {
        const uint8_t* p = at(*entry, x, y);
        ASSERT_EQ(p[0], uint8_t(x ^ y));
        ASSERT_EQ(p[1], uint8_t(x + y));
        ASSERT_EQ(p[2], uint8_t(y));
        ASSERT_EQ(p[3], uint8_t(x));
      }
  }
}

TEST_F(FrameBufferCacheTest, CopiesOnlyWhenTheSeedMoved) {
  RefPtr<__IOSurface> surface = makeSurface(1280, 720, 4, kBGRA);
  const uint8_t first[4] = {1, 2, 3, 0xFF}, second[4] = {4, 5, 6, 0xFF};
  paintBGRA(surface.get(), first);
  const uint32_t id = IOSurfaceGetID(surface.get());
  UVideoFrameBufferCachedSurface* entry = mCache.GetCachedFrameWithSurfaceID(id);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->mSurfaceSeed, IOSurfaceGetSeed(surface.get()));
  // Changed behind the seed's back (no write lock): the copy stays as it was.
  static_cast<uint8_t*>(IOSurfaceGetBaseAddress(surface.get()))[0] = 99;
  EXPECT_EQ(mCache.GetCachedFrameWithSurfaceID(id), entry);
  EXPECT_EQ(at(*entry, 0, 0)[3], 1);
  paintBGRA(surface.get(), second);
  EXPECT_EQ(mCache.GetCachedFrameWithSurfaceID(id), entry);
  EXPECT_EQ(at(*entry, 0, 0)[3], 4);
  EXPECT_EQ(at(*entry, 1279, 719)[1], 6);
  EXPECT_EQ(mCache.GetCachedSurfaceCount(), 1u);
}

TEST_F(FrameBufferCacheTest, ScalesALargerSurfaceInARGBOrder) {
  RefPtr<__IOSurface> surface = makeSurface(1920, 1080, 4, kBGRA);
  const uint8_t colour[4] = {0x10, 0x20, 0x30, 0xFF};
  paintBGRA(surface.get(), colour);
  UVideoFrameBufferCachedSurface* entry = mCache.GetCachedFrameWithSurfaceID(IOSurfaceGetID(surface.get()));
  ASSERT_TRUE(entry);
  for (int y = 0; y < 720; y += 11)
    for (int x = 0; x < 1280; x += 13) {
      const uint8_t* p = at(*entry, x, y);
      ASSERT_NEAR(p[0], 0xFF, 1);
      ASSERT_NEAR(p[1], 0x30, 1);
      ASSERT_NEAR(p[2], 0x20, 1);
      ASSERT_NEAR(p[3], 0x10, 1);
    }
}

TEST_F(FrameBufferCacheTest, NoSurfaceNoEntry) {
  bool gone = false;
  EXPECT_EQ(mCache.GetCachedFrameWithSurfaceID(0, &gone), nullptr);
  EXPECT_FALSE(gone);
  RefPtr<__IOSurface> surface = makeSurface(64, 64, 4, kBGRA);
  const uint32_t id = IOSurfaceGetID(surface.get());
  surface = nullptr;
  EXPECT_EQ(mCache.GetCachedFrameWithSurfaceID(id, &gone), nullptr);
  EXPECT_TRUE(gone);
  EXPECT_EQ(mCache.GetCachedSurfaceCount(), 0u);
}

TEST_F(FrameBufferCacheTest, AHeldCopyIsNeitherRewrittenNorLetGo) {
  const uint8_t colour[4] = {1, 1, 1, 0xFF};
  std::vector<RefPtr<__IOSurface>> surfaces;
  for (size_t i = 0; i < IOSurfaceSharingFrameBufferCache::kMaximumCachedSurfaces + 3; ++i) {
    surfaces.push_back(makeSurface(1280, 720, 4, kBGRA));
    paintBGRA(surfaces.back().get(), colour);
  }
  UVideoFrameBufferCachedSurface* held =
      mCache.GetCachedFrameWithSurfaceID(IOSurfaceGetID(surfaces[0].get()));
  ASSERT_TRUE(held);
  ASSERT_TRUE(held->TryLockFrameBuffer());
  // The reader's own thread may not take it again either.
  EXPECT_FALSE(held->TryLockFrameBuffer());
  const uint8_t changed[4] = {2, 2, 2, 0xFF};
  paintBGRA(surfaces[0].get(), changed);
  EXPECT_EQ(mCache.GetCachedFrameWithSurfaceID(IOSurfaceGetID(surfaces[0].get())), nullptr);
  EXPECT_EQ(at(*held, 0, 0)[1], 1);

  // Ids keep coming: the cache stays small and keeps the held copy.
  for (size_t i = 1; i < surfaces.size(); ++i)
    EXPECT_TRUE(mCache.GetCachedFrameWithSurfaceID(IOSurfaceGetID(surfaces[i].get()))) << i;
  EXPECT_EQ(mCache.GetCachedSurfaceCount(), IOSurfaceSharingFrameBufferCache::kMaximumCachedSurfaces);
  EXPECT_EQ(at(*held, 0, 0)[1], 1);
  held->UnlockFrameBuffer();
  UVideoFrameBufferCachedSurface* again =
      mCache.GetCachedFrameWithSurfaceID(IOSurfaceGetID(surfaces[0].get()));
  ASSERT_EQ(again, held);
  EXPECT_EQ(at(*again, 0, 0)[1], 2);
}

TEST(FrameBufferCache, CopiesTwoVuySurfacesAsTheyAre) {
  IOSurfaceSharingFrameBufferCache cache;
  ASSERT_TRUE(cache.ConnnectWithWidthHeight(1280, 720, FOUR_CHAR_CODE("2vuy")));
  // A '2VUY' surface counts twice its width: 640 elements of 4 bytes hold 1280 pixels.
  RefPtr<__IOSurface> surface = makeSurface(640, 720, 4, FOUR_CHAR_CODE("2VUY"));
  paintSurface(surface.get(), [](int x, int y, uint8_t* p) {
    p[0] = 128, p[1] = uint8_t(x), p[2] = 128, p[3] = uint8_t(y);
  });
  UVideoFrameBufferCachedSurface* entry = cache.GetCachedFrameWithSurfaceID(IOSurfaceGetID(surface.get()));
  ASSERT_TRUE(entry);
  ASSERT_EQ(entry->mFrameBufferDataSizeBytes, 1280u * 720 * 2);
  EXPECT_EQ(0, memcmp(entry->mFrameBufferData, IOSurfaceGetBaseAddress(surface.get()), 1280 * 720 * 2));

  // A surface of another format must match the copy's geometry to be copied.
  IOSurfaceSharingFrameBufferCache raw;
  ASSERT_TRUE(raw.ConnnectWithWidthHeight(64, 64, FOUR_CHAR_CODE("RGBA")));
  RefPtr<__IOSurface> small = makeSurface(32, 32, 4, FOUR_CHAR_CODE("RGBA"));
  paintSurface(small.get(), [](int, int, uint8_t* p) { p[0] = 1; });
  EXPECT_EQ(raw.GetCachedFrameWithSurfaceID(IOSurfaceGetID(small.get())), nullptr);
  RefPtr<__IOSurface> same = makeSurface(64, 64, 4, FOUR_CHAR_CODE("RGBA"));
  paintSurface(same.get(), [](int x, int, uint8_t* p) { p[0] = uint8_t(x), p[1] = 2, p[2] = 3, p[3] = 4; });
  UVideoFrameBufferCachedSurface* copy = raw.GetCachedFrameWithSurfaceID(IOSurfaceGetID(same.get()));
  ASSERT_TRUE(copy);
  EXPECT_EQ(0, memcmp(copy->mFrameBufferData, IOSurfaceGetBaseAddress(same.get()), 64 * 64 * 4));
}

}  // namespace
