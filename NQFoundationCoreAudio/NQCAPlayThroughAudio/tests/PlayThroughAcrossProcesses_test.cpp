// The play-through in this process, driven by its controller against the audio server
// program: a simulated microphone of the server plays through into the virtual "I/O" device,
// and a recorder in another process hears its tone there, also after it changed the device's
// rate.
#include <NQCAPlayThroughGraphController.h>
#include <NQCASystemDeviceInputController.h>
#include <NQCASystemDeviceOutputController.h>
#include <PollUntil.h>
#include <RunLoopUntil.h>
#include <TemporaryRoot.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>

#include "Server.h"
#include "backend/AudioServerProtocol.h"
#include "tests/AudioProbeClient.h"

using moxicam::test::pollUntil;
using moxicam::test::runLoopUntil;
using moxicam::test::RunningChild;

namespace {

template <class T>
RefPtr<T> Make() {
  return adopt(static_cast<T*>(T::alloc()->init()));
}

// The rate at which the output unit takes what it plays.
Float64 OutputRate(AudioUnit unit) {
  AudioStreamBasicDescription format{};
  UInt32 size = sizeof format;
  if (!unit || AudioUnitGetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &format,
                                    &size) != noErr)
    return 0;
  return format.mSampleRate;
}

class PlayThroughAcrossProcesses : public ::testing::Test {
 protected:
  void SetUp() override {
    AudioServerTest::LinkBundle(AudioServer::Server::defaultPlugInFolder(), "MoxicamAudioIO");
    std::filesystem::remove(AudioServerProtocol::pidFilePath());
    mServer = std::make_unique<RunningChild>(
        moxicam::test::productsPath() + "/usr/bin/moxicam-audiod",
        std::vector<std::string>{
            "--simulated-device",
            "name=Simulated Mic,uid=sim-mic,in=2,out=0,rate=48000,tone=997,amplitude=0.5"},
        std::map<std::string, std::string>{}, RunningChild::Input::Open);
    ASSERT_TRUE(
        pollUntil([] { return !moxicam::test::readFile(AudioServerProtocol::pidFilePath()).empty(); }));
  }
  void TearDown() override {
    AudioHardwareUnload();
    mServer->signal(SIGTERM);
    EXPECT_TRUE(mServer->finish()) << "the server stops cleanly";
  }

  std::unique_ptr<RunningChild> mServer;
};

TEST_F(PlayThroughAcrossProcesses, AMicrophonePlaysThroughIntoTheIODeviceForAnotherProcess) {
  objc::AutoreleasePool pool;
  AudioServerTest::AudioProbeClient recorder(std::string(AUDIO_PROBES) + "/AudioProbe");
  const AudioObjectID device = recorder.find("Moxicam:I/O:2");
  ASSERT_NE(device, 0u);
  ASSERT_EQ(recorder.ask("record " + std::to_string(device)), "recording");

  // Wired and woken as the application's nib does; the saved names then choose the devices.
  NQCoreAudioHALOutputDeviceList::updateCachedHALOutputDevicePropertiesDictionary();
  RefPtr<NQCASystemDevicesAvailableController> available = Make<NQCASystemDevicesAvailableController>();
  RefPtr<NQCASystemDeviceInputController> input = Make<NQCASystemDeviceInputController>();
  RefPtr<NQCASystemDeviceOutputController> output = Make<NQCASystemDeviceOutputController>();
  RefPtr<NQCASystemDeviceAudioUnitInputController> inputUnit =
      Make<NQCASystemDeviceAudioUnitInputController>();
  RefPtr<NQCASystemDeviceAudioUnitOutputController> outputUnit =
      Make<NQCASystemDeviceAudioUnitOutputController>();
  RefPtr<NQCAPlayThroughGraphController> graph = Make<NQCAPlayThroughGraphController>();
  graph->setOutletSystemDevicesAvailableController(available.get());
  graph->setOutletInputDeviceController(input.get());
  graph->setOutletOutputDeviceController(output.get());
  graph->setOutletInputUnitController(inputUnit.get());
  graph->setOutletOutputUnitController(outputUnit.get());
  for (NQCASystemDeviceControllerBase* controller :
       {static_cast<NQCASystemDeviceControllerBase*>(input.get()),
        static_cast<NQCASystemDeviceControllerBase*>(output.get())}) {
    controller->setOutletSystemDevicesAvailableController(available.get());
    controller->setDelegate(graph.get());
  }
  available->awakeFromNib();
  input->awakeFromNib();
  output->awakeFromNib();
  graph->setSelectedAudioInputDeviceLocalizedName(NSSTR("Simulated Mic"));
  graph->setSelectedAudioOutputDeviceLocalizedName(NSSTR("Moxicam:I/O:2"));
  ASSERT_EQ(graph->selectedOutputDeviceID(), device);
  ASSERT_EQ(std::string(graph->selectedAudioInputDeviceLocalizedName()->UTF8String()), "Simulated Mic");

  graph->actionStartPlayThrough(nullptr);
  ASSERT_TRUE(graph->isPlaythroughRunning());
  EXPECT_EQ(outputUnit->currentDeviceID(), device);

  // The microphone's tone (of amplitude 0.5), at its own pitch although the two devices run at
  // different rates. A recording that began before a freshly built graph filled its ring is
  // mostly silence, which a loaded machine can stretch over a whole recording; so it is taken
  // again until the graph plays.
  auto heardOncePlaying = [&](size_t frames) {
    std::map<double, double> heard;
    moxicam::test::pollUntil(
        [&] {
          recorder.ask("clear");
          heard = recorder.tones({997, 440}, frames);
          return heard[997] > AudioServerTest::kHeard;
        },
        std::chrono::seconds(60));
    return heard;
  };
  auto heard = heardOncePlaying(44100);
  EXPECT_GT(heard[997], AudioServerTest::kHeard);
  EXPECT_LT(heard[440], AudioServerTest::kNotHeard);
  // The meter has something to show.
  EXPECT_TRUE(runLoopUntil([&] { return graph->volumeInputUnit() > 0; }));

  // Another process sets the device's rate: the graph is built anew at that rate and plays on.
  ASSERT_EQ(recorder.ask("set-rate " + std::to_string(device) + " 48000"), "status 0");
  ASSERT_TRUE(runLoopUntil([&] { return OutputRate(outputUnit->deviceAudioUnit()) == 48000; }));
  EXPECT_TRUE(graph->isPlaythroughRunning());
  ASSERT_EQ(recorder.ask("stop " + std::to_string(device)), "stopped");
  ASSERT_EQ(recorder.ask("record " + std::to_string(device)), "recording");
  heard = heardOncePlaying(48000);
  EXPECT_GT(heard[997], AudioServerTest::kHeard);
  EXPECT_LT(heard[440], AudioServerTest::kNotHeard);

  graph->actionStopPlayThrough(nullptr);
  EXPECT_FALSE(graph->isPlaythroughRunning());
  for (NQCASystemDeviceControllerBase* controller :
       {static_cast<NQCASystemDeviceControllerBase*>(input.get()),
        static_cast<NQCASystemDeviceControllerBase*>(output.get())})
    available->actionUnsubscribeToAvailableDeviceChanges(controller);
}

}  // namespace
