#include "NSOGLRenderTextureFBOWithShader.h"

#include <AppKit/NSColor.h>
#include <gtest/gtest.h>

#include <vector>

#include "CocoaOpenGLTestSupport.h"

const char* g_CoreMachDebug_LogPrefix = "RenderTextureTest";
const char* g_CoreMachDebug_LogFileName = "RenderTextureTest.log";

namespace {

using cocoagltest::GLTest;
using cocoagltest::kBlue;
using cocoagltest::kGreen;
using cocoagltest::kRed;
using cocoagltest::kWhite;
using cocoagltest::Picture;

RefPtr<NSOGLRenderTextureFBOWithShader> makeTarget(const char* shader, int width, int height) {
  return RefPtr<NSOGLRenderTextureFBOWithShader>(
      NSOGLRenderTextureFBOWithShader::textureWithShaderName_textureWidth_textureHeight(
          NSString::stringWithUTF8String(shader), width, height));
}

// A filter that draws the scene itself and fills in before and after it.
class DrawingDelegate : public NSObject,
                        public protocol_NSOGLRenderSceneDelegate,
                        public protocol_NSOGLRenderSceneTextureDelegate_renderBeginScene,
                        public protocol_NSOGLRenderSceneTextureDelegate_renderEndScene {
 public:
  bool renderBeginScene_drawableRect(protocol_NSOGLRenderScene*, CGRect) override {
    order.push_back("begin");
    return true;
  }
  bool renderScene_drawableRect(protocol_NSOGLRenderScene* renderer, CGRect rect) override {
    order.push_back("scene");
    CGRect left = rect;
    left.size.width /= 2;
    renderer->drawableDrawQuad_color_R_G_B_A(left, 0, 1, 0, 1);
    return true;
  }
  bool renderEndScene_drawableRect(protocol_NSOGLRenderScene*, CGRect) override {
    order.push_back("end");
    return true;
  }
  std::vector<std::string> order;
};

// A delegate that answers only the end of the scene.
class EndOnlyDelegate : public NSObject, public protocol_NSOGLRenderSceneTextureDelegate_renderEndScene {
 public:
  bool renderEndScene_drawableRect(protocol_NSOGLRenderScene*, CGRect) override {
    ++ends;
    return true;
  }
  int ends = 0;
};

class NSOGLRenderTextureFBOWithShaderTest : public GLTest {};

TEST_F(NSOGLRenderTextureFBOWithShaderTest, NewTargetHoldsOnlyZeroBytes) {
  RefPtr<NSOGLRenderTextureFBOWithShader> target = makeTarget("Passthrough", 8, 4);
  ASSERT_TRUE(target);
  EXPECT_EQ(cocoagltest::corners(target->surface()), std::vector<uint32_t>(4, 0u));
  EXPECT_EQ(IOSurfaceGetPixelFormat(target->surface()), 0x42475241u);
  EXPECT_TRUE(target->clearContextBeforeRendering());
  const tagNSOGLNormalTextureMatrix* matrix = target->textureMatrix();
  EXPECT_EQ(static_cast<float>(matrix->scale), 0.5f) << "the matrix starts neutral";
  EXPECT_EQ(static_cast<float>(matrix->translate_x), 0.5f);
}

TEST_F(NSOGLRenderTextureFBOWithShaderTest, DrawsTheSourceThroughItsProgramUpright) {
  Picture picture(8, 8);
  RefPtr<NSOGLRenderTextureFBOWithShader> target = makeTarget("Passthrough", 8, 8);
  ASSERT_TRUE(target->shaderProgram()->shaderCanBeEnabled()) << log();
  target->setSourceTexture(picture.texture.get());
  target->renderScene();
  EXPECT_EQ(cocoagltest::corners(target->surface()), (std::vector<uint32_t>{kRed, kGreen, kBlue, kWhite}));
  // The matrix is the program's texture matrix: half a turn turns the picture.
  target->textureMatrix()->angle = 0.5f;
  target->renderScene(false);
  EXPECT_EQ(cocoagltest::corners(target->surface()), (std::vector<uint32_t>{kWhite, kBlue, kGreen, kRed}));
}

TEST_F(NSOGLRenderTextureFBOWithShaderTest, SourceThroughAProgramThatCannotBeEnabledIsBlue) {
  Picture picture(4, 4);
  RefPtr<NSOGLRenderTextureFBOWithShader> target = makeTarget("NoSuchShader", 4, 4);
  target->setSourceTexture(picture.texture.get());
  target->renderScene();
  EXPECT_EQ(cocoagltest::corners(target->surface()), std::vector<uint32_t>(4, kBlue));
}

TEST_F(NSOGLRenderTextureFBOWithShaderTest, WithoutASourceACycleOnlyClears) {
  RefPtr<NSOGLRenderTextureFBOWithShader> target = makeTarget("Passthrough", 4, 4);
  target->setSurfacePixelsValue_withSyncLock(0x7F, false);
  target->renderScene();
  EXPECT_EQ(cocoagltest::corners(target->surface()), std::vector<uint32_t>(4, 0u));
  target->setClearContextBeforeRendering(false);
  target->setSurfacePixelsValue_withSyncLock(0x7F, false);
  target->renderScene();
  EXPECT_EQ(cocoagltest::corners(target->surface()), std::vector<uint32_t>(4, 0u)) << "black at alpha 0.001";
  target->setEraseColor(NSColor::redColor());
  target->renderScene();
  EXPECT_EQ(cocoagltest::corners(target->surface()), std::vector<uint32_t>(4, kRed));
}

TEST_F(NSOGLRenderTextureFBOWithShaderTest, DelegateThatDrawsReplacesTheProgram) {
  Picture picture(4, 4);
  RefPtr<NSOGLRenderTextureFBOWithShader> target = makeTarget("Passthrough", 4, 4);
  target->setSourceTexture(picture.texture.get());
  RefPtr<DrawingDelegate> delegate = adopt(new DrawingDelegate);
  target->setDelegate(delegate.get());
  target->renderScene();
  EXPECT_EQ(delegate->order, (std::vector<std::string>{"begin", "scene", "end"}));
  EXPECT_EQ(cocoagltest::corners(target->surface()), (std::vector<uint32_t>{kGreen, 0, kGreen, 0}));
  delegate = nullptr;
  EXPECT_EQ(target->delegate(), nullptr) << "the delegate is not kept";
  target->renderScene();
  EXPECT_EQ(cocoagltest::corners(target->surface()), (std::vector<uint32_t>{kRed, kGreen, kBlue, kWhite}));
}

TEST_F(NSOGLRenderTextureFBOWithShaderTest, DelegateWithoutTheSceneGetsTheProgramsDrawing) {
  Picture picture(4, 4);
  RefPtr<NSOGLRenderTextureFBOWithShader> target = makeTarget("Passthrough", 4, 4);
  target->setSourceTexture(picture.texture.get());
  RefPtr<EndOnlyDelegate> delegate = adopt(new EndOnlyDelegate);
  target->setDelegate(delegate.get());
  target->renderScene();
  EXPECT_EQ(delegate->ends, 1);
  EXPECT_EQ(cocoagltest::corners(target->surface()), (std::vector<uint32_t>{kRed, kGreen, kBlue, kWhite}));
}

}  // namespace
