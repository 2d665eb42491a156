// The driver interface and the property handlers of the plug-in, box, device, streams and
// controls, called as the audio server calls them.
#include <cmath>

#include "CFAudioServerPlugInAudioBus.h"
#include "CFAudioServerPlugInAudio_RW.h"
#include "DriverTestSupport.h"

using namespace DriverTest;

namespace {

constexpr const char* kIOFactory = "AE7592B7-12F0-4793-B5EB-A8218FD395C2";
constexpr const char* kDeviceUID = "DEV_Moxicam:I/O_AE7592B7-12F0-4793-B5EB-A8218FD395C2_2x2_UUID";

class DriverProperties : public ::testing::Test {
 protected:
  Driver<CFAudioServerPlugInAudioBus> driver{CFSTR("Moxicam:I/O"), kIOFactory};
};

TEST_F(DriverProperties, AnswersQueryInterfaceOnlyForItsInterfaces) {
  auto* ref = reinterpret_cast<AudioServerPlugInDriverRef>(0x1000);
  LPVOID out = reinterpret_cast<LPVOID>(0x1);
  const SInt32 before = driver.device.ReferenceCount();
  EXPECT_EQ(CFAudioServerPlugInStatic_T::QueryInterface(
                &driver.device, true, ref, CFUUIDGetUUIDBytes(kAudioServerPlugInDriverInterfaceUUID), &out),
            S_OK);
  EXPECT_EQ(out, ref);
  EXPECT_EQ(CFAudioServerPlugInStatic_T::QueryInterface(&driver.device, true, ref,
                                                        CFUUIDGetUUIDBytes(IUnknownUUID), &out),
            S_OK);
  EXPECT_EQ(driver.device.ReferenceCount(), before + 2);
  EXPECT_EQ(CFAudioServerPlugInStatic_T::QueryInterface(&driver.device, true, ref,
                                                        CFUUIDGetUUIDBytes(kAudioServerPlugInTypeUUID), &out),
            E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(CFAudioServerPlugInStatic_T::QueryInterface(&driver.device, true, ref,
                                                        CFUUIDGetUUIDBytes(IUnknownUUID), nullptr),
            kAudioHardwareIllegalOperationError);
  EXPECT_EQ(CFAudioServerPlugInStatic_T::QueryInterface(&driver.device, false, ref,
                                                        CFUUIDGetUUIDBytes(IUnknownUUID), &out),
            kAudioHardwareBadObjectError);
  EXPECT_EQ(CFAudioServerPlugInStatic_T::AddRef(&driver.device, false), ULONG(E_INVALIDARG));
  EXPECT_EQ(CFAudioServerPlugInStatic_T::Release(&driver.device, true), ULONG(before + 1));
}

TEST_F(DriverProperties, InitialisesTheRateBeforeCheckingTheHost) {
  CFUUIDRef factory = CFUUIDCreateFromString(nullptr, CFSTR("AE7592B7-12F0-4793-B5EB-A8218FD395C2"));
  CFAudioServerPlugInAudioBus fresh(CFSTR("Moxicam:I/O"), factory);
  CFRelease(factory);
  EXPECT_EQ(fresh.Initialize(nullptr), kAudioHardwareIllegalOperationError);
  EXPECT_EQ(fresh.GetDeviceSampleRateWithMutex(), 44100.0);
}

TEST_F(DriverProperties, ShowsTheNamesAndIdentifiersOfTheBundle) {
  EXPECT_EQ(driver.string(3, "lnam"), "Moxicam:I/O:2");
  EXPECT_EQ(driver.string(3, "uid "), kDeviceUID);
  EXPECT_EQ(driver.string(3, "muid"), "MOD_Moxicam:I/O_AE7592B7-12F0-4793-B5EB-A8218FD395C2_2x2_UUID");
  EXPECT_EQ(driver.string(2, "buid"), "BOX_Moxicam:I/O_AE7592B7-12F0-4793-B5EB-A8218FD395C2_2x2_UUID");
  EXPECT_EQ(driver.string(2, "lnam"), "CFAudioServerPlugInBox");
  EXPECT_EQ(driver.string(3, "lmak"), "Manufacturer");
  EXPECT_EQ(driver.value<UInt32>(3, "tran"), UInt32(kAudioDeviceTransportTypeVirtual));
  UInt32 item = 0;
  CFStringRef name = nullptr;
  UInt32 size = 0;
  ASSERT_EQ(
      driver.get(7, "scin", sizeof name, &name, &size, kAudioObjectPropertyScopeGlobal, sizeof item, &item),
      0);
  EXPECT_EQ(Text(name), "Moxicam:I/O In 1");
  CFRelease(name);
  // An item name asked for without an item names item 0, as one of the wrong size does.
  ASSERT_EQ(driver.get(11, "scin", sizeof name, &name, &size, kAudioObjectPropertyScopeGlobal, sizeof item,
                       nullptr),
            0);
  EXPECT_EQ(Text(name), "Moxicam:I/O In 1");
  CFRelease(name);

  Driver<CFAudioServerPlugInAudioReadOnly> in(CFSTR("Moxicam:IN"), "E0E76AAA-28E6-42CC-95EB-E32C0C9FE5D8");
  EXPECT_EQ(in.string(3, "lnam"), "Moxicam:IN:2");
  EXPECT_EQ(in.string(3, "uid "), "DEV_Moxicam:IN_E0E76AAA-28E6-42CC-95EB-E32C0C9FE5D8_2x2_UUID");
}

TEST_F(DriverProperties, TranslatesItsOwnUIDs) {
  struct Case {
    const char* selector;
    CFStringRef uid;
    UInt32 qualifierSize;
    OSStatus status;
    AudioObjectID answer;
  };
  RefPtr<const __CFString> deviceUID =
      adopt(CFStringCreateWithCString(nullptr, kDeviceUID, kCFStringEncodingUTF8));
  CFStringRef boxUID = driver.value<CFStringRef>(2, "buid");
  const Case cases[] = {
      {"uidd", deviceUID.get(), 8, 0, 3},
      {"uidb", boxUID, 8, 0, 2},
      {"uidd", boxUID, 8, 0, 0},
      {"uidd", CFSTR("DEV_somebody_else"), 8, 0, 0},
      {"uidd", deviceUID.get(), 4, kAudioHardwareBadPropertySizeError, 9},
      {"uidd", nullptr, 8, kAudioHardwareBadPropertySizeError, 9},
  };
  for (const Case& c : cases) {
    CFStringRef qualifier = c.uid;
    AudioObjectID answer = 9;
    UInt32 size = 0;
    EXPECT_EQ(driver.get(1, c.selector, sizeof answer, &answer, &size, kAudioObjectPropertyScopeGlobal,
                         c.qualifierSize, &qualifier),
              c.status)
        << c.selector;
    EXPECT_EQ(answer, c.answer) << c.selector;
  }
  CFRelease(boxUID);
}

TEST_F(DriverProperties, ListsOwnedObjectsStreamsAndControls) {
  struct Case {
    AudioObjectID object;
    const char* selector;
    AudioObjectPropertyScope scope;
    UInt32 bytes;
    std::vector<UInt32> items;
  };
  const AudioObjectPropertyScope glob = kAudioObjectPropertyScopeGlobal, in = kAudioObjectPropertyScopeInput,
                                 out = kAudioObjectPropertyScopeOutput;
  const Case cases[] = {
      {1, "ownd", glob, 8, {2, 3}},      {1, "dev#", glob, 4, {3}},
      {2, "ownd", glob, 8, {}},          {4, "ownd", glob, 8, {}},
      {9, "ownd", glob, 8, {}},          {3, "ownd", glob, 32, {4, 5, 6, 7, 8, 9, 10, 11}},
      {3, "ownd", in, 16, {4, 5, 6, 7}}, {3, "ownd", out, 16, {8, 9, 10, 11}},
      {3, "ctrl", glob, 12, {5, 6, 7}},  {3, "ctrl", glob, 24, {5, 6, 7, 9, 10, 11}},
      {3, "stm#", glob, 8, {4, 8}},      {3, "stm#", in, 4, {4}},
      {3, "stm#", out, 2, {}},           {3, "dch2", out, 8, {1, 2}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(driver.list(c.object, c.selector, c.bytes, c.scope), c.items) << c.object << " " << c.selector;
  }
  EXPECT_EQ(driver.size(1, "ownd"), 8u);
  EXPECT_EQ(driver.size(2, "ownd"), 0u);
  EXPECT_EQ(driver.size(3, "ownd", nullptr, in), 16u);
  EXPECT_EQ(driver.size(3, "ownd"), 32u);
  EXPECT_EQ(driver.size(3, "stm#", nullptr, out), 4u);
  EXPECT_EQ(driver.size(3, "srnd"), 52u);
}

TEST_F(DriverProperties, AnswersRatesFormatsAndTheChannelLayout) {
  AudioValueRange rates[5] = {};
  UInt32 size = 0;
  ASSERT_EQ(driver.get(3, "nsr#", sizeof rates, rates, &size), 0);
  EXPECT_EQ(size, 80u);
  const Float64 expected[] = {44100, 48000, 88200, 96000, 192000};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(rates[i].mMinimum, expected[i]);
  EXPECT_EQ(driver.value<Float64>(3, "nsrt"), 44100.0);

  const auto format = driver.value<AudioStreamBasicDescription>(4, "sfmt");
  EXPECT_EQ(format.mSampleRate, 44100.0);
  EXPECT_EQ(format.mFormatID, UInt32(kAudioFormatLinearPCM));
  EXPECT_EQ(format.mFormatFlags, 9u);
  EXPECT_EQ(format.mBytesPerFrame, 8u);
  EXPECT_EQ(format.mChannelsPerFrame, 2u);
  EXPECT_EQ(format.mBitsPerChannel, 32u);
  AudioStreamRangedDescription formats[5] = {};
  ASSERT_EQ(driver.get(8, "sfma", sizeof formats, formats, &size), 0);
  EXPECT_EQ(size, 280u);
  EXPECT_EQ(formats[4].mSampleRateRange.mMaximum, 192000.0);

  UInt8 layout[52] = {};
  ASSERT_EQ(driver.get(3, "srnd", sizeof layout, layout, &size, kAudioObjectPropertyScopeOutput), 0);
  ASSERT_EQ(size, 52u);
  const auto* channels = reinterpret_cast<const AudioChannelLayout*>(layout);
  EXPECT_EQ(channels->mNumberChannelDescriptions, 2u);
  EXPECT_EQ(channels->mChannelDescriptions[0].mChannelLabel, UInt32(kAudioChannelLabel_Left));
  EXPECT_EQ(channels->mChannelDescriptions[1].mChannelLabel, UInt32(kAudioChannelLabel_Right));
  EXPECT_FALSE(driver.has(3, "srnd")) << "only on the input and output sides";
  EXPECT_TRUE(driver.has(3, "srnd", kAudioObjectPropertyScopeInput));
}

TEST_F(DriverProperties, SizesThatDoNotFitAreFailures) {
  struct Case {
    AudioObjectID object;
    const char* selector;
    UInt32 bytes;
  };
  for (const Case& c : {Case{3, "nsrt", 4}, Case{3, "ring", 8}, Case{4, "sact", 2}, Case{5, "lcsv", 8},
                        Case{3, "lnam", 4}, Case{3, "uid ", 16}, Case{4, "sfmt", 39}, Case{3, "srnd", 51},
                        Case{3, "dch2", 4}, Case{2, "buid", 4}}) {
    UInt8 buffer[64] = {};
    UInt32 size = 77;
    EXPECT_EQ(driver.get(c.object, c.selector, c.bytes, buffer, &size), kAudioHardwareBadPropertySizeError)
        << c.object << " " << c.selector;
    EXPECT_EQ(size, 0u) << c.selector;
  }
  // An incoming value of the wrong size is refused and stores nothing.
  const Float32 half = 0.5f;
  EXPECT_EQ(driver.set(9, "lcsv", half, 2), kAudioHardwareBadPropertySizeError);
  EXPECT_EQ(driver.value<Float32>(9, "lcsv"), 1.0f);
  const UInt32 on = 1;
  EXPECT_EQ(driver.set(10, "bcvl", on, 8), kAudioHardwareBadPropertySizeError);
  EXPECT_EQ(driver.value<UInt32>(10, "bcvl"), 0u);
  const Float64 rate = 48000;
  EXPECT_EQ(driver.set(3, "nsrt", rate, 4), kAudioHardwareBadPropertySizeError);
  EXPECT_EQ(driver.set(2, "lnam", CFSTR("Renamed")), kAudioHardwareUnsupportedOperationError);
  EXPECT_EQ(driver.string(2, "lnam"), "CFAudioServerPlugInBox");
}

TEST_F(DriverProperties, ObjectsOutsideTheDriverAreBadObjects) {
  EXPECT_FALSE(driver.has(12, "clas"));
  OSStatus status = 0;
  driver.value<UInt32>(12, "clas", &status);
  EXPECT_EQ(status, kAudioHardwareBadObjectError);
  driver.size(12, "clas", &status);
  EXPECT_EQ(status, kAudioHardwareBadObjectError);
  driver.settable(0, "clas", &status);
  EXPECT_EQ(status, kAudioHardwareBadObjectError);
  EXPECT_EQ(driver.set(12, "clas", UInt32(0)), kAudioHardwareBadObjectError);
}

TEST_F(DriverProperties, RateChangesAreAskedOfTheHostAndPerformedWhenItSays) {
  const Float64 same = 44100, other = 48000, unknown = 50000;
  EXPECT_EQ(driver.set(3, "nsrt", unknown), kAudioHardwareIllegalOperationError);
  EXPECT_EQ(driver.set(3, "nsrt", same), 0);
  AudioStreamBasicDescription format = driver.value<AudioStreamBasicDescription>(4, "sfmt");
  format.mChannelsPerFrame = 1;
  EXPECT_EQ(driver.set(4, "sfmt", format), kAudioDeviceUnsupportedFormatError);
  format.mChannelsPerFrame = 2;
  format.mSampleRate = unknown;
  EXPECT_EQ(driver.set(4, "sfmt", format), kAudioHardwareIllegalOperationError);
  format.mSampleRate = other;
  EXPECT_EQ(driver.set(4, "sfmt", format), 0);
  EXPECT_EQ(driver.host.waitForRequests(1), std::vector<UInt64>{48000});
  EXPECT_EQ(driver.value<Float64>(3, "nsrt"), 44100.0) << "not before the host performs it";

  EXPECT_EQ(driver.device.PerformDeviceConfigurationChange(3, 50000, nullptr), kAudioHardwareBadObjectError);
  EXPECT_EQ(driver.value<Float64>(3, "nsrt"), 44100.0);
  EXPECT_EQ(driver.device.PerformDeviceConfigurationChange(3, 48000, nullptr), 0);
  EXPECT_EQ(driver.value<Float64>(3, "nsrt"), 48000.0);
  EXPECT_EQ(driver.value<AudioStreamBasicDescription>(8, "sfmt").mSampleRate, 48000.0);
}

TEST_F(DriverProperties, VolumesMapScalarsAndDecibelsOneWay) {
  struct Case {
    const char* selector;
    Float32 set;
    Float32 gain;
  };
  for (const Case& c : {Case{"lcsv", 0.5f, std::pow(10.0f, -32.0f / 20.0f)}, Case{"lcdv", 6.0f, 1.0f},
                        Case{"lcdv", -80.0f, 0.0f}, Case{"lcsv", 1.0f, 1.0f},
                        Case{"lcdv", -6.0f, std::pow(10.0f, -6.0f / 20.0f)}}) {
    ASSERT_EQ(driver.set(9, c.selector, c.set), 0) << c.selector << " " << c.set;
    EXPECT_NEAR(driver.device.GetMasterVolumeOutputValueWithMutex(), c.gain, 1e-6)
        << c.selector << " " << c.set;
  }
  ASSERT_EQ(driver.set(9, "lcsv", 0.5f), 0);
  EXPECT_NEAR(driver.value<Float32>(9, "lcsv"), 0.5f, 1e-6);
  EXPECT_NEAR(driver.value<Float32>(9, "lcdv"), -32.0f, 1e-4);
  // The conversion properties use the mapping of the scalar value.
  Float32 value = 0.5f;
  UInt32 size = 0;
  ASSERT_EQ(driver.get(9, "lcsd", sizeof value, &value, &size), 0);
  EXPECT_NEAR(value, -32.0f, 1e-4);
  value = -48.0f;
  ASSERT_EQ(driver.get(5, "lcds", sizeof value, &value, &size), 0);
  EXPECT_NEAR(value, 0.25f, 1e-6);
  const auto range = driver.value<AudioValueRange>(5, "lcdr");
  EXPECT_EQ(range.mMinimum, -64.0);
  EXPECT_EQ(range.mMaximum, 0.0);
}

TEST_F(DriverProperties, TheControlsThatActAreSettableAndChangesAreTold) {
  EXPECT_TRUE(driver.settable(9, "lcsv"));
  EXPECT_TRUE(driver.settable(9, "lcdv"));
  EXPECT_TRUE(driver.settable(10, "bcvl"));
  EXPECT_FALSE(driver.settable(5, "lcsv"));
  EXPECT_FALSE(driver.settable(6, "bcvl"));
  EXPECT_FALSE(driver.settable(9, "lcdr"));
  driver.host.takeChanges();

  ASSERT_EQ(driver.set(9, "lcsv", 0.25f), 0);
  using Changes = std::vector<std::pair<AudioObjectID, AudioObjectPropertySelector>>;
  EXPECT_EQ(driver.host.takeChanges(), (Changes{{9, Code("lcsv")}, {9, Code("lcdv")}}));
  ASSERT_EQ(driver.set(9, "lcsv", 0.25f), 0);
  EXPECT_TRUE(driver.host.takeChanges().empty()) << "a value that does not change is not told";
  ASSERT_EQ(driver.set(10, "bcvl", UInt32(1)), 0);
  EXPECT_EQ(driver.host.takeChanges(), (Changes{{10, Code("bcvl")}}));
  EXPECT_EQ(driver.value<UInt32>(10, "bcvl"), 1u);
  // The input side's controls are carried out too, though they act on nothing.
  ASSERT_EQ(driver.set(6, "bcvl", UInt32(7)), 0);
  EXPECT_EQ(driver.value<UInt32>(6, "bcvl"), 1u);
  EXPECT_EQ(driver.host.takeChanges(), (Changes{{6, Code("bcvl")}}));

  EXPECT_EQ(driver.set(11, "scci", UInt32(1)), kAudioHardwareIllegalOperationError);
  EXPECT_EQ(driver.value<UInt32>(11, "scci"), 0u);
  EXPECT_EQ(driver.set(11, "scci", UInt32(0)), 0);
  EXPECT_TRUE(driver.host.takeChanges().empty());
  EXPECT_EQ(driver.list(7, "scai", 4), std::vector<UInt32>{0});
  EXPECT_EQ(driver.set(4, "sact", UInt32(0)), 0);
  EXPECT_EQ(driver.host.takeChanges(), (Changes{{4, Code("sact")}}));
  EXPECT_EQ(driver.value<UInt32>(4, "sact"), 0u);
}

TEST_F(DriverProperties, ClientsWithoutABundleIdentifierAreClientsLikeAnyOther) {
  EXPECT_EQ(driver.addClient(7, nullptr), 0);
  EXPECT_EQ(driver.removeClient(7, nullptr), 0);
  EXPECT_EQ(CFAudioServerPlugInStatic_T::AddDeviceClient(&driver.device, true, 3, nullptr),
            kAudioHardwareBadObjectError);
  const AudioServerPlugInClientInfo info{8, getpid(), true, CFSTR("com.example.app")};
  EXPECT_EQ(CFAudioServerPlugInStatic_T::AddDeviceClient(&driver.device, true, 4, &info),
            kAudioHardwareBadObjectError);
  EXPECT_EQ(driver.addClient(9, CFSTR("COM.QUILLFEN.MOXICAM")), 0);
  EXPECT_TRUE(driver.device.IsPrimaryClientID(9)) << "the application's identifier, in any letter case";
  EXPECT_EQ(driver.removeClient(9, CFSTR("com.quillfen.Moxicam")), 0);
  EXPECT_TRUE(driver.device.IsPrimaryClientIDNotConnected());
}

TEST_F(DriverProperties, IOStatusAndThePeriodOfTheZeroTimeStamps) {
  EXPECT_EQ(driver.value<UInt32>(3, "ring"), 16384u);
  EXPECT_EQ(driver.value<UInt32>(3, "goin"), 0u);
  EXPECT_EQ(driver.device.StartIO(3, 1), 0);
  EXPECT_EQ(driver.value<UInt32>(3, "goin"), 1u);
  EXPECT_EQ(driver.device.StartIO(4, 1), kAudioHardwareBadObjectError);
  Float64 sampleTime = 0;
  UInt64 hostTime = 0, seed = 0;
  EXPECT_EQ(driver.device.GetZeroTimeStamp(3, 1, &sampleTime, &hostTime, nullptr),
            kAudioHardwareBadObjectError);
  EXPECT_EQ(driver.device.GetZeroTimeStamp(3, 1, &sampleTime, &hostTime, &seed), 0);
  Boolean willDo = false, inPlace = false;
  for (const char* operation : {"read", "writ"}) {
    EXPECT_EQ(driver.device.WillDoIOOperation(3, 1, Code(operation), &willDo, &inPlace), 0);
    EXPECT_TRUE(willDo && inPlace) << operation;
  }
  EXPECT_EQ(driver.device.WillDoIOOperation(3, 1, Code("cycl"), &willDo, &inPlace), 0);
  EXPECT_FALSE(willDo);
  EXPECT_EQ(driver.device.StopIO(3, 1), 0);
  EXPECT_EQ(driver.value<UInt32>(3, "goin"), 0u);
}

}  // namespace
