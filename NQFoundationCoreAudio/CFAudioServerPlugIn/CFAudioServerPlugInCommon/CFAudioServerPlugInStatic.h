#pragma once
// The entry points of the driver interface, shared by every bundle: each takes the bundle's
// device singleton and whether the driver reference the server passed is the bundle's own.
#include <CoreAudio/AudioServerPlugIn.h>

class CFAudioServerPlugInBase;

struct CFAudioServerPlugInStatic_T {
  static HRESULT QueryInterface(CFAudioServerPlugInBase* device, bool isOurs,
                                AudioServerPlugInDriverRef driver, REFIID inUUID, LPVOID* outInterface);
  static ULONG AddRef(CFAudioServerPlugInBase* device, bool isOurs);
  static ULONG Release(CFAudioServerPlugInBase* device, bool isOurs);
  static OSStatus Initialize(CFAudioServerPlugInBase* device, bool isOurs, AudioServerPlugInHostRef inHost);
  static OSStatus CreateDevice(bool isOurs);
  static OSStatus AddDeviceClient(CFAudioServerPlugInBase* device, bool isOurs,
                                  AudioObjectID inDeviceObjectID,
                                  const AudioServerPlugInClientInfo* inClientInfo);
  static OSStatus RemoveDeviceClient(CFAudioServerPlugInBase* device, bool isOurs,
                                     AudioObjectID inDeviceObjectID,
                                     const AudioServerPlugInClientInfo* inClientInfo);
  static OSStatus PerformDeviceConfigurationChange(CFAudioServerPlugInBase* device, bool isOurs,
                                                   AudioObjectID inDeviceObjectID, UInt64 inChangeAction,
                                                   void* inChangeInfo);
  // Abort, BeginIOOperation and EndIOOperation have nothing to do but check the device.
  static OSStatus DeviceOnly(bool isOurs, AudioObjectID inDeviceObjectID);
  static Boolean HasProperty(CFAudioServerPlugInBase* device, bool isOurs, AudioServerPlugInDriverRef driver,
                             AudioObjectID inObjectID, pid_t inClientProcessID,
                             const AudioObjectPropertyAddress* inAddress);
  static OSStatus IsPropertySettable(CFAudioServerPlugInBase* device, bool isOurs,
                                     AudioServerPlugInDriverRef driver, AudioObjectID inObjectID,
                                     pid_t inClientProcessID, const AudioObjectPropertyAddress* inAddress,
                                     Boolean* outIsSettable);
  static OSStatus GetPropertyDataSize(CFAudioServerPlugInBase* device, bool isOurs,
                                      AudioServerPlugInDriverRef driver, AudioObjectID inObjectID,
                                      pid_t inClientProcessID, const AudioObjectPropertyAddress* inAddress,
                                      UInt32 inQualifierDataSize, const void* inQualifierData,
                                      UInt32* outDataSize);
  static OSStatus GetPropertyData(CFAudioServerPlugInBase* device, bool isOurs,
                                  AudioServerPlugInDriverRef driver, AudioObjectID inObjectID,
                                  pid_t inClientProcessID, const AudioObjectPropertyAddress* inAddress,
                                  UInt32 inQualifierDataSize, const void* inQualifierData, UInt32 inDataSize,
                                  UInt32* outDataSize, void* outData);
  static OSStatus SetPropertyData(CFAudioServerPlugInBase* device, bool isOurs,
                                  AudioServerPlugInDriverRef driver, AudioObjectID inObjectID,
                                  pid_t inClientProcessID, const AudioObjectPropertyAddress* inAddress,
                                  UInt32 inQualifierDataSize, const void* inQualifierData, UInt32 inDataSize,
                                  const void* inData);
  static OSStatus StartIO(CFAudioServerPlugInBase* device, bool isOurs, AudioObjectID inDeviceObjectID,
                          UInt32 inClientID);
  static OSStatus StopIO(CFAudioServerPlugInBase* device, bool isOurs, AudioObjectID inDeviceObjectID,
                         UInt32 inClientID);
  static OSStatus GetZeroTimeStamp(CFAudioServerPlugInBase* device, bool isOurs,
                                   AudioObjectID inDeviceObjectID, UInt32 inClientID, Float64* outSampleTime,
                                   UInt64* outHostTime, UInt64* outSeed);
  static OSStatus WillDoIOOperation(CFAudioServerPlugInBase* device, bool isOurs,
                                    AudioObjectID inDeviceObjectID, UInt32 inClientID, UInt32 inOperationID,
                                    Boolean* outWillDo, Boolean* outWillDoInPlace);
  static OSStatus DoIOOperation(CFAudioServerPlugInBase* device, bool isOurs, AudioObjectID inDeviceObjectID,
                                AudioObjectID inStreamObjectID, UInt32 inClientID, UInt32 inOperationID,
                                UInt32 inIOBufferFrameSize, const AudioServerPlugInIOCycleInfo* inIOCycleInfo,
                                void* ioMainBuffer, void* ioSecondaryBuffer);
};
