#include "namespace_CoreGraphics_ImageData.h"

#include "namespace_CoreGraphics_Drawing.h"

namespace CoreGraphics {

CFURLRef ImageData::ResourceURL(const char* utf8Name, CFStringRef type) {
  if (!utf8Name) return nullptr;
  CFStringRef name = CFStringCreateWithCString(nullptr, utf8Name, kCFStringEncodingUTF8);
  if (!name) return nullptr;
  CFURLRef url = CopyResourceURL(name, type);
  CFRelease(name);
  return url;
}

void ImageData::Release() {
  CGImageRelease(mImage);
  mImage = nullptr;
}

}  // namespace CoreGraphics
