#pragma once
// The texts of a vertex and a fragment shader. The default source-code class reads them from
// the application bundle's resources NAME.vs and NAME.fs; subclasses take them from elsewhere
// by overriding sourceCodeFromResource_extension.
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include <string>

// What every source-code class answers (NSOGLShaderSourceCodeProtocol).
class NSOGLShaderSourceCode : public NSObject {
  OBJC_CLASS_DECL(NSOGLShaderSourceCode, NSObject)

 public:
  struct Meta : NSObject::Meta {
    // The text of the resource (name, extension) of the main bundle; null when the resource
    // or its file is missing. Read as UTF-8.
    virtual NSString* sourceCodeFromResource_extension(Class cls, NSString* name, NSString* extension) const;
    // A new (autoreleased) instance of cls with the fragment text of name.fs and the vertex
    // text of name.vs, both asked of cls.
    virtual NSOGLShaderSourceCode* shaderSourceCodeWithShaderName(Class cls, NSString* name) const;
  };

  static NSOGLShaderSourceCode* sourceCodeWithShaderName(Class cls, NSString* name);
  // A new (autoreleased) instance of cls with the two texts.
  static NSOGLShaderSourceCode* shaderSourceCodeWithVertexShader_fragmentShader(Class cls,
                                                                                NSString* vertexShader,
                                                                                NSString* fragmentShader);

  virtual NSOGLShaderSourceCode* initWithVertexShader_fragmentShader(NSString* vertexShader,
                                                                     NSString* fragmentShader);

  bool codeChanged() const { return mCodeChanged; }
  void setCodeChanged(bool changed) { mCodeChanged = changed; }
  NSString* vertexShader() const { return mVertexShader.get(); }
  NSString* fragmentShader() const { return mFragmentShader.get(); }
  // The texts as UTF-8, valid while this object lives; null for an absent text.
  const char* vertexShaderCode() const { return mVertexShader ? mVertexCode.c_str() : nullptr; }
  const char* fragmentShaderCode() const { return mFragmentShader ? mFragmentCode.c_str() : nullptr; }

 protected:
  NSOGLShaderSourceCode() = default;

 private:
  bool mCodeChanged = true;
  RefPtr<NSString> mVertexShader;
  RefPtr<NSString> mFragmentShader;
  std::string mVertexCode;
  std::string mFragmentCode;
};
