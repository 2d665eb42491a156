// The device selection controllers on simulated devices: which device each side starts with,
// how the lists and selections follow devices that come and go (told on the main queue), the
// fallback of a vanished selection, the watch on the selected device's formats, and the rows
// of the property and owned-object tables.
#include <Foundation/NSDictionary.h>
#include <Foundation/NSException.h>
#include <Foundation/NSThread.h>
#include <NQCASystemDeviceAudioUnitInputController.h>
#include <NQCASystemDeviceController.h>
#include <NQCASystemDeviceDescription.h>
#include <NQCASystemDeviceInputController.h>
#include <NQCASystemDeviceOutputController.h>
#include <RunLoopUntil.h>

#include "PlayThroughTestSupport.h"

using namespace PlayThroughTest;
using moxicam::test::runLoopUntil;

namespace {

// Keeps what the delegate is told, and checks it is told on the main thread.
class RecordingDelegate final : public NSObject, public NQCASystemDeviceControllerDelegate {
  OBJC_CLASS_DECL(RecordingDelegate, NSObject)

 public:
  void systemDeviceControllerSelectedDeviceChanged(NQCASystemDeviceControllerBase* controller) override {
    EXPECT_TRUE(NSThread::isMainThread());
    selections.push_back(controller->selectedDeviceID());
  }
  void systemDeviceControllerAvailableDevicesChanged(NQCASystemDeviceControllerBase*) override {
    EXPECT_TRUE(NSThread::isMainThread());
    ++listChanges;
  }
  void systemDeviceControllerSelectedDeviceConfigurationChanged_audioDeviceID(
      NQCASystemDeviceControllerBase*, AudioDeviceID deviceID) override {
    EXPECT_TRUE(NSThread::isMainThread());
    configurationChanges.push_back(deviceID);
  }

  std::vector<AudioDeviceID> selections;
  std::vector<AudioDeviceID> configurationChanges;
  int listChanges = 0;
};

OBJC_CLASS_DEFINE(RecordingDelegate)

std::string Text(NSString* text) { return text ? text->UTF8String() : ""; }

template <class T>
RefPtr<T> Make() {
  return adopt(static_cast<T*>(T::alloc()->init()));
}

SimulatedDeviceSpec Headset() {
  SimulatedDeviceSpec spec;
  spec.name = "Headset";
  spec.uid = "sim-headset";
  spec.inputChannels = 1;
  spec.outputChannels = 2;
  return spec;
}

class DeviceControllersTest : public SimulatedDevicesTest {
 protected:
  DeviceControllersTest() {
    AddDevices(Microphone(), Speaker());
    NQCoreAudioHALOutputDeviceList::updateCachedHALOutputDevicePropertiesDictionary();
    microphone = DeviceWithUID("sim-mic");
    speaker = DeviceWithUID("sim-speaker");
    available->awakeFromNib();
    for (NQCASystemDeviceControllerBase* controller : Controllers()) {
      controller->setOutletSystemDevicesAvailableController(available.get());
      controller->setDelegate(delegate.get());
      controller->awakeFromNib();
    }
    // The notices the nib's awakening scheduled have passed.
    Drain();
    delegate->selections.clear();
    delegate->listChanges = 0;
  }
  ~DeviceControllersTest() override {
    for (NQCASystemDeviceControllerBase* controller : Controllers())
      available->actionUnsubscribeToAvailableDeviceChanges(controller);
  }

  std::vector<NQCASystemDeviceControllerBase*> Controllers() { return {input.get(), output.get()}; }

  // Runs the main queue until a block queued now has run.
  void Drain() {
    bool passed = false;
    dispatch_async(dispatch_get_main_queue(), [&] { passed = true; });
    ASSERT_TRUE(runLoopUntil([&] { return passed; }));
  }

  objc::AutoreleasePool pool;
  RefPtr<NQCASystemDevicesAvailableController> available = Make<NQCASystemDevicesAvailableController>();
  RefPtr<NQCASystemDeviceInputController> input = Make<NQCASystemDeviceInputController>();
  RefPtr<NQCASystemDeviceOutputController> output = Make<NQCASystemDeviceOutputController>();
  RefPtr<RecordingDelegate> delegate = Make<RecordingDelegate>();
  AudioDeviceID microphone = 0, speaker = 0;
};

TEST_F(DeviceControllersTest, EachSideStartsWithItsFirstDevice) {
  EXPECT_EQ(input->selectedDeviceID(), microphone);
  EXPECT_EQ(output->selectedDeviceID(), speaker);
  EXPECT_TRUE(input->showsInputDevices());
  EXPECT_FALSE(output->showsInputDevices());
  EXPECT_EQ(Text(input->selectedDeviceName()), "Microphone");
  ASSERT_EQ(input->availableDeviceNames()->count(), 1u);
  EXPECT_EQ(
      Text(static_cast<NSString*>(input->availableDeviceNames()->objectAtIndex(0))),
      Text(NQCoreAudioHALOutputDevice::outputDeviceWithAudioDeviceID(microphone)->uniqueAudioDeviceName()));
  EXPECT_EQ(input->selectedDeviceObject()->audioDeviceID(), microphone);
  EXPECT_EQ(input->selectionIndexes()->firstIndex(), 0u);
  EXPECT_TRUE(Text(input->description()).find("selectedDeviceName:Microphone") != std::string::npos);

  // Lookups of a device that is not listed.
  EXPECT_EQ(input->indexOfAudioDeviceID(speaker), 1u);
  EXPECT_EQ(input->deviceObjectWithAudioDeviceID(speaker)->audioDeviceID(), microphone);
  EXPECT_EQ(input->audioDeviceIDWithIndex(1), kAudioObjectUnknown);

  // The same selection again tells nobody; a reset tells the delegate again.
  input->setSelectedDeviceID(microphone);
  EXPECT_TRUE(delegate->selections.empty());
  input->resetSelectedDeviceIDWithoutChangingSelection();
  EXPECT_EQ(delegate->selections, std::vector<AudioDeviceID>{microphone});
  EXPECT_THROW(input->setSelectedAudioDeviceName(NSSTR("Speaker")), NSException::Raised);

  // Through key-value coding, as the panels bind to it.
  EXPECT_EQ(static_cast<NSNumber*>(output->valueForKey(NSSTR("selectedDeviceID")))->unsignedIntValue(),
            speaker);
  EXPECT_EQ(Text(static_cast<NSString*>(output->valueForKey(NSSTR("selectedDeviceName")))), "Speaker");
}

TEST_F(DeviceControllersTest, AnEmptyListSelectsNothing) {
  RefPtr<NQCASystemDeviceController> lonely = Make<NQCASystemDeviceController>();
  lonely->setShowInputDevices(NSNumber::numberWithBool(true));
  lonely->awakeFromNib();
  EXPECT_EQ(lonely->selectedDeviceObject(), nullptr);
  EXPECT_EQ(lonely->selectedDeviceIndex(), 0u);
  EXPECT_EQ(lonely->selectionIndexes()->count(), 1u);
  EXPECT_EQ(lonely->selectionIndexes()->firstIndex(), 0u);
  EXPECT_EQ(lonely->availableDeviceObjects()->count(), 0u);
}

TEST_F(DeviceControllersTest, ListsFollowDevicesAndAVanishedSelectionFallsBackToTheDefault) {
  simulated.addDevice(Headset());
  ASSERT_TRUE(runLoopUntil([&] { return input->availableDeviceObjects()->count() == 2; }));
  ASSERT_TRUE(runLoopUntil([&] { return output->availableDeviceObjects()->count() == 2; }));
  // A new device is news, not a new selection.
  EXPECT_GE(delegate->listChanges, 2);
  EXPECT_TRUE(delegate->selections.empty());
  EXPECT_EQ(input->selectedDeviceID(), microphone);

  const AudioDeviceID headset = DeviceWithUID("sim-headset");
  output->setSelectedDeviceIndex(output->indexOfAudioDeviceID(headset));
  input->setSelectionIndexes(NSIndexSet::indexSetWithIndex(input->indexOfAudioDeviceID(headset)));
  EXPECT_EQ(output->selectedDeviceID(), headset);
  EXPECT_EQ(input->selectedDeviceID(), headset);
  EXPECT_EQ(Text(output->selectedDeviceName()), "Headset");
  delegate->selections.clear();

  simulated.removeDevice("sim-headset");
  ASSERT_TRUE(runLoopUntil(
      [&] { return input->selectedDeviceID() == microphone && output->selectedDeviceID() == speaker; }));
  EXPECT_EQ(input->availableDeviceObjects()->count(), 1u);
  EXPECT_EQ(output->availableDeviceObjects()->count(), 1u);
  std::vector<AudioDeviceID> told = delegate->selections;
  std::sort(told.begin(), told.end());
  std::vector<AudioDeviceID> expected{microphone, speaker};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(told, expected);
}

TEST_F(DeviceControllersTest, AFormatChangeOfTheSelectedDeviceIsToldOnTheMainQueue) {
  const Float64 rate = 48000;
  const AudioObjectPropertyAddress nominalRate = Address(kAudioDevicePropertyNominalSampleRate);
  ASSERT_EQ(AudioObjectSetPropertyData(speaker, &nominalRate, 0, nullptr, sizeof rate, &rate), noErr);
  server.waitForConfigurationChanges();
  ASSERT_TRUE(runLoopUntil([&] { return !delegate->configurationChanges.empty(); }));
  for (AudioDeviceID told : delegate->configurationChanges) EXPECT_EQ(told, speaker);

  // A selection of no device watches nothing any more.
  output->setSelectionIndexes(NSIndexSet::indexSet());
  EXPECT_EQ(output->selectedDeviceID(), kAudioObjectUnknown);
}

TEST_F(DeviceControllersTest, TablesShowTheSelectedDeviceAndWhatItOwns) {
  NSArray* owned = output->selectedDeviceOwnedObjects();
  ASSERT_GT(owned->count(), 0u);
  auto* row = static_cast<NSDictionary*>(owned->objectAtIndex(0));
  const AudioObjectID first = NQCASystemDeviceDescription::device_ownedObjectAtIndex(speaker, 0);
  char id[16];
  snprintf(id, sizeof id, "0x%02x", first);
  EXPECT_EQ(Text(static_cast<NSString*>(row->objectForKey(NSSTR("kAudioObjectID")))), id);
  EXPECT_NE(Text(static_cast<NSString*>(row->objectForKey(NSSTR("kAudioObjectPropertyClass")))), "");
  EXPECT_EQ(NQCASystemDeviceDescription::device_ownedObjectAtIndex(speaker, owned->count()),
            kAudioObjectUnknown);
  EXPECT_EQ(NQCASystemDeviceDescription::device_ownedObjectAtIndex(0, 0), kAudioObjectUnknown);
  EXPECT_EQ(NQCASystemDeviceDescription::deviceOwnedObjectsForDeviceID(0)->count(), 0u);

  // Rows for properties the device lacks only when all are asked for.
  NSArray* some = output->selectedDeviceProperties();
  output->setShowPropertiesNotFound(true);
  NSArray* all = output->selectedDeviceProperties();
  EXPECT_GT(some->count(), 0u);
  EXPECT_GE(all->count(), some->count());
  output->setSelectedObjectIndex(NSIndexSet::indexSetWithIndex(0));
  EXPECT_EQ(output->selectedObject(), 0u);
  EXPECT_GT(output->selectedObjectProperties()->count(), 0u);
}

TEST_F(DeviceControllersTest, AUnitControllerWithoutAUnitShowsNothing) {
  RefPtr<NQCASystemDeviceAudioUnitInputController> unit = Make<NQCASystemDeviceAudioUnitInputController>();
  EXPECT_EQ(unit->currentDeviceID(), kAudioObjectUnknown);
  EXPECT_EQ(unit->currentDeviceChannelMappings()->count(), 0u);
  EXPECT_EQ(unit->currentDeviceOutputChannelMappings()->count(), 0u);
}

}  // namespace
