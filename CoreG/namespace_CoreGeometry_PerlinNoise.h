#pragma once
// Gradient ("Perlin") noise in one, two and three dimensions over fixed tables built from
// a seeded pseudo-random sequence.
#include <cstdint>

namespace CoreGeometry {

class PerlinNoise {
 public:
  static constexpr unsigned kSeed = 4567;
  static constexpr int kTableSize = 256;
  static constexpr float kGradientScale = 9.313225746154785e-10f;  // 2^-30

  explicit PerlinNoise(unsigned seed);
  void Construct(unsigned seed);

  float Noise1(float x) const;
  float Noise2(float x, float y) const;
  float Noise3(float x, float y, float z) const;
  float Noise1FromNormalValue(float v, unsigned octave) const;
  static unsigned OctaveFromFrequency(float f);

  const uint8_t* GetPermutation() const { return mPermutation; }
  const float* GetGradient1() const { return mGradient1; }

  // The one instance every fill uses; built before main and read-only afterwards.
  static const PerlinNoise sSingleton;

 private:
  uint8_t mPermutation[kTableSize];
  float mGradient1[kTableSize];
  float mGradient2[kTableSize];
  float mGradient3[kTableSize];
};

}  // namespace CoreGeometry
