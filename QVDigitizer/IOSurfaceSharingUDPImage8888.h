#pragma once
// The digitizer's view of the application's newest frame: the id and time of the surface
// last announced, new announcements fetched on demand, and the cached copy of that surface.
//
// Announcements come over UDP when the host may open network client sockets; otherwise they
// would come from the message window that a sharing server draws its announcements into,
// whose reader this module does not carry: a host without that right sees the disconnected
// frame.
#include <cstdint>

#include "IOSurfaceSharingFrameBufferCache.h"
#include "UDPLoopbackMessageClientBuffer.h"

class IOSurfaceSharingUDPImage8888 {
 public:
  enum SourceMode : int32_t { kSourceMode_UDP = 0, kSourceMode_NSWindow = 1 };
  static constexpr uint16_t kServerPortNumber = 30100;

  IOSurfaceSharingUDPImage8888(int width, int height, UVideoFrameBuffer::tag_pixel_format_t pixelFormat);
  virtual ~IOSurfaceSharingUDPImage8888();
  IOSurfaceSharingUDPImage8888(const IOSurfaceSharingUDPImage8888&) = delete;
  IOSurfaceSharingUDPImage8888& operator=(const IOSurfaceSharingUDPImage8888&) = delete;

  // Chooses the channel and takes a connection of the cache; false when the cache holds
  // another frame format.
  virtual bool ConstructWidthHeight(int width, int height, UVideoFrameBuffer::tag_pixel_format_t pixelFormat);

  void SetServerPortNumber(uint16_t port) { mClient.SetServerPortNumber(port); }
  uint16_t GetServerPortNumber() const { return mClient.GetServerPortNumber(); }
  bool SetFrameSurfaceID(uint32_t surfaceID, uint64_t surfaceTime);
  bool HasValidFrameSurface() const { return mFrameSurfaceID != 0; }
  void InvalidateFrameSurface() { mFrameSurfaceID = 0; }
  uint32_t GetFrameSurfaceID() const { return mFrameSurfaceID; }
  uint64_t GetFrameTime() const { return mFrameTime; }
  SourceMode GetSourceMode() const { return mSourceMode; }

  // Fetches the announcements now waiting; true when one was taken.
  bool GetFrameFromServerMessage();
  bool GetFrameFrom_UDP_Message();
  bool Incoming_UDP_MessageData(const UDPNetwork::IPAddress& from, const UDPLoopBackMessageData& message);
  bool Incoming_MessageData(uint64_t surfaceID, uint64_t surfaceTime);
  bool RequestDispatch_NSWindow_Message();

  // The cached copy of the announced surface; null when none is known or none can be had now.
  // A surface that no longer exists (its application quit) is forgotten, so that the device
  // shows its disconnected frame again.
  UVideoFrameBufferCachedSurface* GetFrameBuffer();

  // The module's one cache, shared by every device.
  static IOSurfaceSharingFrameBufferCache s_frame_cache;

 private:
  UDPLoopbackMessageClientBuffer mClient;
  uint32_t mFrameSurfaceID = 0;
  uint64_t mFrameTime = 0;
  SourceMode mSourceMode = kSourceMode_UDP;
  bool mCacheConnected = false;
};

// The frame source with the pixel format of the digitizer's frames.
class IOSurfaceSharingUDPImageARGB : public IOSurfaceSharingUDPImage8888 {
 public:
  static constexpr UVideoFrameBuffer::tag_pixel_format_t kPixelFormat = FOUR_CHAR_CODE("raw ");
  IOSurfaceSharingUDPImageARGB(int width, int height)
      : IOSurfaceSharingUDPImage8888(width, height, kPixelFormat) {}
  virtual bool ConstructWidthHeight(int width, int height) {
    return IOSurfaceSharingUDPImage8888::ConstructWidthHeight(width, height, kPixelFormat);
  }
};
