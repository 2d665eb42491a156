#include <CoreFoundation/CFUUID.h>

#include <uuid/uuid.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include <CoreFoundation/CFString.h>
#include "backend/CFStringObject.h"

#include "backend/CFCollectionCallBacks.h"

struct __CFUUID : NSObject {
  explicit __CFUUID(const CFUUIDBytes& bytes) : mBytes(bytes) {}

  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CFUUID");
    return id;
  }
  static const char* typeName() { return "CFUUID"; }

  std::string_view view() const { return std::string_view(reinterpret_cast<const char*>(&mBytes), sizeof mBytes); }
  std::string text() const {
    char buffer[37];
    uuid_unparse_upper(reinterpret_cast<const unsigned char*>(&mBytes), buffer);
    return buffer;
  }

  unsigned long cfTypeID() const override { return typeID(); }
  bool isEqual(const NSObject* other) const override {
    return other && other->cfTypeID() == typeID() && static_cast<const __CFUUID*>(other)->view() == view();
  }
  unsigned long hash() const override { return std::hash<std::string_view>()(view()); }
  const __CFString* copyDescription() const override {
    char head[48];
    std::snprintf(head, sizeof head, "<CFUUID %p> ", static_cast<const void*>(this));
    return CFCollection::createString(head + text());
  }

  const CFUUIDBytes mBytes;
};

static_assert(sizeof(CFUUIDBytes) == 16, "a UUID is 16 bytes");

namespace {

CFUUIDBytes bytesOf(UInt8 b0, UInt8 b1, UInt8 b2, UInt8 b3, UInt8 b4, UInt8 b5, UInt8 b6, UInt8 b7, UInt8 b8, UInt8 b9,
                    UInt8 b10, UInt8 b11, UInt8 b12, UInt8 b13, UInt8 b14, UInt8 b15) {
  return CFUUIDBytes{b0, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15};
}

struct ConstantTable {
  std::mutex lock;
  std::map<std::string, const __CFUUID*> byBytes;
};

ConstantTable& constants() {
  static ConstantTable* table = new ConstantTable();  // lives past every static destructor
  return *table;
}

}  // namespace

CFTypeID CFUUIDGetTypeID(void) { return __CFUUID::typeID(); }

CFUUIDRef CFUUIDCreate(CFAllocatorRef) {
  CFUUIDBytes bytes;
  uuid_generate(reinterpret_cast<unsigned char*>(&bytes));
  return new __CFUUID(bytes);
}

CFUUIDRef CFUUIDCreateWithBytes(CFAllocatorRef, UInt8 b0, UInt8 b1, UInt8 b2, UInt8 b3, UInt8 b4, UInt8 b5, UInt8 b6,
                                UInt8 b7, UInt8 b8, UInt8 b9, UInt8 b10, UInt8 b11, UInt8 b12, UInt8 b13, UInt8 b14,
                                UInt8 b15) {
  return new __CFUUID(bytesOf(b0, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15));
}

CFUUIDRef CFUUIDCreateFromUUIDBytes(CFAllocatorRef, CFUUIDBytes bytes) { return new __CFUUID(bytes); }

CFUUIDRef CFUUIDCreateFromString(CFAllocatorRef, CFStringRef uuidStr) {
  if (!uuidStr || CFGetTypeID(uuidStr) != CFStringGetTypeID()) {
    CFCollection::report("CFUUIDCreateFromString", "%p is not a string", static_cast<const void*>(uuidStr));
    return nullptr;
  }
  std::string text = CFStringText::utf8(uuidStr);
  if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
  CFUUIDBytes bytes;
  if (text.size() != 36 || uuid_parse(text.c_str(), reinterpret_cast<unsigned char*>(&bytes)) != 0) return nullptr;
  return new __CFUUID(bytes);
}

CFStringRef CFUUIDCreateString(CFAllocatorRef, CFUUIDRef uuid) {
  const __CFUUID* object = CFCollection::checked<__CFUUID>(uuid, "CFUUIDCreateString");
  return object ? CFCollection::createString(object->text()) : nullptr;
}

CFUUIDRef CFUUIDGetConstantUUIDWithBytes(CFAllocatorRef, UInt8 b0, UInt8 b1, UInt8 b2, UInt8 b3, UInt8 b4, UInt8 b5,
                                         UInt8 b6, UInt8 b7, UInt8 b8, UInt8 b9, UInt8 b10, UInt8 b11, UInt8 b12,
                                         UInt8 b13, UInt8 b14, UInt8 b15) {
  CFUUIDBytes bytes = bytesOf(b0, b1, b2, b3, b4, b5, b6, b7, b8, b9, b10, b11, b12, b13, b14, b15);
  std::string key(reinterpret_cast<const char*>(&bytes), sizeof bytes);
  ConstantTable& table = constants();
  std::lock_guard<std::mutex> guard(table.lock);
  const __CFUUID*& constant = table.byBytes[key];
  if (!constant) {
    constant = new __CFUUID(bytes);
    constant->makeImmortal();
  }
  return constant;
}

CFUUIDBytes CFUUIDGetUUIDBytes(CFUUIDRef uuid) {
  const __CFUUID* object = CFCollection::checked<__CFUUID>(uuid, "CFUUIDGetUUIDBytes");
  return object ? object->mBytes : CFUUIDBytes{};
}
