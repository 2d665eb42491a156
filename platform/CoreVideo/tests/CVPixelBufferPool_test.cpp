#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>
#include <CoreVideo/CoreVideo.h>
#include <IOSurface/IOSurface.h>
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "AttributeDictionary.h"

namespace {

using moxicam::test::newDictionary;
using moxicam::test::setNumber;

CFMutableDictionaryRef bufferAttributes(int64_t width, int64_t height, int64_t format) {
  CFMutableDictionaryRef attributes = newDictionary();
  if (width >= 0) setNumber(attributes, kCVPixelBufferWidthKey, width);
  if (height >= 0) setNumber(attributes, kCVPixelBufferHeightKey, height);
  if (format >= 0) setNumber(attributes, kCVPixelBufferPixelFormatTypeKey, format);
  return attributes;
}

TEST(CVPixelBufferPool, HandsOutBuffersOfItsKindAndReusesFreedOnes) {
  CFMutableDictionaryRef poolAttributes = newDictionary();
  setNumber(poolAttributes, kCVPixelBufferPoolMinimumBufferCountKey, 4);
  CFMutableDictionaryRef attributes = bufferAttributes(320, 240, kCVPixelFormatType_32ARGB);
  // Doubles are taken as the integers they hold, as callers build sizes from CGFloats.
  double width = 320.0;
  CFNumberRef widthNumber = CFNumberCreate(nullptr, kCFNumberFloat64Type, &width);
  CFDictionarySetValue(attributes, kCVPixelBufferWidthKey, widthNumber);
  CFRelease(widthNumber);
  CVPixelBufferPoolRef pool = nullptr;
  ASSERT_EQ(CVPixelBufferPoolCreate(nullptr, poolAttributes, attributes, &pool), kCVReturnSuccess);
  EXPECT_EQ(CFGetTypeID(pool), CVPixelBufferPoolGetTypeID());
  EXPECT_TRUE(CFEqual(CVPixelBufferPoolGetPixelBufferAttributes(pool), attributes));
  EXPECT_TRUE(CFEqual(CVPixelBufferPoolGetAttributes(pool), poolAttributes));
  CFRelease(attributes);
  CFRelease(poolAttributes);

  std::vector<CVPixelBufferRef> held;
  std::set<void*> memory;
  for (int i = 0; i < 6; ++i) {
    CVPixelBufferRef buffer = nullptr;
    ASSERT_EQ(CVPixelBufferPoolCreatePixelBuffer(nullptr, pool, &buffer), kCVReturnSuccess);
    EXPECT_EQ(CVPixelBufferGetWidth(buffer), 320u);
    EXPECT_EQ(CVPixelBufferGetHeight(buffer), 240u);
    EXPECT_EQ(CVPixelBufferGetPixelFormatType(buffer), kCVPixelFormatType_32ARGB);
    held.push_back(buffer);
    memory.insert(CVPixelBufferGetBaseAddress(buffer));
  }
  EXPECT_EQ(memory.size(), 6u);  // a buffer still held is never handed out twice

  CVBufferSetAttachment(held[2], CFSTR("stale"), kCFBooleanTrue, kCVAttachmentMode_ShouldPropagate);
  void* freed = CVPixelBufferGetBaseAddress(held[2]);
  CVPixelBufferRelease(held[2]);
  CVPixelBufferRef reused = nullptr;
  ASSERT_EQ(CVPixelBufferPoolCreatePixelBuffer(nullptr, pool, &reused), kCVReturnSuccess);
  EXPECT_EQ(CVPixelBufferGetBaseAddress(reused), freed);
  EXPECT_EQ(CVBufferGetAttachment(reused, CFSTR("stale"), nullptr), nullptr);
  held[2] = reused;

  // Buffers outlive their pool.
  CVPixelBufferPoolRelease(pool);
  static_cast<unsigned char*>(CVPixelBufferGetBaseAddress(held[0]))[0] = 1;
  for (CVPixelBufferRef buffer : held) CVPixelBufferRelease(buffer);
}

TEST(CVPixelBufferPool, SurfacePropertiesMakeSurfaceBackedBuffers) {
  CFMutableDictionaryRef attributes = bufferAttributes(1280, 720, kCVPixelFormatType_32BGRA);
  CFMutableDictionaryRef surfaceProperties = newDictionary();
  CFDictionarySetValue(attributes, kCVPixelBufferIOSurfacePropertiesKey, surfaceProperties);
  CFRelease(surfaceProperties);
  CVPixelBufferPoolRef pool = nullptr;
  ASSERT_EQ(CVPixelBufferPoolCreate(nullptr, nullptr, attributes, &pool), kCVReturnSuccess);
  CFRelease(attributes);
  CVPixelBufferRef buffer = nullptr;
  ASSERT_EQ(CVPixelBufferPoolCreatePixelBuffer(nullptr, pool, &buffer), kCVReturnSuccess);
  IOSurfaceRef surface = CVPixelBufferGetIOSurface(buffer);
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(IOSurfaceGetWidth(surface), 1280u);
  EXPECT_EQ(IOSurfaceGetPixelFormat(surface), kCVPixelFormatType_32BGRA);
  CVPixelBufferRelease(buffer);
  CVPixelBufferPoolFlush(pool, kCVPixelBufferPoolFlushExcessBuffers);
  CVPixelBufferPoolRelease(pool);
}

TEST(CVPixelBufferPool, CreateRefusesAttributesNoBufferCanBeMadeFrom) {
  struct Case {
    const char* what;
    int64_t width, height, format;
    CVReturn expected;
  } cases[] = {
      {"no width", -1, 10, kCVPixelFormatType_32BGRA, kCVReturnInvalidPixelBufferAttributes},
      {"no format", 10, 10, -1, kCVReturnInvalidPixelBufferAttributes},
      {"zero height", 10, 0, kCVPixelFormatType_32BGRA, kCVReturnInvalidSize},
      {"unknown format", 10, 10, FOUR_CHAR_CODE("what"), kCVReturnInvalidPixelFormat},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CFMutableDictionaryRef attributes = bufferAttributes(c.width, c.height, c.format);
    CVPixelBufferPoolRef pool = reinterpret_cast<CVPixelBufferPoolRef>(0x1);
    EXPECT_EQ(CVPixelBufferPoolCreate(nullptr, nullptr, attributes, &pool), c.expected);
    EXPECT_EQ(pool, nullptr);
    CFRelease(attributes);
  }
  CVPixelBufferPoolRef pool = nullptr;
  EXPECT_EQ(CVPixelBufferPoolCreate(nullptr, nullptr, nullptr, &pool), kCVReturnInvalidPixelBufferAttributes);
  CFMutableDictionaryRef attributes = bufferAttributes(10, 10, kCVPixelFormatType_32BGRA);
  EXPECT_EQ(CVPixelBufferPoolCreate(nullptr, static_cast<CFDictionaryRef>(static_cast<CFTypeRef>(CFSTR("x"))),
                                    attributes, &pool),
            kCVReturnInvalidPoolAttributes);
  CFRelease(attributes);
  CVPixelBufferRef buffer = nullptr;
  EXPECT_EQ(CVPixelBufferPoolCreatePixelBuffer(nullptr, nullptr, &buffer), kCVReturnInvalidArgument);
}

TEST(CVHostTime, IsTheMonotonicClockInNanoseconds) {
  EXPECT_EQ(CVGetHostClockFrequency(), 1e9);
  const uint64_t first = CVGetCurrentHostTime();
  EXPECT_GE(CVGetCurrentHostTime(), first);
  EXPECT_EQ(CVGetHostClockMinimumTimeDelta(), 1u);
}

}  // namespace
