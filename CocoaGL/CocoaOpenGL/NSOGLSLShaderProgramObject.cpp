#include "NSOGLSLShaderProgramObject.h"

#include <OpenGL/OpenGL.h>

#include "OpenGLErrors.h"
#include "OpenGLSomeContext.h"

OBJC_CLASS_DEFINE(NSOGLSLShaderProgramObject)

NSOGLSLShaderProgramObject* NSOGLSLShaderProgramObject::shaderProgramObjectWithResourceName_shaderSourceClass(
    NSString* name, Class sourceClass) {
  auto* object =
      NSOGLSLShaderProgramObject::alloc()->initWithResourceName_shaderSourceClass(name, sourceClass);
  return static_cast<NSOGLSLShaderProgramObject*>(object->autorelease());
}

NSOGLSLShaderProgramObject* NSOGLSLShaderProgramObject::shaderProgramObjectWithResourceName(NSString* name) {
  return shaderProgramObjectWithResourceName_shaderSourceClass(name, NSOGLShaderSourceCode::class_());
}

NSOGLSLShaderProgramObject* NSOGLSLShaderProgramObject::shaderProgramObjectWithVertexShader_fragmentShader(
    NSString* vertexShader, NSString* fragmentShader) {
  auto* object =
      NSOGLSLShaderProgramObject::alloc()->initWithVertexShader_fragmentShader(vertexShader, fragmentShader);
  return static_cast<NSOGLSLShaderProgramObject*>(object->autorelease());
}

NSOGLSLShaderProgramObject* NSOGLSLShaderProgramObject::build(NSOGLShaderSourceCode* source) {
  mBuiltWithContext = CGLGetCurrentContext() != nullptr;
  if (GLSLShaderCheckExtensions() != 0) return this;
  mShaderSource = RefPtr<NSOGLShaderSourceCode>(source);
  compileLinkNewProgramObject();
  return this;
}

NSOGLSLShaderProgramObject* NSOGLSLShaderProgramObject::initWithResourceName_shaderSourceClass(
    NSString* name, Class sourceClass) {
  return build(NSOGLShaderSourceCode::sourceCodeWithShaderName(sourceClass, name));
}

NSOGLSLShaderProgramObject* NSOGLSLShaderProgramObject::initWithResourceName(NSString* name) {
  return initWithResourceName_shaderSourceClass(name, NSOGLShaderSourceCode::class_());
}

NSOGLSLShaderProgramObject* NSOGLSLShaderProgramObject::initWithVertexShader_fragmentShader(
    NSString* vertexShader, NSString* fragmentShader) {
  return build(NSOGLShaderSourceCode::shaderSourceCodeWithVertexShader_fragmentShader(
      NSOGLShaderSourceCode::class_(), vertexShader, fragmentShader));
}

bool NSOGLSLShaderProgramObject::compileLinkNewProgramObject() {
  setProgramID(0);
  mValidProgramObject = false;
  NSOGLShaderSourceCode* source = mShaderSource.get();
  const char* fragment = source ? source->fragmentShaderCode() : nullptr;
  const char* vertex = source ? source->vertexShaderCode() : nullptr;
  {
    std::lock_guard<std::mutex> monitor(mMonitor);
    mRecord.fragmentText = fragment;
    mRecord.vertexText = vertex;
  }
  if (!fragment || !vertex) return false;
  tagGLSLShaderProgram record{fragment, vertex, 0};
  if (!GLSLShaderBuildProgram(&record)) return false;
  setProgramID(record.program);
  if (!GLSLShaderValidateProgram(&record)) return false;
  source->setCodeChanged(false);
  mValidProgramObject = true;
  return true;
}

GLint NSOGLSLShaderProgramObject::uniformLocation(NSString* name) {
  const char* text = name ? name->UTF8String() : nullptr;
  if (!text) return -1;
  const GLint location = glGetUniformLocationARB(programID(), text);
  OpenGL::drainErrors();
  return location;
}

GLhandleARB NSOGLSLShaderProgramObject::programID() {
  std::lock_guard<std::mutex> monitor(mMonitor);
  return mRecord.program;
}

void NSOGLSLShaderProgramObject::setProgramID(GLhandleARB programID) {
  std::lock_guard<std::mutex> monitor(mMonitor);
  if (mRecord.program && mRecord.program != programID) {
    glDeleteObjectARB(mRecord.program);
    OpenGL::drainErrors();
  }
  mRecord.program = programID;
}

void NSOGLSLShaderProgramObject::dealloc() {
  if (programID()) {
    OpenGL::inSomeContext([&] { setProgramID(0); });
  }
  NSObject::dealloc();
}
