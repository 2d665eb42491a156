#include "backend/CFDictionaryTable.h"

#include <utility>

namespace CFCollection {

DictionaryTable::DictionaryTable(CallBacks keyCallBacks, CallBacks valueCallBacks)
    : mKeyCallBacks(keyCallBacks), mValueCallBacks(valueCallBacks) {}

DictionaryTable::DictionaryTable(const DictionaryTable& other)
    : mKeyCallBacks(other.mKeyCallBacks), mValueCallBacks(other.mValueCallBacks) {
  mEntries.reserve(other.mEntries.size());
  for (const Entry& entry : other.mEntries) {
    mEntries.push_back({mKeyCallBacks.retainValue(entry.key), mValueCallBacks.retainValue(entry.value)});
  }
  mIndex = other.mIndex;
}

DictionaryTable::~DictionaryTable() { removeAll(); }

std::optional<size_t> DictionaryTable::find(const void* key) const {
  auto [first, last] = mIndex.equal_range(mKeyCallBacks.hashValue(key));
  for (auto it = first; it != last; ++it) {
    if (mKeyCallBacks.equalValues(mEntries[it->second].key, key)) return it->second;
  }
  return std::nullopt;
}

void DictionaryTable::add(const void* key, const void* value) {
  const void* heldKey = mKeyCallBacks.retainValue(key);
  const void* heldValue = mValueCallBacks.retainValue(value);
  mEntries.push_back({heldKey, heldValue});
  mIndex.emplace(mKeyCallBacks.hashValue(heldKey), mEntries.size() - 1);
}

void DictionaryTable::setValue(size_t index, const void* value) {
  // Retain first: the new value may be the old one, held only by this entry.
  const void* heldValue = mValueCallBacks.retainValue(value);
  const void* old = std::exchange(mEntries[index].value, heldValue);
  mValueCallBacks.releaseValue(old);
}

void DictionaryTable::setKey(size_t index, const void* key) {
  const void* heldKey = mKeyCallBacks.retainValue(key);
  const void* old = std::exchange(mEntries[index].key, heldKey);
  rebuildIndex();
  mKeyCallBacks.releaseValue(old);
}

void DictionaryTable::remove(size_t index) {
  Entry entry = mEntries[index];
  mEntries.erase(mEntries.begin() + static_cast<std::ptrdiff_t>(index));
  // The entries after it moved down by one; the index follows them without rehashing keys
  // (whose hash may have changed since, if a caller changed a key it gave the table).
  for (auto it = mIndex.begin(); it != mIndex.end();) {
    if (it->second == index) {
      it = mIndex.erase(it);
      continue;
    }
    if (it->second > index) --it->second;
    ++it;
  }
  // Released only once the table is consistent: a release may run code that reads it.
  mKeyCallBacks.releaseValue(entry.key);
  mValueCallBacks.releaseValue(entry.value);
}

void DictionaryTable::removeAll() {
  std::vector<Entry> entries;
  entries.swap(mEntries);
  mIndex.clear();
  for (const Entry& entry : entries) {
    mKeyCallBacks.releaseValue(entry.key);
    mValueCallBacks.releaseValue(entry.value);
  }
}

bool DictionaryTable::equals(const DictionaryTable& other) const {
  if (count() != other.count()) return false;
  for (const Entry& entry : mEntries) {
    std::optional<size_t> found = other.find(entry.key);
    if (!found || !mValueCallBacks.equalValues(entry.value, other.value(*found))) return false;
  }
  return true;
}

void DictionaryTable::rebuildIndex() {
  mIndex.clear();
  for (size_t i = 0; i < mEntries.size(); ++i) mIndex.emplace(mKeyCallBacks.hashValue(mEntries[i].key), i);
}

}  // namespace CFCollection
