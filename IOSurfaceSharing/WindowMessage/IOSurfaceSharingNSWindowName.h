#pragma once
// The title of a window that carries window messages, made from the name and port number the
// frames are published under: "<name>:<port>.NSWindow", or "<name>.NSWindow" without a port.
//
// The server and its readers must build the title from the same name, or they never meet: both
// use the name below, the application's Mach service name, with the UDP port.
#include <CoreFoundation/CFString.h>

#include <cstdint>

#define kIOSurfaceSharingPublishedPortName "com.quillfen.Moxicam.IOSurfaceSharing"

// A new string (the caller releases it); null without a port name.
CFStringRef IOSurfaceSharingNSWindow_CopyMangledVersionOfPublishedServerPortName(CFStringRef portName,
                                                                                 uint32_t portNumber);
