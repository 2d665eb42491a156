#pragma once
// A context view drawing in the unit cube (the whole view is -0.5 to 0.5) with alpha blending,
// its scene drawn by a render-scene delegate, and shortcuts for the drawing operations' quads.
#include <objc/WeakPtr.h>

#include "NSUIOGLCGContextView.h"

class NSUIOGLOrthoUnitView : public NSUIOGLCGContextView {
  OBJC_CLASS_DECL(NSUIOGLOrthoUnitView, NSUIOGLCGContextView)

 public:
  bool clearDrawableBeforeRender() const { return _clearDrawableBeforeRender; }
  void setClearDrawableBeforeRender(bool clear) { _clearDrawableBeforeRender = clear; }

  void renderSceneReshape() override;
  void renderSceneBegin() override;
  virtual void renderSceneBlend();
  void renderSceneSelf() override;
  bool renderSceneEnd(bool flush) override;

  CGRect renderCoordsFrom(CGRect rect) { return drawableRectFromRenderBoundsRect(rect); }
  void renderDrawQuad_color(CGRect rect, NSColor* color) { drawableDrawQuad_color(rect, color); }
  void renderDrawQuad_texture(CGRect rect, protocol_NSOGLTexture* texture) {
    drawableDrawQuad_texture_textureMatrix(rect, texture, nullptr);
  }
  void renderDrawQuad_texture_textureMatrix(CGRect rect, protocol_NSOGLTexture* texture,
                                            const tagNSOGLNormalTextureMatrix* matrix) {
    drawableDrawQuad_texture_textureMatrix(rect, texture, matrix);
  }
  void renderDrawQuad_texture_maskTexture(CGRect rect, protocol_NSOGLTexture* texture,
                                          protocol_NSOGLTexture* mask) {
    drawableDrawQuad_texture_textureMatrix_maskTexture_maskMatrix(rect, texture, nullptr, mask, nullptr);
  }
  void renderDrawQuad_texture_maskTexture_maskMatrix(CGRect rect, protocol_NSOGLTexture* texture,
                                                     protocol_NSOGLTexture* mask,
                                                     const tagNSOGLNormalTextureMatrix* maskMatrix) {
    drawableDrawQuad_texture_textureMatrix_maskTexture_maskMatrix(rect, texture, nullptr, mask, maskMatrix);
  }
  void renderDrawQuad_texture_textureMatrix_maskTexture_maskMatrix(
      CGRect rect, protocol_NSOGLTexture* texture, const tagNSOGLNormalTextureMatrix* matrix,
      protocol_NSOGLTexture* mask, const tagNSOGLNormalTextureMatrix* maskMatrix) {
    drawableDrawQuad_texture_textureMatrix_maskTexture_maskMatrix(rect, texture, matrix, mask, maskMatrix);
  }

  // Outlet of the interface file, not retained: an object answering
  // protocol_NSOGLRenderSceneDelegate, which draws the scene.
  WeakPtr<NSObject> renderSceneDelegate;

 protected:
  NSUIOGLOrthoUnitView() = default;

 private:
  // YES from the start (whichever initialiser made the view), so that the first frame, drawn
  // while the view is made, clears too.
  bool _clearDrawableBeforeRender = true;
};
