#include "GLSLShader.h"

#include <gtest/gtest.h>

#include <string>

#include "CocoaOpenGLTestSupport.h"

const char* g_CoreMachDebug_LogPrefix = "GLSLShaderTest";
const char* g_CoreMachDebug_LogFileName = "GLSLShaderTest.log";

namespace {

GLSLShaderEnvironment environment(const char* vendor, const char* renderer) {
  GLSLShaderEnvironment e;
  e.vendor = vendor;
  e.renderer = renderer;
  e.shadingLanguageVersion = "1.20";
  e.limits = {{"GL_MAX_VARYING_FLOATS_ARB", 32}, {"GL_MAX_TEXTURE_COORDS_ARB", std::nullopt}};
  return e;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(GLSLShaderMacroName, KeepsOnlyWhatAMacroNameMayHold) {
  EXPECT_EQ(GLSLShaderMacroName("NVIDIA Corporation"), "NVIDIA_CORPORATION");
  EXPECT_EQ(GLSLShaderMacroName("llvmpipe (LLVM 15.0.6, 256 bits)"), "LLVMPIPE__LLVM_15_0_6__256_BITS_");
  EXPECT_EQ(GLSLShaderMacroName("Mesa/X.org"), "MESA_X_ORG");
  EXPECT_EQ(GLSLShaderMacroName(""), "");
}

struct VendorCase {
  const char* vendor;
  const char* setMacro;  // the one vendor macro that is 1, or __GL_VENDOR_UNKNOWN
};

class GLSLShaderPrologueVendors : public testing::TestWithParam<VendorCase> {};

TEST_P(GLSLShaderPrologueVendors, NamesTheVendorItMatches) {
  const std::string prologue = GLSLShaderPrologue(environment(GetParam().vendor, "Renderer"));
  for (const char* macro :
       {"__GL_VENDOR_APPLE", "__GL_VENDOR_MATROX_GRAPHICS", "__GL_VENDOR_NVIDIA_CORPORATION",
        "__GL_VENDOR_ATI_TECHNOLOGIES", "__GL_VENDOR_ADVANCED_MICRO_DEVICES", "__GL_VENDOR_INTEL",
        "__GL_VENDOR_UNKNOWN"}) {
    const bool set = std::string(macro) == GetParam().setMacro;
    EXPECT_TRUE(contains(prologue, std::string("#define ") + macro + (set ? " 1\r\n" : " 0\r\n"))) << macro;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Vendors, GLSLShaderPrologueVendors,
    testing::Values(VendorCase{"NVIDIA Corporation", "__GL_VENDOR_NVIDIA_CORPORATION"},
                    VendorCase{"Intel Open Source Technology Center", "__GL_VENDOR_INTEL"},
                    VendorCase{"Mesa/X.org", "__GL_VENDOR_UNKNOWN"}, VendorCase{"", "__GL_VENDOR_UNKNOWN"}));

TEST(GLSLShaderPrologue, DescribesTheGLInLinesOfItsOwn) {
  const std::string prologue =
      GLSLShaderPrologue(environment("Mesa/X.org", "llvmpipe (LLVM 15.0.6, 256 bits)"));
  EXPECT_EQ(
      prologue.rfind(
          "/* GL_VENDOR='Mesa/X.org' */\r\n/* GL_RENDERER='llvmpipe (LLVM 15.0.6, 256 bits)' */\r\n", 0),
      0u);
  EXPECT_TRUE(contains(prologue, "#define __GL_RENDERER_LLVMPIPE__LLVM_15_0_6__256_BITS_ 1\r\n"));
  EXPECT_TRUE(contains(prologue,
                       "/* GL_SHADING_LANGUAGE_VERSION_ARB='1.20' */\r\n"
                       "#define __GL_SHADING_LANGUAGE_VERSION_ARB 120\r\n"));
  EXPECT_TRUE(contains(prologue,
                       "#define __GL_ARB_shading_language_100 1\r\n#define __GL_ARB_fragment_shader 1\r\n"
                       "#define __GL_ARB_vertex_shader 1\r\n"));
  EXPECT_TRUE(contains(prologue, "#define __GL_MAX_VARYING_FLOATS_ARB 32\r\n"));
  EXPECT_FALSE(contains(prologue, "GL_MAX_TEXTURE_COORDS_ARB"))
      << "a limit that could not be read is left out";
}

TEST(GLSLShaderPrologue, StringsThatCouldNotBeReadAreLeftOut) {
  GLSLShaderEnvironment e;
  const std::string prologue = GLSLShaderPrologue(e);
  EXPECT_FALSE(contains(prologue, "/*"));
  EXPECT_TRUE(contains(prologue, "#define __GL_VENDOR_UNKNOWN 1\r\n"));
  EXPECT_FALSE(contains(prologue, "__GL_SHADING_LANGUAGE_VERSION_ARB"));
}

TEST(GLSLShaderPrologue, LongRendererLinesKeepTheirEnds) {
  const std::string renderer(5000, 'x');
  const std::string prologue = GLSLShaderPrologue(environment("Vendor", renderer.c_str()));
  for (size_t start = 0; start < prologue.size();) {
    const size_t end = prologue.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "a line without its end";
    EXPECT_LT(end - start, 2048u);
    const std::string line = prologue.substr(start, end - start);
    EXPECT_TRUE(line.rfind("#define ", 0) == 0 || (line.rfind("/* ", 0) == 0 && line.ends_with(" */")))
        << line;
    start = end + 2;
  }
}

TEST(GLSLShaderSource, KeepsAVersionLineFirst) {
  EXPECT_EQ(GLSLShaderSource("P\r\n", "void main() {}"), "P\r\n\r\nvoid main() {}");
  EXPECT_EQ(GLSLShaderSource("P\r\n", "#version 120\nvoid main() {}"),
            "#version 120\nP\r\n\r\nvoid main() {}");
}

class GLSLShaderBuild : public cocoagltest::GLTest {};

TEST_F(GLSLShaderBuild, CompilesOnThisMachinesRenderer) {
  EXPECT_EQ(GLSLShaderCheckExtensions(), 0);
  GLint status = -1;
  GLhandleARB shader = GLSLShaderCompile(
      GL_FRAGMENT_SHADER_ARB,
      "#ifdef __GL_VENDOR_UNKNOWN\nvoid main() { gl_FragColor = vec4(1.0); }\n#endif\n", &status);
  ASSERT_NE(shader, 0u);
  EXPECT_EQ(status, 1) << log();
  glDeleteObjectARB(shader);
  GLhandleARB versioned = GLSLShaderCompile(
      GL_FRAGMENT_SHADER_ARB, "#version 120\nvoid main() { gl_FragColor = vec4(1.0); }\n", &status);
  EXPECT_EQ(status, 1) << log();
  glDeleteObjectARB(versioned);
  EXPECT_EQ(GLSLShaderCompile(GL_FRAGMENT_SHADER_ARB, nullptr, &status), 0u);
  EXPECT_EQ(status, 0);
}

TEST_F(GLSLShaderBuild, LinksWhenOneShaderCompiled) {
  tagGLSLShaderProgram record;
  record.vertexText = "void main() { broken }";
  record.fragmentText = "void main() { gl_FragColor = vec4(1.0); }";
  EXPECT_EQ(GLSLShaderBuildProgram(&record), 1);
  EXPECT_NE(record.program, 0u);
  EXPECT_EQ(GLSLShaderValidateProgram(&record), 1);
  EXPECT_TRUE(contains(log(), ">> GLSLShader WARNING: Failed to compile shader!\nvoid main() { broken }\n"))
      << log();
  glDeleteObjectARB(record.program);

  tagGLSLShaderProgram neither;
  neither.vertexText = "broken";
  neither.fragmentText = "broken too";
  EXPECT_EQ(GLSLShaderBuildProgram(&neither), 0);
  EXPECT_EQ(neither.program, 0u);
}

}  // namespace
