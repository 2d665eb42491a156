#include <AppKit/NSColor.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "CocoaOpenGLTestSupport.h"
#include "NSOGLSLShaderProgram.h"
#include "NSOGLTextureIOSurfaceFBO.h"
#include "protocol_NSOGLDrawable.h"

const char* g_CoreMachDebug_LogPrefix = "DrawableTest";
const char* g_CoreMachDebug_LogFileName = "DrawableTest.log";

namespace {

using cocoagltest::GLTest;
using cocoagltest::kBlue;
using cocoagltest::kGreen;
using cocoagltest::kRed;
using cocoagltest::kWhite;
using cocoagltest::Picture;

// A renderer over a surface framebuffer of its own, on the shared context.
class Canvas : public protocol_NSOGLDrawable {
 public:
  Canvas(int width, int height)
      : mSurface(NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight(width, height)) {
    mTarget = adopt(static_cast<NSOGLTextureIOSurfaceFBO*>(
        NSOGLTextureIOSurfaceFBO::alloc()->initWithIOSurface(mSurface)));
  }
  ~Canvas() {
    mTarget = nullptr;
    CFRelease(mSurface);
  }

  CGRect renderBounds() override {
    return CGRectMake(0, 0, mTarget->textureWidth(), mTarget->textureHeight());
  }
  CGLContextObj renderContext() override {
    return NSOGLSharingContext::defaultSharedContext()->CGLContextObj();
  }

  // One render pass in the unit-cube view, cleared to transparent first.
  template <class Draw>
  void render(Draw draw) {
    mTarget->beginRenderToFrameBuffer();
    glViewport(0, 0, static_cast<GLsizei>(mTarget->textureWidth()),
               static_cast<GLsizei>(mTarget->textureHeight()));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    drawableOrthoCubeViewBegin(true);
    draw(drawableRectFromRenderBoundsRect(renderBounds()));
    drawableOrthoCubeViewEnd();
    mTarget->endRenderToFrameBuffer(true);
  }

  IOSurfaceRef surface() const { return mSurface; }
  std::vector<uint32_t> corners() const { return cocoagltest::corners(mSurface); }

 private:
  IOSurfaceRef mSurface;
  RefPtr<NSOGLTextureIOSurfaceFBO> mTarget;
};

// A renderer without a context.
class Contextless : public protocol_NSOGLDrawable {
 public:
  CGRect renderBounds() override { return CGRectMake(0, 0, 10, 10); }
  CGLContextObj renderContext() override { return nullptr; }
};

class Drawable : public GLTest {};

TEST_F(Drawable, RenderBoundsBecomeTheUnitCube) {
  Canvas canvas(1280, 720);
  const CGRect whole = canvas.drawableRectFromRenderBoundsRect(CGRectMake(0, 0, 1280, 720));
  EXPECT_EQ(whole.origin.x, -0.5);
  EXPECT_EQ(whole.origin.y, -0.5);
  EXPECT_EQ(whole.size.width, 1.0);
  EXPECT_EQ(whole.size.height, 1.0);
  const CGRect quarter = canvas.drawableRectFromRenderBoundsRect(CGRectMake(640, 360, 640, 360));
  EXPECT_EQ(quarter.origin.x, 0.0);
  EXPECT_EQ(quarter.size.width, 0.5);
}

struct QuadCase {
  const char* what;
  bool flipHorizontal, flipVertical;
  float angle;
  std::vector<uint32_t> corners;  // bottom left, bottom right, top left, top right (GL rows)
};

class TexturedQuad : public GLTest, public testing::WithParamInterface<QuadCase> {};

TEST_P(TexturedQuad, ShowsThePictureTheWayFlipsAndMatrixTurnIt) {
  const QuadCase& c = GetParam();
  Picture picture(8, 8);
  picture.texture->setFlipHorizontal(c.flipHorizontal);
  picture.texture->setFlipVertical(c.flipVertical);
  const tagNSOGLNormalTextureMatrix matrix = {c.angle, 0.5f, 0.5f, 0.5f};
  Canvas canvas(8, 8);
  canvas.render([&](CGRect rect) {
    canvas.drawableDrawQuad_texture_textureMatrix(rect, picture.texture.get(), &matrix);
  });
  EXPECT_EQ(canvas.corners(), c.corners);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, TexturedQuad,
    testing::Values(QuadCase{"Upright", false, false, 0, {kRed, kGreen, kBlue, kWhite}},
                    QuadCase{"FlippedVertically", false, true, 0, {kBlue, kWhite, kRed, kGreen}},
                    QuadCase{"FlippedHorizontally", true, false, 0, {kGreen, kRed, kWhite, kBlue}},
                    QuadCase{"HalfTurn", false, false, 0.5f, {kWhite, kBlue, kGreen, kRed}},
                    QuadCase{"QuarterTurnFlipped", true, false, 0.25f, {kRed, kBlue, kGreen, kWhite}}),
    [](const testing::TestParamInfo<QuadCase>& info) { return info.param.what; });

TEST_F(Drawable, TextureThatCannotBeDrawnShowsRedOrBlue) {
  RefPtr<NSOGLTextureBase> nameless = adopt(
      NSOGLTextureBase::alloc()->initWithTextureTarget_textureWidth_textureHeight(GL_TEXTURE_CUBE_MAP, 4, 4));
  Canvas canvas(4, 4);
  canvas.render([&](CGRect rect) { canvas.drawableDrawQuad_texture(rect, nameless.get()); });
  EXPECT_EQ(canvas.corners(), std::vector<uint32_t>(4, kRed));
  canvas.render([&](CGRect rect) {
    canvas.drawableDrawQuad_texture_textureMatrix_shaderProgram(rect, nameless.get(), nullptr, nullptr);
  });
  EXPECT_EQ(canvas.corners(), std::vector<uint32_t>(4, kBlue));
  canvas.render([&](CGRect rect) { canvas.drawableDrawQuad_texture_maskTexture(rect, nullptr, nullptr); });
  EXPECT_EQ(canvas.corners(), std::vector<uint32_t>(4, kBlue));
}

TEST_F(Drawable, ColourQuadsAndErasing) {
  Canvas canvas(4, 4);
  canvas.render([&](CGRect rect) {
    glDisable(GL_BLEND);
    canvas.drawableDrawQuad_color(rect, nullptr);
  });
  EXPECT_EQ(cocoagltest::surfacePixel(canvas.surface(), 1, 1), 0x80000000u)
      << "no colour: black at half alpha";
  canvas.render([&](CGRect) { canvas.drawableEraseColor(NSColor::greenColor()); });
  EXPECT_EQ(cocoagltest::surfacePixel(canvas.surface(), 1, 1), kGreen);
  canvas.render([&](CGRect) { canvas.drawableEraseColor(nullptr); });
  EXPECT_EQ(cocoagltest::surfacePixel(canvas.surface(), 1, 1), 0xFF000000u) << "no colour erases black";
  canvas.render([&](CGRect rect) {
    CGRect left = rect;
    left.size.width /= 2;
    canvas.drawableDrawQuad_color_R_G_B_A(left, 1, 1, 1, 1);
  });
  EXPECT_EQ(canvas.corners(), (std::vector<uint32_t>{kWhite, 0, kWhite, 0}));
}

TEST_F(Drawable, MaskedQuadMultipliesByTheMasksFirstComponent) {
  Picture picture(4, 4);
  // A mask whose red is 255 on the left half and 0 on the right.
  IOSurfaceRef maskSurface = NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight(4, 4);
  IOSurfaceLock(maskSurface, 0, nullptr);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const uint32_t value = x < 2 ? 0xFFFF0000 : 0xFF00FFFF;
      std::memcpy(static_cast<uint8_t*>(IOSurfaceGetBaseAddress(maskSurface)) +
                      y * IOSurfaceGetBytesPerRow(maskSurface) + x * 4,
                  &value, 4);
    }
  IOSurfaceUnlock(maskSurface, 0, nullptr);
  RefPtr<NSOGLTextureIOSurface> mask = adopt(NSOGLTextureIOSurface::alloc()->initWithIOSurface(maskSurface));
  Canvas canvas(4, 4);
  // Unit 1's texture matrix is the caller's before and after.
  glActiveTexture(GL_TEXTURE1);
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glTranslatef(3, 0, 0);
  glActiveTexture(GL_TEXTURE0);
  glMatrixMode(GL_MODELVIEW);
  canvas.render([&](CGRect rect) {
    glDisable(GL_BLEND);
    canvas.drawableDrawQuad_texture_maskTexture(rect, picture.texture.get(), mask.get());
  });
  EXPECT_EQ(canvas.corners(), (std::vector<uint32_t>{kRed, 0, kBlue, 0}));
  glActiveTexture(GL_TEXTURE1);
  float unit1[16];
  glGetFloatv(GL_TEXTURE_MATRIX, unit1);
  glLoadIdentity();
  glActiveTexture(GL_TEXTURE0);
  EXPECT_EQ(unit1[12], 3.0f);
  const GLuint program = protocol_NSOGLDrawable::maskFragmentProgramName();
  EXPECT_NE(program, 0xFFFFFFFFu);
  EXPECT_FALSE(glIsEnabled(GL_FRAGMENT_PROGRAM_ARB));
  mask = nullptr;
  CFRelease(maskSurface);
}

TEST_F(Drawable, MaskProgramIsMadeOncePerProcess) {
  std::vector<GLuint> names(6, 0);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < names.size(); ++i)
    threads.emplace_back([&, i] {
      NSOGLSharingContext::defaultSharedContext()->makeCurrentContext();
      Canvas canvas(2, 2);
      canvas.render([&](CGRect) { canvas.drawableEnableMaskFragmentShader(); });
      glDisable(GL_FRAGMENT_PROGRAM_ARB);
      names[i] = protocol_NSOGLDrawable::maskFragmentProgramName();
      NSOpenGLContext::clearCurrentContext();
    });
  for (std::thread& thread : threads) thread.join();
  for (GLuint name : names) EXPECT_EQ(name, names[0]);
}

TEST_F(Drawable, MissingContextIsReported) {
  Contextless contextless;
  EXPECT_EQ(contextless.drawableRenderContext(), nullptr);
  EXPECT_NE(log().find(" code : cgl_ctx!=NULL"), std::string::npos) << log();
  EXPECT_EQ(CGLGetCurrentContext(), NSOGLSharingContext::defaultSharedContext()->CGLContextObj());
  contextless.drawableCreateMaskFragmentShader(nullptr);
  EXPECT_NE(log().find(" code : shaderProgramText"), std::string::npos);
}

TEST_F(Drawable, BadMaskProgramTextIsLoggedWithItsGLError) {
  Canvas canvas(2, 2);
  canvas.drawableCreateMaskFragmentShader("!!ARBfp1.0\r\nMOV result.color, ;\r\nEND\r\n");
  EXPECT_NE(log().find("OpenGL Error: invalid operation (1282)  {drawableCreateMaskFragmentShader}"),
            std::string::npos)
      << log();
  // The process's program again, for whoever draws masks next.
  canvas.drawableCreateMaskFragmentShader(protocol_NSOGLDrawable::maskFragmentProgramText());
}

}  // namespace
