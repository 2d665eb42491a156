#pragma once
// Reading a decoded TXT record: text keys, raw data values holding UTF-8 text.
#include <CFNetwork/CFNetServices.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>

namespace NQBonjour::TXTDictionary {

// The value as text (new reference), or null when missing, not data, or not UTF-8.
CFStringRef CopyStringValueForKey(CFDictionaryRef txtDictionary, CFStringRef key);
// The leading decimal integer of the value's text; 0 when there is none.
int64_t IntegerValueForKey(CFDictionaryRef txtDictionary, CFStringRef key);
// The value's text as a double; 0.0 when there is none.
double DoubleValueForKey(CFDictionaryRef txtDictionary, CFStringRef key);
// Reports every entry whose key is not text or whose value is not UTF-8 text, and an empty
// record; the label names the occasion.
void CFShow(CFDictionaryRef txtDictionary, CFStringRef label);
void CFShow(CFNetServiceRef service, CFDictionaryRef txtDictionary, const char* label);

}  // namespace NQBonjour::TXTDictionary
