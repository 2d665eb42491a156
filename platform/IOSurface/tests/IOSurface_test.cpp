#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>
#include <IOSurface/IOSurface.h>
#include <fcntl.h>
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

  // A file of the right size with the wrong contents, and one whose header claims more
  // memory than it has.
  for (const bool lying : {false, true}) {
    FILE* file = tmpfile();
    ASSERT_NE(file, nullptr);
    std::string page(8192, '\0');
    if (lying) {
      IOSurfaceRef surface = createSurface(4, 4);
      const int fd = _IOSurfaceCopyFileDescriptor(surface);
      ASSERT_EQ(pread(fd, page.data(), 4096, 0), 4096);
      close(fd);
      CFRelease(surface);
      const uint64_t huge = uint64_t(1) << 30;
      std::memcpy(page.data() + 48, &huge, sizeof huge);  // allocSize
    }
    fwrite(page.data(), 1, page.size(), file);
    fflush(file);
    EXPECT_EQ(_IOSurfaceCreateFromFileDescriptor(fileno(file)), nullptr);
    fclose(file);
  }
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
