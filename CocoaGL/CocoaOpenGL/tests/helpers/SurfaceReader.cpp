// Reads pixels of a global surface made by another process: SurfaceReader ID X Y [X Y ...]
// prints the 'BGRA' word (0xAARRGGBB) of each memory pixel, memory row Y, on one line.
#include <IOSurface/IOSurface.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc < 4 || argc % 2 != 0) {
    std::fprintf(stderr, "usage: %s ID X Y [X Y ...]\n", argv[0]);
    return 2;
  }
  IOSurfaceRef surface = IOSurfaceLookup(static_cast<IOSurfaceID>(std::strtoul(argv[1], nullptr, 10)));
  if (!surface) {
    std::fprintf(stderr, "no surface %s\n", argv[1]);
    return 1;
  }
  IOSurfaceLock(surface, kIOSurfaceLockReadOnly, nullptr);
  const auto* base = static_cast<const unsigned char*>(IOSurfaceGetBaseAddress(surface));
  for (int i = 2; i + 1 < argc; i += 2) {
    const size_t x = std::strtoul(argv[i], nullptr, 10), y = std::strtoul(argv[i + 1], nullptr, 10);
    if (x >= IOSurfaceGetWidth(surface) || y >= IOSurfaceGetHeight(surface)) {
      std::printf("%s-", i > 2 ? " " : "");
      continue;
    }
    unsigned int pixel = 0;
    std::memcpy(&pixel, base + y * IOSurfaceGetBytesPerRow(surface) + x * 4, 4);
    std::printf("%s%08X", i > 2 ? " " : "", pixel);
  }
  std::printf("\n");
  IOSurfaceUnlock(surface, kIOSurfaceLockReadOnly, nullptr);
  CFRelease(surface);
  return 0;
}
