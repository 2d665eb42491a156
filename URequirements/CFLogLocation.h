#pragma once
// Where a failed requirement stands, as every requirement report names it.
#include <cstddef>

#include <CoreFoundation/MacTypes.h>

struct CFLogLocation {
  const char* file;
  const char* function;
  SInt32 line;
  const char* code;
};

// The part of a source path after its last '/' (the whole path when it has none); null for
// a null path. The macros hand __FILE__ and its length to the ASCII form.
const char* __CFConstStaticJustFileNameASCII(const char* path, size_t length);
const char* __CFConstStaticJustFileNameUTF8(const char* path);
