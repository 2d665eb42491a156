#pragma once
// Compiling and linking GLSL programs through the ARB shader-object entry points. Every shader
// text is compiled behind a prologue of comment and #define lines (each ending "\r\n") that
// describe the GL at hand: vendor, renderer, shading-language version and limits, so that one
// text can adapt to the GPU. GL errors are drained after each step; what goes wrong is logged
// through the debug log.
#include <OpenGL/gl.h>

#include <optional>
#include <string>
#include <vector>

struct tagGLSLShaderProgram {
  // Borrowed from the source-code object, which outlives the program object's use of them.
  const char* fragmentText = nullptr;
  const char* vertexText = nullptr;
  GLhandleARB program = 0;
};

// What the prologue describes, read from the current context by GLSLShaderEnvironmentOfContext.
struct GLSLShaderEnvironment {
  struct Limit {
    const char* label;
    std::optional<GLint> value;  // none when reading it raised a GL error
  };
  // None when reading the string raised a GL error; an absent string is an empty one.
  std::optional<std::string> vendor;
  std::optional<std::string> renderer;
  std::optional<std::string> shadingLanguageVersion;
  std::vector<Limit> limits;
};

// The macro form of a text: letters upper-cased, every character that may not stand in a
// macro name (anything but A-Z, 0-9 and "_") an underscore, so that a renderer named
// "llvmpipe (LLVM 15.0.6, 256 bits)" still makes a valid #define.
std::string GLSLShaderMacroName(const std::string& text);
GLSLShaderEnvironment GLSLShaderEnvironmentOfContext();
// The prologue's lines for an environment.
std::string GLSLShaderPrologue(const GLSLShaderEnvironment& environment);
// What is compiled for a shader text: the prologue, an empty line and the text; a text that
// begins with a #version line keeps it first, as GLSL requires.
std::string GLSLShaderSource(const std::string& prologue, const char* text);

// 0 when GL has the four GLSL extensions; else 1, logging each missing one.
int GLSLShaderCheckExtensions();
// A shader object of the kind for the text, compiled (status 1) or not (status 0); 0 when
// there is no text or no object could be made.
GLhandleARB GLSLShaderCompile(GLenum kind, const char* text, GLint* status);
// The compiled shader of the record's text for the kind, or 0 (a failed one is deleted).
GLhandleARB GLSLShaderCompileOrDelete(GLenum kind, tagGLSLShaderProgram* record);
// Links the record's shaders into its program: 1 when linked (at least one shader compiled).
int GLSLShaderBuildProgram(tagGLSLShaderProgram* record);
// 1 when the record's program validates; else logs why and answers 0.
int GLSLShaderValidateProgram(tagGLSLShaderProgram* record);
// Logs the object's info log with a format taking one %s, when the log is not empty.
void GLSLShaderLogInfo(GLhandleARB object, const char* format);
