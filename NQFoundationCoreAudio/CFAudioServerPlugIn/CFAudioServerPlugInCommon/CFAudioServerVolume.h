#pragma once
// Conversions of the volume controls over the range -64..0 dB. The stored value is a linear
// gain; the scalar that clients see is linear in decibels, and so are the two conversion
// properties, so that a client converting a scalar gets the decibels the control shows.
#include <CoreFoundation/CFBase.h>

#include <algorithm>
#include <cmath>

namespace NQCFAudioServer::Volume {

constexpr Float32 kMinDB = -64.0f;
constexpr Float32 kMaxDB = 0.0f;

inline Float32 GainToDecibels(Float32 gain) {
  if (!(gain > std::pow(10.0f, kMinDB / 20.0f))) return kMinDB;
  return 20.0f * std::log10(gain);
}

inline Float32 DecibelsToGain(Float32 decibels) {
  if (!(decibels > kMinDB)) return 0.0f;
  return std::pow(10.0f, decibels / 20.0f);
}

inline Float32 DecibelsToScalar(Float32 decibels) { return (decibels - kMinDB) / (kMaxDB - kMinDB); }

inline Float32 ScalarToDecibels(Float32 scalar) { return kMinDB + (kMaxDB - kMinDB) * scalar; }

inline Float32 ClampDecibels(Float32 decibels) {
  return std::isnan(decibels) ? kMinDB : std::clamp(decibels, kMinDB, kMaxDB);
}

inline Float32 ClampScalar(Float32 scalar) {
  return std::isnan(scalar) ? 0.0f : std::clamp(scalar, 0.0f, 1.0f);
}

}  // namespace NQCFAudioServer::Volume
