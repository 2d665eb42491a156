#include "IOSurfaceSharingUDPImage8888.h"

#include "UCodeEntitlements.h"

IOSurfaceSharingFrameBufferCache IOSurfaceSharingUDPImage8888::s_frame_cache;

IOSurfaceSharingUDPImage8888::IOSurfaceSharingUDPImage8888(int width, int height,
                                                           UVideoFrameBuffer::tag_pixel_format_t pixelFormat)
    : mClient(kServerPortNumber) {
  // The constructor's own class: no subclass is there yet to override it.
  IOSurfaceSharingUDPImage8888::ConstructWidthHeight(width, height, pixelFormat);
}

IOSurfaceSharingUDPImage8888::~IOSurfaceSharingUDPImage8888() {
  // No read of the window may still be under way when the cache connection goes.
  IOSurfaceSharingNSWindowClient_Destruct(&mWindowClient);
  if (mCacheConnected) s_frame_cache.Disconnect();
}

bool IOSurfaceSharingUDPImage8888::ConstructWidthHeight(int width, int height,
                                                        UVideoFrameBuffer::tag_pixel_format_t pixelFormat) {
  if (!UCodeEntitlements::sEntitlements.HasAccessToNetworkClient()) {
    if (!IOSurfaceSharingNSWindowClient_IsConstructed(&mWindowClient))
      IOSurfaceSharingNSWindowClient_Construct(&mWindowClient);
    mSourceMode = kSourceMode_NSWindow;
  }
  // One connection of the cache for the object's life, however often it is built.
  if (mCacheConnected) return true;
  mCacheConnected = s_frame_cache.ConnnectWithWidthHeight(width, height, pixelFormat);
  return mCacheConnected;
}

bool IOSurfaceSharingUDPImage8888::SetFrameSurfaceID(uint32_t surfaceID, uint64_t surfaceTime) {
  mFrameSurfaceID = surfaceID;
  mFrameTime = surfaceTime;
  return surfaceID != 0;
}

bool IOSurfaceSharingUDPImage8888::GetFrameFromServerMessage() {
  switch (mSourceMode) {
    case kSourceMode_NSWindow:
      return RequestDispatch_NSWindow_Message();
    case kSourceMode_UDP:
      return GetFrameFrom_UDP_Message();
  }
  return false;
}

bool IOSurfaceSharingUDPImage8888::GetFrameFrom_UDP_Message() {
  std::vector<UDPLoopbackMessageClientBuffer::message_t> messages;
  if (!mClient.GetNewMessages(messages)) return false;
  // Only the newest announcement matters; older ones of the batch are stale already.
  return Incoming_UDP_MessageData(messages.back().address, messages.back().message);
}

bool IOSurfaceSharingUDPImage8888::Incoming_UDP_MessageData(const UDPNetwork::IPAddress&,
                                                            const UDPLoopBackMessageData& message) {
  return Incoming_MessageData(message.GetSurfaceID(), message.GetSurfaceTime());
}

bool IOSurfaceSharingUDPImage8888::Incoming_MessageData(uint64_t surfaceID, uint64_t surfaceTime) {
  const uint32_t id = uint32_t(surfaceID);
  if (id == 0) return false;
  SetFrameSurfaceID(id, surfaceTime);
  return s_frame_cache.CacheFrameWithSurfaceID(id);
}

bool IOSurfaceSharingUDPImage8888::RequestDispatch_NSWindow_Message() {
  if (!IOSurfaceSharingNSWindowClient_hasClientConnection(&mWindowClient) || !HasValidFrameSurface()) {
    // The title the application's window server gives its window.
    if (IOSurfaceSharingNSWindowClient_serverConnect(&mWindowClient, GetServerPortNumber(),
                                                     CFSTR(kIOSurfaceSharingPublishedPortName), nullptr))
      IOSurfaceSharingNSWindowClient_serverSetCallback(&mWindowClient, sNSWindowSurfaceArrivedFn, this);
  }
  if (!IOSurfaceSharingNSWindowClient_serverGetNextMessage(&mWindowClient)) return false;
  dispatch_sync(mWindowClient.queue, [] {});
  return true;
}

int IOSurfaceSharingUDPImage8888::sNSWindowSurfaceArrivedFn(IOSurfaceRef surface, uint64_t surfaceTime,
                                                            void* context) {
  auto* source = static_cast<IOSurfaceSharingUDPImage8888*>(context);
  const uint32_t id = surface ? IOSurfaceGetID(surface) : 0;
  if (!source || id == 0) return 1;
  source->SetFrameSurfaceID(id, surfaceTime);
  s_frame_cache.CacheFrameWithSurfaceID(id);
  return 1;
}

UVideoFrameBufferCachedSurface* IOSurfaceSharingUDPImage8888::GetFrameBuffer() {
  if (mFrameSurfaceID == 0 || !mCacheConnected) return nullptr;
  bool gone = false;
  UVideoFrameBufferCachedSurface* entry = s_frame_cache.GetCachedFrameWithSurfaceID(mFrameSurfaceID, &gone);
  if (gone) InvalidateFrameSurface();
  return entry;
}
