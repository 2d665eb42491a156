#pragma once
// The read-only (IN) and write-only (OUT) devices: one bus that every client writes and
// reads, except that the application may only record from the read-only device and only play
// to the write-only one.
#include "CFAudioServerMixBus.h"
#include "CFAudioServerPlugInMixDevice.h"

class CFAudioServerPlugInAudio_RW : public CFAudioServerPlugInMixDevice {
 public:
  CFAudioServerPlugInAudio_RW(CFStringRef inPlugInName, CFUUIDRef inFactoryID, bool inWriteOnly);

  // Whether the client's read (write) is silenced: by the mute, or for the application on the
  // side it may not use.
  bool ClientMuteReadInput(UInt32 inClientID, bool inMuted) const;
  bool ClientMuteWriteOutput(UInt32 inClientID, bool inMuted) const;

  OSStatus DoIOOperation(AudioObjectID inDeviceObjectID, AudioObjectID inStreamObjectID, UInt32 inClientID,
                         UInt32 inOperationID, UInt32 inIOBufferFrameSize,
                         const AudioServerPlugInIOCycleInfo* inIOCycleInfo, void* ioMainBuffer,
                         void* ioSecondaryBuffer) override;

 protected:
  void CheckCircularBuffers() override;
  void ClearCircularBuffers() override;

 private:
  CFAudioServerMixBus m_client_IO_Device;
  const bool mWriteOnly;
};

class CFAudioServerPlugInAudioReadOnly : public CFAudioServerPlugInAudio_RW {
 public:
  CFAudioServerPlugInAudioReadOnly(CFStringRef inPlugInName, CFUUIDRef inFactoryID)
      : CFAudioServerPlugInAudio_RW(inPlugInName, inFactoryID, false) {}
};

class CFAudioServerPlugInAudioWriteOnly : public CFAudioServerPlugInAudio_RW {
 public:
  CFAudioServerPlugInAudioWriteOnly(CFStringRef inPlugInName, CFUUIDRef inFactoryID)
      : CFAudioServerPlugInAudio_RW(inPlugInName, inFactoryID, true) {}
};
