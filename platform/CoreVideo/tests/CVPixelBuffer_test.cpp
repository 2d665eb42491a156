#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>
#include <CoreVideo/CoreVideo.h>
#include <IOSurface/IOSurface.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "AttributeDictionary.h"

namespace {

using moxicam::test::newDictionary;
using moxicam::test::setNumber;

TEST(CVPixelBuffer, CreateLaysOutRowsForEachFormat) {
  struct Case {
    OSType format;
    size_t width, expectedBytesPerRow;
  } cases[] = {
      {kCVPixelFormatType_32BGRA, 1280, 5120},
      {kCVPixelFormatType_32ARGB, 3, 16},      // rows padded to 16 bytes
      {kCVPixelFormatType_422YpCbCr8, 5, 16},  // 4:2:2 rows hold whole pixel pairs
      {kCVPixelFormatType_422YpCbCr8_yuvs, 8, 16},
      {kCVPixelFormatType_24RGB, 16, 48},
      {kCVPixelFormatType_OneComponent8, 17, 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.format) + " " + std::to_string(c.width));
    CVPixelBufferRef buffer = nullptr;
    ASSERT_EQ(CVPixelBufferCreate(kCFAllocatorDefault, c.width, 3, c.format, nullptr, &buffer),
              kCVReturnSuccess);
    EXPECT_EQ(CFGetTypeID(buffer), CVPixelBufferGetTypeID());
    EXPECT_EQ(CVPixelBufferGetWidth(buffer), c.width);
    EXPECT_EQ(CVPixelBufferGetHeight(buffer), 3u);
    EXPECT_EQ(CVPixelBufferGetPixelFormatType(buffer), c.format);
    EXPECT_EQ(CVPixelBufferGetBytesPerRow(buffer), c.expectedBytesPerRow);
    EXPECT_EQ(CVPixelBufferGetDataSize(buffer), c.expectedBytesPerRow * 3);
    EXPECT_FALSE(CVPixelBufferIsPlanar(buffer));
    EXPECT_EQ(CVPixelBufferGetIOSurface(buffer), nullptr);
    const CGSize size = CVImageBufferGetEncodedSize(buffer);
    EXPECT_EQ(size.width, double(c.width));
    ASSERT_EQ(CVPixelBufferLockBaseAddress(buffer, 0), kCVReturnSuccess);
    auto* bytes = static_cast<unsigned char*>(CVPixelBufferGetBaseAddress(buffer));
    EXPECT_EQ(bytes[0], 0);  // new memory is cleared, so an undrawn frame is black, not garbage
    bytes[CVPixelBufferGetDataSize(buffer) - 1] = 1;
    EXPECT_EQ(CVPixelBufferUnlockBaseAddress(buffer, 0), kCVReturnSuccess);
    CVPixelBufferRelease(buffer);
  }
}

TEST(CVPixelBuffer, CreateRefusesWhatIsNoBuffer) {
  CVPixelBufferRef buffer = reinterpret_cast<CVPixelBufferRef>(0x1);
  EXPECT_EQ(CVPixelBufferCreate(nullptr, 0, 10, kCVPixelFormatType_32BGRA, nullptr, &buffer),
            kCVReturnInvalidSize);
  EXPECT_EQ(buffer, nullptr);
  EXPECT_EQ(CVPixelBufferCreate(nullptr, 10, 10, FOUR_CHAR_CODE("zzzz"), nullptr, &buffer),
            kCVReturnInvalidPixelFormat);
  EXPECT_EQ(CVPixelBufferCreate(nullptr, 10, 10, kCVPixelFormatType_32BGRA, nullptr, nullptr),
            kCVReturnInvalidArgument);
  CFMutableDictionaryRef attributes = newDictionary();
  CFDictionarySetValue(attributes, kCVPixelBufferIOSurfacePropertiesKey, CFSTR("not a dictionary"));
  EXPECT_EQ(CVPixelBufferCreate(nullptr, 10, 10, kCVPixelFormatType_32BGRA, attributes, &buffer),
            kCVReturnInvalidPixelBufferAttributes);
  CFRelease(attributes);
  EXPECT_EQ(CVPixelBufferCreate(nullptr, 10, 10, kCVPixelFormatType_32BGRA,
                                static_cast<CFDictionaryRef>(static_cast<CFTypeRef>(CFSTR("x"))), &buffer),
            kCVReturnInvalidPixelBufferAttributes);
}

TEST(CVPixelBuffer, UnlockWithoutLockIsRefused) {
  CVPixelBufferRef buffer = nullptr;
  ASSERT_EQ(CVPixelBufferCreate(nullptr, 4, 4, kCVPixelFormatType_32BGRA, nullptr, &buffer),
            kCVReturnSuccess);
  EXPECT_NE(CVPixelBufferUnlockBaseAddress(buffer, 0), kCVReturnSuccess);
  ASSERT_EQ(CVPixelBufferLockBaseAddress(buffer, kCVPixelBufferLock_ReadOnly), kCVReturnSuccess);
  EXPECT_NE(CVPixelBufferUnlockBaseAddress(buffer, 0), kCVReturnSuccess);
  EXPECT_EQ(CVPixelBufferUnlockBaseAddress(buffer, kCVPixelBufferLock_ReadOnly), kCVReturnSuccess);
  CVPixelBufferRelease(buffer);
}

struct Released {
  int calls = 0;
  const void* address = nullptr;
};

TEST(CVPixelBuffer, BytesOfTheCallerAreHandedBackOnce) {
  static unsigned char pixels[8 * 32];
  Released released;
  auto callback = [](void* refCon, const void* address) {
    auto* record = static_cast<Released*>(refCon);
    ++record->calls;
    record->address = address;
  };
  CVPixelBufferRef buffer = nullptr;
  ASSERT_EQ(CVPixelBufferCreateWithBytes(nullptr, 8, 8, kCVPixelFormatType_32BGRA, pixels, 32, callback,
                                         &released, nullptr, &buffer),
            kCVReturnSuccess);
  EXPECT_EQ(CVPixelBufferGetBaseAddress(buffer), pixels);
  EXPECT_EQ(CVPixelBufferGetBytesPerRow(buffer), 32u);
  CVPixelBufferRetain(buffer);
  CVPixelBufferRelease(buffer);
  EXPECT_EQ(released.calls, 0);
  CVPixelBufferRelease(buffer);
  EXPECT_EQ(released.calls, 1);
  EXPECT_EQ(released.address, pixels);

  // Rows shorter than the pixels are refused rather than read past.
  EXPECT_EQ(CVPixelBufferCreateWithBytes(nullptr, 8, 8, kCVPixelFormatType_32BGRA, pixels, 31, nullptr,
                                         nullptr, nullptr, &buffer),
            kCVReturnInvalidArgument);
  EXPECT_EQ(CVPixelBufferCreateWithBytes(nullptr, 8, 8, kCVPixelFormatType_32BGRA, nullptr, 32, nullptr,
                                         nullptr, nullptr, &buffer),
            kCVReturnInvalidArgument);
}

TEST(CVPixelBuffer, BufferOverASurfaceSharesItsMemoryAndSeed) {
  CFMutableDictionaryRef properties = newDictionary();
  setNumber(properties, kIOSurfaceWidth, 64);
  setNumber(properties, kIOSurfaceHeight, 48);
  setNumber(properties, kIOSurfaceBytesPerElement, 4);
  setNumber(properties, kIOSurfacePixelFormat, kCVPixelFormatType_32BGRA);
  IOSurfaceRef surface = IOSurfaceCreate(properties);
  CFRelease(properties);
  ASSERT_NE(surface, nullptr);

  CVPixelBufferRef buffer = nullptr;
  ASSERT_EQ(CVPixelBufferCreateWithIOSurface(nullptr, surface, nullptr, &buffer), kCVReturnSuccess);
  EXPECT_EQ(CVPixelBufferGetIOSurface(buffer), surface);
  // While a buffer shows the surface, the surface is in use, so nobody recycles it.
  EXPECT_TRUE(IOSurfaceIsInUse(surface));
  EXPECT_EQ(CVPixelBufferGetWidth(buffer), 64u);
  EXPECT_EQ(CVPixelBufferGetHeight(buffer), 48u);
  EXPECT_EQ(CVPixelBufferGetPixelFormatType(buffer), kCVPixelFormatType_32BGRA);
  EXPECT_EQ(CVPixelBufferGetBytesPerRow(buffer), IOSurfaceGetBytesPerRow(surface));
  EXPECT_EQ(CVPixelBufferGetBaseAddress(buffer), IOSurfaceGetBaseAddress(surface));

  const uint32_t seed = IOSurfaceGetSeed(surface);
  ASSERT_EQ(CVPixelBufferLockBaseAddress(buffer, 0), kCVReturnSuccess);
  std::memset(CVPixelBufferGetBaseAddress(buffer), 0x7f, CVPixelBufferGetDataSize(buffer));
  ASSERT_EQ(CVPixelBufferUnlockBaseAddress(buffer, 0), kCVReturnSuccess);
  EXPECT_NE(IOSurfaceGetSeed(surface), seed);
  EXPECT_EQ(static_cast<unsigned char*>(IOSurfaceGetBaseAddress(surface))[100], 0x7f);

  // The buffer keeps the surface alive after its creator lets go.
  const IOSurfaceID id = IOSurfaceGetID(surface);
  CFRelease(surface);
  IOSurfaceRef still = IOSurfaceLookup(id);
  ASSERT_NE(still, nullptr);
  CVPixelBufferRelease(buffer);
  EXPECT_FALSE(IOSurfaceIsInUse(still));
  CFRelease(still);
  EXPECT_EQ(IOSurfaceLookup(id), nullptr);

  EXPECT_EQ(CVPixelBufferCreateWithIOSurface(nullptr, nullptr, nullptr, &buffer), kCVReturnInvalidArgument);
}

TEST(CVPixelBuffer, SurfacePropertiesAttributeGivesASurfaceBackedBuffer) {
  CFMutableDictionaryRef attributes = newDictionary();
  CFMutableDictionaryRef surfaceProperties = newDictionary();
  CFDictionarySetValue(surfaceProperties, kIOSurfaceIsGlobal, kCFBooleanTrue);
  CFDictionarySetValue(attributes, kCVPixelBufferIOSurfacePropertiesKey, surfaceProperties);
  CFRelease(surfaceProperties);
  CVPixelBufferRef buffer = nullptr;
  ASSERT_EQ(CVPixelBufferCreate(nullptr, 20, 10, kCVPixelFormatType_422YpCbCr8, attributes, &buffer),
            kCVReturnSuccess);
  CFRelease(attributes);
  IOSurfaceRef surface = CVPixelBufferGetIOSurface(buffer);
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(IOSurfaceGetPixelFormat(surface), kCVPixelFormatType_422YpCbCr8);
  EXPECT_EQ(IOSurfaceGetBytesPerElement(surface), 2u);
  EXPECT_EQ(IOSurfaceGetBytesPerRow(surface), CVPixelBufferGetBytesPerRow(buffer));
  EXPECT_EQ(CVPixelBufferGetBaseAddress(buffer), IOSurfaceGetBaseAddress(surface));
  CVPixelBufferRelease(buffer);
}

TEST(CVBuffer, AttachmentsKeepOneModePerKeyAndPropagateOnlyTheirOwn) {
  CVPixelBufferRef source = nullptr, destination = nullptr;
  ASSERT_EQ(CVPixelBufferCreate(nullptr, 2, 2, kCVPixelFormatType_32BGRA, nullptr, &source),
            kCVReturnSuccess);
  ASSERT_EQ(CVPixelBufferCreate(nullptr, 2, 2, kCVPixelFormatType_32BGRA, nullptr, &destination),
            kCVReturnSuccess);
  EXPECT_EQ(CVBufferGetAttachments(source, kCVAttachmentMode_ShouldPropagate), nullptr);

  CVBufferSetAttachment(source, CFSTR("colour"), CFSTR("red"), kCVAttachmentMode_ShouldPropagate);
  CVBufferSetAttachment(source, CFSTR("private"), CFSTR("mine"), kCVAttachmentMode_ShouldNotPropagate);
  CVBufferSetAttachment(source, CFSTR("moved"), CFSTR("a"), kCVAttachmentMode_ShouldPropagate);
  CVBufferSetAttachment(source, CFSTR("moved"), CFSTR("b"), kCVAttachmentMode_ShouldNotPropagate);

  CVAttachmentMode mode = kCVAttachmentMode_ShouldPropagate;
  EXPECT_TRUE(CFEqual(CVBufferGetAttachment(source, CFSTR("moved"), &mode), CFSTR("b")));
  EXPECT_EQ(mode, kCVAttachmentMode_ShouldNotPropagate);
  EXPECT_EQ(CFDictionaryGetCount(CVBufferGetAttachments(source, kCVAttachmentMode_ShouldPropagate)), 1);

  CVBufferPropagateAttachments(source, destination);
  EXPECT_TRUE(CFEqual(CVBufferGetAttachment(destination, CFSTR("colour"), nullptr), CFSTR("red")));
  EXPECT_EQ(CVBufferGetAttachment(destination, CFSTR("private"), nullptr), nullptr);
  EXPECT_EQ(CVBufferGetAttachment(destination, CFSTR("moved"), nullptr), nullptr);

  CVBufferRemoveAttachment(source, CFSTR("colour"));
  EXPECT_EQ(CVBufferGetAttachment(source, CFSTR("colour"), nullptr), nullptr);
  CVBufferRemoveAllAttachments(source);
  EXPECT_EQ(CVBufferGetAttachments(source, kCVAttachmentMode_ShouldNotPropagate), nullptr);
  CVPixelBufferRelease(source);
  CVPixelBufferRelease(destination);
}

}  // namespace
