#pragma once
#include <CoreAudio/AudioHardwareBase.h>

namespace AudioServer {

// The address of a property of the whole object (global scope, main element).
constexpr AudioObjectPropertyAddress GlobalAddress(AudioObjectPropertySelector selector) {
  return {selector, kAudioObjectPropertyScopeGlobal, kAudioObjectPropertyElementMain};
}

}  // namespace AudioServer
