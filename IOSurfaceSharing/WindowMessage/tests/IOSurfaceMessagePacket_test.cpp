// Window messages: their bytes, their checksum, and their pictures, as written and as read
// back from pictures of other sizes and layouts.
#include "IOSurfaceMessagePacket.h"

#include <GlobalSurface.h>
#include <gtest/gtest.h>

#include <cstring>

#include "CRC32MSBFirst.h"
#include "MessageImages.h"

using moxicam::test::bytesOf;
using moxicam::test::ImageBytes;
using moxicam::test::imageOf;
using moxicam::test::redrawn;

namespace {

template <class T>
T valueAt(const std::vector<uint8_t>& bytes, size_t offset) {
  T value;
  memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

class MessagePacketTest : public testing::Test {
 protected:
  void SetUp() override {
    mSurface = adopt(moxicam::test::createGlobalSurface(16, 16));
    ASSERT_TRUE(mSurface);
    ASSERT_TRUE(IOSurfaceMessagePacket_ConstructEmpty(&mPacket));
  }

  // A message for the surface at the time, as a picture.
  RefPtr<CGImage> messageImage(uint64_t time) {
    EXPECT_TRUE(IOSurfaceMessagePacket_SetNextSurfaceMessage(&mPacket, mSurface.get(), time));
    return adopt(IOSurfaceMessagePacket_CopyImageDataAfterChecksumUpdate(&mPacket));
  }

  RefPtr<__IOSurface> mSurface;
  tagIOSurfaceMessagePacket mPacket;
};

TEST_F(MessagePacketTest, FirstMessageCarriesSequenceOneAndZeroPadding) {
  ASSERT_TRUE(IOSurfaceMessagePacket_SetNextSurfaceMessage(&mPacket, mSurface.get(), 1000));
  const std::vector<uint8_t> bytes = bytesOf(mPacket);
  EXPECT_EQ(valueAt<uint32_t>(bytes, 0), 48u);
  EXPECT_EQ(valueAt<uint32_t>(bytes, 4), 1u);
  EXPECT_EQ(valueAt<uint64_t>(bytes, 8), uint64_t(IOSurfaceGetID(mSurface.get())));
  EXPECT_EQ(valueAt<uint64_t>(bytes, 16), 1000u);
  for (size_t i : {24, 28, 32, 36, 44}) EXPECT_EQ(valueAt<uint32_t>(bytes, i), 0u) << "bytes from " << i;
  EXPECT_EQ(valueAt<uint32_t>(bytes, 40), CRC32MSBFirst(bytes.data(), 40, 0xFFFFFFFFu));

  ASSERT_TRUE(IOSurfaceMessagePacket_SetNextSurfaceMessage(&mPacket, mSurface.get(), 2000));
  EXPECT_EQ(mPacket.sequenceNumber, 2u);
  uint32_t id = 0;
  uint64_t time = 0;
  ASSERT_TRUE(IOSurfaceMessagePacket_GetNextSurfaceMessage(&mPacket, id, time));
  EXPECT_EQ(id, IOSurfaceGetID(mSurface.get()));
  EXPECT_EQ(time, 2000u);
}

TEST_F(MessagePacketTest, RefusesMissingPacketsSurfacesAndImages) {
  uint32_t id = 0;
  uint64_t time = 0;
  EXPECT_FALSE(IOSurfaceMessagePacket_ConstructEmpty(nullptr));
  EXPECT_FALSE(IOSurfaceMessagePacket_SetNextSurfaceMessage(nullptr, mSurface.get(), 1));
  EXPECT_EQ(IOSurfaceMessagePacket_CopyImageDataAfterChecksumUpdate(nullptr), nullptr);
  EXPECT_FALSE(IOSurfaceMessagePacket_GetNextSurfaceMessage(nullptr, id, time));
  RefPtr<CGImage> image = messageImage(1);
  EXPECT_FALSE(IOSurfaceMessagePacket_ConstructFromImageDataWithChecksumVerify(nullptr, image.get()));

  const tagIOSurfaceMessagePacket before = mPacket;
  EXPECT_FALSE(IOSurfaceMessagePacket_SetNextSurfaceMessage(&mPacket, nullptr, 2));
  EXPECT_EQ(memcmp(&before, &mPacket, sizeof mPacket), 0) << "a frame without surface is skipped";
  EXPECT_FALSE(IOSurfaceMessagePacket_ConstructFromImageDataWithChecksumVerify(&mPacket, nullptr));
  ASSERT_TRUE(IOSurfaceMessagePacket_ConstructEmpty(&mPacket));
  EXPECT_FALSE(IOSurfaceMessagePacket_GetNextSurfaceMessage(&mPacket, id, time))
      << "an empty packet is no message";
}

TEST_F(MessagePacketTest, PixelsHoldTheBytesFromTheBottomRowUp) {
  RefPtr<CGImage> image = messageImage(0x1122334455667788ull);
  ASSERT_TRUE(image);
  const ImageBytes pixels = bytesOf(image.get());
  ASSERT_EQ(pixels.width, 24u);
  ASSERT_EQ(pixels.height, 4u);
  EXPECT_EQ(CGImageGetBitsPerPixel(image.get()), 32u);
  const std::vector<uint8_t> message = bytesOf(mPacket);
  for (size_t y = 0; y < 4; ++y) {
    for (size_t x = 0; x < 24; ++x) {
      const uint8_t expected = y < 2 ? message[24 * y + x] : 0;
      for (int b = 0; b < 4; ++b) ASSERT_EQ(pixels.pixel(x, y)[b], expected) << "pixel " << x << "," << y;
    }
  }
}

TEST_F(MessagePacketTest, ReadsBackWhatItWrote) {
  RefPtr<CGImage> image = messageImage(123456789);
  const tagIOSurfaceMessagePacket sent = mPacket;
  tagIOSurfaceMessagePacket read;
  ASSERT_TRUE(IOSurfaceMessagePacket_ConstructFromImageDataWithChecksumVerify(&read, image.get()));
  EXPECT_EQ(memcmp(&read, &sent, sizeof read), 0);
  uint32_t id = 0;
  uint64_t time = 0;
  ASSERT_TRUE(IOSurfaceMessagePacket_GetNextSurfaceMessage(&read, id, time));
  EXPECT_EQ(id, IOSurfaceGetID(mSurface.get()));
  EXPECT_EQ(time, 123456789u);
}

TEST_F(MessagePacketTest, ChecksumCoversExactlyTheFirstFortyBytes) {
  ASSERT_TRUE(IOSurfaceMessagePacket_SetNextSurfaceMessage(&mPacket, mSurface.get(), 77));
  const struct {
    size_t byte;
    bool valid;
  } cases[] = {{44, true}, {47, true}, {39, false}, {24, false}, {8, false}, {40, false}, {0, false}};
  const auto& wrapper = IOSurfaceMessagePacket_ImageDataWrapper();
  for (const auto& c : cases) {
    std::vector<uint8_t> bytes = bytesOf(mPacket);
    bytes[c.byte] ^= 0x5A;
    auto image = adopt(wrapper.CGImageCreateByInterleavingData(bytes.data()));
    tagIOSurfaceMessagePacket read;
    EXPECT_EQ(IOSurfaceMessagePacket_ConstructFromImageDataWithChecksumVerify(&read, image.get()), c.valid)
        << "byte " << c.byte;
    if (!c.valid) {
      EXPECT_EQ(read.sizeofIOSurfaceMessagePacket, 48u);
      EXPECT_EQ(read.sequenceNumber, 0u);
      EXPECT_EQ(read.surfaceID, 0u);
    }
  }
}

TEST_F(MessagePacketTest, RefusesAWrongSizeFieldEvenWithItsChecksum) {
  tagIOSurfaceMessagePacket forged = mPacket;
  forged.sizeofIOSurfaceMessagePacket = 47;
  forged.sequenceNumber = 9;
  forged.messageChecksum = IOSurfaceMessagePacket_CalculateChecksum(&forged);
  auto image = adopt(IOSurfaceMessagePacket_ImageDataWrapper().CGImageCreateByInterleavingData(&forged));
  tagIOSurfaceMessagePacket read;
  EXPECT_FALSE(IOSurfaceMessagePacket_ConstructFromImageDataWithChecksumVerify(&read, image.get()));
  EXPECT_EQ(read.sequenceNumber, 0u);
}

TEST_F(MessagePacketTest, PicturesOfOtherSizesAndLayoutsAreBroughtBackOrRefused) {
  RefPtr<CGImage> image = messageImage(31337);
  auto srgb = adopt(CGColorSpaceCreateWithName(kCGColorSpaceSRGB));
  const struct {
    const char* what;
    RefPtr<CGImage> picture;
    bool decodes;
  } cases[] = {
      {"twice the size",
       redrawn(image.get(), 48, 8, kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little), true},
      {"three times the size", redrawn(image.get(), 72, 12, kCGImageAlphaNoneSkipFirst), true},
      {"red and blue swapped", redrawn(image.get(), 24, 4, kCGImageAlphaPremultipliedLast), true},
      {"a named colour space", imageOf(bytesOf(image.get()), srgb.get()), true},
      {"twice as wide only", redrawn(image.get(), 48, 4, kCGImageAlphaNoneSkipFirst), false},
      {"smaller", redrawn(image.get(), 23, 4, kCGImageAlphaNoneSkipFirst), false},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(c.picture) << c.what;
    tagIOSurfaceMessagePacket read;
    EXPECT_EQ(IOSurfaceMessagePacket_ConstructFromImageDataWithChecksumVerify(&read, c.picture.get()),
              c.decodes)
        << c.what;
    if (c.decodes) EXPECT_EQ(read.surfaceTime, 31337u) << c.what;
  }
}

TEST_F(MessagePacketTest, APixelWhoseMiddleBytesDifferEndsTheRead) {
  RefPtr<CGImage> image = messageImage(5);
  ImageBytes pixels = bytesOf(image.get());
  pixels.pixel(3, 1)[2] ^= 1;
  RefPtr<CGImage> spoilt = imageOf(pixels);
  std::vector<uint8_t> out(48, 0xEE);
  EXPECT_FALSE(
      IOSurfaceMessagePacket_ImageDataWrapper().CGImageDeinterleaveDataBytes(spoilt.get(), out.data()));
  tagIOSurfaceMessagePacket read;
  EXPECT_FALSE(IOSurfaceMessagePacket_ConstructFromImageDataWithChecksumVerify(&read, spoilt.get()));
}

TEST_F(MessagePacketTest, AShortProviderIsReadNoFurtherThanItsBytes) {
  RefPtr<CGImage> image = messageImage(5);
  ImageBytes pixels = bytesOf(image.get());
  pixels.bytes.resize(pixels.rowBytes * 3 + 8);
  RefPtr<CGImage> cut = imageOf(pixels);
  ASSERT_TRUE(cut);
  std::vector<uint8_t> out(48);
  EXPECT_FALSE(IOSurfaceMessagePacket_ImageDataWrapper().CGImageDeinterleaveDataBytes(cut.get(), out.data()));
}

TEST(CGImageDataWrapper, ImageSizeComesFromTheNumberOfBytes) {
  const struct {
    size_t bytes;
    CGSize size;
  } cases[] = {{48, {24, 4}}, {16, {16, 2}}, {100, {40, 4}}, {0, {0, 0}}, {1, {0, 0}}, {5, {0, 0}}};
  for (const auto& c : cases) {
    const CGSize size = CGImageDataWrapper::CalculatedCGImageSizeFromRawDataSize(c.bytes);
    EXPECT_EQ(size.width, c.size.width) << c.bytes;
    EXPECT_EQ(size.height, c.size.height) << c.bytes;
  }
}

TEST(CGImageDataWrapper, MakesNoImageWithoutRoomOrData) {
  const uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  const CGImageInterleaveData square(CGSizeMake(2, 2));
  EXPECT_EQ(square.CGImageCreateByInterleavingData(bytes, 4), nullptr) << "as many bytes as pixels";
  EXPECT_EQ(square.CGImageCreateByInterleavingData(nullptr, 3), nullptr);
  auto image = adopt(square.CGImageCreateByInterleavingData(bytes, 3));
  ASSERT_TRUE(image);
  uint8_t out[3] = {};
  EXPECT_TRUE(square.CGImageDeinterleaveDataBytes(image.get(), out, 3));
  EXPECT_EQ(memcmp(out, bytes, 3), 0);
  EXPECT_FALSE(CGImageDataWrapper(1).VerifyImageFormat(image.get())) << "a wrapper too small for any image";
  EXPECT_EQ(CGImageDataWrapper(1).CGImageCreateByInterleavingData(bytes), nullptr);
}

}  // namespace
