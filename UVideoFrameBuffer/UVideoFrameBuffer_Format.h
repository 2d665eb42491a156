#pragma once
// The format of a frame of pixels: size, pixel format (a four-character code) and row bytes.
#include <cstdint>

#include <CoreFoundation/MacTypes.h>

namespace UVideoFrameBuffer {

typedef uint32_t tag_pixel_format_t;

constexpr tag_pixel_format_t kPixelFormatNone = FOUR_CHAR_CODE("none");
constexpr tag_pixel_format_t kPixelFormatData = FOUR_CHAR_CODE("DATA");  // raw bytes
constexpr tag_pixel_format_t kPixelFormat2vuy = FOUR_CHAR_CODE("2vuy");
constexpr tag_pixel_format_t kPixelFormatBGRA = FOUR_CHAR_CODE("BGRA");
constexpr tag_pixel_format_t kPixelFormatARGB = FOUR_CHAR_CODE("ARGB");
constexpr tag_pixel_format_t kPixelFormatRGBA = FOUR_CHAR_CODE("RGBA");
constexpr tag_pixel_format_t kPixelFormatABGR = FOUR_CHAR_CODE("ABGR");

class Format {
 public:
  Format() = default;
  // Row bytes 0 (with a size and a format other than 'none') become the packed row.
  Format(int width, int height, tag_pixel_format_t pixelFormat, int rowBytes);
  Format(const Format&) = default;
  Format& operator=(const Format&) = default;

  void Empty();
  void SetFrameBufferFormatNone() { Empty(); }
  void SetFrameBufferFormat(const Format& format) { *this = format; }

  bool HasValidFormat() const;
  // Compares width/height ratios to three decimals, and prints the comparison.
  bool HasSameFrameAspectRatio(const Format& other) const;
  // 1 for 'DATA', 2 for '2vuy', 4 for every other code.
  static int BytesPerPixel(tag_pixel_format_t pixelFormat);
  // "'BGRA' (42475241)": valid until this thread's next call.
  static const char* stringFromPixelFormat(tag_pixel_format_t pixelFormat);
  void DebugDump(const char* label) const;

  int32_t mPixelWidth = 0;
  int32_t mPixelHeight = 0;
  tag_pixel_format_t mPixelFormat = kPixelFormatNone;
  int32_t mPixelRowBytes = 0;
};

}  // namespace UVideoFrameBuffer
