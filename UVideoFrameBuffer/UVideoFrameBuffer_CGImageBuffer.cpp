#include "UVideoFrameBuffer_CGImageBuffer.h"

namespace UVideoFrameBuffer {

T_CGImageRef::~T_CGImageRef() { ReleaseData(); }

void T_CGImageRef::ReleaseData() {
  std::lock_guard<SpinLock> guard(mDataLock);
  if (mData) CFRelease(mData);
  mData = nullptr;
}

bool T_CGImageRef::GetBufferFormat(CGImageRef image, Format& format) {
  format.Empty();
  if (!image) return false;
  tag_pixel_format_t pixelFormat = kPixelFormatNone;
  if (CGImageGetBitsPerPixel(image) == 32 && CGImageGetBitsPerComponent(image) == 8) {
    CGBitmapInfo info = CGImageGetBitmapInfo(image);
    bool little = (info & kCGBitmapByteOrderMask) == kCGBitmapByteOrder32Little;
    switch (info & kCGBitmapAlphaInfoMask) {
      case kCGImageAlphaPremultipliedLast:
      case kCGImageAlphaLast:
      case kCGImageAlphaNoneSkipLast:
        pixelFormat = little ? kPixelFormatABGR : kPixelFormatRGBA;
        break;
      case kCGImageAlphaPremultipliedFirst:
      case kCGImageAlphaFirst:
      case kCGImageAlphaNoneSkipFirst:
        pixelFormat = little ? kPixelFormatBGRA : kPixelFormatARGB;
        break;
      default:
        break;
    }
  }
  format = Format(int(CGImageGetWidth(image)), int(CGImageGetHeight(image)), pixelFormat,
                  int(CGImageGetBytesPerRow(image)));
  return true;
}

bool T_CGImageRef::LockBufferHandle(CGImageRef image) {
  if (!image || !CGImageGetDataProvider(image)) return false;
  CFDataRef copy = CGDataProviderCopyData(CGImageGetDataProvider(image));
  std::lock_guard<SpinLock> guard(mDataLock);
  if (mData) CFRelease(mData);
  mData = copy;
  return mData != nullptr;
}

bool CFTypeRefBaseWithLocking_T<T_CGImageRef, CGImageRef, Base>::SetBufferHandleLocked(CGImageRef image) {
  if (GetBufferHandle()) {
    ReleaseData();
    // The view pointed into the copy just released.
    DestructData();
  }
  CGImageRef held;
  {
    std::lock_guard<SpinLock> guard(mHandleLock);
    if (image != mHandle) {
      if (mHandle) CFRelease(mHandle);
      mHandle = image ? CGImageRetain(image) : nullptr;
    }
    held = mHandle;
  }
  if (!held) return false;
  return LockBufferHandle(held);
}

bool CFTypeRefBaseWithLocking_T<T_CGImageRef, CGImageRef, Base>::Construct(CGImageRef image) {
  Format format;
  if (!GetBufferFormat(image, format)) return false;
  if (!SetBufferHandleLocked(image)) return false;
  const UInt8* bytes = nullptr;
  CFIndex length = 0;
  {
    std::lock_guard<SpinLock> guard(mDataLock);
    if (mData) {
      bytes = CFDataGetBytePtr(mData);
      length = CFDataGetLength(mData);
    }
  }
  if (!bytes || length == 0) return false;
  return ConstructData(format, const_cast<UInt8*>(bytes), (unsigned long)length);
}

CGImageBuffer::~CGImageBuffer() { SetBufferHandleLocked(nullptr); }

}  // namespace UVideoFrameBuffer
