#include <CoreFoundation/CFDictionary.h>
#include <Foundation/NSDictionary.h>

#include <cstdio>
#include <string>

#include "backend/CFDictionaryTable.h"

using CFCollection::checked;
using CFCollection::checkedMutable;
using CFCollection::report;

const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {
    0, CFCollection::retainType, CFCollection::releaseType, CFCopyDescription, CFEqual, CFHash};
const CFDictionaryKeyCallBacks kCFCopyStringDictionaryKeyCallBacks = {
    0, CFCollection::retainStringCopy, CFCollection::releaseType, CFCopyDescription, CFEqual, CFHash};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {
    0, CFCollection::retainType, CFCollection::releaseType, CFCopyDescription, CFEqual};

struct __CFDictionary : NSMutableDictionary {
  __CFDictionary(CFCollection::CallBacks keyCallBacks, CFCollection::CallBacks valueCallBacks, bool isMutable)
      : mTable(keyCallBacks, valueCallBacks), mMutable(isMutable) {}
  __CFDictionary(const CFCollection::DictionaryTable& table, bool isMutable) : mTable(table), mMutable(isMutable) {}

  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CFDictionary");
    return id;
  }
  static const char* typeName() { return "CFDictionary"; }

  unsigned long cfTypeID() const override { return typeID(); }
  bool isEqual(const NSObject* other) const override {
    return other && other->cfTypeID() == typeID() && mTable.equals(static_cast<const __CFDictionary*>(other)->mTable);
  }
  unsigned long hash() const override { return mTable.count(); }
  const __CFString* copyDescription() const override {
    char head[128];
    std::snprintf(head, sizeof head, "<CFDictionary %p>{type = %s, count = %zu, entries =>\n",
                  static_cast<const void*>(this), mMutable ? "mutable" : "immutable", mTable.count());
    std::string text = head;
    for (size_t i = 0; i < mTable.count(); ++i) {
      text += "\t" + std::to_string(i) + " : " + mTable.keyCallBacks().describe(mTable.key(i)) + " = " +
              mTable.valueCallBacks().describe(mTable.value(i)) + "\n";
    }
    text += "}";
    return CFCollection::createString(text);
  }

  CFCollection::DictionaryTable mTable;
  bool mMutable;
};

CFTypeID CFDictionaryGetTypeID(void) { return __CFDictionary::typeID(); }

CFDictionaryRef CFDictionaryCreate(CFAllocatorRef, const void** keys, const void** values, CFIndex numValues,
                                   const CFDictionaryKeyCallBacks* keyCallBacks,
                                   const CFDictionaryValueCallBacks* valueCallBacks) {
  if (numValues < 0 || (numValues > 0 && (!keys || !values))) {
    report("CFDictionaryCreate", "%ld entries from keys %p and values %p", static_cast<long>(numValues),
           static_cast<const void*>(keys), static_cast<const void*>(values));
    return nullptr;
  }
  auto* dictionary = new __CFDictionary(CFCollection::CallBacks::from(keyCallBacks),
                                        CFCollection::CallBacks::from(valueCallBacks), false);
  for (CFIndex i = 0; i < numValues; ++i) {
    std::optional<size_t> found = dictionary->mTable.find(keys[i]);
    if (found) {
      dictionary->mTable.setValue(*found, values[i]);
    } else {
      dictionary->mTable.add(keys[i], values[i]);
    }
  }
  return dictionary;
}

CFDictionaryRef CFDictionaryCreateCopy(CFAllocatorRef, CFDictionaryRef theDict) {
  const __CFDictionary* source = checked<__CFDictionary>(theDict, "CFDictionaryCreateCopy");
  return source ? new __CFDictionary(source->mTable, false) : nullptr;
}

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef, CFIndex, const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks) {
  return new __CFDictionary(CFCollection::CallBacks::from(keyCallBacks), CFCollection::CallBacks::from(valueCallBacks),
                            true);
}

CFMutableDictionaryRef CFDictionaryCreateMutableCopy(CFAllocatorRef, CFIndex, CFDictionaryRef theDict) {
  const __CFDictionary* source = checked<__CFDictionary>(theDict, "CFDictionaryCreateMutableCopy");
  return source ? new __CFDictionary(source->mTable, true) : nullptr;
}

CFIndex CFDictionaryGetCount(CFDictionaryRef theDict) {
  const __CFDictionary* dictionary = checked<__CFDictionary>(theDict, "CFDictionaryGetCount");
  return dictionary ? static_cast<CFIndex>(dictionary->mTable.count()) : 0;
}

Boolean CFDictionaryContainsKey(CFDictionaryRef theDict, const void* key) {
  const __CFDictionary* dictionary = checked<__CFDictionary>(theDict, "CFDictionaryContainsKey");
  return dictionary && dictionary->mTable.find(key).has_value();
}

CFIndex CFDictionaryGetCountOfKey(CFDictionaryRef theDict, const void* key) {
  return CFDictionaryContainsKey(theDict, key) ? 1 : 0;
}

CFIndex CFDictionaryGetCountOfValue(CFDictionaryRef theDict, const void* value) {
  const __CFDictionary* dictionary = checked<__CFDictionary>(theDict, "CFDictionaryGetCountOfValue");
  if (!dictionary) return 0;
  const CFCollection::DictionaryTable& table = dictionary->mTable;
  CFIndex count = 0;
  for (size_t i = 0; i < table.count(); ++i) {
    if (table.valueCallBacks().equalValues(table.value(i), value)) ++count;
  }
  return count;
}

Boolean CFDictionaryContainsValue(CFDictionaryRef theDict, const void* value) {
  return CFDictionaryGetCountOfValue(theDict, value) > 0;
}

Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef theDict, const void* key, const void** value) {
  const __CFDictionary* dictionary = checked<__CFDictionary>(theDict, "CFDictionaryGetValueIfPresent");
  if (!dictionary) return false;
  std::optional<size_t> found = dictionary->mTable.find(key);
  if (found && value) *value = dictionary->mTable.value(*found);
  return found.has_value();
}

const void* CFDictionaryGetValue(CFDictionaryRef theDict, const void* key) {
  const void* value = nullptr;
  return CFDictionaryGetValueIfPresent(theDict, key, &value) ? value : nullptr;
}

void CFDictionaryGetKeysAndValues(CFDictionaryRef theDict, const void** keys, const void** values) {
  const __CFDictionary* dictionary = checked<__CFDictionary>(theDict, "CFDictionaryGetKeysAndValues");
  if (!dictionary) return;
  for (size_t i = 0; i < dictionary->mTable.count(); ++i) {
    if (keys) keys[i] = dictionary->mTable.key(i);
    if (values) values[i] = dictionary->mTable.value(i);
  }
}

void CFDictionaryApplyFunction(CFDictionaryRef theDict, CFDictionaryApplierFunction applier, void* context) {
  const __CFDictionary* dictionary = checked<__CFDictionary>(theDict, "CFDictionaryApplyFunction");
  if (!dictionary || !applier) return;
  // The bound is read at every step, so an applier that removes entries ends the walk early
  // instead of reading past the table.
  for (size_t i = 0; i < dictionary->mTable.count(); ++i) {
    applier(dictionary->mTable.key(i), dictionary->mTable.value(i), context);
  }
}

void CFDictionaryAddValue(CFMutableDictionaryRef theDict, const void* key, const void* value) {
  __CFDictionary* dictionary = checkedMutable<__CFDictionary>(theDict, "CFDictionaryAddValue");
  if (dictionary && !dictionary->mTable.find(key)) dictionary->mTable.add(key, value);
}

void CFDictionarySetValue(CFMutableDictionaryRef theDict, const void* key, const void* value) {
  __CFDictionary* dictionary = checkedMutable<__CFDictionary>(theDict, "CFDictionarySetValue");
  if (!dictionary) return;
  std::optional<size_t> found = dictionary->mTable.find(key);
  if (found) {
    dictionary->mTable.setValue(*found, value);
  } else {
    dictionary->mTable.add(key, value);
  }
}

void CFDictionaryReplaceValue(CFMutableDictionaryRef theDict, const void* key, const void* value) {
  __CFDictionary* dictionary = checkedMutable<__CFDictionary>(theDict, "CFDictionaryReplaceValue");
  if (!dictionary) return;
  std::optional<size_t> found = dictionary->mTable.find(key);
  if (found) dictionary->mTable.setValue(*found, value);
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef theDict, const void* key) {
  __CFDictionary* dictionary = checkedMutable<__CFDictionary>(theDict, "CFDictionaryRemoveValue");
  if (!dictionary) return;
  std::optional<size_t> found = dictionary->mTable.find(key);
  if (found) dictionary->mTable.remove(*found);
}

void CFDictionaryRemoveAllValues(CFMutableDictionaryRef theDict) {
  __CFDictionary* dictionary = checkedMutable<__CFDictionary>(theDict, "CFDictionaryRemoveAllValues");
  if (dictionary) dictionary->mTable.removeAll();
}
