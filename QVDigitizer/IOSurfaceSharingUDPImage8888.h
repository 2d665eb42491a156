#pragma once
// The digitizer's view of the application's newest frame: the id and time of the surface
// last announced, new announcements fetched on demand, and the cached copy of that surface.
//
// Announcements come over UDP when the host may open network client sockets; otherwise from
// the message window that a sharing server draws its announcements into
// (IOSurfaceSharingNSWindowClient.h), found by the title the server gives it: the
// application's service name and the server's UDP port.
#include <cstdint>

#include "IOSurfaceSharingFrameBufferCache.h"
#include "IOSurfaceSharingNSWindowClient.h"
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
  // Reads the message window once, looking it up first when it is not known or no frame is
  // (its server may have gone and come back with another window); true when a read was made.
  // The read runs on the window reader's queue and the call waits for it, so that a new
  // announcement is taken before the call returns.
  bool RequestDispatch_NSWindow_Message();
  // The window reader's callback: takes the surface's id and time into the source (the
  // context). Always 1.
  static int sNSWindowSurfaceArrivedFn(IOSurfaceRef surface, uint64_t surfaceTime, void* context);

  // The cached copy of the announced surface; null when none is known or none can be had now.
  // A surface that no longer exists (its application quit) is forgotten, so that the device
  // shows its disconnected frame again.
  UVideoFrameBufferCachedSurface* GetFrameBuffer();

  // The module's one cache, shared by every device.
  static IOSurfaceSharingFrameBufferCache s_frame_cache;

 private:
  UDPLoopbackMessageClientBuffer mClient;
  tagIOSurfaceSharingNSWindowClientObject mWindowClient;
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
