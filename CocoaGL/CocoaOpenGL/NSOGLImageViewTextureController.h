#pragma once
// The background picture of the chroma key: one texture of the picture an image view shows,
// rendered again only when the picture changed, under a recursive lock that the chroma key
// also holds while it draws the picture.
#include <AppKit/NSImageView.h>
#include <Foundation/NSLock.h>

#include <mutex>

#include "LockedProperty.h"
#include "NSOGLImageViewTexture.h"

class NSOGLImageViewTextureController : public NSObject {
  OBJC_CLASS_DECL(NSOGLImageViewTextureController, NSObject)

 public:
  struct Meta : NSObject::Meta {
    // 640 x 480 here; subclasses answer their own size.
    virtual CGSize defaultTextureSizePixels(Class) const { return CGSizeMake(640, 480); }
  };
  static CGSize defaultTextureSizePixels(Class cls);

  NSObject* init() override;
  void lock();
  void unlock();
  // The image view's action: the picture changed.
  void pictureTextureChanged(NSObject* sender);
  void updatePictureTextureIfNecessary();
  void updatePictureTexture();
  // Makes the texture on the shared context when there is an image view and no texture yet;
  // answers whether a texture exists.
  bool createPictureTexture();

  RefPtr<NSImageView> pictureImageView() const { return __pictureImageView.get(); }
  void setPictureImageView(NSImageView* view) { __pictureImageView.set(RefPtr<NSImageView>(view)); }
  RefPtr<NSOGLImageViewTexture> pictureTexture() const { return __pictureTexture.get(); }
  void setPictureTexture(NSOGLImageViewTexture* texture) {
    __pictureTexture.set(RefPtr<NSOGLImageViewTexture>(texture));
  }
  RefPtr<NSRecursiveLock> textureLock() const { return __textureLock.get(); }
  CGSize textureSizePixels() const { return __textureSizePixels; }

 protected:
  NSOGLImageViewTextureController() = default;
  void dealloc() override;

 private:
  LockedProperty<NSImageView> __pictureImageView;
  LockedProperty<NSOGLImageViewTexture> __pictureTexture;
  LockedProperty<NSRecursiveLock> __textureLock;
  CGSize __textureSizePixels{};
};
