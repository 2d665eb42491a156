#pragma once
// The digitizer device: frames of the application's shared surfaces, fetched over UDP and
// copied through the module's cache, or its message frame (a dark picture with its name in
// the lower third) while no shared frame is known.
//
// A frame handed to the host stays locked until the host gives it back; the cache cannot
// rewrite it meanwhile.
#include <cstdint>

#include "IOSurfaceSharingUDPImage8888.h"
#include "T_config_VDIG_device.h"
#include "UVideoFrameBuffer_GraphicsContext.h"

class IOSurfaceSharing_udp_device : public T_config_VDIG_device {
 public:
  static constexpr uint16_t kConfig_ServerPortNumber = 30100;

  IOSurfaceSharing_udp_device();
  ~IOSurfaceSharing_udp_device() override;

  bool Connect();
  // Shows the message frame again and forgets the shared frame.
  void Disconnect();
  void SetServerPortNumber(uint16_t port);
  uint16_t GetServerPortNumber() const { return mServerPortNumber; }
  virtual void DrawDeviceMessage();

  // The next frame: a shared frame when one is known (none for this call when its copy is
  // busy), else the message frame. hasFrame, data and size describe it; always noErr.
  OSErr GetFrame(bool* hasFrame, char** data, long* size);
  char* GetFrameBufferWhenConnected();
  char* GetFrameBufferWhenDisconnected() const { return GetCurrentFrame(); }
  // Holds and locks the copy (the held one let go first); false when a reader holds it.
  bool SetCachedFrameBuffer(UVideoFrameBufferCachedSurface* frame);
  char* GetLockedFrameBufferDataPtr() const;
  // Gives a frame back; false for a pointer that is not the held frame's.
  bool UnlockFrameBufferDataPtr(char* data);
  OSErr ReleaseCompressBuffer(char* data);
  uint64_t GetFrameTime() const { return mFrameTime; }
  IOSurfaceSharingUDPImageARGB& GetFrameSource() { return mFrameSource; }

 protected:
  // The message frame, its name drawn by this class.
  void DrawOwnDeviceMessage();

  uint16_t mServerPortNumber = kConfig_ServerPortNumber;
  UVideoFrameBuffer::GraphicsContext mMessageFrame;
  UVideoFrameBufferCachedSurface* mCachedFrame = nullptr;
  uint64_t mFrameTime = ~uint64_t(0);
  IOSurfaceSharingUDPImageARGB mFrameSource;
};

// The device whose message frame is '2vuy' (the frame size and pixel format it reports say
// so); shared frames stay ARGB.
class IOSurfaceSharing_udp_2vuy_device : public IOSurfaceSharing_udp_device {
 public:
  static constexpr OSType k2vuyPixelFormat = FOUR_CHAR_CODE("2vuy");
  static constexpr int32_t k2vuyRowBytes = kFrameWidthPixels * 2;
  static constexpr int32_t k2vuyFrameSizeBytes = k2vuyRowBytes * kFrameHeightPixels;

  IOSurfaceSharing_udp_2vuy_device();
  void DrawDeviceMessage() override;

 private:
  UVideoFrameBuffer::Format mFrameFormat;
  UVideoFrameBuffer::Memory mFrameMemory;
};

// The device with inputs: one input, which selects the listener port of the table.
class IOSurfaceSharing_udp_inputs : public IOSurfaceSharing_udp_device {
 public:
  static constexpr uint16_t sServerPortNumbers[6] = {30100, 30100, 30200, 30300, 30400, 30500};

  IOSurfaceSharing_udp_inputs();
  int GetNumberOfInputs() const { return 1; }
  int GetCurrentInputNumber() const { return mCurrentInputNumber; }
  void SetCurrentInputNumber(int input);
  static uint16_t GetServerPortNumberForInputNumber(long input);
  // paramErr for a name longer than 255 characters.
  OSErr GetDeviceName(unsigned char* name, long type) const;

 private:
  int mCurrentInputNumber = 0;
};
