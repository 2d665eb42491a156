#include "UILocalLanguageController.h"

#include <AppKit/NSControl.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSException.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSLocale.h>
#include <Foundation/NSNotificationCenter.h>
#include <Foundation/NSString+Values.h>
#include <objc/MethodTable.h>

#include <functional>
#include <string>
#include <unordered_map>

#include "UILocalLanguageNSMenuItem.h"
#include "UILocalLanguageNSSegmentedControl.h"
#include "UILocalLanguageStringID.h"
#include "UPersistentObjectsController.h"

int import_UILocalLanguageController() {
  import_UNibSingleton();
  import_UILocalLanguageNSMenuItem();
  import_UILocalLanguageNSSegmentedControl();
  import_NSUIBookmarksTarget();
  import_UILocalLanguageStringID();
  return 1;
}

NSString* const UILocalLanguageControllerWillChangeLanguage =
    NSSTR("UILocalLanguageControllerWillChangeLanguage");
NSString* const UILocalLanguageControllerDidChangeLanguage =
    NSSTR("UILocalLanguageControllerDidChangeLanguage");

OBJC_CLASS_DEFINE(UILocalLanguageController)
OBJC_METHODS(UILocalLanguageController,
             OBJC_METHOD("actionResetLanguageToDefaultUSEnglishLocalization:",
                         &UILocalLanguageController::actionResetLanguageToDefaultUSEnglishLocalization))
NS_PROPERTIES(UILocalLanguageController,
              NS_PROPERTY("persistentSettings", &UILocalLanguageController::persistentSettings,
                          &UILocalLanguageController::setPersistentSettings),
              NS_PROPERTY("current", &UILocalLanguageController::current,
                          &UILocalLanguageController::setCurrent))

namespace {

using Reader = std::function<NSObject*(UILocalLanguageController*)>;

// The table's readable properties that a key path may name. Nothing else of the table runs
// when an id happens to equal a method's name.
const std::unordered_map<std::string, Reader>& readableProperties() {
  static const auto* const properties = new std::unordered_map<std::string, Reader>{
      {"persistentSettings", [](UILocalLanguageController* table) { return table->persistentSettings(); }},
      {"current", [](UILocalLanguageController* table) { return table->current(); }},
      {"nibDefaults", [](UILocalLanguageController* table) { return table->nibDefaults(); }},
      {"requestedKeyPaths", [](UILocalLanguageController* table) { return table->requestedKeyPaths(); }},
      {"currentSettingsDictionaryName",
       [](UILocalLanguageController* table) { return table->currentSettingsDictionaryName(); }},
      {"defaultsDictionaryForUSEnglishLocalization",
       [](UILocalLanguageController* table) { return table->defaultsDictionaryForUSEnglishLocalization(); }},
      {"defaultsForUSEnglishLocalization",
       [](UILocalLanguageController* table) { return table->defaultsForUSEnglishLocalization(); }},
      {"currentSettingsDictionaryScript",
       [](UILocalLanguageController* table) { return table->currentSettingsDictionaryScript(); }},
      {"emptySettingsDictionary",
       [](UILocalLanguageController* table) { return table->emptySettingsDictionary(); }},
      {"emptySettingsDictionaryScript",
       [](UILocalLanguageController* table) { return table->emptySettingsDictionaryScript(); }},
  };
  return *properties;
}

std::string text(NSString* string) {
  const char* utf8 = string ? string->UTF8String() : nullptr;
  return utf8 ? utf8 : "";
}

NSString* lookup(NSString* key) { return UILocalLanguageController::stringWithID(key); }

// The keys of a dictionary, or the members of a set or an array, as one array.
NSArray* keyPathsOf(NSObject* collection) {
  if (auto* set = NSDynamicCast<NSSet>(collection)) return set->allObjects();
  if (auto* array = NSDynamicCast<NSArray>(collection)) return array;
  if (auto* dictionary = NSDynamicCast<NSDictionary>(collection)) return dictionary->allKeys();
  return NSArray::array();
}

}  // namespace

NSString* UILocalLanguageController::Meta::instanceKey(Class) const {
  return NSSTR("UILocalLanguageController");
}

UILocalLanguageController* UILocalLanguageController::language() {
  return static_cast<UILocalLanguageController*>(alloc()->init());
}

NSString* UILocalLanguageController::stringWithID(NSString* stringID) {
  if (!stringID) return nullptr;
  // Only a text is a text: an id naming one of the table's own properties (a dictionary) reads
  // through valueForKeyPath.
  return NSDynamicCast<NSString>(language()->valueForKeyPath(stringID));
}

NSString* UILocalLanguageController::stringWithID_defaultValue(NSString* stringID, NSString* defaultValue) {
  language()->recordKeyPath_defaultObjectValue(stringID, defaultValue);
  return stringWithID(stringID);
}

bool UILocalLanguageController::registerDefaultValue_forStringWithID(NSString* defaultValue,
                                                                     NSString* stringID) {
  return language()->recordKeyPath_defaultObjectValue(stringID, defaultValue);
}

void UILocalLanguageController::initOnceInstance() {
  setCurrent(NSDictionary::dictionary());
  {
    std::lock_guard<std::mutex> lock(mTablesLock);
    mNibDefaults = RefPtr<NSMutableDictionary>(NSMutableDictionary::dictionary());
    mRequestedKeyPaths = RefPtr<NSMutableSet>(NSMutableSet::setWithCapacity(3));
  }
  initCplusPlusStaticContructorDefaultsOnce();
  UILocalLanguageStringSetLookup(lookup);
  if (UPersistentObjectsController* persistence =
          UPersistentObjectsController::sharedPersistentObjectsController()) {
    persistence->registerPersistentObject(this);
  }
}

void UILocalLanguageController::initCplusPlusStaticContructorDefaultsOnce() {
  UILocalLanguageStringVisitDefaults(
      [this](NSString* key, NSString* defaultText) { recordKeyPath_defaultObjectValue(key, defaultText); });
}

NSObject* UILocalLanguageController::valueForKeyPath(NSString* keyPath) {
  if (NSObject* own = respondsToKeyPathSelectorOrNil(keyPath)) return own;
  NSObject* result = valueForKeyPathInSelectedUserLocalization(keyPath);
  if (!result) result = defaultValueForKeyPathInCurrentLocale(keyPath);
  if (!result) result = defaultValueForKeyPathInUSEnglishLocale(keyPath);
  addRequestedKeyPath(keyPath);
  return result;
}

NSObject* UILocalLanguageController::valueForKey(NSString* key) {
  addRequestedKeyPath(key);
  return nullptr;
}

NSObject* UILocalLanguageController::valueForUndefinedKey(NSString* key) {
  return NSString::stringWithFormat(NSSTR("valueForUndefinedKey:%@"), key);
}

NSObject* UILocalLanguageController::respondsToKeyPathSelectorOrNil(NSString* keyPath) {
  if (!keyPath) return nullptr;
  auto found = readableProperties().find(text(keyPath));
  return found == readableProperties().end() ? nullptr : found->second(this);
}

NSString* UILocalLanguageController::rootKeyForKeyPath(NSString* keyPath) {
  if (!keyPath) return nullptr;
  auto* components = NSStringValues::componentsSeparatedByString(keyPath, NSSTR("."));
  return static_cast<NSString*>(components->firstObject());
}

NSString* UILocalLanguageController::selectorFromKeyPath(NSString* keyPath) {
  if (!keyPath) return nullptr;
  auto* components = NSStringValues::componentsSeparatedByString(keyPath, NSSTR("."));
  auto* last = static_cast<NSString*>(components->lastObject());
  return last && last->length() ? last : nullptr;
}

NSObject* UILocalLanguageController::defaultValueForKeyPathInUSEnglishLocale(NSString* keyPath) {
  if (!keyPath) return nullptr;
  std::lock_guard<std::mutex> lock(mTablesLock);
  NSObject* value = mNibDefaults ? mNibDefaults->objectForKey(keyPath) : nullptr;
  return value ? value->retain()->autorelease() : nullptr;
}

NSObject* UILocalLanguageController::valueForKeyPathInSelectedUserLocalization(NSString* keyPath) {
  NSDictionary* user = current();
  return user && keyPath ? user->objectForKey(keyPath) : nullptr;
}

bool UILocalLanguageController::recordKeyPath_defaultObjectValue(NSString* keyPath, NSObject* value) {
  if (!keyPath || !value) return false;
  std::lock_guard<std::mutex> lock(mTablesLock);
  if (!mNibDefaults || mNibDefaults->objectForKey(keyPath)) return false;
  mNibDefaults->setObject_forKey(value, keyPath);
  return true;
}

bool UILocalLanguageController::recordUIElementObject_keyPath_withSelector(NSObject* element,
                                                                           NSString* keyPath,
                                                                           NSString* property) {
  if (!element || !property || !NSKeyValueFindProperty(element->classObject(), text(property))) return false;
  // Read as a typed property: a getter of a number or a state gives a number, never a text.
  if (auto* nibText = NSDynamicCast<NSString>(element->valueForKey(property))) {
    recordKeyPath_defaultObjectValue(keyPath, nibText);
  }
  return true;
}

bool UILocalLanguageController::recordUIElementObject_keyPath(NSObject* element, NSString* keyPath) {
  return recordUIElementObject_keyPath_withSelector(element, keyPath, selectorFromKeyPath(keyPath));
}

void UILocalLanguageController::captureNibText(NSObject* element, NSString* keyPath) {
  // A segment's label is the segmented control's own text for that key path.
  if (auto* segmented = dynamic_cast<UILocalLanguageNSSegmentedControl*>(element)) {
    NSInteger segment = segmented->isLocalizedSegmentLabelWithKeyPath(keyPath);
    if (segment >= 0 && segment < segmented->segmentCount()) {
      recordKeyPath_defaultObjectValue(keyPath, segmented->labelForSegment(segment));
      return;
    }
  }
  if (recordUIElementObject_keyPath(element, keyPath)) return;
  if (recordUIElementObject_keyPath_withSelector(element, keyPath, NSSTR("title"))) return;
  if (recordUIElementObject_keyPath_withSelector(element, keyPath, NSSTR("stringValue"))) return;
  if (auto* control = dynamic_cast<NSControl*>(element)) {
    recordKeyPath_defaultObjectValue(keyPath, control->stringValue());
  }
}

void UILocalLanguageController::addObserver_forKeyPath_options_context(NSObject* observer, NSString* keyPath,
                                                                       unsigned long options, void* context) {
  try {
    if (observer && keyPath && observer->respondsToSelector(SELECTOR("object"))) {
      if (NSObject* element = observer->performSelector(SELECTOR("object"))) captureNibText(element, keyPath);
    }
  } catch (const NSException::Raised&) {
    // A text that cannot be read leaves the id without a nib default; the binding still works.
  }
  UNibSingleton::addObserver_forKeyPath_options_context(observer, keyPath, options, context);
}

void UILocalLanguageController::addRequestedKeyPath(NSString* keyPath) {
  if (!keyPath) return;
  std::lock_guard<std::mutex> lock(mTablesLock);
  if (mRequestedKeyPaths) mRequestedKeyPaths->addObject(NSString::stringWithString(keyPath));
}

NSDictionary* UILocalLanguageController::nibDefaults() const {
  std::lock_guard<std::mutex> lock(mTablesLock);
  return mNibDefaults ? static_cast<NSDictionary*>(mNibDefaults->copy()->autorelease())
                      : NSDictionary::dictionary();
}

NSSet* UILocalLanguageController::requestedKeyPaths() const {
  std::lock_guard<std::mutex> lock(mTablesLock);
  return mRequestedKeyPaths ? static_cast<NSSet*>(mRequestedKeyPaths->copy()->autorelease()) : NSSet::set();
}

NSDictionary* UILocalLanguageController::defaultsDictionaryForUSEnglishLocalization() const {
  return nibDefaults();
}

NSString* UILocalLanguageController::defaultsForUSEnglishLocalization() const {
  return scriptFromDictionary(defaultsDictionaryForUSEnglishLocalization());
}

void UILocalLanguageController::actionResetLanguageToDefaultUSEnglishLocalization(NSObject*) {
  setSettingsDictionary(nibDefaults());
}

NSString* UILocalLanguageController::currentLocaleID() {
  return NSLocale::autoupdatingCurrentLocale()->localeIdentifier();
}

NSString* UILocalLanguageController::currentSettingsDictionaryName() {
  return NSString::stringWithFormat(NSSTR("UI for %@"), currentLocaleID());
}

NSSet* UILocalLanguageController::persistentObjectKeyPaths() const {
  return NSSet::setWithObject(NSSTR("persistentSettings"));
}

NSSet* UILocalLanguageController::rootKeysForAllKeyPaths(NSObject* keyPaths) {
  NSMutableSet* roots = NSMutableSet::set();
  for (NSObject* keyPath : *keyPathsOf(keyPaths)) {
    if (auto* path = NSDynamicCast<NSString>(keyPath)) roots->addObject(rootKeyForKeyPath(path));
  }
  return roots;
}

void UILocalLanguageController::willChangeValuesForAllRootKeys(NSSet* rootKeys) {
  if (!rootKeys) return;
  for (NSObject* key : *rootKeys) willChangeValueForKey(static_cast<NSString*>(key));
}

void UILocalLanguageController::didChangeValuesForAllRootKeys(NSSet* rootKeys) {
  if (!rootKeys) return;
  for (NSObject* key : *rootKeys) didChangeValueForKey(static_cast<NSString*>(key));
}

void UILocalLanguageController::willChangeValuesForAllKeyPaths(NSObject* keyPaths) {
  willChangeValuesForAllRootKeys(rootKeysForAllKeyPaths(keyPaths));
  NSNotificationCenter::defaultCenter()->postNotificationName_object(
      UILocalLanguageControllerWillChangeLanguage, this);
}

void UILocalLanguageController::didChangeValuesForAllKeyPaths(NSObject* keyPaths) {
  didChangeValuesForAllRootKeys(rootKeysForAllKeyPaths(keyPaths));
  NSNotificationCenter::defaultCenter()->postNotificationName_object(
      UILocalLanguageControllerDidChangeLanguage, this);
}

bool UILocalLanguageController::setSettingsDictionary(NSDictionary* dictionary) {
  NSMutableSet* keyPaths = NSMutableSet::set();
  if (dictionary) keyPaths->addObjectsFromArray(dictionary->allKeys());
  if (NSDictionary* present = current()) keyPaths->addObjectsFromArray(present->allKeys());
  willChangeValuesForAllKeyPaths(keyPaths);
  setCurrent(dictionary ? static_cast<NSDictionary*>(dictionary->copy()->autorelease())
                        : NSDictionary::dictionary());
  didChangeValuesForAllKeyPaths(keyPaths);
  return true;
}
