#include "CMIODevicePublishing.h"

#include <WithRequirements.h>

namespace NQCMIO {

namespace {

// A failed step reports what the camera's construction does, in the words a camera's own
// construction code reads.
bool statusHolds(OSStatus status, const CFLogLocation& site, const char* code) {
  return WithRequirements::statusIs<OSStatus>(status, 0, __CoreMediaIOStatusRequiredBody, site.function, site.file,
                                              site.line, code);
}

bool requirementHolds(bool condition, const CFLogLocation& site, const char* code) {
  if (!condition) __CFRequiredBody(site.file, site.function, site.line, code);
  return condition;
}

OSStatus publishStream(COMHardwarePlugInInterface& plugIn, CMIODeviceBase& device, CMIOStreamBase& stream,
                       CGSize size, void* context, const CFLogLocation& site) {
  OSStatus error = kCMIOHardwareNoError;
  CMIOObjectID streamID = kCMIOObjectUnknown;
  const CMIOObjectID deviceID = device.GetObjectID();
  if (!statusHolds(error = plugIn.CMIOObjectCreate(deviceID, kCMIOStreamClassID, &streamID), site,
                   "SRC>>error = mPlugInOrNull->CMIOObjectCreate(deviceID,kCMIOStreamClassID,&streamID)"))
    return error;
  if (!requirementHolds(stream.Construct(size, context), site, "SRC>>mStream->Construct(mFrameSize, nullptr)"))
    return kCMIOHardwareUnspecifiedError;
  stream.SetObjectID(streamID);
  device.SetStreamID(streamID);
  plugIn.RegisterObject(stream);
  statusHolds(error = plugIn.CMIOObjectPublish(deviceID, streamID), site,
              "SRC>>error = mPlugInOrNull->CMIOObjectPublish(deviceID,streamID)");
  return error;
}

}  // namespace

OSStatus PublishDeviceWithStream(COMHardwarePlugInInterface& plugIn, CMIODeviceBase& device, CMIOStreamBase& stream,
                                 CGSize size, void* context, const CFLogLocation& site) {
  OSStatus error = kCMIOHardwareNoError;
  CMIOObjectID deviceID = kCMIOObjectUnknown;
  if (!statusHolds(error = plugIn.CMIOObjectCreate(kCMIOObjectSystemObject, kCMIODeviceClassID, &deviceID), site,
                   "SRC>>error = inPlugIn.CMIOObjectCreate(kCMIOObjectSystemObject,kCMIODeviceClassID,&deviceID)"))
    return error;
  device.SetObjectID(deviceID);
  device.SetPlugInID(plugIn.PlugIn().GetObjectID());
  plugIn.RegisterObject(device);
  if (statusHolds(error = plugIn.CMIOObjectPublish(kCMIOObjectSystemObject, deviceID), site,
                  "SRC>>error = inPlugIn.CMIOObjectPublish(kCMIOObjectSystemObject,deviceID)")) {
    statusHolds(error = publishStream(plugIn, device, stream, size, context, site), site,
                "SRC>>error = ConstructStream()");
  }
  if (error != kCMIOHardwareNoError) RemoveDeviceWithStream(plugIn, device, stream);
  return error;
}

void RemoveDeviceWithStream(COMHardwarePlugInInterface& plugIn, CMIODeviceBase& device, CMIOStreamBase& stream) {
  if (stream.GetObjectID() != kCMIOObjectUnknown) plugIn.UnregisterObject(stream);
  plugIn.UnregisterObject(device);
  stream.Destruct();
  device.Destruct();
  const CMIOObjectID deviceID = device.GetObjectID();
  if (deviceID != kCMIOObjectUnknown) plugIn.CMIOObjectsDied(kCMIOObjectSystemObject, 1, &deviceID);
}

}  // namespace NQCMIO
