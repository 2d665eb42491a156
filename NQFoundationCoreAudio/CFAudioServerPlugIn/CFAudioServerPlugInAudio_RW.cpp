#include "CFAudioServerPlugInAudio_RW.h"

#include "CFAudioServerRequired.h"

using namespace NQCFAudioServer;

CFAudioServerPlugInAudio_RW::CFAudioServerPlugInAudio_RW(CFStringRef inPlugInName, CFUUIDRef inFactoryID,
                                                         bool inWriteOnly)
    : CFAudioServerPlugInMixDevice(inPlugInName, inFactoryID, "CFAudioServerPlugInAudio_RW"),
      mWriteOnly(inWriteOnly) {
  m_client.Construct();
  m_client_IO_Device.Construct();
}

void CFAudioServerPlugInAudio_RW::CheckCircularBuffers() {
  REQUIRED_CODE(m_client_IO_Device.IsValidCircularBuffer(), "m_client_IO_Device.IsValidCircularBuffer()");
}

bool CFAudioServerPlugInAudio_RW::ClientMuteReadInput(UInt32 inClientID, bool inMuted) const {
  return inMuted || (mWriteOnly && IsPrimaryClientID(inClientID));
}

bool CFAudioServerPlugInAudio_RW::ClientMuteWriteOutput(UInt32 inClientID, bool inMuted) const {
  return inMuted || (!mWriteOnly && IsPrimaryClientID(inClientID));
}

void CFAudioServerPlugInAudio_RW::ClearCircularBuffers() { m_client_IO_Device.ClearAll(); }

OSStatus CFAudioServerPlugInAudio_RW::DoIOOperation(AudioObjectID inDeviceObjectID,
                                                    AudioObjectID inStreamObjectID, UInt32 inClientID,
                                                    UInt32 inOperationID, UInt32 inIOBufferFrameSize,
                                                    const AudioServerPlugInIOCycleInfo* inIOCycleInfo,
                                                    void* ioMainBuffer, void*) {
  bool proceed = false;
  const OSStatus checked =
      CheckIOOperation(inDeviceObjectID, inStreamObjectID, ioMainBuffer, inIOCycleInfo, proceed);
  if (!proceed) return checked;
  const bool muted = GetMuteOutputValueWithMutex();
  Float32* buffer = static_cast<Float32*>(ioMainBuffer);
  if (inOperationID == kAudioServerPlugInIOOperationWriteMix) {
    m_client_IO_Device.ClientWriteOutput(ClientMuteWriteOutput(inClientID, muted),
                                         GetMasterVolumeOutputValueWithMutex(), inIOBufferFrameSize, buffer,
                                         RingSampleTime(inIOCycleInfo->mOutputTime));
  } else if (inOperationID == kAudioServerPlugInIOOperationReadInput) {
    m_client_IO_Device.ClientReadInput(ClientMuteReadInput(inClientID, muted), inIOBufferFrameSize, buffer,
                                       RingSampleTime(inIOCycleInfo->mInputTime));
  }
  return kAudioHardwareNoError;
}
