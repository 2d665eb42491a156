#include "CoreCStringSized.h"

#include <cstring>

#include "CoreException.h"

CoreCStringSized::CoreCStringSized(OSType code, unsigned short minimum) : CoreCString(code, minimum) {
  char text[7] = {'\'', 0, 0, 0, 0, '\'', 0};
  memcpy(text + 1, &code, sizeof code);
  Alloc(text, minimum);
}

CoreCStringSized::~CoreCStringSized() = default;

void CoreCStringSized::truncate(const char* position) {
  requireText();
  if (!position || position < mText || position > mText + ::strlen(mText)) {
    throw CoreException("%s", kCoreExceptionInvariantFailed);
  }
  mText[position - mText] = 0;
}

void CoreCStringSized::strcat(const char* source) {
  requireText();
  if (!source) throw CoreException("%s", kCoreExceptionNilPointer);
  const size_t length = ::strlen(mText);
  const size_t added = ::strlen(source);
  if (!(length + added < size_t(mCapacity) - 1)) throw CoreException("%s", kCoreExceptionInvariantFailed);
  memcpy(mText + length, source, added + 1);
}
