// The registry holds one entry, the platform expert device (object 1), which is also the
// root of the service plane.
#include <CoreFoundation/CFString.h>
#include <IOKit/IOKitLib.h>

#include <cstring>

#include "backend/MachineIdentity.h"

namespace {
constexpr io_object_t kPlatformExpertDevice = 1;
}

const mach_port_t kIOMainPortDefault = MACH_PORT_NULL;
const mach_port_t kIOMasterPortDefault = MACH_PORT_NULL;

io_registry_entry_t IORegistryEntryFromPath(mach_port_t, const char* path) {
  if (path && (strcmp(path, "IOService:/") == 0 || strcmp(path, "IOService:") == 0)) return kPlatformExpertDevice;
  return 0;
}

CFMutableDictionaryRef IOServiceMatching(const char* name) {
  if (!name) return nullptr;
  CFMutableDictionaryRef matching = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                              &kCFTypeDictionaryValueCallBacks);
  CFStringRef className = CFStringCreateWithCString(nullptr, name, kCFStringEncodingUTF8);
  CFDictionarySetValue(matching, CFSTR(kIOProviderClassKey), className);
  CFRelease(className);
  return matching;
}

io_service_t IOServiceGetMatchingService(mach_port_t, CFDictionaryRef matching) {
  if (!matching) return 0;
  auto className = static_cast<CFStringRef>(CFDictionaryGetValue(matching, CFSTR(kIOProviderClassKey)));
  bool platform = className && CFGetTypeID(className) == CFStringGetTypeID() &&
                  CFStringCompare(className, CFSTR(kIOPlatformExpertDeviceClass), 0) == kCFCompareEqualTo;
  CFRelease(matching);
  return platform ? kPlatformExpertDevice : 0;
}

CFTypeRef IORegistryEntryCreateCFProperty(io_registry_entry_t entry, CFStringRef key, CFAllocatorRef, IOOptionBits) {
  if (entry != kPlatformExpertDevice || !key || CFGetTypeID(key) != CFStringGetTypeID()) return nullptr;
  if (CFStringCompare(key, CFSTR(kIOPlatformUUIDKey), 0) != kCFCompareEqualTo) return nullptr;
  std::string uuid = IOKitPlatform::platformUUID();
  if (uuid.empty()) return nullptr;
  return CFStringCreateWithCString(nullptr, uuid.c_str(), kCFStringEncodingUTF8);
}

kern_return_t IOObjectRelease(io_object_t object) {
  return object == kPlatformExpertDevice ? KERN_SUCCESS : KERN_INVALID_ARGUMENT;
}
