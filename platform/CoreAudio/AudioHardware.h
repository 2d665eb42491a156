#pragma once
// The audio hardware as an application sees it: the system object and the objects of every
// loaded driver, reached through the audio server. Property data that holds a CoreFoundation
// object hands the caller a reference to release. Listeners run on the library's notification
// queue (or on the queue given with a block); IOProcs run on a real-time thread of the
// process, one per device.
#include <CoreAudio/AudioHardwareBase.h>
#include <dispatch/dispatch.h>

#include <functional>
#include <memory>
#include <type_traits>

#define CA_EXPORT extern "C" __attribute__((visibility("default")))

// Properties of the system object.
enum : AudioObjectPropertySelector {
  kAudioHardwarePropertyDevices = FOUR_CHAR_CODE("dev#"),
  kAudioHardwarePropertyDefaultInputDevice = FOUR_CHAR_CODE("dIn "),
  kAudioHardwarePropertyDefaultOutputDevice = FOUR_CHAR_CODE("dOut"),
  kAudioHardwarePropertyDefaultSystemOutputDevice = FOUR_CHAR_CODE("sOut"),
  kAudioHardwarePropertyTranslateUIDToDevice = FOUR_CHAR_CODE("uidd"),
  kAudioHardwarePropertyMixStereoToMono = FOUR_CHAR_CODE("stmo"),
  kAudioHardwarePropertyPlugInList = FOUR_CHAR_CODE("plg#"),
  kAudioHardwarePropertyTranslateBundleIDToPlugIn = FOUR_CHAR_CODE("bidp"),
  kAudioHardwarePropertyTransportManagerList = FOUR_CHAR_CODE("tmg#"),
  kAudioHardwarePropertyTranslateBundleIDToTransportManager = FOUR_CHAR_CODE("tmbi"),
  kAudioHardwarePropertyBoxList = FOUR_CHAR_CODE("box#"),
  kAudioHardwarePropertyTranslateUIDToBox = FOUR_CHAR_CODE("uidb"),
  kAudioHardwarePropertyClockDeviceList = FOUR_CHAR_CODE("clk#"),
  kAudioHardwarePropertyTranslateUIDToClockDevice = FOUR_CHAR_CODE("uidc"),
  kAudioHardwarePropertyProcessIsMain = FOUR_CHAR_CODE("main"),
  kAudioHardwarePropertyIsInitingOrExiting = FOUR_CHAR_CODE("inot"),
  kAudioHardwarePropertyUserIDChanged = FOUR_CHAR_CODE("euid"),
  kAudioHardwarePropertyProcessIsAudible = FOUR_CHAR_CODE("pmut"),
  kAudioHardwarePropertySleepingIsAllowed = FOUR_CHAR_CODE("slep"),
  kAudioHardwarePropertyUnloadingIsAllowed = FOUR_CHAR_CODE("unld"),
  kAudioHardwarePropertyHogModeIsAllowed = FOUR_CHAR_CODE("hogr"),
  kAudioHardwarePropertyUserSessionIsActiveOrHeadless = FOUR_CHAR_CODE("user"),
  kAudioHardwarePropertyServiceRestarted = FOUR_CHAR_CODE("srst"),
  kAudioHardwarePropertyPowerHint = FOUR_CHAR_CODE("powh"),
  kAudioHardwarePropertyRunLoop = FOUR_CHAR_CODE("rnlp"),
  kAudioHardwarePropertyProcessObjectList = FOUR_CHAR_CODE("prs#"),
  kAudioHardwarePropertyTranslatePIDToProcessObject = FOUR_CHAR_CODE("id2p"),
  kAudioHardwarePropertyTapList = FOUR_CHAR_CODE("tps#"),
  kAudioHardwarePropertyTranslateUIDToTap = FOUR_CHAR_CODE("uidt"),
};

// Properties of devices that the audio server answers above the driver.
enum : AudioObjectPropertySelector {
  kAudioDevicePropertyPlugIn = FOUR_CHAR_CODE("plug"),
  kAudioDevicePropertyDeviceHasChanged = FOUR_CHAR_CODE("diff"),
  kAudioDevicePropertyDeviceIsRunningSomewhere = FOUR_CHAR_CODE("gone"),
  kAudioDeviceProcessorOverload = FOUR_CHAR_CODE("over"),
  kAudioDevicePropertyIOStoppedAbnormally = FOUR_CHAR_CODE("stpd"),
  kAudioDevicePropertyHogMode = FOUR_CHAR_CODE("oink"),
  kAudioDevicePropertyBufferFrameSize = FOUR_CHAR_CODE("fsiz"),
  kAudioDevicePropertyBufferFrameSizeRange = FOUR_CHAR_CODE("fsz#"),
  kAudioDevicePropertyUsesVariableBufferFrameSizes = FOUR_CHAR_CODE("vfsz"),
  kAudioDevicePropertyIOCycleUsage = FOUR_CHAR_CODE("ncyc"),
  kAudioDevicePropertyStreamConfiguration = FOUR_CHAR_CODE("slay"),
  kAudioDevicePropertyIOProcStreamUsage = FOUR_CHAR_CODE("suse"),
  kAudioDevicePropertyActualSampleRate = FOUR_CHAR_CODE("asrt"),
  kAudioDevicePropertyClockDevice = FOUR_CHAR_CODE("apcd"),
  kAudioDevicePropertyIOThreadOSWorkgroup = FOUR_CHAR_CODE("oswg"),
  kAudioDevicePropertyProcessMute = FOUR_CHAR_CODE("appm"),
  kAudioDevicePropertyJackIsConnected = FOUR_CHAR_CODE("jack"),
  kAudioDevicePropertyVolumeScalar = FOUR_CHAR_CODE("volm"),
  kAudioDevicePropertyVolumeDecibels = FOUR_CHAR_CODE("vold"),
  kAudioDevicePropertyVolumeRangeDecibels = FOUR_CHAR_CODE("vdb#"),
  kAudioDevicePropertyVolumeScalarToDecibels = FOUR_CHAR_CODE("v2db"),
  kAudioDevicePropertyVolumeDecibelsToScalar = FOUR_CHAR_CODE("db2v"),
  kAudioDevicePropertyStereoPan = FOUR_CHAR_CODE("span"),
  kAudioDevicePropertyStereoPanChannels = FOUR_CHAR_CODE("spn#"),
  kAudioDevicePropertyMute = FOUR_CHAR_CODE("mute"),
  kAudioDevicePropertySolo = FOUR_CHAR_CODE("solo"),
  kAudioDevicePropertyPhantomPower = FOUR_CHAR_CODE("phan"),
  kAudioDevicePropertyPhaseInvert = FOUR_CHAR_CODE("phsi"),
  kAudioDevicePropertyClipLight = FOUR_CHAR_CODE("clip"),
  kAudioDevicePropertyTalkback = FOUR_CHAR_CODE("talb"),
  kAudioDevicePropertyListenback = FOUR_CHAR_CODE("lsnb"),
  kAudioDevicePropertyDataSource = FOUR_CHAR_CODE("ssrc"),
  kAudioDevicePropertyDataSources = FOUR_CHAR_CODE("ssc#"),
  kAudioDevicePropertyDataSourceNameForIDCFString = FOUR_CHAR_CODE("lscn"),
  kAudioDevicePropertyDataSourceKindForID = FOUR_CHAR_CODE("ssck"),
  kAudioDevicePropertyClockSource = FOUR_CHAR_CODE("csrc"),
  kAudioDevicePropertyClockSources = FOUR_CHAR_CODE("csc#"),
  kAudioDevicePropertyClockSourceNameForIDCFString = FOUR_CHAR_CODE("lcsn"),
  kAudioDevicePropertyClockSourceKindForID = FOUR_CHAR_CODE("csck"),
  kAudioDevicePropertyPlayThru = FOUR_CHAR_CODE("thru"),
  kAudioDevicePropertyChannelNominalLineLevel = FOUR_CHAR_CODE("nlvl"),
  kAudioDevicePropertyHighPassFilterSetting = FOUR_CHAR_CODE("hipf"),
  kAudioDevicePropertySubVolumeScalar = FOUR_CHAR_CODE("svlm"),
  kAudioDevicePropertySubMute = FOUR_CHAR_CODE("smut"),
  // The format of the device's first stream on the scope's side.
  kAudioDevicePropertyStreamFormat = kAudioStreamPropertyVirtualFormat,
  kAudioDevicePropertyDeviceName = FOUR_CHAR_CODE("name"),
};

typedef AudioObjectPropertySelector AudioHardwarePropertyID;

// ----- Properties of objects -----

CA_EXPORT Boolean AudioObjectHasProperty(AudioObjectID inObjectID,
                                         const AudioObjectPropertyAddress* inAddress);
CA_EXPORT OSStatus AudioObjectIsPropertySettable(AudioObjectID inObjectID,
                                                 const AudioObjectPropertyAddress* inAddress,
                                                 Boolean* outIsSettable);
CA_EXPORT OSStatus AudioObjectGetPropertyDataSize(AudioObjectID inObjectID,
                                                  const AudioObjectPropertyAddress* inAddress,
                                                  UInt32 inQualifierDataSize, const void* inQualifierData,
                                                  UInt32* outDataSize);
// ioDataSize holds the buffer's size on entry and the size of what was written on return.
CA_EXPORT OSStatus AudioObjectGetPropertyData(AudioObjectID inObjectID,
                                              const AudioObjectPropertyAddress* inAddress,
                                              UInt32 inQualifierDataSize, const void* inQualifierData,
                                              UInt32* ioDataSize, void* outData);
CA_EXPORT OSStatus AudioObjectSetPropertyData(AudioObjectID inObjectID,
                                              const AudioObjectPropertyAddress* inAddress,
                                              UInt32 inQualifierDataSize, const void* inQualifierData,
                                              UInt32 inDataSize, const void* inData);

// ----- Listeners -----

typedef OSStatus (*AudioObjectPropertyListenerProc)(AudioObjectID inObjectID, UInt32 inNumberAddresses,
                                                    const AudioObjectPropertyAddress* inAddresses,
                                                    void* inClientData);

// A listener block. Copies of a block are the same block: the one that was added is the one
// that removes it, as a copied block of the platform is.
class __attribute__((visibility("default"))) AudioObjectPropertyListenerBlock {
 public:
  using Function =
      std::function<void(UInt32 inNumberAddresses, const AudioObjectPropertyAddress* inAddresses)>;

  AudioObjectPropertyListenerBlock() = default;
  AudioObjectPropertyListenerBlock(std::nullptr_t) {}
  template <class Callable, class = std::enable_if_t<
                                std::is_invocable_v<Callable&, UInt32, const AudioObjectPropertyAddress*>>>
  AudioObjectPropertyListenerBlock(Callable callable)
      : mFunction(std::make_shared<Function>(std::move(callable))) {}

  void operator()(UInt32 count, const AudioObjectPropertyAddress* addresses) const {
    if (mFunction) (*mFunction)(count, addresses);
  }
  explicit operator bool() const { return mFunction != nullptr; }
  bool operator==(const AudioObjectPropertyListenerBlock& other) const {
    return mFunction == other.mFunction;
  }
  const void* identity() const { return mFunction.get(); }

 private:
  std::shared_ptr<const Function> mFunction;
};

CA_EXPORT OSStatus AudioObjectAddPropertyListener(AudioObjectID inObjectID,
                                                  const AudioObjectPropertyAddress* inAddress,
                                                  AudioObjectPropertyListenerProc inListener,
                                                  void* inClientData);
CA_EXPORT OSStatus AudioObjectRemovePropertyListener(AudioObjectID inObjectID,
                                                     const AudioObjectPropertyAddress* inAddress,
                                                     AudioObjectPropertyListenerProc inListener,
                                                     void* inClientData);
// The block runs on the queue, or on the library's notification queue when it is null.
CA_EXPORT OSStatus AudioObjectAddPropertyListenerBlock(AudioObjectID inObjectID,
                                                       const AudioObjectPropertyAddress* inAddress,
                                                       dispatch_queue_t inDispatchQueue,
                                                       AudioObjectPropertyListenerBlock inListener);
CA_EXPORT OSStatus AudioObjectRemovePropertyListenerBlock(AudioObjectID inObjectID,
                                                          const AudioObjectPropertyAddress* inAddress,
                                                          dispatch_queue_t inDispatchQueue,
                                                          AudioObjectPropertyListenerBlock inListener);

// The older calls on the system object: properties of the global scope and main element;
// kAudioObjectPropertySelectorWildcard listens to every property of the system object.
typedef OSStatus (*AudioHardwarePropertyListenerProc)(AudioHardwarePropertyID inPropertyID,
                                                      void* inClientData);

CA_EXPORT OSStatus AudioHardwareAddPropertyListener(AudioHardwarePropertyID inPropertyID,
                                                    AudioHardwarePropertyListenerProc inProc,
                                                    void* inClientData);
CA_EXPORT OSStatus AudioHardwareRemovePropertyListener(AudioHardwarePropertyID inPropertyID,
                                                       AudioHardwarePropertyListenerProc inProc);
CA_EXPORT OSStatus AudioHardwareGetProperty(AudioHardwarePropertyID inPropertyID, UInt32* ioPropertyDataSize,
                                            void* outPropertyData);
CA_EXPORT OSStatus AudioHardwareSetProperty(AudioHardwarePropertyID inPropertyID, UInt32 inPropertyDataSize,
                                            const void* inPropertyData);

// Drops the connection to the audio server, as a process does when it exits; the next call
// connects again.
CA_EXPORT OSStatus AudioHardwareUnload(void);

// ----- Device I/O -----

typedef OSStatus (*AudioDeviceIOProc)(AudioObjectID inDevice, const AudioTimeStamp* inNow,
                                      const AudioBufferList* inInputData, const AudioTimeStamp* inInputTime,
                                      AudioBufferList* outOutputData, const AudioTimeStamp* inOutputTime,
                                      void* inClientData);
typedef AudioDeviceIOProc AudioDeviceIOProcID;

// Registers the IOProc with the device. Every IOProc of a device in this process runs on
// the device's I/O thread once per cycle while it is started: the input list holds one
// buffer per input stream, the output list one per output stream (zeroed before the call).
CA_EXPORT OSStatus AudioDeviceCreateIOProcID(AudioObjectID inDevice, AudioDeviceIOProc inProc,
                                             void* inClientData, AudioDeviceIOProcID* outIOProcID);
CA_EXPORT OSStatus AudioDeviceDestroyIOProcID(AudioObjectID inDevice, AudioDeviceIOProcID inIOProcID);
// A null IOProc starts (stops) the device without an IOProc of its own.
CA_EXPORT OSStatus AudioDeviceStart(AudioObjectID inDevice, AudioDeviceIOProcID inProcID);
CA_EXPORT OSStatus AudioDeviceStop(AudioObjectID inDevice, AudioDeviceIOProcID inProcID);
// The device's current time; kAudioHardwareNotRunningError while it does not run.
CA_EXPORT OSStatus AudioDeviceGetCurrentTime(AudioObjectID inDevice, AudioTimeStamp* outTime);
