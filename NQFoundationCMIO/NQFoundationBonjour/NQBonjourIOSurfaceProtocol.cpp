#include "NQBonjourIOSurfaceProtocol.h"

#include <CoreFoundation/CFNotificationCenter.h>
#include <IOSurface/IOSurface.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "NQBonjourDictionary.h"
#include "URequirements.h"

const CFStringRef BonjourIOSurfaceProtocol_NetServiceType = CFSTR("_qfl_vc_cam._udp.");
const CFStringRef BonjourIOSurfaceProtocol_NetServiceDomain = CFSTR("local.");
const CFStringRef BonjourIOSurfaceProtocol_NotificationNameBase = CFSTR("com.quillfen.frame");

const CFStringRef BonjourIOSurfaceProtocol_VersionKey = CFSTR("com.quillfen.version");
const CFStringRef BonjourIOSurfaceProtocol_MachineIDKey = CFSTR("com.quillfen.sender.id");
const CFStringRef BonjourIOSurfaceProtocol_MachineNameKey = CFSTR("com.quillfen.sender.name");
const CFStringRef BonjourIOSurfaceProtocol_NotificationName0Key = CFSTR("com.quillfen.time.0");
const CFStringRef BonjourIOSurfaceProtocol_NotificationName1Key = CFSTR("com.quillfen.time.1");
const CFStringRef BonjourIOSurfaceProtocol_SurfaceID0Key = CFSTR("com.quillfen.frame.id.0");
const CFStringRef BonjourIOSurfaceProtocol_SurfaceID1Key = CFSTR("com.quillfen.frame.id.1");
const CFStringRef BonjourIOSurfaceProtocol_FrameWidthKey = CFSTR("com.quillfen.frame.width");
const CFStringRef BonjourIOSurfaceProtocol_FrameHeightKey = CFSTR("com.quillfen.frame.height");
const CFStringRef BonjourIOSurfaceProtocol_FrameRateKey = CFSTR("com.quillfen.frame.rate");

CFStringRef BonjourIOSurfaceProtocol_CopyNotificationName(uint64_t processIdentifier, int surfaceNumber) {
  return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%@.%08llX.%d"), BonjourIOSurfaceProtocol_NotificationNameBase,
                                  static_cast<unsigned long long>(processIdentifier), surfaceNumber);
}

// In this order, before anything else of the library runs.
const CFStringRef BonjourIOSurfaceProtocol_NotificationName0 =
    BonjourIOSurfaceProtocol_CopyNotificationName(NQAppleGetProcessIdentifier(), 0);
const CFStringRef BonjourIOSurfaceProtocol_NotificationName1 =
    BonjourIOSurfaceProtocol_CopyNotificationName(NQAppleGetProcessIdentifier(), 1);
const CFStringRef BonjourIOSurfaceProtocol_MachineNameValue = NQAppleCopyMachineModelName();
const CFStringRef BonjourIOSurfaceProtocol_MachineIDValue = NQAppleCopyCurrentMachineID();

CFStringRef BonjourIOSurfaceProtocol_CopyNetServiceName() {
  const RefPtr<const __CFString> username = adopt(NQAppleCopyCurrentConsoleUsernameOrNull());
  CFStringRef usernameOrNull = username.get();
  if (!REQUIRED_CFTYPEOF(usernameOrNull, CFStringGetTypeID())) return CFSTR("unknown");
  const RefPtr<const __CFString> processName = adopt(NQAppleCopyBestLocalizedUserFacingProcessNameFromMainBundle());
  return CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%@ %@.%d"), processName.get(), usernameOrNull, 0);
}

namespace {

void addText(CFMutableDictionaryRef dictionary, CFStringRef key, CFStringRef value) {
  if (value && CFGetTypeID(value) == CFStringGetTypeID()) CFDictionarySetValue(dictionary, key, value);
}

void addFormatted(CFMutableDictionaryRef dictionary, CFStringRef key, CFStringRef format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const RefPtr<const __CFString> value = adopt(CFStringCreateWithFormatAndArguments(nullptr, nullptr, format, arguments));
  va_end(arguments);
  addText(dictionary, key, value.get());
}

}  // namespace

CFMutableDictionaryRef BonjourIOSurfaceProtocol_CopyDictionary(uint32_t surfaceID0, uint32_t surfaceID1,
                                                               double framesPerSecond) {
  NQBonjour::OSDictionary dictionary;
  CFMutableDictionaryRef record = dictionary.get();
  addText(record, BonjourIOSurfaceProtocol_VersionKey, CFSTR("1.000"));
  addText(record, BonjourIOSurfaceProtocol_MachineIDKey, BonjourIOSurfaceProtocol_MachineIDValue);
  addText(record, BonjourIOSurfaceProtocol_MachineNameKey, BonjourIOSurfaceProtocol_MachineNameValue);
  addText(record, BonjourIOSurfaceProtocol_NotificationName0Key, BonjourIOSurfaceProtocol_NotificationName0);
  addText(record, BonjourIOSurfaceProtocol_NotificationName1Key, BonjourIOSurfaceProtocol_NotificationName1);
  addFormatted(record, BonjourIOSurfaceProtocol_SurfaceID0Key, CFSTR("%d"), int(surfaceID0));
  addFormatted(record, BonjourIOSurfaceProtocol_SurfaceID1Key, CFSTR("%d"), int(surfaceID1));
  const RefPtr<__IOSurface> found = adopt(IOSurfaceLookup(surfaceID0));
  IOSurfaceRef surface = found.get();
  if (REQUIRED_CFTYPEOF(surface, IOSurfaceGetTypeID())) {
    addFormatted(record, BonjourIOSurfaceProtocol_FrameWidthKey, CFSTR("%d"), int(IOSurfaceGetWidth(surface)));
    addFormatted(record, BonjourIOSurfaceProtocol_FrameHeightKey, CFSTR("%d"), int(IOSurfaceGetHeight(surface)));
    addFormatted(record, BonjourIOSurfaceProtocol_FrameRateKey, CFSTR("%1.2f"), framesPerSecond);
  }
  return dictionary.release();
}

bool BonjourIOSurfaceProtocol_IsThisMachine(CFDictionaryRef TXTDictionaryRef) {
  if (!REQUIRED_CFTYPEOF(TXTDictionaryRef, CFDictionaryGetTypeID())) return false;
  const RefPtr<const __CFString> machineID =
      adopt(NQBonjour::TXTDictionary::CopyStringValueForKey(TXTDictionaryRef, BonjourIOSurfaceProtocol_MachineIDKey));
  CFStringRef serviceMachineID = machineID.get();
  if (!REQUIRED_CFTYPEOF(serviceMachineID, CFStringGetTypeID())) return false;
  return BonjourIOSurfaceProtocol_MachineIDValue &&
         CFStringCompare(serviceMachineID, BonjourIOSurfaceProtocol_MachineIDValue, kCFCompareCaseInsensitive) ==
             kCFCompareEqualTo;
}

void BonjourIOSurfaceProtocol_BroadcastSurfaceNumber(int surfaceNumber) {
  CFStringRef name = nullptr;
  if (surfaceNumber == 0) {
    name = BonjourIOSurfaceProtocol_NotificationName0;
  } else {
    // clang-format off
    if (!REQUIREMENT(surfaceNumber==1)) return;
    // clang-format on
    name = BonjourIOSurfaceProtocol_NotificationName1;
  }
  CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), name, nullptr, nullptr, true);
}

bool BonjourIOSurfaceProtocol_IsOurNotification(CFStringRef name) {
  if (!name || CFGetTypeID(name) != CFStringGetTypeID()) return false;
  for (CFStringRef ours : {BonjourIOSurfaceProtocol_NotificationName0, BonjourIOSurfaceProtocol_NotificationName1})
    if (ours && CFStringCompare(name, ours, kCFCompareCaseInsensitive) == kCFCompareEqualTo) return true;
  return false;
}

bool BonjourIOSurfaceProtocol_SocketBindWithPortNumber(uint32_t* outPort) {
  if (outPort) *outPort = 0;
  int socketDescriptor = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (!REQUIREMENT(socketDescriptor >= 0)) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  bool bound = REQUIREMENT(bind(socketDescriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) &&
               REQUIREMENT(getsockname(socketDescriptor, reinterpret_cast<sockaddr*>(&address), &length) == 0) &&
               REQUIREMENT(ntohs(address.sin_port) != 0);
  if (!bound) {
    close(socketDescriptor);
    return false;
  }
  // The socket stays open, so that the port stays taken.
  if (outPort) *outPort = ntohs(address.sin_port);
  return true;
}
