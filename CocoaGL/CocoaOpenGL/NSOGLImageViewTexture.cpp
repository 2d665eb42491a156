#include "NSOGLImageViewTexture.h"

#include <AppKit/NSBitmapImageRep.h>
#include <AppKit/NSColor.h>
#include <AppKit/NSGraphics.h>

OBJC_CLASS_DEFINE(NSOGLImageViewTexture)

namespace {

// The image drawn over the whole of a bitmap of the size, over black.
RefPtr<NSBitmapImageRep> bitmapOfImage(NSImage* image, NSSize size) {
  RefPtr<NSImage> canvas = adopt(static_cast<NSImage*>(NSImage::alloc()->initWithSize(size)));
  if (!canvas || !canvas->isValid()) return nullptr;
  const NSRect whole = NSMakeRect(0, 0, size.width, size.height);
  canvas->lockFocus();
  NSColor::blackColor()->set();
  NSRectFill(whole);
  image->drawInRect(whole);
  RefPtr<NSBitmapImageRep> bitmap = adopt(NSBitmapImageRep::alloc()->initWithFocusedViewRect(whole));
  canvas->unlockFocus();
  return bitmap;
}

}  // namespace

NSOGLImageViewTexture* NSOGLImageViewTexture::initWithImageView_textureTarget_textureWidth_textureHeight(
    NSImageView* view, uint32_t target, uint32_t width, uint32_t height) {
  initWithTextureTarget_textureWidth_textureHeight(target, width, height);
  // Transparent until a picture comes.
  textureUpdateDefault();
  setImageView(view);
  setTextureUpdateNeeded(view && view->image());
  return this;
}

bool NSOGLImageViewTexture::textureUpdate() {
  if (!textureUpdateNeeded()) return false;
  bool uploaded = false;
  RefPtr<NSImageView> view = mImageView.get();
  NSImage* image = view ? view->image() : nullptr;
  if (image && image->isValid()) {
    if (RefPtr<NSBitmapImageRep> bitmap = bitmapOfImage(image, NSMakeSize(textureWidth(), textureHeight())))
      uploaded = textureUpdateFromBitmapData(bitmap.get());
  }
  setTextureUpdateNeeded(false);
  return uploaded;
}

void NSOGLImageViewTexture::dealloc() {
  mImageView = nullptr;
  NSOGLTextureBase::dealloc();
}
