#pragma once
// Saving a frame's pixels as a PNG file.
#include <CoreVideo/CVPixelBuffer.h>

#include <string>

namespace CameraHost {

// Writes an RGBA PNG of a 32-bit ARGB, BGRA or RGBA pixel buffer; false with the reason in
// `error` for other formats or when the file cannot be written.
bool writePNG(CVPixelBufferRef pixelBuffer, const std::string& path, std::string& error);

}  // namespace CameraHost
