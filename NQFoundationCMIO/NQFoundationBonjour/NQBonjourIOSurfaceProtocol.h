#pragma once
// The surface announcement: a DNS-SD service whose TXT record names the two shared surfaces
// of the sender's ring, and one Darwin notification per frame telling which of the two holds
// it. The record's writer, its readers, and the names of both.
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>

#include <cstdint>

#include "NQBonjourAppleSystemInfo.h"
#include "NQBonjourSurfaceReceiver.h"
#include "NQBonjourSurfaceResolver.h"
#include "NQBonjourTXTDictionary.h"

extern const CFStringRef BonjourIOSurfaceProtocol_NetServiceType;
extern const CFStringRef BonjourIOSurfaceProtocol_NetServiceDomain;
extern const CFStringRef BonjourIOSurfaceProtocol_NotificationNameBase;

extern const CFStringRef BonjourIOSurfaceProtocol_VersionKey;
extern const CFStringRef BonjourIOSurfaceProtocol_MachineIDKey;
extern const CFStringRef BonjourIOSurfaceProtocol_MachineNameKey;
extern const CFStringRef BonjourIOSurfaceProtocol_NotificationName0Key;
extern const CFStringRef BonjourIOSurfaceProtocol_NotificationName1Key;
extern const CFStringRef BonjourIOSurfaceProtocol_SurfaceID0Key;
extern const CFStringRef BonjourIOSurfaceProtocol_SurfaceID1Key;
extern const CFStringRef BonjourIOSurfaceProtocol_FrameWidthKey;
extern const CFStringRef BonjourIOSurfaceProtocol_FrameHeightKey;
extern const CFStringRef BonjourIOSurfaceProtocol_FrameRateKey;

// Made once when the library loads; either identity value may be null.
extern const CFStringRef BonjourIOSurfaceProtocol_NotificationName0;
extern const CFStringRef BonjourIOSurfaceProtocol_NotificationName1;
extern const CFStringRef BonjourIOSurfaceProtocol_MachineNameValue;
extern const CFStringRef BonjourIOSurfaceProtocol_MachineIDValue;

// "%@.%08llX.%d" of the base, a process identifier and a surface number (new reference).
CFStringRef BonjourIOSurfaceProtocol_CopyNotificationName(uint64_t processIdentifier, int surfaceNumber);
// "<application> <console user>.0", or "unknown" without a console user.
CFStringRef BonjourIOSurfaceProtocol_CopyNetServiceName();
// The TXT record's contents (text keys to text values) for the two surfaces; the size and
// rate only when surface 0 can be looked up.
CFMutableDictionaryRef BonjourIOSurfaceProtocol_CopyDictionary(uint32_t surfaceID0, uint32_t surfaceID1,
                                                               double framesPerSecond);
// Whether a decoded record (text keys, data values) was sent from this machine.
bool BonjourIOSurfaceProtocol_IsThisMachine(CFDictionaryRef txtDictionary);
void BonjourIOSurfaceProtocol_BroadcastSurfaceNumber(int surfaceNumber);
bool BonjourIOSurfaceProtocol_IsOurNotification(CFStringRef name);
// Takes a free TCP port and keeps it taken. False, with port 0, when none could be had: a
// port number such as 9 would be a real port that the caller could not tell from success.
bool BonjourIOSurfaceProtocol_SocketBindWithPortNumber(uint32_t* outPort);
