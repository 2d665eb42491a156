#pragma once
// The object model of the camera system: every plug-in, device and stream is an object with
// a 32-bit id handed out by the system, answering properties by selector, scope and element.
#include <CoreFoundation/CFBase.h>

typedef UInt32 CMIOObjectID;
typedef UInt32 CMIOClassID;
typedef UInt32 CMIOObjectPropertySelector;
typedef UInt32 CMIOObjectPropertyScope;
typedef UInt32 CMIOObjectPropertyElement;

struct CMIOObjectPropertyAddress {
  CMIOObjectPropertySelector mSelector;
  CMIOObjectPropertyScope mScope;
  CMIOObjectPropertyElement mElement;
};

// Status codes of the camera system.
enum : OSStatus {
  kCMIOHardwareNoError = 0,
  kCMIOHardwareNotStoppedError = FOUR_CHAR_CODE("run "),
  kCMIOHardwareNotRunningError = FOUR_CHAR_CODE("stop"),
  kCMIOHardwareUnspecifiedError = FOUR_CHAR_CODE("what"),
  kCMIOHardwareUnknownPropertyError = FOUR_CHAR_CODE("who?"),
  kCMIOHardwareBadPropertySizeError = FOUR_CHAR_CODE("!siz"),
  kCMIOHardwareIllegalOperationError = FOUR_CHAR_CODE("nope"),
  kCMIOHardwareBadObjectError = FOUR_CHAR_CODE("!obj"),
  kCMIOHardwareBadDeviceError = FOUR_CHAR_CODE("!dev"),
  kCMIOHardwareBadStreamError = FOUR_CHAR_CODE("!str"),
  kCMIOHardwareUnsupportedOperationError = FOUR_CHAR_CODE("unop"),
  kCMIOHardwareSuspendedBySystemError = FOUR_CHAR_CODE("deny"),
  kCMIODeviceUnsupportedFormatError = FOUR_CHAR_CODE("!dat"),
  kCMIODevicePermissionsError = FOUR_CHAR_CODE("!hog"),
};

enum : CMIOObjectID {
  kCMIOObjectUnknown = 0,
  kCMIOObjectSystemObject = 1,
};

enum : CMIOClassID {
  kCMIOObjectClassID = FOUR_CHAR_CODE("aobj"),
  kCMIOSystemObjectClassID = FOUR_CHAR_CODE("asys"),
  kCMIOPlugInClassID = FOUR_CHAR_CODE("aplg"),
  kCMIODeviceClassID = FOUR_CHAR_CODE("adev"),
  kCMIOStreamClassID = FOUR_CHAR_CODE("astr"),
  kCMIOObjectClassIDWildcard = FOUR_CHAR_CODE("****"),
};

enum : CMIOObjectPropertyScope {
  kCMIOObjectPropertyScopeGlobal = FOUR_CHAR_CODE("glob"),
  kCMIOObjectPropertyScopeWildcard = FOUR_CHAR_CODE("****"),
  kCMIODevicePropertyScopeInput = FOUR_CHAR_CODE("inpt"),
  kCMIODevicePropertyScopeOutput = FOUR_CHAR_CODE("outp"),
  kCMIODevicePropertyScopePlayThrough = FOUR_CHAR_CODE("ptru"),
};

enum : CMIOObjectPropertyElement {
  kCMIOObjectPropertyElementMaster = 0,
  kCMIOObjectPropertyElementMain = 0,
  kCMIOObjectPropertyElementWildcard = 0xFFFFFFFF,
};

enum : CMIOObjectPropertySelector {
  kCMIOObjectPropertySelectorWildcard = FOUR_CHAR_CODE("****"),

  // Every object.
  kCMIOObjectPropertyClass = FOUR_CHAR_CODE("clas"),
  kCMIOObjectPropertyOwner = FOUR_CHAR_CODE("stdv"),
  kCMIOObjectPropertyCreator = FOUR_CHAR_CODE("oplg"),
  kCMIOObjectPropertyName = FOUR_CHAR_CODE("lnam"),
  kCMIOObjectPropertyManufacturer = FOUR_CHAR_CODE("lmak"),
  kCMIOObjectPropertyElementName = FOUR_CHAR_CODE("lchn"),
  kCMIOObjectPropertyElementCategoryName = FOUR_CHAR_CODE("lccn"),
  kCMIOObjectPropertyElementNumberName = FOUR_CHAR_CODE("lcnn"),
  kCMIOObjectPropertyOwnedObjects = FOUR_CHAR_CODE("ownd"),
  kCMIOObjectPropertyListenerAdded = FOUR_CHAR_CODE("lisa"),
  kCMIOObjectPropertyListenerRemoved = FOUR_CHAR_CODE("lisr"),

  // The system object.
  kCMIOHardwarePropertyProcessIsMaster = FOUR_CHAR_CODE("mast"),
  kCMIOHardwarePropertyIsInitingOrExiting = FOUR_CHAR_CODE("inot"),
  kCMIOHardwarePropertyDevices = FOUR_CHAR_CODE("dev#"),
  kCMIOHardwarePropertyDefaultInputDevice = FOUR_CHAR_CODE("dIn "),
  kCMIOHardwarePropertyDefaultOutputDevice = FOUR_CHAR_CODE("dOut"),
  kCMIOHardwarePropertyDeviceForUID = FOUR_CHAR_CODE("duid"),
  kCMIOHardwarePropertySleepingIsAllowed = FOUR_CHAR_CODE("slep"),
  kCMIOHardwarePropertyUnloadingIsAllowed = FOUR_CHAR_CODE("unld"),
  kCMIOHardwarePropertyPlugInForBundleID = FOUR_CHAR_CODE("pibi"),
  kCMIOHardwarePropertyUserSessionIsActiveOrHeadless = FOUR_CHAR_CODE("user"),
  kCMIOHardwarePropertySuspendedBySystem = FOUR_CHAR_CODE("sbys"),
  kCMIOHardwarePropertyAllowScreenCaptureDevices = FOUR_CHAR_CODE("yes "),
  kCMIOHardwarePropertyAllowWirelessScreenCaptureDevices = FOUR_CHAR_CODE("wscd"),

  // Devices.
  kCMIODevicePropertyPlugIn = FOUR_CHAR_CODE("plug"),
  kCMIODevicePropertyDeviceUID = FOUR_CHAR_CODE("uid "),
  kCMIODevicePropertyModelUID = FOUR_CHAR_CODE("muid"),
  kCMIODevicePropertyTransportType = FOUR_CHAR_CODE("tran"),
  kCMIODevicePropertyDeviceIsAlive = FOUR_CHAR_CODE("livn"),
  kCMIODevicePropertyDeviceHasChanged = FOUR_CHAR_CODE("diff"),
  kCMIODevicePropertyDeviceIsRunning = FOUR_CHAR_CODE("goin"),
  kCMIODevicePropertyDeviceIsRunningSomewhere = FOUR_CHAR_CODE("gone"),
  kCMIODevicePropertyDeviceCanBeDefaultDevice = FOUR_CHAR_CODE("dflt"),
  kCMIODevicePropertyHogMode = FOUR_CHAR_CODE("oink"),
  kCMIODevicePropertyLatency = FOUR_CHAR_CODE("ltnc"),
  kCMIODevicePropertyStreams = FOUR_CHAR_CODE("stm#"),
  kCMIODevicePropertyStreamConfiguration = FOUR_CHAR_CODE("slay"),
  kCMIODevicePropertyDeviceMaster = FOUR_CHAR_CODE("pmnh"),
  kCMIODevicePropertyExcludeNonDALAccess = FOUR_CHAR_CODE("ixna"),
  kCMIODevicePropertyClientSyncDiscontinuity = FOUR_CHAR_CODE("pmcs"),
  kCMIODevicePropertySMPTETimeCallback = FOUR_CHAR_CODE("pmsc"),
  kCMIODevicePropertyCanProcessAVCCommand = FOUR_CHAR_CODE("pmac"),
  kCMIODevicePropertyAVCDeviceType = FOUR_CHAR_CODE("pmat"),
  kCMIODevicePropertyAVCDeviceSignalMode = FOUR_CHAR_CODE("pmsm"),
  kCMIODevicePropertyCanProcessRS422Command = FOUR_CHAR_CODE("r422"),
  kCMIODevicePropertyLocation = FOUR_CHAR_CODE("dloc"),
  kCMIODevicePropertyDeviceHasStreamingError = FOUR_CHAR_CODE("serr"),
  kCMIODevicePropertyCanSwitchFrameRatesWithoutFrameDrops = FOUR_CHAR_CODE("frnd"),
  kCMIODevicePropertyLinkedCoreAudioDeviceUID = FOUR_CHAR_CODE("plud"),
  kCMIODevicePropertyLinkedAndSyncedCoreAudioDeviceUID = FOUR_CHAR_CODE("plsd"),
  kCMIODevicePropertyIIDCInitialUnitSpace = FOUR_CHAR_CODE("iuns"),
  kCMIODevicePropertyIIDCCSRData = FOUR_CHAR_CODE("csrd"),
  kCMIODevicePropertySuspendedByUser = FOUR_CHAR_CODE("sbyu"),
  kCMIODevicePropertyVideoDigitizerComponents = FOUR_CHAR_CODE("vdig"),

  // Streams.
  kCMIOStreamPropertyDirection = FOUR_CHAR_CODE("sdir"),
  kCMIOStreamPropertyTerminalType = FOUR_CHAR_CODE("term"),
  kCMIOStreamPropertyStartingChannel = FOUR_CHAR_CODE("schn"),
  kCMIOStreamPropertyFormatDescription = FOUR_CHAR_CODE("pft "),
  kCMIOStreamPropertyFormatDescriptions = FOUR_CHAR_CODE("pfta"),
  kCMIOStreamPropertyStillImage = FOUR_CHAR_CODE("stmg"),
  kCMIOStreamPropertyStillImageFormatDescriptions = FOUR_CHAR_CODE("stft"),
  kCMIOStreamPropertyFrameRate = FOUR_CHAR_CODE("nfrt"),
  kCMIOStreamPropertyMinimumFrameRate = FOUR_CHAR_CODE("mfrt"),
  kCMIOStreamPropertyFrameRates = FOUR_CHAR_CODE("nfr#"),
  kCMIOStreamPropertyFrameRateRanges = FOUR_CHAR_CODE("frrg"),
  kCMIOStreamPropertyNoDataTimeoutInMSec = FOUR_CHAR_CODE("pmn1"),
  kCMIOStreamPropertyDeviceSyncTimeoutInMSec = FOUR_CHAR_CODE("pmn2"),
  kCMIOStreamPropertyNoDataEventCount = FOUR_CHAR_CODE("pmn3"),
  kCMIOStreamPropertyOutputBufferUnderrunCount = FOUR_CHAR_CODE("pmou"),
  kCMIOStreamPropertyOutputBufferRepeatCount = FOUR_CHAR_CODE("pmor"),
  kCMIOStreamPropertyOutputBufferQueueSize = FOUR_CHAR_CODE("pmoq"),
  kCMIOStreamPropertyOutputBuffersRequiredForStartup = FOUR_CHAR_CODE("pmos"),
  kCMIOStreamPropertyOutputBuffersNeededForThrottledPlayback = FOUR_CHAR_CODE("miff"),
  kCMIOStreamPropertyFirstOutputPresentationTimeStamp = FOUR_CHAR_CODE("popt"),
  kCMIOStreamPropertyEndOfData = FOUR_CHAR_CODE("pmed"),
  kCMIOStreamPropertyClock = FOUR_CHAR_CODE("pmcl"),
  kCMIOStreamPropertyCanProcessDeckCommand = FOUR_CHAR_CODE("pdck"),
  kCMIOStreamPropertyDeck = FOUR_CHAR_CODE("deck"),
  kCMIOStreamPropertyDeckFrameNumber = FOUR_CHAR_CODE("tcod"),
  kCMIOStreamPropertyDeckDropness = FOUR_CHAR_CODE("drop"),
  kCMIOStreamPropertyDeckThreaded = FOUR_CHAR_CODE("thrd"),
  kCMIOStreamPropertyDeckLocal = FOUR_CHAR_CODE("locl"),
  kCMIOStreamPropertyDeckCueing = FOUR_CHAR_CODE("cuei"),
  kCMIOStreamPropertyInitialPresentationTimeStampForLinkedAndSyncedAudio = FOUR_CHAR_CODE("ipls"),
  kCMIOStreamPropertyScheduledOutputNotificationProc = FOUR_CHAR_CODE("sonp"),
  kCMIOStreamPropertyPreferredFormatDescription = FOUR_CHAR_CODE("prfd"),
  kCMIOStreamPropertyPreferredFrameRate = FOUR_CHAR_CODE("prfr"),

  // Controls.
  kCMIOControlPropertyScope = FOUR_CHAR_CODE("cscp"),
  kCMIOControlPropertyElement = FOUR_CHAR_CODE("celm"),
  kCMIOControlPropertyVariant = FOUR_CHAR_CODE("cvar"),
};
