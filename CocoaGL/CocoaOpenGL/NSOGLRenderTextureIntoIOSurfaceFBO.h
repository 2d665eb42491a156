#pragma once
// A render target that draws one source texture, unchanged and without a shader, into its own
// surface; the sharing servers make their outgoing surfaces with it. A caller that wants the
// picture upside down sets the source's flipVertical around the render.
#include <AppKit/NSOpenGLContext.h>

#include "LockedProperty.h"
#include "NSOGLTextureIOSurfaceFBO.h"
#include "protocol_NSOGLRenderScene.h"

class NSOGLRenderTextureIntoIOSurfaceFBO : public NSOGLTextureIOSurfaceFBO, public protocol_NSOGLRenderScene {
  OBJC_CLASS_DECL(NSOGLRenderTextureIntoIOSurfaceFBO, NSOGLTextureIOSurfaceFBO)

 public:
  // Autoreleased; its surface starts cleared to zero bytes.
  static NSOGLRenderTextureIntoIOSurfaceFBO* textureWithIOSurface(IOSurfaceRef surface);
  NSOGLTextureIOSurface* initWithIOSurface_manageUseCount(IOSurfaceRef surface, bool manageUseCount) override;

  // protocol_NSOGLDrawable
  CGRect renderBounds() override { return CGRectMake(0, 0, textureWidth(), textureHeight()); }
  CGLContextObj renderContext() override;

  // protocol_NSOGLRenderScene; every render runs on the shared context.
  void renderScene() override { renderScene(true); }
  void renderScene(bool flush) override;
  void renderSceneInit() override { renderScene(); }
  void renderSceneBegin() override;
  void renderSceneSelf() override;
  void renderSceneReshape() override {}
  bool renderSceneEnd(bool flush) override;
  NSOpenGLContext* glContext() override;
  NSOpenGLContext* glSharingContext() override { return glContext(); }

  RefPtr<protocol_NSOGLDynamicTexture> sourceTexture() const;
  void setSourceTexture(protocol_NSOGLDynamicTexture* texture);

 protected:
  NSOGLRenderTextureIntoIOSurfaceFBO() = default;
  void dealloc() override;

 private:
  LockedProperty<protocol_NSOGLDynamicTexture> mSourceTexture;
};
