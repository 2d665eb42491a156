#include <CoreFoundation/CFBag.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "backend/CFDictionaryTable.h"

using CFCollection::checked;
using CFCollection::checkedMutable;
using CFCollection::report;

const CFBagCallBacks kCFTypeBagCallBacks = {0, CFCollection::retainType, CFCollection::releaseType,
                                            CFCopyDescription, CFEqual, CFHash};

// A bag is a table from each distinct value to how often it occurs; the value is held once.
struct __CFBag : NSObject {
  __CFBag(CFCollection::CallBacks callBacks, bool isMutable) : mTable(callBacks, {}), mMutable(isMutable) {}
  __CFBag(const CFCollection::DictionaryTable& table, bool isMutable) : mTable(table), mMutable(isMutable) {}

  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CFBag");
    return id;
  }
  static const char* typeName() { return "CFBag"; }

  CFIndex occurrences(size_t index) const {
    return static_cast<CFIndex>(reinterpret_cast<uintptr_t>(mTable.value(index)));
  }
  CFIndex count() const {
    CFIndex total = 0;
    for (size_t i = 0; i < mTable.count(); ++i) total += occurrences(i);
    return total;
  }
  void add(const void* value) {
    std::optional<size_t> found = mTable.find(value);
    if (found) {
      mTable.setValue(*found, reinterpret_cast<const void*>(static_cast<uintptr_t>(occurrences(*found) + 1)));
    } else {
      mTable.add(value, reinterpret_cast<const void*>(uintptr_t{1}));
    }
  }

  unsigned long cfTypeID() const override { return typeID(); }
  bool isEqual(const NSObject* other) const override {
    return other && other->cfTypeID() == typeID() && mTable.equals(static_cast<const __CFBag*>(other)->mTable);
  }
  unsigned long hash() const override { return static_cast<unsigned long>(count()); }
  const __CFString* copyDescription() const override {
    char head[128];
    std::snprintf(head, sizeof head, "<CFBag %p>{type = %s, count = %ld, values = (\n", static_cast<const void*>(this),
                  mMutable ? "mutable" : "immutable", static_cast<long>(count()));
    std::string text = head;
    for (size_t i = 0; i < mTable.count(); ++i) {
      text += "\t" + mTable.keyCallBacks().describe(mTable.key(i)) + " (" + std::to_string(occurrences(i)) + ")\n";
    }
    text += ")}";
    return CFCollection::createString(text);
  }

  CFCollection::DictionaryTable mTable;
  bool mMutable;
};

CFTypeID CFBagGetTypeID(void) { return __CFBag::typeID(); }

CFBagRef CFBagCreate(CFAllocatorRef, const void** values, CFIndex numValues, const CFBagCallBacks* callBacks) {
  if (numValues < 0 || (numValues > 0 && !values)) {
    report("CFBagCreate", "%ld values at %p", static_cast<long>(numValues), static_cast<const void*>(values));
    return nullptr;
  }
  auto* bag = new __CFBag(CFCollection::CallBacks::from(callBacks), false);
  for (CFIndex i = 0; i < numValues; ++i) bag->add(values[i]);
  return bag;
}

CFBagRef CFBagCreateCopy(CFAllocatorRef, CFBagRef theBag) {
  const __CFBag* source = checked<__CFBag>(theBag, "CFBagCreateCopy");
  return source ? new __CFBag(source->mTable, false) : nullptr;
}

CFMutableBagRef CFBagCreateMutable(CFAllocatorRef, CFIndex, const CFBagCallBacks* callBacks) {
  return new __CFBag(CFCollection::CallBacks::from(callBacks), true);
}

CFMutableBagRef CFBagCreateMutableCopy(CFAllocatorRef, CFIndex, CFBagRef theBag) {
  const __CFBag* source = checked<__CFBag>(theBag, "CFBagCreateMutableCopy");
  return source ? new __CFBag(source->mTable, true) : nullptr;
}

CFIndex CFBagGetCount(CFBagRef theBag) {
  const __CFBag* bag = checked<__CFBag>(theBag, "CFBagGetCount");
  return bag ? bag->count() : 0;
}

CFIndex CFBagGetCountOfValue(CFBagRef theBag, const void* value) {
  const __CFBag* bag = checked<__CFBag>(theBag, "CFBagGetCountOfValue");
  if (!bag) return 0;
  std::optional<size_t> found = bag->mTable.find(value);
  return found ? bag->occurrences(*found) : 0;
}

Boolean CFBagContainsValue(CFBagRef theBag, const void* value) { return CFBagGetCountOfValue(theBag, value) > 0; }

const void* CFBagGetValue(CFBagRef theBag, const void* value) {
  const __CFBag* bag = checked<__CFBag>(theBag, "CFBagGetValue");
  if (!bag) return nullptr;
  std::optional<size_t> found = bag->mTable.find(value);
  return found ? bag->mTable.key(*found) : nullptr;
}

void CFBagGetValues(CFBagRef theBag, const void** values) {
  const __CFBag* bag = checked<__CFBag>(theBag, "CFBagGetValues");
  if (!bag || !values) return;
  for (size_t i = 0; i < bag->mTable.count(); ++i) {
    for (CFIndex n = 0; n < bag->occurrences(i); ++n) *values++ = bag->mTable.key(i);
  }
}

void CFBagApplyFunction(CFBagRef theBag, CFBagApplierFunction applier, void* context) {
  const __CFBag* bag = checked<__CFBag>(theBag, "CFBagApplyFunction");
  if (!bag || !applier) return;
  for (size_t i = 0; i < bag->mTable.count(); ++i) {
    for (CFIndex n = 0; i < bag->mTable.count() && n < bag->occurrences(i); ++n) applier(bag->mTable.key(i), context);
  }
}

void CFBagAddValue(CFMutableBagRef theBag, const void* value) {
  __CFBag* bag = checkedMutable<__CFBag>(theBag, "CFBagAddValue");
  if (bag) bag->add(value);
}

void CFBagRemoveValue(CFMutableBagRef theBag, const void* value) {
  __CFBag* bag = checkedMutable<__CFBag>(theBag, "CFBagRemoveValue");
  if (!bag) return;
  std::optional<size_t> found = bag->mTable.find(value);
  if (!found) return;
  CFIndex remaining = bag->occurrences(*found) - 1;
  if (remaining > 0) {
    bag->mTable.setValue(*found, reinterpret_cast<const void*>(static_cast<uintptr_t>(remaining)));
  } else {
    bag->mTable.remove(*found);
  }
}

void CFBagRemoveAllValues(CFMutableBagRef theBag) {
  __CFBag* bag = checkedMutable<__CFBag>(theBag, "CFBagRemoveAllValues");
  if (bag) bag->mTable.removeAll();
}
