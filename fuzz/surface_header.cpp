// Surfaces made by another process: the header page at the start of a surface's memory is
// written by its maker, and every process that maps the surface reads its geometry there. The
// input's first two bytes give the size of the pixels, the rest is the header page; the third
// bit of the first byte leaves the memory unsealed. A surface that maps is read row by row, and
// through a pixel buffer by the camera host's frame reader and PNG writer.
#include <CoreVideo/CVPixelBufferIOSurface.h>
#include <IOSurface/IOSurface.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FrameImage.h"
#include "FuzzRoot.h"

namespace {

constexpr size_t kHeaderPage = 4096;

// A surface's bytes as a reader touches them: every element of every row.
unsigned readAllRows(IOSurfaceRef surface) {
  const auto* pixels = static_cast<const unsigned char*>(IOSurfaceGetBaseAddress(surface));
  const size_t rowBytes = IOSurfaceGetWidth(surface) * IOSurfaceGetBytesPerElement(surface);
  unsigned sum = 0;
  for (size_t row = 0; row < IOSurfaceGetHeight(surface); ++row) {
    const unsigned char* start = pixels + row * IOSurfaceGetBytesPerRow(surface);
    for (size_t at = 0; at < rowBytes; ++at) sum += start[at];
  }
  return sum;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::privateRoot();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t pixelBytes = size_t(data[0] & ~4u) << 8 | data[1];
  const bool sealed = !(data[0] & 4);
  const int fd = memfd_create("fuzzed surface", MFD_CLOEXEC | MFD_ALLOW_SEALING);
  if (fd < 0) return 0;
  const size_t headerBytes = std::min(size - 2, kHeaderPage);
  if (ftruncate(fd, off_t(kHeaderPage + pixelBytes)) == 0 && pwrite(fd, data + 2, headerBytes, 0) == ssize_t(headerBytes)) {
    if (sealed) fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL);
    if (IOSurfaceRef surface = _IOSurfaceCreateFromFileDescriptor(fd)) {
      readAllRows(surface);
      CVPixelBufferRef buffer = nullptr;
      if (CVPixelBufferCreateWithIOSurface(nullptr, surface, nullptr, &buffer) == kCVReturnSuccess && buffer) {
        uint8_t rgba[4];
        CameraHost::topLeftPixel(buffer, rgba);
        std::string error;
        CameraHost::writePNG(buffer, fuzz::privateRoot() + "/frame.png", error);
        CFRelease(buffer);
      }
      CFRelease(surface);
    }
  }
  close(fd);
  return 0;
}
