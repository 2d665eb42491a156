#include "NSOGLShaderSourceCode.h"

#include <Foundation/NSBundle.h>
#include <objc/ClassMethods.h>

#include <fstream>
#include <sstream>

OBJC_CLASS_DEFINE(NSOGLShaderSourceCode)

namespace {

std::string utf8(NSString* text) {
  const char* bytes = text ? text->UTF8String() : nullptr;
  return bytes ? bytes : "";
}

}  // namespace

NSString* NSOGLShaderSourceCode::Meta::sourceCodeFromResource_extension(Class, NSString* name,
                                                                        NSString* extension) const {
  NSString* path = NSBundle::mainBundle()->pathForResource_ofType(name, extension);
  if (!path) return nullptr;
  std::ifstream file(path->UTF8String(), std::ios::binary);
  if (!file) return nullptr;
  std::ostringstream text;
  text << file.rdbuf();
  return NSString::stringWithUTF8String(text.str().c_str());
}

NSOGLShaderSourceCode* NSOGLShaderSourceCode::Meta::shaderSourceCodeWithShaderName(Class cls,
                                                                                   NSString* name) const {
  NSString* fragment = sourceCodeFromResource_extension(cls, name, NSSTR("fs"));
  NSString* vertex = sourceCodeFromResource_extension(cls, name, NSSTR("vs"));
  return shaderSourceCodeWithVertexShader_fragmentShader(cls, vertex, fragment);
}

NSOGLShaderSourceCode* NSOGLShaderSourceCode::sourceCodeWithShaderName(Class cls, NSString* name) {
  return objc::classMethods<NSOGLShaderSourceCode>(cls).shaderSourceCodeWithShaderName(cls, name);
}

NSOGLShaderSourceCode* NSOGLShaderSourceCode::shaderSourceCodeWithVertexShader_fragmentShader(
    Class cls, NSString* vertexShader, NSString* fragmentShader) {
  if (!cls || !class_isSubclassOfClass(cls, NSOGLShaderSourceCode::class_())) return nullptr;
  auto* code = static_cast<NSOGLShaderSourceCode*>(class_createInstance(cls));
  if (!code) return nullptr;
  code = code->initWithVertexShader_fragmentShader(vertexShader, fragmentShader);
  return static_cast<NSOGLShaderSourceCode*>(code->autorelease());
}

NSOGLShaderSourceCode* NSOGLShaderSourceCode::initWithVertexShader_fragmentShader(NSString* vertexShader,
                                                                                  NSString* fragmentShader) {
  mVertexShader = RefPtr<NSString>(vertexShader);
  mFragmentShader = RefPtr<NSString>(fragmentShader);
  mVertexCode = utf8(vertexShader);
  mFragmentCode = utf8(fragmentShader);
  mCodeChanged = true;
  return this;
}
