#include "namespace_CoreGraphics_ImageData.h"

#include "CoreGVerify.h"
#include "namespace_CoreGraphics_Drawing.h"

namespace CoreGraphics {

CFURLRef ImageData::ResourceURL(const char* utf8Name, CFStringRef type) {
  if (!Verify(utf8Name != nullptr, "ResourceURL", kImageDataSource, 61, " code : utf8_filename")) return nullptr;
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
