#pragma once
// Names of published status constants, for the status reporters: "<name> (<status>)" for a
// status a table knows, "statusValue=<status>" for any other.
#include <cstddef>

#include <CoreFoundation/MacTypes.h>

struct RequiredStatusName {
  SInt32 status;
  const char* name;
};

struct RequiredStatusTable {
  const RequiredStatusName* names;
  size_t count;

  // The name of a status, or null.
  const char* nameOf(SInt32 status) const;
  // Formats the status text into buffer (the reporters use 2048 bytes); answers buffer.
  const char* format(SInt32 status, char* buffer, size_t size) const;
};

// The audio hardware, audio unit, AUGraph, audio file and voice-processing errors.
extern const RequiredStatusTable kRequiredCoreAudioStatusNames;
// The Core Video returns.
extern const RequiredStatusTable kRequiredCVReturnStatusNames;

// The size of the buffer a status reporter formats its text into.
constexpr size_t kRequiredStatusTextSize = 2048;
