#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSString+Values.h>
#include <Foundation/NSString.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> piecesOf(NSArray* array) {
  std::vector<std::string> pieces;
  for (NSObject* piece : *array) pieces.push_back(static_cast<NSString*>(piece)->UTF8String());
  return pieces;
}

TEST(NSStringValues, SplitsKeepingEmptyPieces) {
  objc::AutoreleasePool pool;
  using Pieces = std::vector<std::string>;
  const struct {
    const char* text;
    const char* separator;
    Pieces pieces;
  } cases[] = {
      {"a=1;b=2=3;c=4", ";", {"a=1", "b=2=3", "c=4"}},
      {"b=2=3", "=", {"b", "2", "3"}},
      {"=x", "=", {"", "x"}},
      {"a=", "=", {"a", ""}},
      {";;", ";", {"", "", ""}},
      {"", ";", {""}},
      {"no separator", ";", {"no separator"}},
      {"a\r\nb\r\n", "\r\n", {"a", "b", ""}},
  };
  for (const auto& item : cases) {
    NSArray* pieces = NSStringValues::componentsSeparatedByString(
        NSString::stringWithUTF8String(item.text), NSString::stringWithUTF8String(item.separator));
    EXPECT_EQ(piecesOf(pieces), item.pieces) << item.text;
  }
}

TEST(NSStringValues, ReadsLeadingNumbers) {
  objc::AutoreleasePool pool;
  const struct {
    const char* text;
    int intValue;
    double doubleValue;
    bool boolValue;
  } cases[] = {
      {"1", 1, 1, true},
      {"2", 2, 2, true},
      {"0", 0, 0, false},
      {" 42abc", 42, 42, true},
      {"-7", -7, -7, true},
      {"10.6", 10, 10.6, true},
      {"", 0, 0, false},
      {"on", 0, 0, false},
      {"YES", 0, 0, true},
      {"true", 0, 0, true},
      {"99999999999", INT_MAX, 99999999999.0, true},
      {"00", 0, 0, false},
  };
  for (const auto& item : cases) {
    NSString* text = NSString::stringWithUTF8String(item.text);
    EXPECT_EQ(NSStringValues::intValue(text), item.intValue) << item.text;
    EXPECT_DOUBLE_EQ(NSStringValues::doubleValue(text), item.doubleValue) << item.text;
    EXPECT_EQ(NSStringValues::boolValue(text), item.boolValue) << item.text;
  }
  EXPECT_EQ(NSStringValues::intValue(nullptr), 0);
}

TEST(NSStringValues, ComparesWithOptions) {
  objc::AutoreleasePool pool;
  EXPECT_EQ(NSStringValues::compare_options(NSSTR("10.7"), NSSTR("10.600000"), NSCaseInsensitiveSearch),
            NSOrderedDescending);
  EXPECT_EQ(NSStringValues::compare_options(NSSTR("10.2"), NSSTR("9.1"), NSCaseInsensitiveSearch),
            NSOrderedAscending);
  EXPECT_EQ(NSStringValues::compare_options(NSSTR("10.2"), NSSTR("9.1"), NSNumericSearch),
            NSOrderedDescending);
  EXPECT_EQ(NSStringValues::compare_options(NSSTR("ABC"), NSSTR("abc"), NSCaseInsensitiveSearch),
            NSOrderedSame);
  EXPECT_TRUE(NSStringValues::hasPrefix(NSSTR("com.quillfen.bookmark.begin;"), NSSTR("com.quillfen")));
  EXPECT_TRUE(NSStringValues::hasSuffix(NSSTR("studio.plist"), NSSTR(".plist")));
  EXPECT_FALSE(NSStringValues::hasSuffix(nullptr, NSSTR(".plist")));
  EXPECT_EQ(NSStringValues::rangeOfString(NSSTR("a=b"), NSSTR("=")).location, 1u);
  EXPECT_EQ(NSStringValues::rangeOfString(NSSTR("ab"), NSSTR("=")).location, NSUInteger(NSNotFound));
}

TEST(NSStringValues, ReplacesEveryOccurrence) {
  objc::AutoreleasePool pool;
  NSString* cleaned = NSStringValues::stringByReplacingOccurrencesOfString_withString(
      NSSTR("a=1;\r\nb=2;\r\n"), NSSTR("\r\n"), NSSTR(""));
  EXPECT_STREQ(cleaned->UTF8String(), "a=1;b=2;");

  NSMutableString* text = NSMutableString::string();
  text->appendString(NSSTR("Tone tONE tone"));
  EXPECT_EQ(NSStringValues::replaceOccurrencesOfString_withString_options_range(
                text, NSSTR("tone"), NSSTR("tones"), NSCaseInsensitiveSearch, NSMakeRange(0, text->length())),
            3u);
  EXPECT_STREQ(text->UTF8String(), "tones tones tones");
  EXPECT_EQ(NSStringValues::replaceOccurrencesOfString_withString_options_range(text, NSSTR("s"), NSSTR(""),
                                                                                0, NSMakeRange(0, 5)),
            1u);
  EXPECT_STREQ(text->UTF8String(), "tone tones tones");
  EXPECT_EQ(NSStringValues::replaceOccurrencesOfString_withString_options_range(text, NSSTR("s"), NSSTR(""),
                                                                                0, NSMakeRange(0, 999)),
            0u);
}

TEST(NSStringValues, ReadsAPropertyListFromText) {
  objc::AutoreleasePool pool;
  auto* list = NSDynamicCast<NSDictionary>(NSStringValues::propertyList(NSSTR(
      "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a</key><string>b</string></dict></plist>")));
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->objectForKey(NSSTR("a"))->isEqual(NSSTR("b")));
  EXPECT_EQ(NSStringValues::propertyList(NSSTR("<plist><dict>")), nullptr);
}

}  // namespace
