#pragma once
// printf-style formatting into UTF-16 text, with %@ (an object's description), %S (a
// NUL-terminated UTF-16 string) and %C (one UTF-16 unit) besides the C conversions.
#include <cstdarg>
#include <string>

namespace CFStringFormat {
std::u16string format(const std::u16string& format, va_list arguments);
}
