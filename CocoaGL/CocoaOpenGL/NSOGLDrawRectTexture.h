#pragma once
// A texture of whatever its drawRect draws (clear here; subclasses draw their picture), drawn
// into an image of the texture's size at each update.
#include "NSOGLTextureBase.h"

class NSOGLDrawRectTexture : public NSOGLTextureBase {
  OBJC_CLASS_DECL(NSOGLDrawRectTexture, NSOGLTextureBase)

 public:
  NSOGLDrawRectTexture* initWithTextureTarget_textureWidth_textureHeight_context(uint32_t target,
                                                                                 uint32_t width,
                                                                                 uint32_t height,
                                                                                 NSOpenGLContext*) {
    initWithTextureTarget_textureWidth_textureHeight(target, width, height);
    return this;
  }

  // Draws the picture into the focused image, in its points.
  virtual void drawRect(CGRect rect);
  // Draws, captures the image as a bitmap and uploads it; NO (old contents kept) when a step
  // failed.
  bool textureUpdate() override;

 protected:
  NSOGLDrawRectTexture() = default;
};
