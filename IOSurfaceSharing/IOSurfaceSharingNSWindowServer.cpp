#include "IOSurfaceSharingNSWindowServer.h"

#include <Foundation/NSBridging.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSKeyValueObserving.h>

OBJC_CLASS_DEFINE(IOSurfaceSharingNSWindowServer)
NS_PROPERTIES(IOSurfaceSharingNSWindowServer,
              NS_READONLY_PROPERTY("windowBytes", &IOSurfaceSharingNSWindowServer::windowExactBytes),
              NS_READONLY_PROPERTY("serverPublishedPortName",
                                   &IOSurfaceSharingNSWindowServer::serverPublishedPortName),
              NS_PROPERTY("sentImageInfo", &IOSurfaceSharingNSWindowServer::sentImageInfo,
                          &IOSurfaceSharingNSWindowServer::setSentImageInfo),
              NS_PROPERTY("globalImageInfo", &IOSurfaceSharingNSWindowServer::globalImageInfo,
                          &IOSurfaceSharingNSWindowServer::setGlobalImageInfo))
NS_DEPENDENT_KEYS(IOSurfaceSharingNSWindowServer, "serverPublishedPortName",
                  {"windowBytes.abstractWindowName"})

namespace {

// The panel's controller, when there is a panel and its nib has made one.
RefPtr<IOSurfaceSharingNSWindowInfoController> infoControllerOf(
    const RefPtr<IOSurfaceSharingNSWindowViewNibbler>& view) {
  return RefPtr<IOSurfaceSharingNSWindowInfoController>(view ? view->windowInfoController() : nullptr);
}

}  // namespace

IOSurfaceSharingNSWindowServer* IOSurfaceSharingNSWindowServer::initWithConnectionID(NSObject* connectionID) {
  IOSurfaceSharingNSWindow::initWithConnectionID(connectionID);
  RefPtr<NSWindowExactBytes> window =
      adopt(NSWindowExactBytes::alloc()->initWithRawDataSizeBytes(kIOSurfaceMessagePacketSize));
  if (window) window->setAbstractWindowName(mangledPublishedPortName());
  __windowExactBytes.set(window.get());
  std::lock_guard guard(mLock);
  IOSurfaceMessagePacket_ConstructEmpty(&__message);
  return this;
}

bool IOSurfaceSharingNSWindowServer::hasServerConnection() { return bool(__windowExactBytes.copy()); }

bool IOSurfaceSharingNSWindowServer::broadcastSurface_withSurfaceTime(IOSurfaceRef surface,
                                                                      uint64_t surfaceTime) {
  if (!hasServerConnection()) return false;
  return sendMessageSurface_surfaceTime(surface, surfaceTime);
}

bool IOSurfaceSharingNSWindowServer::sendMessageSurface_surfaceTime(IOSurfaceRef surface,
                                                                    uint64_t surfaceTime) {
  RefPtr<CGImage> image;
  {
    std::lock_guard guard(mLock);
    if (!IOSurfaceMessagePacket_SetNextSurfaceMessage(&__message, surface, surfaceTime)) return false;
    image = adopt(IOSurfaceMessagePacket_CopyImageDataAfterChecksumUpdate(&__message));
  }
  RefPtr<NSWindowExactBytes> window = __windowExactBytes.copy();
  if (!image || !window) return false;
  RefPtr<IOSurfaceSharingNSWindowServer> self(this);
  return window->writeImageDataOnMainThread_completionBlock(
      image.get(), [self, window](CGImageRef readBack) { self->showWrittenImage(window.get(), readBack); });
}

void IOSurfaceSharingNSWindowServer::showWrittenImage(NSWindowExactBytes* window, CGImageRef readBack) {
  if (RefPtr<IOSurfaceSharingNSWindowInfoController> sent = infoControllerOf(__sentImageInfo.copy())) {
    sent->setWindowID(window->quartzWindowID());
    sent->setWindowImage(readBack);
    sent->setGlobalWindowName(CFSTR("n/a"));
  }
  RefPtr<IOSurfaceSharingNSWindowInfoController> global = infoControllerOf(__globalImageInfo.copy());
  if (global && findServerPublishedPortName()) global->setWindowImage(windowImageGlobalCached());
}

bool IOSurfaceSharingNSWindowServer::verifyMessage_andReleaseImage(CGImageRef image, bool releaseImage) {
  RefPtr<CGImage> held = releaseImage ? adopt(image) : RefPtr<CGImage>(image);
  tagIOSurfaceMessagePacket message;
  return IOSurfaceMessagePacket_ConstructFromImageDataWithChecksumVerify(&message, held.get());
}

bool IOSurfaceSharingNSWindowServer::findServerPublishedPortName() {
  NSString* name = mangledPublishedPortName();
  uint32_t windowID = globalWindowID();
  if (windowID == 0) {
    const uint32_t found = NSWindowExactBytes::findGlobalWindowWithName(name);
    std::lock_guard guard(mLock);
    if (__globalWindowID == 0) __globalWindowID = found;
    windowID = __globalWindowID;
  }
  if (RefPtr<IOSurfaceSharingNSWindowInfoController> global = infoControllerOf(__globalImageInfo.copy())) {
    global->setGlobalWindowName(bridge_cast<CFStringRef>(name));
    global->setWindowID(windowID);
  }
  return windowID != 0;
}

uint32_t IOSurfaceSharingNSWindowServer::globalWindowID() const {
  std::lock_guard guard(mLock);
  return __globalWindowID;
}

CGImageRef IOSurfaceSharingNSWindowServer::windowImageGlobalCached() {
  if (findServerPublishedPortName()) {
    RefPtr<CGImage> captured = adopt(NSWindowExactBytes::createWindowImageWithWindowID(globalWindowID()));
    if (captured) setWindowImageGlobal(captured.get());
  }
  RefPtr<CGImage> kept = adopt(windowImageGlobalCopy());
  return kept ? static_cast<CGImageRef>(const_cast<void*>(objc_autorelease(kept.leak()))) : nullptr;
}

void IOSurfaceSharingNSWindowServer::setWindowImageGlobal(CGImageRef image) {
  RefPtr<CGImage> incoming(image);
  std::lock_guard guard(mLock);
  _windowImageGlobal.swap(incoming);
}

CGImageRef IOSurfaceSharingNSWindowServer::windowImageGlobalCopy() const {
  std::lock_guard guard(mLock);
  return RefPtr<CGImage>(_windowImageGlobal).leak();
}
