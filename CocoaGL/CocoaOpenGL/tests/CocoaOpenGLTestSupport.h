#pragma once
// What the tests of the OpenGL classes share: a temporary root whose log file they read, the
// shared context current on the test thread, small surfaces with a four-colour picture, and
// pixels as 'BGRA' words (0xAARRGGBB).
#include <CoreFoundation/CFString.h>
#include <CoreMachDebug.h>
#include <IOSurface/IOSurface.h>
#include <OpenGL/OpenGL.h>
#include <OpenGL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "NSOGLSharingContext.h"
#include "NSOGLTextureIOSurface.h"
#include "TemporaryRoot.h"

namespace cocoagltest {

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;

// The picture of the tests, by GL's rows (row 0 at the bottom, which is memory row 0 of a
// surface): red bottom left, green bottom right, blue top left, white top right.
inline uint32_t quadrant(int x, int y, int width, int height) {
  const bool right = x >= width / 2, top = y >= height / 2;
  return top ? (right ? kWhite : kBlue) : (right ? kGreen : kRed);
}

// A new (+1) non-global 'BGRA' surface holding the four-colour picture.
inline IOSurfaceRef createPictureSurface(int width, int height, bool global = false) {
  IOSurfaceRef surface =
      NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight_globalShared(width, height, global);
  IOSurfaceLock(surface, 0, nullptr);
  auto* base = static_cast<uint8_t*>(IOSurfaceGetBaseAddress(surface));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t pixel = quadrant(x, y, width, height);
      std::memcpy(base + y * IOSurfaceGetBytesPerRow(surface) + x * 4, &pixel, 4);
    }
  IOSurfaceUnlock(surface, 0, nullptr);
  return surface;
}

// A texture showing the four-colour picture, and its surface.
struct Picture {
  Picture(int width, int height) : surface(createPictureSurface(width, height)) {
    texture = adopt(NSOGLTextureIOSurface::alloc()->initWithIOSurface(surface));
  }
  ~Picture() {
    texture = nullptr;
    CFRelease(surface);
  }
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;

  IOSurfaceRef surface;
  RefPtr<NSOGLTextureIOSurface> texture;
};

inline uint32_t surfacePixel(IOSurfaceRef surface, int x, int y) {
  IOSurfaceLock(surface, kIOSurfaceLockReadOnly, nullptr);
  uint32_t pixel = 0;
  std::memcpy(&pixel,
              static_cast<const uint8_t*>(IOSurfaceGetBaseAddress(surface)) +
                  y * IOSurfaceGetBytesPerRow(surface) + x * 4,
              4);
  IOSurfaceUnlock(surface, kIOSurfaceLockReadOnly, nullptr);
  return pixel;
}

// The four corners of a surface as memory holds them: bottom left, bottom right, top left, top
// right by GL's rows.
inline std::vector<uint32_t> corners(IOSurfaceRef surface) {
  const int w = static_cast<int>(IOSurfaceGetWidth(surface)),
            h = static_cast<int>(IOSurfaceGetHeight(surface));
  return {surfacePixel(surface, 0, 0), surfacePixel(surface, w - 1, 0), surfacePixel(surface, 0, h - 1),
          surfacePixel(surface, w - 1, h - 1)};
}

// An object's description as text.
inline std::string describe(const NSObject* object) {
  CFStringRef description = object->copyDescription();
  char text[512] = "";
  CFStringGetCString(description, text, sizeof text, kCFStringEncodingUTF8);
  CFRelease(description);
  return text;
}

inline std::vector<GLenum> pendingErrors() {
  std::vector<GLenum> errors;
  for (GLenum error = glGetError(); error != GL_NO_ERROR && errors.size() < 16; error = glGetError())
    errors.push_back(error);
  return errors;
}

// Each test under a root of its own, its log in a file it reads, the shared context current.
class GLTest : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(mRoot.home() + "/Library/Logs");
    ZidaZoraDurodAriSetUseLogger(kCoreLogOutput_File);
    ASSERT_TRUE(ZidaZoraDurodAriClassInitialize());
    NSOpenGLContext* shared = NSOGLSharingContext::defaultSharedContext();
    ASSERT_NE(shared, nullptr);
    shared->makeCurrentContext();
    pendingErrors();
  }
  void TearDown() override { EXPECT_TRUE(pendingErrors().empty()) << "a GL error was left pending"; }

  std::string log() const {
    return moxicam::test::readFile(mRoot.home() + "/Library/Logs/" + g_CoreMachDebug_LogFileName);
  }

  moxicam::test::TemporaryRoot mRoot;
};

}  // namespace cocoagltest
