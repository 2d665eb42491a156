#pragma once
// One image of the application's resources, held with its own reference.
#include <CoreFoundation/CFURL.h>
#include <CoreGraphics/CoreGraphics.h>

namespace CoreGraphics {

class ImageData {
 public:
  ImageData() = default;
  ~ImageData() { Release(); }
  ImageData(const ImageData&) = delete;
  ImageData& operator=(const ImageData&) = delete;

  // A new URL of the named resource of the main bundle, or null (also for a name that is
  // not UTF-8; a missing name is reported).
  static CFURLRef ResourceURL(const char* utf8Name, CFStringRef type);

  CGImageRef GetImage() const { return mImage; }
  void Release();

 private:
  CGImageRef mImage = nullptr;
};

}  // namespace CoreGraphics
