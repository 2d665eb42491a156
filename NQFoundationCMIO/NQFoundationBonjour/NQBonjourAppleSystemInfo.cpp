#include "NQBonjourAppleSystemInfo.h"

#include <objc/RefPtr.h>

#include <CoreFoundation/CFBundle.h>
#include <CoreFoundation/CFUUID.h>
#include <IOKit/IOKitLib.h>
#include <SystemConfiguration/SystemConfiguration.h>
#include <sys/sysctl.h>
#include <unistd.h>

#include <vector>

#include "NQBonjourCRC64.h"
#include "URequirements.h"

uint64_t NQAppleGetProcessIdentifier() { return (uint64_t(getuid()) << 32) | uint64_t(uint32_t(getpid())); }

CFStringRef NQAppleCopyProcessIdentifierString() {
  return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%08llx"),
                                  static_cast<unsigned long long>(NQAppleGetProcessIdentifier()));
}

CFStringRef NQAppleCopyMachineModelName() {
  const int mib[2] = {CTL_HW, HW_MODEL};
  size_t stringLength = 0;
  if (sysctl(mib, 2, nullptr, &stringLength, nullptr, 0) != 0) stringLength = 0;
  // clang-format off
  if (!REQUIREMENT(stringLength>0)) return nullptr;
  // clang-format on
  std::vector<char> machineModelName(stringLength + 1, '\0');
  if (!REQUIREMENT(sysctl(mib, 2, machineModelName.data(), &stringLength, nullptr, 0) == 0)) return nullptr;
  return CFStringCreateWithCString(nullptr, machineModelName.data(), kCFStringEncodingUTF8);
}

CFStringRef NQAppleCopyCurrentMachineUUID() {
  io_registry_entry_t ioRegistryRoot = IORegistryEntryFromPath(kIOMainPortDefault, "IOService:/");
  // clang-format off
  if (!REQUIREMENT(ioRegistryRoot!=0)) return nullptr;
  // clang-format on
  RefPtr<const NSObject> property = adopt(static_cast<const NSObject*>(
      IORegistryEntryCreateCFProperty(ioRegistryRoot, CFSTR(kIOPlatformUUIDKey), nullptr, 0)));
  IOObjectRelease(ioRegistryRoot);
  CFTypeRef uuid = property.get();
  if (!REQUIRED_CFTYPEOF(uuid, CFStringGetTypeID())) return nullptr;
  return bridge_cast<CFStringRef>(property.leak());
}

CFStringRef NQAppleCopyMachineIDFromUUIDString(CFStringRef machineUUIDString) {
  if (!REQUIRED_CFTYPEOF(machineUUIDString, CFStringGetTypeID())) return nullptr;
  const RefPtr<const __CFUUID> machineUUID = adopt(CFUUIDCreateFromString(nullptr, machineUUIDString));
  CFUUIDRef machineUUIDRef = machineUUID.get();
  if (!REQUIRED_CFTYPEOF(machineUUIDRef, CFUUIDGetTypeID())) return nullptr;
  CFUUIDBytes bytes = CFUUIDGetUUIDBytes(machineUUIDRef);
  CRC64_DIGEST digest;
  digest.HashUpdate(&bytes, sizeof bytes);
  return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%08llX"),
                                  static_cast<unsigned long long>(digest.HashValue()));
}

CFStringRef NQAppleCopyCurrentMachineID() {
  const RefPtr<const __CFString> machineUUID = adopt(NQAppleCopyCurrentMachineUUID());
  CFStringRef machineUUIDString = machineUUID.get();
  if (!REQUIRED_NOT_NULL(machineUUIDString)) return nullptr;
  return NQAppleCopyMachineIDFromUUIDString(machineUUIDString);
}

CFStringRef NQAppleCopyCurrentConsoleUsernameOrNull() { return SCDynamicStoreCopyConsoleUser(nullptr, nullptr, nullptr); }

CFStringRef NQAppleCopyBestLocalizedUserFacingProcessNameFromMainBundle() {
  CFBundleRef mainBundle = CFBundleGetMainBundle();
  if (!mainBundle) return CFSTR("Camera");
  for (CFStringRef key : {CFSTR("CFBundleDisplayName"), CFSTR("CFBundleName"), CFSTR("CFBundleExecutable")}) {
    CFTypeRef value = CFBundleGetValueForInfoDictionaryKey(mainBundle, key);
    if (value && CFGetTypeID(value) == CFStringGetTypeID() && CFStringGetLength(static_cast<CFStringRef>(value)) > 0)
      return CFStringCreateCopy(nullptr, static_cast<CFStringRef>(value));
  }
  CFStringRef identifier = CFBundleGetIdentifier(mainBundle);
  if (identifier) return CFStringCreateCopy(nullptr, identifier);
  return CFSTR("Camera");
}
