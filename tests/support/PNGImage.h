#pragma once
// Reads back the PNG files that the camera host saves, as plain RGBA rows, so that a test can
// look at the pixels a camera delivered. Header-only: the test program links libpng itself.
#include <png.h>

#include <string>
#include <vector>

namespace moxicam::test {

struct RGBAImage {
  png_uint_32 width = 0, height = 0;
  std::vector<png_byte> rgba;  // four bytes a pixel, rows top first, no padding
};

// False when the file is missing or is no PNG.
inline bool readPNG(const std::string& path, RGBAImage& image) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
  png.format = PNG_FORMAT_RGBA;
  image.width = png.width;
  image.height = png.height;
  image.rgba.resize(PNG_IMAGE_SIZE(png));
  return png_image_finish_read(&png, nullptr, image.rgba.data(), 0, nullptr) != 0;
}

}  // namespace moxicam::test
