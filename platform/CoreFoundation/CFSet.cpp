#include <CoreFoundation/CFSet.h>
#include <Foundation/NSSet.h>

#include <cstdio>
#include <string>

#include "backend/CFDictionaryTable.h"

using CFCollection::checked;
using CFCollection::checkedMutable;
using CFCollection::report;

const CFSetCallBacks kCFTypeSetCallBacks = {0, CFCollection::retainType, CFCollection::releaseType,
                                            CFCopyDescription, CFEqual, CFHash};
const CFSetCallBacks kCFCopyStringSetCallBacks = {0, CFCollection::retainStringCopy, CFCollection::releaseType,
                                                  CFCopyDescription, CFEqual, CFHash};

// A set is a table of keys whose values are unused.
struct __CFSet : NSMutableSet {
  __CFSet(CFCollection::CallBacks callBacks, bool isMutable) : mTable(callBacks, {}), mMutable(isMutable) {}
  __CFSet(const CFCollection::DictionaryTable& table, bool isMutable) : mTable(table), mMutable(isMutable) {}

  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CFSet");
    return id;
  }
  static const char* typeName() { return "CFSet"; }

  unsigned long cfTypeID() const override { return typeID(); }
  bool isEqual(const NSObject* other) const override {
    return other && other->cfTypeID() == typeID() && mTable.equals(static_cast<const __CFSet*>(other)->mTable);
  }
  unsigned long hash() const override { return mTable.count(); }
  const __CFString* copyDescription() const override {
    char head[128];
    std::snprintf(head, sizeof head, "<CFSet %p>{type = %s, count = %zu, values = (\n", static_cast<const void*>(this),
                  mMutable ? "mutable" : "immutable", mTable.count());
    std::string text = head;
    for (size_t i = 0; i < mTable.count(); ++i) {
      text += "\t" + std::to_string(i) + " : " + mTable.keyCallBacks().describe(mTable.key(i)) + "\n";
    }
    text += ")}";
    return CFCollection::createString(text);
  }

  CFCollection::DictionaryTable mTable;
  bool mMutable;
};

CFTypeID CFSetGetTypeID(void) { return __CFSet::typeID(); }

CFSetRef CFSetCreate(CFAllocatorRef, const void** values, CFIndex numValues, const CFSetCallBacks* callBacks) {
  if (numValues < 0 || (numValues > 0 && !values)) {
    report("CFSetCreate", "%ld values at %p", static_cast<long>(numValues), static_cast<const void*>(values));
    return nullptr;
  }
  auto* set = new __CFSet(CFCollection::CallBacks::from(callBacks), false);
  for (CFIndex i = 0; i < numValues; ++i) {
    if (!set->mTable.find(values[i])) set->mTable.add(values[i], nullptr);
  }
  return set;
}

CFSetRef CFSetCreateCopy(CFAllocatorRef, CFSetRef theSet) {
  const __CFSet* source = checked<__CFSet>(theSet, "CFSetCreateCopy");
  return source ? new __CFSet(source->mTable, false) : nullptr;
}

CFMutableSetRef CFSetCreateMutable(CFAllocatorRef, CFIndex, const CFSetCallBacks* callBacks) {
  return new __CFSet(CFCollection::CallBacks::from(callBacks), true);
}

CFMutableSetRef CFSetCreateMutableCopy(CFAllocatorRef, CFIndex, CFSetRef theSet) {
  const __CFSet* source = checked<__CFSet>(theSet, "CFSetCreateMutableCopy");
  return source ? new __CFSet(source->mTable, true) : nullptr;
}

CFIndex CFSetGetCount(CFSetRef theSet) {
  const __CFSet* set = checked<__CFSet>(theSet, "CFSetGetCount");
  return set ? static_cast<CFIndex>(set->mTable.count()) : 0;
}

Boolean CFSetGetValueIfPresent(CFSetRef theSet, const void* candidate, const void** value) {
  const __CFSet* set = checked<__CFSet>(theSet, "CFSetGetValueIfPresent");
  if (!set) return false;
  std::optional<size_t> found = set->mTable.find(candidate);
  if (found && value) *value = set->mTable.key(*found);
  return found.has_value();
}

Boolean CFSetContainsValue(CFSetRef theSet, const void* value) {
  return CFSetGetValueIfPresent(theSet, value, nullptr);
}

const void* CFSetGetValue(CFSetRef theSet, const void* candidate) {
  const void* value = nullptr;
  return CFSetGetValueIfPresent(theSet, candidate, &value) ? value : nullptr;
}

void CFSetGetValues(CFSetRef theSet, const void** values) {
  const __CFSet* set = checked<__CFSet>(theSet, "CFSetGetValues");
  if (!set || !values) return;
  for (size_t i = 0; i < set->mTable.count(); ++i) values[i] = set->mTable.key(i);
}

void CFSetApplyFunction(CFSetRef theSet, CFSetApplierFunction applier, void* context) {
  const __CFSet* set = checked<__CFSet>(theSet, "CFSetApplyFunction");
  if (!set || !applier) return;
  for (size_t i = 0; i < set->mTable.count(); ++i) applier(set->mTable.key(i), context);
}

void CFSetAddValue(CFMutableSetRef theSet, const void* value) {
  __CFSet* set = checkedMutable<__CFSet>(theSet, "CFSetAddValue");
  if (set && !set->mTable.find(value)) set->mTable.add(value, nullptr);
}

void CFSetSetValue(CFMutableSetRef theSet, const void* value) {
  __CFSet* set = checkedMutable<__CFSet>(theSet, "CFSetSetValue");
  if (!set) return;
  std::optional<size_t> found = set->mTable.find(value);
  if (found) {
    set->mTable.setKey(*found, value);
  } else {
    set->mTable.add(value, nullptr);
  }
}

void CFSetRemoveValue(CFMutableSetRef theSet, const void* value) {
  __CFSet* set = checkedMutable<__CFSet>(theSet, "CFSetRemoveValue");
  if (!set) return;
  std::optional<size_t> found = set->mTable.find(value);
  if (found) set->mTable.remove(*found);
}

void CFSetRemoveAllValues(CFMutableSetRef theSet) {
  __CFSet* set = checkedMutable<__CFSet>(theSet, "CFSetRemoveAllValues");
  if (set) set->mTable.removeAll();
}
