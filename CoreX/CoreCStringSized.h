#pragma once
// A CoreCString whose bounded operations never grow it: what does not fit throws.
#include "CoreCString.h"

class CoreCStringSized : public CoreCString {
 public:
  using CoreCString::CoreCString;
  // The code's four bytes as they lie in memory, between single quotes.
  CoreCStringSized(OSType code, unsigned short minimum);
  ~CoreCStringSized() override;

  // Ends the text at position, which must lie within it (its terminator included).
  void truncate(const char* position);
  // Appends only when the result leaves room below the capacity.
  void strcat(const char* source);
};
