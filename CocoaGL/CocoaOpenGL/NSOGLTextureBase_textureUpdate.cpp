// Filling a texture from pixel rows, '2vuy' video rows, bitmaps and a view's contents.
#include <AppKit/NSBitmapImageRep.h>
#include <AppKit/NSColor.h>
#include <AppKit/NSGraphics.h>
#include <AppKit/NSImage.h>
#include <AppKit/NSOpenGLContext.h>
#include <AppKit/NSView.h>
#include <CoreMachDebug.h>
#include <Foundation/NSException.h>

#include <cmath>

#include "NSOGLTextureBase.h"
#include "OpenGLErrors.h"

namespace {

// The unpack state of the current context, set for rows of a length and put back after.
class UnpackRows {
 public:
  UnpackRows(GLint rowLength, GLint alignment) {
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &mRowLength);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &mAlignment);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  }
  ~UnpackRows() {
    glPixelStorei(GL_UNPACK_ROW_LENGTH, mRowLength);
    glPixelStorei(GL_UNPACK_ALIGNMENT, mAlignment);
  }
  UnpackRows(const UnpackRows&) = delete;
  UnpackRows& operator=(const UnpackRows&) = delete;

 private:
  GLint mRowLength = 0;
  GLint mAlignment = 4;
};

constexpr uint32_t k2vuyPixelFormat = 0x32767579;  // '2vuy'
constexpr size_t k2vuyBytesPerPixel = 2;

// An image of a size with the drawing's result captured as a bitmap (null when any step
// fails); exceptions raised on the way are dropped, as the capture is best effort.
template <class Draw>
RefPtr<NSBitmapImageRep> capture(NSSize size, Draw draw) {
  RefPtr<NSImage> image = adopt(static_cast<NSImage*>(NSImage::alloc()->initWithSize(size)));
  if (!VERIFY(image)) return nullptr;
  const NSRect whole = NSMakeRect(0, 0, size.width, size.height);
  RefPtr<NSBitmapImageRep> bitmap;
  image->lockFocus();
  try {
    draw(whole);
    bitmap = adopt(NSBitmapImageRep::alloc()->initWithFocusedViewRect(whole));
  } catch (const NSException::Raised&) {
  }
  image->unlockFocus();
  return bitmap;
}

}  // namespace

bool NSOGLTextureBase::textureUpdateFromBitmapData(NSBitmapImageRep* bitmap) {
  if (!bitmap) return false;
  if (bitmap->pixelsWide() == static_cast<NSInteger>(textureWidth()) &&
      bitmap->pixelsHigh() == static_cast<NSInteger>(textureHeight()))
    return textureUpdateFromBitmapDataSameSize(bitmap);
  return textureUpdateFromBitmapDataResize(bitmap);
}

bool NSOGLTextureBase::textureUpdateFromBitmapDataSameSize(NSBitmapImageRep* bitmap) {
  if (!VERIFY(bitmap)) return false;
  const bool fFloatingPoint = (bitmap->bitmapFormat() & NSFloatingPointSamplesBitmapFormat) != 0;
  // clang-format off
  if (!VERIFY(fFloatingPoint==false)) return false;
  // clang-format on
  return VERIFY(textureUpdateFromPixelData_rowBytes_bitsPerPixel_samplesPerPixel_hasAlpha(
      bitmap->bitmapData(), bitmap->bytesPerRow(), bitmap->bitsPerPixel(), bitmap->samplesPerPixel(),
      bitmap->hasAlpha()));
}

bool NSOGLTextureBase::textureUpdateFromBitmapDataResize(NSBitmapImageRep* bitmap) {
  if (!bitmap) return false;
  // The bitmap drawn at the texture's size.
  RefPtr<NSBitmapImageRep> resized =
      capture(NSMakeSize(textureWidth(), textureHeight()), [&](NSRect whole) { bitmap->drawInRect(whole); });
  if (!resized) return false;
  return VERIFY(textureUpdateFromBitmapDataSameSize(resized.get()));
}

bool NSOGLTextureBase::textureUpdateTransparent_GL_RGBA() {
  RefPtr<NSBitmapImageRep> transparent =
      capture(NSMakeSize(textureWidth(), textureHeight()), [](NSRect whole) {
        NSColor::clearColor()->set();
        NSRectFill(whole);
      });
  if (!transparent) return false;
  return VERIFY(textureUpdateFromBitmapData(transparent.get()));
}

bool NSOGLTextureBase::textureUpdateFromViewContents_textureContext(NSView* view, NSOpenGLContext* context) {
  if (!view || !context) return false;
  const NSSize size = view->bounds().size;
  if (static_cast<uint32_t>(size.width) != textureWidth() ||
      static_cast<uint32_t>(size.height) != textureHeight())
    return false;
  context->makeCurrentContext();
  if (!CGLGetCurrentContext()) return false;
  const GLint remembered = currentBinding();
  glBindTexture(textureTarget(), textureName());
  context->createTexture_fromView_internalFormat(textureTarget(), view, GL_RGBA);
  restoreBinding(remembered);
  return true;
}

bool NSOGLTextureBase::textureUpdateFromPixelData_rowBytes_bitsPerPixel_samplesPerPixel_hasAlpha(
    const void* pixelData, size_t rowBytes, size_t bitsPerPixel, size_t samplesPerPixel, bool hasAlpha) {
  if (!VERIFY(pixelData)) return false;
  if (!VERIFY(rowBytes)) return false;
  if (!CGLGetCurrentContext()) return false;
  const GLint remembered = currentBinding();
  glBindTexture(textureTarget(), textureName());
  GLenum format = GL_NONE;
  if (bitsPerPixel == 8 && samplesPerPixel == 1 && !hasAlpha)
    format = GL_LUMINANCE;
  else if (bitsPerPixel == 24 && samplesPerPixel == 3 && !hasAlpha)
    format = GL_RGB;
  else if (bitsPerPixel == 32 || samplesPerPixel == 4 || hasAlpha)
    format = GL_RGBA;
  else
    (void)VERIFY(0);
  bool uploaded = false;
  if (format != GL_NONE) {
    // Rows are read rowBytes apart, never past the last row's pixels: a padded bitmap keeps its
    // shape, and rows of an odd length are not read as if padded to 4 bytes.
    const size_t bytesPerPixel = format == GL_LUMINANCE ? 1 : format == GL_RGB ? 3 : 4;
    const size_t rowPixels = bytesPerPixel ? rowBytes / bytesPerPixel : 0;
    if (VERIFY(rowPixels >= textureWidth())) {
      UnpackRows unpack(static_cast<GLint>(rowPixels), 1);
      glTexImage2D(textureTarget(), 0, GL_RGBA, textureWidth(), textureHeight(), 0, format, GL_UNSIGNED_BYTE,
                   pixelData);
      uploaded = true;
    }
  }
  OpenGL::drainErrors();
  restoreBinding(remembered);
  setTextureUpdateNeeded(false);
  return uploaded;
}

bool NSOGLTextureBase::textureUpdateFrom_2vuy_data_rowBytes_pixelFormat(const void* data, size_t rowBytes,
                                                                        uint32_t) {
  if (!data || rowBytes == 0) return false;
  if (textureTarget() != GL_TEXTURE_RECTANGLE_ARB || !CGLGetCurrentContext()) {
    setTextureUpdateNeeded(false);
    return true;
  }
  // Rows shorter than the texture would be read past their end.
  if (!VERIFY(rowBytes >= textureWidth() * k2vuyBytesPerPixel)) return false;
  const GLint remembered = currentBinding();
  glBindTexture(textureTarget(), textureName());
  glPixelStorei(GL_UNPACK_CLIENT_STORAGE_APPLE, 1);
  glTexParameterf(textureTarget(), GL_TEXTURE_PRIORITY, 0.0f);
  {
    UnpackRows unpack(static_cast<GLint>(rowBytes / k2vuyBytesPerPixel), 1);
    glTexImage2D(textureTarget(), 0, GL_RGBA8, textureWidth(), textureHeight(), 0, GL_YCBCR_422_APPLE,
                 GL_UNSIGNED_SHORT_8_8_APPLE, data);
  }
  // The caller's rows are copied: later uploads must not keep pointing at them.
  glPixelStorei(GL_UNPACK_CLIENT_STORAGE_APPLE, 0);
  OpenGL::drainErrors();
  restoreBinding(remembered);
  setTextureUpdateNeeded(false);
  return true;
}

bool NSOGLTextureBase::textureUpdateFrom_2vuy_data_PBO_pixelFormat(const void* data, uint32_t pixelFormat) {
  if (!CGLGetCurrentContext()) return false;
  if (textureTarget() != GL_TEXTURE_RECTANGLE_ARB || pixelFormat != k2vuyPixelFormat) return true;
  glBindTexture(textureTarget(), textureName());
  glTexParameterf(textureTarget(), GL_TEXTURE_PRIORITY, 0.0f);
  {
    UnpackRows unpack(0, 1);
    glTexImage2D(textureTarget(), 0, GL_RGBA8, textureWidth(), textureHeight(), 0, GL_YCBCR_422_APPLE,
                 GL_UNSIGNED_SHORT_8_8_APPLE, data);
  }
  OpenGL::drainErrors();
  setTextureUpdateNeeded(false);
  return true;
}
