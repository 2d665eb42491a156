#include <gtest/gtest.h>

#include <CoreFoundation/CFPlugInCOM.h>
#include <CoreMedia/CMSampleBuffer.h>
#include <CoreMediaIO/CMIOSystemObjects.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "../../../URequirements/tests/MessageCollector.h"

#include "CMIODevicePublishing.h"
#include "CMIOStreamDrawContext.h"
#include "COMHardwarePlugInInterface.h"

using namespace NQCMIO;

namespace {

std::atomic<int> gDestroyed{0};

// A plug-in with one drawn camera, as a concrete plug-in builds it.
class OneCameraPlugIn : public COMHardwarePlugInInterface {
 public:
  explicit OneCameraPlugIn(CFUUIDRef factory) : COMHardwarePlugInInterface(factory) {}
  ~OneCameraPlugIn() override {
    if (published) RemoveDeviceWithStream(*this, *device, *stream);
    ++gDestroyed;
  }
  OSStatus InitializeWithObjectID(CMIOObjectID objectID) override {
    PlugIn().SetObjectID(objectID);
    SetObjectWithID(PlugIn(), objectID);
    OSStatus status = PublishDeviceWithStream(*this, *device, *stream, CGSizeMake(64, 48), nullptr,
                                              NQCMIO_PUBLISHING_SITE);
    published = status == kCMIOHardwareNoError;
    return status;
  }
  OSStatus Teardown() override { return kCMIOHardwareNoError; }

  const Ref<CMIODeviceBase> device = Ref<CMIODeviceBase>::adopt(new CMIODeviceBase(CFSTR("Cam"), CFSTR("cam")));
  const Ref<CMIOStreamDrawContext> stream = Ref<CMIOStreamDrawContext>::adopt(new CMIOStreamDrawContext());
  bool published = false;
};

CFUUIDRef factoryID() {
  return CFUUIDGetConstantUUIDWithBytes(nullptr, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC,
                                        0xDD, 0xEE, 0xFF, 0x00);
}

COMHardwarePlugInInterface* makePlugIn(CFUUIDRef factory) { return new OneCameraPlugIn(factory); }

// A loaded and initialised plug-in, as the system holds it.
struct Loaded {
  Loaded() {
    ref = static_cast<CMIOHardwarePlugInRef>(
        COMHardwarePlugInInterface::FactoryInstance(kCMIOHardwarePlugInTypeID, makePlugIn));
    plugIn = static_cast<OneCameraPlugIn*>(COMHardwarePlugInInterface::FromReference(ref));
    objectID = _CMIOSystemAddPlugIn(ref);
    status = (*ref)->InitializeWithObjectID(ref, objectID);
  }
  ~Loaded() {
    if (ref) {
      (*ref)->Teardown(ref);
      _CMIOSystemRemovePlugIn(ref);
      (*ref)->Release(ref);
    }
  }
  CMIOHardwarePlugInRef ref = nullptr;
  OneCameraPlugIn* plugIn = nullptr;
  CMIOObjectID objectID = 0;
  OSStatus status = -1;
};

CMIOObjectPropertyAddress address(UInt32 selector) {
  return {selector, kCMIOObjectPropertyScopeGlobal, kCMIOObjectPropertyElementMain};
}

}  // namespace

TEST(COMHardwarePlugInInterface, FactoryMakesOnlyTheCameraPlugInType) {
  EXPECT_EQ(COMHardwarePlugInInterface::FactoryInstance(IUnknownUUID, makePlugIn), nullptr);
  EXPECT_EQ(COMHardwarePlugInInterface::FactoryInstance(factoryID(), makePlugIn), nullptr);
  Loaded loaded;
  ASSERT_NE(loaded.ref, nullptr);
  EXPECT_EQ(loaded.status, kCMIOHardwareNoError);
  EXPECT_EQ(loaded.plugIn->ReferenceCount(), 1u);
}

TEST(COMHardwarePlugInInterface, QueryInterfaceAnswersOnlyThePlugInInterface) {
  Loaded loaded;
  CMIOHardwarePlugInRef ref = loaded.ref;
  LPVOID found = reinterpret_cast<LPVOID>(0x1);
  EXPECT_EQ((*ref)->QueryInterface(ref, CFUUIDGetUUIDBytes(IUnknownUUID), &found), E_NOINTERFACE);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ((*ref)->QueryInterface(ref, CFUUIDGetUUIDBytes(kCMIOHardwarePlugInInterfaceID), nullptr), E_POINTER);
  EXPECT_EQ((*ref)->QueryInterface(ref, CFUUIDGetUUIDBytes(kCMIOHardwarePlugInInterfaceID), &found), S_OK);
  EXPECT_EQ(found, static_cast<void*>(ref));
  EXPECT_EQ(loaded.plugIn->ReferenceCount(), 2u);
  (*ref)->Release(ref);
}

TEST(COMHardwarePlugInInterface, ThirdReleaseAfterTwoAddRefsDestroys) {
  const int before = gDestroyed;
  auto ref = static_cast<CMIOHardwarePlugInRef>(COMHardwarePlugInInterface::FactoryInstance(kCMIOHardwarePlugInTypeID, makePlugIn));
  EXPECT_EQ((*ref)->AddRef(ref), 2u);
  EXPECT_EQ((*ref)->AddRef(ref), 3u);
  EXPECT_EQ((*ref)->Release(ref), 2u);
  EXPECT_EQ((*ref)->Release(ref), 1u);
  EXPECT_EQ(gDestroyed, before);
  EXPECT_EQ((*ref)->Release(ref), 0u);
  EXPECT_EQ(gDestroyed, before + 1);
}

TEST(COMHardwarePlugInInterface, ReferenceCountSurvivesRacingThreads) {
  Loaded loaded;
  CMIOHardwarePlugInRef ref = loaded.ref;
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([ref] {
      for (int i = 0; i < 20000; ++i) {
        (*ref)->AddRef(ref);
        (*ref)->Release(ref);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(loaded.plugIn->ReferenceCount(), 1u);
}

TEST(COMHardwarePlugInInterface, FixedAnswersOfTheTable) {
  Loaded loaded;
  CMIOHardwarePlugInRef ref = loaded.ref;
  EXPECT_EQ((*ref)->Initialize(ref), kCMIOHardwareUnspecifiedError);
  EXPECT_EQ((*ref)->DeviceSuspend(ref, 0), kCMIOHardwareNoError);
  EXPECT_EQ((*ref)->DeviceResume(ref, 0), kCMIOHardwareNoError);
  EXPECT_EQ((*ref)->DeviceProcessAVCCommand(ref, 0, nullptr), kCMIOHardwareNoError);
  EXPECT_EQ((*ref)->DeviceProcessRS422Command(ref, 0, nullptr), kCMIOHardwareNoError);
  EXPECT_EQ((*ref)->StreamDeckPlay(ref, 0), kCMIOHardwareIllegalOperationError);
  EXPECT_EQ((*ref)->StreamDeckStop(ref, 0), kCMIOHardwareIllegalOperationError);
  EXPECT_EQ((*ref)->StreamDeckJog(ref, 0, 1), kCMIOHardwareIllegalOperationError);
  EXPECT_EQ((*ref)->StreamDeckCueTo(ref, 0, 1.0, true), kCMIOHardwareIllegalOperationError);
}

TEST(COMHardwarePlugInInterface, ForeignReferencesAreRefused) {
  Loaded loaded;
  COMHardwarePlugInRecord forged{&COMHardwarePlugInInterface::sVTBL, COMHardwarePlugInInterface::kFirstMagic, {1},
                                 loaded.plugIn, 0};
  auto ref = reinterpret_cast<CMIOHardwarePlugInRef>(&forged);
  const CMIOObjectPropertyAddress name = address(kCMIOObjectPropertyName);
  EXPECT_FALSE((*ref)->ObjectHasProperty(ref, loaded.objectID, &name));
  Boolean settable = true;
  EXPECT_EQ((*ref)->ObjectIsPropertySettable(ref, loaded.objectID, &name, &settable), kCMIOHardwareUnspecifiedError);
  EXPECT_FALSE(settable);
  EXPECT_EQ((*ref)->Teardown(ref), kCMIOHardwareUnspecifiedError);
  EXPECT_EQ((*ref)->DeviceStartStream(ref, 0, loaded.plugIn->stream->GetObjectID()), kCMIOHardwareUnspecifiedError);
}

TEST(COMHardwarePlugInInterface, UnknownObjectsAnswerBadObject) {
  Loaded loaded;
  CMIOHardwarePlugInRef ref = loaded.ref;
  const CMIOObjectPropertyAddress name = address(kCMIOObjectPropertyName);
  const CMIOObjectID nobody = 999999;
  EXPECT_FALSE((*ref)->ObjectHasProperty(ref, nobody, &name));
  Boolean settable = true;
  EXPECT_EQ((*ref)->ObjectIsPropertySettable(ref, nobody, &name, &settable), kCMIOHardwareBadObjectError);
  EXPECT_FALSE(settable);
  UInt32 size = 1234, used = 5678;
  EXPECT_EQ((*ref)->ObjectGetPropertyDataSize(ref, nobody, &name, 0, nullptr, &size), kCMIOHardwareBadObjectError);
  EXPECT_EQ(size, 1234u);
  CFStringRef value = nullptr;
  EXPECT_EQ((*ref)->ObjectGetPropertyData(ref, nobody, &name, 0, nullptr, 8, &used, &value), kCMIOHardwareBadObjectError);
  EXPECT_EQ(used, 5678u);
  UInt32 one = 1;
  EXPECT_EQ((*ref)->ObjectSetPropertyData(ref, nobody, &name, 0, nullptr, 4, &one), kCMIOHardwareBadObjectError);
  CMSimpleQueueRef queue = nullptr;
  EXPECT_EQ((*ref)->StreamCopyBufferQueue(ref, nobody, nullptr, nullptr, &queue), kCMIOHardwareBadObjectError);
  EXPECT_EQ((*ref)->DeviceStartStream(ref, 0, nobody), kCMIOHardwareBadObjectError);
}

TEST(COMHardwarePlugInInterface, UnknownPropertiesAreNotAnsweredWithSuccess) {
  Loaded loaded;
  CMIOHardwarePlugInRef ref = loaded.ref;
  const CMIOObjectID device = loaded.plugIn->device->GetObjectID();
  const CMIOObjectPropertyAddress unknown = address(FOUR_CHAR_CODE("zzzz"));
  Boolean settable = true;
  EXPECT_EQ((*ref)->ObjectIsPropertySettable(ref, device, &unknown, &settable), kCMIOHardwareUnknownPropertyError);
  EXPECT_FALSE(settable);
  UInt32 size = 7, used = 7;
  EXPECT_EQ((*ref)->ObjectGetPropertyDataSize(ref, device, &unknown, 0, nullptr, &size), kCMIOHardwareUnknownPropertyError);
  EXPECT_EQ(size, 0u);
  UInt64 data = 0;
  EXPECT_EQ((*ref)->ObjectGetPropertyData(ref, device, &unknown, 0, nullptr, 8, &used, &data),
            kCMIOHardwareUnknownPropertyError);
  EXPECT_EQ(used, 0u);
  const CMIOObjectPropertyAddress name = address(kCMIOObjectPropertyName);
  UInt32 one = 1;
  EXPECT_EQ((*ref)->ObjectSetPropertyData(ref, device, &name, 0, nullptr, 4, &one), kCMIOHardwareIllegalOperationError);
}

TEST(COMHardwarePlugInInterface, StreamCallsOnOtherObjectsAnswerBadStream) {
  Loaded loaded;
  CMIOHardwarePlugInRef ref = loaded.ref;
  for (CMIOObjectID notAStream : {loaded.plugIn->device->GetObjectID(), loaded.objectID}) {
    SCOPED_TRACE(notAStream);
    CMSimpleQueueRef queue = nullptr;
    EXPECT_EQ((*ref)->StreamCopyBufferQueue(ref, notAStream, nullptr, nullptr, &queue), kCMIOHardwareBadStreamError);
    EXPECT_EQ(queue, nullptr);
    EXPECT_EQ((*ref)->DeviceStartStream(ref, 0, notAStream), kCMIOHardwareBadStreamError);
    EXPECT_EQ((*ref)->DeviceStopStream(ref, 0, notAStream), kCMIOHardwareBadStreamError);
  }
}

TEST(COMHardwarePlugInInterface, DevicesAndStreamsArePublishedAndTheirRemovalIsTold) {
  auto* loaded = new Loaded();
  const CMIOObjectID device = loaded->plugIn->device->GetObjectID();
  const CMIOObjectID stream = loaded->plugIn->stream->GetObjectID();
  CMIOSystemObject deviceObject{}, streamObject{};
  ASSERT_TRUE(_CMIOSystemGetObject(device, &deviceObject));
  EXPECT_TRUE(deviceObject.published);
  ASSERT_TRUE(_CMIOSystemGetObject(stream, &streamObject));
  EXPECT_EQ(streamObject.owner, device);
  UInt32 streamID = 0, used = 0;
  const CMIOObjectPropertyAddress streams = address(kCMIODevicePropertyStreams);
  EXPECT_EQ((*loaded->ref)->ObjectGetPropertyData(loaded->ref, device, &streams, 0, nullptr, 4, &used, &streamID),
            kCMIOHardwareNoError);
  EXPECT_EQ(streamID, stream);

  // Removing the device tells the system, which forgets it and its stream.
  RemoveDeviceWithStream(*loaded->plugIn, *loaded->plugIn->device, *loaded->plugIn->stream);
  loaded->plugIn->published = false;
  EXPECT_FALSE(_CMIOSystemGetObject(device, nullptr));
  EXPECT_FALSE(_CMIOSystemGetObject(stream, nullptr));
  delete loaded;
}

TEST(COMHardwarePlugInInterface, DeviceStartStreamNeedsOnlyTheStreamID) {
  Loaded loaded;
  CMIOHardwarePlugInRef ref = loaded.ref;
  const CMIOObjectID stream = loaded.plugIn->stream->GetObjectID();
  CMSimpleQueueRef queue = nullptr;
  ASSERT_EQ((*ref)->StreamCopyBufferQueue(ref, stream, nullptr, nullptr, &queue), kCMIOHardwareNoError);
  const RefPtr<opaqueCMSimpleQueue> heldQueue = adopt(queue);
  ASSERT_NE(queue, nullptr);
  EXPECT_EQ((*ref)->DeviceStartStream(ref, 424242, stream), kCMIOHardwareNoError);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (CMSimpleQueueGetCount(queue) == 0 && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_GT(CMSimpleQueueGetCount(queue), 0);
  EXPECT_EQ((*ref)->DeviceStopStream(ref, 424242, stream), kCMIOHardwareNoError);
  loaded.plugIn->stream->Destruct();
  while (const void* buffer = CMSimpleQueueDequeue(queue)) (void)adopt(static_cast<CMSampleBufferRef>(const_cast<void*>(buffer)));
}

TEST(COMHardwarePlugInInterface, FailedChecksReportWhatTheyChecked) {
  Loaded loaded;
  CMIOHardwarePlugInRef ref = loaded.ref;
  COMHardwarePlugInRecord forged{&COMHardwarePlugInInterface::sVTBL, COMHardwarePlugInInterface::kFirstMagic, {1},
                                 loaded.plugIn, 0};
  auto forgedRef = reinterpret_cast<CMIOHardwarePlugInRef>(&forged);
  struct Case {
    const char* name;
    std::function<void()> step;
    std::vector<std::string> texts;
  };
  const std::vector<Case> cases{
      {"factory of another type", [] { COMHardwarePlugInInterface::FactoryInstance(IUnknownUUID, makePlugIn); },
       {" - SRC>>CFEqual(requestedTypeUUID,CFUUIDGetConstantUUIDWithBytes( __null, 0x30, 0x01, 0x0C, 0x1C, 0x93, "
        "0xBF, 0x11, 0xD8, 0x8B, 0x5B, 0x00, 0x0A, 0x95, 0xAF, 0x9C, 0x6A)) in "}},
      {"query of another interface",
       [ref] {
         LPVOID found = nullptr;
         (*ref)->QueryInterface(ref, CFUUIDGetUUIDBytes(IUnknownUUID), &found);
       },
       {" - SRC>>CFEqual(uuidString, hardwarePluginUuid) in "}},
      {"entry with a foreign reference", [forgedRef] { (*forgedRef)->Teardown(forgedRef); },
       {" - SRC>>IUnknownValidPtr(__ptr_IUnknown) in COMHardwarePlugInTable.cpp:", " (Teardown)",
        "REQUIRED_NOT_NULL 0x00000000==NULL : pThis in Teardown LINE# "}},
      {"delete of nothing", [] { COMHardwarePlugInInterface::Delete(nullptr); },
       {"REQUIRED_NOT_NULL 0x00000000==NULL : pIUnknown in Delete LINE# "}},
      {"delete of a foreign reference", [forgedRef] { COMHardwarePlugInInterface::Delete(forgedRef); },
       {" - SRC>>IUnknownValidPtr(__ptr_IUnknown) in COMHardwarePlugInInterface.cpp:", " (Delete)"}},
      {"instance without a factory", [] { delete new OneCameraPlugIn(nullptr); },
       {"REQUIRED_CFTYPEOF inFactoryID==NULL : in ", "REQUIRED_CFTYPEOF mFactoryID==NULL : in "}},
      {"stream call on an unknown id",
       [ref] { (*ref)->DeviceStartStream(ref, 0, 999999); },
       {"REQUIRED_NOT_NULL 0x00000000==NULL : objectWithID in ", "REQUIRED_NOT_NULL 0x00000000==NULL : stream in "}},
      {"objects of an instance the system did not load",
       [] {
         OneCameraPlugIn unloaded(factoryID());
         CMIOObjectID objectID = 0;
         unloaded.CMIOObjectCreate(kCMIOObjectSystemObject, kCMIODeviceClassID, &objectID);
         unloaded.CMIOObjectPublish(kCMIOObjectSystemObject, 5);
       },
       {" - SRC>>result=::CMIOObjectCreate(IUnknown(), owningObjectID, cmioClassID, objectID) in CMIOObjectCreate:",
        " - SRC>>result=CMIOObjectsPublishedAndDied(IUnknown(), owningObjectID, 1, &objectID, 0, 0) in "
        "CMIOObjectPublish:"}},
  };
  MessageCollector console;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    console.drain();
    c.step();
    const std::vector<std::string> lines = console.drain();
    for (const std::string& text : c.texts) {
      bool found = false;
      for (const std::string& line : lines) found = found || line.find(text) != std::string::npos;
      EXPECT_TRUE(found) << "no line with: " << text << "\nlines:\n" << ::testing::PrintToString(lines);
    }
  }
}
