#pragma once
// Where each component of a pixel sits in memory for the layouts the layer reads and
// draws into, and the conversions to and from Cairo's native-endian premultiplied ARGB32.
#include <cstddef>
#include <cstdint>

#include <cairo.h>

#include <CoreGraphics/CGImage.h>

struct CGPixelLayout {
  enum Kind { Unsupported, Gray, AlphaOnly, Color };
  Kind kind = Unsupported;
  size_t bytesPerPixel = 0;
  // Byte offsets inside a pixel; -1 when the pixel has no such component.
  int alpha = -1, red = -1, green = -1, blue = -1;
  bool premultiplied = false;

  // The layout of 8-bit components described by CoreGraphics terms; Unsupported otherwise.
  static CGPixelLayout describe(size_t bitsPerComponent, size_t bitsPerPixel, size_t colorComponents,
                                CGBitmapInfo bitmapInfo);
  bool isSupported() const { return kind != Unsupported; }

  // The Cairo format a shadow of this layout uses (RGB24 when there is no alpha to keep).
  cairo_format_t cairoFormat() const;
  // True when Cairo can draw straight into memory of this layout (row bytes permitting).
  bool matchesCairo() const;
  // How a premultiplied 32-bit layout's pixels relate to Cairo's words: the same bytes, the
  // bytes reversed, or anything else (no alpha, straight alpha, other orders).
  enum class WordOrder { Cairo, Reversed, Other };
  WordOrder wordOrder() const;

  // One pixel as Cairo keeps it (ARGB32 premultiplied; A8 in the low byte for alpha-only).
  uint32_t toCairo(const uint8_t* pixel) const;
  void fromCairo(uint32_t value, uint8_t* pixel) const;

  // Whole images: rows of `width` pixels, `height` rows, each side with its own row bytes.
  void copyToCairo(const uint8_t* source, size_t sourceRowBytes, uint8_t* target, size_t targetRowBytes,
                   size_t width, size_t height) const;
  void copyFromCairo(const uint8_t* source, size_t sourceRowBytes, uint8_t* target,
                     size_t targetRowBytes, size_t width, size_t height) const;
};
