#pragma once
// What every stage of a filter chain answers: its input and output images (textures answering
// the texture protocols) and whether a new output has been rendered since the flag was last
// cleared. Camera inputs and filters alike answer it; a stage's input is the stage before it.
#include <objc/RefPtr.h>

#include "protocol_NSOGLTexture.h"

class NSOGLImageFilterProtocol {
 public:
  virtual RefPtr<protocol_NSOGLDynamicTexture> inputImage() = 0;
  virtual RefPtr<protocol_NSOGLDynamicTexture> outputImage() = 0;
  virtual bool outputImageUpdated() const = 0;
  virtual void setOutputImageUpdated(bool updated) = 0;

 protected:
  ~NSOGLImageFilterProtocol() = default;
};

// The optional drawableInitialize: of a stage, sent when the view that owns the chain has its
// drawable.
class NSOGLImageFilterProtocol_drawableInitialize {
 public:
  virtual bool drawableInitialize(NSObject* sender) = 0;

 protected:
  ~NSOGLImageFilterProtocol_drawableInitialize() = default;
};
