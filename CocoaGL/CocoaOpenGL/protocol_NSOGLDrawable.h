#pragma once
// What every renderer draws with. An object that answers its render bounds (pixels) and its
// CGL context gets a unit-cube view in which the whole target is the square from -0.5 to 0.5,
// erasing, quads in a colour, textured quads (with a texture matrix), textured quads times a
// mask texture through a small fragment program, and textured quads through a GLSL program.
// A texture that cannot be drawn shows as a red quad (plain) or a blue one (masked or shader),
// so that missing sources are visible. The operations keep no state of their own and run on
// the caller's thread; each makes the renderer's context current for its work.
#include <CoreGraphics/CGGeometry.h>
#include <OpenGL/OpenGL.h>

class NSColor;
class NSOGLSLShaderProgram;
class protocol_NSOGLTexture;
struct tagNSOGLNormalTextureMatrix;

class protocol_NSOGLDrawable {
 public:
  virtual CGRect renderBounds() = 0;
  virtual CGLContextObj renderContext() = 0;

  // The drawing operations (category NSObject(protocol_NSOGLDrawable)).
  // renderContext, or null with a VERIFY report.
  CGLContextObj drawableRenderContext();
  // A rectangle of the render bounds in unit-cube coordinates.
  CGRect drawableRectFromRenderBoundsRect(CGRect rect);
  void drawableOrthoCubeViewBegin() { drawableOrthoCubeViewBegin(true); }
  void drawableOrthoCubeViewBegin(bool clear);
  void drawableOrthoCubeViewEnd();
  void drawableErase_R_G_B_A(double red, double green, double blue, double alpha);
  void drawableEraseBlack() { drawableErase_R_G_B_A(0, 0, 0, 1); }
  void drawableEraseTransparent() { drawableErase_R_G_B_A(0, 0, 0, 0.001); }
  void drawableEraseColor(NSColor* color);
  void drawableDrawQuad_color_R_G_B_A(CGRect rect, float red, float green, float blue, float alpha);
  void drawableDrawQuad_color(CGRect rect, NSColor* color);
  void drawableDrawQuad_texture(CGRect rect, protocol_NSOGLTexture* texture);
  void drawableDrawQuad_texture_textureMatrix(CGRect rect, protocol_NSOGLTexture* texture,
                                              const tagNSOGLNormalTextureMatrix* matrix);
  void drawableDrawQuad_texture_maskTexture(CGRect rect, protocol_NSOGLTexture* texture,
                                            protocol_NSOGLTexture* mask);
  void drawableDrawQuad_texture_maskTexture_maskMatrix(CGRect rect, protocol_NSOGLTexture* texture,
                                                       protocol_NSOGLTexture* mask,
                                                       const tagNSOGLNormalTextureMatrix* maskMatrix);
  void drawableDrawQuad_texture_textureMatrix_maskTexture_maskMatrix(
      CGRect rect, protocol_NSOGLTexture* texture, const tagNSOGLNormalTextureMatrix* matrix,
      protocol_NSOGLTexture* mask, const tagNSOGLNormalTextureMatrix* maskMatrix);
  void drawableCreateMaskFragmentShader(const char* shaderProgramText);
  void drawableEnableMaskFragmentShader();

  // Category NSObject(protocol_NSOGLDrawable_NSOGLSLShaderProgram).
  void drawableDrawQuad_texture_textureMatrix_shaderProgram(CGRect rect, protocol_NSOGLTexture* texture,
                                                            const tagNSOGLNormalTextureMatrix* matrix,
                                                            NSOGLSLShaderProgram* program);

  // Whether the drawing can show a texture: it exists, has a name and a 2D or rectangle target.
  static bool isDrawableTexture(protocol_NSOGLTexture* texture);
  // The process's mask program, 0xFFFFFFFF until made, and its text.
  static GLuint maskFragmentProgramName();
  static const char* maskFragmentProgramText();

 protected:
  ~protocol_NSOGLDrawable() = default;
};
