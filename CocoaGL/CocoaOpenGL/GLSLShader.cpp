#include "GLSLShader.h"

#include <CoreMachDebug.h>
#include <OpenGL/glu.h>

#include <vector>

#include "OpenGLErrors.h"

int GLSLShaderCheckExtensions() {
  const GLubyte* extensions = glGetString(GL_EXTENSIONS);
  OpenGL::drainErrors();
  int missing = 0;
  for (const char* extension : {"GL_ARB_shader_objects", "GL_ARB_shading_language_100",
                                "GL_ARB_vertex_shader", "GL_ARB_fragment_shader"}) {
    if (extensions && gluCheckExtension(reinterpret_cast<const GLubyte*>(extension), extensions)) continue;
    ZidaZoraDurodAri(">> GLSLShader WARNING: \"%s\" extension is not available!", extension);
    missing = 1;
  }
  return missing;
}

void GLSLShaderLogInfo(GLhandleARB object, const char* format) {
  GLint length = 0;
  glGetObjectParameterivARB(object, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
  OpenGL::drainErrors();
  if (length <= 0) return;
  std::vector<GLcharARB> log(static_cast<size_t>(length) + 1, '\0');
  glGetInfoLogARB(object, length, nullptr, log.data());
  OpenGL::drainErrors();
  if (log[0] == '\0') return;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
  ZidaZoraDurodAri(format, log.data());
#pragma GCC diagnostic pop
}

GLhandleARB GLSLShaderCompile(GLenum kind, const char* text, GLint* status) {
  *status = 0;
  if (!text) return 0;
  GLhandleARB shader = glCreateShaderObjectARB(kind);
  if (!shader) return 0;
  OpenGL::drainErrors();
  const std::string source = GLSLShaderSource(GLSLShaderPrologue(GLSLShaderEnvironmentOfContext()), text);
  const GLcharARB* sources[] = {source.c_str()};
  glShaderSourceARB(shader, 1, sources, nullptr);
  OpenGL::drainErrors();
  glCompileShaderARB(shader);
  OpenGL::drainErrors();
  GLSLShaderLogInfo(shader, ">> GLSLShader Shader compile log:\n%s\n");
  glGetObjectParameterivARB(shader, GL_OBJECT_COMPILE_STATUS_ARB, status);
  OpenGL::drainErrors();
  if (*status == 0) ZidaZoraDurodAri(">> GLSLShader WARNING: Failed to compile shader!\n%s\n", text);
  return shader;
}

GLhandleARB GLSLShaderCompileOrDelete(GLenum kind, tagGLSLShaderProgram* record) {
  GLint status = 0;
  const char* text = kind == GL_VERTEX_SHADER_ARB ? record->vertexText : record->fragmentText;
  GLhandleARB shader = GLSLShaderCompile(kind, text, &status);
  if (shader && status == 0) {
    glDeleteObjectARB(shader);
    OpenGL::drainErrors();
    return 0;
  }
  return shader;
}

int GLSLShaderBuildProgram(tagGLSLShaderProgram* record) {
  const GLhandleARB vertex = GLSLShaderCompileOrDelete(GL_VERTEX_SHADER_ARB, record);
  const GLhandleARB fragment = GLSLShaderCompileOrDelete(GL_FRAGMENT_SHADER_ARB, record);
  record->program = 0;
  if (!vertex && !fragment) return 0;
  GLhandleARB program = glCreateProgramObjectARB();
  if (!program) {
    // The compiled shaders have nothing to be attached to.
    for (GLhandleARB shader : {vertex, fragment})
      if (shader) glDeleteObjectARB(shader);
    OpenGL::drainErrors();
    return 0;
  }
  OpenGL::drainErrors();
  for (GLhandleARB shader : {vertex, fragment}) {
    if (!shader) continue;
    glAttachObjectARB(program, shader);
    OpenGL::drainErrors();
    // Attached, it lives on with the program.
    glDeleteObjectARB(shader);
  }
  glLinkProgramARB(program);
  OpenGL::drainErrors();
  GLSLShaderLogInfo(program, ">> GLSLShader Program link log:\n%s\n");
  GLint linked = 0;
  glGetObjectParameterivARB(program, GL_OBJECT_LINK_STATUS_ARB, &linked);
  OpenGL::drainErrors();
  if (!linked) {
    ZidaZoraDurodAri(">> GLSLShader WARNING: Failed to link program\n");
    glDeleteObjectARB(program);
    OpenGL::drainErrors();
    return 0;
  }
  record->program = program;
  return 1;
}

int GLSLShaderValidateProgram(tagGLSLShaderProgram* record) {
  glValidateProgramARB(record->program);
  OpenGL::drainErrors();
  GLint valid = 0;
  glGetObjectParameterivARB(record->program, GL_OBJECT_VALIDATE_STATUS_ARB, &valid);
  OpenGL::drainErrors();
  if (valid) return 1;
  GLSLShaderLogInfo(record->program, ">> GLSLShader ERROR: In validating program object!\n%s\n");
  return 0;
}
