// Debug output: descriptions written to stderr, one per line.
#include <CoreFoundation/CFString.h>

#include <cstdio>

#include "backend/CFStringObject.h"

void CFShow(CFTypeRef obj) {
  std::string text = "(null)";
  if (obj) {
    CFStringRef description = CFCopyDescription(obj);
    text = CFStringText::utf8(description);
    if (description) CFRelease(description);
  }
  std::fprintf(stderr, "%s\n", text.c_str());
}

void CFShowStr(CFStringRef str) {
  if (!str) {
    std::fprintf(stderr, "(null)\n");
    return;
  }
  std::fprintf(stderr, "Length %ld\n%s\n", static_cast<long>(CFStringGetLength(str)), CFStringText::utf8(str).c_str());
}
