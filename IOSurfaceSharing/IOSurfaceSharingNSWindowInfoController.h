#pragma once
// The controller of the message window's diagnostic panel: it decodes and checks the message
// a window image carries and offers what it found as display values for the panel's bindings.
// It updates once a second from its timer, or on every new image with live updates on.
#include <AppKit/NSImage.h>
#include <CoreFoundation/CFString.h>
#include <CoreGraphics/CGImage.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <Foundation/NSTimer.h>

#include <atomic>
#include <cstdint>
#include <mutex>

#include "IOSurfaceMessagePacket.h"
#include "UAtomicProperty.h"

class IOSurfaceSharingNSWindowInfoController : public NSObject {
  OBJC_CLASS_DECL(IOSurfaceSharingNSWindowInfoController, NSObject)

 public:
  // An empty message, live updates off, window 0.
  IOSurfaceSharingNSWindowInfoController* init() override;
  // Starts the once-a-second update on the current run loop.
  void awakeFromNib() override;
  void lazyUpdateTimer(NSTimer* timer);

  // Set from the thread that finds the window; read by the panel on the main thread.
  uint32_t windowID() const { return __windowID; }
  void setWindowID(uint32_t windowID) { __windowID = windowID; }
  bool liveUpdates() const { return __liveUpdates; }
  void setLiveUpdates(bool liveUpdates) { __liveUpdates = liveUpdates; }
  // The window image as shown; autoreleased. Its change is announced to the panel's bindings.
  NSImage* image() const { return __image.get(); }
  void setImage(NSImage* image);
  NSTimer* lazyUpdateTimer() const { return __lazyUpdateTimer.get(); }

  // Retained under the object's lock; the Copy readers answer them retained for the caller.
  void setWindowImage(CGImageRef image);
  CGImageRef windowImageCopy() const;
  void windowImageChanged();
  void setGlobalWindowName(CFStringRef name);
  CFStringRef globalWindowNameCopy() const;
  void setGlobalWindowOwnerName(CFStringRef name);
  CFStringRef globalWindowOwnerNameCopy() const;

  // Announces a change of every display value around decoding the window image, when there is
  // one, and showing it.
  void updateKeyValueBindings();
  // Decodes and checks the message the image carries; the result is messageChecksumVerify.
  bool messageConstruct(CGImageRef image);

  // Display values.
  bool messageChecksumVerify() const;
  uint32_t messageSizeof() const;
  uint32_t messageSequenceNumber() const;
  uint64_t messageSurfaceID() const;
  NSString* messageChecksumHexValue() const;
  NSString* imageRefHexValue() const;
  NSString* imageSizePixels() const;
  NSString* windowDescription() const;
  // Autoreleased, or null.
  NSString* globalWindowName() const;
  NSString* globalWindowOwnerName() const;

 protected:
  IOSurfaceSharingNSWindowInfoController() = default;
  void dealloc() override;

 private:
  void willChangeValueForMultipleKeys();
  void didChangeValueForMultipleKeys();

  std::atomic<uint32_t> __windowID{0};
  tagIOSurfaceMessagePacket __message{};
  bool __messageChecksumVerify = false;
  UAtomicProperty<NSImage> __image;
  bool __liveUpdates = false;
  UAtomicProperty<NSTimer> __lazyUpdateTimer;
  mutable std::mutex mLock;
  RefPtr<CGImage> _windowImage;
  RefPtr<const __CFString> _globalWindowName;
  RefPtr<const __CFString> _globalWindowOwnerName;
};
