#pragma once
// The language table: the program's one source of user-interface text. Every text has a
// string id, a dotted key path ("app.string.localization.usenglish"); nib elements bind
// their titles to the table by that key path, code asks stringWithID. Two layers answer: the
// user's localization (current), then the US-English defaults (nibDefaults), which come from
// the static registrations, from the texts nib elements carry when they are bound, and from
// stringWithID_defaultValue, the first registration of an id winning.
//
// Installing a localization announces a change of every root key it touches, so that each
// binding re-reads its text, between the notifications
// "UILocalLanguageControllerWillChangeLanguage" and "UILocalLanguageControllerDidChangeLanguage".
//
// A key path that names one of the table's own readable properties ("persistentSettings",
// "currentSettingsDictionaryName" ...) reads that property; no other method of the table can
// be reached by naming it.
#include <Foundation/NSDictionary.h>
#include <Foundation/NSSet.h>
#include <Foundation/NSString.h>

#include <mutex>

#include "NSObject_PersistentObjectsController.h"
#include "NSUIBookmarksTarget.h"
#include "UAtomicProperty.h"
#include "UNibSingleton.h"

int import_UILocalLanguageController();

extern NSString* const UILocalLanguageControllerWillChangeLanguage;
extern NSString* const UILocalLanguageControllerDidChangeLanguage;

class UILocalLanguageController : public UNibSingleton,
                                  public NSObject_protocol_NSUIBookmarksTarget,
                                  public NSObject_PersistentObjectsController {
  OBJC_CLASS_DECL(UILocalLanguageController, UNibSingleton)

 public:
  struct Meta : UNibSingleton::Meta {
    // "UILocalLanguageController", for this class and any subclass.
    NSString* instanceKey(Class cls) const override;
  };

  // The shared table.
  static UILocalLanguageController* language();
  // The text of the id, or null when neither layer has it (or the id names a property of the
  // table that is no text).
  static NSString* stringWithID(NSString* stringID);
  // Records the default first (the first default of an id wins), then answers the text.
  static NSString* stringWithID_defaultValue(NSString* stringID, NSString* defaultValue);
  static bool registerDefaultValue_forStringWithID(NSString* defaultValue, NSString* stringID);

  // Lookup. valueForKey of any key answers null (and records the key), so that observing a
  // dotted path finds no object on the way; an undefined key answers a diagnostic text.
  NSObject* valueForKeyPath(NSString* keyPath) override;
  NSObject* valueForKey(NSString* key) override;
  NSObject* valueForUndefinedKey(NSString* key) override;
  // The table's own readable property of that name, or null.
  NSObject* respondsToKeyPathSelectorOrNil(NSString* keyPath);
  static NSString* rootKeyForKeyPath(NSString* keyPath);
  // The last component of the key path (the property a bound element shows); null for none.
  static NSString* selectorFromKeyPath(NSString* keyPath);
  NSObject* defaultValueForKeyPathInUSEnglishLocale(NSString* keyPath);
  NSObject* valueForKeyPathInSelectedUserLocalization(NSString* keyPath);
  NSObject* defaultValueForKeyPathInCurrentLocale(NSString*) { return nullptr; }

  // NO when the id has a default already or the value is null.
  bool recordKeyPath_defaultObjectValue(NSString* keyPath, NSObject* value);
  // Records the element's text property of that name as the id's default: NO when the element
  // has no such property. Only texts are recorded (a number or a state is no text).
  bool recordUIElementObject_keyPath_withSelector(NSObject* element, NSString* keyPath, NSString* property);
  bool recordUIElementObject_keyPath(NSObject* element, NSString* keyPath);
  // Captures the bound element's nib text as default before the observation starts.
  void addObserver_forKeyPath_options_context(NSObject* observer, NSString* keyPath, unsigned long options,
                                              void* context) override;

  // The bookmark target: the user layer as the settings.
  bool setSettingsDictionary(NSDictionary* dictionary) override;
  NSDictionary* currentSettingsDictionary(bool) override { return current(); }
  // "UI for <locale id>".
  NSString* currentSettingsDictionaryName() override;

  NSSet* persistentObjectKeyPaths() const override;
  NSDictionary* persistentSettings() const { return current(); }
  void setPersistentSettings(NSDictionary* settings) { setSettingsDictionary(settings); }

  NSDictionary* defaultsDictionaryForUSEnglishLocalization() const;
  NSString* defaultsForUSEnglishLocalization() const;
  void actionResetLanguageToDefaultUSEnglishLocalization(NSObject* sender);

  static NSString* currentLocaleID();

  // Change notification.
  static NSSet* rootKeysForAllKeyPaths(NSObject* keyPaths);
  void willChangeValuesForAllRootKeys(NSSet* rootKeys);
  void didChangeValuesForAllRootKeys(NSSet* rootKeys);
  void willChangeValuesForAllKeyPaths(NSObject* keyPaths);
  void didChangeValuesForAllKeyPaths(NSObject* keyPaths);

  NSDictionary* current() const { return mCurrent.get(); }
  void setCurrent(NSDictionary* current) { mCurrent.set(current); }
  // A snapshot of the US-English layer.
  NSDictionary* nibDefaults() const;
  // A snapshot of every key path asked for.
  NSSet* requestedKeyPaths() const;

  void initOnceInstance() override;

 protected:
  UILocalLanguageController() = default;

 private:
  void addRequestedKeyPath(NSString* keyPath);
  void initCplusPlusStaticContructorDefaultsOnce();
  // Step 1 of the capture: the element's text, tried property by property.
  void captureNibText(NSObject* element, NSString* keyPath);

  UAtomicProperty<NSDictionary> mCurrent;
  // The two growing tables; the lock makes them safe for code that asks from other threads.
  mutable std::mutex mTablesLock;
  RefPtr<NSMutableDictionary> mNibDefaults;
  RefPtr<NSMutableSet> mRequestedKeyPaths;
};
