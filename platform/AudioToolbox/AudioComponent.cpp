#include <AudioToolbox/AudioComponent.h>

#include <iterator>
#include <memory>
#include <new>

#include "backend/HALOutputUnit.h"
#include "backend/VarispeedUnit.h"

using AudioToolboxBackend::HALOutputUnit;
using AudioToolboxBackend::VarispeedUnit;

struct OpaqueAudioComponent {
  AudioComponentDescription description;
  OpaqueAudioComponentInstance* (*make)(const AudioComponentDescription& description);
};

namespace {

template <class Unit>
OpaqueAudioComponentInstance* Make(const AudioComponentDescription& description) {
  return new (std::nothrow) Unit(description);
}

OpaqueAudioComponent sComponents[] = {
    {{kAudioUnitType_Output, kAudioUnitSubType_DefaultOutput, kAudioUnitManufacturer_Apple, 0, 0},
     Make<HALOutputUnit>},
    {{kAudioUnitType_Output, kAudioUnitSubType_HALOutput, kAudioUnitManufacturer_Apple, 0, 0},
     Make<HALOutputUnit>},
    {{kAudioUnitType_FormatConverter, kAudioUnitSubType_Varispeed, kAudioUnitManufacturer_Apple, 0, 0},
     Make<VarispeedUnit>},
};

bool Matches(const AudioComponentDescription& wanted, const AudioComponentDescription& offered) {
  return (!wanted.componentType || wanted.componentType == offered.componentType) &&
         (!wanted.componentSubType || wanted.componentSubType == offered.componentSubType) &&
         (!wanted.componentManufacturer || wanted.componentManufacturer == offered.componentManufacturer) &&
         (wanted.componentFlags & wanted.componentFlagsMask) ==
             (offered.componentFlags & wanted.componentFlagsMask);
}

}  // namespace

AudioComponent AudioComponentFindNext(AudioComponent inComponent, const AudioComponentDescription* inDesc) {
  if (!inDesc) return nullptr;
  auto* next = inComponent ? inComponent + 1 : std::begin(sComponents);
  for (; next >= std::begin(sComponents) && next < std::end(sComponents); ++next)
    if (Matches(*inDesc, next->description)) return next;
  return nullptr;
}

OSStatus AudioComponentGetDescription(AudioComponent inComponent, AudioComponentDescription* outDesc) {
  if (!inComponent || !outDesc) return kAudio_ParamError;
  *outDesc = inComponent->description;
  return noErr;
}

OSStatus AudioComponentInstanceNew(AudioComponent inComponent, AudioComponentInstance* outInstance) {
  if (!inComponent || !outInstance) return kAudio_ParamError;
  *outInstance = inComponent->make(inComponent->description);
  return *outInstance ? OSStatus(noErr) : OSStatus(kAudio_MemFullError);
}

OSStatus AudioComponentInstanceDispose(AudioComponentInstance inInstance) {
  if (!inInstance) return kAudio_ParamError;
  delete inInstance;
  return noErr;
}
