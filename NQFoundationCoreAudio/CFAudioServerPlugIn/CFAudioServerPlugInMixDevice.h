#pragma once
// What the I/O device and the read-only and write-only devices share: the mix client that
// clocks them, the primary clients (the application, recognised by its bundle identifier),
// the start and stop of client I/O, the zero time stamps and the I/O operations they take.
#include <CoreFoundation/CFString.h>

#include <atomic>

#include "CFAudioServerMixClient.h"
#include "CFAudioServerPlugInBase.h"

class CFAudioServerPlugInMixDevice : public CFAudioServerPlugInBase {
 public:
  // The application's bundle identifier.
  static const CFStringRef kPrimaryClientBundleID;

  CFAudioServerPlugInMixDevice(CFStringRef inPlugInName, CFUUIDRef inFactoryID, const char* inClassName);

  OSStatus Initialize(AudioServerPlugInHostRef inHost) override;
  OSStatus PerformDeviceConfigurationChange(AudioObjectID inDeviceObjectID, UInt64 inChangeAction,
                                            void* inChangeInfo) override;
  OSStatus AddDeviceClient(AudioObjectID inDeviceObjectID,
                           const AudioServerPlugInClientInfo* inClientInfo) override;
  OSStatus RemoveDeviceClient(AudioObjectID inDeviceObjectID,
                              const AudioServerPlugInClientInfo* inClientInfo) override;
  OSStatus GetZeroTimeStamp(AudioObjectID inDeviceObjectID, UInt32 inClientID, Float64* outSampleTime,
                            UInt64* outHostTime, UInt64* outSeed) override;
  OSStatus WillDoIOOperation(AudioObjectID inDeviceObjectID, UInt32 inClientID, UInt32 inOperationID,
                             Boolean* outWillDo, Boolean* outWillDoInPlace) override;
  OSStatus StartIO(AudioObjectID inDeviceObjectID, UInt32 inClientID) override;
  OSStatus StopIO(AudioObjectID inDeviceObjectID, UInt32 inClientID) override;
  OSStatus GetDevicePropertyData(const GetDataMessage_t& message) override;

  // Every instance of the application that is a client of the device is a primary client;
  // each leaves the set by its own client id.
  void SetPrimaryClientID(UInt32 inClientID);
  void ClearPrimaryClientID(UInt32 inClientID);
  bool IsPrimaryClientID(UInt32 inClientID) const;
  bool IsPrimaryClientIDNotConnected() const;
  void SetDeviceHostTicksPerFrameWithMutex();

  // Checks the arguments of an I/O operation: wrong ids or a missing buffer answer '!obj'; the
  // null object as the buffer is reported and answers 0. `proceed` tells whether to go on.
  static OSStatus CheckIOOperation(AudioObjectID inDeviceObjectID, AudioObjectID inStreamObjectID,
                                   const void* ioMainBuffer,
                                   const AudioServerPlugInIOCycleInfo* inIOCycleInfo, bool& proceed);

  // The sample time of a cycle time stamp as a ring position; a time before 0 wraps as the
  // ring does.
  static UInt64 RingSampleTime(const AudioTimeStamp& time) { return UInt64(SInt64(time.mSampleTime)); }

 protected:
  CFAudioServerMixClient m_client;

  // Reports a missing ring of the device class at the start of I/O.
  virtual void CheckCircularBuffers() = 0;
  // Empties the rings of the device class.
  virtual void ClearCircularBuffers() = 0;

 private:
  static constexpr size_t kMaxPrimaryClients = 16;

  void LogClientCall(const char* signature, UInt32 clientID) const;
  void LogPrimaryClientChange() const;
  // The client's bundle identifier when it has one of the right type; a client without one is
  // an ordinary client.
  static CFStringRef BundleIDOf(const AudioServerPlugInClientInfo* inClientInfo);
  static bool IsPrimaryBundleID(CFStringRef bundleID);

  const char* mClassName;
  std::atomic<UInt32> mPrimaryClientIDs[kMaxPrimaryClients] = {};
};
