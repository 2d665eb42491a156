#pragma once
// What the GL tests share: a context current for a scope, small surfaces, and pixels read
// back as 'BGRA' words (0xAARRGGBB).
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <IOSurface/IOSurface.h>
#include <OpenGL/OpenGL.h>
#include <OpenGL/gl.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace gltest {

// A new context (+1) of the renderer's default format, with a depth buffer.
inline CGLContextObj createContext() {
  const CGLPixelFormatAttribute attributes[] = {kCGLPFAColorSize, CGLPixelFormatAttribute(24),
                                                kCGLPFADepthSize, CGLPixelFormatAttribute(16),
                                                CGLPixelFormatAttribute(0)};
  CGLPixelFormatObj format = nullptr;
  GLint count = 0;
  CGLChoosePixelFormat(attributes, &format, &count);
  CGLContextObj ctx = nullptr;
  CGLCreateContext(format, nullptr, &ctx);
  CGLReleasePixelFormat(format);
  return ctx;
}

// A new context, current on this thread for the life of the object.
class CurrentContext {
 public:
  CurrentContext() : mContext(createContext()) { CGLSetCurrentContext(mContext); }
  ~CurrentContext() {
    CGLSetCurrentContext(nullptr);
    CGLReleaseContext(mContext);
  }
  CurrentContext(const CurrentContext&) = delete;
  CurrentContext& operator=(const CurrentContext&) = delete;
  CGLContextObj get() const { return mContext; }

 private:
  CGLContextObj mContext;
};

// The GL errors pending on the current context, oldest first; empty when there are none.
inline std::vector<GLenum> pendingErrors() {
  std::vector<GLenum> errors;
  for (GLenum error = glGetError(); error != GL_NO_ERROR && errors.size() < 16; error = glGetError())
    errors.push_back(error);
  return errors;
}

// A new (+1) 'BGRA' surface; rowBytes 0 lets the surface choose.
inline IOSurfaceRef createSurface(int width, int height, int rowBytes = 0, bool global = false) {
  CFMutableDictionaryRef properties =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  const int values[] = {width, height, 4, 0x42475241, rowBytes};
  const CFStringRef keys[] = {kIOSurfaceWidth, kIOSurfaceHeight, kIOSurfaceBytesPerElement,
                              kIOSurfacePixelFormat, kIOSurfaceBytesPerRow};
  for (int i = 0; i < (rowBytes ? 5 : 4); ++i) {
    CFNumberRef number = CFNumberCreate(nullptr, kCFNumberIntType, &values[i]);
    CFDictionarySetValue(properties, keys[i], number);
    CFRelease(number);
  }
  CFDictionarySetValue(properties, kIOSurfaceIsGlobal, global ? kCFBooleanTrue : kCFBooleanFalse);
  IOSurfaceRef surface = IOSurfaceCreate(properties);
  CFRelease(properties);
  return surface;
}

// Writes every pixel of the surface through a write lock (the seed moves).
template <class Pixel>
void fillSurface(IOSurfaceRef surface, Pixel pixel) {
  IOSurfaceLock(surface, 0, nullptr);
  auto* base = static_cast<uint8_t*>(IOSurfaceGetBaseAddress(surface));
  for (size_t y = 0; y < IOSurfaceGetHeight(surface); ++y)
    for (size_t x = 0; x < IOSurfaceGetWidth(surface); ++x) {
      const uint32_t value = pixel(static_cast<int>(x), static_cast<int>(y));
      std::memcpy(base + y * IOSurfaceGetBytesPerRow(surface) + x * 4, &value, 4);
    }
  IOSurfaceUnlock(surface, 0, nullptr);
}

inline uint32_t surfacePixel(IOSurfaceRef surface, int x, int y) {
  IOSurfaceLock(surface, kIOSurfaceLockReadOnly, nullptr);
  uint32_t value;
  std::memcpy(&value,
              static_cast<const uint8_t*>(IOSurfaceGetBaseAddress(surface)) +
                  y * IOSurfaceGetBytesPerRow(surface) + x * 4,
              4);
  IOSurfaceUnlock(surface, kIOSurfaceLockReadOnly, nullptr);
  return value;
}

// The pixel at (x, y) of the current read framebuffer, GL's row 0 at the bottom.
inline uint32_t readPixel(int x, int y) {
  uint32_t value = 0;
  glReadPixels(x, y, 1, 1, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &value);
  return value;
}

// A texture of its own and a framebuffer drawing into it, bound as the draw framebuffer while
// the object lives.
class TextureFramebuffer {
 public:
  TextureFramebuffer(GLenum target, int width, int height) {
    glGenTextures(1, &mTexture);
    glBindTexture(target, mTexture);
    glTexImage2D(target, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glGenFramebuffers(1, &mFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, target, mTexture, 0);
    glViewport(0, 0, width, height);
  }
  ~TextureFramebuffer() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &mFramebuffer);
    glDeleteTextures(1, &mTexture);
  }
  TextureFramebuffer(const TextureFramebuffer&) = delete;
  TextureFramebuffer& operator=(const TextureFramebuffer&) = delete;

 private:
  GLuint mTexture = 0, mFramebuffer = 0;
};

// Clears the rectangle of the bound draw framebuffer to one colour.
inline void clearRect(int x, int y, int width, int height, float r, float g, float b, float a) {
  glEnable(GL_SCISSOR_TEST);
  glScissor(x, y, width, height);
  glClearColor(r, g, b, a);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
}

constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;

}  // namespace gltest
