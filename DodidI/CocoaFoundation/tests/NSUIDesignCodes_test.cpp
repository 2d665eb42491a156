#include "NSUIDesignCodes.h"

#include <Foundation/NSArray.h>
#include <Foundation/NSValue.h>
#include <gtest/gtest.h>

#include <map>
#include <string>

const char* g_CoreMachDebug_LogPrefix = "NSUIDesignCodesTest";
const char* g_CoreMachDebug_LogFileName = "NSUIDesignCodesTest.log";

namespace {

NSString* ns(const std::string& text) { return NSString::stringWithUTF8String(text.c_str()); }
std::string text(NSObject* string) { return string ? static_cast<NSString*>(string)->UTF8String() : "(nil)"; }

std::map<std::string, std::string> entries(NSDictionary* dictionary) {
  std::map<std::string, std::string> out;
  for (NSObject* key : *dictionary) out[text(key)] = text(dictionary->objectForKey(key));
  return out;
}

TEST(NSUIDesignCodes, WritesMarkersAndOneLinePerSettingInCaseInsensitiveOrder) {
  NSDictionary* settings = NSDictionary::dictionaryWithObjects_forKeys(
      {NSNumber::numberWithInt(1), NSSTR("on")}, {NSSTR("Zeta"), NSSTR("alpha")});
  EXPECT_EQ(text(NSUIDesignCodes::codeStringFromDictionary(settings)),
            "com.quillfen.bookmark.begin;\r\n"
            "alpha=on;\r\n"
            "Zeta=1;\r\n"
            "com.quillfen.bookmark.end;\r\n");
  EXPECT_EQ(text(NSUIDesignCodes::codeStringFromDictionary_identifier(nullptr, NSSTR("org.example.look"))),
            "org.example.look.begin;\r\norg.example.look.end;\r\n");

  NSUIDesignCodes* codes = NSUIDesignCodes::codesWithCodeDictionary(settings);
  ASSERT_NE(codes, nullptr);
  EXPECT_EQ(entries(codes->codeDictionary()),
            (std::map<std::string, std::string>{{"alpha", "on"}, {"Zeta", "1"}}));
  EXPECT_EQ(text(codes->title()), "Bookmark");
  EXPECT_EQ(text(codes->identifier()), "com.quillfen.bookmark");
  EXPECT_EQ(text(codes->description()), "<NSUIDesignCodes title:Bookmark>");
}

TEST(NSUIDesignCodes, ReadsAnyTextOfNameValuePieces) {
  struct Case {
    const char* code;
    bool readSomething;
    std::map<std::string, std::string> settings;
  };
  const Case cases[] = {
      {"a=1;b=2=3;c=4", true, {{"a", "1"}, {"c", "4"}}},
      {"", false, {}},
      {"com.quillfen.bookmark.begin;\r\nnothing here;\r\n", false, {}},
      {"=x;a=;", true, {{"", "x"}, {"a", ""}}},
      {" a = 1 ;", true, {{" a ", " 1 "}}},
      {"a=1;a=2", true, {{"a", "2"}}},
      {"a=li\r\nne;b=x\ry\nz", true, {{"a", "line"}, {"b", "xyz"}}},
      {"rate=100%;format=About %s %s;odd=%3",
       true,
       {{"rate", "100%"}, {"format", "About %s %s"}, {"odd", "%3"}}},
      {"other.begin;k%3Dx=v%3Bw;other.end;", true, {{"k=x", "v;w"}}},
  };
  for (const Case& c : cases) {
    NSUIDesignCodes* codes = NSUIDesignCodes::codesWithCodeString(NSSTR("stale=1"));
    EXPECT_EQ(codes->setCodeString(ns(c.code)), c.readSomething) << c.code;
    EXPECT_EQ(entries(codes->dictionary()), c.settings) << c.code;
  }
}

TEST(NSUIDesignCodes, EveryTextSurvivesTheRoundTrip) {
  const char* texts[] = {";",          "=",           "a=b;c=d", "line\r\nbreak", "lone\rreturn",
                         "lone\nfeed", "%3B as text", "%25",     "%%3D",          "100%",
                         "%",          "ends in %3",  "",        "ünïcødé",       "semi; colon"};
  NSMutableDictionary* settings = NSMutableDictionary::dictionary();
  int index = 0;
  for (const char* value : texts) {
    settings->setObject_forKey(ns(value), ns(std::string("key ") + value + std::to_string(index++)));
  }
  NSUIDesignCodes* codes = NSUIDesignCodes::codesWithCodeDictionary(settings);
  ASSERT_NE(codes, nullptr);
  EXPECT_EQ(entries(codes->codeDictionary()), entries(settings));

  NSUIDesignCodes* again = NSUIDesignCodes::codesWithCodeString(codes->codeString());
  EXPECT_EQ(entries(again->codeDictionary()), entries(settings));
}

TEST(NSUIDesignCodes, ANullTextKeepsTheSettings) {
  NSUIDesignCodes* codes = NSUIDesignCodes::codesWithCodeString_title_identifier(NSSTR("a=1"), NSSTR("Look"),
                                                                                 NSSTR("org.example.look"));
  EXPECT_FALSE(codes->setCodeString(nullptr));
  EXPECT_EQ(entries(codes->dictionary()), (std::map<std::string, std::string>{{"a", "1"}}));
  EXPECT_EQ(text(codes->beginCodeMarker()), "org.example.look.begin;\r\n");
  EXPECT_EQ(text(codes->endCodeMarker()), "org.example.look.end;\r\n");
  EXPECT_EQ(text(codes->codeString()), "org.example.look.begin;\r\na=1;\r\norg.example.look.end;\r\n");

  codes->setCodeDictionary(
      NSDictionary::dictionaryWithObject_forKey(NSNumber::numberWithDouble(0.5), NSSTR("b")));
  EXPECT_EQ(entries(codes->dictionary()), (std::map<std::string, std::string>{{"b", "0.5"}}));
  EXPECT_EQ(text(codes->objectForKey(NSSTR("b"))), "0.5");
}

TEST(NSUIDesignCodes, AnswersRequirementTests) {
  NSUIDesignCodes* codes = NSUIDesignCodes::codesWithCodeString(
      NSSTR("on=2;off=0;word=yes;needs=10.10;older=9.0;same=10.6;needsDouble=10.7;lowDouble=10.5;"
            "text=abc;beta=10.6b2;padded=010.6;longer=10.6.1;huge=10.99999999999999999999"));
  struct Boolean {
    const char* key;
    bool wanted;
    bool answer;
  };
  const Boolean booleans[] = {{"absent", true, false}, {"absent", false, false}, {"on", true, true},
                              {"on", false, false},    {"off", false, true},     {"word", false, true}};
  for (const Boolean& b : booleans) {
    EXPECT_EQ(codes->hasBooleanValue_booleanValue(ns(b.key), b.wanted), b.answer) << b.key << " " << b.wanted;
  }

  struct Version {
    const char* key;
    const char* current;
    bool notMet;
  };
  // Version numbers compare as numbers; any other text compares as text, case ignored, as it
  // did before numbers were read ("abc" orders after "10.6", "10.6b2" after "10.6B1").
  const Version versions[] = {
      {"absent", "1.0", false},  {"needs", "10.9", true},   {"needs", "10.10", false},
      {"needs", "10.11", false}, {"older", "10.6", false},  {"same", "10.6", false},
      {"padded", "10.6", false}, {"longer", "10.6", true},  {"longer", "10.6.2", false},
      {"huge", "10.100", true},  {"text", "10.6", true},    {"text", "ABD", false},
      {"text", "ABB", true},     {"beta", "10.6B1", true},  {"beta", "10.6b3", false},
      {"needs", "", true},       {"needs", "10.10 ", false}};
  for (const Version& v : versions) {
    EXPECT_EQ(codes->isVersionRequiredAndNotMet_versionStringValue(ns(v.key), ns(v.current)), v.notMet)
        << v.key << " against " << v.current;
  }

  EXPECT_TRUE(codes->isDoubleValueRequiredAndNotMet_versionDoubleValue(NSSTR("needsDouble"), 10.6));
  EXPECT_FALSE(codes->isDoubleValueRequiredAndNotMet_versionDoubleValue(NSSTR("lowDouble"), 10.6));
  EXPECT_FALSE(codes->isDoubleValueRequiredAndNotMet_versionDoubleValue(NSSTR("absent"), 10.6));
}

}  // namespace
