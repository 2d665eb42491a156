#pragma once
// What this layer knows of each pixel format: its bytes per pixel (one plane).
#include <CoreFoundation/CFBase.h>

#include <cstddef>

namespace CoreVideo {

// 0 for a format this layer cannot hold.
size_t bytesPerPixel(OSType pixelFormat);
// The bytes of one row of width pixels; formats of pixel pairs (4:2:2) count whole pairs.
size_t rowBytes(OSType pixelFormat, size_t width);

}  // namespace CoreVideo
