#include "CoreException.h"

#include <cstdarg>
#include <cstdio>

const char* const kCoreExceptionNilPointer = "Nil exception pointer";
const char* const kCoreExceptionInvariantFailed = "Invariant failed";

CoreException::CoreException(const char* format, ...) {
  char buffer[2048];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(buffer, sizeof buffer, format ? format : "", arguments);
  va_end(arguments);
  mMessage = buffer;
}
