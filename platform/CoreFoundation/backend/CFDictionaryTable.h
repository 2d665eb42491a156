#pragma once
// The hash table behind dictionaries, sets and bags: entries in the order they were added,
// found through an index by key hash. The table holds its keys and values the way their
// callbacks say and lets them go when an entry leaves or the table dies.
#include <cstddef>
#include <optional>
#include <unordered_map>
#include <vector>

#include "backend/CFCollectionCallBacks.h"

namespace CFCollection {

class DictionaryTable {
 public:
  DictionaryTable(CallBacks keyCallBacks, CallBacks valueCallBacks);
  DictionaryTable(const DictionaryTable& other);
  DictionaryTable& operator=(const DictionaryTable&) = delete;
  ~DictionaryTable();

  size_t count() const { return mEntries.size(); }
  std::optional<size_t> find(const void* key) const;
  const void* key(size_t index) const { return mEntries[index].key; }
  const void* value(size_t index) const { return mEntries[index].value; }
  const CallBacks& keyCallBacks() const { return mKeyCallBacks; }
  const CallBacks& valueCallBacks() const { return mValueCallBacks; }

  // Adds an entry for a key that is not in the table.
  void add(const void* key, const void* value);
  void setValue(size_t index, const void* value);
  // Puts an equal key in place of the one held (a set's SetValue).
  void setKey(size_t index, const void* key);
  void remove(size_t index);
  void removeAll();

  // Same keys with equal values.
  bool equals(const DictionaryTable& other) const;

 private:
  struct Entry {
    const void* key;
    const void* value;
  };
  void rebuildIndex();

  CallBacks mKeyCallBacks;
  CallBacks mValueCallBacks;
  std::vector<Entry> mEntries;
  std::unordered_multimap<CFHashCode, size_t> mIndex;
};

}  // namespace CFCollection
