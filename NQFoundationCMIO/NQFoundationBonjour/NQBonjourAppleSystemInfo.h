#pragma once
// Who and where this process is: the process identifier of the notification names, the
// machine's model, UUID and id, the console user and the application's user-facing name.
// Every Copy function answers a new reference (or null).
#include <CoreFoundation/CFString.h>

#include <cstdint>

// The user id in the upper 32 bits, the process id in the lower.
uint64_t NQAppleGetProcessIdentifier();
CFStringRef NQAppleCopyProcessIdentifierString();
CFStringRef NQAppleCopyMachineModelName();
CFStringRef NQAppleCopyCurrentMachineUUID();
CFStringRef NQAppleCopyCurrentMachineID();
// The machine id of a platform UUID text: the CRC-64 of its 16 bytes as "%08llX".
CFStringRef NQAppleCopyMachineIDFromUUIDString(CFStringRef machineUUIDString);
CFStringRef NQAppleCopyCurrentConsoleUsernameOrNull();
CFStringRef NQAppleCopyBestLocalizedUserFacingProcessNameFromMainBundle();
