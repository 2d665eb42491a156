// The prologue of every shader text: a pure function of what the GL says of itself.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "GLSLShader.h"
#include "OpenGLErrors.h"

namespace {

// Every line is formatted in a buffer of this size. The strings put into lines are cut to
// a length that keeps each line within it, so that a line never loses its end.
constexpr size_t kLineBufferSize = 2048;
constexpr size_t kLongestString = 512;

const char* const kVendors[] = {
    "Apple", "Matrox Graphics", "NVIDIA Corporation", "ATI Technologies", "Advanced Micro Devices", "Intel"};

void GLSLShaderAppendFormat(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));

void GLSLShaderAppendFormat(std::string& text, const char* format, ...) {
  char line[kLineBufferSize];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  text += line;
}

std::string cut(const std::string& text) { return text.substr(0, kLongestString); }

void GLSLShaderAppendStringComment(std::string& text, const char* label,
                                   const std::optional<std::string>& value) {
  if (value) GLSLShaderAppendFormat(text, "/* %s='%s' */\r\n", label, cut(*value).c_str());
}

std::optional<std::string> stringOf(GLenum name) {
  OpenGL::drainErrors();
  const GLubyte* value = glGetString(name);
  if (glGetError() != GL_NO_ERROR) {
    OpenGL::drainErrors();
    return std::nullopt;
  }
  return value ? std::string(reinterpret_cast<const char*>(value)) : std::string();
}

std::optional<GLint> integerOf(GLenum name) {
  OpenGL::drainErrors();
  GLint value = 0;
  glGetIntegerv(name, &value);
  if (glGetError() != GL_NO_ERROR) {
    OpenGL::drainErrors();
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::string GLSLShaderMacroName(const std::string& text) {
  std::string name = text;
  for (char& c : name) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
    else if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
      c = '_';
  }
  return name;
}

GLSLShaderEnvironment GLSLShaderEnvironmentOfContext() {
  GLSLShaderEnvironment environment;
  environment.vendor = stringOf(GL_VENDOR);
  environment.renderer = stringOf(GL_RENDERER);
  environment.shadingLanguageVersion = stringOf(GL_SHADING_LANGUAGE_VERSION_ARB);
  const struct {
    const char* label;
    GLenum name;
  } limits[] = {
      {"GL_MAX_VARYING_FLOATS_ARB", GL_MAX_VARYING_FLOATS_ARB},
      {"GL_MAX_TEXTURE_COORDS_ARB", GL_MAX_TEXTURE_COORDS_ARB},
      {"GL_MAX_TEXTURE_IMAGE_UNITS_ARB", GL_MAX_TEXTURE_IMAGE_UNITS_ARB},
      {"GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS_ARB", GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS_ARB},
      {"GL_MAX_FRAGMENT_UNIFORM_COMPONENTS_ARB", GL_MAX_FRAGMENT_UNIFORM_COMPONENTS_ARB},
      {"GL_MAX_VERTEX_UNIFORM_COMPONENTS_ARB", GL_MAX_VERTEX_UNIFORM_COMPONENTS_ARB},
      {"GL_MAX_VERTEX_ATTRIBS_ARB", GL_MAX_VERTEX_ATTRIBS_ARB},
  };
  for (const auto& limit : limits) environment.limits.push_back({limit.label, integerOf(limit.name)});
  return environment;
}

std::string GLSLShaderPrologue(const GLSLShaderEnvironment& environment) {
  std::string text;
  GLSLShaderAppendStringComment(text, "GL_VENDOR", environment.vendor);
  GLSLShaderAppendStringComment(text, "GL_RENDERER", environment.renderer);
  const std::string vendor = GLSLShaderMacroName(environment.vendor.value_or(std::string()));
  bool known = false;
  for (const char* entry : kVendors) {
    const std::string entryName = GLSLShaderMacroName(entry);
    const bool matches = vendor.find(entryName) != std::string::npos;
    known = known || matches;
    GLSLShaderAppendFormat(text, "#define __GL_VENDOR_%s %d\r\n", entryName.c_str(), matches ? 1 : 0);
  }
  GLSLShaderAppendFormat(text, "#define __GL_VENDOR_UNKNOWN %d\r\n", known ? 0 : 1);
  GLSLShaderAppendFormat(text, "#define __GL_RENDERER_%s 1\r\n",
                         cut(GLSLShaderMacroName(environment.renderer.value_or(std::string()))).c_str());
  if (environment.shadingLanguageVersion) {
    GLSLShaderAppendStringComment(text, "GL_SHADING_LANGUAGE_VERSION_ARB",
                                  environment.shadingLanguageVersion);
    const double version = std::strtod(environment.shadingLanguageVersion->c_str(), nullptr);
    GLSLShaderAppendFormat(text, "#define __%s %d\r\n", "GL_SHADING_LANGUAGE_VERSION_ARB",
                           static_cast<int>(version * 100.0 + 0.5));
  }
  for (const char* extension :
       {"GL_ARB_shading_language_100", "GL_ARB_fragment_shader", "GL_ARB_vertex_shader"})
    GLSLShaderAppendFormat(text, "#define __%s %d\r\n", extension, 1);
  for (const GLSLShaderEnvironment::Limit& limit : environment.limits)
    if (limit.value) GLSLShaderAppendFormat(text, "#define __%s %d\r\n", limit.label, *limit.value);
  return text;
}

std::string GLSLShaderSource(const std::string& prologue, const char* text) {
  std::string body = text ? text : "";
  const size_t start = body.find_first_not_of(" \t\r\n");
  if (start != std::string::npos && body.compare(start, 8, "#version") == 0) {
    const size_t end = body.find('\n', start);
    const std::string version = end == std::string::npos ? body : body.substr(0, end + 1);
    const std::string rest = end == std::string::npos ? std::string() : body.substr(end + 1);
    return version + prologue + "\r\n" + rest;
  }
  return prologue + "\r\n" + body;
}
