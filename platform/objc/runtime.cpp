#include <objc/runtime.h>

#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <deque>
#include <vector>

#include <objc/NSObject.h>

namespace {

struct ClassRegistry {
  std::mutex lock;
  std::map<std::string, Class, std::less<>> byName;
};

ClassRegistry& classRegistry() {
  static ClassRegistry* registry = new ClassRegistry();  // lives past every static destructor
  return *registry;
}

struct TypeRegistry {
  std::mutex lock;
  std::deque<std::string> names{""};  // id 0 is no type; a deque keeps names in place
};

TypeRegistry& typeRegistry() {
  static TypeRegistry* registry = new TypeRegistry();
  return *registry;
}

// One stack of pools per thread; the bottom pool is drained when the thread ends.
struct PoolStack {
  std::vector<std::vector<const void*>> pools{1};
  ~PoolStack() {
    while (!pools.empty()) {
      drainTop();
      pools.pop_back();
    }
  }
  void drainTop() {
    // Releasing may autorelease more objects into this same pool: drain until empty.
    while (!pools.back().empty()) {
      std::vector<const void*> objects;
      objects.swap(pools.back());
      for (const void* object : objects) objc_release(object);
    }
  }
};

PoolStack& poolStack() {
  thread_local PoolStack stack;
  return stack;
}

}  // namespace

Class objc_registerClass(const objc_class* cls) {
  ClassRegistry& registry = classRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  // Each deliverable carries its own copy of its classes; the first copy loaded keeps the name.
  registry.byName.emplace(cls->name, cls);
  return cls;
}

Class objc_getClass(const char* name) {
  if (!name) return nullptr;
  ClassRegistry& registry = classRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  auto found = registry.byName.find(std::string_view(name));
  return found == registry.byName.end() ? nullptr : found->second;
}

bool class_isSubclassOfClass(Class cls, Class ancestor) {
  for (; cls; cls = cls->superclass) {
    if (cls == ancestor) return true;
    // Two copies of one class (one per deliverable) count as the same class.
    if (ancestor && std::strcmp(cls->name, ancestor->name) == 0) return true;
  }
  return false;
}

const char* class_getName(Class cls) { return cls ? cls->name : "nil"; }

Class class_getSuperclass(Class cls) { return cls ? cls->superclass : nullptr; }

unsigned long _CFRuntimeRegisterClass(const char* name) {
  TypeRegistry& registry = typeRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  for (size_t i = 1; i < registry.names.size(); ++i) {
    if (registry.names[i] == name) return i;
  }
  registry.names.emplace_back(name);
  return registry.names.size() - 1;
}

const char* _CFRuntimeGetClassName(unsigned long typeID) {
  TypeRegistry& registry = typeRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  return typeID > 0 && typeID < registry.names.size() ? registry.names[typeID].c_str() : nullptr;
}

void* objc_autoreleasePoolPush() {
  PoolStack& stack = poolStack();
  stack.pools.emplace_back();
  return reinterpret_cast<void*>(stack.pools.size() - 1);
}

void objc_autoreleasePoolPop(void* pool) {
  PoolStack& stack = poolStack();
  size_t depth = reinterpret_cast<size_t>(pool);
  while (stack.pools.size() > depth && stack.pools.size() > 1) {
    stack.drainTop();
    stack.pools.pop_back();
  }
}

const void* objc_autorelease(const void* object) {
  if (object) poolStack().pools.back().push_back(object);
  return object;
}

const objc_metaclass* class_getMeta(Class cls) {
  for (; cls; cls = cls->superclass) {
    if (cls->meta) return cls->meta;
  }
  return nullptr;
}

NSObject* class_createInstance(Class cls) {
  if (!cls) return nullptr;
  if (auto* meta = dynamic_cast<const NSObject::Meta*>(class_getMeta(cls))) return meta->allocWithZone(cls);
  return cls->allocate ? cls->allocate() : nullptr;
}
