#pragma once
// A window whose pixels are exactly the bytes of a record drawn as an image
// (CGImageDataWrapper.h): borderless, never shown, readable by other processes by its window
// id. The window server keeps its last drawn pixels, and readers find it by its title.
//
// Writes may come from any thread: each is queued, in order, on the window's serial queue
// "NSWindowExactBytes", which runs on the main thread.
#include <AppKit/NSWindow.h>
#include <CoreGraphics/CGImage.h>
#include <dispatch/dispatch.h>

#include <cstdint>
#include <functional>

#include "NSViewExactBytes.h"
#include "UAtomicProperty.h"

class NSWindowExactBytes : public NSWindow {
  OBJC_CLASS_DECL(NSWindowExactBytes, NSWindow)

 public:
  // Gets the image read back from the window after a write, owned by the write (retain it to
  // keep it); null when none could be read.
  using CompletionBlock = std::function<void(CGImageRef image)>;

  // Origin (0, 0) and the image size of that many bytes (24 x 4 for 48).
  static CGRect calculatedContentRectFromRawDataSizeBytes(uint64_t rawDataSizeBytes);
  static Class defaultViewDataClass() { return NSViewExactBytes::class_(); }

  NSWindowExactBytes* initWithRawDataSizeBytes(uint64_t rawDataSizeBytes);
  NSWindowExactBytes* initWithContentRect(CGRect contentRect);

  uint64_t rawDataSizeBytes() const { return __rawDataSizeBytes; }
  uint32_t quartzWindowID() const { return __quartzWindowID; }
  // The window's title. Autoreleased.
  NSString* abstractWindowName() const { return __abstractWindowNameProperty.get(); }
  void setAbstractWindowName(NSString* name);
  NSViewExactBytes* viewExactBytes() const;

  // Queues the write of the image (retained until it is done) and answers YES; NO without a
  // queue. On the main thread the view shows the image, the window keeps its pixels on the
  // server, and the completion (when given) gets the view's pixels read back.
  bool writeImageDataOnMainThread_completionBlock(CGImageRef image, CompletionBlock completion);
  // Only the queued write writes.
  bool writeImageData(CGImageRef) { return false; }

  // New images (the caller releases them), or null: the view's pixels as last read back; the
  // window's pixels as other processes see them.
  CGImageRef copyWindowViewImage() const;
  CGImageRef copyWindowGlobalImage() const;
  CGImageRef copyWindowImage() const { return copyWindowGlobalImage(); }

  // Pictures of a window by its id (new, or null): through the capture used by the window
  // message reader; through the window list image of that one window; none.
  static CGImageRef createWindowImageWithWindowID(uint32_t windowID);
  static CGImageRef createWindowImageWithWindowIDSimple(uint32_t windowID);
  static CGImageRef createWindowImageWithWindowIDGrabberWindow(uint32_t) { return nullptr; }

  // The id of the last window of the list titled name (and owned by the program named
  // ownerName, when one is given) that is not on screen; 0 when none.
  static uint32_t findGlobalWindowWithName(NSString* name);
  static uint32_t findGlobalWindowWithName_windowOwnerName(NSString* name, NSString* ownerName);

 protected:
  NSWindowExactBytes() = default;
  void dealloc() override;

 private:
  void initCommonWithContentRect(CGRect contentRect);
  void createContentViewWithContentRect(CGRect contentRect);

  uint64_t __rawDataSizeBytes = 0;
  uint32_t __quartzWindowID = 0;
  dispatch_queue_t __writeWindowQueue = nullptr;
  UAtomicProperty<NSString> __abstractWindowNameProperty;
};
