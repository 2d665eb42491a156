#include "CMIOPropertyMap.h"

namespace NQCMIO {

const char* CMIOPropertyMap::CStringFromSelector(UInt32 selector) {
  switch (selector) {
    case kCMIOControlPropertyElement: return "kCMIOControlPropertyElement";
    case kCMIOObjectPropertyClass: return "kCMIOObjectPropertyClass";
    case kCMIOControlPropertyScope: return "kCMIOControlPropertyScope";
    case kCMIODevicePropertyIIDCCSRData: return "kCMIODevicePropertyIIDCCSRData";
    case kCMIOStreamPropertyDeckCueing: return "kCMIOStreamPropertyDeckCueing";
    case kCMIOControlPropertyVariant: return "kCMIOControlPropertyVariant";
    case kCMIOHardwarePropertyDefaultInputDevice: return "kCMIOHardwarePropertyDefaultInputDevice";
    case kCMIOHardwarePropertyDefaultOutputDevice: return "kCMIOHardwarePropertyDefaultOutputDevice";
    case kCMIOStreamPropertyDeck: return "kCMIOStreamPropertyDeck";
    case kCMIOHardwarePropertyDevices: return "kCMIOHardwarePropertyDevices";
    case kCMIODevicePropertyDeviceCanBeDefaultDevice: return "kCMIODevicePropertyDeviceCanBeDefaultDevice";
    case kCMIODevicePropertyDeviceHasChanged: return "kCMIODevicePropertyDeviceHasChanged";
    case kCMIODevicePropertyLocation: return "kCMIODevicePropertyLocation";
    case kCMIOStreamPropertyDeckDropness: return "kCMIOStreamPropertyDeckDropness";
    case kCMIOHardwarePropertyDeviceForUID: return "kCMIOHardwarePropertyDeviceForUID";
    case kCMIODevicePropertyCanSwitchFrameRatesWithoutFrameDrops:
      return "kCMIODevicePropertyCanSwitchFrameRatesWithoutFrameDrops";
    case kCMIOStreamPropertyFrameRateRanges: return "kCMIOStreamPropertyFrameRateRanges";
    case kCMIODevicePropertyDeviceIsRunning: return "kCMIODevicePropertyDeviceIsRunning";
    case kCMIODevicePropertyDeviceIsRunningSomewhere: return "kCMIODevicePropertyDeviceIsRunningSomewhere";
    case kCMIOHardwarePropertyIsInitingOrExiting: return "kCMIOHardwarePropertyIsInitingOrExiting";
    case kCMIODevicePropertyScopeInput: return "kCMIODevicePropertyScopeInput";
    case kCMIOStreamPropertyInitialPresentationTimeStampForLinkedAndSyncedAudio:
      return "kCMIOStreamPropertyInitialPresentationTimeStampForLinkedAndSyncedAudio";
    case kCMIODevicePropertyIIDCInitialUnitSpace: return "kCMIODevicePropertyIIDCInitialUnitSpace";
    case kCMIODevicePropertyExcludeNonDALAccess: return "kCMIODevicePropertyExcludeNonDALAccess";
    case kCMIOObjectPropertyElementCategoryName: return "kCMIOObjectPropertyElementCategoryName";
    case kCMIOObjectPropertyElementName: return "kCMIOObjectPropertyElementName";
    case kCMIOObjectPropertyElementNumberName: return "kCMIOObjectPropertyElementNumberName";
    case kCMIOObjectPropertyListenerAdded: return "kCMIOObjectPropertyListenerAdded";
    case kCMIOObjectPropertyListenerRemoved: return "kCMIOObjectPropertyListenerRemoved";
    case kCMIODevicePropertyDeviceIsAlive: return "kCMIODevicePropertyDeviceIsAlive";
    case kCMIOObjectPropertyManufacturer: return "kCMIOObjectPropertyManufacturer";
    case kCMIOObjectPropertyName: return "kCMIOObjectPropertyName";
    case kCMIOStreamPropertyDeckLocal: return "kCMIOStreamPropertyDeckLocal";
    case kCMIODevicePropertyLatency: return "kCMIODevicePropertyLatency";
    case kCMIOHardwarePropertyProcessIsMaster: return "kCMIOHardwarePropertyProcessIsMaster";
    case kCMIOStreamPropertyMinimumFrameRate: return "kCMIOStreamPropertyMinimumFrameRate";
    case kCMIOStreamPropertyOutputBuffersNeededForThrottledPlayback:
      return "kCMIOStreamPropertyOutputBuffersNeededForThrottledPlayback";
    case kCMIODevicePropertyModelUID: return "kCMIODevicePropertyModelUID";
    case kCMIOStreamPropertyFrameRates: return "kCMIOStreamPropertyFrameRates";
    case kCMIOStreamPropertyFrameRate: return "kCMIOStreamPropertyFrameRate";
    case kCMIODevicePropertyHogMode: return "kCMIODevicePropertyHogMode";
    case kCMIOObjectPropertyCreator: return "kCMIOObjectPropertyCreator";
    case kCMIODevicePropertyScopeOutput: return "kCMIODevicePropertyScopeOutput";
    case kCMIOObjectPropertyOwnedObjects: return "kCMIOObjectPropertyOwnedObjects";
    case kCMIOStreamPropertyCanProcessDeckCommand: return "kCMIOStreamPropertyCanProcessDeckCommand";
    case kCMIOStreamPropertyFormatDescription: return "kCMIOStreamPropertyFormatDescription";
    case kCMIOStreamPropertyFormatDescriptions: return "kCMIOStreamPropertyFormatDescriptions";
    case kCMIOHardwarePropertyPlugInForBundleID: return "kCMIOHardwarePropertyPlugInForBundleID";
    case kCMIODevicePropertyLinkedAndSyncedCoreAudioDeviceUID:
      return "kCMIODevicePropertyLinkedAndSyncedCoreAudioDeviceUID";
    case kCMIODevicePropertyLinkedCoreAudioDeviceUID: return "kCMIODevicePropertyLinkedCoreAudioDeviceUID";
    case kCMIODevicePropertyPlugIn: return "kCMIODevicePropertyPlugIn";
    case kCMIODevicePropertyCanProcessAVCCommand: return "kCMIODevicePropertyCanProcessAVCCommand";
    case kCMIODevicePropertyAVCDeviceType: return "kCMIODevicePropertyAVCDeviceType";
    case kCMIOStreamPropertyClock: return "kCMIOStreamPropertyClock";
    case kCMIODevicePropertyClientSyncDiscontinuity: return "kCMIODevicePropertyClientSyncDiscontinuity";
    case kCMIOStreamPropertyEndOfData: return "kCMIOStreamPropertyEndOfData";
    case kCMIOStreamPropertyNoDataTimeoutInMSec: return "kCMIOStreamPropertyNoDataTimeoutInMSec";
    case kCMIOStreamPropertyDeviceSyncTimeoutInMSec: return "kCMIOStreamPropertyDeviceSyncTimeoutInMSec";
    case kCMIOStreamPropertyNoDataEventCount: return "kCMIOStreamPropertyNoDataEventCount";
    case kCMIODevicePropertyDeviceMaster: return "kCMIODevicePropertyDeviceMaster";
    case kCMIOStreamPropertyOutputBufferQueueSize: return "kCMIOStreamPropertyOutputBufferQueueSize";
    case kCMIOStreamPropertyOutputBufferRepeatCount: return "kCMIOStreamPropertyOutputBufferRepeatCount";
    case kCMIOStreamPropertyOutputBuffersRequiredForStartup:
      return "kCMIOStreamPropertyOutputBuffersRequiredForStartup";
    case kCMIOStreamPropertyOutputBufferUnderrunCount: return "kCMIOStreamPropertyOutputBufferUnderrunCount";
    case kCMIODevicePropertySMPTETimeCallback: return "kCMIODevicePropertySMPTETimeCallback";
    case kCMIODevicePropertyAVCDeviceSignalMode: return "kCMIODevicePropertyAVCDeviceSignalMode";
    case kCMIOStreamPropertyFirstOutputPresentationTimeStamp:
      return "kCMIOStreamPropertyFirstOutputPresentationTimeStamp";
    case kCMIOStreamPropertyPreferredFormatDescription:
      return "kCMIOStreamPropertyPreferredFormatDescription";
    case kCMIOStreamPropertyPreferredFrameRate: return "kCMIOStreamPropertyPreferredFrameRate";
    case kCMIODevicePropertyScopePlayThrough: return "kCMIODevicePropertyScopePlayThrough";
    case kCMIODevicePropertyCanProcessRS422Command: return "kCMIODevicePropertyCanProcessRS422Command";
    case kCMIOHardwarePropertySuspendedBySystem: return "kCMIOHardwarePropertySuspendedBySystem";
    case kCMIODevicePropertySuspendedByUser: return "kCMIODevicePropertySuspendedByUser";
    case kCMIOStreamPropertyStartingChannel: return "kCMIOStreamPropertyStartingChannel";
    case kCMIOStreamPropertyDirection: return "kCMIOStreamPropertyDirection";
    case kCMIODevicePropertyDeviceHasStreamingError: return "kCMIODevicePropertyDeviceHasStreamingError";
    case kCMIODevicePropertyStreamConfiguration: return "kCMIODevicePropertyStreamConfiguration";
    case kCMIOHardwarePropertySleepingIsAllowed: return "kCMIOHardwarePropertySleepingIsAllowed";
    case kCMIOStreamPropertyScheduledOutputNotificationProc:
      return "kCMIOStreamPropertyScheduledOutputNotificationProc";
    case kCMIOObjectPropertyOwner: return "kCMIOObjectPropertyOwner";
    case kCMIOStreamPropertyStillImageFormatDescriptions:
      return "kCMIOStreamPropertyStillImageFormatDescriptions";
    case kCMIODevicePropertyStreams: return "kCMIODevicePropertyStreams";
    case kCMIOStreamPropertyStillImage: return "kCMIOStreamPropertyStillImage";
    case kCMIOStreamPropertyDeckFrameNumber: return "kCMIOStreamPropertyDeckFrameNumber";
    case kCMIOStreamPropertyTerminalType: return "kCMIOStreamPropertyTerminalType";
    case kCMIOStreamPropertyDeckThreaded: return "kCMIOStreamPropertyDeckThreaded";
    case kCMIODevicePropertyTransportType: return "kCMIODevicePropertyTransportType";
    case kCMIODevicePropertyDeviceUID: return "kCMIODevicePropertyDeviceUID";
    case kCMIOHardwarePropertyUnloadingIsAllowed: return "kCMIOHardwarePropertyUnloadingIsAllowed";
    case kCMIOHardwarePropertyUserSessionIsActiveOrHeadless:
      return "kCMIOHardwarePropertyUserSessionIsActiveOrHeadless";
    case kCMIODevicePropertyVideoDigitizerComponents: return "kCMIODevicePropertyVideoDigitizerComponents";
    case kCMIOHardwarePropertyAllowWirelessScreenCaptureDevices:
      return "kCMIOHardwarePropertyAllowWirelessScreenCaptureDevices";
    case kCMIOHardwarePropertyAllowScreenCaptureDevices:
      return "kCMIOHardwarePropertyAllowScreenCaptureDevices";
    default: return "unknown";
  }
}

}  // namespace NQCMIO
