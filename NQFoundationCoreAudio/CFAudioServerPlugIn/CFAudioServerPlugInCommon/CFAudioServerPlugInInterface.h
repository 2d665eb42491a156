#pragma once
// The driver interface of one bundle: the bundle's device singleton and the function table
// that the audio server calls. The driver reference handed to the server is the address of
// the pointer to the table; every entry point first checks that it is given that reference.
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSString.h>

#include <cstdlib>

#include "CFAudioServerPlugInBase.h"
#include "CFAudioServerPlugInStatic.h"
#include "CFAudioServerRequired.h"

template <class DeviceClass>
class CFAudioServerPlugInInterface_T {
 public:
  // Made by the bundle's static initializer and destroyed at process exit.
  static inline DeviceClass* mSingleton = nullptr;

  static AudioServerPlugInDriverRef DriverRef() { return &sDriverInterfacePointer; }

  // Builds the singleton when the bundle loads.
  static void ConstructSingleton(DeviceClass* device, CFStringRef bundleIdentifier) {
    mSingleton = device;
    mSingleton->SetResourceBundleIdentifier(bundleIdentifier);
    std::atexit([] {
      delete mSingleton;
      mSingleton = nullptr;
    });
  }

  // The body of the bundle's factory function.
  static void* CoCreateInstance(const char* factoryName, CFUUIDRef requestedTypeUUID) {
    NSLog(NSSTR("%s\n"), factoryName);
    if (!REQUIRED_CODE(
            requestedTypeUUID && mSingleton && CFEqual(requestedTypeUUID, kAudioServerPlugInTypeUUID),
            "CFEqual(requestedTypeUUID,kAudioServerPlugInTypeUUID)")) {
      return nullptr;
    }
    mSingleton->CreateInstance(requestedTypeUUID);
    return DriverRef();
  }

 private:
  using Static = CFAudioServerPlugInStatic_T;

  static bool IsOurs(const void* driver) { return driver == DriverRef() && mSingleton; }

  static HRESULT QueryInterface(void* driver, REFIID uuid, LPVOID* out) {
    return Static::QueryInterface(mSingleton, IsOurs(driver), DriverRef(), uuid, out);
  }
  static ULONG AddRef(void* driver) { return Static::AddRef(mSingleton, IsOurs(driver)); }
  static ULONG Release(void* driver) { return Static::Release(mSingleton, IsOurs(driver)); }
  static OSStatus Initialize(AudioServerPlugInDriverRef driver, AudioServerPlugInHostRef host) {
    return Static::Initialize(mSingleton, IsOurs(driver), host);
  }
  static OSStatus CreateDevice(AudioServerPlugInDriverRef driver, CFDictionaryRef,
                               const AudioServerPlugInClientInfo*, AudioObjectID*) {
    return Static::CreateDevice(IsOurs(driver));
  }
  static OSStatus DestroyDevice(AudioServerPlugInDriverRef driver, AudioObjectID) {
    return Static::CreateDevice(IsOurs(driver));
  }
  static OSStatus AddDeviceClient(AudioServerPlugInDriverRef driver, AudioObjectID device,
                                  const AudioServerPlugInClientInfo* info) {
    return Static::AddDeviceClient(mSingleton, IsOurs(driver), device, info);
  }
  static OSStatus RemoveDeviceClient(AudioServerPlugInDriverRef driver, AudioObjectID device,
                                     const AudioServerPlugInClientInfo* info) {
    return Static::RemoveDeviceClient(mSingleton, IsOurs(driver), device, info);
  }
  static OSStatus PerformDeviceConfigurationChange(AudioServerPlugInDriverRef driver, AudioObjectID device,
                                                   UInt64 action, void* info) {
    return Static::PerformDeviceConfigurationChange(mSingleton, IsOurs(driver), device, action, info);
  }
  static OSStatus AbortDeviceConfigurationChange(AudioServerPlugInDriverRef driver, AudioObjectID device,
                                                 UInt64, void*) {
    return Static::DeviceOnly(IsOurs(driver), device);
  }
  static Boolean HasProperty(AudioServerPlugInDriverRef driver, AudioObjectID object, pid_t pid,
                             const AudioObjectPropertyAddress* address) {
    return Static::HasProperty(mSingleton, IsOurs(driver), driver, object, pid, address);
  }
  static OSStatus IsPropertySettable(AudioServerPlugInDriverRef driver, AudioObjectID object, pid_t pid,
                                     const AudioObjectPropertyAddress* address, Boolean* settable) {
    return Static::IsPropertySettable(mSingleton, IsOurs(driver), driver, object, pid, address, settable);
  }
  static OSStatus GetPropertyDataSize(AudioServerPlugInDriverRef driver, AudioObjectID object, pid_t pid,
                                      const AudioObjectPropertyAddress* address, UInt32 qualifierSize,
                                      const void* qualifier, UInt32* size) {
    return Static::GetPropertyDataSize(mSingleton, IsOurs(driver), driver, object, pid, address,
                                       qualifierSize, qualifier, size);
  }
  static OSStatus GetPropertyData(AudioServerPlugInDriverRef driver, AudioObjectID object, pid_t pid,
                                  const AudioObjectPropertyAddress* address, UInt32 qualifierSize,
                                  const void* qualifier, UInt32 inSize, UInt32* outSize, void* data) {
    return Static::GetPropertyData(mSingleton, IsOurs(driver), driver, object, pid, address, qualifierSize,
                                   qualifier, inSize, outSize, data);
  }
  static OSStatus SetPropertyData(AudioServerPlugInDriverRef driver, AudioObjectID object, pid_t pid,
                                  const AudioObjectPropertyAddress* address, UInt32 qualifierSize,
                                  const void* qualifier, UInt32 inSize, const void* data) {
    return Static::SetPropertyData(mSingleton, IsOurs(driver), driver, object, pid, address, qualifierSize,
                                   qualifier, inSize, data);
  }
  static OSStatus StartIO(AudioServerPlugInDriverRef driver, AudioObjectID device, UInt32 client) {
    return Static::StartIO(mSingleton, IsOurs(driver), device, client);
  }
  static OSStatus StopIO(AudioServerPlugInDriverRef driver, AudioObjectID device, UInt32 client) {
    return Static::StopIO(mSingleton, IsOurs(driver), device, client);
  }
  static OSStatus GetZeroTimeStamp(AudioServerPlugInDriverRef driver, AudioObjectID device, UInt32 client,
                                   Float64* sampleTime, UInt64* hostTime, UInt64* seed) {
    return Static::GetZeroTimeStamp(mSingleton, IsOurs(driver), device, client, sampleTime, hostTime, seed);
  }
  static OSStatus WillDoIOOperation(AudioServerPlugInDriverRef driver, AudioObjectID device, UInt32 client,
                                    UInt32 operation, Boolean* willDo, Boolean* inPlace) {
    return Static::WillDoIOOperation(mSingleton, IsOurs(driver), device, client, operation, willDo, inPlace);
  }
  static OSStatus BeginOrEndIOOperation(AudioServerPlugInDriverRef driver, AudioObjectID device, UInt32,
                                        UInt32, UInt32, const AudioServerPlugInIOCycleInfo*) {
    return Static::DeviceOnly(IsOurs(driver), device);
  }
  static OSStatus DoIOOperation(AudioServerPlugInDriverRef driver, AudioObjectID device, AudioObjectID stream,
                                UInt32 client, UInt32 operation, UInt32 frames,
                                const AudioServerPlugInIOCycleInfo* cycle, void* main, void* secondary) {
    return Static::DoIOOperation(mSingleton, IsOurs(driver), device, stream, client, operation, frames, cycle,
                                 main, secondary);
  }

  static inline AudioServerPlugInDriverInterface sDriverInterface = {
      nullptr,
      QueryInterface,
      AddRef,
      Release,
      Initialize,
      CreateDevice,
      DestroyDevice,
      AddDeviceClient,
      RemoveDeviceClient,
      PerformDeviceConfigurationChange,
      AbortDeviceConfigurationChange,
      HasProperty,
      IsPropertySettable,
      GetPropertyDataSize,
      GetPropertyData,
      SetPropertyData,
      StartIO,
      StopIO,
      GetZeroTimeStamp,
      WillDoIOOperation,
      BeginOrEndIOOperation,
      DoIOOperation,
      BeginOrEndIOOperation,
  };
  static inline AudioServerPlugInDriverInterface* sDriverInterfacePointer = &sDriverInterface;
};
