#pragma once
// Nibs: object graphs kept as XML files (<Name>.nib in a bundle's resources; see
// Foundation/NibBuilder.h for the format and a builder) and instantiated with an owner:
//  1. every object is made through the class registry by its class's alloc (so a nib
//     singleton answers its shared instance) and initWithCoder with a coder of the values the
//     nib gives it, never initWithFrame; the object that initWithCoder answers is the one used;
//  2. then every outlet (set by key-value coding, so an outlet held in a WeakPtr is not
//     retained), action (the source's "target" and "action" keys) and binding is connected;
//  3. only then does every object, and the owner, receive awakeFromNib, once per load.
// A missing nib fails quietly (initWithNibNamed_bundle answers null); a nib that cannot be
// read or names an unknown class raises NSException (NSInternalInconsistencyException).
// Classes named only in nibs must be linked: see the import_ functions of their files.
#include <memory>

#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#pragma GCC visibility push(default)

class NSArray;
class NSBundle;
class NSData;

class NSNib : public NSObject {
  OBJC_CLASS_DECL(NSNib, NSObject)

 public:
  // The nib "<name>.nib" of the bundle's resources (the main bundle for null); null, after
  // releasing the receiver, when there is none.
  NSNib* initWithNibNamed_bundle(NSString* nibName, NSBundle* bundle);
  // A nib of the given XML text.
  NSNib* initWithNibData_bundle(NSData* nibData, NSBundle* bundle);

  // Instantiates the nib (see above). The top-level objects, when asked for, come back in an
  // autoreleased array that keeps them; objects that nothing keeps go when the load ends.
  bool instantiateWithOwner_topLevelObjects(NSObject* owner, NSArray** topLevelObjects);
  // The older name of the same.
  bool instantiateNibWithOwner_topLevelObjects(NSObject* owner, NSArray** topLevelObjects) {
    return instantiateWithOwner_topLevelObjects(owner, topLevelObjects);
  }

 protected:
  NSNib() = default;

 private:
  RefPtr<NSData> mData;
  RefPtr<NSString> mName;
};

#pragma GCC visibility pop
