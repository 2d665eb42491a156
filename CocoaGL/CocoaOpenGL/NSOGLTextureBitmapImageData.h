#pragma once
// A rectangle texture of a picture given as encoded image data. Bitmaps run from the top, so
// the texture is drawn turned vertically.
#include <AppKit/NSBitmapImageRep.h>
#include <Foundation/NSData.h>

#include "LockedProperty.h"
#include "NSOGLTextureBase.h"

class NSOGLTextureBitmapImageData : public NSOGLTextureBase {
  OBJC_CLASS_DECL(NSOGLTextureBitmapImageData, NSOGLTextureBase)

 public:
  // Autoreleased.
  static NSOGLTextureBitmapImageData* textureWithImageData(NSData* data);
  // A texture of the decoded picture's pixel size, filled with it; data that is none or does
  // not decode leaves the texture as made (no GL texture).
  NSOGLTextureBitmapImageData* initWithImageData(NSData* data);

  RefPtr<NSBitmapImageRep> bitmapImageRep() const { return __bitmapImageRep.get(); }
  void setBitmapImageRep(NSBitmapImageRep* bitmap) { __bitmapImageRep.set(RefPtr<NSBitmapImageRep>(bitmap)); }
  // The same bitmap; setting it marks the texture for an update.
  RefPtr<NSBitmapImageRep> bitmapImage() const { return bitmapImageRep(); }
  void setBitmapImage(NSBitmapImageRep* bitmap);

  // When marked: uploads the bitmap; answers the upload's result (NO when not marked).
  bool textureUpdate() override;

 protected:
  NSOGLTextureBitmapImageData() = default;
  void dealloc() override;

 private:
  LockedProperty<NSBitmapImageRep> __bitmapImageRep;
};
