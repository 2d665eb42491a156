#pragma once
// The shader texts built into the application: file name, stored bytes (each byte's two
// halves swapped, the terminating NUL included) and stored length, in table order.
#include <cstddef>

struct NSOGLImageFilterShaderRecord {
  const char* fileName;
  const unsigned char* bytes;
  size_t length;
};

extern const NSOGLImageFilterShaderRecord kNSOGLImageFilterShaderTable[];
extern const size_t kNSOGLImageFilterShaderTableCount;
