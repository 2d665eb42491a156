#pragma once
// An offscreen drawing target: a bitmap of an exact pixel size (8-bit ARGB, alpha first) and
// the AppKit graphics context over it. Locking focus makes it the thread's current context and
// remembers the one it replaces; unlocking brings that one back, also when it was none.
#include <AppKit/NSBitmapImageRep.h>
#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSImage.h>
#include <AppKit/NSScreen.h>

#include <thread>

#include "UAtomicProperty.h"

int import_UFOffscreenBitmapGraphicsContext();

class UFOffscreenBitmapGraphicsContext : public NSObject {
  OBJC_CLASS_DECL(UFOffscreenBitmapGraphicsContext, NSObject)

 public:
  // Autoreleased.
  static UFOffscreenBitmapGraphicsContext* offscreenBitmapContextWithSizePixels(CGSize size);
  // The size in points of the main screen, in its pixels.
  static UFOffscreenBitmapGraphicsContext* offscreenBitmapContextWithSizePoints(CGSize size);
  // The screen's backing scale factor; 1 for no screen.
  static CGFloat scaleForRetinaDisplay(NSScreen* screen);

  NSObject* init() override { return initWithSizePixels(CGSizeZero); }
  UFOffscreenBitmapGraphicsContext* initWithSizePixels(CGSize size);
  // A size that is no positive number of pixels on either side makes no bitmap: such an
  // object never takes focus.
  virtual UFOffscreenBitmapGraphicsContext* initWithSizePixels_colorSpaceName(CGSize size,
                                                                              NSString* colorSpaceName);

  CGSize sizePixels() const { return mSizePixels; }
  // Changes the size that erasing and image use, not the bitmap.
  void setSizePixels(CGSize size) { mSizePixels = size; }
  NSBitmapImageRep* bitmapImageRep() const { return mBitmapImageRep.get(); }
  void setBitmapImageRep(NSBitmapImageRep* rep) { mBitmapImageRep.set(rep); }
  NSGraphicsContext* bitmapContext() const { return mBitmapContext.get(); }
  void setBitmapContext(NSGraphicsContext* context) { mBitmapContext.set(context); }
  NSGraphicsContext* savedContext() const { return mSavedContext.get(); }
  void setSavedContext(NSGraphicsContext* context) { mSavedContext.set(context); }

  NSGraphicsContext* lockFocus() { return lockFocusAndEraseTransparent(false); }
  // The bitmap's context, now current; null (nothing changed) when already locked or there is
  // no bitmap. Erasing makes every pixel transparent black.
  NSGraphicsContext* lockFocusAndEraseTransparent(bool erase);
  // Only on the thread that locked: the current context of before comes back.
  void unlockFocus();
  bool isLocked() const { return mLocked; }

  // A new image (autoreleased) of sizePixels whose representation is the bitmap itself.
  NSImage* image() const;
  CGContextRef graphicsContext() const;

 protected:
  UFOffscreenBitmapGraphicsContext() = default;
  ~UFOffscreenBitmapGraphicsContext() override;

 private:
  CGSize mSizePixels{};
  UAtomicProperty<NSBitmapImageRep> mBitmapImageRep;
  UAtomicProperty<NSGraphicsContext> mBitmapContext;
  UAtomicProperty<NSGraphicsContext> mSavedContext;
  // The lock is its own state: the context it replaced may be none at all.
  bool mLocked = false;
  std::thread::id mLockingThread;
};
