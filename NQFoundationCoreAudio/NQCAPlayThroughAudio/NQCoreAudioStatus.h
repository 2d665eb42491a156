#pragma once
// How the play-through engine writes a status and reports the failure of one of its steps.
#include <CoreAudio/CoreAudioTypes.h>
#include <URequirements.h>

#include <string>

namespace NQCoreAudio {

// "noErr" for 0, the four characters in single quotes when all are printable, else "%04x".
std::string StatusText(OSStatus status);

// Prints "CAPlayThrough Error: <status> -> <code> <file>:<line>" to standard output.
void PrintPlayThroughError(OSStatus status, const char* code, const char* file, int line);

}  // namespace NQCoreAudio

// Runs a step into `err`; on failure prints the failure line and returns the status.
#define CAPLAYTHROUGH_CHECK(expression)                                                            \
  do {                                                                                             \
    err = (expression);                                                                            \
    if (err != noErr) {                                                                            \
      NQCoreAudio::PrintPlayThroughError(err, "err = " #expression, REQUIRED_FILE_NAME, __LINE__); \
      return err;                                                                                  \
    }                                                                                              \
  } while (0)

// Prints the failure line of a status that is already known, without returning.
#define CAPLAYTHROUGH_PRINT(status, code) \
  NQCoreAudio::PrintPlayThroughError((status), (code), REQUIRED_FILE_NAME, __LINE__)
