#include "IOSurfaceSharingNSWindowInfoController.h"

#include <AppKit/NSBitmapImageRep.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSKeyValueObserving.h>
#include <Foundation/NSRunLoop.h>
#include <objc/WeakPtr.h>

#include <initializer_list>

OBJC_CLASS_DEFINE(IOSurfaceSharingNSWindowInfoController)
NS_PROPERTIES(
    IOSurfaceSharingNSWindowInfoController,
    NS_READONLY_PROPERTY("windowID", &IOSurfaceSharingNSWindowInfoController::windowID),
    NS_PROPERTY("image", &IOSurfaceSharingNSWindowInfoController::image,
                &IOSurfaceSharingNSWindowInfoController::setImage),
    NS_READONLY_PROPERTY("globalWindowName", &IOSurfaceSharingNSWindowInfoController::globalWindowName),
    NS_READONLY_PROPERTY("globalWindowOwnerName",
                         &IOSurfaceSharingNSWindowInfoController::globalWindowOwnerName),
    NS_READONLY_PROPERTY("imageRefHexValue", &IOSurfaceSharingNSWindowInfoController::imageRefHexValue),
    NS_READONLY_PROPERTY("imageSizePixels", &IOSurfaceSharingNSWindowInfoController::imageSizePixels),
    NS_READONLY_PROPERTY("messageChecksumVerify",
                         &IOSurfaceSharingNSWindowInfoController::messageChecksumVerify),
    NS_READONLY_PROPERTY("messageChecksumHexValue",
                         &IOSurfaceSharingNSWindowInfoController::messageChecksumHexValue),
    NS_READONLY_PROPERTY("messageSizeof", &IOSurfaceSharingNSWindowInfoController::messageSizeof),
    NS_READONLY_PROPERTY("messageSequenceNumber",
                         &IOSurfaceSharingNSWindowInfoController::messageSequenceNumber),
    NS_READONLY_PROPERTY("messageSurfaceID", &IOSurfaceSharingNSWindowInfoController::messageSurfaceID),
    NS_READONLY_PROPERTY("windowDescription", &IOSurfaceSharingNSWindowInfoController::windowDescription))
NS_DEPENDENT_KEYS(IOSurfaceSharingNSWindowInfoController, "windowDescription",
                  {"globalWindowName", "globalWindowOwnerName"})

namespace {

// The display values that change together.
const std::initializer_list<const char*> kMultipleKeys = {
    "globalWindowName",        "globalWindowOwnerName", "windowID",
    "imageRefHexValue",        "imageSizePixels",       "messageChecksumVerify",
    "messageChecksumHexValue", "messageSizeof",         "messageSequenceNumber",
    "messageSurfaceID"};

NSString* autoreleased(RefPtr<const __CFString> text) {
  return text ? static_cast<NSString*>(
                    const_cast<NSObject*>(static_cast<const NSObject*>(objc_autorelease(text.leak()))))
              : nullptr;
}

}  // namespace

IOSurfaceSharingNSWindowInfoController* IOSurfaceSharingNSWindowInfoController::init() {
  IOSurfaceMessagePacket_ConstructEmpty(&__message);
  __liveUpdates = false;
  __windowID = 0;
  return this;
}

void IOSurfaceSharingNSWindowInfoController::awakeFromNib() {
  // The timer holds the controller weakly, so that the controller can go, and its dealloc
  // stop the timer.
  WeakPtr<NSObject> weak(this);
  NSTimer* timer = NSTimer::timerWithTimeInterval_repeats_block(1.0, true, [weak](NSTimer* fired) {
    RefPtr<NSObject> strong = weak.get();
    if (auto* controller = dynamic_cast<IOSurfaceSharingNSWindowInfoController*>(strong.get()))
      controller->lazyUpdateTimer(fired);
  });
  __lazyUpdateTimer.set(timer);
  NSRunLoop::currentRunLoop()->addTimer_forMode(timer, NSRunLoopCommonModes);
}

void IOSurfaceSharingNSWindowInfoController::lazyUpdateTimer(NSTimer*) {
  if (!__liveUpdates) updateKeyValueBindings();
}

void IOSurfaceSharingNSWindowInfoController::setImage(NSImage* image) {
  willChangeValueForKey(NSSTR("image"));
  __image.set(image);
  didChangeValueForKey(NSSTR("image"));
}

void IOSurfaceSharingNSWindowInfoController::setWindowImage(CGImageRef image) {
  RefPtr<CGImage> incoming(image);
  {
    std::lock_guard guard(mLock);
    _windowImage.swap(incoming);
  }
  windowImageChanged();
}

CGImageRef IOSurfaceSharingNSWindowInfoController::windowImageCopy() const {
  std::lock_guard guard(mLock);
  return RefPtr<CGImage>(_windowImage).leak();
}

void IOSurfaceSharingNSWindowInfoController::windowImageChanged() {
  if (__liveUpdates) updateKeyValueBindings();
}

void IOSurfaceSharingNSWindowInfoController::setGlobalWindowName(CFStringRef name) {
  RefPtr<const __CFString> incoming(name);
  std::lock_guard guard(mLock);
  _globalWindowName.swap(incoming);
}

CFStringRef IOSurfaceSharingNSWindowInfoController::globalWindowNameCopy() const {
  std::lock_guard guard(mLock);
  return RefPtr<const __CFString>(_globalWindowName).leak();
}

void IOSurfaceSharingNSWindowInfoController::setGlobalWindowOwnerName(CFStringRef name) {
  RefPtr<const __CFString> incoming(name);
  std::lock_guard guard(mLock);
  _globalWindowOwnerName.swap(incoming);
}

CFStringRef IOSurfaceSharingNSWindowInfoController::globalWindowOwnerNameCopy() const {
  std::lock_guard guard(mLock);
  return RefPtr<const __CFString>(_globalWindowOwnerName).leak();
}

NSString* IOSurfaceSharingNSWindowInfoController::globalWindowName() const {
  return autoreleased(adopt(globalWindowNameCopy()));
}

NSString* IOSurfaceSharingNSWindowInfoController::globalWindowOwnerName() const {
  return autoreleased(adopt(globalWindowOwnerNameCopy()));
}

void IOSurfaceSharingNSWindowInfoController::willChangeValueForMultipleKeys() {
  for (const char* key : kMultipleKeys) willChangeValueForKey(NSString::stringWithUTF8String(key));
}

void IOSurfaceSharingNSWindowInfoController::didChangeValueForMultipleKeys() {
  for (const char* key : kMultipleKeys) didChangeValueForKey(NSString::stringWithUTF8String(key));
}

void IOSurfaceSharingNSWindowInfoController::updateKeyValueBindings() {
  objc::AutoreleasePool pool;
  willChangeValueForMultipleKeys();
  if (RefPtr<CGImage> image = adopt(windowImageCopy())) {
    messageConstruct(image.get());
    const NSSize size =
        NSMakeSize(CGFloat(CGImageGetWidth(image.get())), CGFloat(CGImageGetHeight(image.get())));
    RefPtr<NSImage> shown = adopt(NSImage::alloc()->initWithSize(size));
    RefPtr<NSBitmapImageRep> bitmap = adopt(NSBitmapImageRep::alloc()->initWithCGImage(image.get()));
    if (shown && bitmap) shown->addRepresentation(bitmap.get());
    setImage(shown.get());
  }
  didChangeValueForMultipleKeys();
}

bool IOSurfaceSharingNSWindowInfoController::messageConstruct(CGImageRef image) {
  tagIOSurfaceMessagePacket message;
  const bool verified = IOSurfaceMessagePacket_ConstructFromImageDataWithChecksumVerify(&message, image);
  std::lock_guard guard(mLock);
  __message = message;
  __messageChecksumVerify = verified;
  return verified;
}

bool IOSurfaceSharingNSWindowInfoController::messageChecksumVerify() const {
  std::lock_guard guard(mLock);
  return __messageChecksumVerify;
}

uint32_t IOSurfaceSharingNSWindowInfoController::messageSizeof() const {
  std::lock_guard guard(mLock);
  return __message.sizeofIOSurfaceMessagePacket;
}

uint32_t IOSurfaceSharingNSWindowInfoController::messageSequenceNumber() const {
  std::lock_guard guard(mLock);
  return __message.sequenceNumber;
}

uint64_t IOSurfaceSharingNSWindowInfoController::messageSurfaceID() const {
  std::lock_guard guard(mLock);
  return __message.surfaceID;
}

NSString* IOSurfaceSharingNSWindowInfoController::messageChecksumHexValue() const {
  std::lock_guard guard(mLock);
  return NSString::stringWithFormat(NSSTR("%08lX"), (unsigned long)__message.messageChecksum);
}

NSString* IOSurfaceSharingNSWindowInfoController::imageRefHexValue() const {
  RefPtr<CGImage> image = adopt(windowImageCopy());
  return NSString::stringWithFormat(NSSTR("CGImageRef(0x%08llX)"),
                                    (unsigned long long)uintptr_t(image.get()));
}

NSString* IOSurfaceSharingNSWindowInfoController::imageSizePixels() const {
  RefPtr<CGImage> image = adopt(windowImageCopy());
  if (!image) return NSSTR("CGSize(0,0)");
  return NSString::stringWithFormat(NSSTR("CGSize(%d,%d)"), int(CGImageGetWidth(image.get())),
                                    int(CGImageGetHeight(image.get())));
}

NSString* IOSurfaceSharingNSWindowInfoController::windowDescription() const {
  return NSString::stringWithFormat(NSSTR("%@ (%@)"), globalWindowName(), globalWindowOwnerName());
}

void IOSurfaceSharingNSWindowInfoController::dealloc() {
  setGlobalWindowName(nullptr);
  setGlobalWindowOwnerName(nullptr);
  {
    std::lock_guard guard(mLock);
    _windowImage = nullptr;
  }
  __image.set(nullptr);
  if (RefPtr<NSTimer> timer = __lazyUpdateTimer.copy()) timer->invalidate();
  __lazyUpdateTimer.set(nullptr);
  NSObject::dealloc();
}
