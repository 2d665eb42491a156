#include "PNGCodec.h"

#include <png.h>

#include <cstring>

namespace AppKitBackend {

namespace {
// A picture larger than this is refused rather than allocated: it is no resource of a program.
constexpr png_uint_32 kMaximumSide = 1u << 15;
}  // namespace

bool isPNGData(const void* bytes, size_t length) {
  return bytes && length >= 8 && png_sig_cmp(static_cast<png_const_bytep>(bytes), 0, 8) == 0;
}

bool decodePNG(const void* bytes, size_t length, RGBAPixels& pixels) {
  pixels = RGBAPixels();
  if (!isPNGData(bytes, length)) return false;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes, length)) return false;
  if (image.width == 0 || image.height == 0 || image.width > kMaximumSide || image.height > kMaximumSide) {
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> rows(size_t(PNG_IMAGE_SIZE(image)));
  if (!png_image_finish_read(&image, nullptr, rows.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  pixels.width = image.width;
  pixels.height = image.height;
  pixels.bytes = std::move(rows);
  return true;
}

std::vector<uint8_t> encodePNG(const RGBAPixels& pixels) {
  if (pixels.width == 0 || pixels.height == 0 || pixels.width > kMaximumSide ||
      pixels.height > kMaximumSide || pixels.bytes.size() < pixels.width * pixels.height * 4) {
    return {};
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(pixels.width);
  image.height = png_uint_32(pixels.height);
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_get_memory_size(image, size, 0, pixels.bytes.data(), 0, nullptr)) return {};
  std::vector<uint8_t> encoded(size);
  if (!png_image_write_to_memory(&image, encoded.data(), &size, 0, pixels.bytes.data(), 0, nullptr))
    return {};
  encoded.resize(size);
  return encoded;
}

}  // namespace AppKitBackend
