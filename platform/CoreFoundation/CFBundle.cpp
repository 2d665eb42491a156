// Bundles over folders and dlopen. Info.plist files are read with the CFPropertyList reader.
#include <CoreFoundation/CFBundle.h>

#include <dirent.h>
#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "backend/CFBundleEmbeddedInfo.h"
#include "backend/CFBundleObject.h"
#include <CoreFoundation/CFData.h>
#include "backend/CFPlugInRegistry.h"
#include <CoreFoundation/CFPropertyList.h>
#include "backend/CFStringObject.h"

const CFStringRef kCFBundleInfoDictionaryVersionKey = CFSTR("CFBundleInfoDictionaryVersion");
const CFStringRef kCFBundleExecutableKey = CFSTR("CFBundleExecutable");
const CFStringRef kCFBundleIdentifierKey = CFSTR("CFBundleIdentifier");
const CFStringRef kCFBundleVersionKey = CFSTR("CFBundleVersion");
const CFStringRef kCFBundleNameKey = CFSTR("CFBundleName");

// Error codes of the Cocoa error domain that loading reports.
static constexpr CFIndex kNoSuchFileError = 4;
static constexpr CFIndex kExecutableLoadError = 3587;

namespace {

// The live bundles by canonical folder path. Entries are not references: a bundle removes
// itself when it goes.
struct BundleRegistry {
  std::mutex lock;
  std::map<std::string, __CFBundle*> byPath;
};

BundleRegistry& bundleRegistry() {
  static BundleRegistry* registry = new BundleRegistry();  // lives past every static destructor
  return *registry;
}

std::string canonicalPath(const std::string& path) {
  char resolved[PATH_MAX];
  return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

std::string pathOfURL(CFURLRef url) {
  if (!url || CFGetTypeID(url) != CFURLGetTypeID()) return {};
  char buffer[PATH_MAX];
  if (!CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<UInt8*>(buffer), sizeof buffer)) return {};
  return buffer;
}

CFURLRef createURL(const std::string& path, bool isFolder) {
  return CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path.data()),
                                                 CFIndex(path.size()), isFolder);
}

std::string textOf(CFStringRef string) {
  if (!string || CFGetTypeID(string) != CFStringGetTypeID()) return {};
  return CFStringText::utf8(string);
}

CFDictionaryRef createEmptyDictionary() {
  return CFDictionaryCreate(nullptr, nullptr, nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                            &kCFTypeDictionaryValueCallBacks);
}

// The dictionary that property-list text holds, or null when it holds none.
CFDictionaryRef createDictionaryFromText(const std::string& text) {
  RefPtr<const __CFData> data =
      adopt(CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(text.data()), CFIndex(text.size())));
  CFPropertyListRef plist =
      data ? CFPropertyListCreateWithData(nullptr, data.get(), kCFPropertyListImmutable, nullptr, nullptr) : nullptr;
  if (plist && CFGetTypeID(plist) == CFDictionaryGetTypeID()) return static_cast<CFDictionaryRef>(plist);
  if (plist) CFRelease(plist);
  return nullptr;
}

// The bundle's Info.plist, or an empty dictionary when it has none or it is not a dictionary.
CFDictionaryRef createInfoDictionary(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return createEmptyDictionary();
  std::ostringstream bytes;
  bytes << file.rdbuf();
  CFDictionaryRef info = createDictionaryFromText(bytes.str());
  return info ? info : createEmptyDictionary();
}

// A program outside any bundle describes itself with the property list it embeds, when it has
// one; otherwise its folder's Info.plist stands for it.
CFDictionaryRef createMainInfoDictionary(const CFBundleLayout& layout) {
  if (!layout.fixedExecutablePath.empty()) {
    const std::string embedded = CFBundleEmbeddedInfo::read(layout.fixedExecutablePath);
    if (CFDictionaryRef info = embedded.empty() ? nullptr : createDictionaryFromText(embedded)) return info;
  }
  return createInfoDictionary(layout.infoPlistPath);
}

CFErrorRef createLoadError(CFIndex code, const std::string& message) {
  RefPtr<const __CFString> description =
      adopt(CFStringCreateWithCString(nullptr, message.c_str(), kCFStringEncodingUTF8));
  const void* keys[] = {kCFErrorLocalizedDescriptionKey};
  const void* values[] = {description.get()};
  RefPtr<const __CFDictionary> userInfo = adopt(CFDictionaryCreate(
      nullptr, keys, values, description ? 1 : 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
  return CFErrorCreate(nullptr, kCFErrorDomainCocoa, code, userInfo.get());
}

std::string executableNameOf(const __CFBundle* bundle) {
  CFTypeRef name = CFDictionaryGetValue(bundle->mInfo.get(), kCFBundleExecutableKey);
  return name && CFGetTypeID(name) == CFStringGetTypeID() ? textOf(static_cast<CFStringRef>(name)) : std::string();
}

}  // namespace

__CFBundle::__CFBundle(CFBundleLayout layout, CFDictionaryRef info) : mLayout(std::move(layout)), mInfo(adopt(info)) {}

CFTypeID __CFBundle::typeID() {
  static const CFTypeID id = _CFRuntimeRegisterClass("CFBundle");
  return id;
}

unsigned long __CFBundle::cfTypeID() const { return typeID(); }

__CFBundle* __CFBundle::from(CFTypeRef object) {
  if (!object || CFGetTypeID(object) != typeID()) return nullptr;
  return static_cast<__CFBundle*>(const_cast<NSObject*>(static_cast<const NSObject*>(object)));
}

const __CFString* __CFBundle::copyDescription() const {
  std::string text = "CFBundle " + mLayout.path + (isLoaded() ? " (loaded)" : " (not loaded)");
  return CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8);
}

void __CFBundle::dealloc() {
  BundleRegistry& registry = bundleRegistry();
  {
    std::lock_guard<std::mutex> guard(registry.lock);
    // A revival answers one dealloc call: the bundle lives on (or has already been handed to
    // the dealloc call that follows its newer last release).
    if (mRevivals > 0) {
      --mRevivals;
      return;
    }
    for (auto entry = registry.byPath.begin(); entry != registry.byPath.end(); ++entry) {
      if (entry->second == this) {
        registry.byPath.erase(entry);
        break;
      }
    }
  }
  // The code stays mapped: function pointers taken from it may still be in use. Only
  // CFBundleUnloadExecutable unmaps it.
  NSObject::dealloc();
}

bool __CFBundle::loadExecutable(CFErrorRef* error) {
  std::lock_guard<std::mutex> guard(mLoadLock);
  if (mHandle) return true;
  const std::string path = mLayout.executablePath(executableNameOf(this));
  if (path.empty()) {
    if (error) *error = createLoadError(kNoSuchFileError, "The bundle " + mLayout.path + " has no executable.");
    return false;
  }
  mHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!mHandle) {
    const char* reason = dlerror();
    if (error) *error = createLoadError(kExecutableLoadError, reason ? reason : "The executable could not be loaded.");
    return false;
  }
  return true;
}

bool __CFBundle::isLoaded() const {
  std::lock_guard<std::mutex> guard(mLoadLock);
  return mHandle != nullptr;
}

void __CFBundle::unloadExecutable() {
  std::lock_guard<std::mutex> guard(mLoadLock);
  // Unmapping code that live plug-in instances still run would crash them at their next call.
  if (!mHandle || mLiveInstances.load() > 0) return;
  dlclose(mHandle);
  mHandle = nullptr;
}

void* __CFBundle::symbol(CFStringRef name) {
  const std::string text = textOf(name);
  if (text.empty() || !loadExecutable(nullptr)) return nullptr;
  std::lock_guard<std::mutex> guard(mLoadLock);
  return mHandle ? dlsym(mHandle, text.c_str()) : nullptr;
}

CFTypeID CFBundleGetTypeID(void) { return __CFBundle::typeID(); }

CFBundleRef CFBundleGetMainBundle(void) {
  static __CFBundle* const mainBundle = [] {
    CFBundleLayout layout = CFBundleLayout::forMainProgram();
    auto* bundle = new __CFBundle(layout, createMainInfoDictionary(layout));
    bundle->makeImmortal();
    BundleRegistry& registry = bundleRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    registry.byPath.emplace(canonicalPath(layout.path), bundle);
    return bundle;
  }();
  return mainBundle;
}

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef bundleURL) {
  const std::string path = pathOfURL(bundleURL);
  CFBundleLayout layout;
  if (!CFBundleLayout::forFolder(path, layout)) return nullptr;
  CFBundleGetMainBundle();  // so that the main bundle's folder always answers the main bundle
  const std::string key = canonicalPath(layout.path);
  BundleRegistry& registry = bundleRegistry();
  __CFBundle* bundle = nullptr;
  {
    std::lock_guard<std::mutex> guard(registry.lock);
    auto found = registry.byPath.find(key);
    if (found != registry.byPath.end()) {
      __CFBundle* existing = found->second;
      existing->retain();
      // Only this lock's holder can raise a count from 0, so a count of 1 here almost always
      // means a revival; counting one too many only keeps the bundle alive, never frees it early.
      if (existing->retainCount() == 1) ++existing->mRevivals;
      return existing;
    }
    bundle = new __CFBundle(layout, createInfoDictionary(layout.infoPlistPath));
    registry.byPath.emplace(key, bundle);
  }
  CFPlugInRegistry::registerBundle(bundle);
  return bundle;
}

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID) {
  if (!bundleID || CFGetTypeID(bundleID) != CFStringGetTypeID()) return nullptr;
  CFBundleRef mainBundle = CFBundleGetMainBundle();
  CFStringRef mainIdentifier = CFBundleGetIdentifier(mainBundle);
  if (mainIdentifier && CFEqual(mainIdentifier, bundleID)) return mainBundle;
  BundleRegistry& registry = bundleRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  for (const auto& [path, bundle] : registry.byPath) {
    if (bundle->retainCount() == 0) continue;  // on its way out
    CFStringRef identifier = CFBundleGetIdentifier(bundle);
    if (identifier && CFEqual(identifier, bundleID)) return bundle;
  }
  return nullptr;
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle) {
  CFTypeRef identifier = CFBundleGetValueForInfoDictionaryKey(bundle, kCFBundleIdentifierKey);
  return identifier && CFGetTypeID(identifier) == CFStringGetTypeID() ? static_cast<CFStringRef>(identifier) : nullptr;
}

CFDictionaryRef CFBundleCopyInfoDictionaryForURL(CFURLRef url) {
  const std::string path = pathOfURL(url);
  CFBundleLayout layout;
  if (CFBundleLayout::forFolder(path, layout)) return createInfoDictionary(layout.infoPlistPath);
  const std::string embedded = path.empty() ? std::string() : CFBundleEmbeddedInfo::read(path);
  return embedded.empty() ? nullptr : createDictionaryFromText(embedded);
}

CFDictionaryRef CFBundleGetInfoDictionary(CFBundleRef bundle) {
  __CFBundle* object = __CFBundle::from(bundle);
  return object ? object->mInfo.get() : nullptr;
}

CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key) {
  CFDictionaryRef info = CFBundleGetInfoDictionary(bundle);
  return info && key ? CFDictionaryGetValue(info, key) : nullptr;
}

static CFURLRef copyFolderURL(CFBundleRef bundle, std::string (*folderOf)(const CFBundleLayout&)) {
  __CFBundle* object = __CFBundle::from(bundle);
  return object ? createURL(folderOf(object->mLayout), true) : nullptr;
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle) {
  return copyFolderURL(bundle, [](const CFBundleLayout& layout) { return layout.path; });
}

CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle) {
  __CFBundle* object = __CFBundle::from(bundle);
  if (!object) return nullptr;
  const std::string path = object->mLayout.executablePath(executableNameOf(object));
  return path.empty() ? nullptr : createURL(path, false);
}

CFURLRef CFBundleCopyResourcesDirectoryURL(CFBundleRef bundle) {
  return copyFolderURL(bundle, [](const CFBundleLayout& layout) { return layout.resourcesPath; });
}

CFURLRef CFBundleCopyBuiltInPlugInsURL(CFBundleRef bundle) {
  return copyFolderURL(bundle, [](const CFBundleLayout& layout) { return layout.contentsPath + "/PlugIns"; });
}

CFURLRef CFBundleCopyPrivateFrameworksURL(CFBundleRef bundle) {
  return copyFolderURL(bundle, [](const CFBundleLayout& layout) { return layout.contentsPath + "/Frameworks"; });
}

CFURLRef CFBundleCopySharedFrameworksURL(CFBundleRef bundle) {
  return copyFolderURL(bundle, [](const CFBundleLayout& layout) { return layout.contentsPath + "/SharedFrameworks"; });
}

CFURLRef CFBundleCopySharedSupportURL(CFBundleRef bundle) {
  return copyFolderURL(bundle, [](const CFBundleLayout& layout) { return layout.contentsPath + "/SharedSupport"; });
}

CFURLRef CFBundleCopySupportFilesDirectoryURL(CFBundleRef bundle) {
  return copyFolderURL(bundle, [](const CFBundleLayout& layout) { return layout.contentsPath; });
}

// The folder that resources of a sub-folder lie in; empty when the sub-folder would leave the bundle.
static std::string resourceFolder(const __CFBundle* bundle, CFStringRef subDirName) {
  const std::string subFolder = textOf(subDirName);
  if (!CFBundlePaths::staysInside(subFolder)) return {};
  return subFolder.empty() ? bundle->mLayout.resourcesPath : bundle->mLayout.resourcesPath + "/" + subFolder;
}

static std::string extensionText(CFStringRef type) {
  std::string extension = textOf(type);
  if (!extension.empty() && extension.front() == '.') extension.erase(0, 1);
  return extension;
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName, CFStringRef resourceType,
                                 CFStringRef subDirName) {
  __CFBundle* object = __CFBundle::from(bundle);
  const std::string name = textOf(resourceName);
  const std::string extension = extensionText(resourceType);
  if (!object || name.empty()) return nullptr;
  const std::string folder = resourceFolder(object, subDirName);
  const std::string fileName = extension.empty() ? name : name + "." + extension;
  if (folder.empty() || !CFBundlePaths::staysInside(fileName)) return nullptr;
  const std::string path = folder + "/" + fileName;
  if (!CFBundlePaths::exists(path)) return nullptr;
  return createURL(path, CFBundlePaths::isFolder(path));
}

CFArrayRef CFBundleCopyResourceURLsOfType(CFBundleRef bundle, CFStringRef resourceType, CFStringRef subDirName) {
  __CFBundle* object = __CFBundle::from(bundle);
  if (!object) return nullptr;
  CFMutableArrayRef urls = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  const std::string folder = resourceFolder(object, subDirName);
  const std::string suffix = "." + extensionText(resourceType);
  std::vector<std::string> names;
  if (DIR* directory = folder.empty() ? nullptr : opendir(folder.c_str())) {
    while (dirent* entry = readdir(directory)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      if (suffix.size() > 1 && (name.size() <= suffix.size() || !name.ends_with(suffix))) continue;
      names.push_back(name);
    }
    closedir(directory);
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    const std::string path = folder + "/" + name;
    RefPtr<const __CFURL> url = adopt(createURL(path, CFBundlePaths::isFolder(path)));
    if (url) CFArrayAppendValue(urls, url.get());
  }
  return urls;
}

Boolean CFBundleLoadExecutable(CFBundleRef bundle) { return CFBundleLoadExecutableAndReturnError(bundle, nullptr); }

Boolean CFBundleLoadExecutableAndReturnError(CFBundleRef bundle, CFErrorRef* error) {
  if (error) *error = nullptr;
  __CFBundle* object = __CFBundle::from(bundle);
  return object && object->loadExecutable(error);
}

Boolean CFBundleIsExecutableLoaded(CFBundleRef bundle) {
  __CFBundle* object = __CFBundle::from(bundle);
  return object && object->isLoaded();
}

void CFBundleUnloadExecutable(CFBundleRef bundle) {
  if (__CFBundle* object = __CFBundle::from(bundle)) object->unloadExecutable();
}

void* CFBundleGetFunctionPointerForName(CFBundleRef bundle, CFStringRef functionName) {
  __CFBundle* object = __CFBundle::from(bundle);
  return object ? object->symbol(functionName) : nullptr;
}

void* CFBundleGetDataPointerForName(CFBundleRef bundle, CFStringRef symbolName) {
  return CFBundleGetFunctionPointerForName(bundle, symbolName);
}
