#include <CoreFoundation/CFData.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <CoreFoundation/CFString.h>
#include <Foundation/NSData.h>

#include "backend/CFCollectionCallBacks.h"

struct __CFData : NSMutableData {
  std::vector<UInt8> mBytes;
  // Borrowed bytes of CFDataCreateWithBytesNoCopy (immutable data only).
  const UInt8* mBorrowed = nullptr;
  CFIndex mBorrowedLength = 0;
  bool mFreeBorrowed = false;
  bool mMutable = false;

  ~__CFData() override {
    if (mFreeBorrowed) std::free(const_cast<UInt8*>(mBorrowed));
  }

  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CFData");
    return id;
  }
  static const char* typeName() { return "CFData"; }
  static const __CFData* from(CFTypeRef object) {
    auto* data = static_cast<const NSObject*>(object);
    return data && data->cfTypeID() == typeID() ? static_cast<const __CFData*>(data) : nullptr;
  }

  const UInt8* bytes() const { return mBorrowed ? mBorrowed : mBytes.data(); }
  CFIndex length() const { return mBorrowed ? mBorrowedLength : static_cast<CFIndex>(mBytes.size()); }
  std::string_view view() const {
    return std::string_view(reinterpret_cast<const char*>(bytes()), static_cast<size_t>(length()));
  }

  unsigned long cfTypeID() const override { return typeID(); }
  bool isEqual(const NSObject* other) const override {
    const __CFData* data = from(other);
    return data && data->view() == view();
  }
  unsigned long hash() const override { return std::hash<std::string_view>()(view().substr(0, 80)) ^ length(); }
  const __CFString* copyDescription() const override {
    char head[128];
    std::snprintf(head, sizeof head, "<CFData %p>{length = %ld, bytes = 0x", static_cast<const void*>(this),
                  static_cast<long>(length()));
    std::string text = head;
    static const char digits[] = "0123456789abcdef";
    // Long data shows its first and last bytes, as a log line should stay short.
    std::string_view all = view();
    auto appendHex = [&](std::string_view part) {
      for (unsigned char byte : part) {
        text += digits[byte >> 4];
        text += digits[byte & 15];
      }
    };
    if (all.size() <= 24) {
      appendHex(all);
    } else {
      appendHex(all.substr(0, 16));
      text += " ... ";
      appendHex(all.substr(all.size() - 8));
    }
    text += "}";
    return CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8);
  }
};

namespace {

bool bytesGiven(const UInt8* bytes, CFIndex length, const char* function) {
  if (length >= 0 && (bytes || length == 0)) return true;
  CFCollection::report(function, "%ld bytes at %p", static_cast<long>(length), static_cast<const void*>(bytes));
  return false;
}

}  // namespace

CFTypeID CFDataGetTypeID(void) { return __CFData::typeID(); }

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8* bytes, CFIndex length) {
  if (!bytesGiven(bytes, length, "CFDataCreate")) return nullptr;
  auto* data = new __CFData();
  data->mBytes.assign(bytes, bytes + length);
  return data;
}

CFDataRef CFDataCreateWithBytesNoCopy(CFAllocatorRef, const UInt8* bytes, CFIndex length,
                                      CFAllocatorRef bytesDeallocator) {
  if (!bytesGiven(bytes, length, "CFDataCreateWithBytesNoCopy")) return nullptr;
  auto* data = new __CFData();
  data->mBorrowed = bytes;
  data->mBorrowedLength = length;
  data->mFreeBorrowed = bytesDeallocator != kCFAllocatorNull;
  return data;
}

CFDataRef CFDataCreateCopy(CFAllocatorRef allocator, CFDataRef theData) {
  const __CFData* source = CFCollection::checked<__CFData>(theData, "CFDataCreateCopy");
  if (!source) return nullptr;
  return CFDataCreate(allocator, source->bytes(), source->length());
}

CFMutableDataRef CFDataCreateMutable(CFAllocatorRef, CFIndex capacity) {
  auto* data = new __CFData();
  data->mMutable = true;
  if (capacity > 0) data->mBytes.reserve(static_cast<size_t>(capacity));
  return data;
}

CFMutableDataRef CFDataCreateMutableCopy(CFAllocatorRef allocator, CFIndex capacity, CFDataRef theData) {
  const __CFData* source = CFCollection::checked<__CFData>(theData, "CFDataCreateMutableCopy");
  if (!source) return nullptr;
  CFMutableDataRef data = CFDataCreateMutable(allocator, capacity);
  data->mBytes.assign(source->bytes(), source->bytes() + source->length());
  return data;
}

CFIndex CFDataGetLength(CFDataRef theData) {
  const __CFData* data = CFCollection::checked<__CFData>(theData, "CFDataGetLength");
  return data ? data->length() : 0;
}

const UInt8* CFDataGetBytePtr(CFDataRef theData) {
  const __CFData* data = CFCollection::checked<__CFData>(theData, "CFDataGetBytePtr");
  return data ? data->bytes() : nullptr;
}

UInt8* CFDataGetMutableBytePtr(CFMutableDataRef theData) {
  __CFData* data = CFCollection::checkedMutable<__CFData>(theData, "CFDataGetMutableBytePtr");
  return data ? data->mBytes.data() : nullptr;
}

void CFDataGetBytes(CFDataRef theData, CFRange range, UInt8* buffer) {
  const __CFData* data = CFCollection::checked<__CFData>(theData, "CFDataGetBytes");
  if (!data || !CFCollection::rangeInside(range, data->length(), "CFDataGetBytes") || !buffer) return;
  std::memcpy(buffer, data->bytes() + range.location, static_cast<size_t>(range.length));
}

void CFDataSetLength(CFMutableDataRef theData, CFIndex length) {
  __CFData* data = CFCollection::checkedMutable<__CFData>(theData, "CFDataSetLength");
  if (!data) return;
  if (length < 0) {
    CFCollection::report("CFDataSetLength", "negative length %ld", static_cast<long>(length));
    return;
  }
  data->mBytes.resize(static_cast<size_t>(length), 0);
}

void CFDataIncreaseLength(CFMutableDataRef theData, CFIndex extraLength) {
  __CFData* data = CFCollection::checkedMutable<__CFData>(theData, "CFDataIncreaseLength");
  if (!data) return;
  if (extraLength < 0) {
    CFCollection::report("CFDataIncreaseLength", "negative length %ld", static_cast<long>(extraLength));
    return;
  }
  data->mBytes.resize(data->mBytes.size() + static_cast<size_t>(extraLength), 0);
}

void CFDataAppendBytes(CFMutableDataRef theData, const UInt8* bytes, CFIndex length) {
  __CFData* data = CFCollection::checkedMutable<__CFData>(theData, "CFDataAppendBytes");
  if (!data || !bytesGiven(bytes, length, "CFDataAppendBytes")) return;
  // The bytes may come from this same data: copy them before the vector can move.
  std::vector<UInt8> appended(bytes, bytes + length);
  data->mBytes.insert(data->mBytes.end(), appended.begin(), appended.end());
}

void CFDataReplaceBytes(CFMutableDataRef theData, CFRange range, const UInt8* newBytes, CFIndex newLength) {
  __CFData* data = CFCollection::checkedMutable<__CFData>(theData, "CFDataReplaceBytes");
  if (!data || !CFCollection::rangeInside(range, data->length(), "CFDataReplaceBytes") ||
      !bytesGiven(newBytes, newLength, "CFDataReplaceBytes")) {
    return;
  }
  std::vector<UInt8> replacement(newBytes, newBytes + newLength);
  auto first = data->mBytes.begin() + range.location;
  data->mBytes.erase(first, first + range.length);
  data->mBytes.insert(data->mBytes.begin() + range.location, replacement.begin(), replacement.end());
}

void CFDataDeleteBytes(CFMutableDataRef theData, CFRange range) {
  CFDataReplaceBytes(theData, range, nullptr, 0);
}
