// The property rows of audio objects on simulated devices (the rows of a device and of a
// stream, which failed reads give rows), and the texts of classes, integers and formats.
#include <Foundation/NSDictionary.h>
#include <NQCoreAudioObjectProperties.h>
#include <NQCoreAudioProperties.h>

#include "PlayThroughTestSupport.h"

using namespace PlayThroughTest;
using namespace NQCoreAudio;

namespace {

std::string Label(NSObject* row) {
  return static_cast<NSString*>(static_cast<NSDictionary*>(row)->objectForKey(NQCoreAudioObjectPropertyName))
      ->UTF8String();
}

NSObject* Value(NSObject* row) {
  return static_cast<NSDictionary*>(row)->objectForKey(NQCoreAudioObjectPropertyValue);
}

// The rows from the one with the label on.
size_t RowsFrom(NSArray* rows, const std::string& label) {
  for (NSUInteger i = 0; i < rows->count(); ++i)
    if (Label(rows->objectAtIndex(i)) == label) return rows->count() - i;
  return 0;
}

class ObjectPropertiesTest : public SimulatedDevicesTest {
 protected:
  ObjectPropertiesTest() { AddDevices(Microphone(), Speaker()); }
  objc::AutoreleasePool pool;
};

TEST_F(ObjectPropertiesTest, ADeviceAndAStreamGiveTheirRowsInOrder) {
  const AudioDeviceID speaker = DeviceWithUID("sim-speaker");
  NSArray* all = sObjectAddProperties(speaker, 7);
  ASSERT_GT(all->count(), 0u);
  EXPECT_EQ(Label(all->objectAtIndex(0)), "AudioObjectID");
  EXPECT_EQ(std::string(static_cast<NSString*>(Value(all->objectAtIndex(0)))->UTF8String()),
            ObjectIDDescription(speaker));
  EXPECT_EQ(RowsFrom(all, "kAudioDevicePropertyConfigurationApplication"), 16u);
  // Without the missing ones, no row says a property is unknown.
  NSArray* some = sObjectAddProperties(speaker, 5);
  EXPECT_LE(some->count(), all->count());
  for (NSObject* row : *some) {
    NSObject* value = Value(row);
    auto* text = dynamic_cast<NSString*>(value);
    EXPECT_FALSE(text && std::string(text->UTF8String()) == "kAudioHardwareUnknownPropertyError")
        << Label(row);
  }
  for (NSObject* row : *all) {
    if (Label(row) != "kAudioDevicePropertyDeviceUID") continue;
    EXPECT_EQ(std::string(static_cast<NSString*>(Value(row))->UTF8String()), "sim-speaker");
  }

  std::vector<UInt32> streams;
  ASSERT_EQ(ObjectGetScopedPropertyVector(speaker, kAudioDevicePropertyStreams,
                                          kAudioObjectPropertyScopeOutput, streams),
            noErr);
  ASSERT_FALSE(streams.empty());
  NSArray* stream = sObjectAddProperties(streams[0], 7);
  EXPECT_EQ(RowsFrom(stream, "kAudioStreamPropertyIsActive"), 7u);
  EXPECT_EQ(RowsFrom(stream, "kAudioDevicePropertyConfigurationApplication"), 0u);
  // An object that is not there: its id row, and then the id once more.
  NSArray* none = sObjectAddProperties(9999, 5);
  ASSERT_GE(none->count(), 2u);
  EXPECT_EQ(Label(none->objectAtIndex(none->count() - 1)), "AudioObjectID");
}

TEST(NQCoreAudioObjectPropertyTexts, WriteClassesIntegersAndFormats) {
  EXPECT_EQ(ClassIDDescription(kAudioDeviceClassID), "'adev' kAudioDeviceClassID");
  EXPECT_EQ(ClassIDDescription(0), "'0000' ");
  EXPECT_EQ(ClassIDDescription(0x01020304), "1020304 ");
  EXPECT_EQ(IntegerDescription(0, "UInt32"), "0000");
  EXPECT_EQ(IntegerDescription(FOUR_CHAR_CODE("virt"), "UInt32"), "virt");
  EXPECT_EQ(IntegerDescription(5, "UInt32"), "0005");
  EXPECT_EQ(IntegerDescription(5, "AudioObjectID"), "0x05");
  EXPECT_EQ(IntegerDescription(7, "Float"), "7 Float");

  AudioStreamBasicDescription format{44100, kAudioFormatLinearPCM, 0x29, 4, 1, 4, 2, 32, 0};
  EXPECT_EQ(StreamFormatDescription(format),
            " 2 ch,  44100 Hz, 'lpcm' (0x00000029) 32-bit little-endian float, deinterleaved");
  AudioStreamBasicDescription integer{
      48000, kAudioFormatLinearPCM, kAudioFormatFlagIsSignedInteger, 8, 1, 8, 2, 24, 0};
  EXPECT_EQ(StreamFormatDescription(integer),
            " 2 ch,  48000 Hz, 'lpcm' (0x00000004) 24-bit little-endian signed integer, unpacked in 4 bytes "
            "low-aligned");
}

}  // namespace
