#pragma once
// One compiled, linked and validated GLSL program, shared by every handle of one cached name.
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <OpenGL/gl.h>

#include <mutex>

#include "GLSLShader.h"
#include "NSOGLShaderSourceCode.h"

class NSOGLSLShaderProgramObject : public NSObject {
  OBJC_CLASS_DECL(NSOGLSLShaderProgramObject, NSObject)

 public:
  // New (autoreleased) objects, built in the GL context current on the calling thread.
  static NSOGLSLShaderProgramObject* shaderProgramObjectWithResourceName_shaderSourceClass(NSString* name,
                                                                                           Class sourceClass);
  static NSOGLSLShaderProgramObject* shaderProgramObjectWithResourceName(NSString* name);
  static NSOGLSLShaderProgramObject* shaderProgramObjectWithVertexShader_fragmentShader(
      NSString* vertexShader, NSString* fragmentShader);

  NSOGLSLShaderProgramObject* initWithResourceName_shaderSourceClass(NSString* name, Class sourceClass);
  NSOGLSLShaderProgramObject* initWithResourceName(NSString* name);
  NSOGLSLShaderProgramObject* initWithVertexShader_fragmentShader(NSString* vertexShader,
                                                                  NSString* fragmentShader);

  // Builds the program from the source anew: YES once it compiled, linked and validated.
  bool compileLinkNewProgramObject();
  // -1 for a null name; else the program's location of the uniform (-1 when it has none).
  GLint uniformLocation(NSString* name);

  GLhandleARB programID();
  // Deletes the program it replaces.
  void setProgramID(GLhandleARB programID);
  bool validProgramObject() const { return mValidProgramObject; }
  NSOGLShaderSourceCode* shaderSource() const { return mShaderSource.get(); }
  // Whether a GL context was current when the build was attempted: a failure without one
  // says nothing of the program.
  bool builtWithContext() const { return mBuiltWithContext; }

 protected:
  NSOGLSLShaderProgramObject() = default;
  void dealloc() override;

 private:
  NSOGLSLShaderProgramObject* build(NSOGLShaderSourceCode* source);

  RefPtr<NSOGLShaderSourceCode> mShaderSource;
  tagGLSLShaderProgram mRecord;
  bool mValidProgramObject = false;
  bool mBuiltWithContext = false;
  // The object's monitor over the record's program.
  std::mutex mMonitor;
};
