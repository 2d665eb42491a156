#include <Accelerate/vImage.h>
#include <pixman.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// pixman reads and writes whole 32-bit words: rows must start 4-byte aligned.
bool pixmanCanUse(const vImage_Buffer& buffer) {
  return buffer.rowBytes % 4 == 0 && reinterpret_cast<uintptr_t>(buffer.data) % 4 == 0;
}

size_t packedSize(const vImage_Buffer& buffer) { return buffer.width * 4 * buffer.height; }

// The buffer as pixman sees it: the given one, or a packed copy in `work`.
vImage_Buffer packedView(const vImage_Buffer& buffer, uint8_t* work) {
  if (pixmanCanUse(buffer)) return buffer;
  return vImage_Buffer{work, buffer.height, buffer.width, buffer.width * 4};
}

void copyRows(const vImage_Buffer& from, const vImage_Buffer& to) {
  for (vImagePixelCount y = 0; y < to.height; ++y)
    std::memcpy(static_cast<uint8_t*>(to.data) + y * to.rowBytes,
                static_cast<const uint8_t*>(from.data) + y * from.rowBytes, to.width * 4);
}

size_t workSize(const vImage_Buffer& src, const vImage_Buffer& dest) {
  return (pixmanCanUse(src) ? 0 : packedSize(src)) + (pixmanCanUse(dest) ? 0 : packedSize(dest));
}

struct ImageDeleter {
  void operator()(pixman_image_t* image) const { pixman_image_unref(image); }
};
using Image = std::unique_ptr<pixman_image_t, ImageDeleter>;

Image makeImage(const vImage_Buffer& buffer) {
  return Image(pixman_image_create_bits(PIXMAN_a8r8g8b8, int(buffer.width), int(buffer.height),
                                        static_cast<uint32_t*>(buffer.data), int(buffer.rowBytes)));
}

// A Lanczos-3 kernel, sized to the scale: reconstruct with it when enlarging; when shrinking,
// sample with it over the area each destination pixel covers.
bool setResamplingFilter(pixman_image_t* image, double scaleX, double scaleY, bool highQuality) {
  const pixman_kernel_t lanczos = highQuality ? PIXMAN_KERNEL_LANCZOS3 : PIXMAN_KERNEL_CUBIC;
  int count = 0;
  pixman_fixed_t* parameters = pixman_filter_create_separable_convolution(
      &count, pixman_double_to_fixed(scaleX), pixman_double_to_fixed(scaleY),
      scaleX > 1 ? PIXMAN_KERNEL_BOX : lanczos, scaleY > 1 ? PIXMAN_KERNEL_BOX : lanczos,
      scaleX > 1 ? lanczos : PIXMAN_KERNEL_IMPULSE, scaleY > 1 ? lanczos : PIXMAN_KERNEL_IMPULSE, 4, 4);
  if (!parameters) return false;
  const bool set =
      pixman_image_set_filter(image, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, parameters, count) != 0;
  std::free(parameters);
  return set;
}

}  // namespace

vImage_Error vImageScale_ARGB8888(const vImage_Buffer* src, const vImage_Buffer* dest, void* tempBuffer,
                                  vImage_Flags flags) {
  if (!src || !dest) return kvImageNullPointerArgument;
  if (flags & kvImageGetTempBufferSize) return vImage_Error(workSize(*src, *dest));
  if (!src->data || !dest->data) return kvImageNullPointerArgument;
  if (src->width == 0 || src->height == 0 || dest->width == 0 || dest->height == 0)
    return kvImageInvalidParameter;
  if (src->rowBytes < src->width * 4 || dest->rowBytes < dest->width * 4) return kvImageInvalidParameter;
  // pixman counts sizes and row bytes in int.
  constexpr vImagePixelCount kLargest = 1u << 28;
  if (src->width > kLargest / 4 || dest->width > kLargest / 4 || src->height > kLargest ||
      dest->height > kLargest || src->rowBytes > kLargest || dest->rowBytes > kLargest)
    return kvImageInvalidParameter;

  std::unique_ptr<uint8_t[]> ownWork;
  auto* work = static_cast<uint8_t*>(tempBuffer);
  const size_t needed = workSize(*src, *dest);
  if (needed && !work) {
    ownWork.reset(new (std::nothrow) uint8_t[needed]);
    if (!ownWork) return kvImageMemoryAllocationError;
    work = ownWork.get();
  }
  const vImage_Buffer from = packedView(*src, work);
  const vImage_Buffer to = packedView(*dest, work + (pixmanCanUse(*src) ? 0 : packedSize(*src)));
  if (from.data != src->data) copyRows(*src, from);

  Image source = makeImage(from), target = makeImage(to);
  if (!source || !target) return kvImageMemoryAllocationError;
  const double scaleX = double(src->width) / double(dest->width);
  const double scaleY = double(src->height) / double(dest->height);
  pixman_transform_t transform;
  pixman_transform_init_scale(&transform, pixman_double_to_fixed(scaleX), pixman_double_to_fixed(scaleY));
  if (!pixman_image_set_transform(source.get(), &transform)) return kvImageMemoryAllocationError;
  if (!setResamplingFilter(source.get(), scaleX, scaleY, flags & kvImageHighQualityResampling))
    return kvImageMemoryAllocationError;
  // Pixels past the edge repeat the edge, so the border keeps its colour.
  pixman_image_set_repeat(source.get(), PIXMAN_REPEAT_PAD);
  pixman_image_composite32(PIXMAN_OP_SRC, source.get(), nullptr, target.get(), 0, 0, 0, 0, 0, 0,
                           int(to.width), int(to.height));
  if (to.data != dest->data) copyRows(to, *dest);
  return kvImageNoError;
}
