#include "NSWindowExactBytes.h"

#include <CoreGraphics/CGWindowImage.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSKeyValueObserving.h>

#include "CGImageDataWrapper.h"
#include "UQuartzDisplayCGWindow.h"
#include "namespace_CoreGraphics_CGWindow.h"

OBJC_CLASS_DEFINE(NSWindowExactBytes)
NS_PROPERTIES(NSWindowExactBytes,
              NS_READONLY_PROPERTY("abstractWindowName", &NSWindowExactBytes::abstractWindowName),
              NS_READONLY_PROPERTY("rawDataSizeBytes", &NSWindowExactBytes::rawDataSizeBytes),
              NS_READONLY_PROPERTY("quartzWindowID", &NSWindowExactBytes::quartzWindowID))
NS_DEPENDENT_KEYS(NSWindowExactBytes, "abstractWindowName", {"title"})

CGRect NSWindowExactBytes::calculatedContentRectFromRawDataSizeBytes(uint64_t rawDataSizeBytes) {
  const CGSize size = CGImageDataWrapper::CalculatedCGImageSizeFromRawDataSize(size_t(rawDataSizeBytes));
  return CGRectMake(0, 0, size.width, size.height);
}

NSWindowExactBytes* NSWindowExactBytes::initWithRawDataSizeBytes(uint64_t rawDataSizeBytes) {
  __rawDataSizeBytes = rawDataSizeBytes;
  return initWithContentRect(calculatedContentRectFromRawDataSizeBytes(rawDataSizeBytes));
}

NSWindowExactBytes* NSWindowExactBytes::initWithContentRect(CGRect contentRect) {
  if (!initWithContentRect_styleMask_backing_defer(contentRect, NSBorderlessWindowMask,
                                                   NSBackingStoreBuffered, false))
    return nullptr;
  initCommonWithContentRect(contentRect);
  return this;
}

void NSWindowExactBytes::initCommonWithContentRect(CGRect contentRect) {
  createContentViewWithContentRect(contentRect);
  __quartzWindowID = uint32_t(windowNumber());
  __writeWindowQueue = dispatch_queue_create("NSWindowExactBytes", DISPATCH_QUEUE_SERIAL);
  dispatch_set_target_queue(__writeWindowQueue, dispatch_get_main_queue());
}

void NSWindowExactBytes::createContentViewWithContentRect(CGRect contentRect) {
  RefPtr<NSObject> made = adopt(class_createInstance(defaultViewDataClass()));
  auto* view = dynamic_cast<NSView*>(made.get());
  if (!view) return;
  (void)made.leak();
  RefPtr<NSView> content = adopt(view->initWithFrame(contentRect));
  setContentView(content.get());
  setSharingType(NSWindowSharingReadOnly);
}

void NSWindowExactBytes::dealloc() {
  // Every queued write holds the window, so none is left by now: waiting here could only
  // deadlock, when the last write lets the window go on the main thread.
  if (__writeWindowQueue) dispatch_release(__writeWindowQueue);
  __writeWindowQueue = nullptr;
  setContentView(nullptr);
  NSWindow::dealloc();
}

void NSWindowExactBytes::setAbstractWindowName(NSString* name) {
  willChangeValueForKey(NSSTR("abstractWindowName"));
  setTitle(name);
  __abstractWindowNameProperty.set(name);
  didChangeValueForKey(NSSTR("abstractWindowName"));
}

NSViewExactBytes* NSWindowExactBytes::viewExactBytes() const {
  return dynamic_cast<NSViewExactBytes*>(contentView());
}

bool NSWindowExactBytes::writeImageDataOnMainThread_completionBlock(CGImageRef image,
                                                                    CompletionBlock completion) {
  if (!__writeWindowQueue) return false;
  RefPtr<NSWindowExactBytes> window(this);
  RefPtr<CGImage> written(image);
  dispatch_async(__writeWindowQueue, [window, written, completion = std::move(completion)] {
    objc::AutoreleasePool pool;
    NSViewExactBytes* view = window->viewExactBytes();
    if (!view) return;
    view->setImageDataWritten(written.get());
    window->flushWindow();
    RefPtr<CGImage> readBack = adopt(window->copyWindowViewImage());
    if (completion) completion(readBack.get());
  });
  return true;
}

CGImageRef NSWindowExactBytes::copyWindowViewImage() const {
  NSViewExactBytes* view = viewExactBytes();
  CGImageRef image = view ? view->imageDataRead() : nullptr;
  return image ? CGImageRetain(image) : nullptr;
}

CGImageRef NSWindowExactBytes::copyWindowGlobalImage() const {
  return createWindowImageWithWindowID(__quartzWindowID);
}

CGImageRef NSWindowExactBytes::createWindowImageWithWindowID(uint32_t windowID) {
  return CoreGraphics::CGWindow_CopyImageWithWindowID(CGWindowID(windowID));
}

CGImageRef NSWindowExactBytes::createWindowImageWithWindowIDSimple(uint32_t windowID) {
  return CGWindowListCreateImage(CGRectNull, kCGWindowListOptionIncludingWindow, CGWindowID(windowID),
                                 kCGWindowImageDefault);
}

uint32_t NSWindowExactBytes::findGlobalWindowWithName(NSString* name) {
  return findGlobalWindowWithName_windowOwnerName(name, nullptr);
}

uint32_t NSWindowExactBytes::findGlobalWindowWithName_windowOwnerName(NSString* name, NSString* ownerName) {
  if (!name) return 0;
  uint32_t found = 0;
  UQuartzDisplayCGWindow::enumerateQuartzDisplayCGWindowListOptions_withBlock(
      kCGWindowListOptionAll, [&](NSUInteger, UQuartzDisplayCGWindow* window) {
        if (window->isOnscreen()) return;
        if (!window->windowName()->isEqualToString(name)) return;
        if (ownerName && !window->windowOwnerName()->isEqualToString(ownerName)) return;
        found = window->windowID();
      });
  return found;
}
