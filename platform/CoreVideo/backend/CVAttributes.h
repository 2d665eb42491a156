#pragma once
// Reading attribute dictionaries, whose numbers may come as integers or as doubles.
#include <CoreFoundation/CFDictionary.h>

#include <cstdint>

namespace CoreVideo {

enum class Found { missing, number, invalid };

Found integerAttribute(CFDictionaryRef attributes, CFStringRef key, int64_t& value);
bool isDictionary(CFTypeRef object);

}  // namespace CoreVideo
