#include <Foundation/NSBundle.h>

#include <map>
#include <mutex>
#include <string>

#include <Foundation/NSDictionary.h>
#include <Foundation/NSNib.h>
#include <objc/WeakPtr.h>

OBJC_CLASS_DEFINE_NO_FACTORY(NSBundle)

namespace {

NSString* pathOf(CFURLRef url) {
  if (!url) return nullptr;
  CFStringRef path = CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle);
  CFRelease(url);
  if (!path) return nullptr;
  CFAutorelease(path);
  return toNSString(path);
}

}  // namespace

struct BundleObjects {
  static NSBundle* make(CFBundleRef bundle) {
    auto* object = new NSBundle();
    object->mBundle = static_cast<CFBundleRef>(const_cast<void*>(CFRetain(bundle)));
    return object;
  }
};

NSBundle* NSBundle::mainBundle() {
  static NSBundle* const bundle = [] {
    NSBundle* made = BundleObjects::make(CFBundleGetMainBundle());
    made->makeImmortal();
    return made;
  }();
  return bundle;
}

NSBundle* NSBundle::bundleWithPath(NSString* path) {
  if (!path) return nullptr;
  CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, path->cfString(), kCFURLPOSIXPathStyle, true);
  if (!url) return nullptr;
  CFBundleRef bundle = CFBundleCreate(nullptr, url);
  CFRelease(url);
  if (!bundle) return nullptr;
  if (bundle == CFBundleGetMainBundle()) {
    CFRelease(bundle);
    return mainBundle();
  }
  // One object per CFBundle while it is used, as CFBundle keeps one per folder.
  static std::mutex lock;
  static auto* objects = new std::map<CFBundleRef, WeakPtr<NSBundle>>();
  std::lock_guard<std::mutex> guard(lock);
  RefPtr<NSBundle> object = (*objects)[bundle].get();
  if (!object) {
    object = adopt(BundleObjects::make(bundle));
    (*objects)[bundle] = object.get();
  }
  CFRelease(bundle);
  object->retain();
  return static_cast<NSBundle*>(object->autorelease());
}

NSBundle::~NSBundle() {
  if (mBundle) CFRelease(mBundle);
}

NSString* NSBundle::bundlePath() const { return pathOf(CFBundleCopyBundleURL(mBundle)); }

NSString* NSBundle::resourcePath() const { return pathOf(CFBundleCopyResourcesDirectoryURL(mBundle)); }

NSString* NSBundle::builtInPlugInsPath() const { return pathOf(CFBundleCopyBuiltInPlugInsURL(mBundle)); }

NSString* NSBundle::bundleIdentifier() const {
  CFStringRef identifier = CFBundleGetIdentifier(mBundle);
  return identifier ? toNSString(identifier) : nullptr;
}

NSDictionary* NSBundle::infoDictionary() const { return bridge_cast<NSDictionary*>(CFBundleGetInfoDictionary(mBundle)); }

NSObject* NSBundle::objectForInfoDictionaryKey(NSString* key) const {
  if (!key) return nullptr;
  return bridge_cast<NSObject*>(CFBundleGetValueForInfoDictionaryKey(mBundle, key->cfString()));
}

NSString* NSBundle::pathForResource_ofType(NSString* name, NSString* type) const {
  if (!name) return nullptr;
  return pathOf(CFBundleCopyResourceURL(mBundle, name->cfString(), type ? type->cfString() : nullptr, nullptr));
}

bool NSBundle::loadNibNamed_owner_topLevelObjects(NSString* nibName, NSObject* owner, NSArray** topLevelObjects) {
  RefPtr<NSNib> nib = adopt(NSNib::alloc()->initWithNibNamed_bundle(nibName, this));
  return nib && nib->instantiateWithOwner_topLevelObjects(owner, topLevelObjects);
}
