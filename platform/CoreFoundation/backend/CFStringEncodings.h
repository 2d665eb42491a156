#pragma once
// Conversions between the platform's text encodings and UTF-16, one character at a time
// so that callers can stop at a buffer's end or at a character an encoding lacks.
#include <optional>
#include <string>

#include <CoreFoundation/CFString.h>

namespace CFStringEncodings {

bool isAvailable(CFStringEncoding encoding);

// The text of bytes in an encoding; nothing when the bytes are not valid text in it or the
// encoding is unavailable. With honourByteOrderMark, unmarked UTF-16 and UTF-32 take their
// byte order from a leading byte-order mark, which is dropped; without one they are in host order.
std::optional<std::u16string> decode(const UInt8* bytes, size_t length, CFStringEncoding encoding,
                                     bool honourByteOrderMark = true);

// Appends one character (a code point, or a lone surrogate) in the encoding; false, with
// nothing appended, when the encoding cannot represent it.
bool encodeCharacter(char32_t character, CFStringEncoding encoding, std::string& out);

// Bytes of the NUL that ends a C string in the encoding (2 for UTF-16, 4 for UTF-32).
size_t terminatorSize(CFStringEncoding encoding);

// The byte-order mark in host order for unmarked UTF-16 and UTF-32; empty for the others.
std::string byteOrderMark(CFStringEncoding encoding);

// Text in UTF-8, with U+FFFD for unpaired surrogates.
std::string toUTF8(const std::u16string& characters);

// The next character of UTF-16 text at index, and how many units it takes (1 or 2).
char32_t characterAt(const std::u16string& characters, size_t index, size_t* units);

}  // namespace CFStringEncodings
