#include "UFOffscreenBitmapGraphicsContext.h"

#include <cmath>

#include "CoreMachDebug.h"

int import_UFOffscreenBitmapGraphicsContext() { return 1; }

OBJC_CLASS_DEFINE(UFOffscreenBitmapGraphicsContext)

namespace {

// Whole pixels of a side: its integer part, none for anything that is no positive number.
NSInteger wholePixels(CGFloat side) {
  return std::isfinite(side) && side >= 1 ? NSInteger(std::min<CGFloat>(side, 1 << 20)) : 0;
}

}  // namespace

UFOffscreenBitmapGraphicsContext::~UFOffscreenBitmapGraphicsContext() {
  if (mLocked && mLockingThread == std::this_thread::get_id()) unlockFocus();
  mSavedContext.set(nullptr);
  mBitmapContext.set(nullptr);
  mBitmapImageRep.set(nullptr);
}

UFOffscreenBitmapGraphicsContext* UFOffscreenBitmapGraphicsContext::offscreenBitmapContextWithSizePixels(
    CGSize size) {
  auto* made = alloc()->initWithSizePixels(size);
  return made ? static_cast<UFOffscreenBitmapGraphicsContext*>(made->autorelease()) : nullptr;
}

UFOffscreenBitmapGraphicsContext* UFOffscreenBitmapGraphicsContext::offscreenBitmapContextWithSizePoints(
    CGSize size) {
  const CGFloat scale = scaleForRetinaDisplay(NSScreen::mainScreen());
  return offscreenBitmapContextWithSizePixels(CGSizeMake(size.width * scale, size.height * scale));
}

CGFloat UFOffscreenBitmapGraphicsContext::scaleForRetinaDisplay(NSScreen* screen) {
  return screen ? screen->backingScaleFactor() : 1.0;
}

UFOffscreenBitmapGraphicsContext* UFOffscreenBitmapGraphicsContext::initWithSizePixels(CGSize size) {
  return initWithSizePixels_colorSpaceName(size, NSDeviceRGBColorSpace);
}

UFOffscreenBitmapGraphicsContext* UFOffscreenBitmapGraphicsContext::initWithSizePixels_colorSpaceName(
    CGSize size, NSString* colorSpaceName) {
  mSizePixels = size;
  const NSInteger width = wholePixels(size.width), height = wholePixels(size.height);
  if (width == 0 || height == 0) return this;
  RefPtr<NSBitmapImageRep> rep = adopt(
      NSBitmapImageRep::alloc()
          ->initWithBitmapDataPlanes_pixelsWide_pixelsHigh_bitsPerSample_samplesPerPixel_hasAlpha_isPlanar_colorSpaceName_bitmapFormat_bytesPerRow_bitsPerPixel(
              nullptr, width, height, 8, 4, true, false, colorSpaceName, NSAlphaFirstBitmapFormat, 0, 0));
  setBitmapImageRep(rep.get());
  if (rep) setBitmapContext(NSGraphicsContext::graphicsContextWithBitmapImageRep(rep.get()));
  return this;
}

NSGraphicsContext* UFOffscreenBitmapGraphicsContext::lockFocusAndEraseTransparent(bool erase) {
  if (mLocked) return nullptr;
  RefPtr<NSGraphicsContext> context = mBitmapContext.copy();
  if (!context) return nullptr;
  setSavedContext(NSGraphicsContext::currentContext());
  NSGraphicsContext::classSaveGraphicsState();
  NSGraphicsContext::setCurrentContext(context.get());
  mLocked = true;
  mLockingThread = std::this_thread::get_id();
  if (erase) {
    CGContextClearRect(context->CGContext(), CGRectMake(0, 0, mSizePixels.width, mSizePixels.height));
  }
  return context.get();
}

void UFOffscreenBitmapGraphicsContext::unlockFocus() {
  if (!mLocked) return;
  // Each thread has its own current context: another thread's unlock would restore its own.
  if (mLockingThread != std::this_thread::get_id()) {
    _CoreMachDebugVerifyBody(__FUNCTION__, __FILE__, __LINE__, " code : unlockFocus on the locking thread");
    return;
  }
  RefPtr<NSGraphicsContext> saved = mSavedContext.copy();
  NSGraphicsContext::classRestoreGraphicsState();
  NSGraphicsContext::setCurrentContext(saved.get());
  setSavedContext(nullptr);
  mLocked = false;
}

NSImage* UFOffscreenBitmapGraphicsContext::image() const {
  RefPtr<NSImage> image = adopt(NSImage::alloc()->initWithSize(mSizePixels));
  if (!image) return nullptr;
  if (RefPtr<NSBitmapImageRep> rep = mBitmapImageRep.copy()) image->addRepresentation(rep.get());
  return static_cast<NSImage*>(image.leak()->autorelease());
}

CGContextRef UFOffscreenBitmapGraphicsContext::graphicsContext() const {
  RefPtr<NSGraphicsContext> context = mBitmapContext.copy();
  return context ? context->CGContext() : nullptr;
}
