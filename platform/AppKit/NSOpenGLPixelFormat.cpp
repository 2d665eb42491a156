#include "NSOpenGLPixelFormat.h"

OBJC_CLASS_DEFINE(NSOpenGLPixelFormat)

NSOpenGLPixelFormat* NSOpenGLPixelFormat::initWithAttributes(const NSOpenGLPixelFormatAttribute* attributes) {
  GLint count = 0;
  ::CGLPixelFormatObj format = nullptr;
  CGLChoosePixelFormat(reinterpret_cast<const CGLPixelFormatAttribute*>(attributes), &format, &count);
  if (!format) {
    release();
    return nullptr;
  }
  mFormat = format;
  return this;
}

NSOpenGLPixelFormat* NSOpenGLPixelFormat::initWithCGLPixelFormatObj(::CGLPixelFormatObj format) {
  if (!format) {
    release();
    return nullptr;
  }
  mFormat = CGLRetainPixelFormat(format);
  return this;
}

NSOpenGLPixelFormat::~NSOpenGLPixelFormat() { CGLReleasePixelFormat(mFormat); }

GLint NSOpenGLPixelFormat::numberOfVirtualScreens() const {
  GLint count = 0;
  if (mFormat) CGLDescribePixelFormat(mFormat, 0, kCGLPFAVirtualScreenCount, &count);
  return count;
}

void NSOpenGLPixelFormat::getValues_forAttribute_forVirtualScreen(GLint* values,
                                                                  NSOpenGLPixelFormatAttribute attribute,
                                                                  GLint screen) const {
  if (values && mFormat)
    CGLDescribePixelFormat(mFormat, screen, static_cast<CGLPixelFormatAttribute>(attribute), values);
}
