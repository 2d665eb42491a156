#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>
#include <CoreMedia/CoreMedia.h>
#include <CoreVideo/CoreVideo.h>
#include <gtest/gtest.h>

namespace {

CVPixelBufferRef makeBuffer(size_t width, size_t height, OSType format) {
  CVPixelBufferRef buffer = nullptr;
  EXPECT_EQ(CVPixelBufferCreate(nullptr, width, height, format, nullptr, &buffer), kCVReturnSuccess);
  return buffer;
}

TEST(CMFormatDescription, VideoDescriptionsOfBuffersAndCodecs) {
  CVPixelBufferRef buffer = makeBuffer(1280, 720, kCVPixelFormatType_32BGRA);
  CMVideoFormatDescriptionRef forBuffer = nullptr;
  ASSERT_EQ(CMVideoFormatDescriptionCreateForImageBuffer(nullptr, buffer, &forBuffer), noErr);
  EXPECT_EQ(CFGetTypeID(forBuffer), CMFormatDescriptionGetTypeID());
  EXPECT_EQ(CMFormatDescriptionGetMediaType(forBuffer), kCMMediaType_Video);
  EXPECT_EQ(CMFormatDescriptionGetMediaSubType(forBuffer), kCMPixelFormat_32BGRA);
  const CMVideoDimensions dimensions = CMVideoFormatDescriptionGetDimensions(forBuffer);
  EXPECT_EQ(dimensions.width, 1280);
  EXPECT_EQ(dimensions.height, 720);
  EXPECT_TRUE(CMVideoFormatDescriptionMatchesImageBuffer(forBuffer, buffer));
  CVPixelBufferRef other = makeBuffer(1280, 720, kCVPixelFormatType_422YpCbCr8);
  EXPECT_FALSE(CMVideoFormatDescriptionMatchesImageBuffer(forBuffer, other));

  CMVideoFormatDescriptionRef made = nullptr;
  ASSERT_EQ(CMVideoFormatDescriptionCreate(nullptr, kCMPixelFormat_32BGRA, 1280, 720, nullptr, &made), noErr);
  EXPECT_TRUE(CMFormatDescriptionEqual(made, forBuffer));
  EXPECT_EQ(CMFormatDescriptionGetExtensions(made), nullptr);

  CFMutableDictionaryRef extensions =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFDictionarySetValue(extensions, CFSTR("FormatName"), CFSTR("Component Y'CbCr 8-bit 4:2:2"));
  CMVideoFormatDescriptionRef camera = nullptr;
  ASSERT_EQ(CMVideoFormatDescriptionCreate(nullptr, kCMVideoCodecType_422YpCbCr8, 0, 0, extensions, &camera),
            noErr);
  CFRelease(extensions);
  EXPECT_EQ(CMVideoFormatDescriptionGetCodecType(camera), kCMVideoCodecType_422YpCbCr8);
  EXPECT_TRUE(CFEqual(CMFormatDescriptionGetExtension(camera, CFSTR("FormatName")),
                      CFSTR("Component Y'CbCr 8-bit 4:2:2")));
  EXPECT_FALSE(CMFormatDescriptionEqual(camera, made));

  CMVideoFormatDescriptionRef refused = nullptr;
  EXPECT_EQ(CMVideoFormatDescriptionCreate(nullptr, kCMVideoCodecType_422YpCbCr8, -1, 10, nullptr, &refused),
            kCMFormatDescriptionError_InvalidParameter);
  EXPECT_EQ(CMVideoFormatDescriptionCreateForImageBuffer(nullptr, nullptr, &refused),
            kCMFormatDescriptionError_InvalidParameter);
  EXPECT_EQ(CMVideoFormatDescriptionCreateForImageBuffer(
                nullptr, reinterpret_cast<CVImageBufferRef>(const_cast<opaqueCMFormatDescription*>(made)),
                &refused),
            kCMFormatDescriptionError_InvalidParameter);

  for (CFTypeRef object :
       {CFTypeRef(forBuffer), CFTypeRef(made), CFTypeRef(camera), CFTypeRef(buffer), CFTypeRef(other)})
    CFRelease(object);
}

TEST(CMSampleBuffer, CarriesItsImageFormatAndTiming) {
  CVPixelBufferRef buffer = makeBuffer(64, 48, kCVPixelFormatType_32ARGB);
  CMVideoFormatDescriptionRef format = nullptr;
  ASSERT_EQ(CMVideoFormatDescriptionCreateForImageBuffer(nullptr, buffer, &format), noErr);
  const CMSampleTimingInfo timing = {CMTimeMake(96, 2900), CMTimeMake(1000, 2900), CMTimeMake(1000, 2900)};
  CMSampleBufferRef sample = nullptr;
  ASSERT_EQ(CMSampleBufferCreateReadyWithImageBuffer(nullptr, buffer, format, &timing, &sample), noErr);
  EXPECT_EQ(CFGetTypeID(sample), CMSampleBufferGetTypeID());

  // The sample holds its buffer and description after their creators let go.
  CFRelease(buffer);
  CFRelease(format);
  CVImageBufferRef image = CMSampleBufferGetImageBuffer(sample);
  EXPECT_EQ(CVPixelBufferGetWidth(image), 64u);
  EXPECT_TRUE(CMVideoFormatDescriptionMatchesImageBuffer(CMSampleBufferGetFormatDescription(sample), image));
  EXPECT_EQ(CMTimeCompare(CMSampleBufferGetPresentationTimeStamp(sample), timing.presentationTimeStamp), 0);
  EXPECT_EQ(CMTimeCompare(CMSampleBufferGetOutputPresentationTimeStamp(sample), timing.presentationTimeStamp),
            0);
  EXPECT_EQ(CMTimeCompare(CMSampleBufferGetDecodeTimeStamp(sample), timing.decodeTimeStamp), 0);
  EXPECT_EQ(CMTimeCompare(CMSampleBufferGetDuration(sample), timing.duration), 0);
  EXPECT_TRUE(CMSampleBufferDataIsReady(sample));
  EXPECT_EQ(CMSampleBufferGetNumSamples(sample), 1);
  CMSampleTimingInfo read = kCMTimingInfoInvalid;
  EXPECT_EQ(CMSampleBufferGetSampleTimingInfo(sample, 0, &read), noErr);
  EXPECT_EQ(CMTimeCompare(read.duration, timing.duration), 0);
  EXPECT_EQ(CMSampleBufferGetSampleTimingInfo(sample, 1, &read), kCMSampleBufferError_SampleIndexOutOfRange);

  EXPECT_EQ(CMSampleBufferGetSampleAttachmentsArray(sample, false), nullptr);
  CFArrayRef perSample = CMSampleBufferGetSampleAttachmentsArray(sample, true);
  ASSERT_EQ(CFArrayGetCount(perSample), 1);
  auto* first = static_cast<CFMutableDictionaryRef>(const_cast<void*>(CFArrayGetValueAtIndex(perSample, 0)));
  CFDictionarySetValue(first, kCMSampleAttachmentKey_DisplayImmediately, kCFBooleanTrue);
  EXPECT_EQ(CMSampleBufferGetSampleAttachmentsArray(sample, true), perSample);

  CMSetAttachment(sample, CFSTR("sequence"), CFSTR("7"), kCMAttachmentMode_ShouldNotPropagate);
  CMAttachmentMode mode = kCMAttachmentMode_ShouldPropagate;
  EXPECT_TRUE(CFEqual(CMGetAttachment(sample, CFSTR("sequence"), &mode), CFSTR("7")));
  EXPECT_EQ(mode, kCMAttachmentMode_ShouldNotPropagate);
  // Attachments set through CoreMedia on a pixel buffer are its CoreVideo attachments.
  CMSetAttachment(image, CFSTR("colour"), CFSTR("red"), kCMAttachmentMode_ShouldPropagate);
  EXPECT_TRUE(CFEqual(CVBufferGetAttachment(image, CFSTR("colour"), nullptr), CFSTR("red")));
  CFRelease(sample);
}

TEST(CMSampleBuffer, RefusesMissingPartsAndMismatchedFormats) {
  CVPixelBufferRef buffer = makeBuffer(64, 48, kCVPixelFormatType_32ARGB);
  CMVideoFormatDescriptionRef wrongSize = nullptr;
  ASSERT_EQ(CMVideoFormatDescriptionCreate(nullptr, kCMPixelFormat_32ARGB, 32, 48, nullptr, &wrongSize),
            noErr);
  const CMSampleTimingInfo timing = {CMTimeMake(1, 30), kCMTimeZero, kCMTimeInvalid};
  CMSampleBufferRef sample = reinterpret_cast<CMSampleBufferRef>(0x1);
  EXPECT_EQ(CMSampleBufferCreateReadyWithImageBuffer(nullptr, buffer, wrongSize, &timing, &sample),
            kCMSampleBufferError_InvalidMediaFormat);
  EXPECT_EQ(sample, nullptr);
  EXPECT_EQ(CMSampleBufferCreateReadyWithImageBuffer(nullptr, buffer, nullptr, &timing, &sample),
            kCMSampleBufferError_RequiredParameterMissing);
  EXPECT_EQ(CMSampleBufferCreateReadyWithImageBuffer(nullptr, buffer, wrongSize, nullptr, &sample),
            kCMSampleBufferError_RequiredParameterMissing);
  EXPECT_TRUE(CMTIME_IS_INVALID(CMSampleBufferGetPresentationTimeStamp(nullptr)));
  EXPECT_EQ(CMSampleBufferGetImageBuffer(nullptr), nullptr);
  CFRelease(wrongSize);
  CFRelease(buffer);
}

TEST(CMClock, HostTimeClockCountsHostTimeInNanoseconds) {
  CMClockRef clock = CMClockGetHostTimeClock();
  EXPECT_EQ(clock, CMClockGetHostTimeClock());
  EXPECT_EQ(CFGetTypeID(clock), CMClockGetTypeID());
  const CMTime now = CMClockGetTime(clock);
  EXPECT_EQ(now.timescale, 1000000000);
  EXPECT_GE(CMTimeCompare(CMClockGetTime(clock), now), 0);
  EXPECT_EQ(CMTimeCompare(CMClockMakeHostTimeFromSystemUnits(1500000000), CMTimeMake(3, 2)), 0);
  EXPECT_EQ(CMClockConvertHostTimeToSystemUnits(CMTimeMake(3, 2)), 1500000000u);
  CFRelease(clock);  // the host clock outlives any number of releases
  EXPECT_TRUE(CMTIME_IS_VALID(CMClockGetTime(clock)));
  EXPECT_TRUE(CMTIME_IS_INVALID(CMClockGetTime(nullptr)));
}

}  // namespace
