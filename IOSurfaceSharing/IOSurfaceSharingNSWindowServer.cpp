#include "IOSurfaceSharingNSWindowServer.h"

OBJC_CLASS_DEFINE(IOSurfaceSharingNSWindowServer)

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
  if (RefPtr<IOSurfaceSharingNSWindowInfoController> sent = __sentImageInfo.copy()) {
    sent->setWindowID(window->quartzWindowID());
    sent->setWindowImage(readBack);
    sent->setGlobalWindowName(CFSTR("n/a"));
  }
  RefPtr<IOSurfaceSharingNSWindowInfoController> global = __globalImageInfo.copy();
  if (global && findServerPublishedPortName()) global->setWindowImage(windowImageGlobalCached());
}

bool IOSurfaceSharingNSWindowServer::verifyMessage_andReleaseImage(CGImageRef image, bool releaseImage) {
  RefPtr<CGImage> held = releaseImage ? adopt(image) : RefPtr<CGImage>(image);
  tagIOSurfaceMessagePacket message;
  return IOSurfaceMessagePacket_ConstructFromImageDataWithChecksumVerify(&message, held.get());
}

bool IOSurfaceSharingNSWindowServer::findServerPublishedPortName() {
  if (globalWindowID() != 0) return true;
  const uint32_t found = NSWindowExactBytes::findGlobalWindowWithName(mangledPublishedPortName());
  std::lock_guard guard(mLock);
  if (__globalWindowID == 0) __globalWindowID = found;
  return __globalWindowID != 0;
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
