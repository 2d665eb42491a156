#include "NQCoreAudioStatus.h"

#include <cctype>
#include <cstdio>

namespace NQCoreAudio {

std::string StatusText(OSStatus status) {
  if (status == noErr) return "noErr";
  const UInt32 value = UInt32(status);
  char characters[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
  bool printable = true;
  for (char c : characters) printable = printable && isprint(static_cast<unsigned char>(c));
  char text[16];
  if (printable)
    snprintf(text, sizeof text, "'%c%c%c%c'", characters[0], characters[1], characters[2], characters[3]);
  else
    snprintf(text, sizeof text, "%04x", value);
  return text;
}

void PrintPlayThroughError(OSStatus status, const char* code, const char* file, int line) {
  printf("CAPlayThrough Error: %s -> %s %s:%d\n", StatusText(status).c_str(), code, file, line);
  fflush(stdout);
}

}  // namespace NQCoreAudio
