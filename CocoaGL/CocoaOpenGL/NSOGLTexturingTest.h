#pragma once
// A probe that texturing works in a context: a 64 x 64 checkerboard of 8-texel squares
// (black first), drawn as the unit quad.
#include <Foundation/NSObject.h>
#include <OpenGL/gl.h>

class NSOGLTexturingTest : public NSObject {
  OBJC_CLASS_DECL(NSOGLTexturingTest, NSObject)

 public:
  // A new probe (+1).
  static NSOGLTexturingTest* newTextureTest();
  // Autoreleased probes that have made their texture, in the current context or in the shared
  // one (which is current only for the making).
  static NSOGLTexturingTest* textureTestAcquiredWithCurrentContext();
  static NSOGLTexturingTest* textureTestAcquiredWithSharingContext();

  NSObject* init() override;
  // Makes the checkerboard texture; answers whether a texture name was obtained.
  bool acquireGL();
  void bindGL();
  // The texture over the square from -0.5 to 0.5.
  void drawUnitQuadGL();

  GLenum textureTarget() const { return mTextureTarget; }
  GLuint textureID() const { return mTextureID; }

 protected:
  NSOGLTexturingTest() = default;

 private:
  GLuint mTextureID = 0;
  GLenum mTextureTarget = GL_TEXTURE_2D;
};
