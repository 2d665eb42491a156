#include "MediaStatusNames.h"

#include <cstdio>
#include <iterator>

#define STATUS_NAME(name, value) {SInt32(value), #name}

static const RequiredStatusName sCoreMediaIONames[] = {
    STATUS_NAME(kCMIOHardwareNoError, 0),
    STATUS_NAME(kCMIOHardwareNotStoppedError, FOUR_CHAR_CODE("run ")),
    STATUS_NAME(kCMIOHardwareNotRunningError, FOUR_CHAR_CODE("stop")),
    STATUS_NAME(kCMIOHardwareUnspecifiedError, FOUR_CHAR_CODE("what")),
    STATUS_NAME(kCMIOHardwareUnknownPropertyError, FOUR_CHAR_CODE("who?")),
    STATUS_NAME(kCMIOHardwareBadPropertySizeError, FOUR_CHAR_CODE("!siz")),
    STATUS_NAME(kCMIOHardwareIllegalOperationError, FOUR_CHAR_CODE("nope")),
    STATUS_NAME(kCMIOHardwareBadObjectError, FOUR_CHAR_CODE("!obj")),
    STATUS_NAME(kCMIOHardwareBadDeviceError, FOUR_CHAR_CODE("!dev")),
    STATUS_NAME(kCMIOHardwareBadStreamError, FOUR_CHAR_CODE("!str")),
    STATUS_NAME(kCMIOHardwareUnsupportedOperationError, FOUR_CHAR_CODE("unop")),
    STATUS_NAME(kCMIOHardwareSuspendedBySystemError, FOUR_CHAR_CODE("deny")),
    STATUS_NAME(kCMIODeviceUnsupportedFormatError, FOUR_CHAR_CODE("!dat")),
    STATUS_NAME(kCMIODevicePermissionsError, FOUR_CHAR_CODE("!hog")),
};
const RequiredStatusTable kRequiredCoreMediaIOStatusNames{sCoreMediaIONames, std::size(sCoreMediaIONames)};

static const RequiredStatusName sCoreMediaNames[] = {
    STATUS_NAME(kCMFormatDescriptionError_InvalidParameter, -12710),
    STATUS_NAME(kCMFormatDescriptionError_AllocationFailed, -12711),
};
const RequiredStatusTable kRequiredCoreMediaStatusNames{sCoreMediaNames, std::size(sCoreMediaNames)};

static const RequiredStatusName sKernelNames[] = {
    STATUS_NAME(KERN_SUCCESS, 0),
    STATUS_NAME(KERN_INVALID_ADDRESS, 1),
    STATUS_NAME(KERN_PROTECTION_FAILURE, 2),
    STATUS_NAME(KERN_NO_SPACE, 3),
    STATUS_NAME(KERN_INVALID_ARGUMENT, 4),
    STATUS_NAME(KERN_FAILURE, 5),
    STATUS_NAME(KERN_RESOURCE_SHORTAGE, 6),
    STATUS_NAME(KERN_NOT_RECEIVER, 7),
    STATUS_NAME(KERN_NO_ACCESS, 8),
    STATUS_NAME(KERN_MEMORY_FAILURE, 9),
    STATUS_NAME(KERN_MEMORY_ERROR, 10),
    STATUS_NAME(KERN_ALREADY_IN_SET, 11),
    STATUS_NAME(KERN_NOT_IN_SET, 12),
    STATUS_NAME(KERN_NAME_EXISTS, 13),
    STATUS_NAME(KERN_ABORTED, 14),
    STATUS_NAME(KERN_INVALID_NAME, 15),
    STATUS_NAME(KERN_INVALID_TASK, 16),
    STATUS_NAME(KERN_INVALID_RIGHT, 17),
    STATUS_NAME(KERN_INVALID_VALUE, 18),
    STATUS_NAME(KERN_UREFS_OVERFLOW, 19),
    STATUS_NAME(KERN_INVALID_CAPABILITY, 20),
    STATUS_NAME(KERN_RIGHT_EXISTS, 21),
    STATUS_NAME(KERN_INVALID_HOST, 22),
    STATUS_NAME(KERN_MEMORY_PRESENT, 23),
    STATUS_NAME(KERN_MEMORY_DATA_MOVED, 24),
    STATUS_NAME(KERN_MEMORY_RESTART_COPY, 25),
    STATUS_NAME(KERN_INVALID_PROCESSOR_SET, 26),
    STATUS_NAME(KERN_POLICY_LIMIT, 27),
    STATUS_NAME(KERN_INVALID_POLICY, 28),
    STATUS_NAME(KERN_INVALID_OBJECT, 29),
    STATUS_NAME(KERN_ALREADY_WAITING, 30),
    STATUS_NAME(KERN_DEFAULT_SET, 31),
    STATUS_NAME(KERN_EXCEPTION_PROTECTED, 32),
    STATUS_NAME(KERN_INVALID_LEDGER, 33),
    STATUS_NAME(KERN_INVALID_MEMORY_CONTROL, 34),
    STATUS_NAME(KERN_INVALID_SECURITY, 35),
    STATUS_NAME(KERN_NOT_DEPRESSED, 36),
    STATUS_NAME(KERN_TERMINATED, 37),
    STATUS_NAME(KERN_LOCK_SET_DESTROYED, 38),
    STATUS_NAME(KERN_LOCK_UNSTABLE, 39),
    STATUS_NAME(KERN_LOCK_OWNED, 40),
    STATUS_NAME(KERN_LOCK_OWNED_SELF, 41),
    STATUS_NAME(KERN_SEMAPHORE_DESTROYED, 42),
    STATUS_NAME(KERN_RPC_SERVER_TERMINATED, 43),
    STATUS_NAME(KERN_RPC_TERMINATE_ORPHAN, 44),
    STATUS_NAME(KERN_RPC_CONTINUE_ORPHAN, 45),
    STATUS_NAME(KERN_NOT_SUPPORTED, 46),
    STATUS_NAME(KERN_NODE_DOWN, 47),
    STATUS_NAME(KERN_NOT_WAITING, 48),
    STATUS_NAME(KERN_OPERATION_TIMED_OUT, 49),
    STATUS_NAME(KERN_CODESIGN_ERROR, 50),
    STATUS_NAME(KERN_POLICY_STATIC, 51),
    STATUS_NAME(KERN_INSUFFICIENT_BUFFER_SIZE, 52),
};
const RequiredStatusTable kRequiredKernelReturnNames{sKernelNames, std::size(sKernelNames)};

// IOKit's common errors lie in its system's error space: 0xE0000000 plus the code.
#define IOKIT_COMMON(code) (SInt32)(0xE0000000u | (code))

static const RequiredStatusName sIOKitNames[] = {
    STATUS_NAME(kIOReturnSuccess, 0),
    STATUS_NAME(kIOReturnInvalid, IOKIT_COMMON(0x001)),
    STATUS_NAME(kIOReturnError, IOKIT_COMMON(0x2bc)),
    STATUS_NAME(kIOReturnNoMemory, IOKIT_COMMON(0x2bd)),
    STATUS_NAME(kIOReturnNoResources, IOKIT_COMMON(0x2be)),
    STATUS_NAME(kIOReturnIPCError, IOKIT_COMMON(0x2bf)),
    STATUS_NAME(kIOReturnNoDevice, IOKIT_COMMON(0x2c0)),
    STATUS_NAME(kIOReturnNotPrivileged, IOKIT_COMMON(0x2c1)),
    STATUS_NAME(kIOReturnBadArgument, IOKIT_COMMON(0x2c2)),
    STATUS_NAME(kIOReturnLockedRead, IOKIT_COMMON(0x2c3)),
    STATUS_NAME(kIOReturnLockedWrite, IOKIT_COMMON(0x2c4)),
    STATUS_NAME(kIOReturnExclusiveAccess, IOKIT_COMMON(0x2c5)),
    STATUS_NAME(kIOReturnBadMessageID, IOKIT_COMMON(0x2c6)),
    STATUS_NAME(kIOReturnUnsupported, IOKIT_COMMON(0x2c7)),
    STATUS_NAME(kIOReturnVMError, IOKIT_COMMON(0x2c8)),
    STATUS_NAME(kIOReturnInternalError, IOKIT_COMMON(0x2c9)),
    STATUS_NAME(kIOReturnIOError, IOKIT_COMMON(0x2ca)),
    STATUS_NAME(kIOReturnCannotLock, IOKIT_COMMON(0x2cc)),
    STATUS_NAME(kIOReturnNotOpen, IOKIT_COMMON(0x2cd)),
    STATUS_NAME(kIOReturnNotReadable, IOKIT_COMMON(0x2ce)),
    STATUS_NAME(kIOReturnNotWritable, IOKIT_COMMON(0x2cf)),
    STATUS_NAME(kIOReturnNotAligned, IOKIT_COMMON(0x2d0)),
    STATUS_NAME(kIOReturnBadMedia, IOKIT_COMMON(0x2d1)),
    STATUS_NAME(kIOReturnStillOpen, IOKIT_COMMON(0x2d2)),
    STATUS_NAME(kIOReturnRLDError, IOKIT_COMMON(0x2d3)),
    STATUS_NAME(kIOReturnDMAError, IOKIT_COMMON(0x2d4)),
    STATUS_NAME(kIOReturnBusy, IOKIT_COMMON(0x2d5)),
    STATUS_NAME(kIOReturnTimeout, IOKIT_COMMON(0x2d6)),
    STATUS_NAME(kIOReturnOffline, IOKIT_COMMON(0x2d7)),
    STATUS_NAME(kIOReturnNotReady, IOKIT_COMMON(0x2d8)),
    STATUS_NAME(kIOReturnNotAttached, IOKIT_COMMON(0x2d9)),
    STATUS_NAME(kIOReturnNoChannels, IOKIT_COMMON(0x2da)),
    STATUS_NAME(kIOReturnNoSpace, IOKIT_COMMON(0x2db)),
    STATUS_NAME(kIOReturnPortExists, IOKIT_COMMON(0x2dd)),
    STATUS_NAME(kIOReturnCannotWire, IOKIT_COMMON(0x2de)),
    STATUS_NAME(kIOReturnNoInterrupt, IOKIT_COMMON(0x2df)),
    STATUS_NAME(kIOReturnNoFrames, IOKIT_COMMON(0x2e0)),
    STATUS_NAME(kIOReturnMessageTooLarge, IOKIT_COMMON(0x2e1)),
    STATUS_NAME(kIOReturnNotPermitted, IOKIT_COMMON(0x2e2)),
    STATUS_NAME(kIOReturnNoPower, IOKIT_COMMON(0x2e3)),
    STATUS_NAME(kIOReturnNoMedia, IOKIT_COMMON(0x2e4)),
    STATUS_NAME(kIOReturnUnformattedMedia, IOKIT_COMMON(0x2e5)),
    STATUS_NAME(kIOReturnUnsupportedMode, IOKIT_COMMON(0x2e6)),
    STATUS_NAME(kIOReturnUnderrun, IOKIT_COMMON(0x2e7)),
    STATUS_NAME(kIOReturnOverrun, IOKIT_COMMON(0x2e8)),
    STATUS_NAME(kIOReturnDeviceError, IOKIT_COMMON(0x2e9)),
    STATUS_NAME(kIOReturnNoCompletion, IOKIT_COMMON(0x2ea)),
    STATUS_NAME(kIOReturnAborted, IOKIT_COMMON(0x2eb)),
    STATUS_NAME(kIOReturnNoBandwidth, IOKIT_COMMON(0x2ec)),
    STATUS_NAME(kIOReturnNotResponding, IOKIT_COMMON(0x2ed)),
    STATUS_NAME(kIOReturnIsoTooOld, IOKIT_COMMON(0x2ee)),
    STATUS_NAME(kIOReturnIsoTooNew, IOKIT_COMMON(0x2ef)),
    STATUS_NAME(kIOReturnNotFound, IOKIT_COMMON(0x2f0)),
};
const RequiredStatusTable kRequiredIOKitReturnNames{sIOKitNames, std::size(sIOKitNames)};

static const RequiredStatusName sSocketNames[] = {
    STATUS_NAME(kCFSocketSuccess, 0),
    STATUS_NAME(kCFSocketError, -1),
    STATUS_NAME(kCFSocketTimeout, -2),
};
const RequiredStatusTable kRequiredSocketErrorNames{sSocketNames, std::size(sSocketNames)};

const RequiredSecurityStatusName* RequiredSecurityStatusTable::find(SInt32 status) const {
  for (size_t index = 0; index < count; ++index) {
    if (names[index].status == status) return &names[index];
  }
  return nullptr;
}

const char* RequiredSecurityStatusTable::format(SInt32 status, char* buffer, size_t size) const {
  if (const RequiredSecurityStatusName* found = find(status)) {
    snprintf(buffer, size, "%s (%d) %s", found->name, int(status), found->description);
  } else {
    snprintf(buffer, size, "statusValue=%d", int(status));
  }
  return buffer;
}
