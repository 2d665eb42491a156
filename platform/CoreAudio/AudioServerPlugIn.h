#pragma once
// The interface between the audio server and the drivers it loads. A driver is a bundle whose
// Info.plist names a factory for kAudioServerPlugInTypeUUID; the factory answers an IUnknown
// that gives the driver interface below. The server gives each driver a host interface to
// tell it of property changes and to ask for configuration changes, and calls the driver from
// its control threads and from one I/O thread per running device.
#include <CoreAudio/AudioHardwareBase.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFPlugInCOM.h>
#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFUUID.h>
#include <sys/types.h>

// 443ABAB8-E7B3-491A-B985-BEB9187030DB: the plug-in type of audio server drivers.
#define kAudioServerPlugInTypeUUID                                                                          \
  CFUUIDGetConstantUUIDWithBytes(nullptr, 0x44, 0x3A, 0xBA, 0xB8, 0xE7, 0xB3, 0x49, 0x1A, 0xB9, 0x85, 0xBE, \
                                 0xB9, 0x18, 0x70, 0x30, 0xDB)
// EEA5773D-CC43-49F1-8E00-8F96E7D23B17: the driver interface.
#define kAudioServerPlugInDriverInterfaceUUID                                                               \
  CFUUIDGetConstantUUIDWithBytes(nullptr, 0xEE, 0xA5, 0x77, 0x3D, 0xCC, 0x43, 0x49, 0xF1, 0x8E, 0x00, 0x8F, \
                                 0x96, 0xE7, 0xD2, 0x3B, 0x17)

// What the server knows of a client process of a device.
struct AudioServerPlugInClientInfo {
  UInt32 mClientID;
  pid_t mProcessID;
  Boolean mIsNativeEndian;
  CFStringRef mBundleID;  // null for a process without a bundle identifier
};

struct AudioServerPlugInIOCycleInfo {
  UInt64 mIOCycleCounter;
  UInt32 mNominalIOBufferFrameSize;
  AudioTimeStamp mInputTime;
  AudioTimeStamp mOutputTime;
  AudioTimeStamp mCurrentTime;
  Float64 mMainHostTicksPerFrame;
  Float64 mDeviceHostTicksPerFrame;
};

// The I/O operations of one cycle, in the order the server performs them.
enum : UInt32 {
  kAudioServerPlugInIOOperationThread = FOUR_CHAR_CODE("thrd"),
  kAudioServerPlugInIOOperationCycle = FOUR_CHAR_CODE("cycl"),
  kAudioServerPlugInIOOperationReadInput = FOUR_CHAR_CODE("read"),
  kAudioServerPlugInIOOperationConvertInput = FOUR_CHAR_CODE("cinp"),
  kAudioServerPlugInIOOperationProcessInput = FOUR_CHAR_CODE("pinp"),
  kAudioServerPlugInIOOperationProcessOutput = FOUR_CHAR_CODE("pout"),
  kAudioServerPlugInIOOperationMixOutput = FOUR_CHAR_CODE("mixo"),
  kAudioServerPlugInIOOperationProcessMix = FOUR_CHAR_CODE("pmix"),
  kAudioServerPlugInIOOperationConvertMix = FOUR_CHAR_CODE("cmix"),
  kAudioServerPlugInIOOperationWriteMix = FOUR_CHAR_CODE("writ"),
};

// Custom properties of drivers: the type of their data and of their qualifier.
struct AudioServerPlugInCustomPropertyInfo {
  AudioObjectPropertySelector mSelector;
  UInt32 mPropertyDataType;
  UInt32 mQualifierDataType;
};

struct AudioServerPlugInHostInterface;
typedef const AudioServerPlugInHostInterface* AudioServerPlugInHostRef;

struct AudioServerPlugInDriverInterface;
typedef AudioServerPlugInDriverInterface** AudioServerPlugInDriverRef;

struct AudioServerPlugInHostInterface {
  // Tells the server (and through it every client) that properties of the object changed.
  OSStatus (*PropertiesChanged)(AudioServerPlugInHostRef inHost, AudioObjectID inObjectID,
                                UInt32 inNumberAddresses, const AudioObjectPropertyAddress* inAddresses);
  OSStatus (*CopyFromStorage)(AudioServerPlugInHostRef inHost, CFStringRef inKey, CFPropertyListRef* outData);
  OSStatus (*WriteToStorage)(AudioServerPlugInHostRef inHost, CFStringRef inKey, CFPropertyListRef inData);
  OSStatus (*DeleteFromStorage)(AudioServerPlugInHostRef inHost, CFStringRef inKey);
  // Asks the server to stop the device's I/O and call PerformDeviceConfigurationChange with
  // the action and info, then to start it again; the server does it later, on its own thread.
  OSStatus (*RequestDeviceConfigurationChange)(AudioServerPlugInHostRef inHost,
                                               AudioObjectID inDeviceObjectID, UInt64 inChangeAction,
                                               void* inChangeInfo);
};

struct AudioServerPlugInDriverInterface {
  void* _reserved;
  HRESULT (*QueryInterface)(void* inDriver, REFIID inUUID, LPVOID* outInterface);
  ULONG (*AddRef)(void* inDriver);
  ULONG (*Release)(void* inDriver);

  OSStatus (*Initialize)(AudioServerPlugInDriverRef inDriver, AudioServerPlugInHostRef inHost);
  OSStatus (*CreateDevice)(AudioServerPlugInDriverRef inDriver, CFDictionaryRef inDescription,
                           const AudioServerPlugInClientInfo* inClientInfo, AudioObjectID* outDeviceObjectID);
  OSStatus (*DestroyDevice)(AudioServerPlugInDriverRef inDriver, AudioObjectID inDeviceObjectID);
  OSStatus (*AddDeviceClient)(AudioServerPlugInDriverRef inDriver, AudioObjectID inDeviceObjectID,
                              const AudioServerPlugInClientInfo* inClientInfo);
  OSStatus (*RemoveDeviceClient)(AudioServerPlugInDriverRef inDriver, AudioObjectID inDeviceObjectID,
                                 const AudioServerPlugInClientInfo* inClientInfo);
  OSStatus (*PerformDeviceConfigurationChange)(AudioServerPlugInDriverRef inDriver,
                                               AudioObjectID inDeviceObjectID, UInt64 inChangeAction,
                                               void* inChangeInfo);
  OSStatus (*AbortDeviceConfigurationChange)(AudioServerPlugInDriverRef inDriver,
                                             AudioObjectID inDeviceObjectID, UInt64 inChangeAction,
                                             void* inChangeInfo);

  Boolean (*HasProperty)(AudioServerPlugInDriverRef inDriver, AudioObjectID inObjectID,
                         pid_t inClientProcessID, const AudioObjectPropertyAddress* inAddress);
  OSStatus (*IsPropertySettable)(AudioServerPlugInDriverRef inDriver, AudioObjectID inObjectID,
                                 pid_t inClientProcessID, const AudioObjectPropertyAddress* inAddress,
                                 Boolean* outIsSettable);
  OSStatus (*GetPropertyDataSize)(AudioServerPlugInDriverRef inDriver, AudioObjectID inObjectID,
                                  pid_t inClientProcessID, const AudioObjectPropertyAddress* inAddress,
                                  UInt32 inQualifierDataSize, const void* inQualifierData,
                                  UInt32* outDataSize);
  OSStatus (*GetPropertyData)(AudioServerPlugInDriverRef inDriver, AudioObjectID inObjectID,
                              pid_t inClientProcessID, const AudioObjectPropertyAddress* inAddress,
                              UInt32 inQualifierDataSize, const void* inQualifierData, UInt32 inDataSize,
                              UInt32* outDataSize, void* outData);
  OSStatus (*SetPropertyData)(AudioServerPlugInDriverRef inDriver, AudioObjectID inObjectID,
                              pid_t inClientProcessID, const AudioObjectPropertyAddress* inAddress,
                              UInt32 inQualifierDataSize, const void* inQualifierData, UInt32 inDataSize,
                              const void* inData);

  OSStatus (*StartIO)(AudioServerPlugInDriverRef inDriver, AudioObjectID inDeviceObjectID, UInt32 inClientID);
  OSStatus (*StopIO)(AudioServerPlugInDriverRef inDriver, AudioObjectID inDeviceObjectID, UInt32 inClientID);
  OSStatus (*GetZeroTimeStamp)(AudioServerPlugInDriverRef inDriver, AudioObjectID inDeviceObjectID,
                               UInt32 inClientID, Float64* outSampleTime, UInt64* outHostTime,
                               UInt64* outSeed);
  OSStatus (*WillDoIOOperation)(AudioServerPlugInDriverRef inDriver, AudioObjectID inDeviceObjectID,
                                UInt32 inClientID, UInt32 inOperationID, Boolean* outWillDo,
                                Boolean* outWillDoInPlace);
  OSStatus (*BeginIOOperation)(AudioServerPlugInDriverRef inDriver, AudioObjectID inDeviceObjectID,
                               UInt32 inClientID, UInt32 inOperationID, UInt32 inIOBufferFrameSize,
                               const AudioServerPlugInIOCycleInfo* inIOCycleInfo);
  OSStatus (*DoIOOperation)(AudioServerPlugInDriverRef inDriver, AudioObjectID inDeviceObjectID,
                            AudioObjectID inStreamObjectID, UInt32 inClientID, UInt32 inOperationID,
                            UInt32 inIOBufferFrameSize, const AudioServerPlugInIOCycleInfo* inIOCycleInfo,
                            void* ioMainBuffer, void* ioSecondaryBuffer);
  OSStatus (*EndIOOperation)(AudioServerPlugInDriverRef inDriver, AudioObjectID inDeviceObjectID,
                             UInt32 inClientID, UInt32 inOperationID, UInt32 inIOBufferFrameSize,
                             const AudioServerPlugInIOCycleInfo* inIOCycleInfo);
};
