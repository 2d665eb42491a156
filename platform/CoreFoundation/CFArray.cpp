#include <CoreFoundation/CFArray.h>
#include <Foundation/NSArray.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "backend/CFCollectionCallBacks.h"

using CFCollection::checked;
using CFCollection::checkedMutable;
using CFCollection::report;

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, CFCollection::retainType, CFCollection::releaseType,
                                                CFCopyDescription, CFEqual};

struct __CFArray : NSMutableArray {
  __CFArray(CFCollection::CallBacks callBacks, bool isMutable) : mCallBacks(callBacks), mMutable(isMutable) {}
  ~__CFArray() override {
    for (const void* value : mValues) mCallBacks.releaseValue(value);
  }

  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CFArray");
    return id;
  }
  static const char* typeName() { return "CFArray"; }

  CFIndex count() const { return static_cast<CFIndex>(mValues.size()); }

  unsigned long cfTypeID() const override { return typeID(); }
  bool isEqual(const NSObject* other) const override {
    if (!other || other->cfTypeID() != typeID()) return false;
    auto* array = static_cast<const __CFArray*>(other);
    if (array->mValues.size() != mValues.size()) return false;
    for (size_t i = 0; i < mValues.size(); ++i) {
      if (!mCallBacks.equalValues(mValues[i], array->mValues[i])) return false;
    }
    return true;
  }
  unsigned long hash() const override { return mValues.size(); }
  const __CFString* copyDescription() const override {
    char head[128];
    std::snprintf(head, sizeof head, "<CFArray %p>{type = %s, count = %zu, values = (\n",
                  static_cast<const void*>(this), mMutable ? "mutable" : "immutable", mValues.size());
    std::string text = head;
    for (size_t i = 0; i < mValues.size(); ++i) {
      text += "\t" + std::to_string(i) + " : " + mCallBacks.describe(mValues[i]) + "\n";
    }
    text += ")}";
    return CFCollection::createString(text);
  }

  CFCollection::CallBacks mCallBacks;
  std::vector<const void*> mValues;
  bool mMutable;
};

namespace {

CFArrayCallBacks platformCallBacks(const __CFArray* array) {
  return array->mCallBacks.to<CFArrayCallBacks>();
}

// A stable merge sort that stays inside the array whatever the comparator answers.
void mergeSort(std::vector<const void*>& values, size_t first, size_t last, CFComparatorFunction comparator,
               void* context) {
  std::vector<const void*> buffer(last - first);
  for (size_t width = 1; width < last - first; width *= 2) {
    for (size_t left = first; left < last; left += 2 * width) {
      size_t middle = std::min(left + width, last), right = std::min(left + 2 * width, last);
      size_t i = left, j = middle, out = 0;
      while (i < middle && j < right) {
        buffer[out++] = comparator(values[j], values[i], context) < 0 ? values[j++] : values[i++];
      }
      while (i < middle) buffer[out++] = values[i++];
      while (j < right) buffer[out++] = values[j++];
      std::copy(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(out),
                values.begin() + static_cast<std::ptrdiff_t>(left));
    }
  }
}

}  // namespace

CFTypeID CFArrayGetTypeID(void) { return __CFArray::typeID(); }

CFArrayRef CFArrayCreate(CFAllocatorRef, const void** values, CFIndex numValues, const CFArrayCallBacks* callBacks) {
  if (numValues < 0 || (numValues > 0 && !values)) {
    report("CFArrayCreate", "%ld values at %p", static_cast<long>(numValues), static_cast<const void*>(values));
    return nullptr;
  }
  auto* array = new __CFArray(CFCollection::CallBacks::from(callBacks), false);
  array->mValues.reserve(static_cast<size_t>(numValues));
  for (CFIndex i = 0; i < numValues; ++i) array->mValues.push_back(array->mCallBacks.retainValue(values[i]));
  return array;
}

CFArrayRef CFArrayCreateCopy(CFAllocatorRef allocator, CFArrayRef theArray) {
  const __CFArray* source = checked<__CFArray>(theArray, "CFArrayCreateCopy");
  if (!source) return nullptr;
  CFArrayCallBacks callBacks = platformCallBacks(source);
  return CFArrayCreate(allocator, const_cast<const void**>(source->mValues.data()), source->count(), &callBacks);
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef, CFIndex capacity, const CFArrayCallBacks* callBacks) {
  auto* array = new __CFArray(CFCollection::CallBacks::from(callBacks), true);
  if (capacity > 0) array->mValues.reserve(static_cast<size_t>(capacity));
  return array;
}

CFMutableArrayRef CFArrayCreateMutableCopy(CFAllocatorRef allocator, CFIndex capacity, CFArrayRef theArray) {
  const __CFArray* source = checked<__CFArray>(theArray, "CFArrayCreateMutableCopy");
  if (!source) return nullptr;
  CFArrayCallBacks callBacks = platformCallBacks(source);
  CFMutableArrayRef array = CFArrayCreateMutable(allocator, capacity, &callBacks);
  for (const void* value : source->mValues) array->mValues.push_back(array->mCallBacks.retainValue(value));
  return array;
}

CFIndex CFArrayGetCount(CFArrayRef theArray) {
  const __CFArray* array = checked<__CFArray>(theArray, "CFArrayGetCount");
  return array ? array->count() : 0;
}

const void* CFArrayGetValueAtIndex(CFArrayRef theArray, CFIndex idx) {
  const __CFArray* array = checked<__CFArray>(theArray, "CFArrayGetValueAtIndex");
  if (!array) return nullptr;
  if (idx < 0 || idx >= array->count()) {
    report("CFArrayGetValueAtIndex", "index %ld is outside a count of %ld", static_cast<long>(idx),
           static_cast<long>(array->count()));
    return nullptr;
  }
  return array->mValues[static_cast<size_t>(idx)];
}

void CFArrayGetValues(CFArrayRef theArray, CFRange range, const void** values) {
  const __CFArray* array = checked<__CFArray>(theArray, "CFArrayGetValues");
  if (!array || !CFCollection::rangeInside(range, array->count(), "CFArrayGetValues") || !values) return;
  for (CFIndex i = 0; i < range.length; ++i) values[i] = array->mValues[static_cast<size_t>(range.location + i)];
}

CFIndex CFArrayGetFirstIndexOfValue(CFArrayRef theArray, CFRange range, const void* value) {
  const __CFArray* array = checked<__CFArray>(theArray, "CFArrayGetFirstIndexOfValue");
  if (!array || !CFCollection::rangeInside(range, array->count(), "CFArrayGetFirstIndexOfValue")) return kCFNotFound;
  for (CFIndex i = range.location; i < range.location + range.length; ++i) {
    if (array->mCallBacks.equalValues(array->mValues[static_cast<size_t>(i)], value)) return i;
  }
  return kCFNotFound;
}

CFIndex CFArrayGetLastIndexOfValue(CFArrayRef theArray, CFRange range, const void* value) {
  const __CFArray* array = checked<__CFArray>(theArray, "CFArrayGetLastIndexOfValue");
  if (!array || !CFCollection::rangeInside(range, array->count(), "CFArrayGetLastIndexOfValue")) return kCFNotFound;
  for (CFIndex i = range.location + range.length - 1; i >= range.location; --i) {
    if (array->mCallBacks.equalValues(array->mValues[static_cast<size_t>(i)], value)) return i;
  }
  return kCFNotFound;
}

Boolean CFArrayContainsValue(CFArrayRef theArray, CFRange range, const void* value) {
  return CFArrayGetFirstIndexOfValue(theArray, range, value) != kCFNotFound;
}

CFIndex CFArrayGetCountOfValue(CFArrayRef theArray, CFRange range, const void* value) {
  const __CFArray* array = checked<__CFArray>(theArray, "CFArrayGetCountOfValue");
  if (!array || !CFCollection::rangeInside(range, array->count(), "CFArrayGetCountOfValue")) return 0;
  CFIndex count = 0;
  for (CFIndex i = range.location; i < range.location + range.length; ++i) {
    if (array->mCallBacks.equalValues(array->mValues[static_cast<size_t>(i)], value)) ++count;
  }
  return count;
}

void CFArrayApplyFunction(CFArrayRef theArray, CFRange range, CFArrayApplierFunction applier, void* context) {
  const __CFArray* array = checked<__CFArray>(theArray, "CFArrayApplyFunction");
  if (!array || !applier || !CFCollection::rangeInside(range, array->count(), "CFArrayApplyFunction")) return;
  // The bound is checked at every step, so an applier that shrinks the array ends the walk.
  for (CFIndex i = range.location; i < range.location + range.length && i < array->count(); ++i) {
    applier(array->mValues[static_cast<size_t>(i)], context);
  }
}

void CFArrayAppendValue(CFMutableArrayRef theArray, const void* value) {
  __CFArray* array = checkedMutable<__CFArray>(theArray, "CFArrayAppendValue");
  if (array) array->mValues.push_back(array->mCallBacks.retainValue(value));
}

void CFArrayInsertValueAtIndex(CFMutableArrayRef theArray, CFIndex idx, const void* value) {
  __CFArray* array = checkedMutable<__CFArray>(theArray, "CFArrayInsertValueAtIndex");
  if (!array) return;
  if (idx < 0 || idx > array->count()) {
    report("CFArrayInsertValueAtIndex", "index %ld is outside a count of %ld", static_cast<long>(idx),
           static_cast<long>(array->count()));
    return;
  }
  array->mValues.insert(array->mValues.begin() + idx, array->mCallBacks.retainValue(value));
}

void CFArraySetValueAtIndex(CFMutableArrayRef theArray, CFIndex idx, const void* value) {
  __CFArray* array = checkedMutable<__CFArray>(theArray, "CFArraySetValueAtIndex");
  if (!array) return;
  if (idx < 0 || idx > array->count()) {
    report("CFArraySetValueAtIndex", "index %ld is outside a count of %ld", static_cast<long>(idx),
           static_cast<long>(array->count()));
    return;
  }
  const void* held = array->mCallBacks.retainValue(value);
  if (idx == array->count()) {
    array->mValues.push_back(held);
    return;
  }
  const void* old = std::exchange(array->mValues[static_cast<size_t>(idx)], held);
  array->mCallBacks.releaseValue(old);
}

void CFArrayReplaceValues(CFMutableArrayRef theArray, CFRange range, const void** newValues, CFIndex newCount) {
  __CFArray* array = checkedMutable<__CFArray>(theArray, "CFArrayReplaceValues");
  if (!array || !CFCollection::rangeInside(range, array->count(), "CFArrayReplaceValues")) return;
  if (newCount < 0 || (newCount > 0 && !newValues)) {
    report("CFArrayReplaceValues", "%ld values at %p", static_cast<long>(newCount), static_cast<const void*>(newValues));
    return;
  }
  std::vector<const void*> added;
  added.reserve(static_cast<size_t>(newCount));
  for (CFIndex i = 0; i < newCount; ++i) added.push_back(array->mCallBacks.retainValue(newValues[i]));
  auto first = array->mValues.begin() + range.location;
  std::vector<const void*> removed(first, first + range.length);
  array->mValues.erase(first, first + range.length);
  array->mValues.insert(array->mValues.begin() + range.location, added.begin(), added.end());
  for (const void* value : removed) array->mCallBacks.releaseValue(value);
}

void CFArrayRemoveValueAtIndex(CFMutableArrayRef theArray, CFIndex idx) {
  __CFArray* array = checkedMutable<__CFArray>(theArray, "CFArrayRemoveValueAtIndex");
  if (!array) return;
  if (idx < 0 || idx >= array->count()) {
    report("CFArrayRemoveValueAtIndex", "index %ld is outside a count of %ld", static_cast<long>(idx),
           static_cast<long>(array->count()));
    return;
  }
  CFArrayReplaceValues(theArray, CFRangeMake(idx, 1), nullptr, 0);
}

void CFArrayRemoveAllValues(CFMutableArrayRef theArray) {
  __CFArray* array = checkedMutable<__CFArray>(theArray, "CFArrayRemoveAllValues");
  if (!array) return;
  std::vector<const void*> removed;
  removed.swap(array->mValues);
  for (const void* value : removed) array->mCallBacks.releaseValue(value);
}

void CFArrayExchangeValuesAtIndices(CFMutableArrayRef theArray, CFIndex idx1, CFIndex idx2) {
  __CFArray* array = checkedMutable<__CFArray>(theArray, "CFArrayExchangeValuesAtIndices");
  if (!array) return;
  if (idx1 < 0 || idx2 < 0 || idx1 >= array->count() || idx2 >= array->count()) {
    report("CFArrayExchangeValuesAtIndices", "indices %ld and %ld with a count of %ld", static_cast<long>(idx1),
           static_cast<long>(idx2), static_cast<long>(array->count()));
    return;
  }
  std::swap(array->mValues[static_cast<size_t>(idx1)], array->mValues[static_cast<size_t>(idx2)]);
}

void CFArraySortValues(CFMutableArrayRef theArray, CFRange range, CFComparatorFunction comparator, void* context) {
  __CFArray* array = checkedMutable<__CFArray>(theArray, "CFArraySortValues");
  if (!array || !comparator || !CFCollection::rangeInside(range, array->count(), "CFArraySortValues")) return;
  mergeSort(array->mValues, static_cast<size_t>(range.location), static_cast<size_t>(range.location + range.length),
            comparator, context);
}

void CFArrayAppendArray(CFMutableArrayRef theArray, CFArrayRef otherArray, CFRange otherRange) {
  __CFArray* array = checkedMutable<__CFArray>(theArray, "CFArrayAppendArray");
  const __CFArray* other = checked<__CFArray>(otherArray, "CFArrayAppendArray");
  if (!array || !other || !CFCollection::rangeInside(otherRange, other->count(), "CFArrayAppendArray")) return;
  // Copied first: the other array may be this one.
  std::vector<const void*> added(other->mValues.begin() + otherRange.location,
                                 other->mValues.begin() + otherRange.location + otherRange.length);
  for (const void* value : added) array->mValues.push_back(array->mCallBacks.retainValue(value));
}
