#include <CoreFoundation/CFAttributedString.h>
#include <CoreFoundation/CFNumber.h>
#include <gtest/gtest.h>
#include <objc/RefPtr.h>

namespace {

RefPtr<const __CFDictionary> dictionaryOf(CFStringRef key, CFTypeRef value) {
  const void* keys[] = {key};
  const void* values[] = {value};
  return adopt(CFDictionaryCreate(nullptr, keys, values, 1, &kCFTypeDictionaryKeyCallBacks,
                                  &kCFTypeDictionaryValueCallBacks));
}

TEST(CFAttributedString, AttributesCoverTheWholeString) {
  RefPtr<const __CFDictionary> font = dictionaryOf(CFSTR("font"), CFSTR("Gill Sans"));
  RefPtr<const __CFAttributedString> text =
      adopt(CFAttributedStringCreate(nullptr, CFSTR("Moxicam"), font.get()));
  ASSERT_TRUE(text);
  EXPECT_EQ(CFAttributedStringGetLength(text.get()), 7);
  EXPECT_TRUE(CFEqual(CFAttributedStringGetString(text.get()), CFSTR("Moxicam")));
  CFRange range{};
  EXPECT_TRUE(
      CFEqual(CFAttributedStringGetAttribute(text.get(), 6, CFSTR("font"), &range), CFSTR("Gill Sans")));
  EXPECT_EQ(range.location, 0);
  EXPECT_EQ(range.length, 7);
  EXPECT_EQ(CFAttributedStringGetAttributes(text.get(), 7, nullptr), nullptr);
  EXPECT_EQ(CFAttributedStringGetAttributes(text.get(), -1, nullptr), nullptr);

  RefPtr<const __CFAttributedString> plain = adopt(CFAttributedStringCreate(nullptr, CFSTR("x"), nullptr));
  ASSERT_TRUE(CFAttributedStringGetAttributes(plain.get(), 0, nullptr));
  EXPECT_EQ(CFDictionaryGetCount(CFAttributedStringGetAttributes(plain.get(), 0, nullptr)), 0);
  EXPECT_EQ(CFAttributedStringCreate(nullptr, nullptr, nullptr), nullptr);
}

TEST(CFAttributedString, SettingAnAttributeSplitsRunsAndKeepsTheOthers) {
  RefPtr<const __CFDictionary> font = dictionaryOf(CFSTR("font"), CFSTR("Gill Sans"));
  RefPtr<const __CFAttributedString> text =
      adopt(CFAttributedStringCreate(nullptr, CFSTR("abcdef"), font.get()));
  RefPtr<__CFAttributedString> copy = adopt(CFAttributedStringCreateMutableCopy(nullptr, 0, text.get()));
  CFAttributedStringSetAttribute(copy.get(), CFRangeMake(2, 2), CFSTR("colour"), kCFBooleanTrue);
  // Cut to the string: nothing past its end.
  CFAttributedStringSetAttribute(copy.get(), CFRangeMake(5, 10), CFSTR("size"), CFSTR("72"));
  struct Expected {
    CFIndex at, location, length;
    bool colour, size;
  };
  for (const Expected& e : {Expected{0, 0, 2, false, false}, Expected{3, 2, 2, true, false},
                            Expected{4, 4, 1, false, false}, Expected{5, 5, 1, false, true}}) {
    CFRange range{};
    CFDictionaryRef attributes = CFAttributedStringGetAttributes(copy.get(), e.at, &range);
    ASSERT_TRUE(attributes) << e.at;
    EXPECT_EQ(range.location, e.location) << e.at;
    EXPECT_EQ(range.length, e.length) << e.at;
    EXPECT_TRUE(CFEqual(CFDictionaryGetValue(attributes, CFSTR("font")), CFSTR("Gill Sans"))) << e.at;
    EXPECT_EQ(CFDictionaryGetValue(attributes, CFSTR("colour")) != nullptr, e.colour) << e.at;
    EXPECT_EQ(CFDictionaryGetValue(attributes, CFSTR("size")) != nullptr, e.size) << e.at;
  }
  // The original is untouched.
  EXPECT_EQ(CFAttributedStringGetAttribute(text.get(), 3, CFSTR("colour"), nullptr), nullptr);
}

}  // namespace
