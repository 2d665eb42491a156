#include <CoreVideo/CoreVideo.h>
#include <OpenGL/OpenGL.h>
#include <OpenGL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// A context of its own, current on the test's thread, and a cache over it.
class CVOpenGLTextureCacheTest : public testing::Test {
 protected:
  void SetUp() override {
    const CGLPixelFormatAttribute attributes[] = {kCGLPFAColorSize, CGLPixelFormatAttribute(24),
                                                  kCGLPFAAlphaSize, CGLPixelFormatAttribute(8),
                                                  CGLPixelFormatAttribute(0)};
    GLint count = 0;
    ASSERT_EQ(CGLChoosePixelFormat(attributes, &mFormat, &count), kCGLNoError);
    ASSERT_EQ(CGLCreateContext(mFormat, nullptr, &mContext), kCGLNoError);
    CGLSetCurrentContext(mContext);
    ASSERT_EQ(CVOpenGLTextureCacheCreate(nullptr, nullptr, mContext, mFormat, nullptr, &mCache),
              kCVReturnSuccess);
  }
  void TearDown() override {
    CVOpenGLTextureCacheRelease(mCache);
    CGLSetCurrentContext(nullptr);
    CGLReleaseContext(mContext);
    CGLReleasePixelFormat(mFormat);
  }

  // A buffer of the format whose rows are the given bytes, each row padded to rowBytes.
  static CVPixelBufferRef buffer(OSType format, size_t width, const std::vector<std::vector<uint8_t>>& rows) {
    CVPixelBufferRef made = nullptr;
    EXPECT_EQ(CVPixelBufferCreate(nullptr, width, rows.size(), format, nullptr, &made), kCVReturnSuccess);
    CVPixelBufferLockBaseAddress(made, 0);
    auto* base = static_cast<uint8_t*>(CVPixelBufferGetBaseAddress(made));
    for (size_t y = 0; y < rows.size(); ++y)
      std::memcpy(base + y * CVPixelBufferGetBytesPerRow(made), rows[y].data(), rows[y].size());
    CVPixelBufferUnlockBaseAddress(made, 0);
    return made;
  }

  // The texture's texels as B, G, R, A bytes, GL row 0 first.
  static std::vector<uint8_t> texels(CVOpenGLTextureRef texture) {
    const CGSize size = CVImageBufferGetEncodedSize(texture);
    std::vector<uint8_t> bytes(size_t(size.width) * size_t(size.height) * 4);
    glBindTexture(CVOpenGLTextureGetTarget(texture), CVOpenGLTextureGetName(texture));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(CVOpenGLTextureGetTarget(texture), 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, bytes.data());
    glBindTexture(CVOpenGLTextureGetTarget(texture), 0);
    return bytes;
  }

  CGLPixelFormatObj mFormat = nullptr;
  CGLContextObj mContext = nullptr;
  CVOpenGLTextureCacheRef mCache = nullptr;
};

TEST_F(CVOpenGLTextureCacheTest, MakesRectangleTexturesOfEachFormat) {
  // Two pixels a row, two rows; expected texels in B, G, R, A, memory row 0 first.
  struct Case {
    const char* name;
    OSType format;
    std::vector<std::vector<uint8_t>> rows;
    std::vector<uint8_t> expected;
  } cases[] = {
      {"BGRA",
       kCVPixelFormatType_32BGRA,
       {{1, 2, 3, 4, 5, 6, 7, 8}, {9, 10, 11, 12, 13, 14, 15, 16}},
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
      // Cb Y0 Cr Y1: white, then black, then two reds.
      {"2vuy",
       kCVPixelFormatType_422YpCbCr8,
       {{128, 235, 128, 16}, {90, 81, 240, 81}},
       {255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 254, 255, 0, 0, 254, 255}},
      {"yuvs",
       kCVPixelFormatType_422YpCbCr8_yuvs,
       {{235, 128, 16, 128}, {81, 90, 81, 240}},
       {255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 254, 255, 0, 0, 254, 255}},
      // Y0 Cb Y1 Cr with chroma signed: 0 is neutral, -38 and 112 make red.
      {"yuv2",
       FOUR_CHAR_CODE("yuv2"),
       {{235, 0, 16, 0}, {81, 0xDA, 81, 0x70}},
       {255, 255, 255, 255, 0, 0, 0, 255, 0, 0, 254, 255, 0, 0, 254, 255}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CVPixelBufferRef pixels = buffer(c.format, 2, c.rows);
    CVOpenGLTextureRef texture = nullptr;
    ASSERT_EQ(CVOpenGLTextureCacheCreateTextureFromImage(nullptr, mCache, pixels, nullptr, &texture),
              kCVReturnSuccess);
    EXPECT_EQ(CVOpenGLTextureGetTarget(texture), GLenum(GL_TEXTURE_RECTANGLE_ARB));
    EXPECT_NE(CVOpenGLTextureGetName(texture), 0u);
    EXPECT_TRUE(CVOpenGLTextureIsFlipped(texture)) << "memory row 0, the picture's top, is GL row 0";
    EXPECT_EQ(CVImageBufferGetEncodedSize(texture).width, 2);
    EXPECT_EQ(CVImageBufferGetEncodedSize(texture).height, 2);
    const std::vector<uint8_t> got = texels(texture);
    ASSERT_EQ(got.size(), c.expected.size());
    for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], c.expected[i], 1) << "byte " << i;
    CVOpenGLTextureRelease(texture);
    CVPixelBufferRelease(pixels);
  }
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(CVOpenGLTextureCacheTest, RefusesWhatItCannotShow) {
  CVOpenGLTextureRef texture = reinterpret_cast<CVOpenGLTextureRef>(1);
  CVPixelBufferRef rgb = buffer(kCVPixelFormatType_24RGB, 2, {{1, 2, 3, 4, 5, 6}});
  EXPECT_EQ(CVOpenGLTextureCacheCreateTextureFromImage(nullptr, mCache, rgb, nullptr, &texture),
            kCVReturnPixelBufferNotOpenGLCompatible);
  EXPECT_EQ(texture, nullptr);
  CVPixelBufferRef bgra = buffer(kCVPixelFormatType_32BGRA, 1, {{1, 2, 3, 4}});
  CVOpenGLTextureRef made = nullptr;
  ASSERT_EQ(CVOpenGLTextureCacheCreateTextureFromImage(nullptr, mCache, bgra, nullptr, &made),
            kCVReturnSuccess);
  // A texture is an image buffer, but no pixel buffer.
  EXPECT_EQ(CVOpenGLTextureCacheCreateTextureFromImage(nullptr, mCache, made, nullptr, &texture),
            kCVReturnInvalidArgument);
  EXPECT_EQ(CVOpenGLTextureCacheCreateTextureFromImage(nullptr, mCache, nullptr, nullptr, &texture),
            kCVReturnInvalidArgument);
  CVOpenGLTextureCacheRef noCache = nullptr;
  EXPECT_EQ(CVOpenGLTextureCacheCreate(nullptr, nullptr, nullptr, mFormat, nullptr, &noCache),
            kCVReturnInvalidArgument);
  CVOpenGLTextureRelease(made);
  CVPixelBufferRelease(bgra);
  CVPixelBufferRelease(rgb);
}

TEST_F(CVOpenGLTextureCacheTest, ATextureHoldsItsBufferAndItsNameIsTakenAgain) {
  CVPixelBufferRef pixels = buffer(kCVPixelFormatType_32BGRA, 1, {{1, 2, 3, 4}});
  CVOpenGLTextureRef first = nullptr;
  ASSERT_EQ(CVOpenGLTextureCacheCreateTextureFromImage(nullptr, mCache, pixels, nullptr, &first),
            kCVReturnSuccess);
  EXPECT_EQ(CFGetRetainCount(pixels), 2);
  const GLuint name = CVOpenGLTextureGetName(first);
  CVOpenGLTextureRelease(first);
  EXPECT_EQ(CFGetRetainCount(pixels), 1);
  CVOpenGLTextureRef second = nullptr;
  ASSERT_EQ(CVOpenGLTextureCacheCreateTextureFromImage(nullptr, mCache, pixels, nullptr, &second),
            kCVReturnSuccess);
  EXPECT_EQ(CVOpenGLTextureGetName(second), name);
  CVOpenGLTextureCacheFlush(mCache, 0);
  EXPECT_TRUE(glIsTexture(name)) << "a name in use outlives a flush";
  CVOpenGLTextureRelease(second);
  CVPixelBufferRelease(pixels);
}

}  // namespace
