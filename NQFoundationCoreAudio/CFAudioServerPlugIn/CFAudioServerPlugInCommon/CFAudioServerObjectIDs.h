#pragma once
// The eleven audio objects that every virtual device driver publishes, by their fixed ids.
#include <CoreAudio/AudioHardwareBase.h>

namespace NQCFAudioServer {

enum : AudioObjectID {
  kObjectID_PlugIn = kAudioObjectPlugInObject,
  kObjectID_Box = 2,
  kObjectID_Device = 3,
  kObjectID_Stream_Input = 4,
  kObjectID_Volume_Input_Master = 5,
  kObjectID_Mute_Input_Master = 6,
  kObjectID_DataSource_Input_Master = 7,
  kObjectID_Stream_Output = 8,
  kObjectID_Volume_Output_Master = 9,
  kObjectID_Mute_Output_Master = 10,
  kObjectID_DataSource_Output_Master = 11,
};

// What logs print for an object id: "PlugIn", "Box", "Device", "StreamIn", ... or
// "[ObjectID:%08x]" for an id of no object.
struct ObjectLogName {
  char text[24];
};
ObjectLogName LogNameOfObjectID(AudioObjectID objectID);

// A four-character code as its characters, for logs.
struct FourCCText {
  char text[5];
};
FourCCText FourCCTextOf(UInt32 code);

}  // namespace NQCFAudioServer
