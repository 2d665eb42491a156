#pragma once
// An image filter: one input image rendered through a named GLSL program into a surface
// texture of its own (a render texture with shader), which is its output image. The output
// surface can be read back as a picture or handed to the frame-sharing servers.
#include <AppKit/NSOpenGLContext.h>
#include <CoreGraphics/CGColorSpace.h>
#include <Foundation/NSString.h>

#include <atomic>

#include "LockedProperty.h"
#include "NSOGLImageFilterProtocol.h"
#include "NSOGLRenderTextureFBOWithShader.h"
#include "NSOGLSLShaderProgram.h"
#include "protocol_NSOGLRenderScene.h"

class NSOGLImageFilterBase : public NSObject,
                             public NSOGLImageFilterProtocol,
                             public NSOGLSLShaderProgramDelegate,
                             public protocol_NSOGLRenderSceneDelegate,
                             public protocol_NSOGLRenderSceneTextureDelegate_renderBeginScene {
  OBJC_CLASS_DECL(NSOGLImageFilterBase, NSObject)

 public:
  struct Meta : NSObject::Meta {
    // The class whose texts the filters' programs are built from.
    virtual Class shaderLoaderClass(Class cls) const;
  };

  // 1280 x 720: the size of every filter's output.
  static CGSize textureSize() { return CGSizeMake(1280.0, 720.0); }
  // One device RGB space for the process, made on first use.
  static CGColorSpaceRef textureColorSpace();
  static Class shaderLoaderClass(Class cls = class_());

  // NSOGLImageFilterProtocol; the base has no input.
  RefPtr<protocol_NSOGLDynamicTexture> inputImage() override { return nullptr; }
  RefPtr<protocol_NSOGLDynamicTexture> outputImage() override;
  bool outputImageUpdated() const override { return mOutputImageUpdated; }
  void setOutputImageUpdated(bool updated) override { mOutputImageUpdated = updated; }

  RefPtr<NSOGLRenderTextureFBOWithShader> renderWithShader() const { return mRenderWithShader.get(); }
  void setRenderWithShader(NSOGLRenderTextureFBOWithShader* target);
  NSOpenGLContext* renderingContext() const;
  // The name of the render target's program; setting another name builds the program of that
  // name (the shared cache's) for the render target, with this filter as its delegate.
  NSString* shaderName() const;
  void setShaderName(NSString* name);
  bool initializedGL() const { return renderWithShader() != nullptr; }

  // Makes the render target over a new surface of textureSize, on the context; answers
  // whether it exists. NO for a null context or name.
  bool initializeOpenGLContext_shaderName(NSOpenGLContext* context, NSString* name);
  // Renders the input into the output; NO without an input or a render target.
  virtual bool textureUpdate();

  // The program's delegate: the filters set their uniforms here.
  void shaderProgram_enabled(NSOGLSLShaderProgram*, bool) override {}
  // The render target's delegate: before drawing, the input becomes the source and the target
  // is cleared; the drawing is the source through the program, blended over what is there.
  bool renderBeginScene_drawableRect(protocol_NSOGLRenderScene* renderer, CGRect rect) override;
  bool renderScene_drawableRect(protocol_NSOGLRenderScene* renderer, CGRect rect) override;

 protected:
  NSOGLImageFilterBase() = default;
  void dealloc() override;
  // Whether the sender is this filter's own render target.
  bool isOwnRenderTarget(protocol_NSOGLRenderScene* renderer) const;

 private:
  LockedProperty<NSOGLRenderTextureFBOWithShader> mRenderWithShader;
  std::atomic<bool> mOutputImageUpdated{false};
};

namespace NSOGLImageFilterBlending {

// Source over destination for straight colours: the colour weighted by its alpha, the alpha
// itself added once, so the target holds premultiplied colour with alpha a + d(1 - a), as its
// surface's pictures expect (blending the alpha by its own alpha would count it twice).
void blendSourceOver();

// The blend state of the scope's start comes back at its end, also when an exception passes.
class SavedBlendFactors {
 public:
  SavedBlendFactors();
  ~SavedBlendFactors();
  SavedBlendFactors(const SavedBlendFactors&) = delete;
  SavedBlendFactors& operator=(const SavedBlendFactors&) = delete;

 private:
  GLint mSourceRGB = GL_ONE, mDestinationRGB = GL_ZERO, mSourceAlpha = GL_ONE, mDestinationAlpha = GL_ZERO;
};

}  // namespace NSOGLImageFilterBlending
