#pragma once
// The informal protocol NSObject(PersistentObjectsController): how an object takes part in the
// settings that the persistent-objects controller saves at termination and restores at launch.
// A class takes part by deriving from this mixin beside NSObject and answering the key paths
// to keep; every other step has a default that it may override.
//
//   class VMIDIController : public NSObject, public NSObject_PersistentObjectsController {
//     NSSet* persistentObjectKeyPaths() const override;   // {"midiChannel", "midiEnabled"}
//   };
//
// The saved record of an object is one user-defaults value under persistenceObjectKey: the
// dictionary of key path to value (nil values left out), archived with the archive key
// "UPersistentObjectsController". An object whose values are all nil has its record removed,
// so a setting cleared before quitting does not come back at the next launch.
#include <Foundation/NSArray.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSSet.h>
#include <Foundation/NSString.h>

int import_NSObject_PersistentObjectsController();

class NSObject_PersistentObjectsController {
 public:
  // The key paths to keep (a class method on the platform: the same for every instance).
  virtual NSSet* persistentObjectKeyPaths() const = 0;

  // The key paths as an array; empty, never null, when the class answers none.
  NSArray* persistentObjectKeyPathsOrNil() const;
  // The user-defaults key of the record; the class's name by default.
  virtual NSString* persistenceObjectKey();
  // Key path to the value key-value coding reads for it, nil values left out; a key path that
  // raises is logged and left out. A null array gives an empty dictionary.
  virtual NSDictionary* persistentDictionaryWithValuesForKeyPaths(NSArray* keyPaths);
  // Sets each value of the dictionary whose key path the array holds; the others are ignored.
  // A key path that raises is logged and the rest go on.
  virtual void setPersistentDictionary_withValuesForKeyPaths(NSDictionary* dictionary, NSArray* keyPaths);
  virtual void persistentObjectSaveData();
  virtual void persistentObjectLoadData();

  // The object that takes part (the NSObject this mixin belongs to).
  NSObject* persistentObject() const;

 protected:
  virtual ~NSObject_PersistentObjectsController() = default;
};
