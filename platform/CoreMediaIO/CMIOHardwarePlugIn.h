#pragma once
// The interface a camera plug-in offers the system: a COM record whose first field points to
// this function table. The system finds the plug-in's factory for kCMIOHardwarePlugInTypeID
// in its bundle, asks the instance for kCMIOHardwarePlugInInterfaceID and drives it through
// the table; the plug-in announces its objects back with CMIOObjectCreate and
// CMIOObjectsPublishedAndDied.
#include <CoreFoundation/CFPlugInCOM.h>
#include <CoreFoundation/CFUUID.h>
#include <CoreMedia/CMSimpleQueue.h>

#include <CoreMediaIO/CMIOHardwareObject.h>

typedef CMIOObjectID CMIODeviceID;
typedef CMIOObjectID CMIOStreamID;

// Told whenever the stream's queue changes; `token` is the buffer just queued.
typedef void (*CMIODeviceStreamQueueAlteredProc)(CMIOStreamID streamID, void* token, void* refCon);

struct CMIODeviceAVCCommand {
  UInt8* mCommand;
  UInt32 mCommandLength;
  UInt8* mResponse;
  UInt32 mResponseLength;
  UInt32 mResponseUsed;
};

struct CMIODeviceRS422Command {
  UInt8* mCommand;
  UInt32 mCommandLength;
  UInt8* mResponse;
  UInt32 mResponseLength;
  UInt32 mResponseUsed;
};

struct CMIOHardwarePlugInInterface;
typedef CMIOHardwarePlugInInterface** CMIOHardwarePlugInRef;

struct CMIOHardwarePlugInInterface {
  IUNKNOWN_C_GUTS;
  OSStatus (*Initialize)(CMIOHardwarePlugInRef self);
  OSStatus (*InitializeWithObjectID)(CMIOHardwarePlugInRef self, CMIOObjectID objectID);
  OSStatus (*Teardown)(CMIOHardwarePlugInRef self);
  void (*ObjectShow)(CMIOHardwarePlugInRef self, CMIOObjectID objectID);
  Boolean (*ObjectHasProperty)(CMIOHardwarePlugInRef self, CMIOObjectID objectID,
                               const CMIOObjectPropertyAddress* address);
  OSStatus (*ObjectIsPropertySettable)(CMIOHardwarePlugInRef self, CMIOObjectID objectID,
                                       const CMIOObjectPropertyAddress* address, Boolean* isSettable);
  OSStatus (*ObjectGetPropertyDataSize)(CMIOHardwarePlugInRef self, CMIOObjectID objectID,
                                        const CMIOObjectPropertyAddress* address, UInt32 qualifierDataSize,
                                        const void* qualifierData, UInt32* dataSize);
  OSStatus (*ObjectGetPropertyData)(CMIOHardwarePlugInRef self, CMIOObjectID objectID,
                                    const CMIOObjectPropertyAddress* address, UInt32 qualifierDataSize,
                                    const void* qualifierData, UInt32 dataSize, UInt32* dataUsed, void* data);
  OSStatus (*ObjectSetPropertyData)(CMIOHardwarePlugInRef self, CMIOObjectID objectID,
                                    const CMIOObjectPropertyAddress* address, UInt32 qualifierDataSize,
                                    const void* qualifierData, UInt32 dataSize, const void* data);
  OSStatus (*DeviceSuspend)(CMIOHardwarePlugInRef self, CMIODeviceID device);
  OSStatus (*DeviceResume)(CMIOHardwarePlugInRef self, CMIODeviceID device);
  OSStatus (*DeviceStartStream)(CMIOHardwarePlugInRef self, CMIODeviceID device, CMIOStreamID stream);
  OSStatus (*DeviceStopStream)(CMIOHardwarePlugInRef self, CMIODeviceID device, CMIOStreamID stream);
  OSStatus (*DeviceProcessAVCCommand)(CMIOHardwarePlugInRef self, CMIODeviceID device,
                                      CMIODeviceAVCCommand* ioAVCCommand);
  OSStatus (*DeviceProcessRS422Command)(CMIOHardwarePlugInRef self, CMIODeviceID device,
                                        CMIODeviceRS422Command* ioRS422Command);
  OSStatus (*StreamCopyBufferQueue)(CMIOHardwarePlugInRef self, CMIOStreamID stream,
                                    CMIODeviceStreamQueueAlteredProc queueAlteredProc, void* queueAlteredRefCon,
                                    CMSimpleQueueRef* queue);
  OSStatus (*StreamDeckPlay)(CMIOHardwarePlugInRef self, CMIOStreamID stream);
  OSStatus (*StreamDeckStop)(CMIOHardwarePlugInRef self, CMIOStreamID stream);
  OSStatus (*StreamDeckJog)(CMIOHardwarePlugInRef self, CMIOStreamID stream, SInt32 speed);
  OSStatus (*StreamDeckCueTo)(CMIOHardwarePlugInRef self, CMIOStreamID stream, Float64 frameNumber,
                              Boolean playOnCue);
};

// 30010C1C-93BF-11D8-8B5B-000A95AF9C6A: the type that camera plug-in factories make.
#define kCMIOHardwarePlugInTypeID                                                                     \
  CFUUIDGetConstantUUIDWithBytes(nullptr, 0x30, 0x01, 0x0C, 0x1C, 0x93, 0xBF, 0x11, 0xD8, 0x8B, 0x5B, \
                                 0x00, 0x0A, 0x95, 0xAF, 0x9C, 0x6A)
// B89DFABA-93BF-11D8-8EA6-000A95AF9C6A: the interface of the table above.
#define kCMIOHardwarePlugInInterfaceID                                                                \
  CFUUIDGetConstantUUIDWithBytes(nullptr, 0xB8, 0x9D, 0xFA, 0xBA, 0x93, 0xBF, 0x11, 0xD8, 0x8E, 0xA6, \
                                 0x00, 0x0A, 0x95, 0xAF, 0x9C, 0x6A)

// A new object id for an object of the plug-in, owned by `owningObjectID` (the system object
// for devices, the device for streams). kCMIOHardwareIllegalOperationError for a plug-in the
// system did not load, kCMIOHardwareBadObjectError for an unknown owner.
CF_EXPORT OSStatus CMIOObjectCreate(CMIOHardwarePlugInRef owningPlugIn, CMIOObjectID owningObjectID,
                                    CMIOClassID classID, CMIOObjectID* objectID);
// Tells the system which of the plug-in's objects now exist and which are gone.
CF_EXPORT OSStatus CMIOObjectsPublishedAndDied(CMIOHardwarePlugInRef owningPlugIn, CMIOObjectID owningObjectID,
                                               UInt32 numberPublishedCMIOObjects,
                                               const CMIOObjectID publishedCMIOObjects[],
                                               UInt32 numberDeadCMIOObjects, const CMIOObjectID deadCMIOObjects[]);
// Tells the system's listeners that properties of an object changed.
CF_EXPORT OSStatus CMIOObjectPropertiesChanged(CMIOHardwarePlugInRef owningPlugIn, CMIOObjectID objectID,
                                               UInt32 numberAddresses, const CMIOObjectPropertyAddress addresses[]);
