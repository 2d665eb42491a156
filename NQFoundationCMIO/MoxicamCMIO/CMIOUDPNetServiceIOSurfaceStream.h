#pragma once
// The network camera's stream: follows one announcement's notifications and hands out, on
// every tick of the frame timer, a pixel buffer over the surface that holds the newest frame
// (no pixels are copied).
#include <CFNetwork/CFNetServices.h>
#include <IOSurface/IOSurface.h>

#include <mutex>

#include "CMIOStreamBase.h"
#include "NQBonjourSurfaceReceiver.h"

namespace NQCMIO {

class UDPNetServiceIOSurfaceStream : public CMIOStreamBase {
 public:
  UDPNetServiceIOSurfaceStream(CFNetServiceRef service, CFDictionaryRef txtDictionary);
  ~UDPNetServiceIOSurfaceStream() override;

  const char* ClassName() const override { return "NQCMIO::UDPNetServiceIOSurfaceStream"; }
  void StartStream() override;
  void StopStream() override;
  void Destruct() override;
  CVPixelBufferRef CopyPixelBufferForPresentationTime(CMTime presentationTime) override;

  void SurfaceReceived(uint32_t surfaceID);
  void SetCurrentFrameIOSurface(IOSurfaceRef surface);
  // The surface of the newest frame (+1), or null.
  IOSurfaceRef CopyCurrentFrameIOSurface();

  static CFStringRef CopyDeviceName(CFNetServiceRef service, CFDictionaryRef txtDictionary);
  static CFStringRef CopyDeviceUID(CFStringRef deviceName);
  static CGSize GetFrameSizeFromTXTDictionary(CFDictionaryRef txtDictionary);
  static double GetFrameRateFromTXTDictionary(CFDictionaryRef txtDictionary);

 private:
  dispatch_queue_t _queue;
  NQBonjour::SurfaceReceiver _receiver;
  RefPtr<__IOSurface> mCurrentFrameSurface;
  std::mutex mLock;  // guards the current frame surface; held only to swap or retain it
};

}  // namespace NQCMIO
