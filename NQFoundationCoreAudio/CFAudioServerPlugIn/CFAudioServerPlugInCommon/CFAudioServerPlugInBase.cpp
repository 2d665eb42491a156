#include "CFAudioServerPlugInBase.h"

#include <algorithm>
#include <iterator>

#include "CFAudioServerRequired.h"
#include "CFPropertyMapTables.h"

using namespace NQCFAudioServer;

const Float64 CFAudioServerPlugInBase::sSampleRateTable[5] = {44100.0, 48000.0, 88200.0, 96000.0, 192000.0};

CFAudioServerPlugInBase::CFAudioServerPlugInBase(CFStringRef inPlugInName, CFUUIDRef inFactoryID)
    : CFAudioServerPlugInAbstract(inPlugInName, inFactoryID),
      mVolumeInputObject(kObjectID_Volume_Input_Master, AudioServerControlVolumeInput_PropertyMap),
      mVolumeOutputObject(kObjectID_Volume_Output_Master, AudioServerControlVolumeOutput_PropertyMap),
      mMuteInputObject(kObjectID_Mute_Input_Master, AudioServerControlMuteInput_PropertyMap),
      mMuteOutputObject(kObjectID_Mute_Output_Master, AudioServerControlMuteOutput_PropertyMap),
      mStreamInputObject(kObjectID_Stream_Input, AudioServerInputStream_PropertyMap),
      mStreamOutputObject(kObjectID_Stream_Output, AudioServerOutputStream_PropertyMap),
      mDataSourceInputObject(kObjectID_DataSource_Input_Master),
      mDataSourceOutputObject(kObjectID_DataSource_Output_Master) {
  Construct();
}

CFAudioServerPlugInBase::~CFAudioServerPlugInBase() = default;

void CFAudioServerPlugInBase::Construct() {
  mBoxUID = adopt(CopyFormattedUIDString(CFSTR("BOX_%@_%@_%ix%i_UUID")));
  mDeviceUID = adopt(CopyFormattedUIDString(CFSTR("DEV_%@_%@_%ix%i_UUID")));
  NQCFPlugIn::recursive_lock_guard guard(m_state_mutex);
  mHost = nullptr;
  mBoxName = RefPtr<const __CFString>(CFSTR("CFAudioServerPlugInBox"));
  mMasterVolumeInput = mMasterVolumeOutput = 1.0f;
  mMuteInput = mMuteOutput = 0;
  mDataSourceInput = mDataSourceOutput = 0;
  mStreamActiveInput = mStreamActiveOutput = 1;
}

const Object& CFAudioServerPlugInBase::ObjectForID(AudioObjectID inObjectID) const {
  switch (inObjectID) {
    case kObjectID_PlugIn:
      return mPlugInObject;
    case kObjectID_Box:
      return mBoxObject;
    case kObjectID_Device:
      return mDeviceObject;
    case kObjectID_Stream_Input:
      return mStreamInputObject;
    case kObjectID_Volume_Input_Master:
      return mVolumeInputObject;
    case kObjectID_Mute_Input_Master:
      return mMuteInputObject;
    case kObjectID_DataSource_Input_Master:
      return mDataSourceInputObject;
    case kObjectID_Stream_Output:
      return mStreamOutputObject;
    case kObjectID_Volume_Output_Master:
      return mVolumeOutputObject;
    case kObjectID_Mute_Output_Master:
      return mMuteOutputObject;
    default:
      return mDataSourceOutputObject;
  }
}

// ----- Dispatch by object -----

namespace {

enum class ObjectKind { PlugIn, Box, Device, Stream, Control, None };

ObjectKind KindOfObjectID(AudioObjectID objectID) {
  switch (objectID) {
    case kObjectID_PlugIn:
      return ObjectKind::PlugIn;
    case kObjectID_Box:
      return ObjectKind::Box;
    case kObjectID_Device:
      return ObjectKind::Device;
    case kObjectID_Stream_Input:
    case kObjectID_Stream_Output:
      return ObjectKind::Stream;
    case kObjectID_Volume_Input_Master:
    case kObjectID_Mute_Input_Master:
    case kObjectID_DataSource_Input_Master:
    case kObjectID_Volume_Output_Master:
    case kObjectID_Mute_Output_Master:
    case kObjectID_DataSource_Output_Master:
      return ObjectKind::Control;
    default:
      return ObjectKind::None;
  }
}

// Logs a handler's failure with the object, the address and where it was answered.
void LogFailedMessage(const char* expectation, const WhereAnswered_t& where, const MessageIn_t& in) {
  const AudioObjectPropertyAddress address = in.Address ? *in.Address : AudioObjectPropertyAddress{};
  __CFRequiredPrintf("REQUIRED_MESSAGE(%s) %s, '%s', '%s', %s, %s, %d, %s\n", expectation,
                     LogNameOfObjectID(in.ObjectID).text, FourCCTextOf(address.mSelector).text,
                     FourCCTextOf(address.mScope).text, CFPropertyMap::CStringFromSelector(address.mSelector),
                     where.function, where.line, where.file);
}

OSStatus Reported(OSStatus status, const WhereAnswered_t* where, const MessageIn_t& in) {
  if (status != kAudioHardwareNoError) LogFailedMessage("status==kAudioHardwareNoError", *where, in);
  return status;
}

}  // namespace

Boolean CFAudioServerPlugInBase::HasProperty_Dispatch(const HasPropertyMessage_t& message) {
  switch (KindOfObjectID(message.in.ObjectID)) {
    case ObjectKind::PlugIn:
      return HasPlugInProperty(message);
    case ObjectKind::Box:
      return HasBoxProperty(message);
    case ObjectKind::Device:
      return HasDeviceProperty(message);
    case ObjectKind::Stream:
      return HasStreamProperty(message);
    case ObjectKind::Control:
      return HasControlProperty(message);
    case ObjectKind::None:
      break;
  }
  return false;
}

OSStatus CFAudioServerPlugInBase::IsPropertySettable_Dispatch(const IsSettableMessage_t& message) {
  OSStatus status = kAudioHardwareBadObjectError;
  switch (KindOfObjectID(message.in.ObjectID)) {
    case ObjectKind::PlugIn:
      status = IsPlugInPropertySettable(message);
      break;
    case ObjectKind::Box:
      status = IsBoxPropertySettable(message);
      break;
    case ObjectKind::Device:
      status = IsDevicePropertySettable(message);
      break;
    case ObjectKind::Stream:
      status = IsStreamPropertySettable(message);
      break;
    case ObjectKind::Control:
      status = IsControlPropertySettable(message);
      break;
    case ObjectKind::None:
      break;
  }
  return Reported(status, message.where, message.in);
}

OSStatus CFAudioServerPlugInBase::GetPropertyDataSize_Dispatch(const GetDataSizeMessage_t& message) {
  OSStatus status = kAudioHardwareBadObjectError;
  switch (KindOfObjectID(message.in.ObjectID)) {
    case ObjectKind::PlugIn:
      status = GetPlugInPropertyDataSize(message);
      break;
    case ObjectKind::Box:
      status = GetBoxPropertyDataSize(message);
      break;
    case ObjectKind::Device:
      status = GetDevicePropertyDataSize(message);
      break;
    case ObjectKind::Stream:
      status = GetStreamPropertyDataSize(message);
      break;
    case ObjectKind::Control:
      status = GetControlPropertyDataSize(message);
      break;
    case ObjectKind::None:
      break;
  }
  return Reported(status, message.where, message.in);
}

OSStatus CFAudioServerPlugInBase::GetPropertyData_Dispatch(const GetDataMessage_t& message) {
  OSStatus status = kAudioHardwareBadObjectError;
  switch (KindOfObjectID(message.in.ObjectID)) {
    case ObjectKind::PlugIn:
      status = GetPlugInPropertyData(message);
      break;
    case ObjectKind::Box:
      status = GetBoxPropertyData(message);
      break;
    case ObjectKind::Device:
      status = GetDevicePropertyData(message);
      break;
    case ObjectKind::Stream:
      status = GetStreamPropertyData(message);
      break;
    case ObjectKind::Control:
      status = GetControlPropertyData(message);
      break;
    case ObjectKind::None:
      __CFRequiredPrintf("REQUIRED message.in.ObjectID = %08lx\n",
                         static_cast<unsigned long>(message.in.ObjectID));
      break;
  }
  return Reported(status, message.where, message.in);
}

OSStatus CFAudioServerPlugInBase::SetPropertyData_Dispatch(const SetDataMessage_t& message) {
  PropertiesChanged changed;
  OSStatus status = kAudioHardwareBadObjectError;
  switch (KindOfObjectID(message.in.ObjectID)) {
    case ObjectKind::PlugIn:
      status = SetPlugInPropertyData(message, changed);
      break;
    case ObjectKind::Box:
      status = SetBoxPropertyData(message, changed);
      break;
    case ObjectKind::Device:
      status = SetDevicePropertyData(message, changed);
      break;
    case ObjectKind::Stream:
      status = SetStreamPropertyData(message, changed);
      break;
    case ObjectKind::Control:
      status = SetControlPropertyData(message, changed);
      break;
    case ObjectKind::None:
      break;
  }
  // What did change is told even when the handler failed afterwards.
  if (changed.mAddressCount > 0) NotifyPropertiesChanged(message.in.ObjectID, changed);
  return Reported(status, message.where, message.in);
}

// ----- Life cycle -----

OSStatus CFAudioServerPlugInBase::Initialize(AudioServerPlugInHostRef inHost) {
  SetDeviceSampleRateWithMutex(UInt64(sSampleRateTable[0]));
  if (!inHost) return kAudioHardwareIllegalOperationError;
  NQCFPlugIn::recursive_lock_guard guard(m_state_mutex);
  mHost = inHost;
  if (!REQUIRED_CFTYPE_AS(mBoxName.get(), CFStringGetTypeID(), "boxNameRef")) {
    mBoxName = RefPtr<const __CFString>(CFSTR("CFAudioServerPlugInBox"));
  }
  return mBoxName ? kAudioHardwareNoError : kAudioHardwareIllegalOperationError;
}

OSStatus CFAudioServerPlugInBase::PerformDeviceConfigurationChange(AudioObjectID inDeviceObjectID,
                                                                   UInt64 inChangeAction, void*) {
  REQUIRED_CODE(inDeviceObjectID == kObjectID_Device, "inDeviceObjectID==kObjectID_Device");
  __CFRequiredPrintf("%s inNewSampleRateViaChangeAction:%08llx\n", __FUNCTION__,
                     static_cast<unsigned long long>(inChangeAction));
  if (!IsSampleRateSupportedFloat64(Float64(inChangeAction))) return kAudioHardwareBadObjectError;
  SetDeviceSampleRateWithMutex(inChangeAction);
  return kAudioHardwareNoError;
}

OSStatus CFAudioServerPlugInBase::AddDeviceClient(AudioObjectID, const AudioServerPlugInClientInfo*) {
  return kAudioHardwareNoError;
}

OSStatus CFAudioServerPlugInBase::RemoveDeviceClient(AudioObjectID, const AudioServerPlugInClientInfo*) {
  return kAudioHardwareNoError;
}

// ----- State -----

AudioServerPlugInHostRef CFAudioServerPlugInBase::GetHostWithMutex() {
  NQCFPlugIn::recursive_lock_guard guard(m_state_mutex);
  return mHost;
}

Float64 CFAudioServerPlugInBase::GetDeviceSampleRateWithMutex() {
  NQCFPlugIn::recursive_lock_guard guard(m_state_mutex);
  return mSampleRate;
}

void CFAudioServerPlugInBase::SetDeviceSampleRateWithMutex(UInt64 inSampleRate) {
  if (!IsSampleRateSupportedFloat64(Float64(inSampleRate))) return;
  NQCFPlugIn::recursive_lock_guard guard(m_state_mutex);
  mSampleRate = Float64(inSampleRate);
}

bool CFAudioServerPlugInBase::IsSampleRateSupportedFloat64(Float64 inSampleRate) {
  return std::find(std::begin(sSampleRateTable), std::end(sSampleRateTable), inSampleRate) !=
         std::end(sSampleRateTable);
}

namespace {

// Which side an object of a pair serves: the input object, or the output one for any other
// id (an id of neither is reported).
bool IsInputSide(AudioObjectID objectID, AudioObjectID inputID, AudioObjectID outputID,
                 const char* function) {
  if (objectID == inputID) return true;
  if (objectID != outputID) {
    __CFRequiredBody(REQUIRED_FILE_NAME, function, __LINE__, "CODE inObjectID==kObjectID_Output");
  }
  return false;
}

template <class Value>
bool Store(Value& field, Value value) {
  const bool changed = field != value;
  field = value;
  return changed;
}

}  // namespace

bool CFAudioServerPlugInBase::GetStreamIsActiveWithMutex(AudioObjectID inObjectID) {
  NQCFPlugIn::recursive_lock_guard guard(m_state_mutex);
  return inObjectID == kObjectID_Stream_Input ? mStreamActiveInput : mStreamActiveOutput;
}

bool CFAudioServerPlugInBase::SetStreamActiveWithMutex(AudioObjectID inObjectID, UInt32 inIsActive) {
  NQCFPlugIn::recursive_lock_guard guard(m_state_mutex);
  const UInt8 value = inIsActive ? 1 : 0;
  return Store(inObjectID == kObjectID_Stream_Input ? mStreamActiveInput : mStreamActiveOutput, value);
}

Float32 CFAudioServerPlugInBase::GetMasterVolumeWithMutex(AudioObjectID inObjectID) {
  const bool input =
      IsInputSide(inObjectID, kObjectID_Volume_Input_Master, kObjectID_Volume_Output_Master, __FUNCTION__);
  NQCFPlugIn::recursive_lock_guard guard(m_state_mutex);
  return input ? mMasterVolumeInput : mMasterVolumeOutput;
}

bool CFAudioServerPlugInBase::SetMasterVolumeWithMutex(AudioObjectID inObjectID, Float32 inGain) {
  const bool input =
      IsInputSide(inObjectID, kObjectID_Volume_Input_Master, kObjectID_Volume_Output_Master, __FUNCTION__);
  NQCFPlugIn::recursive_lock_guard guard(m_state_mutex);
  return Store(input ? mMasterVolumeInput : mMasterVolumeOutput, inGain);
}

Float32 CFAudioServerPlugInBase::GetMasterVolumeOutputValueWithMutex() {
  NQCFPlugIn::recursive_lock_guard guard(m_state_mutex);
  return mMasterVolumeOutput;
}

UInt32 CFAudioServerPlugInBase::GetMuteChannelWithMutex(AudioObjectID inObjectID) {
  const bool input =
      IsInputSide(inObjectID, kObjectID_Mute_Input_Master, kObjectID_Mute_Output_Master, __FUNCTION__);
  NQCFPlugIn::recursive_lock_guard guard(m_state_mutex);
  return input ? mMuteInput : mMuteOutput;
}

bool CFAudioServerPlugInBase::SetMuteChannelWithMutex(AudioObjectID inObjectID, UInt32 inMute) {
  const bool input =
      IsInputSide(inObjectID, kObjectID_Mute_Input_Master, kObjectID_Mute_Output_Master, __FUNCTION__);
  NQCFPlugIn::recursive_lock_guard guard(m_state_mutex);
  const UInt8 value = inMute ? 1 : 0;
  return Store(input ? mMuteInput : mMuteOutput, value);
}

bool CFAudioServerPlugInBase::GetMuteOutputValueWithMutex() {
  NQCFPlugIn::recursive_lock_guard guard(m_state_mutex);
  return mMuteOutput != 0;
}

UInt32 CFAudioServerPlugInBase::GetDataSourceMasterWithMutex(AudioObjectID inObjectID) {
  const bool input = IsInputSide(inObjectID, kObjectID_DataSource_Input_Master,
                                 kObjectID_DataSource_Output_Master, __FUNCTION__);
  NQCFPlugIn::recursive_lock_guard guard(m_state_mutex);
  return input ? mDataSourceInput : mDataSourceOutput;
}

bool CFAudioServerPlugInBase::SetDataSourceMasterWithMutex(AudioObjectID inObjectID, UInt32 inItem) {
  const bool input = IsInputSide(inObjectID, kObjectID_DataSource_Input_Master,
                                 kObjectID_DataSource_Output_Master, __FUNCTION__);
  NQCFPlugIn::recursive_lock_guard guard(m_state_mutex);
  return Store(input ? mDataSourceInput : mDataSourceOutput, inItem);
}

CFStringRef CFAudioServerPlugInBase::CopyBoxPropertyNameStringWithMutex() {
  NQCFPlugIn::recursive_lock_guard guard(m_state_mutex);
  RefPtr<const __CFString> copy = mBoxName;
  return copy.leak();
}

void CFAudioServerPlugInBase::SetBoxPropertyNameStringWithMutex(CFStringRef inBoxPropertyName) {
  NQCFPlugIn::recursive_lock_guard guard(m_state_mutex);
  mBoxName = REQUIRED_CFTYPE_AS(inBoxPropertyName, CFStringGetTypeID(), "inBoxPropertyName")
                 ? RefPtr<const __CFString>(inBoxPropertyName)
                 : nullptr;
}
