#include "NSOGLSLShaderProgram.h"

#include <AppKit/NSColor.h>
#include <Foundation/NSLock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "CocoaOpenGLTestSupport.h"
#include "NSOGLSLShaderProgramCache.h"

const char* g_CoreMachDebug_LogPrefix = "ShaderProgramTest";
const char* g_CoreMachDebug_LogFileName = "ShaderProgramTest.log";

namespace {

using cocoagltest::GLTest;

// Sets the uniforms as a filter does, when its program is enabled, and counts the calls.
class UniformSetter : public NSObject, public NSOGLSLShaderProgramDelegate {
 public:
  void shaderProgram_enabled(NSOGLSLShaderProgram* program, bool enabled) override {
    (enabled ? enables : disables)++;
    if (!enabled) return;
    program->setUniform_floatValue(NSSTR("amount"), 0.25f);
    program->setUniform_colorValueRGBA(NSSTR("colour"),
                                       NSColor::colorWithCalibratedRed_green_blue_alpha(1, 0.5, 0, 1));
    const float rgb[3] = {0.1f, 0.2f, 0.3f};
    program->setUniform_rgbColorValue(NSSTR("rgb"), rgb);
    program->setUniform_sizeValue(NSSTR("size"), CGSizeMake(1280, 720));
    const float m2[4] = {1, 2, 3, 4};
    program->setUniform_matrix2Value(NSSTR("m2"), m2);
    program->setUniform_unsignedValue(NSSTR("count"), 7);
    program->setUniform_floatValue(NSSTR("nosuchuniform"), 1.0f);
    program->setUniform_vec4Value(NSSTR("colour"), nullptr);
  }
  int enables = 0, disables = 0;
};

std::vector<float> uniformValues(NSOGLSLShaderProgram* program, const char* name, int count) {
  std::vector<float> values(16, 0.0f);
  glGetUniformfvARB(program->shaderProgramObject()->programID(),
                    program->uniformLocation(NSString::stringWithUTF8String(name)), values.data());
  values.resize(count);
  return values;
}

class NSOGLSLShaderProgramTest : public GLTest {};

TEST_F(NSOGLSLShaderProgramTest, CachedNameIsBuiltOnceAndShared) {
  NSOGLSLShaderProgram* first = NSOGLSLShaderProgram::shaderProgramWithResourceName(NSSTR("Passthrough"));
  NSOGLSLShaderProgram* second = NSOGLSLShaderProgram::shaderProgramWithResourceName(NSSTR("Passthrough"));
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  EXPECT_EQ(first->shaderProgramObject(), second->shaderProgramObject());
  EXPECT_NE(first->shaderLock(), second->shaderLock()) << "handles share the program, not the lock";
  EXPECT_TRUE(first->shaderCanBeEnabled()) << log();
  EXPECT_FALSE(first->shaderProgramObject()->shaderSource()->codeChanged());
  NSOGLSLShaderProgram* own = NSOGLSLShaderProgram::shaderProgramWithResourceName_shaderSourceClass(
      NSSTR("Passthrough"), NSOGLShaderSourceCode::class_());
  EXPECT_NE(own->shaderProgramObject(), first->shaderProgramObject()) << "the uncached path builds anew";
  EXPECT_TRUE(own->shaderCanBeEnabled());
}

TEST_F(NSOGLSLShaderProgramTest, MissingTextsGiveAProgramThatCannotBeEnabled) {
  NSOGLSLShaderProgram* missing = NSOGLSLShaderProgram::shaderProgramWithResourceName(NSSTR("NoSuchShader"));
  ASSERT_NE(missing, nullptr);
  EXPECT_FALSE(missing->shaderCanBeEnabled());
  EXPECT_EQ(NSOGLSLShaderProgram::shaderProgramWithResourceName(NSSTR("NoSuchShader"))->shaderProgramObject(),
            missing->shaderProgramObject())
      << "a failure with a context is kept, not retried";
  NSOGLSLShaderProgram* halfMissing =
      NSOGLSLShaderProgram::shaderProgramWithResourceName(NSSTR("OnlyFragment"));
  EXPECT_FALSE(halfMissing->shaderCanBeEnabled()) << "a program needs both texts";
  EXPECT_EQ(NSOGLSLShaderProgram::shaderProgramWithResourceName(nullptr), nullptr);
}

TEST_F(NSOGLSLShaderProgramTest, BrokenVertexShaderStillLinksWithItsFragmentShader) {
  NSOGLSLShaderProgram* program = NSOGLSLShaderProgram::shaderProgramWithResourceName_shaderSourceClass(
      NSSTR("BrokenVertex"), NSOGLShaderSourceCode::class_());
  EXPECT_TRUE(program->shaderCanBeEnabled()) << log();
  EXPECT_NE(log().find(">> GLSLShader WARNING: Failed to compile shader!"), std::string::npos);
}

TEST_F(NSOGLSLShaderProgramTest, VersionedTextsCompileBehindThePrologue) {
  EXPECT_TRUE(NSOGLSLShaderProgram::shaderProgramWithResourceName(NSSTR("Versioned"))->shaderCanBeEnabled())
      << log();
}

TEST_F(NSOGLSLShaderProgramTest, DelegateSetsUniformsWhileEnabled) {
  RefPtr<UniformSetter> setter = adopt(new UniformSetter);
  NSOGLSLShaderProgram* program = NSOGLSLShaderProgram::sharedProgramCache()->shaderProgramWithName_delegate(
      NSSTR("Uniforms"), setter.get());
  ASSERT_TRUE(program->shaderCanBeEnabled()) << log();
  EXPECT_EQ(program->delegate(), setter.get());
  EXPECT_TRUE(program->enable());
  EXPECT_TRUE(program->shaderEnabled());
  EXPECT_EQ(setter->enables, 1);
  EXPECT_EQ(uniformValues(program, "amount", 1), std::vector<float>{0.25f});
  EXPECT_EQ(uniformValues(program, "colour", 4), (std::vector<float>{1, 0.5f, 0, 1}));
  EXPECT_EQ(uniformValues(program, "rgb", 3), (std::vector<float>{0.1f, 0.2f, 0.3f}));
  EXPECT_EQ(uniformValues(program, "size", 2), (std::vector<float>{1280, 720}));
  EXPECT_EQ(uniformValues(program, "m2", 4), (std::vector<float>{1, 2, 3, 4}));
  EXPECT_EQ(uniformValues(program, "count", 1), std::vector<float>{7});
  program->disable();
  EXPECT_FALSE(program->shaderEnabled());
  EXPECT_EQ(setter->disables, 1);
  // Disabled, a setter changes nothing.
  program->setUniform_floatValue(NSSTR("amount"), 0.75f);
  EXPECT_EQ(uniformValues(program, "amount", 1), std::vector<float>{0.25f});
  EXPECT_EQ(program->uniformLocation(nullptr), -1);
  EXPECT_EQ(program->uniformLocation(NSSTR("nosuchuniform")), -1);
}

TEST_F(NSOGLSLShaderProgramTest, ProgramThatCannotBeEnabledStillTakesAndGivesBackItsLock) {
  NSOGLSLShaderProgram* missing = NSOGLSLShaderProgram::shaderProgramWithResourceName(NSSTR("NoSuchShader"));
  {
    NSOGLSLShaderProgram::EnabledScope scope(missing);
    EXPECT_FALSE(scope.enabled());
    bool takenElsewhere = true;
    std::thread([&] {
      takenElsewhere = missing->shaderLock()->tryLock();
      if (takenElsewhere) missing->shaderLock()->unlock();
    }).join();
    EXPECT_FALSE(takenElsewhere) << "held from enable to disable";
  }
  bool freed = false;
  std::thread([&] {
    freed = missing->shaderLock()->tryLock();
    if (freed) missing->shaderLock()->unlock();
  }).join();
  EXPECT_TRUE(freed);
}

TEST_F(NSOGLSLShaderProgramTest, CacheAnswersOneObjectToThreadsAskingAtOnce) {
  NSOGLSLShaderProgramCache* cache =
      NSOGLSLShaderProgramCache::shaderCacheWithSourceCodeClass(NSOGLShaderSourceCode::class_());
  std::vector<NSOGLSLShaderProgramObject*> objects(8, nullptr);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < objects.size(); ++i)
    threads.emplace_back([&, i] {
      objects[i] = cache->shaderProgramObjectWithName(NSSTR("Passthrough"));
      NSOpenGLContext::clearCurrentContext();
    });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(std::set<NSOGLSLShaderProgramObject*>(objects.begin(), objects.end()).size(), 1u);
  EXPECT_TRUE(objects[0]->validProgramObject());
}

TEST_F(NSOGLSLShaderProgramTest, BuildWithoutAContextIsMarkedSo) {
  NSOpenGLContext::clearCurrentContext();
  NSOGLSLShaderProgramObject* object =
      NSOGLSLShaderProgramObject::shaderProgramObjectWithResourceName(NSSTR("Passthrough"));
  EXPECT_FALSE(object->validProgramObject());
  EXPECT_FALSE(object->builtWithContext());
  EXPECT_NE(log().find(">> GLSLShader WARNING: \"GL_ARB_shader_objects\" extension is not available!"),
            std::string::npos);
  NSOGLSharingContext::defaultSharedContext()->makeCurrentContext();
  EXPECT_TRUE(NSOGLSLShaderProgramObject::shaderProgramObjectWithResourceName(NSSTR("Passthrough"))
                  ->builtWithContext());
}

TEST_F(NSOGLSLShaderProgramTest, ProgramIsDeletedWithItsLastOwnerWhereverThatIs) {
  for (bool elsewhere : {false, true}) {
    RefPtr<NSOGLSLShaderProgramObject> object =
        adopt(NSOGLSLShaderProgramObject::alloc()->initWithVertexShader_fragmentShader(
            NSSTR("void main() { gl_Position = ftransform(); }"),
            NSSTR("void main() { gl_FragColor = vec4(1.0); }")));
    ASSERT_TRUE(object->validProgramObject());
    const GLhandleARB id = object->programID();
    EXPECT_TRUE(glIsProgram(id));
    if (elsewhere)
      std::thread([&] { object = nullptr; }).join();  // a thread that has no context
    else
      object = nullptr;
    EXPECT_FALSE(glIsProgram(id)) << (elsewhere ? "released on a thread without a context" : "released here");
  }
}

}  // namespace
