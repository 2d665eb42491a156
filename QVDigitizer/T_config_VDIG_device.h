#pragma once
// What every video digitizer device of the component shares: its fixed frame format, its
// name, its counters and the frame it shows while no shared frame is known.
#include <CoreFoundation/MacTypes.h>

#include <cstddef>
#include <cstdint>

// The QuickDraw rectangle that digitizer calls answer sizes in.
struct Rect {
  short top, left, bottom, right;
};

class T_config_VDIG_device {
 public:
  static constexpr const char* kDeviceName = "Moxicam.VDIG";
  static constexpr OSType kPixelFormat = FOUR_CHAR_CODE("raw ");
  static constexpr int32_t kPixelSizeBytes = 4;
  static constexpr int32_t kFrameWidthPixels = 1280;
  static constexpr int32_t kFrameHeightPixels = 720;
  static constexpr int32_t kFrameRowBytes = kFrameWidthPixels * kPixelSizeBytes;
  static constexpr int32_t kFrameInputFormat = 2;
  static constexpr int32_t kFrameSizeBytes = kFrameRowBytes * kFrameHeightPixels;
  static constexpr size_t kDeviceNameSize = 68;

  T_config_VDIG_device();
  virtual ~T_config_VDIG_device() = default;
  T_config_VDIG_device(const T_config_VDIG_device&) = delete;
  T_config_VDIG_device& operator=(const T_config_VDIG_device&) = delete;

  bool Connect();
  void Disconnect();
  void GetMaxSrcRectFromDevice(Rect* rect) const;
  OSErr SetCompressionOnOff(int on);
  // The name as a Pascal string of at most 255 characters.
  OSErr GetDeviceName(unsigned char* name, long type) const;
  // Appends the suffix, as much of it as the name's 67 characters leave room for.
  const char* SetDeviceNameSuffix(const char* suffix);
  const char* GetDeviceNameText() const { return mDeviceName; }
  int GetFrameCounter() const { return mFrameCounter; }
  // The frame shown while no shared frame is known, its size and its pixel format.
  char* GetCurrentFrame() const { return mCurrentFrame; }
  int32_t GetCurrentFrameSizeBytes() const { return mFrameSizeBytes; }
  OSType GetCurrentFramePixelFormat() const { return mCurrentFramePixelFormat; }

 protected:
  char mDeviceName[kDeviceNameSize];
  int mCompression = 0;
  int mFrameCounter = 0;
  int mFrameCounter2 = 0;
  char* mCurrentFrame = nullptr;
  int32_t mFrameSizeBytes = kFrameSizeBytes;
  OSType mCurrentFramePixelFormat = kPixelFormat;
};
