#pragma once
// How a plug-in brings a device with its one stream into the system and takes it out again.
#include <URequirements.h>

#include "CMIODeviceBase.h"
#include "CMIOStreamBase.h"
#include "COMHardwarePlugInInterface.h"

namespace NQCMIO {

// Where the steps of making a camera report their failures: the camera's own file and
// function, so that each camera's reports name it (NQCMIO_PUBLISHING_SITE at the call).
#define NQCMIO_PUBLISHING_SITE (CFLogLocation{REQUIRED_FILE_NAME, __FUNCTION__, __LINE__, nullptr})

// Creates, registers and publishes the device (owned by the system object), then constructs
// its stream at `size` with `context` and creates, registers and publishes it (owned by the
// device). A failed step is reported at `site` by what it did and its status is answered;
// then nothing of the device stays registered or published.
OSStatus PublishDeviceWithStream(COMHardwarePlugInInterface& plugIn, CMIODeviceBase& device, CMIOStreamBase& stream,
                                 CGSize size, void* context, const CFLogLocation& site);

// Stops the stream for good, unregisters both objects, destructs them and tells the system
// that the device (and with it its stream) is gone. Calls still running into either object
// keep it until they return.
void RemoveDeviceWithStream(COMHardwarePlugInInterface& plugIn, CMIODeviceBase& device, CMIOStreamBase& stream);

}  // namespace NQCMIO
