#pragma once
// What the textured, masked and shader quads share: the texture matrix of unit 0 pushed for
// the quad, and the quad itself with each corner's texture coordinates.
#include <CoreGraphics/CGGeometry.h>
#include <OpenGL/gl.h>

#include "protocol_NSOGLTexture.h"

namespace NSOGLDrawableQuads {

// Selects unit 0's texture matrix, pushed and made identity, and enables the target on unit 0,
// for the scope; the matrix, the matrix mode and the target come back as they were.
class TextureMatrixScope {
 public:
  explicit TextureMatrixScope(GLenum target);
  ~TextureMatrixScope();
  TextureMatrixScope(const TextureMatrixScope&) = delete;
  TextureMatrixScope& operator=(const TextureMatrixScope&) = delete;

 private:
  GLint mMatrixMode = GL_MODELVIEW;
  const GLenum mTarget;
};

// One GL_QUADS quad over the rectangle: corner (x, y) takes the texture's (SMin, TMin), then
// (SMax, TMin), (SMax, TMax), (SMin, TMax) round it, flips and rectangle extents included. With
// units, the coordinates go to unit 0 (and the mask's own to unit 1) after a normal facing the
// viewer; without, as the fixed texture coordinate.
void drawQuad(CGRect rect, protocol_NSOGLTexture* texture, protocol_NSOGLTexture* mask, bool units);

}  // namespace NSOGLDrawableQuads
