#pragma once
// The rows that describe one audio object in the application's property tables: for each
// property of a fixed list, its label and its value (a text, a number, or the property's own
// string or URL object), in a fixed order; and the short texts of an object's summary.
#include <CoreAudio/AudioHardware.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSString.h>

#include <string>

extern NSString* const NQCoreAudioObjectPropertyName;
extern NSString* const NQCoreAudioObjectPropertyValue;

namespace NQCoreAudio {

enum : UInt32 {
  // A row for a property the object does not have.
  kObjectPropertiesIncludeMissing = 2,
  // A row for any other failed read.
  kObjectPropertiesIncludeFailed = 4,
};

// The rows of the object (autoreleased).
NSArray* sObjectAddProperties(AudioObjectID objectID, UInt32 flags);

std::string ObjectIDDescription(AudioObjectID objectID);
// The class code and the platform's name of the class.
std::string ClassIDDescription(AudioClassID classID);
std::string IntegerDescription(UInt32 value, const char* typeName);
std::string StreamFormatDescription(const AudioStreamBasicDescription& format);

}  // namespace NQCoreAudio
