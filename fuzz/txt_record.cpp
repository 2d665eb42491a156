// TXT records of announcements (any local process can publish one): decoded into a dictionary,
// read key by key, and, where the dictionary can be written as a record, written and decoded
// again, which must give the same dictionary.
#include <CFNetwork/CFNetServices.h>
#include <CoreFoundation/CFData.h>
#include <dns_sd.h>
#include <objc/RefPtr.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0xFFFF) return 0;
  const auto length = uint16_t(size);
  const uint16_t count = TXTRecordGetCount(length, data);
  for (uint16_t i = 0; i < count; ++i) {
    char key[256];
    uint8_t valueLength = 0;
    const void* value = nullptr;
    if (TXTRecordGetItemAtIndex(length, data, i, sizeof key, key, &valueLength, &value) != kDNSServiceErr_NoError)
      continue;
    TXTRecordContainsKey(length, data, key);
    TXTRecordGetValuePtr(length, data, key, &valueLength);
  }

  RefPtr<const __CFData> record = adopt(CFDataCreate(nullptr, data, CFIndex(size)));
  RefPtr<const __CFDictionary> decoded = adopt(CFNetServiceCreateDictionaryWithTXTData(nullptr, record.get()));
  if (!decoded) return 0;
  RefPtr<const __CFData> written = adopt(CFNetServiceCreateTXTDataWithDictionary(nullptr, decoded.get()));
  if (!written) return 0;
  RefPtr<const __CFDictionary> again = adopt(CFNetServiceCreateDictionaryWithTXTData(nullptr, written.get()));
  if (!again || !CFEqual(again.get(), decoded.get())) std::abort();
  return 0;
}
