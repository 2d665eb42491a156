#include "UILocalLanguageStringID.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

const char* g_CoreMachDebug_LogPrefix = "UILocalLanguageStringIDTest";
const char* g_CoreMachDebug_LogFileName = "UILocalLanguageStringIDTest.log";

namespace {

// Declared out of key order, and one key twice: the later declaration's text wins.
const UILocalLanguageStringID sUSEnglish("app.string.localization.usenglish", "English (US)");
const UILocalLanguageStringID sAboutFirst("app.string.about.format", "About");
const UILocalLanguageStringID sAbout("app.string.about.format", "About %s %s");

std::string text(NSString* string) { return string ? string->UTF8String() : "(nil)"; }

TEST(UILocalLanguageStringID, RegistersEachKeyOnceInByteOrderWithTheLastText) {
  std::vector<std::pair<std::string, std::string>> visited;
  UILocalLanguageStringVisitDefaults(
      [&](NSString* key, NSString* defaultText) { visited.emplace_back(text(key), text(defaultText)); });
  EXPECT_EQ(visited, (std::vector<std::pair<std::string, std::string>>{
                         {"app.string.about.format", "About %s %s"},
                         {"app.string.localization.usenglish", "English (US)"}}));
}

NSString* germanTable(NSString* key) {
  if (text(key) == "app.string.about.format") return NSSTR("Über %s %s");
  return nullptr;
}

TEST(UILocalLanguageStringID, AnswersTheLanguageTablesTranslationOnceOneIsInstalled) {
  EXPECT_EQ(text(UILocalLanguageStringWithID(sAbout)), "About %s %s");
  EXPECT_EQ(text(UILocalLanguageStringWithID(sUSEnglish)), "English (US)");

  UILocalLanguageStringSetLookup(germanTable);
  EXPECT_EQ(text(UILocalLanguageStringWithID(sAbout)), "Über %s %s");
  EXPECT_EQ(text(UILocalLanguageStringWithID(sAboutFirst)), "Über %s %s");
  UILocalLanguageStringSetLookup(nullptr);
  EXPECT_EQ(text(UILocalLanguageStringWithID(sAbout)), "About %s %s");
}

}  // namespace
