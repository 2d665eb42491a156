#include <objc/Selector.h>

#include <mutex>
#include <string>
#include <unordered_set>

namespace {

struct SelectorTable {
  std::mutex lock;
  std::unordered_set<std::string> names;  // nodes keep their place, so the texts never move
};

SelectorTable& selectorTable() {
  static SelectorTable* table = new SelectorTable();  // lives past every static destructor
  return *table;
}

}  // namespace

SEL sel_registerName(const char* name) {
  if (!name) return nullptr;
  SelectorTable& table = selectorTable();
  std::lock_guard<std::mutex> guard(table.lock);
  const std::string& interned = *table.names.emplace(name).first;
  return reinterpret_cast<SEL>(interned.c_str());
}

const char* sel_getName(SEL selector) { return selector ? reinterpret_cast<const char*>(selector) : "<null selector>"; }
