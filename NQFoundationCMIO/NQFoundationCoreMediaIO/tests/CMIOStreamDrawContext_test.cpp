#include <gtest/gtest.h>

#include <CoreFoundation/CFNumber.h>
#include <CoreGraphics/CGBitmapContext.h>
#include <CoreGraphics/CGColorSpace.h>
#include <CoreMedia/CMSampleBuffer.h>
#include <mach/mach_time.h>

#include <string>
#include <vector>

#include "../../../URequirements/tests/MessageCollector.h"
#include "CMIOStreamDrawContext.h"
#include "NQCMIODictionary.h"

using namespace NQCMIO;

namespace {

struct ARGB {
  UInt8 a, r, g, b;
};

// A bitmap in the draw context's layout: A, R, G, B bytes, rows top-down in memory.
struct Bitmap {
  Bitmap(size_t width, size_t height) : width(width), height(height), pixels(width * height * 4) {
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    context = CGBitmapContextCreate(pixels.data(), width, height, 8, width * 4, space,
                                    kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Big);
    CGColorSpaceRelease(space);
  }
  ~Bitmap() { CGContextRelease(context); }
  // The pixel at CoreGraphics coordinates (origin bottom-left).
  ARGB at(size_t x, size_t y) const {
    const UInt8* p = &pixels[((height - 1 - y) * width + x) * 4];
    return ARGB{p[0], p[1], p[2], p[3]};
  }
  size_t width, height;
  std::vector<UInt8> pixels;
  CGContextRef context;
};

bool anyLineHas(const std::vector<std::string>& lines, const std::string& text) {
  for (const std::string& line : lines) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

bool isWhite(ARGB p) { return p.a == 255 && p.r == 255 && p.g == 255 && p.b == 255; }
bool isPink(ARGB p) { return p.a == 255 && p.r == 255 && p.g == 0 && (p.b == 127 || p.b == 128); }

}  // namespace

TEST(CMIOStreamDrawContext, DefaultPatternIsAPinkSquareOnWhiteMovingLeftOnceASecond) {
  Bitmap bitmap(800, 600);
  // Half a second into the pattern's second the square's left edge stands near the middle.
  const UInt64 firstHostTime = mach_absolute_time() - 500000000ull;
  CMIOStreamDrawContext::DefaultDrawFrame(bitmap.context, CGSizeMake(800, 600), kCMTimeZero, firstHostTime);
  EXPECT_TRUE(isPink(bitmap.at(500, 410)));
  EXPECT_TRUE(isPink(bitmap.at(500, 311)));
  EXPECT_TRUE(isPink(bitmap.at(500, 508)));
  EXPECT_TRUE(isWhite(bitmap.at(500, 300)));
  EXPECT_TRUE(isWhite(bitmap.at(500, 520)));
  EXPECT_TRUE(isWhite(bitmap.at(10, 410)));
  EXPECT_TRUE(isWhite(bitmap.at(700, 410)));
  EXPECT_TRUE(isWhite(bitmap.at(0, 0)));
}

TEST(CMIOStreamDrawContext, FramesComeFromThePoolInThirtyTwoBitARGB) {
  CMIOStreamDrawContext stream;
  ASSERT_TRUE(stream.Construct(CGSizeMake(640, 600), nullptr));
  stream.AsyncQueueNextCMSampleBuffer();
  const RefPtr<opaqueCMSampleBuffer> held =
      adopt(static_cast<CMSampleBufferRef>(const_cast<void*>(CMSimpleQueueDequeue(stream.GetQueueLazy()))));
  CMSampleBufferRef buffer = held.get();
  ASSERT_NE(buffer, nullptr);
  CVPixelBufferRef pixels = CMSampleBufferGetImageBuffer(buffer);
  EXPECT_EQ(CVPixelBufferGetPixelFormatType(pixels), OSType(kCVPixelFormatType_32ARGB));
  EXPECT_EQ(CVPixelBufferGetWidth(pixels), 640u);
  EXPECT_EQ(CVPixelBufferGetHeight(pixels), 600u);
  CVPixelBufferLockBaseAddress(pixels, kCVPixelBufferLock_ReadOnly);
  const auto* base = static_cast<const UInt8*>(CVPixelBufferGetBaseAddress(pixels));
  // The first frame comes at the start of the pattern's second: the square is still at the
  // right edge, off the frame, so the top-left pixel and the middle are white.
  EXPECT_EQ(base[0], 255);
  EXPECT_EQ(base[1], 255);
  CVPixelBufferUnlockBaseAddress(pixels, kCVPixelBufferLock_ReadOnly);
  stream.Destruct();
}

TEST(CMIOStreamDrawContext, ADrawBlockPaintsInsteadOfThePattern) {
  CMIOStreamDrawContext stream;
  CGSize seen{};
  UInt64 seenFirstHostTime = 0;
  CMIODrawFrameBlock block = [&](CGContextRef context, CGSize size, CMTime, UInt64 firstHostTime) {
    seen = size;
    seenFirstHostTime = firstHostTime;
    stream.ClearFrame(context, CGRectMake(0, 0, size.width, size.height));
  };
  ASSERT_TRUE(stream.Construct(CGSizeMake(32, 16), &block));
  stream.AsyncQueueNextCMSampleBuffer();
  const RefPtr<opaqueCMSampleBuffer> held =
      adopt(static_cast<CMSampleBufferRef>(const_cast<void*>(CMSimpleQueueDequeue(stream.GetQueueLazy()))));
  CMSampleBufferRef buffer = held.get();
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(seen.width, 32);
  EXPECT_EQ(seen.height, 16);
  EXPECT_NE(seenFirstHostTime, 0u);
  CVPixelBufferRef pixels = CMSampleBufferGetImageBuffer(buffer);
  CVPixelBufferLockBaseAddress(pixels, kCVPixelBufferLock_ReadOnly);
  const auto* base = static_cast<const UInt8*>(CVPixelBufferGetBaseAddress(pixels));
  EXPECT_EQ(base[0], 255) << "opaque";
  EXPECT_EQ(base[1], 0);
  EXPECT_EQ(base[2], 0);
  EXPECT_EQ(base[3], 0);
  CVPixelBufferUnlockBaseAddress(pixels, kCVPixelBufferLock_ReadOnly);
  stream.Destruct();
}

TEST(CMIOStreamDrawContext, PixelBufferPropertiesDescribeTheFrames) {
  CMIOStreamDrawContext stream;
  ASSERT_TRUE(stream.Construct(CGSizeMake(64, 48), nullptr));
  const RefPtr<const __CFDictionary> heldProperties = adopt(stream.CopyPixelBufferProperties());
  CFDictionaryRef properties = heldProperties.get();
  ASSERT_NE(properties, nullptr);
  auto number = [&](CFStringRef key) {
    SInt64 value = -1;
    CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(properties, key)), kCFNumberSInt64Type, &value);
    return value;
  };
  EXPECT_EQ(number(kCVPixelBufferPixelFormatTypeKey), SInt64(kCVPixelFormatType_32ARGB));
  EXPECT_EQ(number(kCVPixelBufferWidthKey), 64);
  EXPECT_EQ(number(kCVPixelBufferHeightKey), 48);
  EXPECT_EQ(CFDictionaryGetValue(properties, kCVPixelBufferCGImageCompatibilityKey), kCFBooleanTrue);
  EXPECT_EQ(CFDictionaryGetValue(properties, kCVPixelBufferCGBitmapContextCompatibilityKey), kCFBooleanTrue);
  const RefPtr<__CVBuffer> outside = adopt(stream.NewPixelBuffer());
  ASSERT_NE(outside, nullptr);
  EXPECT_EQ(CVPixelBufferGetWidth(outside.get()), 64u);
  stream.Destruct();
}

TEST(CMIOStreamDrawContext, BuffersThatCannotBeMadeAreReportedAndNotDelivered) {
  MessageCollector console;
  {
    CMIOStreamDrawContext unconstructed;
    console.drain();
    EXPECT_EQ(unconstructed.CopyPixelBufferForPresentationTime(kCMTimeZero), nullptr);
    const std::vector<std::string> lines = console.drain();
    EXPECT_TRUE(anyLineHas(
        lines, " - SRC>>CVPixelBufferPoolCreatePixelBuffer(kCFAllocatorDefault,_pixelBufferPool,&pixelBufferRef) in "))
        << ::testing::PrintToString(lines);
    EXPECT_TRUE(anyLineHas(lines, "REQUIRED_CFTYPEOF pixelBufferRef==NULL : in CopyPixelBufferForPresentationTime"))
        << ::testing::PrintToString(lines);
  }
  CMIOStreamDrawContext empty;
  console.drain();
  EXPECT_FALSE(empty.Construct(CGSizeMake(0, 0), nullptr)) << "no pool holds buffers of no pixels";
  std::vector<std::string> lines = console.drain();
  EXPECT_TRUE(anyLineHas(
      lines,
      " - SRC>>CVPixelBufferPoolCreate( kCFAllocatorDefault, pixelBufferPoolOptions, options, &outputPool ) in "))
      << ::testing::PrintToString(lines);
  EXPECT_EQ(empty.NewPixelBuffer(), nullptr);
  lines = console.drain();
  EXPECT_TRUE(anyLineHas(
      lines,
      " - SRC>>CVPixelBufferCreate(kCFAllocatorDefault, _width, _height, _pixelFormat, options, &pixelBufferRef) in "))
      << ::testing::PrintToString(lines);
  empty.Destruct();
}

TEST(OSDictionary, SetSInt64ValueRefusesWhatIsNotADictionaryOrAStringKey) {
  OSDictionary dictionary;
  ASSERT_NE(dictionary.Get(), nullptr);
  const RefPtr<const __CFNumber> number = adopt(CFNumberCreate(nullptr, kCFNumberIntType, &(const int&)7));
  CFNumberRef notAKey = number.get();
  struct Case {
    CFMutableDictionaryRef dictionary;
    CFTypeRef key;
    bool answer;
  };
  for (const Case& c : std::vector<Case>{
           {nullptr, CFSTR("k"), false},
           {(CFMutableDictionaryRef)kCFNull, CFSTR("k"), false},
           {(CFMutableDictionaryRef)CFSTR("text"), CFSTR("k"), false},
           {dictionary.Get(), nullptr, false},
           {dictionary.Get(), kCFNull, false},
           {dictionary.Get(), notAKey, false},
           {dictionary.Get(), CFSTR("k"), true}}) {
    EXPECT_EQ(OSDictionary::CFDictionarySetSInt64Value(c.dictionary, static_cast<CFStringRef>(c.key), 1LL << 40),
              c.answer);
  }
  SInt64 value = 0;
  CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(dictionary.Get(), CFSTR("k"))), kCFNumberSInt64Type,
                   &value);
  EXPECT_EQ(value, 1LL << 40);
  EXPECT_EQ(CFDictionaryGetCount(dictionary.Get()), 1);
}
