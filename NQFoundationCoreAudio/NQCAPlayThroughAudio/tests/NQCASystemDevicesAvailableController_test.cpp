// The device lists on simulated devices: what they list and under which names, how they
// follow devices that come and go (told on the main queue, to the notification's observers
// and to the subscribers), and the lookups by index and by name.
#include <Foundation/NSException.h>
#include <Foundation/NSNotificationCenter.h>
#include <Foundation/NSThread.h>
#include <NQCASystemDevicesAvailableController.h>
#include <NQCoreAudioHALOutputDeviceController.h>
#include <RunLoopUntil.h>
#include <objc/MethodTable.h>

#include <atomic>

#include "PlayThroughTestSupport.h"

using namespace PlayThroughTest;
using moxicam::test::runLoopUntil;

namespace {

class Subscriber final : public NSObject,
                         public NQCASystemDevicesAvailableControllerInputSubscriber,
                         public NQCASystemDevicesAvailableControllerOutputSubscriber {
  OBJC_CLASS_DECL(Subscriber, NSObject)

 public:
  void systemDevicesAvailableController_changedInputDevices(NQCASystemDevicesAvailableController*,
                                                            NSArray* devices) override {
    EXPECT_TRUE(NSThread::isMainThread());
    ++inputChanges;
    inputCount = devices->count();
  }
  void systemDevicesAvailableController_changedOutputDevices(NQCASystemDevicesAvailableController*,
                                                             NSArray* devices) override {
    ++outputChanges;
    outputCount = devices->count();
  }
  void listChanged(NSNotification*) { ++posted; }

  int inputChanges = 0, outputChanges = 0, posted = 0;
  NSUInteger inputCount = 0, outputCount = 0;
};

OBJC_CLASS_DEFINE(Subscriber)
OBJC_METHODS(Subscriber, OBJC_METHOD("listChanged:", &Subscriber::listChanged))

std::string Text(NSString* text) { return text ? text->UTF8String() : ""; }

std::vector<std::string> Texts(NSArray* array) {
  std::vector<std::string> texts;
  for (NSObject* object : *array) texts.push_back(Text(static_cast<NSString*>(object)));
  return texts;
}

std::string Hex(AudioObjectID id) {
  char text[16];
  snprintf(text, sizeof text, "%02X", id);
  return text;
}

class DeviceListsTest : public SimulatedDevicesTest {
 protected:
  DeviceListsTest() {
    AddDevices(Microphone(), Speaker());
    NQCoreAudioHALOutputDeviceList::updateCachedHALOutputDevicePropertiesDictionary();
    controller = adopt(static_cast<NQCASystemDevicesAvailableController*>(
        NQCASystemDevicesAvailableController::alloc()->init()));
  }
  objc::AutoreleasePool pool;
  RefPtr<NQCASystemDevicesAvailableController> controller;
};

TEST_F(DeviceListsTest, ListsEachSideUnderNamesThatKeepDevicesApart) {
  const AudioDeviceID microphone = DeviceWithUID("sim-mic");
  const AudioDeviceID speaker = DeviceWithUID("sim-speaker");
  EXPECT_EQ(Texts(controller->availableInputDeviceNames()),
            std::vector<std::string>{"Microphone [IN:" + Hex(microphone) + "]"});
  EXPECT_EQ(Texts(controller->availableOutputDeviceNames()),
            std::vector<std::string>{"Speaker [OUT:" + Hex(speaker) + "]"});
  EXPECT_EQ(controller->inputDeviceIDWithIndex(0), microphone);
  EXPECT_EQ(controller->outputDeviceIDWithIndex(0), speaker);
  EXPECT_EQ(controller->inputDeviceIDWithIndex(5), kAudioObjectUnknown);
  EXPECT_EQ(controller->outputDeviceIDWithIndex(5), kAudioObjectUnknown);
  EXPECT_TRUE(controller->isValidInputDeviceID(microphone));
  EXPECT_FALSE(controller->isValidInputDeviceID(speaker));
  EXPECT_EQ(controller->indexOfOutputDeviceID(microphone), NSUInteger(NSNotFound));
  EXPECT_EQ(Text(controller->outputDeviceNameWithDeviceID(speaker)), "Speaker");
  EXPECT_EQ(Text(controller->outputDeviceNameWithDeviceID(0)), "kAudioObjectUnknown");
  // The preset name must match exactly.
  EXPECT_EQ(controller->defaultOutputDeviceIDFromDevicePresetName(NSSTR("Speaker")), speaker);
  EXPECT_EQ(controller->defaultOutputDeviceIDFromDevicePresetName(NSSTR("speaker")), kAudioObjectUnknown);
  EXPECT_EQ(Text(controller->nameOfDeviceWithUUID(NSSTR("sim-mic"))), "Microphone");
  EXPECT_EQ(Text(controller->nameOfDeviceWithUUID(NSSTR("none"))), "");

  // A device with both sides is one device object, labelled by what it has.
  NQCoreAudioHALOutputDevice* device = NQCoreAudioHALOutputDevice::outputDeviceWithAudioDeviceID(microphone);
  EXPECT_EQ(Text(device->uniqueAudioDeviceName()), "Microphone [IN:" + Hex(microphone) + "]");
  EXPECT_EQ(device->availableInputs(), 2u);
  EXPECT_EQ(device->availableOutputs(), 0u);
}

TEST_F(DeviceListsTest, FollowsDevicesThatComeAndGoOnTheMainQueue) {
  RefPtr<Subscriber> subscriber = adopt(static_cast<Subscriber*>(Subscriber::alloc()->init()));
  controller->actionSubscribeToAvailableInputDeviceChanges(subscriber.get());
  controller->actionSubscribeToAvailableOutputDeviceChanges(subscriber.get());
  // An object that cannot be told is refused.
  RefPtr<NSObject> other = adopt(NSObject::alloc()->init());
  controller->actionSubscribeToAvailableInputDeviceChanges(other.get());
  NSNotificationCenter::defaultCenter()->addObserver_selector_name_object(
      subscriber.get(), SELECTOR("listChanged:"), NQCASystemDevicesAvailableController_ChangeNotification,
      nullptr);

  SimulatedDeviceSpec headset;
  headset.name = "Headset";
  headset.uid = "sim-headset";
  headset.inputChannels = 1;
  headset.outputChannels = 2;
  simulated.addDevice(headset);
  ASSERT_TRUE(runLoopUntil([&] { return subscriber->inputCount == 2 && subscriber->outputCount == 2; }));
  EXPECT_GE(subscriber->posted, 1);
  const AudioDeviceID headsetID = DeviceWithUID("sim-headset");
  EXPECT_TRUE(controller->isValidInputDeviceID(headsetID));
  EXPECT_TRUE(controller->isValidOutputDeviceID(headsetID));
  EXPECT_EQ(
      Text(NQCoreAudioHALOutputDevice::outputDeviceWithAudioDeviceID(headsetID)->uniqueAudioDeviceName()),
      "Headset [I/O:" + Hex(headsetID) + "]");

  // A device that is gone leaves the lists.
  simulated.removeDevice("sim-headset");
  ASSERT_TRUE(runLoopUntil([&] { return subscriber->inputCount == 1 && subscriber->outputCount == 1; }));
  EXPECT_FALSE(controller->isValidOutputDeviceID(headsetID));
  EXPECT_EQ(controller->HALOutputDeviceUUIDS()->count(), 2u);

  controller->actionUnsubscribeToAvailableDeviceChanges(subscriber.get());
  NSNotificationCenter::defaultCenter()->removeObserver(subscriber.get());
}

TEST_F(DeviceListsTest, ASelectionByUIDStaysWhileTheDeviceComesAndGoes) {
  RefPtr<NQCoreAudioHALOutputDeviceController> selection =
      adopt(static_cast<NQCoreAudioHALOutputDeviceController*>(
          NQCoreAudioHALOutputDeviceController::alloc()->init()));
  const AudioDeviceID speaker = DeviceWithUID("sim-speaker");
  // Nothing chosen yet: the default output device.
  EXPECT_EQ(Text(selection->selectedAudioDeviceUUID()), "sim-speaker");
  EXPECT_EQ(selection->selectedAudioDeviceID(), speaker);

  SimulatedDeviceSpec headset;
  headset.name = "Headset";
  headset.uid = "sim-headset";
  simulated.addDevice(headset);
  ASSERT_TRUE(runLoopUntil([&] { return selection->HALOutputDeviceUUIDS()->count() == 3; }));
  const AudioDeviceID headsetID = DeviceWithUID("sim-headset");
  selection->setSelectedAudioDeviceID(headsetID);
  EXPECT_EQ(Text(selection->selectedAudioDeviceName()), "Headset");
  ASSERT_EQ(selection->selectionIndexes()->count(), 1u);
  EXPECT_EQ(Text(static_cast<NSString*>(selection->HALOutputDeviceUUIDS()->objectAtIndex(
                selection->selectionIndexes()->firstIndex()))),
            "sim-headset");
  EXPECT_THROW(selection->setSelectedAudioDeviceName(NSSTR("Speaker")), NSException::Raised);

  // Gone: the default answers for it, and the UID stays chosen.
  simulated.removeDevice("sim-headset");
  ASSERT_TRUE(runLoopUntil([&] { return selection->HALOutputDeviceUUIDS()->count() == 2; }));
  EXPECT_EQ(selection->selectedAudioDeviceID(), speaker);
  EXPECT_EQ(Text(selection->selectedAudioDeviceUUID()), "sim-headset");
  EXPECT_EQ(selection->selectionIndexes()->count(), 0u);

  // Back, under a new id: selected again.
  simulated.addDevice(headset);
  ASSERT_TRUE(runLoopUntil([&] { return selection->HALOutputDeviceUUIDS()->count() == 3; }));
  EXPECT_EQ(selection->selectedAudioDeviceID(), DeviceWithUID("sim-headset"));
  EXPECT_EQ(Text(selection->selectedAudioDeviceName()), "Headset");
}

}  // namespace
