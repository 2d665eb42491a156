// The filter base, the controller, the built-in shader table, and the uniforms the three
// filters send to their programs.
#include <Foundation/NSBundle.h>
#include <Foundation/NSValue.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "KeyingTestSupport.h"
#include "NSOGLColorFilterController.h"
#include "NSOGLImageFilterShaderSourceCode.h"
#include "NSOGLImageFilterShaderTable.h"

const char* g_CoreMachDebug_LogPrefix = "ImageFilterTest";
const char* g_CoreMachDebug_LogFileName = "ImageFilterTest.log";

namespace {

using cocoagltest::GLTest;
using cocoagltest::KeyingChain;

// A resource of the tests' main bundle (their folder), as the default source class reads it.
std::string resource(const std::string& fileName) {
  const size_t dot = fileName.rfind('.');
  NSString* path = NSBundle::mainBundle()->pathForResource_ofType(
      NSString::stringWithUTF8String(fileName.substr(0, dot).c_str()),
      NSString::stringWithUTF8String(fileName.substr(dot + 1).c_str()));
  if (!path) return "";
  std::ifstream file(path->UTF8String(), std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// The values of a uniform of a filter's program, as the program holds them now.
std::vector<float> uniform(NSOGLImageFilterBase* filter, const char* name, size_t count) {
  RefPtr<NSOGLSLShaderProgram> program = filter->renderWithShader()->shaderProgram();
  std::vector<float> values(16, -1.0f);
  const GLint location = program->uniformLocation(NSString::stringWithUTF8String(name));
  EXPECT_NE(location, -1) << name << " is not a uniform of the program";
  if (location != -1) glGetUniformfvARB(program->shaderProgramObject()->programID(), location, values.data());
  values.resize(count);
  return values;
}

class NSOGLImageFilterTest : public GLTest {};

TEST_F(NSOGLImageFilterTest, TheBuiltInTableHoldsTheResourceTexts) {
  ASSERT_EQ(kNSOGLImageFilterShaderTableCount, 8u);
  const char* order[] = {"NSOGLPixelKeyMatteShader.fs", "NSOGLCameraInputFilter.fs",
                         "NSOGLCameraInputFilter.vs",   "NSOGLPixelKeyMatteShader.vs",
                         "NSOGLColorFilter.fs",         "NSOGLColorFilter.vs",
                         "NSOGLChromaKeyShader.vs",     "NSOGLChromaKeyShader.fs"};
  for (size_t i = 0; i < 8; ++i) {
    SCOPED_TRACE(order[i]);
    const NSOGLImageFilterShaderRecord& record = kNSOGLImageFilterShaderTable[i];
    EXPECT_STREQ(record.fileName, order[i]);
    const std::string text = resource(order[i]);
    ASSERT_EQ(record.length, text.size() + 1) << "the text and its NUL";
    EXPECT_NE(record.bytes[0], static_cast<unsigned char>(text[0])) << "stored with the halves swapped";
    NSString* decoded = NSOGLImageFilterShaderSourceCode::stringDataForShaderFileName(
        NSString::stringWithUTF8String(order[i]));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(std::string(decoded->UTF8String()), text);
  }
  NSString* missing = NSOGLImageFilterShaderSourceCode::stringDataForShaderFileName(NSSTR("NoSuchShader.fs"));
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->length(), 0u);
}

TEST_F(NSOGLImageFilterTest, InitialisationNeedsAShaderNameAndAContext) {
  RefPtr<NSOGLImageFilterController> filter =
      adopt(static_cast<NSOGLImageFilterController*>(NSOGLImageFilterController::alloc()->init()));
  EXPECT_TRUE(filter->drawableInitialize(nullptr)) << "YES, without a name";
  EXPECT_FALSE(filter->initializedGL());
  EXPECT_FALSE(filter->textureUpdate()) << "neither input nor render target";
  EXPECT_FALSE(filter->initializeOpenGLContext_shaderName(nullptr, NSSTR("NSOGLColorFilter")));
  EXPECT_FALSE(
      filter->initializeOpenGLContext_shaderName(NSOGLSharingContext::defaultSharedContext(), nullptr));
  ASSERT_TRUE(filter->initializeOpenGLContext_shaderName(NSOGLSharingContext::defaultSharedContext(),
                                                         NSSTR("NSOGLColorFilter")));
  EXPECT_EQ(filter->renderWithShader()->textureWidth(), 1280u);
  EXPECT_EQ(filter->renderWithShader()->textureHeight(), 720u);
  EXPECT_TRUE(filter->shaderName()->isEqualToString(NSSTR("NSOGLColorFilter")));
  EXPECT_TRUE(filter->renderWithShader()->shaderProgram()->shaderCanBeEnabled()) << "built from the table";
  EXPECT_FALSE(filter->textureUpdate()) << "no input";
  // The same name again builds nothing.
  RefPtr<NSOGLSLShaderProgram> program = filter->renderWithShader()->shaderProgram();
  filter->setShaderName(NSSTR("NSOGLColorFilter"));
  EXPECT_EQ(filter->renderWithShader()->shaderProgram(), program);
  // Another name takes the shared cache's program of that name (the resource files).
  filter->setShaderName(NSSTR("NSOGLChromaKeyShader"));
  EXPECT_TRUE(filter->shaderName()->isEqualToString(NSSTR("NSOGLChromaKeyShader")));
  EXPECT_TRUE(filter->renderWithShader()->shaderProgram()->shaderCanBeEnabled());
}

class CountingDelegate : public NSObject, public NSOGLImageFilterControllerDelegate {
  OBJC_CLASS_DECL(CountingDelegate, NSObject)

 public:
  void imageFilter_didRenderOutputImage(NSOGLImageFilterController*, CGImageRef image) override {
    ++images;
    width = CGImageGetWidth(image);
  }
  int images = 0;
  size_t width = 0;
};
OBJC_CLASS_DEFINE(CountingDelegate)

std::vector<GLint> blendFactors() {
  GLint state[4];
  glGetIntegerv(GL_BLEND_SRC_RGB, &state[0]);
  glGetIntegerv(GL_BLEND_DST_RGB, &state[1]);
  glGetIntegerv(GL_BLEND_SRC_ALPHA, &state[2]);
  glGetIntegerv(GL_BLEND_DST_ALPHA, &state[3]);
  return std::vector<GLint>(state, state + 4);
}

TEST_F(NSOGLImageFilterTest, AStepKeepsTheBlendStateAndGivesTheDelegateOnePicture) {
  KeyingChain chain;
  RefPtr<CountingDelegate> listener =
      adopt(static_cast<CountingDelegate*>(CountingDelegate::alloc()->init()));
  chain.key->delegate = listener.get();
  CVPixelBufferRef frame = cocoagltest::createGreenScreenFrame(32, 18);
  ASSERT_TRUE(chain.render(frame));
  EXPECT_TRUE(chain.key->outputImageUpdated());
  EXPECT_EQ(listener->images, 1);
  EXPECT_EQ(listener->width, 1280u);
  // The drawing of each filter, the plain one and the chroma key's, in its render target.
  const std::vector<GLint> before = {GL_DST_COLOR, GL_ZERO, GL_ONE, GL_ZERO};
  for (NSOGLImageFilterBase* filter : {static_cast<NSOGLImageFilterBase*>(chain.camera.get()),
                                       static_cast<NSOGLImageFilterBase*>(chain.key.get())}) {
    RefPtr<NSOGLRenderTextureFBOWithShader> target = filter->renderWithShader();
    glBlendFuncSeparate(before[0], before[1], before[2], before[3]);
    filter->renderScene_drawableRect(target.get(),
                                     target->drawableRectFromRenderBoundsRect(target->renderBounds()));
    EXPECT_EQ(blendFactors(), before);
  }
  glBlendFunc(GL_ONE, GL_ZERO);
  CVPixelBufferRelease(frame);
}

TEST_F(NSOGLImageFilterTest, TheFiltersSendTheirControlsAsUniforms) {
  KeyingChain chain;
  CVPixelBufferRef frame = cocoagltest::createGreenScreenFrame(32, 18);
  ASSERT_TRUE(chain.render(frame));
  EXPECT_EQ(uniform(chain.camera.get(), "u_cameraControls", 3), (std::vector<float>{0.3f, 0.5f, 0.5f}));
  EXPECT_EQ(uniform(chain.camera.get(), "u_cameraOptions", 4), (std::vector<float>{0, 0, 0, 0}));
  EXPECT_EQ(uniform(chain.camera.get(), "u_cameraWhiteBalance", 3), (std::vector<float>{1, 1, 1}));
  EXPECT_EQ(uniform(chain.camera.get(), "u_textureUnit0Size", 2), (std::vector<float>{32, 18}))
      << "the frame's size";
  EXPECT_EQ(uniform(chain.key.get(), "u_keyControls", 4), (std::vector<float>{0.5f, 0.5f, 0.1f, 0.0f}));
  EXPECT_EQ(uniform(chain.key.get(), "u_keyColor", 3), (std::vector<float>{0, 1, 0}));
  EXPECT_EQ(uniform(chain.key.get(), "u_keyWhiteBalanceOut", 3), (std::vector<float>{1, 1, 1}));
  EXPECT_EQ(uniform(chain.key.get(), "u_textureUnit0Size", 2), (std::vector<float>{1280, 720}))
      << "its own source: the camera filter's output";

  chain.camera->setCameraFlipVertical(true);
  chain.camera->setCameraExposure(0.4f);
  chain.key->setKeyRemovalBypass(true);
  chain.key->setKeyThreshold(0.25f);
  chain.key->setKeyColor(NSColor::colorWithCalibratedRed_green_blue_alpha(0, 0, 1, 1));
  // Output mode and channel are the application's: they change nothing here.
  chain.key->setKeyOutputMode(1);
  chain.key->setKeyChannel(5);
  ASSERT_TRUE(chain.render(frame));
  EXPECT_EQ(uniform(chain.camera.get(), "u_cameraOptions", 4), (std::vector<float>{0, 0, 1, 0}));
  EXPECT_EQ(uniform(chain.camera.get(), "u_cameraControls", 3), (std::vector<float>{0.4f, 0.5f, 0.5f}));
  EXPECT_EQ(uniform(chain.key.get(), "u_keyControls", 4), (std::vector<float>{0.25f, 0.5f, 0.1f, 1.0f}));
  EXPECT_EQ(uniform(chain.key.get(), "u_keyColor", 3), (std::vector<float>{0, 0, 1}));
  EXPECT_EQ(uniform(chain.key.get(), "u_cameraControls", 3), (std::vector<float>{0.4f, 0.5f, 0.5f}))
      << "the chroma key sends its camera filter's controls";
  CVPixelBufferRelease(frame);
}

TEST_F(NSOGLImageFilterTest, TheTintSendsItsColourAndAmount) {
  KeyingChain chain;
  RefPtr<NSOGLColorFilterController> tint =
      adopt(static_cast<NSOGLColorFilterController*>(NSOGLColorFilterController::alloc()->init()));
  tint->outletInputFilter = chain.camera.get();
  tint->outletShaderName = RefPtr<NSString>(NSSTR("NSOGLColorFilter"));
  tint->drawableInitialize(nullptr);
  CVPixelBufferRef frame = cocoagltest::createGreenScreenFrame(32, 18, cocoagltest::kPatchWhite);
  ASSERT_TRUE(chain.render(frame));
  tint->setTintColor(NSColor::colorWithCalibratedRed_green_blue_alpha(1, 0, 0, 1));
  tint->setTintAmount(0.5f);
  ASSERT_TRUE(tint->textureUpdate());
  EXPECT_EQ(uniform(tint.get(), "u_tintColor", 4), (std::vector<float>{1, 0, 0, 1}));
  EXPECT_EQ(uniform(tint.get(), "u_tintAmount", 1), (std::vector<float>{0.5f}));
  // White tinted half-way to red.
  const uint32_t pixel = cocoagltest::surfacePixel(tint->renderWithShader()->surface(), 640, 360);
  EXPECT_NEAR(cocoagltest::redOf(pixel), 255, 2);
  EXPECT_NEAR(cocoagltest::greenOf(pixel), 128, 2);
  EXPECT_NEAR(cocoagltest::blueOf(pixel), 128, 2);
  CVPixelBufferRelease(frame);
}

TEST_F(NSOGLImageFilterTest, ControlsAreKeyValueCodedAndResetToTheirDefaults) {
  KeyingChain chain;
  chain.key->setValue_forKeyPath(NSNumber::numberWithDouble(0.75), NSSTR("keyThreshold"));
  EXPECT_FLOAT_EQ(chain.key->keyThreshold(), 0.75f);
  chain.camera->setValue_forKey(NSNumber::numberWithBool(true), NSSTR("cameraSwapTexCoords"));
  EXPECT_TRUE(chain.camera->cameraSwapTexCoords());
  NSColor* red = NSColor::colorWithCalibratedRed_green_blue_alpha(1, 0, 0, 1);
  chain.key->setValue_forKey(red, NSSTR("keyColor"));
  EXPECT_EQ(chain.key->valueForKey(NSSTR("keyColor")), red);
  chain.key->resetDefaults(nullptr);
  chain.camera->resetDefaults(nullptr);
  EXPECT_FLOAT_EQ(chain.key->keyThreshold(), 0.5f);
  EXPECT_FALSE(chain.camera->cameraSwapTexCoords());
  EXPECT_EQ(chain.key->keyColor(), NSOGLFilterColorProperty::calibratedGreen());
  EXPECT_EQ(chain.key->keyBackgroundMode(), 0);
}

}  // namespace
