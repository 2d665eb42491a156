#include <CoreFoundation/CFPlugIn.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "backend/CFBundleObject.h"
#include "backend/CFPlugInRegistry.h"

const CFStringRef kCFPlugInDynamicRegistrationKey = CFSTR("CFPlugInDynamicRegistration");
const CFStringRef kCFPlugInFactoriesKey = CFSTR("CFPlugInFactories");
const CFStringRef kCFPlugInTypesKey = CFSTR("CFPlugInTypes");

namespace {

using UUIDKey = std::array<UInt8, 16>;

struct Factory {
  RefPtr<__CFBundle> bundle;          // null for a function registered in the process
  RefPtr<const __CFString> functionName;
  CFPlugInFactoryFunction function = nullptr;
  std::vector<UUIDKey> types;
  long instances = 0;
};

struct FactoryRegistry {
  std::mutex lock;
  std::map<UUIDKey, Factory> factories;
};

FactoryRegistry& factoryRegistry() {
  static FactoryRegistry* registry = new FactoryRegistry();  // lives past every static destructor
  return *registry;
}

bool keyOf(CFUUIDRef uuid, UUIDKey& key) {
  if (!uuid || CFGetTypeID(uuid) != CFUUIDGetTypeID()) return false;
  CFUUIDBytes bytes = CFUUIDGetUUIDBytes(uuid);
  std::memcpy(key.data(), &bytes, key.size());
  return true;
}

bool keyOfString(CFTypeRef text, UUIDKey& key) {
  if (!text || CFGetTypeID(text) != CFStringGetTypeID()) return false;
  RefPtr<const __CFUUID> uuid = adopt(CFUUIDCreateFromString(nullptr, static_cast<CFStringRef>(text)));
  return keyOf(uuid.get(), key);
}

CFDictionaryRef dictionaryFor(CFDictionaryRef info, CFStringRef key) {
  CFTypeRef value = CFDictionaryGetValue(info, key);
  return value && CFGetTypeID(value) == CFDictionaryGetTypeID() ? static_cast<CFDictionaryRef>(value) : nullptr;
}

template <class Visit>
void forEachEntry(CFDictionaryRef dictionary, Visit visit) {
  const CFIndex count = CFDictionaryGetCount(dictionary);
  std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
  CFDictionaryGetKeysAndValues(dictionary, keys.data(), values.data());
  for (CFIndex i = 0; i < count; ++i) visit(static_cast<CFTypeRef>(keys[size_t(i)]), static_cast<CFTypeRef>(values[size_t(i)]));
}

}  // namespace

void CFPlugInRegistry::registerBundle(__CFBundle* bundle) {
  CFDictionaryRef factories = dictionaryFor(bundle->mInfo.get(), kCFPlugInFactoriesKey);
  if (!factories) return;
  CFDictionaryRef types = dictionaryFor(bundle->mInfo.get(), kCFPlugInTypesKey);
  FactoryRegistry& registry = factoryRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  forEachEntry(factories, [&](CFTypeRef factoryText, CFTypeRef functionName) {
    UUIDKey key;
    if (!keyOfString(factoryText, key) || !functionName || CFGetTypeID(functionName) != CFStringGetTypeID()) return;
    // A factory already offered by another bundle or by the process keeps its first owner.
    auto [entry, added] = registry.factories.try_emplace(key);
    if (!added) return;
    entry->second.bundle = RefPtr(bundle);
    entry->second.functionName = RefPtr(static_cast<CFStringRef>(functionName));
  });
  if (!types) return;
  forEachEntry(types, [&](CFTypeRef typeText, CFTypeRef factoryList) {
    UUIDKey type;
    if (!keyOfString(typeText, type) || !factoryList || CFGetTypeID(factoryList) != CFArrayGetTypeID()) return;
    CFArrayRef list = static_cast<CFArrayRef>(factoryList);
    for (CFIndex i = 0; i < CFArrayGetCount(list); ++i) {
      UUIDKey key;
      if (!keyOfString(CFArrayGetValueAtIndex(list, i), key)) continue;
      auto entry = registry.factories.find(key);
      if (entry == registry.factories.end() || entry->second.bundle.get() != bundle) continue;
      entry->second.types.push_back(type);
    }
  });
}

CFTypeID CFPlugInGetTypeID(void) { return CFBundleGetTypeID(); }

CFPlugInRef CFPlugInCreate(CFAllocatorRef allocator, CFURLRef plugInURL) { return CFBundleCreate(allocator, plugInURL); }

CFBundleRef CFPlugInGetBundle(CFPlugInRef plugIn) { return __CFBundle::from(plugIn); }

CFArrayRef CFPlugInFindFactoriesForPlugInType(CFUUIDRef typeUUID) {
  CFMutableArrayRef found = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  UUIDKey type;
  if (!keyOf(typeUUID, type)) return found;
  FactoryRegistry& registry = factoryRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  for (const auto& [key, factory] : registry.factories) {
    if (std::find(factory.types.begin(), factory.types.end(), type) == factory.types.end()) continue;
    CFUUIDBytes bytes;
    std::memcpy(&bytes, key.data(), key.size());
    RefPtr<const __CFUUID> uuid = adopt(CFUUIDCreateFromUUIDBytes(nullptr, bytes));
    if (uuid) CFArrayAppendValue(found, uuid.get());
  }
  return found;
}

void* CFPlugInInstanceCreate(CFAllocatorRef allocator, CFUUIDRef factoryUUID, CFUUIDRef typeUUID) {
  UUIDKey key;
  if (!keyOf(factoryUUID, key)) return nullptr;
  RefPtr<__CFBundle> bundle;
  RefPtr<const __CFString> functionName;
  CFPlugInFactoryFunction function = nullptr;
  {
    FactoryRegistry& registry = factoryRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    auto entry = registry.factories.find(key);
    if (entry == registry.factories.end()) return nullptr;
    bundle = entry->second.bundle;
    functionName = entry->second.functionName;
    function = entry->second.function;
  }
  // The factory runs outside the lock: it registers its instance, which takes the lock again.
  if (bundle) {
    function = reinterpret_cast<CFPlugInFactoryFunction>(CFBundleGetFunctionPointerForName(bundle.get(), functionName.get()));
  }
  return function ? function(allocator, typeUUID) : nullptr;
}

Boolean CFPlugInRegisterFactoryFunction(CFUUIDRef factoryUUID, CFPlugInFactoryFunction func) {
  UUIDKey key;
  if (!func || !keyOf(factoryUUID, key)) return false;
  FactoryRegistry& registry = factoryRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  auto [entry, added] = registry.factories.try_emplace(key);
  if (added) entry->second.function = func;
  return added;
}

Boolean CFPlugInRegisterPlugInType(CFUUIDRef factoryUUID, CFUUIDRef typeUUID) {
  UUIDKey key, type;
  if (!keyOf(factoryUUID, key) || !keyOf(typeUUID, type)) return false;
  FactoryRegistry& registry = factoryRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  auto entry = registry.factories.find(key);
  if (entry == registry.factories.end()) return false;
  std::vector<UUIDKey>& types = entry->second.types;
  if (std::find(types.begin(), types.end(), type) == types.end()) types.push_back(type);
  return true;
}

void CFPlugInAddInstanceForFactory(CFUUIDRef factoryID) {
  UUIDKey key;
  if (!keyOf(factoryID, key)) return;
  FactoryRegistry& registry = factoryRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  auto entry = registry.factories.find(key);
  if (entry == registry.factories.end()) return;
  ++entry->second.instances;
  if (entry->second.bundle) ++entry->second.bundle->mLiveInstances;
}

void CFPlugInRemoveInstanceForFactory(CFUUIDRef factoryID) {
  UUIDKey key;
  if (!keyOf(factoryID, key)) return;
  FactoryRegistry& registry = factoryRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  auto entry = registry.factories.find(key);
  // An instance removed twice must not let its plug-in be unloaded under the others.
  if (entry == registry.factories.end() || entry->second.instances == 0) return;
  --entry->second.instances;
  if (entry->second.bundle) --entry->second.bundle->mLiveInstances;
}
