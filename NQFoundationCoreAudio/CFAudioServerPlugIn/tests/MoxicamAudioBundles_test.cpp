// The three .driver bundles as the audio server finds them: their Info.plist factories, what
// the factory makes, what the shared objects export, and the devices an in-process server
// shows, with exact samples between its clients under a manual clock.
#include <CoreFoundation/CFBundle.h>
#include <CoreFoundation/CFPlugIn.h>
#include <CoreFoundation/CFURL.h>
#include <PollUntil.h>
#include <TemporaryRoot.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "AudioServerTestSupport.h"
#include "DriverTestSupport.h"

using namespace AudioServer;
using namespace AudioServerTest;

namespace {

struct BundleFacts {
  const char* bundle;
  const char* identifier;
  const char* factoryUUID;
  const char* factory;
  const char* deviceName;
  const char* deviceUID;
};

const BundleFacts kBundles[] = {
    {"MoxicamAudioIO", "com.quillfen.MoxicamAudio.IO", "AE7592B7-12F0-4793-B5EB-A8218FD395C2",
     "MoxicamAudioIO_CoCreateInstance", "Moxicam:I/O:2",
     "DEV_Moxicam:I/O_AE7592B7-12F0-4793-B5EB-A8218FD395C2_2x2_UUID"},
    {"MoxicamAudioIN", "com.quillfen.MoxicamAudio.IN", "E0E76AAA-28E6-42CC-95EB-E32C0C9FE5D8",
     "MoxicamAudioIN_CoCreateInstance", "Moxicam:IN:2",
     "DEV_Moxicam:IN_E0E76AAA-28E6-42CC-95EB-E32C0C9FE5D8_2x2_UUID"},
    {"MoxicamAudioOUT", "com.quillfen.MoxicamAudio.OUT", "A88C0BD3-5B67-49E6-A75E-EEDB795BE6EB",
     "MoxicamAudioOUT_CoCreateInstance", "Moxicam:OUT:2",
     "DEV_Moxicam:OUT_A88C0BD3-5B67-49E6-A75E-EEDB795BE6EB_2x2_UUID"},
};

std::string BundlePath(const BundleFacts& facts) {
  return moxicam::test::productsPath() + "/" + facts.bundle + ".driver";
}

RefPtr<__CFBundle> OpenBundle(const BundleFacts& facts) {
  const std::string path = BundlePath(facts);
  RefPtr<const __CFURL> url = adopt(CFURLCreateFromFileSystemRepresentation(
      nullptr, reinterpret_cast<const UInt8*>(path.c_str()), CFIndex(path.size()), true));
  return adopt(CFPlugInCreate(nullptr, url.get()));
}

using Factory = void* (*)(CFAllocatorRef, CFUUIDRef);

TEST(MoxicamAudioBundles, NameTheirFactoryForTheDriverTypeAndExportNothingElse) {
  for (const BundleFacts& facts : kBundles) {
    SCOPED_TRACE(facts.bundle);
    RefPtr<__CFBundle> bundle = OpenBundle(facts);
    ASSERT_TRUE(bundle);
    EXPECT_EQ(DriverTest::Text(CFBundleGetIdentifier(bundle.get())), facts.identifier);
    RefPtr<const __CFArray> factories = adopt(CFPlugInFindFactoriesForPlugInType(kAudioServerPlugInTypeUUID));
    RefPtr<const __CFUUID> factoryID = adopt(CFUUIDCreateFromString(
        nullptr, adopt(CFStringCreateWithCString(nullptr, facts.factoryUUID, kCFStringEncodingASCII)).get()));
    EXPECT_TRUE(CFArrayContainsValue(factories.get(), CFRangeMake(0, CFArrayGetCount(factories.get())),
                                     factoryID.get()));

    RefPtr<const __CFString> name =
        adopt(CFStringCreateWithCString(nullptr, facts.factory, kCFStringEncodingASCII));
    auto factory = reinterpret_cast<Factory>(CFBundleGetFunctionPointerForName(bundle.get(), name.get()));
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory(nullptr, kAudioServerPlugInDriverInterfaceUUID), nullptr) << "not the plug-in type";
    auto** first =
        static_cast<AudioServerPlugInDriverInterface**>(factory(nullptr, kAudioServerPlugInTypeUUID));
    ASSERT_NE(first, nullptr);
    const ULONG count = (*first)->AddRef(first);
    EXPECT_EQ(factory(nullptr, kAudioServerPlugInTypeUUID), first) << "one driver per bundle";
    EXPECT_EQ((*first)->AddRef(first), count + 2) << "the second instance counts too";
    (*first)->Release(first);
    (*first)->Release(first);
    (*first)->Release(first);

    // Each bundle keeps its own copy of the libraries it is made of.
    const std::string executable = BundlePath(facts) + "/Contents/MacOS/" + facts.bundle;
    void* handle = dlopen(executable.c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(handle, nullptr);
    EXPECT_NE(dlsym(handle, facts.factory), nullptr);
    EXPECT_EQ(dlsym(handle, "__CFRequiredBody"), nullptr);
    EXPECT_EQ(dlsym(handle, "_ZN23CFAudioServerPlugInBaseD2Ev"), nullptr);
    dlclose(handle);
  }
}

// An in-process server that loads the bundles from the HAL folder of the test program's
// system root. The folder stays for the whole program, as a loaded bundle stays loaded.
class MoxicamDevicesInServer : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string folder = Server::defaultPlugInFolder();
    std::filesystem::create_directories(folder);
    for (const BundleFacts& facts : kBundles) {
      std::error_code exists;
      std::filesystem::create_directory_symlink(BundlePath(facts), folder + "/" + facts.bundle + ".driver",
                                                exists);
    }
    server.scanPlugInFolder(folder);
    ASSERT_TRUE(server.problems().empty());
  }

  AudioObjectID Find(HALClient::Connection& connection, const std::string& name) {
    for (AudioObjectID device :
         ReadIDs(connection, kAudioObjectSystemObject, Address(kAudioHardwarePropertyDevices))) {
      if (ReadString(connection, device, kAudioObjectPropertyName) == name) return device;
    }
    return kAudioObjectUnknown;
  }

  void Advance(uint64_t nanoseconds) { server.advanceClock(clock.now() + nanoseconds); }

  ManualHostClock clock;
  Server server{clock};
  RecordingEvents events;
};

TEST_F(MoxicamDevicesInServer, ShowsTheThreeDevicesWithTheirUIDsRatesAndStreams) {
  InProcessConnection client(server, nullptr, events);
  for (const BundleFacts& facts : kBundles) {
    SCOPED_TRACE(facts.bundle);
    const AudioObjectID device = Find(client, facts.deviceName);
    ASSERT_NE(device, kAudioObjectUnknown);
    EXPECT_EQ(ReadString(client, device, kAudioDevicePropertyDeviceUID), facts.deviceUID);
    EXPECT_EQ(Read<Float64>(client, device, Address(kAudioDevicePropertyNominalSampleRate)), 44100.0);
    for (AudioObjectPropertyScope scope : {kAudioObjectPropertyScopeInput, kAudioObjectPropertyScopeOutput}) {
      const auto format =
          Read<AudioStreamBasicDescription>(client, device, Address(kAudioDevicePropertyStreamFormat, scope));
      EXPECT_EQ(format.mChannelsPerFrame, 2u);
      EXPECT_EQ(format.mFormatFlags, UInt32(kAudioFormatFlagsNativeFloatPacked));
    }
    // The icon comes from the bundle's own resources.
    CFURLRef icon = Read<CFURLRef>(client, device, Address(kAudioDevicePropertyIcon));
    ASSERT_NE(icon, nullptr);
    const std::string path = DriverTest::Text(CFURLGetString(icon));
    EXPECT_NE(path.find(std::string(facts.bundle) + ".driver/Contents/Resources/MoxicamAudioIO.icns"),
              std::string::npos)
        << path;
    CFRelease(icon);
  }
}

TEST_F(MoxicamDevicesInServer, TheDeviceVolumeAndMuteAreThoseOfItsControls) {
  InProcessConnection client(server, nullptr, events);
  const AudioObjectID device = Find(client, "Moxicam:I/O:2");
  const AudioObjectPropertyAddress outputVolume =
      Address(kAudioDevicePropertyVolumeScalar, kAudioObjectPropertyScopeOutput);
  const AudioObjectPropertyAddress inputVolume =
      Address(kAudioDevicePropertyVolumeScalar, kAudioObjectPropertyScopeInput);
  const AudioObjectPropertyAddress outputMute =
      Address(kAudioDevicePropertyMute, kAudioObjectPropertyScopeOutput);
  EXPECT_TRUE(client.hasProperty(device, outputVolume));
  EXPECT_TRUE(client.hasProperty(device, outputMute));
  EXPECT_FALSE(client.hasProperty(device, Address(kAudioDevicePropertyVolumeScalar)))
      << "no control of the device";
  Boolean settable = false;
  ASSERT_EQ(client.isPropertySettable(device, outputVolume, &settable), noErr);
  EXPECT_TRUE(settable);
  ASSERT_EQ(client.isPropertySettable(device, inputVolume, &settable), noErr);
  EXPECT_FALSE(settable);

  const Float32 half = 0.5f;
  ASSERT_EQ(client.setPropertyData(device, outputVolume, 0, nullptr, sizeof half, &half), noErr);
  EXPECT_NEAR(Read<Float32>(client, device, outputVolume), 0.5f, 1e-6);
  // The output volume control says the same.
  for (AudioObjectID control : ReadIDs(client, device, Address(kAudioObjectPropertyControlList))) {
    if (Read<AudioClassID>(client, control, Address(kAudioObjectPropertyClass)) ==
            kAudioVolumeControlClassID &&
        Read<UInt32>(client, control, Address(kAudioControlPropertyScope)) ==
            kAudioObjectPropertyScopeOutput) {
      EXPECT_NEAR(Read<Float32>(client, control, Address(kAudioLevelControlPropertyScalarValue)), 0.5f, 1e-6);
    }
  }
  const UInt32 on = 1, off = 0;
  ASSERT_EQ(client.setPropertyData(device, outputMute, 0, nullptr, sizeof on, &on), noErr);
  EXPECT_EQ(Read<UInt32>(client, device, outputMute), 1u);
  const Float32 full = 1.0f;
  client.setPropertyData(device, outputVolume, 0, nullptr, sizeof full, &full);
  client.setPropertyData(device, outputMute, 0, nullptr, sizeof off, &off);
}

// Plays the sample time of each output frame (plus an offset) and keeps what comes in, by
// input sample time.
class Ramp final : public HALClient::IOCycleHandler {
 public:
  explicit Ramp(Float32 offset, bool plays = true) : mOffset(offset), mPlays(plays) {}
  void ioCycle(const AudioTimeStamp&, const AudioBufferList* input, const AudioTimeStamp& inputTime,
               AudioBufferList* output, const AudioTimeStamp& outputTime) override {
    const UInt32 frames = output->mBuffers[0].mDataByteSize / (2 * sizeof(Float32));
    auto* out = static_cast<Float32*>(output->mBuffers[0].mData);
    const auto* in = static_cast<const Float32*>(input->mBuffers[0].mData);
    for (UInt32 i = 0; i < frames; ++i) {
      if (mPlays) out[2 * i] = out[2 * i + 1] = mOffset + Float32(outputTime.mSampleTime + i);
      heard.push_back({inputTime.mSampleTime + i, in[2 * i]});
    }
  }
  // What came in from a sample time on: the values heard at each later input time.
  std::vector<std::pair<Float64, Float32>> heard;

 private:
  Float32 mOffset;
  bool mPlays;
};

// Whether every frame heard from `from` on is `offset` + its own sample time.
::testing::AssertionResult HearsRamp(const Ramp& ramp, Float64 from, Float32 offset) {
  size_t checked = 0;
  for (const auto& [time, value] : ramp.heard) {
    if (time < from) continue;
    ++checked;
    if (value != offset + Float32(time)) {
      return ::testing::AssertionFailure()
             << "at " << time << " heard " << value << ", not " << offset + Float32(time);
    }
  }
  if (checked == 0) return ::testing::AssertionFailure() << "nothing heard from " << from;
  return ::testing::AssertionSuccess();
}

TEST_F(MoxicamDevicesInServer, ClientsHearEachOtherSampleForSampleAndTheApplicationChangesTheRouting) {
  InProcessConnection player(server, CFSTR("com.example.player"), events);
  InProcessConnection recorder(server, nullptr, events);
  const AudioObjectID device = Find(player, "Moxicam:I/O:2");
  Ramp playing(0.0f), recording(0.0f, false);
  ASSERT_EQ(player.startIO(device, &playing), noErr);
  ASSERT_EQ(recorder.startIO(device, &recording), noErr);
  Advance(200'000'000);
  // What was played at an output time is heard at the same input time, 1024 frames later.
  EXPECT_TRUE(HearsRamp(recording, 1024, 0.0f));
  EXPECT_TRUE(HearsRamp(playing, 1024, 0.0f)) << "without the application, a player hears itself";

  // The application joins: the others hear it, it hears them, nobody hears themselves.
  {
    InProcessConnection application(server, CFSTR("com.quillfen.Moxicam"), events);
    Ramp app(100000.0f);
    ASSERT_EQ(application.startIO(device, &app), noErr);
    const Float64 joined = recording.heard.back().first + 1;
    Advance(200'000'000);
    EXPECT_TRUE(HearsRamp(recording, joined + 2048, 100000.0f));
    EXPECT_TRUE(HearsRamp(playing, joined + 2048, 100000.0f));
    EXPECT_TRUE(HearsRamp(app, joined + 2048, 0.0f));
    application.stopIO(device);
  }
  // It has gone: a loopback again.
  const Float64 left = recording.heard.back().first + 1;
  Advance(200'000'000);
  EXPECT_TRUE(HearsRamp(recording, left + 2048, 0.0f));
  player.stopIO(device);
  recorder.stopIO(device);
}

TEST_F(MoxicamDevicesInServer, ARateChangeIsAConfigurationChangeThatClientsAreToldOf) {
  InProcessConnection player(server, nullptr, events);
  const AudioObjectID device = Find(player, "Moxicam:OUT:2");
  Ramp playing(0.0f);
  ASSERT_EQ(player.startIO(device, &playing), noErr);
  Advance(100'000'000);
  size_t changes = 0;
  for (Float64 rate : {48000.0, 44100.0}) {
    ASSERT_EQ(player.setPropertyData(device, Address(kAudioDevicePropertyNominalSampleRate), 0, nullptr,
                                     sizeof rate, &rate),
              noErr);
    // The driver asks for the change from a queue of its own; the server tells when it is done.
    ++changes;
    ASSERT_TRUE(moxicam::test::pollUntil(
        [&] { return events.count(device, kAudioDevicePropertyNominalSampleRate) == changes; }));
    EXPECT_EQ(Read<Float64>(player, device, Address(kAudioDevicePropertyNominalSampleRate)), rate);
    const size_t before = playing.heard.size();
    Advance(100'000'000);
    // About a tenth of a second of frames at the new rate.
    EXPECT_NEAR(double(playing.heard.size() - before), rate / 10, 1024) << rate;
  }
  player.stopIO(device);
}

}  // namespace
