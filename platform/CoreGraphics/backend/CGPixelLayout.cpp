#include "backend/CGPixelLayout.h"

#include <cstring>

CGPixelLayout CGPixelLayout::describe(size_t bitsPerComponent, size_t bitsPerPixel,
                                      size_t colorComponents, CGBitmapInfo bitmapInfo) {
  CGPixelLayout layout;
  if (bitsPerComponent != 8 || (bitmapInfo & kCGBitmapFloatComponents)) return layout;
  CGImageAlphaInfo alpha = bitmapInfo & kCGBitmapAlphaInfoMask;
  uint32_t order = bitmapInfo & kCGBitmapByteOrderMask;
  bool little = order == kCGBitmapByteOrder32Little || order == kCGBitmapByteOrder16Little;
  layout.bytesPerPixel = bitsPerPixel / 8;
  if (alpha == kCGImageAlphaOnly && bitsPerPixel == 8) {
    layout.kind = AlphaOnly;
    layout.alpha = 0;
    layout.premultiplied = true;
    return layout;
  }
  if (colorComponents == 1 && bitsPerPixel == 8 && alpha == kCGImageAlphaNone) {
    layout.kind = Gray;
    layout.red = layout.green = layout.blue = 0;
    return layout;
  }
  if (colorComponents != 3) return layout;
  if (bitsPerPixel == 24 && alpha == kCGImageAlphaNone) {
    layout.kind = Color;
    layout.red = little ? 2 : 0;
    layout.green = 1;
    layout.blue = little ? 0 : 2;
    return layout;
  }
  if (bitsPerPixel != 32) return layout;
  // Offsets in the big-endian word (the default order); little-endian words reverse them.
  int a = -1, r, g, b;
  switch (alpha) {
    case kCGImageAlphaPremultipliedFirst:
    case kCGImageAlphaFirst:
      a = 0, r = 1, g = 2, b = 3;
      break;
    case kCGImageAlphaNoneSkipFirst:
      r = 1, g = 2, b = 3;
      break;
    case kCGImageAlphaPremultipliedLast:
    case kCGImageAlphaLast:
      a = 3, r = 0, g = 1, b = 2;
      break;
    case kCGImageAlphaNoneSkipLast:
    case kCGImageAlphaNone:
      r = 0, g = 1, b = 2;
      break;
    default:
      return layout;
  }
  auto place = [little](int offset) { return offset < 0 ? -1 : little ? 3 - offset : offset; };
  layout.kind = Color;
  layout.alpha = place(a);
  layout.red = place(r);
  layout.green = place(g);
  layout.blue = place(b);
  layout.premultiplied = alpha == kCGImageAlphaPremultipliedFirst || alpha == kCGImageAlphaPremultipliedLast;
  return layout;
}

cairo_format_t CGPixelLayout::cairoFormat() const {
  if (kind == AlphaOnly) return CAIRO_FORMAT_A8;
  return alpha >= 0 ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24;
}

bool CGPixelLayout::matchesCairo() const {
  if (kind == AlphaOnly) return true;
  if (kind != Color || bytesPerPixel != 4) return false;
  // Cairo's 32-bit pixels are host-endian words A,R,G,B from the top byte down.
  uint32_t probe = 0x03020100;
  uint8_t bytes[4];
  std::memcpy(bytes, &probe, 4);
  return bytes[blue] == 0 && bytes[green] == 1 && bytes[red] == 2 &&
         (alpha < 0 || (bytes[alpha] == 3 && premultiplied));
}

uint32_t CGPixelLayout::toCairo(const uint8_t* p) const {
  if (kind == AlphaOnly) return p[0];
  uint32_t a = alpha >= 0 ? p[alpha] : 255;
  uint32_t r = p[red], g = p[green], b = p[blue];
  if (alpha >= 0 && !premultiplied && a != 255) {
    r = (r * a + 127) / 255;
    g = (g * a + 127) / 255;
    b = (b * a + 127) / 255;
  }
  return a << 24 | r << 16 | g << 8 | b;
}

void CGPixelLayout::fromCairo(uint32_t v, uint8_t* p) const {
  if (kind == AlphaOnly) {
    p[0] = uint8_t(v);
    return;
  }
  uint32_t a = v >> 24, r = (v >> 16) & 255, g = (v >> 8) & 255, b = v & 255;
  if (kind == Gray) {
    // Luminance; exact for the gray colours that gray contexts are usually drawn with.
    p[0] = uint8_t((r * 77 + g * 150 + b * 29 + 128) >> 8);
    return;
  }
  if (alpha < 0) {
    a = 255;
  } else if (!premultiplied && a != 0 && a != 255) {
    r = (r * 255 + a / 2) / a;
    g = (g * 255 + a / 2) / a;
    b = (b * 255 + a / 2) / a;
  }
  if (bytesPerPixel == 4) {
    // The skipped byte of an opaque layout is written as opaque.
    for (size_t k = 0; k < 4; ++k) p[k] = 255;
  }
  if (alpha >= 0) p[alpha] = uint8_t(a);
  p[red] = uint8_t(r);
  p[green] = uint8_t(g);
  p[blue] = uint8_t(b);
}

namespace {

// Walks the rows of both sides. Rows whose bytes are the same on both sides (alpha-only rows,
// Cairo's A8 being the same layout, and Cairo's own words) are copied as they are, `rowBytes`
// a row; other rows go pixel by pixel.
template <class ConvertRow>
void copyRows(bool sameBytes, const uint8_t* source, size_t sourceRowBytes, uint8_t* target,
              size_t targetRowBytes, size_t rowBytes, size_t height, ConvertRow convertRow) {
  for (size_t y = 0; y < height; ++y) {
    const uint8_t* from = source + y * sourceRowBytes;
    uint8_t* to = target + y * targetRowBytes;
    if (sameBytes) {
      std::memcpy(to, from, rowBytes);
    } else {
      convertRow(from, to);
    }
  }
}

}  // namespace

CGPixelLayout::WordOrder CGPixelLayout::wordOrder() const {
  if (kind != Color || bytesPerPixel != 4 || alpha < 0 || !premultiplied) return WordOrder::Other;
  // Where the bytes of a Cairo word 0x03020100 lie in memory on this host.
  uint32_t probe = 0x03020100;
  uint8_t bytes[4];
  std::memcpy(bytes, &probe, 4);
  if (bytes[blue] == 0 && bytes[green] == 1 && bytes[red] == 2 && bytes[alpha] == 3) return WordOrder::Cairo;
  if (bytes[blue] == 3 && bytes[green] == 2 && bytes[red] == 1 && bytes[alpha] == 0)
    return WordOrder::Reversed;
  return WordOrder::Other;
}

namespace {

// A row of premultiplied 32-bit pixels whose words are Cairo's with the bytes reversed, such
// as A,R,G,B in memory on a little-endian host: one byte swap per pixel, either way.
void reverseRow(const uint8_t* from, uint8_t* to, size_t width) {
  for (size_t x = 0; x < width; ++x) {
    uint32_t word;
    std::memcpy(&word, from + x * 4, 4);
    word = __builtin_bswap32(word);
    std::memcpy(to + x * 4, &word, 4);
  }
}

}  // namespace

void CGPixelLayout::copyToCairo(const uint8_t* source, size_t sourceRowBytes, uint8_t* target,
                                size_t targetRowBytes, size_t width, size_t height) const {
  const WordOrder order = wordOrder();
  copyRows(kind == AlphaOnly || order == WordOrder::Cairo, source, sourceRowBytes, target, targetRowBytes,
           width * (order == WordOrder::Cairo ? 4 : 1), height, [&](const uint8_t* from, uint8_t* to) {
             if (order == WordOrder::Reversed) return reverseRow(from, to, width);
             auto* words = reinterpret_cast<uint32_t*>(to);
             for (size_t x = 0; x < width; ++x) words[x] = toCairo(from + x * bytesPerPixel);
           });
}

void CGPixelLayout::copyFromCairo(const uint8_t* source, size_t sourceRowBytes, uint8_t* target,
                                  size_t targetRowBytes, size_t width, size_t height) const {
  const WordOrder order = wordOrder();
  copyRows(kind == AlphaOnly || order == WordOrder::Cairo, source, sourceRowBytes, target, targetRowBytes,
           width * (order == WordOrder::Cairo ? 4 : 1), height, [&](const uint8_t* from, uint8_t* to) {
             if (order == WordOrder::Reversed) return reverseRow(from, to, width);
             auto* words = reinterpret_cast<const uint32_t*>(from);
             for (size_t x = 0; x < width; ++x) fromCairo(words[x], to + x * bytesPerPixel);
           });
}
