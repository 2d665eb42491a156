#pragma once
// Reading an object's properties through its plug-in and putting them into words, as the
// camera host lists them.
#include <CoreMediaIO/CMIOHardwarePlugIn.h>

#include <string>
#include <vector>

namespace CameraHost {

struct PropertyReading {
  CMIOObjectPropertySelector selector = 0;
  bool has = false;
  bool settable = false;
  UInt32 size = 0;
  OSStatus status = kCMIOHardwareNoError;  // of reading the data, when the object has it
  std::string value;                       // the data in words, when it could be read
};

// The selectors the host asks every plug-in object, device and stream about.
const std::vector<CMIOObjectPropertySelector>& plugInSelectors();
const std::vector<CMIOObjectPropertySelector>& deviceSelectors();
const std::vector<CMIOObjectPropertySelector>& streamSelectors();

PropertyReading readProperty(CMIOHardwarePlugInRef plugIn, CMIOObjectID objectID, CMIOObjectPropertySelector selector);
// A CF string property, or "" when there is none.
std::string readStringProperty(CMIOHardwarePlugInRef plugIn, CMIOObjectID objectID,
                               CMIOObjectPropertySelector selector);

// "'abcd'" for a code of four printable characters, its decimal value otherwise.
std::string fourCharText(UInt32 code);
std::string statusText(OSStatus status);
// One line: "property <sel> has=<0|1> settable=<0|1> size=<n>[ value=<text>|status=<status>]".
std::string describe(const PropertyReading& reading);

}  // namespace CameraHost
