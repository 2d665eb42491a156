#pragma once
// Key-value observing: an observer registered with addObserver_forKeyPath_options_context
// hears, through observeValueForKeyPath_ofObject_change_context, of every change of the key
// path that the observed object announces with willChangeValueForKey / didChangeValueForKey
// (setters reached through key-value coding announce themselves). A key path is announced by
// its first key, or by any key registered as affecting that key:
//
//   NS_DEPENDENT_KEYS(UPerson, "fullName", {"firstName", "lastName"})
//
// Observers are not retained: one that is destroyed is forgotten and never called again.
// Notifications are delivered on the thread that announced the change.
#include <initializer_list>

#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#pragma GCC visibility push(default)

typedef NSUInteger NSKeyValueObservingOptions;
enum : NSKeyValueObservingOptions {
  NSKeyValueObservingOptionNew = 0x01,
  NSKeyValueObservingOptionOld = 0x02,
  NSKeyValueObservingOptionInitial = 0x04,
  NSKeyValueObservingOptionPrior = 0x08,
};

typedef NSUInteger NSKeyValueChange;
enum : NSKeyValueChange {
  NSKeyValueChangeSetting = 1,
  NSKeyValueChangeInsertion = 2,
  NSKeyValueChangeRemoval = 3,
  NSKeyValueChangeReplacement = 4,
};

// The keys of a change dictionary: the kind (an NSNumber), the old and new values (NSNull for
// null) as the options asked, and whether it is the notification sent before the change.
FOUNDATION_EXPORT NSString* const NSKeyValueChangeKindKey;
FOUNDATION_EXPORT NSString* const NSKeyValueChangeNewKey;
FOUNDATION_EXPORT NSString* const NSKeyValueChangeOldKey;
FOUNDATION_EXPORT NSString* const NSKeyValueChangeNotificationIsPriorKey;

// Registers the key paths whose changes are changes of `key` too (done once per class at
// load); answers true. A class's Meta may override keyPathsForValuesAffectingValueForKey instead.
bool NSKeyValueRegisterDependentKeys(Class cls, const char* key, std::initializer_list<const char*> affectingKeyPaths);

#define NS_DEPENDENT_KEYS_CONCAT2(a, b) a##b
#define NS_DEPENDENT_KEYS_CONCAT(a, b) NS_DEPENDENT_KEYS_CONCAT2(a, b)
#define NS_DEPENDENT_KEYS(Name, key, ...)                                                           \
  [[maybe_unused]] static const bool NS_DEPENDENT_KEYS_CONCAT(ns_dependent_keys_##Name, __LINE__) = \
      NSKeyValueRegisterDependentKeys(Name::class_(), key, __VA_ARGS__);

#pragma GCC visibility pop
