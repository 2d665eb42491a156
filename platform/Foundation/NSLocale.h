#pragma once
// Locales: the user's current locale, named by the identifier the environment gives
// (LC_ALL, then LC_MESSAGES, then LANG; "en_US.UTF-8" names "en_US"). "C" and "POSIX", or no
// setting at all, name "en_US_POSIX".
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#pragma GCC visibility push(default)

class NSLocale : public NSObject {
  OBJC_CLASS_DECL(NSLocale, NSObject)

 public:
  // Follows the environment: each call reads it again. Autoreleased.
  static NSLocale* autoupdatingCurrentLocale();
  static NSLocale* currentLocale();
  // Autoreleased.
  static NSLocale* localeWithLocaleIdentifier(NSString* identifier);

  NSString* localeIdentifier() const { return mIdentifier.get(); }

 protected:
  NSLocale() = default;

 private:
  RefPtr<NSString> mIdentifier;
};

#pragma GCC visibility pop
