// A camera plug-in built on the framework alone: one device whose stream draws the default
// test pattern, for the camera host and the tests to load.
#include <CMIODevicePublishing.h>
#include <CMIOStreamDrawContext.h>
#include <COMHardwarePlugInInterface.h>

namespace {

class TestCameraPlugIn : public NQCMIO::COMHardwarePlugInInterface {
 public:
  explicit TestCameraPlugIn(CFUUIDRef factoryID)
      : COMHardwarePlugInInterface(factoryID),
        mDevice(Ref<NQCMIO::CMIODeviceBase>::adopt(
            new NQCMIO::CMIODeviceBase(CFSTR("Moxicam Test Pattern"), CFSTR("com.quillfen.moxicam.test.pattern")))) {}

  ~TestCameraPlugIn() override { RemoveCamera(); }

  OSStatus InitializeWithObjectID(CMIOObjectID objectID) override {
    PlugIn().SetObjectID(objectID);
    SetObjectWithID(PlugIn(), objectID);
    RefPtr<NQCMIO::CMIOStreamDrawContext> stream = adopt(new NQCMIO::CMIOStreamDrawContext());
    OSStatus status = NQCMIO::PublishDeviceWithStream(*this, *mDevice, *stream, CGSizeMake(640, 600), nullptr,
                                                      NQCMIO_PUBLISHING_SITE);
    if (status == kCMIOHardwareNoError) mStream = std::move(stream);
    return status;
  }

  OSStatus Teardown() override {
    RemoveCamera();
    return kCMIOHardwareNoError;
  }

 private:
  void RemoveCamera() {
    if (!mStream) return;
    NQCMIO::RemoveDeviceWithStream(*this, *mDevice, *mStream);
    mStream = nullptr;
  }

  const Ref<NQCMIO::CMIODeviceBase> mDevice;
  RefPtr<NQCMIO::CMIOStreamDrawContext> mStream;
};

NQCMIO::COMHardwarePlugInInterface* createTestCamera(CFUUIDRef factoryID) { return new TestCameraPlugIn(factoryID); }

}  // namespace

extern "C" __attribute__((visibility("default"))) void* TestCamera_Factory(CFAllocatorRef, CFUUIDRef requestedTypeUUID) {
  return NQCMIO::COMHardwarePlugInInterface::FactoryInstance(requestedTypeUUID, createTestCamera);
}
