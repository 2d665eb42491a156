#pragma once
// How a plug-in brings a device with its one stream into the system and takes it out again.
#include "CMIODeviceBase.h"
#include "CMIOStreamBase.h"
#include "COMHardwarePlugInInterface.h"

namespace NQCMIO {

// Creates, registers and publishes the device and then its stream, which is constructed at
// `size` with `context` in between. On a failure the status is answered and nothing of the
// device stays registered or published.
OSStatus PublishDeviceWithStream(COMHardwarePlugInInterface& plugIn, CMIODeviceBase& device, CMIOStreamBase& stream,
                                 CGSize size, void* context);

// Stops the stream for good, unregisters both objects, destructs them and tells the system
// that the device (and with it its stream) is gone. The caller then deletes them.
void RemoveDeviceWithStream(COMHardwarePlugInInterface& plugIn, CMIODeviceBase& device, CMIOStreamBase& stream);

}  // namespace NQCMIO
