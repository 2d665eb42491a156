#include "CMIODevicePublishing.h"

#include <URequirements.h>

namespace NQCMIO {

OSStatus PublishDeviceWithStream(COMHardwarePlugInInterface& plugIn, CMIODeviceBase& device, CMIOStreamBase& stream,
                                 CGSize size, void* context) {
  CMIOObjectID deviceID = kCMIOObjectUnknown;
  if (OSStatus status = plugIn.CMIOObjectCreate(kCMIOObjectSystemObject, kCMIODeviceClassID, &deviceID)) return status;
  device.SetObjectID(deviceID);
  device.SetPlugInID(plugIn.PlugIn().GetObjectID());
  plugIn.RegisterObject(&device);
  OSStatus status = plugIn.CMIOObjectPublish(kCMIOObjectSystemObject, deviceID);

  CMIOObjectID streamID = kCMIOObjectUnknown;
  if (status == kCMIOHardwareNoError) status = plugIn.CMIOObjectCreate(deviceID, kCMIOStreamClassID, &streamID);
  if (status == kCMIOHardwareNoError && !REQUIREMENT(stream.Construct(size, context))) {
    status = kCMIOHardwareUnspecifiedError;
  }
  if (status == kCMIOHardwareNoError) {
    stream.SetObjectID(streamID);
    device.SetStreamID(streamID);
    plugIn.RegisterObject(&stream);
    status = plugIn.CMIOObjectPublish(deviceID, streamID);
  }
  if (status != kCMIOHardwareNoError) RemoveDeviceWithStream(plugIn, device, stream);
  return status;
}

void RemoveDeviceWithStream(COMHardwarePlugInInterface& plugIn, CMIODeviceBase& device, CMIOStreamBase& stream) {
  if (stream.GetObjectID() != kCMIOObjectUnknown) plugIn.UnregisterObject(&stream);
  plugIn.UnregisterObject(&device);
  stream.Destruct();
  device.Destruct();
  const CMIOObjectID deviceID = device.GetObjectID();
  if (deviceID != kCMIOObjectUnknown) plugIn.CMIOObjectsDied(kCMIOObjectSystemObject, 1, &deviceID);
}

}  // namespace NQCMIO
