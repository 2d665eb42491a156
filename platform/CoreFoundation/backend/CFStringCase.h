#pragma once
// Simple one-to-one case mapping for the Latin, Greek and Cyrillic letters the system's
// texts use; characters without a simple mapping stay as they are.
namespace CFStringCase {
char16_t upper(char16_t c);
char16_t lower(char16_t c);
// The form used to compare without regard to case.
inline char16_t fold(char16_t c) { return lower(c); }
}  // namespace CFStringCase
