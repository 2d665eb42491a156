#pragma once
// Names and UIDs of the grabber cameras.
#include <CoreFoundation/CFString.h>

namespace NQCMIOGrabber {

// A new UID (+1) from a device name: lower-cased (no locale), the prefix replaced wherever it
// stands (ignoring case), then every space made a point.
CFStringRef CopyGrabberDeviceUID(CFStringRef name, CFStringRef prefix, CFStringRef replacement);

}  // namespace NQCMIOGrabber
