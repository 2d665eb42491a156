#include "IOSurfaceSharingNSWindowClient.h"

#include "UCoreCGWindowList.h"
#include "namespace_CoreGraphics_CGWindow.h"

namespace {

// Marks the client's queue, so that a call from the callback does not wait for itself.
const int kRunningClientKey = 0;

bool isConstructed(const tagIOSurfaceSharingNSWindowClientObject* client) {
  return client && client->validityTag == kIOSurfaceSharingNSWindowClientValidityTag;
}

// One read of the window, on the client's queue.
void readNextMessage(tagIOSurfaceSharingNSWindowClientObject* client, CGWindowID windowID) {
  RefPtr<CGImage> image = adopt(CoreGraphics::CGWindow_CopyImageWithWindowID(windowID));
  if (!image) return;
  {
    std::lock_guard guard(client->lock);
    client->cachedLastImage = image;
  }
  tagIOSurfaceMessagePacket message;
  uint32_t surfaceID = 0;
  uint64_t surfaceTime = 0;
  if (!IOSurfaceMessagePacket_ConstructFromImageDataWithChecksumVerify(&message, image.get()) ||
      !IOSurfaceMessagePacket_GetNextSurfaceMessage(&message, surfaceID, surfaceTime))
    return;
  IOSurfaceSharingNSWindowClientCallback callback;
  void* context;
  {
    std::lock_guard guard(client->lock);
    if (message.sequenceNumber == client->lastSequenceNumber) return;
    client->lastSequenceNumber = message.sequenceNumber;
    client->lastSurfaceID = surfaceID;
    client->lastSurfaceTime = surfaceTime;
    callback = client->callback;
    context = client->callbackContext;
  }
  if (!callback) return;
  // A surface that is gone (its server ended) is no frame to hand on.
  RefPtr<__IOSurface> surface = adopt(IOSurfaceLookup(surfaceID));
  if (surface) callback(surface.get(), surfaceTime, context);
}

}  // namespace

tagIOSurfaceSharingNSWindowClientObject::~tagIOSurfaceSharingNSWindowClientObject() {
  IOSurfaceSharingNSWindowClient_Destruct(this);
}

bool IOSurfaceSharingNSWindowClient_Construct(tagIOSurfaceSharingNSWindowClientObject* client) {
  if (!client) return false;
  IOSurfaceSharingNSWindowClient_Destruct(client);
  client->queue = dispatch_queue_create("IOSurfaceSharingNSWindowClientCPP", DISPATCH_QUEUE_SERIAL);
  if (!client->queue) return false;
  dispatch_queue_set_specific(client->queue, &kRunningClientKey, client, nullptr);
  client->validityTag = kIOSurfaceSharingNSWindowClientValidityTag;
  return true;
}

bool IOSurfaceSharingNSWindowClient_IsConstructed(const tagIOSurfaceSharingNSWindowClientObject* client) {
  return isConstructed(client);
}

void IOSurfaceSharingNSWindowClient_Destruct(tagIOSurfaceSharingNSWindowClientObject* client) {
  if (!isConstructed(client)) return;
  client->validityTag = 0;
  if (dispatch_get_specific(&kRunningClientKey) != client) dispatch_sync(client->queue, [] {});
  dispatch_release(client->queue);
  std::lock_guard guard(client->lock);
  client->queue = nullptr;
  client->windowName = nullptr;
  client->windowOwnerName = nullptr;
  client->windowID = 0;
  client->lastSurfaceID = 0;
  client->lastSurfaceTime = 0;
  client->lastSequenceNumber = 0;
  client->callback = nullptr;
  client->callbackContext = nullptr;
  client->cachedLastImage = nullptr;
}

bool IOSurfaceSharingNSWindowClient_serverConnect(tagIOSurfaceSharingNSWindowClientObject* client,
                                                  uint32_t portNumber, CFStringRef portName,
                                                  CFStringRef ownerName) {
  if (!isConstructed(client)) return false;
  auto name =
      adopt(IOSurfaceSharingNSWindow_CopyMangledVersionOfPublishedServerPortName(portName, portNumber));
  auto owner = ownerName ? adopt(CFStringCreateCopy(nullptr, ownerName)) : nullptr;
  CGWindowID found = kCGNullWindowID;
  if (name) {
    UCoreCGWindowList_EnumWindowsWithOptions(kCGWindowListOptionAll, [&](CFIndex, CFDictionaryRef window) {
      if (!UCoreCGWindowInfo_HasWindowName(window, name.get())) return true;
      if (owner && !UCoreCGWindowInfo_HasWindowOwnerName(window, owner.get())) return true;
      found = CGWindowID(UCoreCGWindowInfo_GetWindowID(window));
      return false;
    });
  }
  std::lock_guard guard(client->lock);
  client->windowName = name;
  client->windowOwnerName = owner;
  client->windowID = found;
  return found != kCGNullWindowID;
}

bool IOSurfaceSharingNSWindowClient_hasClientConnection(tagIOSurfaceSharingNSWindowClientObject* client) {
  return IOSurfaceSharingNSWindowClient_serverGetWindowID(client) != kCGNullWindowID;
}

uint32_t IOSurfaceSharingNSWindowClient_serverGetWindowID(tagIOSurfaceSharingNSWindowClientObject* client) {
  if (!isConstructed(client)) return 0;
  std::lock_guard guard(client->lock);
  return client->windowID;
}

bool IOSurfaceSharingNSWindowClient_serverDisconnect(tagIOSurfaceSharingNSWindowClientObject* client) {
  if (!isConstructed(client)) return false;
  std::lock_guard guard(client->lock);
  client->windowID = kCGNullWindowID;
  return true;
}

bool IOSurfaceSharingNSWindowClient_serverSetCallback(tagIOSurfaceSharingNSWindowClientObject* client,
                                                      IOSurfaceSharingNSWindowClientCallback callback,
                                                      void* context) {
  if (!isConstructed(client)) return false;
  std::lock_guard guard(client->lock);
  client->callback = callback;
  client->callbackContext = context;
  return true;
}

bool IOSurfaceSharingNSWindowClient_serverGetNextMessage(tagIOSurfaceSharingNSWindowClientObject* client) {
  const CGWindowID windowID = IOSurfaceSharingNSWindowClient_serverGetWindowID(client);
  if (windowID == kCGNullWindowID) return false;
  dispatch_async(client->queue, [client, windowID] { readNextMessage(client, windowID); });
  return true;
}

CGImageRef IOSurfaceSharingNSWindowClient_serverCopyCachedLastImage(
    tagIOSurfaceSharingNSWindowClientObject* client) {
  if (!isConstructed(client)) return nullptr;
  std::lock_guard guard(client->lock);
  return RefPtr<CGImage>(client->cachedLastImage).leak();
}

bool IOSurfaceSharingNSWindowClient_SetCachedLastImage(tagIOSurfaceSharingNSWindowClientObject* client,
                                                       CGImageRef image) {
  if (!isConstructed(client)) return false;
  RefPtr<CGImage> kept(image);
  std::lock_guard guard(client->lock);
  client->cachedLastImage.swap(kept);
  return true;
}
