#pragma once
// A camera frame as a texture: one Core Video OpenGL texture behind the texture protocols, so
// that the drawing operations and the filters draw camera frames like any other texture. The
// texture and its coordinates are guarded by the object's own monitor; the recursive mutex is
// held by whoever replaces or draws the frame.
#include <CoreVideo/CVOpenGLTexture.h>
#include <Foundation/NSLock.h>

#include <mutex>

#include "LockedProperty.h"
#include "protocol_NSOGLTexture.h"

class NSOGLCoreVideoTexture : public protocol_NSOGLDynamicTexture {
  OBJC_CLASS_DECL(NSOGLCoreVideoTexture, NSObject)

 public:
  NSObject* init() override;

  // The frame texture (borrowed), a retained one for the caller (null stays null), and the
  // borrowed one again with a warning to use textureCopy.
  CVOpenGLTextureRef texture() const;
  CVOpenGLTextureRef textureCopy() const;
  CVOpenGLTextureRef textureRef() const;
  // Takes the new frame (retained), lets the old one go, and reads target, name, size and flip
  // from it.
  void setTexture(CVOpenGLTextureRef texture);
  void textureChanged();
  void updateTextureCoords();
  // The flip differs from the frame's own.
  bool upsideDown() const;
  virtual bool isTextureValid() const;

  // protocol_NSOGLTexture
  uint32_t textureTarget() const override;
  uint32_t textureName() const override;
  uint32_t textureWidth() const override;
  uint32_t textureHeight() const override;
  float textureCoordSMin() const override;
  float textureCoordSMax() const override;
  float textureCoordTMin() const override;
  float textureCoordTMax() const override;
  // On the current context, which must exist; the context is not locked.
  void textureWithMatrix(const tagNSOGLNormalTextureMatrix* matrix) override;

  // protocol_NSOGLDynamicTexture; the content changes only through setTexture.
  void setTextureName(uint32_t name) override;
  void setTextureWidth(uint32_t width) override;
  void setTextureHeight(uint32_t height) override;
  bool flipVertical() const override;
  void setFlipVertical(bool flip) override;
  bool flipHorizontal() const override;
  void setFlipHorizontal(bool flip) override;
  bool textureUpdateNeeded() const override { return false; }
  void setTextureUpdateNeeded(bool) override {}
  void lock() override;
  void unlock() override;
  bool textureUpdate() override { return false; }

  RefPtr<NSRecursiveLock> mutex() const { return mMutex.get(); }
  void setMutex(NSRecursiveLock* mutex) { mMutex.set(RefPtr<NSRecursiveLock>(mutex)); }

 protected:
  NSOGLCoreVideoTexture() = default;
  void dealloc() override;

 private:
  // The object's monitor.
  mutable std::recursive_mutex mMonitor;
  CVOpenGLTextureRef _texture = nullptr;
  uint32_t __textureWidth = 0;
  uint32_t __textureHeight = 0;
  float __textureCoordSMin = 0;
  float __textureCoordSMax = 0;
  float __textureCoordTMin = 0;
  float __textureCoordTMax = 0;
  uint32_t __textureTarget = 0;
  uint32_t __textureName = 0;
  bool __flipVertical = false;
  bool __flipHorizontal = false;
  LockedProperty<NSRecursiveLock> mMutex;
};
