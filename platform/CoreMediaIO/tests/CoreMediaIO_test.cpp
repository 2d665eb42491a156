#include <gtest/gtest.h>

#include <CoreMediaIO/CoreMediaIO.h>
#include <CoreMediaIO/CMIOSystemObjects.h>
#include <CoreVideo/CVPixelBuffer.h>

namespace {
// Any distinct address serves as a plug-in reference for the registry.
CMIOHardwarePlugInRef fakePlugIn(int& storage) { return reinterpret_cast<CMIOHardwarePlugInRef>(&storage); }

bool isPublished(CMIOObjectID objectID) {
  CMIOSystemObject object{};
  return _CMIOSystemGetObject(objectID, &object) && object.published;
}
}  // namespace

TEST(CMIOObjectTree, OnlyLoadedPlugInsMakeObjectsAndOnlyOfTheirOwners) {
  int a = 0, b = 0;
  CMIOHardwarePlugInRef first = fakePlugIn(a), second = fakePlugIn(b);
  CMIOObjectID id = 0;
  EXPECT_EQ(CMIOObjectCreate(first, kCMIOObjectSystemObject, kCMIODeviceClassID, &id), kCMIOHardwareIllegalOperationError);
  _CMIOSystemAddPlugIn(first);
  _CMIOSystemAddPlugIn(second);
  CMIOObjectID device = 0, stream = 0;
  ASSERT_EQ(CMIOObjectCreate(first, kCMIOObjectSystemObject, kCMIODeviceClassID, &device), kCMIOHardwareNoError);
  EXPECT_EQ(CMIOObjectCreate(second, device, kCMIOStreamClassID, &id), kCMIOHardwareBadObjectError);
  ASSERT_EQ(CMIOObjectCreate(first, device, kCMIOStreamClassID, &stream), kCMIOHardwareNoError);
  EXPECT_NE(device, stream);
  EXPECT_EQ(CMIOObjectCreate(first, device, kCMIOStreamClassID, nullptr), kCMIOHardwareIllegalOperationError);

  EXPECT_TRUE(_CMIOSystemGetObject(device, nullptr));
  EXPECT_FALSE(isPublished(device)) << "made is not yet published";
  // A list with an id of the wrong owner publishes nothing.
  const CMIOObjectID both[] = {device, stream};
  EXPECT_EQ(CMIOObjectsPublishedAndDied(first, kCMIOObjectSystemObject, 2, both, 0, nullptr), kCMIOHardwareBadObjectError);
  EXPECT_FALSE(isPublished(device));
  ASSERT_EQ(CMIOObjectsPublishedAndDied(first, kCMIOObjectSystemObject, 1, &device, 0, nullptr), kCMIOHardwareNoError);
  ASSERT_EQ(CMIOObjectsPublishedAndDied(first, device, 1, &stream, 0, nullptr), kCMIOHardwareNoError);
  CMIOSystemObject streams[2]{};
  ASSERT_EQ(_CMIOSystemGetPublishedObjects(device, kCMIOStreamClassID, 2, streams), 1u);
  EXPECT_EQ(streams[0].objectID, stream);
  EXPECT_EQ(streams[0].owner, device);

  const CMIOObjectPropertyAddress name{kCMIOObjectPropertyName, kCMIOObjectPropertyScopeGlobal, 0};
  EXPECT_EQ(CMIOObjectPropertiesChanged(first, device, 1, &name), kCMIOHardwareNoError);
  EXPECT_EQ(CMIOObjectPropertiesChanged(second, device, 1, &name), kCMIOHardwareBadObjectError);
  EXPECT_EQ(_CMIOSystemGetPropertyChangeCount(device), 1u);

  // A dead device takes its stream along.
  ASSERT_EQ(CMIOObjectsPublishedAndDied(first, kCMIOObjectSystemObject, 0, nullptr, 1, &device), kCMIOHardwareNoError);
  EXPECT_FALSE(_CMIOSystemGetObject(device, nullptr));
  EXPECT_FALSE(_CMIOSystemGetObject(stream, nullptr));
  _CMIOSystemRemovePlugIn(first);
  _CMIOSystemRemovePlugIn(second);
}

TEST(CMIOStreamClock, TakesEventsUntilInvalidated) {
  CFTypeRef clock = nullptr;
  ASSERT_EQ(CMIOStreamClockCreate(nullptr, CFSTR("clock"), nullptr, CMTimeMake(1, 10), 100, 10, &clock), 0);
  ASSERT_NE(clock, nullptr);
  EXPECT_EQ(CMIOStreamClockPostTimingEvent(CMTimeMake(100, 3000), 5, true, clock), kCMIOHardwareNoError);
  EXPECT_EQ(CMIOStreamClockPostTimingEvent(kCMTimeInvalid, 5, true, clock), kCMIOHardwareIllegalOperationError);
  EXPECT_EQ(CMIOStreamClockPostTimingEvent(CMTimeMake(1, 1), 5, true, CFSTR("not a clock")),
            kCMIOHardwareIllegalOperationError);
  EXPECT_EQ(CMIOStreamClockInvalidate(clock), kCMIOHardwareNoError);
  EXPECT_EQ(CMIOStreamClockPostTimingEvent(CMTimeMake(200, 3000), 6, true, clock), kCMIOHardwareIllegalOperationError);
  EXPECT_EQ(CMIOStreamClockCreate(nullptr, CFSTR("clock"), nullptr, CMTimeMake(1, 10), 100, 10, nullptr),
            kCMIOHardwareIllegalOperationError);
  CFRelease(clock);
}

TEST(CMIOSampleBuffer, CarriesSequenceNumberFlagsAndTiming) {
  CVPixelBufferRef pixels = nullptr;
  ASSERT_EQ(CVPixelBufferCreate(nullptr, 4, 4, kCVPixelFormatType_32BGRA, nullptr, &pixels), 0);
  CMFormatDescriptionRef format = nullptr;
  ASSERT_EQ(CMVideoFormatDescriptionCreateForImageBuffer(nullptr, pixels, &format), 0);
  const CMSampleTimingInfo timing{CMTimeMake(100, 3000), CMTimeMake(900, 3000), CMTimeMake(900, 3000)};
  CMSampleBufferRef buffer = nullptr;
  ASSERT_EQ(CMIOSampleBufferCreateForImageBuffer(nullptr, pixels, format, &timing, 42,
                                                 kCMIOSampleBufferDiscontinuityFlag_UnknownDiscontinuity, &buffer),
            kCMIOHardwareNoError);
  EXPECT_EQ(CMIOSampleBufferGetSequenceNumber(buffer), 42u);
  EXPECT_EQ(CMIOSampleBufferGetDiscontinuityFlags(buffer), UInt32(kCMIOSampleBufferDiscontinuityFlag_UnknownDiscontinuity));
  EXPECT_EQ(CMSampleBufferGetPresentationTimeStamp(buffer).value, 900);
  EXPECT_EQ(CMSampleBufferGetImageBuffer(buffer), pixels);
  EXPECT_EQ(CMIOSampleBufferCreateForImageBuffer(nullptr, pixels, format, &timing, 1, 0, nullptr),
            kCMIOHardwareIllegalOperationError);
  EXPECT_EQ(CMIOSampleBufferGetSequenceNumber(nullptr), kCMIOInvalidSequenceNumber);
  CFRelease(buffer);
  CFRelease(format);
  CFRelease(pixels);
}
