#include <objc/MethodTable.h>

#include <mutex>
#include <unordered_map>

namespace {

struct MethodTables {
  std::mutex lock;
  std::unordered_map<Class, std::unordered_map<SEL, objc::Method>> byClass;
};

MethodTables& methodTables() {
  static MethodTables* tables = new MethodTables();  // lives past every static destructor
  return *tables;
}

}  // namespace

bool objc::addMethods(Class cls, std::initializer_list<Method> methods) {
  MethodTables& tables = methodTables();
  std::lock_guard<std::mutex> guard(tables.lock);
  auto& table = tables.byClass[cls];
  for (const Method& method : methods) table[method.selector] = method;
  return true;
}

const objc::Method* class_getMethod(Class cls, SEL selector) {
  if (!selector) return nullptr;
  MethodTables& tables = methodTables();
  std::lock_guard<std::mutex> guard(tables.lock);
  for (; cls; cls = cls->superclass) {
    auto table = tables.byClass.find(cls);
    if (table == tables.byClass.end()) continue;
    auto found = table->second.find(selector);
    // Entries are never removed, so the pointer stays valid after the lock is left.
    if (found != table->second.end()) return &found->second;
  }
  return nullptr;
}

bool class_respondsToSelector(Class cls, SEL selector) { return class_getMethod(cls, selector) != nullptr; }
