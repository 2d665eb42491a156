#include "NSUIDisplayLink.h"

#include <AppKit/NSScreen.h>
#include <CoreVideo/CVHostTime.h>
#include <Foundation/NSAutoreleasePool.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSException.h>
#include <Foundation/NSValue.h>
#include <URequirements.h>

#include <mutex>

OBJC_CLASS_DEFINE(NSUIDisplayLink)

namespace {

// The monitor of "displayLink": one for every instance.
std::recursive_mutex& displayLinkMonitor() {
  static std::recursive_mutex* const sMonitor = new std::recursive_mutex;
  return *sMonitor;
}

CVReturn sNSUIDisplayLinkCallback(CVDisplayLinkRef, const CVTimeStamp*, const CVTimeStamp* inOutputTime,
                                  CVOptionFlags, CVOptionFlags*, void* context) {
  if (!context || context == static_cast<const void*>(kCFNull)) return kCVReturnSuccess;
  auto* link = dynamic_cast<NSUIDisplayLink*>(static_cast<NSObject*>(context));
  if (!link) return kCVReturnSuccess;
  NSAutoreleasePool* pool = static_cast<NSAutoreleasePool*>(NSAutoreleasePool::alloc()->init());
  if (!pool) return kCVReturnSuccess;
  CVReturn result = kCVReturnSuccess;
  try {
    result = link->displayLinkOutputForTime(inOutputTime);
  } catch (const NSException::Raised& raised) {
    NSLog(NSSTR("sNSUIDisplayLinkCallback:: exception: %@\n"), raised.exception());
  } catch (...) {
    pool->drain();
    throw;
  }
  pool->drain();
  return result;
}

}  // namespace

CVDisplayLinkRef NSUIDisplayLink::displayLink() const {
  std::lock_guard<std::recursive_mutex> lock(displayLinkMonitor());
  return _displayLink;
}

void NSUIDisplayLink::setDisplayLink(CVDisplayLinkRef link) {
  CVDisplayLinkRef old = nullptr;
  {
    std::lock_guard<std::recursive_mutex> lock(displayLinkMonitor());
    if (link == _displayLink) return;
    old = _displayLink;
    _displayLink = link ? CVDisplayLinkRetain(link) : nullptr;
  }
  // Outside the lock: the last release of a link stops it, which waits for its callback.
  if (old) CVDisplayLinkRelease(old);
}

CVDisplayLinkRef NSUIDisplayLink::displayLinkRetainedCopy() const {
  std::lock_guard<std::recursive_mutex> lock(displayLinkMonitor());
  return _displayLink ? CVDisplayLinkRetain(_displayLink) : nullptr;
}

CVDisplayLinkRef NSUIDisplayLink::displayLinkAutoreleasedCopy() const {
  std::lock_guard<std::recursive_mutex> lock(displayLinkMonitor());
  return static_cast<CVDisplayLinkRef>(
      const_cast<void*>(__CFTypeRefPropertySafeRetainAndAutorelease(_displayLink)));
}

NSString* NSUIDisplayLink::displayLinkSync() { return NSSTR("displayLink"); }

CVDisplayLinkRef NSUIDisplayLink::requiredDisplayLink() const {
  CVDisplayLinkRef link = displayLink();
  return REQUIRED_CFTYPEOF(link, CVDisplayLinkGetTypeID()) ? link : nullptr;
}

bool NSUIDisplayLink::createSystemDisplayLinkObjectWithHardwareTimerCallback() {
  setDisplayLink(nullptr);
  CVDisplayLinkRef created = nullptr;
  if (!REQUIRED_CVRETURN(CVDisplayLinkCreateWithActiveCGDisplays(&created))) return false;
  setDisplayLink(created);
  CVDisplayLinkRelease(created);
  CVDisplayLinkRef link = requiredDisplayLink();
  if (!link) return false;
  return REQUIRED_CVRETURN(CVDisplayLinkSetOutputCallback(link, &sNSUIDisplayLinkCallback, this));
}

bool NSUIDisplayLink::startDisplayLink(bool) {
  if (!displayLink()) {
    if (!createSystemDisplayLinkObjectWithHardwareTimerCallback()) return false;
    createDisplayLinkSelf();
  }
  return startDisplayLinkSelf();
}

bool NSUIDisplayLink::startDisplayLinkOnMainDisplay() {
  if (!requiredDisplayLink()) return false;
  return startDisplayLink(true);
}

bool NSUIDisplayLink::startDisplayLinkSelf() {
  CVDisplayLinkRef link = requiredDisplayLink();
  if (!link) return false;
  return REQUIRED_CVRETURN(CVDisplayLinkStart(link));
}

bool NSUIDisplayLink::stopDisplayLink() {
  CVDisplayLinkRef link = displayLinkRetainedCopy();
  if (!link) return false;
  bool stopped = false;
  if (CVDisplayLinkIsRunning(link)) stopped = REQUIRED_CVRETURN(CVDisplayLinkStop(link));
  CVDisplayLinkRelease(link);
  return stopped;
}

bool NSUIDisplayLink::displayLinkIsRunning() const {
  CVDisplayLinkRef link = displayLink();
  return link && CVDisplayLinkIsRunning(link);
}

void NSUIDisplayLink::setDisplayLinkDisplayWithCGLContext_pixelFormat(CGLContextObj context,
                                                                     CGLPixelFormatObj pixelFormat) {
  CVDisplayLinkRef link = requiredDisplayLink();
  if (!link) return;
  if (!REQUIRED_NOT_NULL(context) || !REQUIRED_NOT_NULL(pixelFormat)) return;
  REQUIRED_CVRETURN(CVDisplayLinkSetCurrentCGDisplayFromOpenGLContext(link, context, pixelFormat));
}

bool NSUIDisplayLink::setDisplayLinkDisplayToWindowDisplay(NSObject* object) {
  auto* window = dynamic_cast<NSWindow*>(object);
  if (!window) return false;
  NSScreen* screen = window->screen();
  NSDictionary* description = screen ? screen->deviceDescription() : nullptr;
  auto* number = description ? dynamic_cast<NSNumber*>(description->objectForKey(NSSTR("NSScreenNumber"))) : nullptr;
  const auto windowDisplayID = static_cast<CGDirectDisplayID>(number ? number->unsignedIntValue() : 0);
  if (windowDisplayID == 0 || windowDisplayID == currentDisplayID()) return false;
  CVDisplayLinkRef link = displayLink();
  if (!link) return false;
  return REQUIRED_CVRETURN(CVDisplayLinkSetCurrentCGDisplay(link, windowDisplayID));
}

bool NSUIDisplayLink::setDisplayLinkDisplayToMainDisplay() {
  CVDisplayLinkRef link = requiredDisplayLink();
  if (!link) return false;
  return REQUIRED_CVRETURN(CVDisplayLinkSetCurrentCGDisplay(link, CGMainDisplayID()));
}

CGDirectDisplayID NSUIDisplayLink::currentDisplayID() const {
  CVDisplayLinkRef link = displayLink();
  if (!link || CFGetTypeID(link) != CVDisplayLinkGetTypeID()) return 0;
  return CVDisplayLinkGetCurrentCGDisplay(link);
}

CVReturn NSUIDisplayLink::displayLinkOutputForTime(const CVTimeStamp*) { return kCVReturnSuccess; }

CVTimeStamp NSUIDisplayLink::displayLinkCurrentTime() {
  // Every field but the host time is zero, not left as the stack had it.
  CVTimeStamp now{};
  now.version = 0;
  now.hostTime = CVGetCurrentHostTime();
  now.flags = kCVTimeStampHostTimeValid;
  return now;
}

void NSUIDisplayLink::dealloc() {
  stopDisplayLink();
  setDisplayLink(nullptr);
  NSObject::dealloc();
}
