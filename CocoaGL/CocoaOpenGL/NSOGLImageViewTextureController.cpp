#include "NSOGLImageViewTextureController.h"

#include <Foundation/NSKeyValueCoding.h>
#include <objc/ClassMethods.h>

#include "NSOGLSharingContext.h"
#include "namespace_OpenGL_CGLContextState.h"

OBJC_CLASS_DEFINE(NSOGLImageViewTextureController)

NS_PROPERTIES(NSOGLImageViewTextureController,
              NS_PROPERTY("pictureImageView", &NSOGLImageViewTextureController::pictureImageView,
                          &NSOGLImageViewTextureController::setPictureImageView))

CGSize NSOGLImageViewTextureController::defaultTextureSizePixels(Class cls) {
  return objc::classMethods<NSOGLImageViewTextureController>(cls).defaultTextureSizePixels(cls);
}

NSObject* NSOGLImageViewTextureController::init() {
  NSObject::init();
  __textureLock.set(adopt(static_cast<NSRecursiveLock*>(NSRecursiveLock::alloc()->init())));
  __textureSizePixels = defaultTextureSizePixels(classObject());
  return this;
}

void NSOGLImageViewTextureController::lock() {
  if (RefPtr<NSRecursiveLock> lock = textureLock()) lock->lock();
}

void NSOGLImageViewTextureController::unlock() {
  if (RefPtr<NSRecursiveLock> lock = textureLock()) lock->unlock();
}

void NSOGLImageViewTextureController::pictureTextureChanged(NSObject*) {
  if (RefPtr<NSOGLImageViewTexture> texture = pictureTexture()) texture->setTextureUpdateNeeded(true);
  updatePictureTextureIfNecessary();
}

void NSOGLImageViewTextureController::updatePictureTextureIfNecessary() {
  RefPtr<NSOGLImageViewTexture> texture = pictureTexture();
  if (!texture || texture->textureUpdateNeeded()) updatePictureTexture();
}

void NSOGLImageViewTextureController::updatePictureTexture() {
  if (!pictureTexture() && pictureImageView()) createPictureTexture();
  RefPtr<NSOGLImageViewTexture> texture = pictureTexture();
  if (!texture) return;
  lock();
  {
    // The upload needs a context; the rendering thread has its view's, the main thread may not.
    OpenGL::CGLContextState guard(CGLGetCurrentContext() ? CGLGetCurrentContext()
                                                         : NSOGLSharingContext::existingSharedContextObj());
    texture->textureUpdate();
  }
  unlock();
}

bool NSOGLImageViewTextureController::createPictureTexture() {
  RefPtr<NSImageView> view = pictureImageView();
  if (pictureTexture() || !view) return pictureTexture() != nullptr;
  lock();
  {
    OpenGL::CGLContextStateLock guard(NSOGLSharingContext::defaultSharedContext());
    RefPtr<NSOGLImageViewTexture> texture =
        adopt(NSOGLImageViewTexture::alloc()->initWithImageView_textureTarget_textureWidth_textureHeight(
            view.get(), GL_TEXTURE_RECTANGLE_ARB, static_cast<uint32_t>(__textureSizePixels.width),
            static_cast<uint32_t>(__textureSizePixels.height)));
    setPictureTexture(texture.get());
    if (texture) texture->setTextureUpdateNeeded(true);
  }
  unlock();
  return pictureTexture() != nullptr;
}

void NSOGLImageViewTextureController::dealloc() {
  __pictureTexture.set(nullptr);
  __pictureImageView.set(nullptr);
  __textureLock.set(nullptr);
  NSObject::dealloc();
}
