#include "NSOGLCoreVideoTexture.h"

#include <Foundation/NSString.h>
#include <OpenGL/OpenGL.h>

#include "NSOGLTextureBase.h"

OBJC_CLASS_DEFINE(NSOGLCoreVideoTexture)

NSObject* NSOGLCoreVideoTexture::init() {
  NSObject::init();
  setMutex(adopt(static_cast<NSRecursiveLock*>(NSRecursiveLock::alloc()->init())).get());
  return this;
}

CVOpenGLTextureRef NSOGLCoreVideoTexture::texture() const {
  std::lock_guard<std::recursive_mutex> monitor(mMonitor);
  return _texture;
}

CVOpenGLTextureRef NSOGLCoreVideoTexture::textureCopy() const {
  std::lock_guard<std::recursive_mutex> monitor(mMonitor);
  return _texture ? CVOpenGLTextureRetain(_texture) : nullptr;
}

CVOpenGLTextureRef NSOGLCoreVideoTexture::textureRef() const {
  NSLog(
      NSSTR("NSOGLCoreVideoTexture::textureRef WARNING - SHOULD USE textureCopy instead with CFRelease in "
            "client\n"));
  return texture();
}

void NSOGLCoreVideoTexture::setTexture(CVOpenGLTextureRef texture) {
  CVOpenGLTextureRef old = nullptr;
  {
    std::lock_guard<std::recursive_mutex> monitor(mMonitor);
    if (texture == _texture) return;
    old = _texture;
    _texture = texture ? CVOpenGLTextureRetain(texture) : nullptr;
  }
  // The old frame goes outside the monitor: its name returns to its cache.
  if (old) CVOpenGLTextureRelease(old);
  textureChanged();
}

void NSOGLCoreVideoTexture::textureChanged() {
  std::lock_guard<std::recursive_mutex> monitor(mMonitor);
  if (!_texture) return;
  __textureTarget = CVOpenGLTextureGetTarget(_texture);
  setTextureName(CVOpenGLTextureGetName(_texture));
  const CGSize size = CVImageBufferGetEncodedSize(_texture);
  __textureWidth = static_cast<uint32_t>(size.width);
  __textureHeight = static_cast<uint32_t>(size.height);
  __flipVertical = CVOpenGLTextureIsFlipped(_texture);
  updateTextureCoords();
}

void NSOGLCoreVideoTexture::updateTextureCoords() {
  std::lock_guard<std::recursive_mutex> monitor(mMonitor);
  const auto width = static_cast<float>(__textureWidth), height = static_cast<float>(__textureHeight);
  __textureCoordSMin = __flipHorizontal ? width : 0.0f;
  __textureCoordSMax = __flipHorizontal ? 0.0f : width;
  __textureCoordTMin = __flipVertical ? height : 0.0f;
  __textureCoordTMax = __flipVertical ? 0.0f : height;
}

bool NSOGLCoreVideoTexture::upsideDown() const {
  std::lock_guard<std::recursive_mutex> monitor(mMonitor);
  const bool frameFlipped = _texture && CVOpenGLTextureIsFlipped(_texture);
  return __flipVertical != frameFlipped;
}

bool NSOGLCoreVideoTexture::isTextureValid() const { return texture() != nullptr; }

uint32_t NSOGLCoreVideoTexture::textureTarget() const {
  std::lock_guard<std::recursive_mutex> monitor(mMonitor);
  return __textureTarget;
}

uint32_t NSOGLCoreVideoTexture::textureName() const {
  std::lock_guard<std::recursive_mutex> monitor(mMonitor);
  return __textureName;
}

uint32_t NSOGLCoreVideoTexture::textureWidth() const {
  std::lock_guard<std::recursive_mutex> monitor(mMonitor);
  return __textureWidth;
}

uint32_t NSOGLCoreVideoTexture::textureHeight() const {
  std::lock_guard<std::recursive_mutex> monitor(mMonitor);
  return __textureHeight;
}

float NSOGLCoreVideoTexture::textureCoordSMin() const {
  std::lock_guard<std::recursive_mutex> monitor(mMonitor);
  return __textureCoordSMin;
}

float NSOGLCoreVideoTexture::textureCoordSMax() const {
  std::lock_guard<std::recursive_mutex> monitor(mMonitor);
  return __textureCoordSMax;
}

float NSOGLCoreVideoTexture::textureCoordTMin() const {
  std::lock_guard<std::recursive_mutex> monitor(mMonitor);
  return __textureCoordTMin;
}

float NSOGLCoreVideoTexture::textureCoordTMax() const {
  std::lock_guard<std::recursive_mutex> monitor(mMonitor);
  return __textureCoordTMax;
}

void NSOGLCoreVideoTexture::textureWithMatrix(const tagNSOGLNormalTextureMatrix* matrix) {
  NSOGLTextureBase::applyTextureMatrix_textureMatrix_context(this, matrix, CGLGetCurrentContext());
}

void NSOGLCoreVideoTexture::setTextureName(uint32_t name) {
  std::lock_guard<std::recursive_mutex> monitor(mMonitor);
  __textureName = name;
}

void NSOGLCoreVideoTexture::setTextureWidth(uint32_t width) {
  std::lock_guard<std::recursive_mutex> monitor(mMonitor);
  __textureWidth = width;
}

void NSOGLCoreVideoTexture::setTextureHeight(uint32_t height) {
  std::lock_guard<std::recursive_mutex> monitor(mMonitor);
  __textureHeight = height;
}

bool NSOGLCoreVideoTexture::flipVertical() const {
  std::lock_guard<std::recursive_mutex> monitor(mMonitor);
  return __flipVertical;
}

void NSOGLCoreVideoTexture::setFlipVertical(bool flip) {
  std::lock_guard<std::recursive_mutex> monitor(mMonitor);
  __flipVertical = flip;
  updateTextureCoords();
}

bool NSOGLCoreVideoTexture::flipHorizontal() const {
  std::lock_guard<std::recursive_mutex> monitor(mMonitor);
  return __flipHorizontal;
}

void NSOGLCoreVideoTexture::setFlipHorizontal(bool flip) {
  std::lock_guard<std::recursive_mutex> monitor(mMonitor);
  __flipHorizontal = flip;
  updateTextureCoords();
}

void NSOGLCoreVideoTexture::lock() {
  if (RefPtr<NSRecursiveLock> lock = mutex()) lock->lock();
}

void NSOGLCoreVideoTexture::unlock() {
  if (RefPtr<NSRecursiveLock> lock = mutex()) lock->unlock();
}

void NSOGLCoreVideoTexture::dealloc() {
  setTexture(nullptr);
  setMutex(nullptr);
  protocol_NSOGLDynamicTexture::dealloc();
}
