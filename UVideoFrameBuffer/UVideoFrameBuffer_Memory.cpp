#include "UVideoFrameBuffer_Memory.h"

#include <algorithm>
#include <cstdlib>

namespace UVideoFrameBuffer {

Memory::~Memory() { Destruct(); }

bool Memory::Construct(const Format& format) { return ConstructWithFormatAndMinimumDataSize(format, 0); }

bool Memory::ConstructWithFormatAndMinimumDataSize(const Format& format, unsigned long minimumSize) {
  Destruct();
  if (format.mPixelHeight <= 0 || format.mPixelRowBytes <= 0) return false;
  unsigned long size =
      std::max((unsigned long)format.mPixelHeight * (unsigned long)format.mPixelRowBytes, minimumSize);
  void* pixels = std::malloc(size);
  if (!pixels) return false;
  return ConstructData(format, pixels, size);
}

void Memory::Destruct() {
  std::free(mFrameBufferData);
  DestructData();
}

}  // namespace UVideoFrameBuffer
