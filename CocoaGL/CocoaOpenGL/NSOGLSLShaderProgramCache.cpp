#include "NSOGLSLShaderProgramCache.h"

#include <OpenGL/OpenGL.h>

#include "NSOGLSharingContext.h"
#include "namespace_OpenGL_CGLContextState.h"

OBJC_CLASS_DEFINE(NSOGLSLShaderProgramCache)

NSOGLSLShaderProgramCache* NSOGLSLShaderProgramCache::shaderCacheWithSourceCodeClass(Class sourceCodeClass) {
  auto* cache = NSOGLSLShaderProgramCache::alloc()->initWithSourceCodeClass(sourceCodeClass);
  return static_cast<NSOGLSLShaderProgramCache*>(cache->autorelease());
}

NSOGLSLShaderProgramCache* NSOGLSLShaderProgramCache::initWithSourceCodeClass(Class sourceCodeClass) {
  mSourceCodeClass = sourceCodeClass;
  return this;
}

NSOGLSLShaderProgramObject* NSOGLSLShaderProgramCache::cached(const std::string& name) {
  std::lock_guard<std::mutex> lock(mMutex);
  auto found = map_shaderName_to_shaderProgramObject.find(name);
  return found == map_shaderName_to_shaderProgramObject.end() ? nullptr : found->second.get();
}

NSOGLSLShaderProgramObject* NSOGLSLShaderProgramCache::shaderProgramObjectWithName(NSString* name) {
  const char* text = name ? name->UTF8String() : nullptr;
  if (!text) return nullptr;
  const std::string key = text;
  if (NSOGLSLShaderProgramObject* object = cached(key)) return object;
  // Builds run under the shared context's lock, so one name is built once even when several
  // threads ask at once; the cache's own lock is never held while waiting for the context's.
  OpenGL::CGLContextStateLock guard(NSOGLSharingContext::defaultSharedContext());
  if (NSOGLSLShaderProgramObject* object = cached(key)) return object;
  RefPtr<NSOGLSLShaderProgramObject> object(
      NSOGLSLShaderProgramObject::shaderProgramObjectWithResourceName_shaderSourceClass(name,
                                                                                        mSourceCodeClass));
  if (!object) return nullptr;
  std::lock_guard<std::mutex> lock(mMutex);
  // Autoreleased by its maker, it outlives this scope without the cache.
  if (!object->validProgramObject() && !object->builtWithContext()) return object.get();
  return map_shaderName_to_shaderProgramObject.emplace(key, object).first->second.get();
}

NSOGLSLShaderProgram* NSOGLSLShaderProgramCache::shaderProgramWithName(NSString* name) {
  NSOGLSLShaderProgramObject* object = shaderProgramObjectWithName(name);
  return object ? NSOGLSLShaderProgram::shaderProgramWithResourceName_shaderProgramObject(name, object)
                : nullptr;
}

NSOGLSLShaderProgram* NSOGLSLShaderProgramCache::shaderProgramWithName_delegate(NSString* name,
                                                                                NSObject* delegate) {
  NSOGLSLShaderProgram* program = shaderProgramWithName(name);
  if (program) program->setDelegate(delegate);
  return program;
}
