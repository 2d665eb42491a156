#include "namespace_CoreGeometry_PerlinNoise.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>

namespace CoreGeometry {

const PerlinNoise PerlinNoise::sSingleton(PerlinNoise::kSeed);

namespace {
float Smooth(float t) { return (3.0f - 2.0f * t) * t * t; }
float Lerp(float u, float v, float w) { return u - (u - v) * w; }
}  // namespace

PerlinNoise::PerlinNoise(unsigned seed) { Construct(seed); }

void PerlinNoise::Construct(unsigned seed) {
  // A private generator of 31-bit values: the tables are the same on every machine, and
  // building them leaves the process's rand() sequence alone.
  std::minstd_rand random(seed);
  auto next = [&random] { return uint32_t(random()) & 0x7FFFFFFF; };
  for (int i = 0; i < kTableSize; ++i) mPermutation[i] = uint8_t(i);
  for (int i = 0; i < kTableSize; ++i) std::swap(mPermutation[i], mPermutation[next() & 255]);
  for (int k = 0; k < kTableSize; ++k) {
    mGradient1[k] = float(next()) * kGradientScale + -1.0f;
    mGradient2[k] = float(next()) * kGradientScale + -1.0f;
    mGradient3[k] = float(next()) * kGradientScale + -1.0f;
  }
}

float PerlinNoise::Noise1(float x) const {
  int i = int(std::floor(x));
  float f = x - float(i);
  float a = f * mGradient1[i & 255];
  float b = (f - 1) * mGradient1[(i + 1) & 255];
  return Lerp(a, b, Smooth(f));
}

float PerlinNoise::Noise2(float x, float y) const {
  int i = int(std::floor(x)), j = int(std::floor(y));
  float fx = x - float(i), fy = y - float(j);
  auto hash = [this](uint32_t p, uint32_t q) { return mPermutation[(mPermutation[p & 255] + q) & 255]; };
  auto corner = [&](int di, int dj) {
    uint8_t b = hash(uint32_t(i + di), uint32_t(j + dj));
    return mGradient1[b] * (fx - float(di)) + mGradient2[b] * (fy - float(dj));
  };
  float sx = Smooth(fx), sy = Smooth(fy);
  float a = Lerp(corner(0, 0), corner(1, 0), sx);
  float b = Lerp(corner(0, 1), corner(1, 1), sx);
  return Lerp(a, b, sy);
}

float PerlinNoise::Noise3(float x, float y, float z) const {
  int i = int(std::floor(x)), j = int(std::floor(y)), k = int(std::floor(z));
  float fx = x - float(i), fy = y - float(j), fz = z - float(k);
  auto hash = [this](uint32_t p, uint32_t q, uint32_t r) {
    return mPermutation[(mPermutation[(mPermutation[p & 255] + q) & 255] + r) & 255];
  };
  auto corner = [&](int di, int dj, int dk) {
    uint8_t b = hash(uint32_t(i + di), uint32_t(j + dj), uint32_t(k + dk));
    return mGradient1[b] * (fx - float(di)) + mGradient2[b] * (fy - float(dj)) + mGradient3[b] * (fz - float(dk));
  };
  float sx = Smooth(fx), sy = Smooth(fy), sz = Smooth(fz);
  auto plane = [&](int dk) {
    float a = Lerp(corner(0, 0, dk), corner(1, 0, dk), sx);
    float b = Lerp(corner(0, 1, dk), corner(1, 1, dk), sx);
    return Lerp(a, b, sy);
  };
  return Lerp(plane(0), plane(1), sz);
}

float PerlinNoise::Noise1FromNormalValue(float v, unsigned octave) const {
  unsigned o = std::min(octave, 8u);
  return Noise1(float(1u << (o + 1)) * v);
}

unsigned PerlinNoise::OctaveFromFrequency(float f) {
  // Below 1 (or not a number) the octave is 0; the clamp comes before the conversion.
  if (!(f >= 1.0f)) return 0;
  return unsigned(std::min(std::log2f(f), 8.0f));
}

}  // namespace CoreGeometry
