#include "UVideoFrameBuffer_Memory.h"

#include <cstdlib>

namespace UVideoFrameBuffer {

Memory::~Memory() { Destruct(); }

bool Memory::Construct(const Format& format) {
  Destruct();
  if (format.mPixelHeight <= 0 || format.mPixelRowBytes <= 0) return false;
  unsigned long size = (unsigned long)format.mPixelHeight * (unsigned long)format.mPixelRowBytes;
  void* pixels = std::malloc(size);
  if (!pixels) return false;
  return ConstructData(format, pixels, size);
}

void Memory::Destruct() {
  std::free(mFrameBufferData);
  DestructData();
}

}  // namespace UVideoFrameBuffer
