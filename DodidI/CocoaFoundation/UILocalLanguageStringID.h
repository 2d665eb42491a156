#pragma once
// Translatable texts of code that is not in a nib. A source file declares a static identifier
// with its key and its US English default text:
//   static const UILocalLanguageStringID sAboutFormat("app.string.about.format", "About %s %s");
// Declaring it registers the default in a process-wide registry during static initialisation
// (the later of two registrations of one key wins); the language table copies the registry
// into its default layer once, and UILocalLanguageStringWithID turns the identifier into the
// current translation.
#include <functional>

#include <Foundation/NSString.h>

int import_UILocalLanguageStringID();

class UILocalLanguageStringID {
 public:
  // Both texts are UTF-8 that lives as long as the program (string literals).
  UILocalLanguageStringID(const char* key, const char* defaultText);

  const char* key() const { return mKey; }

 private:
  const char* mKey;
};

// The translation of the identifier's key: what the language table answers, or the registered
// default text while no language table answers.
NSString* UILocalLanguageStringWithID(const UILocalLanguageStringID& identifier);

// The language table's lookup (its stringWithID), installed once it exists.
using UILocalLanguageStringLookup = NSString* (*)(NSString* key);
void UILocalLanguageStringSetLookup(UILocalLanguageStringLookup lookup);

// Visits every registered key with its default text in byte order of the keys; nothing when no
// identifier was ever declared.
void UILocalLanguageStringVisitDefaults(
    const std::function<void(NSString* key, NSString* defaultText)>& visit);
