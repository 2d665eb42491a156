#include "IOSurfaceSharingNSWindowName.h"

CFStringRef IOSurfaceSharingNSWindow_CopyMangledVersionOfPublishedServerPortName(CFStringRef portName,
                                                                                 uint32_t portNumber) {
  if (!portName) return nullptr;
  if (portNumber == 0)
    return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%@.%@"), portName, CFSTR("NSWindow"));
  return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%@:%u.%@"), portName, portNumber,
                                  CFSTR("NSWindow"));
}
