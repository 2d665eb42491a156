#pragma once
// vImage: operations on buffers of interleaved 8-bit pixels of four channels (ARGB8888 names
// the layout, not the meaning of the channels: every channel is treated alike).
#include <sys/types.h>

#include <cstddef>
#include <cstdint>

#define VIMAGE_EXPORT extern "C" __attribute__((visibility("default")))

typedef unsigned long vImagePixelCount;
typedef ssize_t vImage_Error;
typedef uint32_t vImage_Flags;
typedef uint8_t Pixel_8;

struct vImage_Buffer {
  void* data;
  vImagePixelCount height;
  vImagePixelCount width;
  size_t rowBytes;
};

enum : vImage_Flags {
  kvImageNoFlags = 0,
  kvImageLeaveAlphaUnchanged = 1,
  kvImageCopyInPlace = 2,
  kvImageBackgroundColorFill = 4,
  kvImageEdgeExtend = 8,
  kvImageDoNotTile = 16,
  kvImageHighQualityResampling = 32,
  kvImageTruncateKernel = 64,
  kvImageGetTempBufferSize = 128,
  kvImagePrintDiagnosticsToConsole = 256,
  kvImageNoAllocate = 512,
};

enum : vImage_Error {
  kvImageNoError = 0,
  kvImageRoiLargerThanInputBuffer = -21766,
  kvImageInvalidKernelSize = -21767,
  kvImageInvalidEdgeStyle = -21768,
  kvImageInvalidOffset_X = -21769,
  kvImageInvalidOffset_Y = -21770,
  kvImageMemoryAllocationError = -21771,
  kvImageNullPointerArgument = -21772,
  kvImageInvalidParameter = -21773,
  kvImageBufferSizeMismatch = -21774,
  kvImageUnknownFlagsBit = -21775,
};

// dest channel i = src channel permuteMap[i], for each pixel of dest's width and height; src
// must be at least that large. src and dest may be the same buffer.
VIMAGE_EXPORT vImage_Error vImagePermuteChannels_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest,
                                                          const uint8_t permuteMap[4], vImage_Flags flags);

// Resamples src into dest (any sizes). With kvImageGetTempBufferSize nothing is drawn and the
// answer is the size of the work area to pass as tempBuffer (0: none needed); a null
// tempBuffer lets the call find its own.
VIMAGE_EXPORT vImage_Error vImageScale_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest,
                                                void* tempBuffer, vImage_Flags flags);
