#include "backend/CFStringCase.h"

namespace CFStringCase {
namespace {

// Latin Extended-A pairs an upper-case letter with the lower-case one after it, starting on
// even code points in some blocks and on odd ones in others. The dotted and dotless i
// (U+0130, U+0131) pair with the ASCII letters instead, so they are left alone.
bool isExtendedAUpper(char16_t c) {
  if (c == 0x130 || c == 0x131) return false;
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c % 2 == 0;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return c % 2 == 1;
  return false;
}

bool isExtendedALower(char16_t c) {
  if (c == 0x130 || c == 0x131) return false;
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c % 2 == 1;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return c % 2 == 0;
  return false;
}

}  // namespace

char16_t upper(char16_t c) {
  if (c >= u'a' && c <= u'z') return c - 0x20;
  if (c < 0x80) return c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  if (c == 0xFF) return 0x178;
  if (c == 0xB5) return 0x39C;
  if (isExtendedALower(c)) return c - 1;
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  return c;
}

char16_t lower(char16_t c) {
  if (c >= u'A' && c <= u'Z') return c + 0x20;
  if (c < 0x80) return c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  if (c == 0x178) return 0xFF;
  if (isExtendedAUpper(c)) return c + 1;
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  return c;
}

}  // namespace CFStringCase
