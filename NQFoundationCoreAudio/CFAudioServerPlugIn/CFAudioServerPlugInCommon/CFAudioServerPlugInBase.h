#pragma once
// What every virtual device driver shares below its device class: the eleven audio objects,
// the device state guarded by one recursive mutex, the dispatch of property calls by object,
// initialisation, sample-rate configuration changes and the calls back into the audio
// server. The device classes supply the I/O operations.
#include <CoreAudio/AudioServerPlugIn.h>

#include "CFAudioServerObjectIDs.h"
#include "CFAudioServerPlugInAbstract.h"
#include "CFAudioServerPlugInMessages.h"
#include "NQCFAudioServerObject.h"
#include "NQCFPlugInRecursiveMutex.h"

class CFAudioServerPlugInBase : public CFAudioServerPlugInAbstract {
 public:
  using HasPropertyMessage_t = NQCFAudioServer::HasPropertyMessage_t;
  using IsSettableMessage_t = NQCFAudioServer::IsSettableMessage_t;
  using GetDataSizeMessage_t = NQCFAudioServer::GetDataSizeMessage_t;
  using GetDataMessage_t = NQCFAudioServer::GetDataMessage_t;
  using SetDataMessage_t = NQCFAudioServer::SetDataMessage_t;
  using PropertiesChanged = NQCFAudioServer::PropertiesChanged;

  static const Float64 sSampleRateTable[5];
  static constexpr Float32 kVolume_MinDB = -64.0f;
  static constexpr Float32 kVolume_MaxDB = 0.0f;
  static constexpr UInt32 kChannelCount = 2;

  CFAudioServerPlugInBase(CFStringRef inPlugInName, CFUUIDRef inFactoryID);
  ~CFAudioServerPlugInBase() override;

  virtual Boolean HasProperty_Dispatch(const HasPropertyMessage_t& message);
  virtual OSStatus IsPropertySettable_Dispatch(const IsSettableMessage_t& message);
  virtual OSStatus GetPropertyDataSize_Dispatch(const GetDataSizeMessage_t& message);
  virtual OSStatus GetPropertyData_Dispatch(const GetDataMessage_t& message);
  virtual OSStatus SetPropertyData_Dispatch(const SetDataMessage_t& message);

  virtual OSStatus Initialize(AudioServerPlugInHostRef inHost);
  virtual OSStatus PerformDeviceConfigurationChange(AudioObjectID inDeviceObjectID, UInt64 inChangeAction,
                                                    void* inChangeInfo);
  virtual OSStatus AddDeviceClient(AudioObjectID inDeviceObjectID,
                                   const AudioServerPlugInClientInfo* inClientInfo);
  virtual OSStatus RemoveDeviceClient(AudioObjectID inDeviceObjectID,
                                      const AudioServerPlugInClientInfo* inClientInfo);

  virtual OSStatus GetZeroTimeStamp(AudioObjectID inDeviceObjectID, UInt32 inClientID, Float64* outSampleTime,
                                    UInt64* outHostTime, UInt64* outSeed) = 0;
  virtual OSStatus WillDoIOOperation(AudioObjectID inDeviceObjectID, UInt32 inClientID, UInt32 inOperationID,
                                     Boolean* outWillDo, Boolean* outWillDoInPlace) = 0;
  virtual OSStatus DoIOOperation(AudioObjectID inDeviceObjectID, AudioObjectID inStreamObjectID,
                                 UInt32 inClientID, UInt32 inOperationID, UInt32 inIOBufferFrameSize,
                                 const AudioServerPlugInIOCycleInfo* inIOCycleInfo, void* ioMainBuffer,
                                 void* ioSecondaryBuffer) = 0;
  virtual OSStatus StartIO(AudioObjectID inDeviceObjectID, UInt32 inClientID) = 0;
  virtual OSStatus StopIO(AudioObjectID inDeviceObjectID, UInt32 inClientID) = 0;

  // The plug-in object (1).
  virtual Boolean HasPlugInProperty(const HasPropertyMessage_t& message);
  virtual OSStatus IsPlugInPropertySettable(const IsSettableMessage_t& message);
  virtual OSStatus GetPlugInPropertyData(const GetDataMessage_t& message);
  virtual OSStatus GetPlugInPropertyDataSize(const GetDataSizeMessage_t& message);
  virtual OSStatus SetPlugInPropertyData(const SetDataMessage_t& message, PropertiesChanged& changed);
  // The box (2).
  virtual Boolean HasBoxProperty(const HasPropertyMessage_t& message);
  virtual OSStatus IsBoxPropertySettable(const IsSettableMessage_t& message);
  virtual OSStatus GetBoxPropertyDataSize(const GetDataSizeMessage_t& message);
  virtual OSStatus GetBoxPropertyData(const GetDataMessage_t& message);
  virtual OSStatus SetBoxPropertyData(const SetDataMessage_t& message, PropertiesChanged& changed);
  // The device (3).
  virtual Boolean HasDeviceProperty(const AudioObjectPropertyAddress& address);
  virtual Boolean HasDeviceProperty(const HasPropertyMessage_t& message);
  virtual OSStatus IsDevicePropertySettable(const IsSettableMessage_t& message);
  virtual OSStatus GetDevicePropertyDataSize(const GetDataSizeMessage_t& message);
  virtual OSStatus GetDevicePropertyData(const GetDataMessage_t& message);
  virtual OSStatus SetDevicePropertyData(const SetDataMessage_t& message, PropertiesChanged& changed);
  // The streams (4, 8).
  virtual Boolean HasStreamProperty(const HasPropertyMessage_t& message);
  virtual OSStatus IsStreamPropertySettable(const IsSettableMessage_t& message);
  virtual OSStatus GetStreamPropertyDataSize(const GetDataSizeMessage_t& message);
  virtual OSStatus GetStreamMapPropertyData(const GetDataMessage_t& message);
  virtual OSStatus GetStreamPropertyData(const GetDataMessage_t& message);
  virtual OSStatus SetStreamPropertyData(const SetDataMessage_t& message, PropertiesChanged& changed);
  // The controls (5, 6, 7, 9, 10, 11).
  virtual Boolean HasControlProperty(const HasPropertyMessage_t& message);
  virtual OSStatus IsControlPropertySettable(const IsSettableMessage_t& message);
  virtual OSStatus GetControlPropertyDataSize(const GetDataSizeMessage_t& message);
  virtual OSStatus GetControlPropertyData(const GetDataMessage_t& message);
  virtual OSStatus SetControlPropertyData(const SetDataMessage_t& message, PropertiesChanged& changed);

  // The device state, each accessor under the state mutex. An object of the wrong kind is
  // reported and taken as the output side.
  Float64 GetDeviceSampleRateWithMutex();
  // Stores the rate only when the table lists it.
  void SetDeviceSampleRateWithMutex(UInt64 inSampleRate);
  static bool IsSampleRateSupportedFloat64(Float64 inSampleRate);
  bool GetStreamIsActiveWithMutex(AudioObjectID inObjectID);
  // Each setter answers whether the value changed.
  bool SetStreamActiveWithMutex(AudioObjectID inObjectID, UInt32 inIsActive);
  Float32 GetMasterVolumeWithMutex(AudioObjectID inObjectID);
  bool SetMasterVolumeWithMutex(AudioObjectID inObjectID, Float32 inGain);
  Float32 GetMasterVolumeOutputValueWithMutex();
  UInt32 GetMuteChannelWithMutex(AudioObjectID inObjectID);
  bool SetMuteChannelWithMutex(AudioObjectID inObjectID, UInt32 inMute);
  bool GetMuteOutputValueWithMutex();
  UInt32 GetDataSourceMasterWithMutex(AudioObjectID inObjectID);
  bool SetDataSourceMasterWithMutex(AudioObjectID inObjectID, UInt32 inItem);
  // A retained copy (+1) of the box name, or null.
  CFStringRef CopyBoxPropertyNameStringWithMutex();
  void SetBoxPropertyNameStringWithMutex(CFStringRef inBoxPropertyName);

  // The identifier of the bundle whose resources the device's icon comes from.
  void SetResourceBundleIdentifier(CFStringRef inBundleIdentifier);
  CFStringRef ResourceBundleIdentifier() const { return mResourceBundleIdentifier.get(); }

  // The names and identifiers the device shows, each a new string (+1).
  CFStringRef CopyDevicePropertyNameStringRef() const;
  CFStringRef CopyBoxUIDString() const;
  CFStringRef CopyDeviceUIDString() const;
  CFStringRef CopyDeviceModelUIDString() const;
  CFStringRef CopyDataSourcePropertyNameString(UInt32 inItem) const;

  // The stream format of both streams at a rate: 2 channels of packed native Float32.
  static void SetAudioStreamBasicDescriptionWithSampleRate(AudioStreamBasicDescription& outFormat,
                                                           Float64 inRate);
  static void SetStreamRangedDescriptionWithSampleRate(AudioStreamRangedDescription& outFormat,
                                                       Float64 inRate);
  static void SetSampleRangeWithSampleRate(AudioValueRange& outRange, Float64 inRate);

  // Calls into the audio server; a missing host is reported and nothing is sent.
  void NotifyPropertiesChanged(AudioObjectID inObjectID, const PropertiesChanged& inChanged);
  void RequestDeviceConfigurationChangeAsync(AudioObjectID inDeviceObjectID, UInt64 inChangeAction);
  void HostRequesDeviceConfigurationChangeSampleRate(Float64 inSampleRate);

 protected:
  // The object whose map answers for an id of the dispatch tables.
  const NQCFAudioServer::Object& ObjectForID(AudioObjectID inObjectID) const;
  NQCFPlugIn::recursive_mutex& StateMutex() { return m_state_mutex; }

 private:
  void Construct();
  CFStringRef CopyFormattedUIDString(CFStringRef format) const;
  AudioServerPlugInHostRef GetHostWithMutex();

  RefPtr<const __CFString> mResourceBundleIdentifier;
  RefPtr<const __CFString> mBoxUID;
  RefPtr<const __CFString> mDeviceUID;

  NQCFAudioServer::PlugIn mPlugInObject;
  NQCFAudioServer::Device mDeviceObject;
  NQCFAudioServer::Box mBoxObject;
  NQCFAudioServer::ControlVolume mVolumeInputObject;
  NQCFAudioServer::ControlVolume mVolumeOutputObject;
  NQCFAudioServer::ControlMute mMuteInputObject;
  NQCFAudioServer::ControlMute mMuteOutputObject;
  NQCFAudioServer::Stream mStreamInputObject;
  NQCFAudioServer::Stream mStreamOutputObject;
  NQCFAudioServer::ControlData mDataSourceInputObject;
  NQCFAudioServer::ControlData mDataSourceOutputObject;

  NQCFPlugIn::recursive_mutex m_state_mutex;
  AudioServerPlugInHostRef mHost = nullptr;
  RefPtr<const __CFString> mBoxName;
  Float64 mSampleRate = 0;
  UInt8 mStreamActiveInput = 1;
  UInt8 mStreamActiveOutput = 1;
  Float32 mMasterVolumeInput = 1.0f;
  Float32 mMasterVolumeOutput = 1.0f;
  UInt8 mMuteInput = 0;
  UInt8 mMuteOutput = 0;
  UInt32 mDataSourceInput = 0;
  UInt32 mDataSourceOutput = 0;
};
