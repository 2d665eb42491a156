#include "FrameImage.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace CameraHost {

namespace {

// Larger than any camera's frame; keeps the copy's size from overflowing.
constexpr size_t kLargestSide = 1 << 16;

// Byte positions of red, green, blue and alpha within one pixel, by format.
bool channelOrder(OSType format, int order[4]) {
  switch (format) {
    case kCVPixelFormatType_32ARGB:
      order[0] = 1, order[1] = 2, order[2] = 3, order[3] = 0;
      return true;
    case kCVPixelFormatType_32BGRA:
      order[0] = 2, order[1] = 1, order[2] = 0, order[3] = 3;
      return true;
    case kCVPixelFormatType_32RGBA:
      order[0] = 0, order[1] = 1, order[2] = 2, order[3] = 3;
      return true;
    default:
      return false;
  }
}

struct PNGWriter {
  png_structp png = nullptr;
  png_infop info = nullptr;
  FILE* file = nullptr;
  ~PNGWriter() {
    if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
    if (file) std::fclose(file);
  }
};

}  // namespace

bool topLeftPixel(CVPixelBufferRef pixelBuffer, uint8_t rgba[4]) {
  int order[4];
  if (!pixelBuffer || !channelOrder(CVPixelBufferGetPixelFormatType(pixelBuffer), order)) return false;
  if (CVPixelBufferGetWidth(pixelBuffer) == 0 || CVPixelBufferGetHeight(pixelBuffer) == 0) return false;
  CVPixelBufferLockBaseAddress(pixelBuffer, kCVPixelBufferLock_ReadOnly);
  const auto* pixel = static_cast<const UInt8*>(CVPixelBufferGetBaseAddress(pixelBuffer));
  if (pixel) {
    for (int channel = 0; channel < 4; ++channel) rgba[channel] = pixel[order[channel]];
  }
  CVPixelBufferUnlockBaseAddress(pixelBuffer, kCVPixelBufferLock_ReadOnly);
  return pixel != nullptr;
}

bool writePNG(CVPixelBufferRef pixelBuffer, const std::string& path, std::string& error) {
  int order[4];
  if (!pixelBuffer || !channelOrder(CVPixelBufferGetPixelFormatType(pixelBuffer), order)) {
    error = "the frame's pixel format cannot be saved";
    return false;
  }
  const size_t width = CVPixelBufferGetWidth(pixelBuffer);
  const size_t height = CVPixelBufferGetHeight(pixelBuffer);
  const size_t bytesPerRow = CVPixelBufferGetBytesPerRow(pixelBuffer);
  // A surface's geometry is checked against its memory when it is looked up; a buffer that
  // still describes no picture, or rows its pixels cannot hold, is reported, not read.
  if (width == 0 || height == 0 || width > kLargestSide || height > kLargestSide || bytesPerRow / 4 < width ||
      bytesPerRow > CVPixelBufferGetDataSize(pixelBuffer) / height) {
    error = "the frame's size does not fit its pixels";
    return false;
  }
  std::vector<png_byte> rows(width * height * 4);
  CVPixelBufferLockBaseAddress(pixelBuffer, kCVPixelBufferLock_ReadOnly);
  const auto* base = static_cast<const UInt8*>(CVPixelBufferGetBaseAddress(pixelBuffer));
  if (base) {
    for (size_t y = 0; y < height; ++y) {
      for (size_t x = 0; x < width; ++x) {
        const UInt8* pixel = base + y * bytesPerRow + x * 4;
        png_byte* out = &rows[(y * width + x) * 4];
        for (int channel = 0; channel < 4; ++channel) out[channel] = pixel[order[channel]];
      }
    }
  }
  CVPixelBufferUnlockBaseAddress(pixelBuffer, kCVPixelBufferLock_ReadOnly);
  if (!base) {
    error = "the frame has no pixels";
    return false;
  }

  PNGWriter writer;
  writer.file = std::fopen(path.c_str(), "wb");
  if (!writer.file) {
    error = "cannot write " + path;
    return false;
  }
  writer.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  writer.info = writer.png ? png_create_info_struct(writer.png) : nullptr;
  if (!writer.info || setjmp(png_jmpbuf(writer.png))) {
    error = "cannot encode " + path;
    return false;
  }
  png_init_io(writer.png, writer.file);
  png_set_IHDR(writer.png, writer.info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB_ALPHA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(writer.png, writer.info);
  for (size_t y = 0; y < height; ++y) png_write_row(writer.png, &rows[y * width * 4]);
  png_write_end(writer.png, nullptr);
  return true;
}

}  // namespace CameraHost
