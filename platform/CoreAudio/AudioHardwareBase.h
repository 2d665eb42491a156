#pragma once
// The object model that the audio server and its drivers share: every plug-in, box, device,
// stream and control is an object with a 32-bit id, answering properties by selector, scope
// and element.
#include <CoreAudio/CoreAudioTypes.h>

typedef UInt32 AudioObjectID;
typedef UInt32 AudioClassID;
typedef UInt32 AudioObjectPropertySelector;
typedef UInt32 AudioObjectPropertyScope;
typedef UInt32 AudioObjectPropertyElement;
typedef AudioObjectID AudioDeviceID;
typedef AudioObjectID AudioStreamID;
typedef AudioObjectPropertySelector AudioDevicePropertyID;

struct AudioObjectPropertyAddress {
  AudioObjectPropertySelector mSelector;
  AudioObjectPropertyScope mScope;
  AudioObjectPropertyElement mElement;
};

enum : OSStatus {
  kAudioHardwareNoError = 0,
  kAudioHardwareNotReadyError = FOUR_CHAR_CODE("nrdy"),
  kAudioHardwareNotRunningError = FOUR_CHAR_CODE("stop"),
  kAudioHardwareUnspecifiedError = FOUR_CHAR_CODE("what"),
  kAudioHardwareUnknownPropertyError = FOUR_CHAR_CODE("who?"),
  kAudioHardwareBadPropertySizeError = FOUR_CHAR_CODE("!siz"),
  kAudioHardwareIllegalOperationError = FOUR_CHAR_CODE("nope"),
  kAudioHardwareBadObjectError = FOUR_CHAR_CODE("!obj"),
  kAudioHardwareBadDeviceError = FOUR_CHAR_CODE("!dev"),
  kAudioHardwareBadStreamError = FOUR_CHAR_CODE("!str"),
  kAudioHardwareUnsupportedOperationError = FOUR_CHAR_CODE("unop"),
  kAudioDeviceUnsupportedFormatError = FOUR_CHAR_CODE("!dat"),
  kAudioDevicePermissionsError = FOUR_CHAR_CODE("!hog"),
};

enum : AudioObjectID {
  kAudioObjectUnknown = 0,
  kAudioObjectSystemObject = 1,
  kAudioObjectPlugInObject = 1,  // a driver's own plug-in object, as the driver numbers it
};

enum : AudioObjectPropertyScope {
  kAudioObjectPropertyScopeGlobal = FOUR_CHAR_CODE("glob"),
  kAudioObjectPropertyScopeInput = FOUR_CHAR_CODE("inpt"),
  kAudioObjectPropertyScopeOutput = FOUR_CHAR_CODE("outp"),
  kAudioObjectPropertyScopePlayThrough = FOUR_CHAR_CODE("ptru"),
  kAudioObjectPropertyScopeWildcard = FOUR_CHAR_CODE("****"),
  kAudioDevicePropertyScopeInput = kAudioObjectPropertyScopeInput,
  kAudioDevicePropertyScopeOutput = kAudioObjectPropertyScopeOutput,
  kAudioDevicePropertyScopePlayThrough = kAudioObjectPropertyScopePlayThrough,
};

enum : AudioObjectPropertyElement {
  kAudioObjectPropertyElementMain = 0,
  kAudioObjectPropertyElementMaster = kAudioObjectPropertyElementMain,
  kAudioObjectPropertyElementWildcard = 0xFFFFFFFFu,
};

enum : AudioObjectPropertySelector {
  kAudioObjectPropertySelectorWildcard = FOUR_CHAR_CODE("****"),
};

enum : AudioClassID {
  kAudioObjectClassIDWildcard = FOUR_CHAR_CODE("****"),
  kAudioObjectClassID = FOUR_CHAR_CODE("aobj"),
  kAudioSystemObjectClassID = FOUR_CHAR_CODE("asys"),
  kAudioPlugInClassID = FOUR_CHAR_CODE("aplg"),
  kAudioTransportManagerClassID = FOUR_CHAR_CODE("trpm"),
  kAudioBoxClassID = FOUR_CHAR_CODE("abox"),
  kAudioDeviceClassID = FOUR_CHAR_CODE("adev"),
  kAudioClockDeviceClassID = FOUR_CHAR_CODE("aclk"),
  kAudioEndPointDeviceClassID = FOUR_CHAR_CODE("edev"),
  kAudioEndPointClassID = FOUR_CHAR_CODE("endp"),
  kAudioStreamClassID = FOUR_CHAR_CODE("astr"),
  kAudioControlClassID = FOUR_CHAR_CODE("actl"),
  kAudioSliderControlClassID = FOUR_CHAR_CODE("sldr"),
  kAudioLevelControlClassID = FOUR_CHAR_CODE("levl"),
  kAudioVolumeControlClassID = FOUR_CHAR_CODE("vlme"),
  kAudioLFEVolumeControlClassID = FOUR_CHAR_CODE("subv"),
  kAudioBooleanControlClassID = FOUR_CHAR_CODE("togl"),
  kAudioMuteControlClassID = FOUR_CHAR_CODE("mute"),
  kAudioSoloControlClassID = FOUR_CHAR_CODE("solo"),
  kAudioJackControlClassID = FOUR_CHAR_CODE("jack"),
  kAudioLFEMuteControlClassID = FOUR_CHAR_CODE("subm"),
  kAudioPhantomPowerControlClassID = FOUR_CHAR_CODE("phan"),
  kAudioPhaseInvertControlClassID = FOUR_CHAR_CODE("phsi"),
  kAudioClipLightControlClassID = FOUR_CHAR_CODE("clip"),
  kAudioTalkbackControlClassID = FOUR_CHAR_CODE("talb"),
  kAudioListenbackControlClassID = FOUR_CHAR_CODE("lsnb"),
  kAudioSelectorControlClassID = FOUR_CHAR_CODE("slct"),
  kAudioDataSourceControlClassID = FOUR_CHAR_CODE("dsrc"),
  kAudioDataDestinationControlClassID = FOUR_CHAR_CODE("dest"),
  kAudioClockSourceControlClassID = FOUR_CHAR_CODE("clck"),
  kAudioLineLevelControlClassID = FOUR_CHAR_CODE("nlvl"),
  kAudioHighPassFilterControlClassID = FOUR_CHAR_CODE("hipf"),
  kAudioStereoPanControlClassID = FOUR_CHAR_CODE("span"),
};

// Properties of every object.
enum : AudioObjectPropertySelector {
  kAudioObjectPropertyBaseClass = FOUR_CHAR_CODE("bcls"),
  kAudioObjectPropertyClass = FOUR_CHAR_CODE("clas"),
  kAudioObjectPropertyOwner = FOUR_CHAR_CODE("stdv"),
  kAudioObjectPropertyName = FOUR_CHAR_CODE("lnam"),
  kAudioObjectPropertyModelName = FOUR_CHAR_CODE("lmod"),
  kAudioObjectPropertyManufacturer = FOUR_CHAR_CODE("lmak"),
  kAudioObjectPropertyElementName = FOUR_CHAR_CODE("lchn"),
  kAudioObjectPropertyElementCategoryName = FOUR_CHAR_CODE("lccn"),
  kAudioObjectPropertyElementNumberName = FOUR_CHAR_CODE("lcnn"),
  kAudioObjectPropertyOwnedObjects = FOUR_CHAR_CODE("ownd"),
  kAudioObjectPropertyIdentify = FOUR_CHAR_CODE("iden"),
  kAudioObjectPropertySerialNumber = FOUR_CHAR_CODE("snum"),
  kAudioObjectPropertyFirmwareVersion = FOUR_CHAR_CODE("fwvn"),
  kAudioObjectPropertyCreator = FOUR_CHAR_CODE("oplg"),
  kAudioObjectPropertyListenerAdded = FOUR_CHAR_CODE("lisa"),
  kAudioObjectPropertyListenerRemoved = FOUR_CHAR_CODE("lisr"),
  kAudioObjectPropertyCustomPropertyInfoList = FOUR_CHAR_CODE("cust"),
  kAudioObjectPropertyControlList = FOUR_CHAR_CODE("ctrl"),
};

// Properties of plug-ins.
enum : AudioObjectPropertySelector {
  kAudioPlugInPropertyBundleID = FOUR_CHAR_CODE("piid"),
  kAudioPlugInPropertyDeviceList = FOUR_CHAR_CODE("dev#"),
  kAudioPlugInPropertyTranslateUIDToDevice = FOUR_CHAR_CODE("uidd"),
  kAudioPlugInPropertyBoxList = FOUR_CHAR_CODE("box#"),
  kAudioPlugInPropertyTranslateUIDToBox = FOUR_CHAR_CODE("uidb"),
  kAudioPlugInPropertyClockDeviceList = FOUR_CHAR_CODE("clk#"),
  kAudioPlugInPropertyTranslateUIDToClockDevice = FOUR_CHAR_CODE("uidc"),
  kAudioPlugInPropertyResourceBundle = FOUR_CHAR_CODE("rsrc"),
};

// Properties of boxes.
enum : AudioObjectPropertySelector {
  kAudioBoxPropertyBoxUID = FOUR_CHAR_CODE("buid"),
  kAudioBoxPropertyTransportType = FOUR_CHAR_CODE("tran"),
  kAudioBoxPropertyHasAudio = FOUR_CHAR_CODE("bhau"),
  kAudioBoxPropertyHasVideo = FOUR_CHAR_CODE("bhvi"),
  kAudioBoxPropertyHasMIDI = FOUR_CHAR_CODE("bhmi"),
  kAudioBoxPropertyIsProtected = FOUR_CHAR_CODE("bpro"),
  kAudioBoxPropertyAcquired = FOUR_CHAR_CODE("bxon"),
  kAudioBoxPropertyAcquisitionFailed = FOUR_CHAR_CODE("bxof"),
  kAudioBoxPropertyDeviceList = FOUR_CHAR_CODE("bdv#"),
  kAudioBoxPropertyClockDeviceList = FOUR_CHAR_CODE("bcl#"),
};

// Properties of devices that drivers answer.
enum : AudioObjectPropertySelector {
  kAudioDevicePropertyConfigurationApplication = FOUR_CHAR_CODE("capp"),
  kAudioDevicePropertyDeviceUID = FOUR_CHAR_CODE("uid "),
  kAudioDevicePropertyModelUID = FOUR_CHAR_CODE("muid"),
  kAudioDevicePropertyTransportType = FOUR_CHAR_CODE("tran"),
  kAudioDevicePropertyRelatedDevices = FOUR_CHAR_CODE("akin"),
  kAudioDevicePropertyClockDomain = FOUR_CHAR_CODE("clkd"),
  kAudioDevicePropertyDeviceIsAlive = FOUR_CHAR_CODE("livn"),
  kAudioDevicePropertyDeviceIsRunning = FOUR_CHAR_CODE("goin"),
  kAudioDevicePropertyDeviceCanBeDefaultDevice = FOUR_CHAR_CODE("dflt"),
  kAudioDevicePropertyDeviceCanBeDefaultSystemDevice = FOUR_CHAR_CODE("sflt"),
  kAudioDevicePropertyLatency = FOUR_CHAR_CODE("ltnc"),
  kAudioDevicePropertyStreams = FOUR_CHAR_CODE("stm#"),
  kAudioDevicePropertySafetyOffset = FOUR_CHAR_CODE("saft"),
  kAudioDevicePropertyNominalSampleRate = FOUR_CHAR_CODE("nsrt"),
  kAudioDevicePropertyAvailableNominalSampleRates = FOUR_CHAR_CODE("nsr#"),
  kAudioDevicePropertyIcon = FOUR_CHAR_CODE("icon"),
  kAudioDevicePropertyIsHidden = FOUR_CHAR_CODE("hidn"),
  kAudioDevicePropertyPreferredChannelsForStereo = FOUR_CHAR_CODE("dch2"),
  kAudioDevicePropertyPreferredChannelLayout = FOUR_CHAR_CODE("srnd"),
  kAudioDevicePropertyZeroTimeStampPeriod = FOUR_CHAR_CODE("ring"),
  kAudioDevicePropertyClockAlgorithm = FOUR_CHAR_CODE("clok"),
  kAudioDevicePropertyClockIsStable = FOUR_CHAR_CODE("cstb"),
};

// Properties of streams.
enum : AudioObjectPropertySelector {
  kAudioStreamPropertyIsActive = FOUR_CHAR_CODE("sact"),
  kAudioStreamPropertyDirection = FOUR_CHAR_CODE("sdir"),
  kAudioStreamPropertyTerminalType = FOUR_CHAR_CODE("term"),
  kAudioStreamPropertyStartingChannel = FOUR_CHAR_CODE("schn"),
  kAudioStreamPropertyLatency = kAudioDevicePropertyLatency,
  kAudioStreamPropertyVirtualFormat = FOUR_CHAR_CODE("sfmt"),
  kAudioStreamPropertyAvailableVirtualFormats = FOUR_CHAR_CODE("sfma"),
  kAudioStreamPropertyPhysicalFormat = FOUR_CHAR_CODE("pft "),
  kAudioStreamPropertyAvailablePhysicalFormats = FOUR_CHAR_CODE("pfta"),
};

enum : UInt32 {
  kAudioStreamTerminalTypeUnknown = 0,
  kAudioStreamTerminalTypeLine = FOUR_CHAR_CODE("line"),
  kAudioStreamTerminalTypeDigitalAudioInterface = FOUR_CHAR_CODE("spdf"),
  kAudioStreamTerminalTypeSpeaker = FOUR_CHAR_CODE("spkr"),
  kAudioStreamTerminalTypeHeadphones = FOUR_CHAR_CODE("hdph"),
  kAudioStreamTerminalTypeMicrophone = FOUR_CHAR_CODE("micr"),
};

enum : UInt32 {
  kAudioDeviceTransportTypeUnknown = 0,
  kAudioDeviceTransportTypeBuiltIn = FOUR_CHAR_CODE("bltn"),
  kAudioDeviceTransportTypeAggregate = FOUR_CHAR_CODE("grup"),
  kAudioDeviceTransportTypeVirtual = FOUR_CHAR_CODE("virt"),
  kAudioDeviceTransportTypePCI = FOUR_CHAR_CODE("pci "),
  kAudioDeviceTransportTypeUSB = FOUR_CHAR_CODE("usb "),
};

// Properties of controls.
enum : AudioObjectPropertySelector {
  kAudioControlPropertyScope = FOUR_CHAR_CODE("cscp"),
  kAudioControlPropertyElement = FOUR_CHAR_CODE("celm"),
  kAudioSliderControlPropertyValue = FOUR_CHAR_CODE("sdrv"),
  kAudioSliderControlPropertyRange = FOUR_CHAR_CODE("sdrr"),
  kAudioLevelControlPropertyScalarValue = FOUR_CHAR_CODE("lcsv"),
  kAudioLevelControlPropertyDecibelValue = FOUR_CHAR_CODE("lcdv"),
  kAudioLevelControlPropertyDecibelRange = FOUR_CHAR_CODE("lcdr"),
  kAudioLevelControlPropertyConvertScalarToDecibels = FOUR_CHAR_CODE("lcsd"),
  kAudioLevelControlPropertyConvertDecibelsToScalar = FOUR_CHAR_CODE("lcds"),
  kAudioBooleanControlPropertyValue = FOUR_CHAR_CODE("bcvl"),
  kAudioSelectorControlPropertyCurrentItem = FOUR_CHAR_CODE("scci"),
  kAudioSelectorControlPropertyAvailableItems = FOUR_CHAR_CODE("scai"),
  kAudioSelectorControlPropertyItemName = FOUR_CHAR_CODE("scin"),
  kAudioSelectorControlPropertyItemKind = FOUR_CHAR_CODE("clkk"),
  kAudioStereoPanControlPropertyValue = FOUR_CHAR_CODE("spcv"),
  kAudioStereoPanControlPropertyPanningChannels = FOUR_CHAR_CODE("spcc"),
};
