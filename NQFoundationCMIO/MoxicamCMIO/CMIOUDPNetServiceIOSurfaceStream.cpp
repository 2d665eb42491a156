#include "CMIOUDPNetServiceIOSurfaceStream.h"

#include <CoreVideo/CVPixelBufferIOSurface.h>

#include <cstring>
#include <string>

#include "NQBonjourIOSurfaceProtocol.h"
#include "URequirements.h"

namespace NQCMIO {

UDPNetServiceIOSurfaceStream::UDPNetServiceIOSurfaceStream(CFNetServiceRef, CFDictionaryRef inTXTDictionary)
    : _queue(dispatch_queue_create("UDPNetServiceIOSurfaceStream", DISPATCH_QUEUE_SERIAL)) {
  if (!REQUIRED_CFTYPEOF(inTXTDictionary, CFDictionaryGetTypeID())) return;
  if (!REQUIREMENT(_receiver.SetDictionaryDataFromNetService(inTXTDictionary))) return;
  REQUIREMENT(_receiver.StartReceivingWithDelegate(*this));
}

UDPNetServiceIOSurfaceStream::~UDPNetServiceIOSurfaceStream() {
  // No notification may reach a stream that is going.
  _receiver.StopReceiving();
  dispatch_sync(_queue, [] {});
  dispatch_release(_queue);
}

void UDPNetServiceIOSurfaceStream::StartStream() { CMIOStreamBase::StartStream(); }

void UDPNetServiceIOSurfaceStream::StopStream() { CMIOStreamBase::StopStream(); }

void UDPNetServiceIOSurfaceStream::Destruct() {
  _receiver.StopReceiving();
  CMIOStreamBase::Destruct();
}

// The frame is taken at once rather than at the next tick of a timer of its own phase.
void UDPNetServiceIOSurfaceStream::SurfaceReceived(uint32_t surfaceID) {
  const RefPtr<__IOSurface> surface = adopt(IOSurfaceLookup(surfaceID));
  SetCurrentFrameIOSurface(surface.get());
  if (surface) FrameAnnounced();
}

// The previous surface is released outside the lock.
void UDPNetServiceIOSurfaceStream::SetCurrentFrameIOSurface(IOSurfaceRef surface) {
  RefPtr<__IOSurface> replaced(surface);
  std::lock_guard<std::mutex> guard(mLock);
  mCurrentFrameSurface.swap(replaced);
}

IOSurfaceRef UDPNetServiceIOSurfaceStream::CopyCurrentFrameIOSurface() {
  std::lock_guard<std::mutex> guard(mLock);
  return RefPtr(mCurrentFrameSurface).leak();
}

CVPixelBufferRef UDPNetServiceIOSurfaceStream::CopyPixelBufferForPresentationTime(CMTime) {
  const RefPtr<__IOSurface> surface = adopt(CopyCurrentFrameIOSurface());
  IOSurfaceRef desktopSurface = surface.get();
  if (!desktopSurface || CFGetTypeID(desktopSurface) != IOSurfaceGetTypeID()) return nullptr;
  CFDictionaryRef pixelBufferAttributes = nullptr;
  CVPixelBufferRef newPixelBufferForPresentationTime = nullptr;
  if (!REQUIRED_CVRETURN(CVPixelBufferCreateWithIOSurface(NULL, desktopSurface, pixelBufferAttributes, &newPixelBufferForPresentationTime)))
    newPixelBufferForPresentationTime = nullptr;
  return newPixelBufferForPresentationTime;
}

CFStringRef UDPNetServiceIOSurfaceStream::CopyDeviceName(CFNetServiceRef service, CFDictionaryRef) {
  CFStringRef serviceUserFacingName = service ? CFNetServiceGetName(service) : nullptr;
  if (!REQUIRED_CFTYPEOF(serviceUserFacingName, CFStringGetTypeID())) return CFSTR("Webcam #");
  return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("Webcam %@"), serviceUserFacingName);
}

CFStringRef UDPNetServiceIOSurfaceStream::CopyDeviceUID(CFStringRef deviceName) {
  if (!deviceName) return nullptr;
  const RefPtr<__CFString> lowered = adopt(CFStringCreateMutableCopy(nullptr, 0, deviceName));
  CFStringLowercase(lowered.get(), nullptr);
  CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(lowered.get()), kCFStringEncodingUTF8) + 1;
  std::string name(size_t(size), '\0');
  CFStringGetCString(lowered.get(), name.data(), size, kCFStringEncodingUTF8);
  name.resize(strlen(name.c_str()));
  // The name is lower case already, so a literal search finds every case of the words.
  std::string uid;
  const std::string word = "webcam ";
  for (size_t at = 0; at < name.size();) {
    if (name.compare(at, word.size(), word) == 0) {
      uid += "com.quillfen.webcam.";
      at += word.size();
    } else {
      uid += name[at] == ' ' ? '.' : name[at];
      ++at;
    }
  }
  return CFStringCreateWithCString(nullptr, uid.c_str(), kCFStringEncodingUTF8);
}

CGSize UDPNetServiceIOSurfaceStream::GetFrameSizeFromTXTDictionary(CFDictionaryRef txtDictionary) {
  return CGSizeMake(
      CGFloat(NQBonjour::TXTDictionary::IntegerValueForKey(txtDictionary, BonjourIOSurfaceProtocol_FrameWidthKey)),
      CGFloat(NQBonjour::TXTDictionary::IntegerValueForKey(txtDictionary, BonjourIOSurfaceProtocol_FrameHeightKey)));
}

double UDPNetServiceIOSurfaceStream::GetFrameRateFromTXTDictionary(CFDictionaryRef txtDictionary) {
  return NQBonjour::TXTDictionary::DoubleValueForKey(txtDictionary, BonjourIOSurfaceProtocol_FrameRateKey);
}

}  // namespace NQCMIO
