#include <Carbon/CarbonErrors.h>
#include <CoreFoundation/CFBundle.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFURL.h>
#include <QuickTime/Components.h>
#include <objc/RefPtr.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct ComponentRecord {
  std::string path;  // the bundle, links resolved
  ComponentDescription description{};
  RefPtr<const __CFString> entryName;
  RefPtr<__CFBundle> bundle;  // loaded from the first open on
  ComponentRoutineProcPtr entry = nullptr;
  int openInstances = 0;
};

struct ComponentInstanceRecord {
  ComponentRecord* component;
};

namespace {

struct Registry {
  std::mutex lock;
  std::vector<std::unique_ptr<ComponentRecord>> components;
  std::vector<std::unique_ptr<ComponentInstanceRecord>> instances;
};

Registry& registry() {
  static Registry* instance = new Registry();  // lives past every static destructor
  return *instance;
}

// A four-character code from a string of four characters; 0 otherwise.
OSType fourCharCode(CFTypeRef value) {
  if (!value || CFGetTypeID(value) != CFStringGetTypeID()) return 0;
  char text[8] = {};
  if (!CFStringGetCString(static_cast<CFStringRef>(value), text, sizeof text, kCFStringEncodingMacRoman) ||
      std::char_traits<char>::length(text) != 4)
    return 0;
  return OSType(uint8_t(text[0])) << 24 | OSType(uint8_t(text[1])) << 16 | OSType(uint8_t(text[2])) << 8 |
         OSType(uint8_t(text[3]));
}

bool matches(OSType wanted, OSType have) { return wanted == 0 || wanted == have; }

ComponentResult call(ComponentRecord& component, SInt16 what, ComponentInstance instance) {
  ComponentParameters parameters{};
  parameters.paramSize = sizeof(long);
  parameters.what = what;
  parameters.params[0] = long(reinterpret_cast<intptr_t>(instance));
  return component.entry(&parameters, nullptr);
}

}  // namespace

OSErr RegisterComponentFileRef(const FSRef* ref, SInt16) {
  if (!ref) return paramErr;
  UInt8 path[PATH_MAX];
  if (FSRefMakePath(ref, path, sizeof path) != noErr) return paramErr;
  char resolved[PATH_MAX];
  if (!realpath(reinterpret_cast<const char*>(path), resolved)) return paramErr;
  RefPtr<const __CFURL> url =
      adopt(CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(resolved),
                                                    CFIndex(std::char_traits<char>::length(resolved)), true));
  RefPtr<const __CFDictionary> info = adopt(CFBundleCopyInfoDictionaryForURL(url.get()));
  if (!info || CFDictionaryGetCount(info.get()) == 0) return paramErr;
  auto record = std::make_unique<ComponentRecord>();
  record->path = resolved;
  record->description.componentType = fourCharCode(CFDictionaryGetValue(info.get(), CFSTR("ComponentType")));
  record->description.componentSubType =
      fourCharCode(CFDictionaryGetValue(info.get(), CFSTR("ComponentSubType")));
  record->description.componentManufacturer =
      fourCharCode(CFDictionaryGetValue(info.get(), CFSTR("ComponentManufacturer")));
  auto entryName = static_cast<CFStringRef>(CFDictionaryGetValue(info.get(), CFSTR("ComponentEntryPoint")));
  if (!record->description.componentType || !record->description.componentSubType ||
      !record->description.componentManufacturer || !entryName ||
      CFGetTypeID(entryName) != CFStringGetTypeID())
    return invalidComponentID;
  record->entryName = RefPtr<const __CFString>(entryName);

  Registry& all = registry();
  std::lock_guard<std::mutex> guard(all.lock);
  for (const auto& component : all.components)
    if (component->path == record->path) return noErr;
  all.components.push_back(std::move(record));
  return noErr;
}

Component FindNextComponent(Component aComponent, ComponentDescription* looking) {
  Registry& all = registry();
  std::lock_guard<std::mutex> guard(all.lock);
  auto at = all.components.begin();
  if (aComponent) {
    at = std::find_if(all.components.begin(), all.components.end(),
                      [&](const auto& component) { return component.get() == aComponent; });
    if (at == all.components.end()) return nullptr;
    ++at;
  }
  for (; at != all.components.end(); ++at) {
    const ComponentDescription& have = (*at)->description;
    if (!looking || (matches(looking->componentType, have.componentType) &&
                     matches(looking->componentSubType, have.componentSubType) &&
                     matches(looking->componentManufacturer, have.componentManufacturer)))
      return at->get();
  }
  return nullptr;
}

OSErr OpenAComponent(Component aComponent, ComponentInstance* ci) {
  if (!ci) return paramErr;
  *ci = nullptr;
  Registry& all = registry();
  std::unique_lock<std::mutex> guard(all.lock);
  auto known = std::find_if(all.components.begin(), all.components.end(),
                            [&](const auto& component) { return component.get() == aComponent; });
  if (!aComponent || known == all.components.end()) return invalidComponentID;
  ComponentRecord& component = *aComponent;
  if (!component.bundle) {
    RefPtr<const __CFURL> url = adopt(CFURLCreateFromFileSystemRepresentation(
        nullptr, reinterpret_cast<const UInt8*>(component.path.c_str()), CFIndex(component.path.size()),
        true));
    RefPtr<__CFBundle> bundle = adopt(CFBundleCreate(nullptr, url.get()));
    if (!bundle || !CFBundleLoadExecutable(bundle.get())) return componentDllLoadErr;
    component.bundle = bundle;
    component.entry = reinterpret_cast<ComponentRoutineProcPtr>(
        CFBundleGetFunctionPointerForName(bundle.get(), component.entryName.get()));
    if (!component.entry) {
      CFBundleUnloadExecutable(bundle.get());
      component.bundle = nullptr;
      return componentDllEntryNotFoundErr;
    }
  }
  auto instance = std::make_unique<ComponentInstanceRecord>(ComponentInstanceRecord{&component});
  ++component.openInstances;
  // The component runs without the registry's lock: it may well call the Component Manager.
  guard.unlock();
  const ComponentResult opened = call(component, kComponentOpenSelect, instance.get());
  guard.lock();
  if (opened != noErr) {
    --component.openInstances;
    return OSErr(opened);
  }
  *ci = instance.get();
  all.instances.push_back(std::move(instance));
  return noErr;
}

OSErr CloseComponent(ComponentInstance aComponentInstance) {
  Registry& all = registry();
  std::unique_lock<std::mutex> guard(all.lock);
  auto known = std::find_if(all.instances.begin(), all.instances.end(),
                            [&](const auto& instance) { return instance.get() == aComponentInstance; });
  if (!aComponentInstance || known == all.instances.end()) return OSErr(badComponentInstance);
  std::unique_ptr<ComponentInstanceRecord> instance = std::move(*known);
  all.instances.erase(known);
  ComponentRecord& component = *instance->component;
  guard.unlock();
  const ComponentResult closed = call(component, kComponentCloseSelect, instance.get());
  guard.lock();
  --component.openInstances;
  return OSErr(closed);
}
