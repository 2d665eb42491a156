// Who hears whom on the three devices: loopback without the application, the application as
// the primary client of the I/O device, the read-only and write-only devices, and the output
// mute and volume.
#include "CFAudioServerPlugInAudioBus.h"
#include "CFAudioServerPlugInAudio_RW.h"
#include "DriverTestSupport.h"

using namespace DriverTest;

namespace {

constexpr UInt32 kApp = 1, kPlayer = 2, kRecorder = 3, kSecondApp = 4;
const CFStringRef kAppBundle = CFSTR("com.quillfen.Moxicam");

template <class Device>
class Routing : public ::testing::Test {
 protected:
  Routing() : driver(CFSTR("Moxicam:I/O"), "AE7592B7-12F0-4793-B5EB-A8218FD395C2") {
    driver.addClient(kPlayer, CFSTR("com.example.player"));
    driver.addClient(kRecorder, nullptr);
  }
  Driver<Device> driver;
  Float64 time = 1024;

  // What the listeners hear when the writers play at the same sample time: each writer plays
  // a value of its own so that the sums tell who was heard.
  std::vector<Float32> hear(const std::vector<std::pair<UInt32, Float32>>& writers,
                            const std::vector<UInt32>& listeners) {
    time += 4;
    for (const auto& [client, value] : writers) driver.write(client, time, value);
    std::vector<Float32> heard;
    for (UInt32 client : listeners) heard.push_back(driver.read(client, time));
    return heard;
  }
};

using IODevice = Routing<CFAudioServerPlugInAudioBus>;
using InDevice = Routing<CFAudioServerPlugInAudioReadOnly>;
using OutDevice = Routing<CFAudioServerPlugInAudioWriteOnly>;

TEST_F(IODevice, WithoutTheApplicationEveryoneHearsEveryone) {
  EXPECT_EQ(hear({{kPlayer, 1.0f}}, {kRecorder, kPlayer}), (std::vector<Float32>{1.0f, 1.0f}));
  EXPECT_EQ(hear({{kPlayer, 1.0f}, {kRecorder, 2.0f}}, {kRecorder}), std::vector<Float32>{3.0f});
}

TEST_F(IODevice, TheApplicationAndTheOthersHearOnlyEachOther) {
  driver.addClient(kApp, kAppBundle);
  // Whatever order the server calls the readers in, each hears what is meant for it.
  EXPECT_EQ(hear({{kPlayer, 1.0f}, {kApp, 10.0f}}, {kApp, kRecorder, kPlayer}),
            (std::vector<Float32>{1.0f, 10.0f, 10.0f}));
  EXPECT_EQ(hear({{kPlayer, 1.0f}, {kApp, 10.0f}}, {kRecorder, kPlayer, kApp}),
            (std::vector<Float32>{10.0f, 10.0f, 1.0f}));
  driver.removeClient(kApp, kAppBundle);
  EXPECT_EQ(hear({{kPlayer, 1.0f}}, {kRecorder}), std::vector<Float32>{1.0f}) << "loopback again";
}

TEST_F(IODevice, EachInstanceOfTheApplicationLeavesOnlyForItself) {
  driver.addClient(kApp, kAppBundle);
  driver.addClient(kSecondApp, kAppBundle);
  driver.removeClient(kApp, kAppBundle);
  // The instance that stays is still the application: it does not hear itself.
  EXPECT_EQ(hear({{kSecondApp, 10.0f}, {kPlayer, 1.0f}}, {kSecondApp, kRecorder}),
            (std::vector<Float32>{1.0f, 10.0f}));
  driver.removeClient(kPlayer, CFSTR("com.quillfen.moxicam"));
  EXPECT_FALSE(driver.device.IsPrimaryClientIDNotConnected()) << "a client that was never the application";
  driver.removeClient(kSecondApp, kAppBundle);
  EXPECT_TRUE(driver.device.IsPrimaryClientIDNotConnected());
}

TEST_F(IODevice, TheOutputMuteSilencesAndTheOutputVolumeScales) {
  driver.addClient(kApp, kAppBundle);
  ASSERT_EQ(driver.set(9, "lcdv", -6.0f), 0);
  const Float32 gain = driver.device.GetMasterVolumeOutputValueWithMutex();
  EXPECT_EQ(hear({{kPlayer, 1.0f}, {kApp, 2.0f}}, {kApp, kRecorder}),
            (std::vector<Float32>{gain, 2.0f * gain}));
  ASSERT_EQ(driver.set(10, "bcvl", UInt32(1)), 0);
  EXPECT_EQ(hear({{kPlayer, 1.0f}, {kApp, 2.0f}}, {kApp, kRecorder}), (std::vector<Float32>{0.0f, 0.0f}));
  ASSERT_EQ(driver.set(10, "bcvl", UInt32(0)), 0);
  // The mute added nothing while it was on: the frames of those cycles stay silent.
  EXPECT_EQ(driver.read(kRecorder, time), 0.0f);
}

TEST_F(IODevice, WritesClearTheRingAheadAndTheCallersBuffer) {
  const std::vector<Float32> written = driver.io(kPlayer, Code("writ"), 2048, std::vector<Float32>(8, 1.0f));
  EXPECT_EQ(written, std::vector<Float32>(8, 0.0f));
  driver.io(kPlayer, Code("writ"), 2048 + 8192, std::vector<Float32>(8, 5.0f));
  EXPECT_EQ(driver.read(kRecorder, 2048 + 8192), 5.0f);
  driver.io(kPlayer, Code("writ"), 2048, std::vector<Float32>(8, 1.0f));
  EXPECT_EQ(driver.read(kRecorder, 2048 + 8192), 0.0f) << "half a ring ahead of a write is cleared";
  // A cycle whose times lie before sample 0 wraps round the ring like any other.
  driver.io(kPlayer, Code("writ"), -512, std::vector<Float32>(8, 3.0f));
  EXPECT_EQ(driver.read(kRecorder, -512), 3.0f);
}

TEST_F(IODevice, IOThatStartsFromIdleStartsWithEmptyRings) {
  ASSERT_EQ(driver.device.StartIO(3, kPlayer), 0);
  driver.write(kPlayer, 4096, 1.0f);
  ASSERT_EQ(driver.device.StartIO(3, kRecorder), 0);
  EXPECT_EQ(driver.read(kRecorder, 4096), 1.0f) << "a client that joins running I/O hears what is there";
  driver.device.StopIO(3, kPlayer);
  driver.device.StopIO(3, kRecorder);
  ASSERT_EQ(driver.device.StartIO(3, kRecorder), 0);
  EXPECT_EQ(driver.read(kRecorder, 4096), 0.0f) << "nothing of the run before";
  driver.device.StopIO(3, kRecorder);
}

TEST_F(IODevice, RefusesOtherObjectsAndMissingBuffers) {
  AudioServerPlugInIOCycleInfo cycle{};
  Float32 frames[8] = {};
  EXPECT_EQ(driver.device.DoIOOperation(3, 5, kPlayer, Code("writ"), 4, &cycle, frames, nullptr),
            kAudioHardwareBadObjectError);
  EXPECT_EQ(driver.device.DoIOOperation(2, 8, kPlayer, Code("writ"), 4, &cycle, frames, nullptr),
            kAudioHardwareBadObjectError);
  EXPECT_EQ(driver.device.DoIOOperation(3, 8, kPlayer, Code("writ"), 4, &cycle, nullptr, nullptr),
            kAudioHardwareBadObjectError);
  EXPECT_EQ(driver.device.DoIOOperation(3, 8, kPlayer, Code("writ"), 4, nullptr, frames, nullptr),
            kAudioHardwareBadObjectError);
  EXPECT_EQ(driver.device.DoIOOperation(3, 8, kPlayer, Code("cycl"), 4, &cycle, frames, nullptr), 0);
}

TEST_F(InDevice, TheApplicationOnlyRecordsWhatTheOthersPlay) {
  EXPECT_EQ(hear({{kPlayer, 1.0f}}, {kRecorder}), std::vector<Float32>{1.0f}) << "a loopback without it";
  driver.addClient(kApp, kAppBundle);
  EXPECT_EQ(hear({{kPlayer, 1.0f}, {kRecorder, 2.0f}, {kApp, 10.0f}}, {kApp, kRecorder}),
            (std::vector<Float32>{3.0f, 3.0f}));
}

TEST_F(OutDevice, TheApplicationOnlyPlaysToTheOthers) {
  driver.addClient(kApp, kAppBundle);
  EXPECT_EQ(hear({{kApp, 10.0f}, {kPlayer, 1.0f}}, {kApp, kRecorder, kPlayer}),
            (std::vector<Float32>{0.0f, 11.0f, 11.0f}));
  // Its silenced read leaves the frames to the others.
  EXPECT_EQ(hear({{kApp, 10.0f}}, {kApp, kRecorder}), (std::vector<Float32>{0.0f, 10.0f}));
}

TEST_F(OutDevice, TheOutputMuteSilencesEveryone) {
  ASSERT_EQ(driver.set(10, "bcvl", UInt32(1)), 0);
  EXPECT_EQ(hear({{kPlayer, 1.0f}}, {kRecorder, kPlayer}), (std::vector<Float32>{0.0f, 0.0f}));
}

}  // namespace
