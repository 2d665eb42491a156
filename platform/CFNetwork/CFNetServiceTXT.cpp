// TXT records and dictionaries, through the dns_sd codec.
#include <CFNetwork/CFNetServices.h>
#include <CoreFoundation/CFString.h>
#include <dns_sd.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace {

bool utf8Bytes(CFStringRef text, std::string* out) {
  CFIndex length = CFStringGetLength(text);
  CFIndex size = 0;
  CFStringGetBytes(text, CFRangeMake(0, length), kCFStringEncodingUTF8, 0, false, nullptr, 0, &size);
  out->assign(size_t(size), '\0');
  return CFStringGetBytes(text, CFRangeMake(0, length), kCFStringEncodingUTF8, 0, false,
                          reinterpret_cast<UInt8*>(out->data()), size, &size) == length;
}

}  // namespace

CFDataRef CFNetServiceCreateTXTDataWithDictionary(CFAllocatorRef alloc, CFDictionaryRef keyValuePairs) {
  if (!keyValuePairs || CFGetTypeID(keyValuePairs) != CFDictionaryGetTypeID()) return nullptr;
  CFIndex count = CFDictionaryGetCount(keyValuePairs);
  std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
  CFDictionaryGetKeysAndValues(keyValuePairs, keys.data(), values.data());
  TXTRecordRef record;
  TXTRecordCreate(&record, 0, nullptr);
  bool fits = true;
  for (CFIndex i = 0; fits && i < count; ++i) {
    auto key = static_cast<CFStringRef>(keys[size_t(i)]);
    CFTypeRef value = values[size_t(i)];
    std::string keyText, valueBytes;
    if (!key || CFGetTypeID(key) != CFStringGetTypeID() || !utf8Bytes(key, &keyText)) {
      fits = false;
      break;
    }
    bool alone = !value || value == kCFNull;
    if (!alone && CFGetTypeID(value) == CFStringGetTypeID()) {
      fits = utf8Bytes(static_cast<CFStringRef>(value), &valueBytes);
    } else if (!alone && CFGetTypeID(value) == CFDataGetTypeID()) {
      auto data = static_cast<CFDataRef>(value);
      valueBytes.assign(reinterpret_cast<const char*>(CFDataGetBytePtr(data)), size_t(CFDataGetLength(data)));
    } else if (!alone) {
      fits = false;
    }
    fits = fits && valueBytes.size() <= 255 &&
           TXTRecordSetValue(&record, keyText.c_str(), uint8_t(valueBytes.size()),
                             alone ? nullptr : valueBytes.data()) == kDNSServiceErr_NoError;
  }
  CFDataRef data = fits ? CFDataCreate(alloc, static_cast<const UInt8*>(TXTRecordGetBytesPtr(&record)),
                                       TXTRecordGetLength(&record))
                        : nullptr;
  TXTRecordDeallocate(&record);
  return data;
}

CFDictionaryRef CFNetServiceCreateDictionaryWithTXTData(CFAllocatorRef alloc, CFDataRef txtRecord) {
  if (!txtRecord || CFGetTypeID(txtRecord) != CFDataGetTypeID()) return nullptr;
  const UInt8* bytes = CFDataGetBytePtr(txtRecord);
  CFIndex length = CFDataGetLength(txtRecord);
  if (length > 0xFFFF) return nullptr;
  // Every length byte must stay inside the data.
  for (CFIndex at = 0; at < length; at += 1 + bytes[at])
    if (at + 1 + bytes[at] > length) return nullptr;
  CFMutableDictionaryRef dictionary =
      CFDictionaryCreateMutable(alloc, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  // Keys are the same whatever their case, and only a key's first entry counts, as the record's
  // own lookups read it: "Key" after "key" would otherwise make a dictionary of two entries
  // that no record can hold.
  std::set<std::string> seen;
  uint16_t count = TXTRecordGetCount(uint16_t(length), bytes);
  for (uint16_t i = 0; i < count; ++i) {
    char key[256];
    uint8_t valueLength = 0;
    const void* value = nullptr;
    if (TXTRecordGetItemAtIndex(uint16_t(length), bytes, i, sizeof key, key, &valueLength, &value) !=
        kDNSServiceErr_NoError)
      continue;
    std::string folded = key;
    for (char& c : folded) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (!seen.insert(folded).second) continue;
    CFStringRef keyString = CFStringCreateWithCString(alloc, key, kCFStringEncodingUTF8);
    if (!keyString) continue;
    CFTypeRef valueObject =
        value ? CFDataCreate(alloc, static_cast<const UInt8*>(value), valueLength) : CFRetain(kCFNull);
    CFDictionarySetValue(dictionary, keyString, valueObject);
    CFRelease(valueObject);
    CFRelease(keyString);
  }
  return dictionary;
}
