#include "NSOGLTextureBase.h"

#include <CoreFoundation/CFString.h>
#include <Foundation/NSLock.h>

#include "OpenGLErrors.h"
#include "OpenGLSomeContext.h"

OBJC_CLASS_DEFINE(NSOGLTextureBase)

namespace {

bool makesGLTexture(uint32_t target) { return target == GL_TEXTURE_2D || target == GL_TEXTURE_RECTANGLE_ARB; }

}  // namespace

NSObject* NSOGLTextureBase::init() {
  return initWithTextureTarget_textureWidth_textureHeight(GL_TEXTURE_2D, 0, 0);
}

NSOGLTextureBase* NSOGLTextureBase::initWithTextureTarget_textureWidth_textureHeight(uint32_t target,
                                                                                     uint32_t width,
                                                                                     uint32_t height) {
  mTextureName = kNoTextureName;
  mTextureTarget = target;
  mTextureWidth = width;
  mTextureHeight = height;
  if (makesGLTexture(target)) {
    createTextureID();
    setTextureUpdateNeeded(true);
    textureUpdate();
  }
  return this;
}

NSOGLTextureBase* NSOGLTextureBase::initWithTextureTarget_textureWidth_textureHeight_openGLContext(
    uint32_t target, uint32_t width, uint32_t height, NSOpenGLContext*) {
  return initWithTextureTarget_textureWidth_textureHeight(target, width, height);
}

NSOGLTextureBase* NSOGLTextureBase::initWithTextureName_textureTarget_textureWidth_textureHeight_needsUpdate(
    uint32_t name, uint32_t target, uint32_t width, uint32_t height, bool needsUpdate) {
  mTextureName = name;
  mTextureTarget = target;
  mTextureWidth = width;
  mTextureHeight = height;
  setTextureUpdateNeeded(needsUpdate);
  if (needsUpdate) textureUpdate();
  return this;
}

GLenum NSOGLTextureBase::bindingQuery() const {
  return mTextureTarget == GL_TEXTURE_RECTANGLE_ARB ? GL_TEXTURE_BINDING_RECTANGLE_ARB
                                                    : GL_TEXTURE_BINDING_2D;
}

GLint NSOGLTextureBase::currentBinding() const {
  GLint name = -1;
  glGetIntegerv(bindingQuery(), &name);
  return name;
}

void NSOGLTextureBase::restoreBinding(GLint name) const {
  if (name != -1) glBindTexture(mTextureTarget, static_cast<GLuint>(name));
}

void NSOGLTextureBase::createTextureID() {
  CGLContextObj context = CGLGetCurrentContext();
  if (!context) return;
  CGLLockContext(context);
  OpenGL::drainErrors();
  GLuint name = 0;
  glGenTextures(1, &name);
  mTextureName = name;
  OpenGL::drainErrors();
  const GLint remembered = currentBinding();
  glBindTexture(mTextureTarget, name);
  OpenGL::drainErrors();
  initTextureProperties();
  restoreBinding(remembered);
  OpenGL::drainErrors();
  CGLUnlockContext(context);
}

void NSOGLTextureBase::initTextureProperties() {
  CGLContextObj context = CGLGetCurrentContext();
  if (!context) return;
  CGLLockContext(context);
  glTexParameteri(mTextureTarget, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(mTextureTarget, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  const GLint wrap = mTextureTarget == GL_TEXTURE_2D ? GL_REPEAT : GL_CLAMP_TO_EDGE;
  glTexParameteri(mTextureTarget, GL_TEXTURE_WRAP_S, wrap);
  glTexParameteri(mTextureTarget, GL_TEXTURE_WRAP_T, wrap);
  OpenGL::drainErrors();
  CGLUnlockContext(context);
}

NSRecursiveLock* NSOGLTextureBase::optionalMutex() const {
  std::lock_guard<std::mutex> guard(mOptionalMutexGuard);
  return mOptionalMutex.get();
}

void NSOGLTextureBase::setOptionalMutex(NSRecursiveLock* mutex) {
  std::lock_guard<std::mutex> guard(mOptionalMutexGuard);
  mOptionalMutex = RefPtr<NSRecursiveLock>(mutex);
}

RefPtr<NSRecursiveLock> NSOGLTextureBase::lockMadeOnFirstUse() {
  std::lock_guard<std::mutex> guard(mOptionalMutexGuard);
  if (!mOptionalMutex)
    mOptionalMutex = adopt(static_cast<NSRecursiveLock*>(NSRecursiveLock::alloc()->init()));
  return mOptionalMutex;
}

void NSOGLTextureBase::lock() { lockMadeOnFirstUse()->lock(); }

bool NSOGLTextureBase::tryLock() { return lockMadeOnFirstUse()->tryLock(); }

void NSOGLTextureBase::unlock() {
  RefPtr<NSRecursiveLock> mutex(optionalMutex());
  if (mutex) mutex->unlock();
}

float NSOGLTextureBase::targetTextureCoordSMax() const {
  return mTextureTarget == GL_TEXTURE_RECTANGLE_ARB ? static_cast<float>(mTextureWidth) : 1.0f;
}

float NSOGLTextureBase::targetTextureCoordTMax() const {
  return mTextureTarget == GL_TEXTURE_RECTANGLE_ARB ? static_cast<float>(mTextureHeight) : 1.0f;
}

bool NSOGLTextureBase::textureUpdateNull() {
  CGLContextObj context = CGLGetCurrentContext();
  if (!context) return false;
  CGLLockContext(context);
  const GLint remembered = currentBinding();
  glBindTexture(mTextureTarget, mTextureName);
  glTexImage2D(mTextureTarget, 0, GL_RGBA, mTextureWidth, mTextureHeight, 0, GL_BGRA,
               GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
  OpenGL::drainErrors();
  restoreBinding(remembered);
  setDirty(false);
  CGLUnlockContext(context);
  return false;
}

void NSOGLTextureBase::textureWithMatrix(const tagNSOGLNormalTextureMatrix* matrix) {
  CGLContextObj context = CGLGetCurrentContext();
  if (!context) return;
  CGLLockContext(context);
  applyTextureMatrix_textureMatrix_context(this, matrix, context);
  CGLUnlockContext(context);
}

void NSOGLTextureBase::applyTextureMatrix_textureMatrix_context(protocol_NSOGLTexture* texture,
                                                                const tagNSOGLNormalTextureMatrix* matrix,
                                                                CGLContextObj) {
  glLoadIdentity();
  if (!matrix || !texture) return;
  const float sMin = texture->textureCoordSMin(), sMax = texture->textureCoordSMax();
  const float tMin = texture->textureCoordTMin(), tMax = texture->textureCoordTMax();
  const float s = sMax != 0.0f ? sMax : sMin;
  const float t = tMax != 0.0f ? tMax : tMin;
  glTranslatef(s * 0.5f, t * 0.5f, 0.0f);
  const float factor = 2.0f * matrix->scale;
  if (factor != 1.0f) glScalef(factor, factor, 1.0f);
  const float sx = sMin > sMax ? -1.0f : 1.0f;
  const float ty = tMin > tMax ? -1.0f : 1.0f;
  glRotatef(matrix->angle * 360.0f * sx * ty, 0.0f, 0.0f, 1.0f);
  glTranslatef(-0.5f * s, -0.5f * t, 0.0f);
  const float c = CoreGeometry::T_clamped_value<float>::clamp(1.0f - matrix->translate_x, 0.0f, 1.0f);
  glTranslatef(sx * (c * 2.0f * s - s), ty * (2.0f * t * matrix->translate_y - t), 0.0f);
}

void NSOGLTextureBase::dealloc() {
  if (mTextureName != 0 && mTextureName != kNoTextureName) {
    // Also from a thread without a context: a surface the texture shows is let go with it.
    const GLuint name = mTextureName;
    OpenGL::inSomeContext([&] {
      glDeleteTextures(1, &name);
      OpenGL::drainErrors();
    });
  }
  setOptionalMutex(nullptr);
  protocol_NSOGLDynamicTexture::dealloc();
}

const __CFString* NSOGLTextureBase::copyDescription() const {
  return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("NSOGLTextureBase{name:%d target:%d (%dx%d)}"),
                                  static_cast<int>(mTextureName), static_cast<int>(mTextureTarget),
                                  static_cast<int>(mTextureWidth), static_cast<int>(mTextureHeight));
}
