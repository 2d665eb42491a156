#pragma once
// A texture of the picture an image view shows, drawn at the texture's size over black when
// its size differs; the picture is always drawn turned vertically (bitmaps run from the top).
#include <AppKit/NSImageView.h>
#include <objc/WeakPtr.h>

#include "NSOGLTextureBase.h"

class NSOGLImageViewTexture : public NSOGLTextureBase {
  OBJC_CLASS_DECL(NSOGLImageViewTexture, NSOGLTextureBase)

 public:
  NSOGLImageViewTexture* initWithImageView_textureTarget_textureWidth_textureHeight(NSImageView* view,
                                                                                    uint32_t target,
                                                                                    uint32_t width,
                                                                                    uint32_t height);
  NSOGLImageViewTexture* initWithImageView_textureTarget_textureWidth_textureHeight_openGLContext(
      NSImageView* view, uint32_t target, uint32_t width, uint32_t height, NSOpenGLContext*) {
    return initWithImageView_textureTarget_textureWidth_textureHeight(view, target, width, height);
  }

  // Only when marked: uploads the view's picture (without one the texture keeps what it had);
  // the mark is cleared either way. Answers the upload's result.
  bool textureUpdate() override;
  float textureCoordTMin() const override { return NSOGLTextureBase::textureCoordTMax(); }
  float textureCoordTMax() const override { return NSOGLTextureBase::textureCoordTMin(); }

  NSImageView* imageView() const { return mImageView.get().get(); }
  void setImageView(NSImageView* view) { mImageView = view; }

 protected:
  NSOGLImageViewTexture() = default;
  void dealloc() override;

 private:
  WeakPtr<NSImageView> mImageView;
};
