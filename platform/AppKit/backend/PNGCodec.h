#pragma once
// PNG data to and from straight (not premultiplied) 8-bit RGBA rows, top row first, with
// libpng's simplified interface. Inner workings of AppKit's images.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace AppKitBackend {

struct RGBAPixels {
  size_t width = 0;
  size_t height = 0;
  std::vector<uint8_t> bytes;  // width * 4 bytes a row
};

bool isPNGData(const void* bytes, size_t length);
// False for data that is no PNG picture or does not decode; `pixels` is then left empty.
bool decodePNG(const void* bytes, size_t length, RGBAPixels& pixels);
// The PNG encoding of the pixels; empty when they cannot be written.
std::vector<uint8_t> encodePNG(const RGBAPixels& pixels);

}  // namespace AppKitBackend
