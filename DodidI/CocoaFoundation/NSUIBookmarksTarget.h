#pragma once
// The informal protocol NSObject(protocol_NSUIBookmarksTarget): an object whose whole state
// reads and sets as one dictionary of settings, so that bookmarks, pasted texts and design
// feeds can be applied to it. A class takes part by deriving from this mixin beside NSObject
// and overriding the first three operations; any other object answers the defaults below
// through NSUIBookmarksTarget::of, which set nothing and read an empty design.
#include <Foundation/NSDictionary.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

int import_NSUIBookmarksTarget();

class NSObject_protocol_NSUIBookmarksTarget {
 public:
  // Installs the settings; NO by default (nothing is set).
  virtual bool setSettingsDictionary(NSDictionary* dictionary);
  // The settings now; the empty design by default. The flag is the target's own.
  virtual NSDictionary* currentSettingsDictionary(bool flag);
  virtual NSString* currentSettingsDictionaryName();

  // {"com.quillfen.version": 1}, a new mutable dictionary (autoreleased).
  virtual NSMutableDictionary* emptySettingsDictionary();

  // The code string of a dictionary, written with the default identifier (autoreleased).
  static NSString* scriptFromDictionary(NSDictionary* dictionary);

  NSString* currentSettingsDictionaryScript(bool flag);
  NSString* currentSettingsDictionaryScript() { return currentSettingsDictionaryScript(false); }
  NSString* emptySettingsDictionaryScript();
  // NO for null, for a text that yields no settings, or when the target sets nothing.
  bool setSettingsDictionaryScript(NSString* script);
  bool setSettingsDictionaryStrings(NSDictionary* dictionary) { return setSettingsDictionary(dictionary); }
  // Applies the text of a view: its data source's when it has one (nothing when that is
  // unset), else its own string value; an empty text does nothing.
  bool takeSettingsDictionaryScriptFrom(NSObject* source);
  // Shows the present code string in the view's string value.
  void pushSettingsDictionaryScriptTo(NSObject* view);

 protected:
  virtual ~NSObject_protocol_NSUIBookmarksTarget() = default;
};

namespace NSUIBookmarksTarget {

// The object's own protocol when it takes part, else the shared defaults; null for null.
NSObject_protocol_NSUIBookmarksTarget* of(NSObject* object);

}  // namespace NSUIBookmarksTarget
