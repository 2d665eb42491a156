#include "CFAudioServerPlugInAudioBus.h"

#include "CFAudioServerRequired.h"

using namespace NQCFAudioServer;

CFAudioServerPlugInAudioBus::CFAudioServerPlugInAudioBus(CFStringRef inPlugInName, CFUUIDRef inFactoryID)
    : CFAudioServerPlugInMixDevice(inPlugInName, inFactoryID, "CFAudioServerPlugInAudioBus") {
  m_client.Construct();
  m_client_IN_Device.Construct();
  m_client_OUT_Device.Construct();
}

void CFAudioServerPlugInAudioBus::CheckCircularBuffers() {
  REQUIRED_CODE(m_client_IN_Device.IsValidCircularBuffer(), "m_client_IN_Device.IsValidCircularBuffer()");
  REQUIRED_CODE(m_client_OUT_Device.IsValidCircularBuffer(), "m_client_OUT_Device.IsValidCircularBuffer()");
}

void CFAudioServerPlugInAudioBus::ClearCircularBuffers() {
  m_client_IN_Device.ClearAll();
  m_client_OUT_Device.ClearAll();
}

OSStatus CFAudioServerPlugInAudioBus::DoIOOperation(AudioObjectID inDeviceObjectID,
                                                    AudioObjectID inStreamObjectID, UInt32 inClientID,
                                                    UInt32 inOperationID, UInt32 inIOBufferFrameSize,
                                                    const AudioServerPlugInIOCycleInfo* inIOCycleInfo,
                                                    void* ioMainBuffer, void*) {
  bool proceed = false;
  const OSStatus checked =
      CheckIOOperation(inDeviceObjectID, inStreamObjectID, ioMainBuffer, inIOCycleInfo, proceed);
  if (!proceed) return checked;
  const bool silence = GetMuteOutputValueWithMutex();
  const Float32 volume = GetMasterVolumeOutputValueWithMutex();
  Float32* buffer = static_cast<Float32*>(ioMainBuffer);
  const UInt32 frames = inIOBufferFrameSize;
  const bool noPrimary = IsPrimaryClientIDNotConnected();
  const bool callerIsPrimary = IsPrimaryClientID(inClientID);

  if (inOperationID == kAudioServerPlugInIOOperationWriteMix) {
    const UInt64 t = RingSampleTime(inIOCycleInfo->mOutputTime);
    if (noPrimary) {
      m_client_OUT_Device.ClientWriteNoOutput(frames, t);
      m_client_IN_Device.ClientWriteOutput(silence, volume, frames, buffer, t);
    } else {
      m_client_IN_Device.ClientWriteOutputPre(silence || callerIsPrimary, volume, frames, buffer, t);
      m_client_OUT_Device.ClientWriteOutputPre(silence || !callerIsPrimary, volume, frames, buffer, t);
      m_client_OUT_Device.ClientWriteOutputPost(frames, buffer);
    }
  } else if (inOperationID == kAudioServerPlugInIOOperationReadInput) {
    const UInt64 t = RingSampleTime(inIOCycleInfo->mInputTime);
    if (noPrimary || callerIsPrimary) {
      m_client_IN_Device.ClientReadInput(silence, frames, buffer, t);
      m_client_OUT_Device.ClientReadNoInput(frames, t);
    } else {
      m_client_IN_Device.ClientReadNoInput(frames, t);
      m_client_OUT_Device.ClientReadInput(silence, frames, buffer, t);
    }
  }
  return kAudioHardwareNoError;
}
