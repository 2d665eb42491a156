#include "CFAudioServerObjectIDs.h"

#include <cstdio>
#include <cstring>

namespace NQCFAudioServer {

ObjectLogName LogNameOfObjectID(AudioObjectID objectID) {
  static const char* const kNames[] = {"PlugIn", "Box",       "Device",    "StreamIn", "VolumeIn", "MuteIn",
                                       "DataIn", "StreamOut", "VolumeOut", "MuteOut",  "DataOut"};
  ObjectLogName name{};
  if (objectID >= kObjectID_PlugIn && objectID <= kObjectID_DataSource_Output_Master) {
    std::snprintf(name.text, sizeof name.text, "%s", kNames[objectID - kObjectID_PlugIn]);
  } else {
    std::snprintf(name.text, sizeof name.text, "[ObjectID:%08x]", unsigned(objectID));
  }
  return name;
}

FourCCText FourCCTextOf(UInt32 code) {
  FourCCText text{};
  for (int i = 0; i < 4; ++i) {
    const char character = char((code >> (24 - 8 * i)) & 0xFF);
    // A byte that cannot be shown must not reach the log as a control character.
    text.text[i] = (character >= 0x20 && character < 0x7F) ? character : '?';
  }
  return text;
}

}  // namespace NQCFAudioServer
