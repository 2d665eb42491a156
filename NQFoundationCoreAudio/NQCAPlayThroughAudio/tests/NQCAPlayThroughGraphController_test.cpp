// The play-through controller wired as the application's nib wires it, on simulated devices
// under a manual clock: building and starting once, the meter, rate and drift it publishes,
// the preset and saved device names, rebuilds on a selection change, on a vanished device
// and on a rate change of either device, the output volume, and its release while it runs.
#include <NQCAPlayThroughGraphController.h>
#include <NQCASystemDeviceInputController.h>
#include <NQCASystemDeviceOutputController.h>
#include <NQCoreAudioProperties.h>
#include <RunLoopUntil.h>

#include "PlayThroughTestSupport.h"

using namespace PlayThroughTest;
using moxicam::test::runLoopUntil;

namespace {

template <class T>
RefPtr<T> Make() {
  return adopt(static_cast<T*>(T::alloc()->init()));
}

SimulatedDeviceSpec Headphones() {
  SimulatedDeviceSpec spec;
  spec.name = "Headphones";
  spec.uid = "sim-headphones";
  spec.inputChannels = 0;
  spec.outputChannels = 2;
  spec.sampleRate = 44100;
  return spec;
}

Float64 UnitRate(AudioUnit unit, AudioUnitScope scope, AudioUnitElement element) {
  AudioStreamBasicDescription format{};
  UInt32 size = sizeof format;
  if (!unit ||
      AudioUnitGetProperty(unit, kAudioUnitProperty_StreamFormat, scope, element, &format, &size) != noErr)
    return 0;
  return format.mSampleRate;
}

class GraphControllerTest : public SimulatedDevicesTest {
 protected:
  explicit GraphControllerTest(const SimulatedDeviceSpec& microphone = Microphone()) {
    // The speaker is the first output device, and the default one.
    simulated.addDevice(microphone);
    simulated.addDevice(Speaker());
    simulated.addDevice(Headphones());
    server.addDriver(simulated.driver());
    NQCoreAudioHALOutputDeviceList::updateCachedHALOutputDevicePropertiesDictionary();
    microphoneID = DeviceWithUID("sim-mic");
    speakerID = DeviceWithUID("sim-speaker");
    headphonesID = DeviceWithUID("sim-headphones");
  }
  ~GraphControllerTest() override {
    for (NQCASystemDeviceControllerBase* controller :
         {static_cast<NQCASystemDeviceControllerBase*>(input.get()),
          static_cast<NQCASystemDeviceControllerBase*>(output.get())})
      available->actionUnsubscribeToAvailableDeviceChanges(controller);
  }

  // Connects the outlets and wakes the objects, as the nib does; without the unit controllers
  // nothing can be built while the selections are made.
  void Wake(bool connectUnits = true) {
    graph->setOutletSystemDevicesAvailableController(available.get());
    graph->setOutletInputDeviceController(input.get());
    graph->setOutletOutputDeviceController(output.get());
    if (connectUnits) ConnectUnits();
    input->setOutletSystemDevicesAvailableController(available.get());
    output->setOutletSystemDevicesAvailableController(available.get());
    input->setDelegate(graph.get());
    output->setDelegate(graph.get());
    available->awakeFromNib();
    input->awakeFromNib();
    output->awakeFromNib();
    Drain();
  }

  void ConnectUnits() {
    graph->setOutletInputUnitController(inputUnit.get());
    graph->setOutletOutputUnitController(outputUnit.get());
  }

  // Runs the main queue until a block queued now has run.
  void Drain() {
    bool passed = false;
    dispatch_async(dispatch_get_main_queue(), [&] { passed = true; });
    ASSERT_TRUE(runLoopUntil([&] { return passed; }));
  }

  // What the device played in a quarter of a second that ends a quarter of a second ago, after
  // a second of the manual clock.
  std::vector<Float32> PlayFor(const char* uid, Float64 rate) {
    Advance(kSecond);
    AudioTimeStamp now{};
    EXPECT_EQ(AudioDeviceGetCurrentTime(DeviceWithUID(uid), &now), noErr);
    return simulated.played(uid, now.mSampleTime - rate / 2, UInt32(rate / 4));
  }

  objc::AutoreleasePool pool;
  RefPtr<NQCASystemDevicesAvailableController> available = Make<NQCASystemDevicesAvailableController>();
  RefPtr<NQCASystemDeviceInputController> input = Make<NQCASystemDeviceInputController>();
  RefPtr<NQCASystemDeviceOutputController> output = Make<NQCASystemDeviceOutputController>();
  RefPtr<NQCASystemDeviceAudioUnitInputController> inputUnit =
      Make<NQCASystemDeviceAudioUnitInputController>();
  RefPtr<NQCASystemDeviceAudioUnitOutputController> outputUnit =
      Make<NQCASystemDeviceAudioUnitOutputController>();
  RefPtr<NQCAPlayThroughGraphController> graph = Make<NQCAPlayThroughGraphController>();
  AudioDeviceID microphoneID = 0, speakerID = 0, headphonesID = 0;
};

TEST_F(GraphControllerTest, StartsOncePlaysTheToneAndPublishesWhileRunning) {
  EXPECT_EQ(std::string(graph->selectedAudioOutputDeviceName()->UTF8String()), "Moxicam");
  EXPECT_EQ(graph->selectedAudioInputDeviceName(), nullptr);
  Wake();
  output->setSelectedDeviceID(speakerID);
  graph->actionStartPlayThrough(nullptr);
  graph->actionStartPlayThrough(nullptr);
  ASSERT_TRUE(graph->isPlaythroughRunning());
  EXPECT_TRUE(graph->playthroughRunningState());
  EXPECT_EQ(inputUnit->currentDeviceID(), microphoneID);
  EXPECT_EQ(outputUnit->currentDeviceID(), speakerID);
  EXPECT_EQ(inputUnit->currentDeviceChannelMappings()->count(), 2u);
  EXPECT_EQ(outputUnit->currentDeviceChannelMappings()->count(), 2u);
  EXPECT_EQ(std::string(graph->selectedAudioInputDeviceLocalizedName()->UTF8String()), "Microphone");
  EXPECT_EQ(std::string(graph->selectedAudioOutputDeviceLocalizedName()->UTF8String()), "Speaker");

  const std::vector<Float32> played = PlayFor("sim-speaker", 44100);
  EXPECT_LT(LongestSilence(played), 44u);
  EXPECT_NEAR(Frequency(played, 44100), 997, 3);
  // The watch timer publishes what the play-through measures.
  ASSERT_TRUE(
      runLoopUntil([&] { return graph->volumeInputUnit() > 0 && graph->atomicVarispeedRateAmount() > 0; }));
  EXPECT_NEAR(graph->atomicVarispeedRateAmount(), 1.0, 1e-3);
  EXPECT_NE(graph->atomicClockDriftAmount(), 0);

  graph->actionStartStop(nullptr);
  EXPECT_FALSE(graph->isPlaythroughRunning());
  EXPECT_TRUE(graph->playThroughExists());
  graph->setPlaythroughRunningState(true);
  EXPECT_TRUE(graph->isPlaythroughRunning());
}

TEST_F(GraphControllerTest, WithoutAnInputNothingIsBuiltUntilOneIsSelected) {
  Wake();
  input->setSelectionIndexes(NSIndexSet::indexSet());
  ASSERT_EQ(graph->selectedInputDeviceID(), kAudioObjectUnknown);
  graph->actionStartPlayThrough(nullptr);
  EXPECT_FALSE(graph->playThroughExists());
  EXPECT_FALSE(graph->isPlaythroughRunning());
  EXPECT_EQ(graph->volumeOutputUnit(), 0.0f);
  graph->_playthroughKVCWatchIntervalEvent();
  EXPECT_EQ(graph->volumeInputUnit(), 0.0f);

  // A selection while stopped builds and stays stopped; a start then runs.
  input->setSelectedDeviceID(microphoneID);
  EXPECT_TRUE(graph->playThroughExists());
  EXPECT_FALSE(graph->isPlaythroughRunning());
  graph->actionStartPlayThrough(nullptr);
  EXPECT_TRUE(graph->isPlaythroughRunning());
}

TEST_F(GraphControllerTest, ThePresetOutputNameChoosesTheFirstBuildsDeviceAndSelectsIt) {
  graph->setValue_forKey(NSSTR("Headphones"), NSSTR("defaultAudioOutputDeviceName"));
  Wake(false);
  EXPECT_FALSE(graph->playThroughExists());
  EXPECT_EQ(graph->selectedOutputDeviceID(), speakerID);
  ConnectUnits();
  graph->actionStartPlayThrough(nullptr);
  ASSERT_TRUE(graph->isPlaythroughRunning());
  EXPECT_EQ(outputUnit->currentDeviceID(), headphonesID);
  EXPECT_EQ(graph->selectedOutputDeviceID(), headphonesID);

  // Later builds follow the selection, whatever the preset name says.
  graph->setDefaultAudioOutputDeviceName(NSSTR("Speaker"));
  input->resetSelectedDeviceIDWithoutChangingSelection();
  EXPECT_EQ(outputUnit->currentDeviceID(), headphonesID);
  EXPECT_TRUE(graph->isPlaythroughRunning());
}

TEST_F(GraphControllerTest, APresetNameNoDeviceHasLeavesTheSelectedOutput) {
  graph->setDefaultAudioOutputDeviceName(NSSTR("headphones"));
  Wake();
  output->setSelectedDeviceID(speakerID);
  graph->actionStartPlayThrough(nullptr);
  EXPECT_EQ(outputUnit->currentDeviceID(), speakerID);
}

TEST_F(GraphControllerTest, SavedNamesSelectTheirDevices) {
  Wake();
  output->setSelectedDeviceID(speakerID);
  graph->setSelectedAudioOutputDeviceLocalizedName(NSSTR("Headphones"));
  EXPECT_EQ(graph->selectedOutputDeviceID(), headphonesID);
  EXPECT_EQ(std::string(graph->selectedAudioOutputDeviceName()->UTF8String()), "Headphones");
  // A name that no device has is kept, and changes nothing.
  graph->setSelectedAudioOutputDeviceLocalizedName(NSSTR("Moxicam I/O 2x2"));
  EXPECT_EQ(graph->selectedOutputDeviceID(), headphonesID);
  EXPECT_EQ(std::string(graph->selectedAudioOutputDeviceName()->UTF8String()), "Moxicam I/O 2x2");
  graph->setSelectedAudioInputDeviceLocalizedName(NSSTR("Microphone"));
  EXPECT_EQ(graph->selectedInputDeviceID(), microphoneID);
}

TEST_F(GraphControllerTest, AVanishedOutputFallsBackToTheDefaultAndPlaysOn) {
  Wake();
  output->setSelectedDeviceID(headphonesID);
  graph->actionStartPlayThrough(nullptr);
  ASSERT_EQ(outputUnit->currentDeviceID(), headphonesID);
  EXPECT_LT(LongestSilence(PlayFor("sim-headphones", 44100)), 44u);

  simulated.removeDevice("sim-headphones");
  ASSERT_TRUE(runLoopUntil([&] { return graph->selectedOutputDeviceID() == speakerID; }));
  EXPECT_TRUE(graph->isPlaythroughRunning());
  EXPECT_EQ(outputUnit->currentDeviceID(), speakerID);
  const std::vector<Float32> played = PlayFor("sim-speaker", 44100);
  EXPECT_LT(LongestSilence(played), 44u);
  EXPECT_NEAR(Frequency(played, 44100), 997, 3);
}

struct RateCase {
  const char* what;
  bool inputDevice;
  Float64 rate;
};

class GraphControllerRateTest : public GraphControllerTest, public ::testing::WithParamInterface<RateCase> {};

TEST_P(GraphControllerRateTest, ARateChangeRebuildsTheGraphAndItPlaysOn) {
  const RateCase c = GetParam();
  Wake();
  output->setSelectedDeviceID(speakerID);
  graph->actionStartPlayThrough(nullptr);
  Advance(kSecond / 2);
  const AudioDeviceID device = c.inputDevice ? microphoneID : speakerID;
  const AudioObjectPropertyAddress nominalRate = Address(kAudioDevicePropertyNominalSampleRate);
  ASSERT_EQ(AudioObjectSetPropertyData(device, &nominalRate, 0, nullptr, sizeof c.rate, &c.rate), noErr);
  server.waitForConfigurationChanges();
  // The unit controllers are handed the rebuilt graph's units.
  auto rebuilt = [&] {
    return c.inputDevice ? UnitRate(inputUnit->deviceAudioUnit(), kAudioUnitScope_Output, 1) == c.rate
                         : UnitRate(outputUnit->deviceAudioUnit(), kAudioUnitScope_Input, 0) == c.rate;
  };
  ASSERT_TRUE(runLoopUntil(rebuilt)) << c.what;
  Drain();
  EXPECT_TRUE(graph->isPlaythroughRunning());
  EXPECT_EQ(outputUnit->deviceAudioUnit(), graph->outputUnit());
  const Float64 speakerRate = c.inputDevice ? 44100 : c.rate;
  const std::vector<Float32> played = PlayFor("sim-speaker", speakerRate);
  EXPECT_LT(LongestSilence(played), 44u) << c.what;
  EXPECT_NEAR(Frequency(played, speakerRate), 997, 3) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Devices, GraphControllerRateTest,
                         ::testing::Values(RateCase{"input", true, 44100}, RateCase{"output", false, 48000}));

TEST_F(GraphControllerTest, ANoticeOfAFormatTheGraphAlreadyHasCostsNoRebuild) {
  Wake();
  graph->actionStartPlayThrough(nullptr);
  const AudioUnit built = outputUnit->deviceAudioUnit();
  ASSERT_NE(built, nullptr);
  graph->systemDeviceControllerSelectedDeviceConfigurationChanged_audioDeviceID(output.get(), speakerID);
  graph->systemDeviceControllerSelectedDeviceConfigurationChanged_audioDeviceID(input.get(), microphoneID);
  EXPECT_EQ(outputUnit->deviceAudioUnit(), built);
  EXPECT_TRUE(graph->isPlaythroughRunning());
}

struct MeterCase {
  Float32 decibels;
  Float32 meter;
};

class GraphControllerMeterTest : public GraphControllerTest, public ::testing::WithParamInterface<MeterCase> {
 protected:
  static SimulatedDeviceSpec MicrophoneAt(Float32 decibels) {
    SimulatedDeviceSpec spec = Microphone();
    // A sine's mean square is half its amplitude squared.
    spec.toneAmplitude = Float32(std::sqrt(2.0) * std::pow(10.0, decibels / 20.0));
    return spec;
  }
  GraphControllerMeterTest() : GraphControllerTest(MicrophoneAt(GetParam().decibels)) {}
};

TEST_P(GraphControllerMeterTest, TheMeterShowsTheLastTwentyDecibels) {
  Wake();
  output->setSelectedDeviceID(speakerID);
  graph->actionStartPlayThrough(nullptr);
  Advance(kSecond / 2);
  graph->_playthroughKVCWatchIntervalEvent();
  EXPECT_NEAR(graph->volumeInputUnit(), GetParam().meter, 0.3) << GetParam().decibels << " dB";
}

// Louder than full scale shows full scale.
INSTANTIATE_TEST_SUITE_P(Levels, GraphControllerMeterTest,
                         ::testing::Values(MeterCase{-6, 14}, MeterCase{-35, 0}, MeterCase{3, 20}));

TEST_F(GraphControllerTest, TheOutputVolumeIsTheOutputUnits) {
  Wake();
  graph->actionStartPlayThrough(nullptr);
  graph->setValue_forKey(NSNumber::numberWithFloat(0.5f), NSSTR("volumeOutputUnit"));
  EXPECT_EQ(graph->volumeOutputUnit(), 0.5f);
  AudioUnitParameterValue volume = 0;
  ASSERT_EQ(AudioUnitGetParameter(outputUnit->deviceAudioUnit(), kHALOutputParam_Volume,
                                  kAudioUnitScope_Output, 0, &volume),
            noErr);
  EXPECT_EQ(volume, 0.5f);
}

TEST_F(GraphControllerTest, ReleasedWhileRunningItTakesItsUnitsAlong) {
  Wake();
  graph->actionStartPlayThrough(nullptr);
  ASSERT_NE(outputUnit->deviceAudioUnit(), nullptr);
  WeakPtr<NQCAPlayThroughGraphController> weak(graph.get());
  graph = nullptr;
  EXPECT_FALSE(weak.get());
  EXPECT_EQ(outputUnit->deviceAudioUnit(), nullptr);
  EXPECT_EQ(inputUnit->deviceAudioUnit(), nullptr);
  EXPECT_EQ(outputUnit->currentDeviceID(), kAudioObjectUnknown);
  // The device lists and the timer go on without it.
  input->resetSelectedDeviceIDWithoutChangingSelection();
  Drain();
}

}  // namespace
