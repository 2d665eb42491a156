#include <Accelerate/vImage.h>

#include <cstring>

vImage_Error vImagePermuteChannels_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest,
                                            const uint8_t permuteMap[4], vImage_Flags flags) {
  if (!src || !dest || !permuteMap || !src->data || !dest->data) return kvImageNullPointerArgument;
  if (flags & kvImageGetTempBufferSize) return 0;
  for (int i = 0; i < 4; ++i)
    if (permuteMap[i] > 3) return kvImageInvalidParameter;
  if (src->width < dest->width || src->height < dest->height) return kvImageRoiLargerThanInputBuffer;
  if (src->rowBytes < src->width * 4 || dest->rowBytes < dest->width * 4) return kvImageInvalidParameter;
  for (vImagePixelCount y = 0; y < dest->height; ++y) {
    const auto* in = static_cast<const uint8_t*>(src->data) + y * src->rowBytes;
    auto* out = static_cast<uint8_t*>(dest->data) + y * dest->rowBytes;
    for (vImagePixelCount x = 0; x < dest->width; ++x, in += 4, out += 4) {
      // Read the whole pixel first: src and dest may be one buffer.
      uint8_t pixel[4];
      std::memcpy(pixel, in, 4);
      out[0] = pixel[permuteMap[0]];
      out[1] = pixel[permuteMap[1]];
      out[2] = pixel[permuteMap[2]];
      out[3] = pixel[permuteMap[3]];
    }
  }
  return kvImageNoError;
}
