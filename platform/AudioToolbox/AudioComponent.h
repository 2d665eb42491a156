#pragma once
// Audio components: the audio units this platform has, found by description and made into
// instances.
#include <CoreAudio/CoreAudioTypes.h>

#define AT_EXPORT extern "C" __attribute__((visibility("default")))

struct AudioComponentDescription {
  OSType componentType;
  OSType componentSubType;
  OSType componentManufacturer;
  UInt32 componentFlags;
  UInt32 componentFlagsMask;
};

typedef struct OpaqueAudioComponent* AudioComponent;
typedef struct OpaqueAudioComponentInstance* AudioComponentInstance;

// The next component after inComponent (the first for null) that matches the description;
// a zero field of the description matches anything.
AT_EXPORT AudioComponent AudioComponentFindNext(AudioComponent inComponent,
                                                const AudioComponentDescription* inDesc);
AT_EXPORT OSStatus AudioComponentGetDescription(AudioComponent inComponent,
                                                AudioComponentDescription* outDesc);
AT_EXPORT OSStatus AudioComponentInstanceNew(AudioComponent inComponent, AudioComponentInstance* outInstance);
AT_EXPORT OSStatus AudioComponentInstanceDispose(AudioComponentInstance inInstance);
