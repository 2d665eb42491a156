#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>
#include <IOSurface/IOSurface.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

// Properties built from (key, value) pairs; a value of -1 leaves the key out.
CFDictionaryRef makeProperties(const std::map<CFStringRef, int64_t>& values, CFTypeRef global = nullptr) {
  CFMutableDictionaryRef properties =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  for (const auto& [key, value] : values) {
    if (value == -1) continue;
    CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt64Type, &value);
    CFDictionarySetValue(properties, key, number);
    CFRelease(number);
  }
  if (global) CFDictionarySetValue(properties, kIOSurfaceIsGlobal, global);
  return properties;
}

IOSurfaceRef createSurface(int64_t width, int64_t height, int64_t bytesPerElement = 4,
                           int64_t bytesPerRow = -1, int64_t allocSize = -1) {
  CFDictionaryRef properties = makeProperties({{kIOSurfaceWidth, width},
                                               {kIOSurfaceHeight, height},
                                               {kIOSurfaceBytesPerElement, bytesPerElement},
                                               {kIOSurfaceBytesPerRow, bytesPerRow},
                                               {kIOSurfaceAllocSize, allocSize},
                                               {kIOSurfacePixelFormat, FOUR_CHAR_CODE("BGRA")}});
  IOSurfaceRef surface = IOSurfaceCreate(properties);
  CFRelease(properties);
  return surface;
}

TEST(IOSurface, GeometryFollowsTheProperties) {
  struct Case {
    int64_t width, height, bytesPerElement, bytesPerRow, allocSize;
    size_t expectedBytesPerRow, expectedAllocSize;
  } cases[] = {
      {1280, 720, 4, -1, -1, 5120, 5120 * 720},
      {3, 2, 2, -1, -1, 6, 12},
      {10, 10, 4, 64, -1, 64, 640},         // padded rows
      {10, 10, 4, -1, 100000, 40, 100000},  // a larger allocation than the pixels need
      {7, 5, -1, -1, -1, 7, 35},            // one byte per element when none is given
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    IOSurfaceRef surface = createSurface(c.width, c.height, c.bytesPerElement, c.bytesPerRow, c.allocSize);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(IOSurfaceGetWidth(surface), size_t(c.width));
    EXPECT_EQ(IOSurfaceGetHeight(surface), size_t(c.height));
    EXPECT_EQ(IOSurfaceGetBytesPerRow(surface), c.expectedBytesPerRow);
    EXPECT_EQ(IOSurfaceGetAllocSize(surface), c.expectedAllocSize);
    EXPECT_EQ(IOSurfaceGetPixelFormat(surface), OSType(FOUR_CHAR_CODE("BGRA")));
    EXPECT_EQ(CFGetTypeID(surface), IOSurfaceGetTypeID());
    // New memory is zeroed and all of it is writable.
    auto* bytes = static_cast<unsigned char*>(IOSurfaceGetBaseAddress(surface));
    EXPECT_EQ(bytes[0], 0);
    bytes[IOSurfaceGetAllocSize(surface) - 1] = 0xff;
    CFRelease(surface);
  }
}

TEST(IOSurface, RefusesPropertiesThatDescribeNoSurface) {
  struct Case {
    const char* what;
    int64_t width, height, bytesPerElement, bytesPerRow;
  } cases[] = {
      {"no width", -1, 10, 4, -1},
      {"zero height", 10, 0, 4, -1},
      {"negative width", -5, 10, 4, -1},
      {"rows shorter than the pixels", 10, 10, 4, 39},
      {"absurd size", int64_t(1) << 40, 10, 4, -1},
      {"a row larger than memory", 65536, 65536, 64, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(createSurface(c.width, c.height, c.bytesPerElement, c.bytesPerRow), nullptr);
  }
  EXPECT_EQ(IOSurfaceCreate(nullptr), nullptr);
  CFMutableDictionaryRef wrongType =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFDictionarySetValue(wrongType, kIOSurfaceWidth, CFSTR("12"));
  CFDictionarySetValue(wrongType, kIOSurfaceHeight, CFSTR("12"));
  EXPECT_EQ(IOSurfaceCreate(wrongType), nullptr);
  CFRelease(wrongType);
}

TEST(IOSurface, LookupFindsSurfacesOfThisProcessByDistinctIds) {
  IOSurfaceRef first = createSurface(4, 4);
  IOSurfaceRef second = createSurface(4, 4);
  ASSERT_TRUE(first && second);
  EXPECT_NE(IOSurfaceGetID(first), 0u);
  EXPECT_NE(IOSurfaceGetID(first), IOSurfaceGetID(second));

  IOSurfaceRef found = IOSurfaceLookup(IOSurfaceGetID(first));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(IOSurfaceGetBaseAddress(found), IOSurfaceGetBaseAddress(first));
  EXPECT_TRUE(CFEqual(found, first));
  EXPECT_FALSE(CFEqual(found, second));
  CFRelease(found);

  const IOSurfaceID gone = IOSurfaceGetID(second);
  CFRelease(second);
  EXPECT_EQ(IOSurfaceLookup(gone), nullptr);
  EXPECT_EQ(IOSurfaceLookup(0), nullptr);
  EXPECT_EQ(IOSurfaceGetID(nullptr), 0u);
  CFRelease(first);
}

TEST(IOSurface, SeedChangesOnlyWhenAWriteLockEnds) {
  IOSurfaceRef surface = createSurface(8, 8);
  uint32_t seed = 0, after = 0;
  ASSERT_EQ(IOSurfaceLock(surface, kIOSurfaceLockReadOnly, &seed), kIOReturnSuccess);
  ASSERT_EQ(IOSurfaceUnlock(surface, kIOSurfaceLockReadOnly, &after), kIOReturnSuccess);
  EXPECT_EQ(after, seed);

  ASSERT_EQ(IOSurfaceLock(surface, kIOSurfaceLockAvoidSync, &seed), kIOReturnSuccess);
  EXPECT_EQ(IOSurfaceGetSeed(surface), seed);
  ASSERT_EQ(IOSurfaceUnlock(surface, kIOSurfaceLockAvoidSync, &after), kIOReturnSuccess);
  EXPECT_NE(after, seed);
  EXPECT_EQ(IOSurfaceGetSeed(surface), after);

  // Unlocks without their lock are refused and leave the seed alone.
  EXPECT_NE(IOSurfaceUnlock(surface, 0, nullptr), kIOReturnSuccess);
  ASSERT_EQ(IOSurfaceLock(surface, kIOSurfaceLockReadOnly, nullptr), kIOReturnSuccess);
  EXPECT_NE(IOSurfaceUnlock(surface, 0, nullptr), kIOReturnSuccess);
  EXPECT_EQ(IOSurfaceUnlock(surface, kIOSurfaceLockReadOnly, nullptr), kIOReturnSuccess);
  EXPECT_EQ(IOSurfaceGetSeed(surface), after);
  CFRelease(surface);
}

TEST(IOSurface, DescriptorRoundTripGivesTheSameMemory) {
  IOSurfaceRef surface = createSurface(16, 16);
  const int fd = _IOSurfaceCopyFileDescriptor(surface);
  ASSERT_GE(fd, 3);
  IOSurfaceRef again = _IOSurfaceCreateFromFileDescriptor(fd);
  close(fd);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(IOSurfaceGetID(again), IOSurfaceGetID(surface));
  static_cast<char*>(IOSurfaceGetBaseAddress(again))[5] = 42;
  EXPECT_EQ(static_cast<char*>(IOSurfaceGetBaseAddress(surface))[5], 42);
  // A lock taken through one reference can be ended through the other.
  ASSERT_EQ(IOSurfaceLock(surface, 0, nullptr), kIOReturnSuccess);
  EXPECT_EQ(IOSurfaceUnlock(again, 0, nullptr), kIOReturnSuccess);
  CFRelease(again);
  CFRelease(surface);
}

TEST(IOSurface, DescriptorsThatHoldNoSurfaceGiveNone) {
  EXPECT_EQ(_IOSurfaceCreateFromFileDescriptor(-1), nullptr);
  EXPECT_EQ(IOSurfaceLookupFromMachPort(0), nullptr);
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  EXPECT_EQ(_IOSurfaceCreateFromFileDescriptor(pipeEnds[0]), nullptr);
  close(pipeEnds[0]);
  close(pipeEnds[1]);

  // A file of the right size that is no shared memory at all.
  FILE* file = tmpfile();
  ASSERT_NE(file, nullptr);
  const std::string page(8192, '\0');
  fwrite(page.data(), 1, page.size(), file);
  fflush(file);
  EXPECT_EQ(_IOSurfaceCreateFromFileDescriptor(fileno(file)), nullptr);
  fclose(file);
}

// The page at the start of a surface's memory, as every process that maps it reads it (the
// surface's maker writes it; any process that maps it could change it).
struct HeaderPage {
  uint32_t magic;
  uint32_t headerSize;
  uint32_t id;
  int32_t ownerPid;
  uint64_t width;
  uint64_t height;
  uint64_t bytesPerElement;
  uint64_t bytesPerRow;
  uint64_t allocSize;
  uint32_t pixelFormat;
  uint32_t global;
  uint32_t seed;
  int32_t useCount;
};
constexpr size_t kHeaderPageSize = 4096;

// Memory holding `header` and `pixelBytes` more, as a maker would hand it on: sealed against
// shrinking unless told otherwise.
int surfaceMemory(const HeaderPage& header, size_t pixelBytes, bool sealed = true) {
  const int fd = memfd_create("crafted surface", MFD_CLOEXEC | MFD_ALLOW_SEALING);
  if (fd < 0 || ftruncate(fd, off_t(kHeaderPageSize + pixelBytes)) != 0 ||
      pwrite(fd, &header, sizeof header, 0) != ssize_t(sizeof header)) {
    return -1;
  }
  if (sealed) fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL);
  return fd;
}

// Every reader trusts a surface's geometry (a pixel buffer over it, the camera host's PNG
// writer): a header that disagrees with its memory is refused when the surface is looked up,
// and memory its maker could still shrink is not mapped at all.
TEST(IOSurface, SurfacesWhoseHeaderDisagreesWithTheirMemoryAreRefused) {
  IOSurfaceRef made = createSurface(16, 8);
  ASSERT_NE(made, nullptr);
  HeaderPage real{};
  const int madeFD = _IOSurfaceCopyFileDescriptor(made);
  ASSERT_EQ(pread(madeFD, &real, sizeof real, 0), ssize_t(sizeof real));
  close(madeFD);
  ASSERT_EQ(real.width, 16u);  // the page is laid out as written above
  ASSERT_EQ(real.bytesPerRow, 64u);
  const size_t pixelBytes = real.allocSize;

  const struct {
    const char* what;
    void (*change)(HeaderPage&);
    size_t pixelBytes;  // 0: as made
    bool sealed;
    bool accepted;
  } cases[] = {
      {"as made", [](HeaderPage&) {}, 0, true, true},
      {"narrower, within its rows", [](HeaderPage& h) { h.width = 8; }, 0, true, true},
      {"not sealed", [](HeaderPage&) {}, 0, false, false},
      {"no width", [](HeaderPage& h) { h.width = 0; }, 0, true, false},
      {"no height", [](HeaderPage& h) { h.height = 0; }, 0, true, false},
      {"no bytes per element", [](HeaderPage& h) { h.bytesPerElement = 0; }, 0, true, false},
      {"rows shorter than the width", [](HeaderPage& h) { h.width = 17; }, 0, true, false},
      {"rows past the pixels", [](HeaderPage& h) { h.bytesPerRow = 128; }, 0, true, false},
      {"pixels past the memory", [](HeaderPage& h) { h.allocSize = uint64_t(1) << 30; }, 0, true, false},
      {"memory shorter than the pixels", [](HeaderPage&) {}, 64, true, false},
      {"width past any surface", [](HeaderPage& h) { h.width = uint64_t(1) << 40; }, 0, true, false},
      {"rows whose size overflows",
       [](HeaderPage& h) {
         h.bytesPerRow = uint64_t(1) << 62;
         h.height = 4;
       },
       0, true, false},
      {"elements whose size overflows",
       [](HeaderPage& h) {
         h.bytesPerElement = uint64_t(1) << 62;
         h.width = 4;
       },
       0, true, false},
      {"another magic", [](HeaderPage& h) { h.magic ^= 1; }, 0, true, false},
  };
  for (const auto& c : cases) {
    HeaderPage header = real;
    c.change(header);
    const int fd = surfaceMemory(header, c.pixelBytes ? c.pixelBytes : pixelBytes, c.sealed);
    ASSERT_GE(fd, 0) << c.what;
    IOSurfaceRef surface = _IOSurfaceCreateFromFileDescriptor(fd);
    close(fd);
    EXPECT_EQ(surface != nullptr, c.accepted) << c.what;
    if (!surface) continue;
    EXPECT_EQ(IOSurfaceGetWidth(surface), header.width) << c.what;
    // Every row a reader may address can be read.
    const auto* pixels = static_cast<const unsigned char*>(IOSurfaceGetBaseAddress(surface));
    unsigned sum = 0;
    for (size_t row = 0; row < IOSurfaceGetHeight(surface); ++row) {
      for (size_t at = 0; at < IOSurfaceGetWidth(surface) * IOSurfaceGetBytesPerElement(surface); ++at)
        sum += pixels[row * IOSurfaceGetBytesPerRow(surface) + at];
    }
    EXPECT_EQ(sum, 0u) << c.what;
    CFRelease(surface);
  }
  CFRelease(made);
}

TEST(IOSurface, UseCountNeverGoesBelowZero) {
  IOSurfaceRef surface = createSurface(2, 2);
  EXPECT_FALSE(IOSurfaceIsInUse(surface));
  IOSurfaceIncrementUseCount(surface);
  IOSurfaceIncrementUseCount(surface);
  EXPECT_EQ(IOSurfaceGetUseCount(surface), 2);
  IOSurfaceDecrementUseCount(surface);
  IOSurfaceDecrementUseCount(surface);
  IOSurfaceDecrementUseCount(surface);
  EXPECT_EQ(IOSurfaceGetUseCount(surface), 0);
  IOSurfaceIncrementUseCount(surface);
  EXPECT_TRUE(IOSurfaceIsInUse(surface));
  CFRelease(surface);
}

TEST(IOSurface, CallsOnThingsThatAreNotSurfacesAnswerNothing) {
  CFTypeRef notSurface = CFSTR("surface");
  auto* fake = reinterpret_cast<IOSurfaceRef>(const_cast<void*>(notSurface));
  EXPECT_EQ(IOSurfaceGetWidth(fake), 0u);
  EXPECT_EQ(IOSurfaceGetBaseAddress(fake), nullptr);
  EXPECT_EQ(IOSurfaceGetID(fake), 0u);
  EXPECT_NE(IOSurfaceLock(fake, 0, nullptr), kIOReturnSuccess);
  EXPECT_EQ(IOSurfaceCreateMachPort(nullptr), 0u);
}

}  // namespace
