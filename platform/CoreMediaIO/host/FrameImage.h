#pragma once
// Saving a frame's pixels as a PNG file.
#include <CoreVideo/CVPixelBuffer.h>

#include <string>

namespace CameraHost {

// Writes an RGBA PNG of a 32-bit ARGB, BGRA or RGBA pixel buffer; false with the reason in
// `error` for other formats or when the file cannot be written.
bool writePNG(CVPixelBufferRef pixelBuffer, const std::string& path, std::string& error);

// The red, green, blue and alpha of the frame's top-left pixel; false for formats writePNG
// cannot save and for frames without pixels.
bool topLeftPixel(CVPixelBufferRef pixelBuffer, uint8_t rgba[4]);

}  // namespace CameraHost
