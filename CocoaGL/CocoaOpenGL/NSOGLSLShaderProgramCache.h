#pragma once
// Program objects by shader name, built once per name in the shared context and shared by
// every handle of the name. Safe to use from several threads. A build that failed with a GL
// context current stays cached (it is not retried); one attempted with no context at all,
// where nothing could be learned, is not kept, so a later request builds again.
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include <map>
#include <mutex>
#include <string>

#include "NSOGLSLShaderProgram.h"
#include "NSOGLSLShaderProgramObject.h"

class NSOGLSLShaderProgramCache : public NSObject {
  OBJC_CLASS_DECL(NSOGLSLShaderProgramCache, NSObject)

 public:
  // Autoreleased.
  static NSOGLSLShaderProgramCache* shaderCacheWithSourceCodeClass(Class sourceCodeClass);
  NSOGLSLShaderProgramCache* initWithSourceCodeClass(Class sourceCodeClass);

  // The program object of the name (borrowed; the cache keeps it), or null.
  NSOGLSLShaderProgramObject* shaderProgramObjectWithName(NSString* name);
  // A new (autoreleased) handle over the name's program object, or null.
  NSOGLSLShaderProgram* shaderProgramWithName(NSString* name);
  NSOGLSLShaderProgram* shaderProgramWithName_delegate(NSString* name, NSObject* delegate);

  Class sourceCodeClass() const { return mSourceCodeClass; }

 protected:
  NSOGLSLShaderProgramCache() = default;

 private:
  NSOGLSLShaderProgramObject* cached(const std::string& name);

  std::mutex mMutex;
  std::map<std::string, RefPtr<NSOGLSLShaderProgramObject>> map_shaderName_to_shaderProgramObject;
  Class mSourceCodeClass = nullptr;
};
