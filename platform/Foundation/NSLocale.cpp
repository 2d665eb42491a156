#include "NSLocale.h"

#include <cstdlib>
#include <string>

OBJC_CLASS_DEFINE(NSLocale)

namespace {

// The locale name the C library would use for messages, without its encoding and modifier.
std::string environmentLocale() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) {
      std::string locale = value;
      locale = locale.substr(0, locale.find_first_of(".@"));
      if (locale.empty() || locale == "C" || locale == "POSIX") return "en_US_POSIX";
      return locale;
    }
  }
  return "en_US_POSIX";
}

}  // namespace

NSLocale* NSLocale::autoupdatingCurrentLocale() { return currentLocale(); }

NSLocale* NSLocale::currentLocale() {
  return localeWithLocaleIdentifier(NSString::stringWithUTF8String(environmentLocale().c_str()));
}

NSLocale* NSLocale::localeWithLocaleIdentifier(NSString* identifier) {
  auto* locale = static_cast<NSLocale*>(alloc()->init());
  locale->mIdentifier = RefPtr<NSString>(identifier ? identifier : NSString::string());
  return static_cast<NSLocale*>(locale->autorelease());
}
