#pragma once
// Bundles as objects over CFBundle: the main bundle (the running program's), or any bundle
// folder; their identifiers, Info.plist and resources. Loading nibs is in Foundation/NSNib.h.
#include <CoreFoundation/CFBundle.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#pragma GCC visibility push(default)

class NSArray;
class NSDictionary;

class NSBundle : public NSObject {
  OBJC_CLASS_DECL(NSBundle, NSObject)

 public:
  static NSBundle* mainBundle();
  // The bundle of a folder (one object per folder while it is used), autoreleased; null when
  // the folder does not exist.
  static NSBundle* bundleWithPath(NSString* path);
  // The bundle whose executable defines the class: the main bundle for the running program,
  // else the bundle or framework around the shared object; null for a class of a shared
  // object that lies in no bundle.
  static NSBundle* bundleForClass(Class aClass);

  CFBundleRef cfBundle() const { return mBundle; }
  NSString* bundlePath() const;
  NSString* resourcePath() const;
  NSString* builtInPlugInsPath() const;
  NSString* bundleIdentifier() const;
  NSDictionary* infoDictionary() const;
  NSObject* objectForInfoDictionaryKey(NSString* key) const;
  // The path of the resource "name.type" in the resources folder; null when it does not exist.
  NSString* pathForResource_ofType(NSString* name, NSString* type) const;

  // Loads the nib of the name from the bundle's resources with the owner (see NSNib); false,
  // with no exception, when the bundle has no such nib. The top-level objects come back in an
  // autoreleased array that keeps them.
  bool loadNibNamed_owner_topLevelObjects(NSString* nibName, NSObject* owner, NSArray** topLevelObjects);

 protected:
  NSBundle() = default;
  ~NSBundle() override;

 private:
  friend struct BundleObjects;
  CFBundleRef mBundle = nullptr;
};

#pragma GCC visibility pop
