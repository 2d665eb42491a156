#include <objc/SideTable.h>

#include <map>
#include <mutex>
#include <unordered_map>
#include <vector>

#include <objc/NSObject.h>

struct objc_object_side_table_access {
  static std::atomic<bool>& flag(const NSObject* object) { return object->mHasSideTableEntry; }
};

namespace objc {

struct SideTableAccess {
  static void clear(WeakBox& box) { box.mObject = nullptr; }
  static void set(WeakBox& box, const NSObject* object) { box.mObject = object; }
};

namespace {

struct Entry {
  std::shared_ptr<WeakBox> weak;
  std::map<const void*, std::unique_ptr<AttachedState>> attached;
};

// One lock for every object's entry: a weak load and the clearing at deallocation must not
// interleave, and both are short.
struct SideTable {
  std::mutex lock;
  std::unordered_map<const NSObject*, Entry> entries;
};

SideTable& sideTable() {
  static SideTable* table = new SideTable();  // lives past every static destructor
  return *table;
}

Entry& entryLocked(SideTable& table, const NSObject* object) {
  objc_object_side_table_access::flag(object).store(true, std::memory_order_release);
  return table.entries[object];
}

}  // namespace

NSObject* WeakBox::retainObject() const {
  std::lock_guard<std::mutex> guard(sideTable().lock);
  if (!mObject || !mObject->tryRetain()) return nullptr;
  return const_cast<NSObject*>(mObject);
}

const NSObject* WeakBox::address() const {
  std::lock_guard<std::mutex> guard(sideTable().lock);
  return mObject;
}

std::shared_ptr<WeakBox> weakBox(const NSObject* object) {
  if (!object) return nullptr;
  SideTable& table = sideTable();
  std::lock_guard<std::mutex> guard(table.lock);
  Entry& entry = entryLocked(table, object);
  if (!entry.weak) {
    entry.weak = std::make_shared<WeakBox>();
    SideTableAccess::set(*entry.weak, object);
  }
  return entry.weak;
}

AttachedState* attachedState(const NSObject* object, const void* key) {
  if (!object || !objc_object_side_table_access::flag(object).load(std::memory_order_acquire)) return nullptr;
  SideTable& table = sideTable();
  std::lock_guard<std::mutex> guard(table.lock);
  auto found = table.entries.find(object);
  if (found == table.entries.end()) return nullptr;
  auto state = found->second.attached.find(key);
  return state == found->second.attached.end() ? nullptr : state->second.get();
}

AttachedState* attachState(const NSObject* object, const void* key, std::unique_ptr<AttachedState> state) {
  if (!object) return nullptr;
  SideTable& table = sideTable();
  std::lock_guard<std::mutex> guard(table.lock);
  auto& slot = entryLocked(table, object).attached[key];
  if (!slot) slot = std::move(state);
  return slot.get();
}

}  // namespace objc

void objc_clearSideTable(const NSObject* object) {
  if (!objc_object_side_table_access::flag(object).exchange(false, std::memory_order_acq_rel)) return;
  objc::SideTable& table = objc::sideTable();
  objc::Entry entry;
  {
    std::lock_guard<std::mutex> guard(table.lock);
    auto found = table.entries.find(object);
    if (found == table.entries.end()) return;
    entry = std::move(found->second);
    table.entries.erase(found);
    if (entry.weak) objc::SideTableAccess::clear(*entry.weak);
  }
  // Attached state is destroyed outside the lock: its destructor may reach other objects'
  // side tables (an observation taking itself off the object it observed).
  entry.attached.clear();
}
