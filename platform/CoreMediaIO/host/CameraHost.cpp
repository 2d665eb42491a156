#include "CameraHost.h"

#include <CoreFoundation/CFPlatformRoot.h>
#include <CoreFoundation/CFURL.h>
#include <CoreMediaIO/CMIOSystemObjects.h>

#include <algorithm>
#include <filesystem>

#include "PropertyText.h"

namespace CameraHost {

Host::~Host() {
  // Plug-ins go before the bundles whose code they are.
  while (!mPlugIns.empty()) mPlugIns.pop_back();
}

std::vector<std::string> Host::plugInFolders() {
  const std::string root = CFPlatform::rootPath();
  return {root + "/System/Library/CoreMediaIO/Plug-Ins/DAL", root + "/Library/CoreMediaIO/Plug-Ins/DAL"};
}

void Host::loadPlugIns() {
  for (const std::string& folder : plugInFolders()) {
    std::error_code error;
    std::vector<std::string> bundles;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
      if (entry.path().extension() == ".plugin") bundles.push_back(entry.path().string());
    }
    std::sort(bundles.begin(), bundles.end());
    for (const std::string& bundle : bundles) loadBundle(bundle);
  }
}

// The factory ids that the bundle's information list names for the camera plug-in type.
static std::vector<RefPtr<const __CFUUID>> cameraFactories(CFBundleRef bundle) {
  std::vector<RefPtr<const __CFUUID>> factories;
  CFTypeRef types = CFBundleGetValueForInfoDictionaryKey(bundle, kCFPlugInTypesKey);
  if (!types || CFGetTypeID(types) != CFDictionaryGetTypeID()) return factories;
  RefPtr<const __CFString> typeText = adopt(CFUUIDCreateString(nullptr, kCMIOHardwarePlugInTypeID));
  const CFIndex count = CFDictionaryGetCount(static_cast<CFDictionaryRef>(types));
  std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
  CFDictionaryGetKeysAndValues(static_cast<CFDictionaryRef>(types), keys.data(), values.data());
  for (CFIndex i = 0; i < count; ++i) {
    RefPtr<const __CFUUID> type = keys[size_t(i)] && CFGetTypeID(keys[size_t(i)]) == CFStringGetTypeID()
                                      ? adopt(CFUUIDCreateFromString(nullptr, static_cast<CFStringRef>(keys[size_t(i)])))
                                      : nullptr;
    CFTypeRef list = values[size_t(i)];
    if (!type || !CFEqual(type.get(), kCMIOHardwarePlugInTypeID) || !list || CFGetTypeID(list) != CFArrayGetTypeID()) {
      continue;
    }
    for (CFIndex j = 0; j < CFArrayGetCount(static_cast<CFArrayRef>(list)); ++j) {
      CFTypeRef text = CFArrayGetValueAtIndex(static_cast<CFArrayRef>(list), j);
      if (!text || CFGetTypeID(text) != CFStringGetTypeID()) continue;
      RefPtr<const __CFUUID> factory = adopt(CFUUIDCreateFromString(nullptr, static_cast<CFStringRef>(text)));
      if (factory) factories.push_back(factory);
    }
  }
  return factories;
}

bool Host::loadBundle(const std::string& path) {
  RefPtr<const __CFURL> url = adopt(CFURLCreateFromFileSystemRepresentation(
      nullptr, reinterpret_cast<const UInt8*>(path.c_str()), CFIndex(path.size()), true));
  RefPtr<__CFBundle> bundle = url ? adopt(CFPlugInCreate(nullptr, url.get())) : nullptr;
  if (!bundle) {
    mProblems.push_back(path + ": not a bundle");
    return false;
  }
  mBundles.push_back(bundle);
  std::vector<RefPtr<const __CFUUID>> factories = cameraFactories(bundle.get());
  if (factories.empty()) {
    mProblems.push_back(path + ": names no camera plug-in factory");
    return false;
  }
  bool loaded = false;
  for (const auto& factory : factories) {
    std::string error;
    std::unique_ptr<LoadedPlugIn> plugIn = LoadedPlugIn::create(factory.get(), path, error);
    if (!plugIn && error.empty()) continue;
    if (!plugIn) {
      RefPtr<const __CFString> text = adopt(CFUUIDCreateString(nullptr, factory.get()));
      char name[64] = "";
      CFStringGetCString(text.get(), name, sizeof name, kCFStringEncodingUTF8);
      mProblems.push_back(path + ": factory " + name + ": " + error);
      continue;
    }
    mPlugIns.push_back(std::move(plugIn));
    loaded = true;
  }
  return loaded;
}

namespace {

// The published objects of a class that an object owns.
std::vector<CMIOSystemObject> publishedObjects(CMIOObjectID owner, CMIOClassID classID) {
  std::vector<CMIOSystemObject> objects(_CMIOSystemGetPublishedObjects(owner, classID, 0, nullptr));
  // The tree may grow between the two calls: what does not fit waits for the next look.
  objects.resize(std::min<size_t>(objects.size(), _CMIOSystemGetPublishedObjects(owner, classID,
                                                                                  UInt32(objects.size()),
                                                                                  objects.data())));
  return objects;
}

}  // namespace

std::vector<Device> Host::devices() const {
  std::vector<Device> found;
  for (const CMIOSystemObject& record : publishedObjects(kCMIOObjectSystemObject, kCMIODeviceClassID)) {
    auto owner = std::find_if(mPlugIns.begin(), mPlugIns.end(),
                              [&](const auto& plugIn) { return plugIn->interface() == record.plugIn; });
    if (owner == mPlugIns.end()) continue;
    Device device;
    device.plugIn = owner->get();
    device.deviceID = record.objectID;
    device.name = readStringProperty(record.plugIn, record.objectID, kCMIOObjectPropertyName);
    device.uid = readStringProperty(record.plugIn, record.objectID, kCMIODevicePropertyDeviceUID);
    for (const CMIOSystemObject& stream : publishedObjects(record.objectID, kCMIOStreamClassID)) {
      device.streams.push_back(stream.objectID);
    }
    found.push_back(device);
  }
  return found;
}

bool Host::waitForDevice(const std::string& uid, std::chrono::milliseconds deadline, Device& found) const {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (true) {
    const UInt64 seen = _CMIOSystemGetGeneration();
    for (const Device& device : devices()) {
      if ((uid.empty() || device.uid == uid) && !device.streams.empty()) {
        found = device;
        return true;
      }
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !_CMIOSystemWaitForChange(seen, UInt32(left.count()))) return false;
  }
}

}  // namespace CameraHost
