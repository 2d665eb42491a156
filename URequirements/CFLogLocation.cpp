#include "CFLogLocation.h"

#include <cstring>

const char* __CFConstStaticJustFileNameASCII(const char* path, size_t length) {
  if (!path) return nullptr;
  for (size_t index = length; index > 0; --index) {
    if (path[index - 1] == '/') return path + index;
  }
  return path;
}

const char* __CFConstStaticJustFileNameUTF8(const char* path) {
  if (!path) return nullptr;
  return __CFConstStaticJustFileNameASCII(path, strlen(path));
}
