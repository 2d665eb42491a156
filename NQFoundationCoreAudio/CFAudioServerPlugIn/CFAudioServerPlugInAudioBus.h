#pragma once
// The I/O device: two buses between the application and every other client. Without the
// application it is a plain loopback (everyone writes and reads the IN bus); with the
// application connected, the others' playback goes to the application only (IN bus) and the
// application's playback to the others only (OUT bus).
#include "CFAudioServerMixBus.h"
#include "CFAudioServerPlugInMixDevice.h"

class CFAudioServerPlugInAudioBus : public CFAudioServerPlugInMixDevice {
 public:
  CFAudioServerPlugInAudioBus(CFStringRef inPlugInName, CFUUIDRef inFactoryID);

  OSStatus DoIOOperation(AudioObjectID inDeviceObjectID, AudioObjectID inStreamObjectID, UInt32 inClientID,
                         UInt32 inOperationID, UInt32 inIOBufferFrameSize,
                         const AudioServerPlugInIOCycleInfo* inIOCycleInfo, void* ioMainBuffer,
                         void* ioSecondaryBuffer) override;

 protected:
  void CheckCircularBuffers() override;
  void ClearCircularBuffers() override;

 private:
  CFAudioServerMixBus m_client_IN_Device;
  CFAudioServerMixBus m_client_OUT_Device;
};
