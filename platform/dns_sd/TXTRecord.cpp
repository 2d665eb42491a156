// The TXT record codec (RFC 6763 section 6): a sequence of strings, each a length byte and
// up to 255 bytes of "key=value", "key=" or "key".
#include <strings.h>

#include <cstdlib>
#include <cstring>

#include "dns_sd.h"

namespace {

struct Entry {
  const unsigned char* start;  // the length byte
  size_t keyLength;
  const unsigned char* value;  // null when the entry has no '='
  size_t valueLength;
};

// Calls `visit` for each well-formed, non-empty entry, in order; stops at a length byte that
// runs past the end, or when `visit` answers false.
template <class Visit>
void forEachEntry(uint16_t length, const void* record, Visit visit) {
  const auto* bytes = static_cast<const unsigned char*>(record);
  if (!bytes) return;
  size_t at = 0;
  while (at < length) {
    size_t entryLength = bytes[at];
    if (at + 1 + entryLength > length) return;
    const unsigned char* text = bytes + at + 1;
    if (entryLength > 0) {
      const void* equals = memchr(text, '=', entryLength);
      Entry entry{bytes + at, entryLength, nullptr, 0};
      if (equals) {
        entry.keyLength = size_t(static_cast<const unsigned char*>(equals) - text);
        entry.value = text + entry.keyLength + 1;
        entry.valueLength = entryLength - entry.keyLength - 1;
      }
      if (entry.keyLength > 0 && !visit(entry)) return;
    }
    at += 1 + entryLength;
  }
}

bool keyMatches(const Entry& entry, const char* key) {
  size_t keyLength = strlen(key);
  return keyLength == entry.keyLength && strncasecmp(reinterpret_cast<const char*>(entry.start + 1), key, keyLength) == 0;
}

bool findKey(uint16_t length, const void* record, const char* key, Entry* found) {
  bool present = false;
  if (!key) return false;
  // The first entry of a key is the one that counts.
  forEachEntry(length, record, [&](const Entry& entry) {
    if (!keyMatches(entry, key)) return true;
    *found = entry;
    present = true;
    return false;
  });
  return present;
}

bool validKey(const char* key) {
  if (!key || !*key) return false;
  for (const char* c = key; *c; ++c)
    if (*c < 0x20 || *c > 0x7E || *c == '=') return false;
  return true;
}

}  // namespace

void TXTRecordCreate(TXTRecordRef* txtRecord, uint16_t bufferLen, void* buffer) {
  if (!txtRecord) return;
  txtRecord->bytes = static_cast<unsigned char*>(buffer);
  txtRecord->length = 0;
  txtRecord->capacity = buffer ? bufferLen : 0;
  txtRecord->owned = !buffer;
}

void TXTRecordDeallocate(TXTRecordRef* txtRecord) {
  if (!txtRecord) return;
  if (txtRecord->owned) free(txtRecord->bytes);
  txtRecord->bytes = nullptr;
  txtRecord->length = txtRecord->capacity = 0;
}

DNSServiceErrorType TXTRecordRemoveValue(TXTRecordRef* txtRecord, const char* key) {
  if (!txtRecord) return kDNSServiceErr_BadParam;
  Entry entry{};
  if (!findKey(txtRecord->length, txtRecord->bytes, key, &entry)) return kDNSServiceErr_NoSuchKey;
  size_t at = size_t(entry.start - txtRecord->bytes);
  size_t size = 1 + size_t(entry.start[0]);
  memmove(txtRecord->bytes + at, txtRecord->bytes + at + size, txtRecord->length - at - size);
  txtRecord->length = uint16_t(txtRecord->length - size);
  return kDNSServiceErr_NoError;
}

DNSServiceErrorType TXTRecordSetValue(TXTRecordRef* txtRecord, const char* key, uint8_t valueSize,
                                      const void* value) {
  if (!txtRecord || !validKey(key)) return kDNSServiceErr_Invalid;
  size_t keyLength = strlen(key);
  size_t entryLength = keyLength + (value ? 1 + size_t(valueSize) : 0);
  if (entryLength > 255) return kDNSServiceErr_Invalid;
  // Check the room first, so that a failed set leaves the record as it was.
  Entry existing{};
  size_t freed = findKey(txtRecord->length, txtRecord->bytes, key, &existing) ? 1 + size_t(existing.start[0]) : 0;
  size_t needed = txtRecord->length - freed + 1 + entryLength;
  if (needed > 0xFFFF) return kDNSServiceErr_NoMemory;
  if (needed > txtRecord->capacity) {
    if (!txtRecord->owned) return kDNSServiceErr_NoMemory;
    auto* grown = static_cast<unsigned char*>(realloc(txtRecord->bytes, needed));
    if (!grown) return kDNSServiceErr_NoMemory;
    txtRecord->bytes = grown;
    txtRecord->capacity = uint16_t(needed);
  }
  if (freed) TXTRecordRemoveValue(txtRecord, key);
  unsigned char* out = txtRecord->bytes + txtRecord->length;
  out[0] = uint8_t(entryLength);
  memcpy(out + 1, key, keyLength);
  if (value) {
    out[1 + keyLength] = '=';
    if (valueSize) memcpy(out + 2 + keyLength, value, valueSize);
  }
  txtRecord->length = uint16_t(txtRecord->length + 1 + entryLength);
  return kDNSServiceErr_NoError;
}

uint16_t TXTRecordGetLength(const TXTRecordRef* txtRecord) { return txtRecord ? txtRecord->length : 0; }

const void* TXTRecordGetBytesPtr(const TXTRecordRef* txtRecord) { return txtRecord ? txtRecord->bytes : nullptr; }

int TXTRecordContainsKey(uint16_t txtLen, const void* txtRecord, const char* key) {
  Entry entry{};
  return findKey(txtLen, txtRecord, key, &entry) ? 1 : 0;
}

const void* TXTRecordGetValuePtr(uint16_t txtLen, const void* txtRecord, const char* key, uint8_t* valueLen) {
  Entry entry{};
  if (!findKey(txtLen, txtRecord, key, &entry) || !entry.value) return nullptr;
  if (valueLen) *valueLen = uint8_t(entry.valueLength);
  return entry.value;
}

uint16_t TXTRecordGetCount(uint16_t txtLen, const void* txtRecord) {
  uint16_t count = 0;
  forEachEntry(txtLen, txtRecord, [&](const Entry&) {
    ++count;
    return true;
  });
  return count;
}

DNSServiceErrorType TXTRecordGetItemAtIndex(uint16_t txtLen, const void* txtRecord, uint16_t itemIndex,
                                            uint16_t keyBufLen, char* key, uint8_t* valueLen, const void** value) {
  uint16_t index = 0;
  Entry found{};
  bool present = false;
  forEachEntry(txtLen, txtRecord, [&](const Entry& entry) {
    if (index++ != itemIndex) return true;
    found = entry;
    present = true;
    return false;
  });
  if (!present) return kDNSServiceErr_Invalid;
  if (!key || keyBufLen < found.keyLength + 1) return kDNSServiceErr_NoMemory;
  memcpy(key, found.start + 1, found.keyLength);
  key[found.keyLength] = '\0';
  if (valueLen) *valueLen = uint8_t(found.valueLength);
  if (value) *value = found.value;
  return kDNSServiceErr_NoError;
}
