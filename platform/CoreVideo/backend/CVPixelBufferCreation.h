#pragma once
// Making a pixel buffer from its size, format and attributes, for CVPixelBufferCreate and
// for pools.
#include <CoreFoundation/CFDictionary.h>
#include <CoreVideo/CVReturn.h>

struct __CVPixelBuffer;

namespace CoreVideo {

CVReturn createPixelBuffer(size_t width, size_t height, OSType pixelFormat, CFDictionaryRef attributes,
                           __CVPixelBuffer*& buffer);

}  // namespace CoreVideo
