#include <AppKit/AppKit.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSValue.h>
#include <gtest/gtest.h>

#include <string>

#include "NSAttributedString_NSCFString_ValueTransformer.h"

const char* g_CoreMachDebug_LogPrefix = "ValueTransformerTest";
const char* g_CoreMachDebug_LogFileName = "ValueTransformerTest.log";

namespace {

NSFont* fontOf(NSAttributedString* text, NSUInteger index) {
  return NSDynamicCast<NSFont>(text->attributesAtIndex_effectiveRange(index, nullptr)->objectForKey(NSFontAttributeName));
}

TEST(StringValueTransformer, ShowsValuesInTheSmallFixedPitchFont) {
  objc::AutoreleasePool pool;
  RefPtr<NSAttributedString_NSCFString_ValueTransformer> transformer =
      adopt(static_cast<NSAttributedString_NSCFString_ValueTransformer*>(
          NSAttributedString_NSCFString_ValueTransformer::alloc()->init()));
  EXPECT_EQ(transformer->transformedValue(nullptr), nullptr);
  auto* number = NSDynamicCast<NSAttributedString>(transformer->transformedValue(NSNumber::numberWithInt(42)));
  ASSERT_NE(number, nullptr);
  EXPECT_STREQ(number->string()->UTF8String(), "42");
  NSFont* font = fontOf(number, 1);
  ASSERT_NE(font, nullptr);
  EXPECT_TRUE(font->isFixedPitch());
  EXPECT_EQ(font->pointSize(), NSFont::smallSystemFontSize());
  auto* other = NSDynamicCast<NSAttributedString>(transformer->transformedValue(NSDictionary::dictionary()));
  const std::string text = other->string()->UTF8String();
  EXPECT_EQ(text.rfind("!!!", 0), 0u) << text;
  EXPECT_EQ(text.substr(text.size() - 3), "!!!") << text;
  // An attributed string given is copied, not changed.
  RefPtr<NSAttributedString> given = adopt(NSAttributedString::alloc()->initWithString(NSSTR("as is")));
  auto* transformed = NSDynamicCast<NSAttributedString>(transformer->transformedValue(given.get()));
  EXPECT_NE(transformed, given.get());
  EXPECT_EQ(given->attributesAtIndex_effectiveRange(0, nullptr)->count(), 0u);
  EXPECT_NE(fontOf(transformed, 0), nullptr);
}

TEST(StringValueTransformer, ReversesToPlainStrings) {
  objc::AutoreleasePool pool;
  RefPtr<NSAttributedString_NSCFString_ValueTransformer> transformer =
      adopt(static_cast<NSAttributedString_NSCFString_ValueTransformer*>(
          NSAttributedString_NSCFString_ValueTransformer::alloc()->init()));
  NSString* plain = NSString::stringWithUTF8String("kept");
  EXPECT_EQ(transformer->reverseTransformedValue(plain), plain);
  NSObject* shown = transformer->transformedValue(NSSTR("round trip"));
  EXPECT_STREQ(static_cast<NSString*>(transformer->reverseTransformedValue(shown))->UTF8String(), "round trip");
  EXPECT_STREQ(static_cast<NSString*>(transformer->reverseTransformedValue(NSNumber::numberWithInt(7)))->UTF8String(), "7");
  EXPECT_TRUE(transformer->allowsReverseTransformation());
  EXPECT_EQ(transformer->transformedValueClass(), NSAttributedString::class_());
}

}  // namespace
