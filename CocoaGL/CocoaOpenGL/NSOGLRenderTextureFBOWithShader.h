#pragma once
// The render target of an image filter: a surface framebuffer texture that draws its source
// texture through a named GLSL program into its own surface, which is the filter's output. A
// delegate may take over the drawing and add work before and after it. The texture's lock is
// held for the whole cycle, so a reader that locks the texture never sees a half-drawn frame.
#include <AppKit/NSColor.h>
#include <AppKit/NSOpenGLContext.h>
#include <objc/WeakPtr.h>

#include "LockedProperty.h"
#include "NSOGLSLShaderProgram.h"
#include "NSOGLTextureIOSurfaceFBO.h"
#include "protocol_NSOGLRenderScene.h"

class NSOGLRenderTextureFBOWithShader : public NSOGLTextureIOSurfaceFBO, public protocol_NSOGLRenderScene {
  OBJC_CLASS_DECL(NSOGLRenderTextureFBOWithShader, NSOGLTextureIOSurfaceFBO)

 public:
  // A new (+1) 'BGRA' surface, not global.
  static IOSurfaceRef surfaceWithWidth_height(uint64_t width, uint64_t height);
  // Autoreleased targets over a new surface of the size.
  static NSOGLRenderTextureFBOWithShader* textureWithShaderName_textureWidth_textureHeight(
      NSString* shaderName, uint64_t width, uint64_t height);
  static NSOGLRenderTextureFBOWithShader* textureWithShaderSourceClass_shaderName_textureWidth_textureHeight(
      Class sourceClass, NSString* shaderName, uint64_t width, uint64_t height);

  NSOGLRenderTextureFBOWithShader* initWithIOSurface_shaderName(IOSurfaceRef surface, NSString* shaderName);
  // The program is the shared cache's for the name, or a program of its own built from the
  // source class when one is given. The surface starts cleared to zero bytes.
  virtual NSOGLRenderTextureFBOWithShader* initWithIOSurface_shaderName_shaderSourceClass(
      IOSurfaceRef surface, NSString* shaderName, Class sourceClass);

  // protocol_NSOGLDrawable
  CGRect renderBounds() override { return CGRectMake(0, 0, textureWidth(), textureHeight()); }
  CGLContextObj renderContext() override;

  // protocol_NSOGLRenderScene
  void renderScene() override { renderScene(true); }
  void renderScene(bool flush) override;
  void renderSceneInit() override { renderScene(); }
  void renderSceneBegin() override;
  void renderSceneSelf() override;
  void renderSceneReshape() override {}
  bool renderSceneEnd(bool flush) override;
  // The context set for the target, else the current one, else the shared one.
  NSOpenGLContext* glContext() override;
  NSOpenGLContext* glSharingContext() override;

  // The drawing used when no delegate draws: the source through the program, blending off.
  void renderSceneNilDelegate(CGRect rect);

  // A delegate answering protocol_NSOGLRenderSceneDelegate and the optional begin and end
  // interfaces; not retained.
  NSObject* delegate() const { return mDelegate.get().get(); }
  void setDelegate(NSObject* delegate) { mDelegate = delegate; }
  RefPtr<NSOGLSLShaderProgram> shaderProgram() const;
  void setShaderProgram(NSOGLSLShaderProgram* program);
  RefPtr<protocol_NSOGLDynamicTexture> sourceTexture() const;
  void setSourceTexture(protocol_NSOGLDynamicTexture* texture);
  RefPtr<NSColor> eraseColor() const;
  void setEraseColor(NSColor* color);
  NSOpenGLContext* openGLContextNilUseCurrentContext() const { return mOpenGLContext.get().get(); }
  void setOpenGLContextNilUseCurrentContext(NSOpenGLContext* context) { mOpenGLContext = context; }
  // The matrix the source is drawn with (neutral at first); the owner may change it in place.
  tagNSOGLNormalTextureMatrix* textureMatrix() { return &mTextureMatrix; }
  bool clearContextBeforeRendering() const { return mClearContextBeforeRendering; }
  void setClearContextBeforeRendering(bool clear) { mClearContextBeforeRendering = clear; }

 protected:
  NSOGLRenderTextureFBOWithShader() = default;
  void dealloc() override;

 private:
  WeakPtr<NSObject> mDelegate;
  LockedProperty<NSOGLSLShaderProgram> mShaderProgram;
  LockedProperty<protocol_NSOGLDynamicTexture> mSourceTexture;
  LockedProperty<NSColor> mEraseColor;
  WeakPtr<NSOpenGLContext> mOpenGLContext;
  // Neutral, so that a shader reading the texture matrix samples the whole source.
  tagNSOGLNormalTextureMatrix mTextureMatrix = kNSOGLNeutralTextureMatrix;
  std::atomic<bool> mClearContextBeforeRendering{true};
};
