#include "NSOGLTextureBitmapImageData.h"

OBJC_CLASS_DEFINE(NSOGLTextureBitmapImageData)

NSOGLTextureBitmapImageData* NSOGLTextureBitmapImageData::textureWithImageData(NSData* data) {
  auto* texture = NSOGLTextureBitmapImageData::alloc()->initWithImageData(data);
  return static_cast<NSOGLTextureBitmapImageData*>(texture->autorelease());
}

NSOGLTextureBitmapImageData* NSOGLTextureBitmapImageData::initWithImageData(NSData* data) {
  NSBitmapImageRep* bitmap = data ? NSBitmapImageRep::imageRepWithData(data) : nullptr;
  if (!bitmap) return this;
  // The bitmap first: making the texture uploads it.
  setBitmapImageRep(bitmap);
  initWithTextureTarget_textureWidth_textureHeight(GL_TEXTURE_RECTANGLE_ARB,
                                                   static_cast<uint32_t>(bitmap->pixelsWide()),
                                                   static_cast<uint32_t>(bitmap->pixelsHigh()));
  setFlipVertical(true);
  return this;
}

void NSOGLTextureBitmapImageData::setBitmapImage(NSBitmapImageRep* bitmap) {
  setBitmapImageRep(bitmap);
  setTextureUpdateNeeded(true);
}

bool NSOGLTextureBitmapImageData::textureUpdate() {
  if (!textureUpdateNeeded()) return false;
  lock();
  const bool uploaded = textureUpdateFromBitmapData(bitmapImageRep().get());
  unlock();
  setTextureUpdateNeeded(false);
  return uploaded;
}

void NSOGLTextureBitmapImageData::dealloc() {
  setBitmapImageRep(nullptr);
  NSOGLTextureBase::dealloc();
}
