#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSData.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSKeyedArchiver.h>
#include <Foundation/NSString.h>
#include <Foundation/NSValue.h>
#include <Foundation/NSValueTransformer.h>
#include <gtest/gtest.h>

// A transformer class that a nib can name without anyone registering it.
class TestUppercaseTransformer : public NSValueTransformer {
  OBJC_CLASS_DECL(TestUppercaseTransformer, NSValueTransformer)

 public:
  Class transformedValueClass() const override { return NSString::class_(); }
  NSObject* transformedValue(NSObject* value) override {
    auto* text = NSDynamicCast<NSString>(value);
    if (!text) return nullptr;
    CFMutableStringRef upper = CFStringCreateMutableCopy(nullptr, 0, text->cfString());
    CFStringUppercase(upper, nullptr);
    return bridge_cast<NSObject*>(CFAutorelease(upper));
  }

 protected:
  TestUppercaseTransformer() = default;
};
OBJC_CLASS_DEFINE(TestUppercaseTransformer)

namespace {

bool boolOf(NSObject* value) {
  auto* number = NSDynamicCast<NSNumber>(value);
  EXPECT_NE(number, nullptr);
  return number && number->boolValue();
}

TEST(NSValueTransformer, StandardTransformersByName) {
  objc::AutoreleasePool pool;
  NSValueTransformer* negate = NSValueTransformer::valueTransformerForName(NSNegateBooleanTransformerName);
  ASSERT_NE(negate, nullptr);
  EXPECT_FALSE(boolOf(negate->transformedValue(NSNumber::numberWithBool(true))));
  EXPECT_TRUE(boolOf(negate->transformedValue(NSNumber::numberWithInt(0))));
  EXPECT_TRUE(boolOf(negate->reverseTransformedValue(NSNumber::numberWithBool(false))));
  EXPECT_TRUE(negate->allowsReverseTransformation());

  NSValueTransformer* isNil = NSValueTransformer::valueTransformerForName(NSSTR("NSIsNil"));
  NSValueTransformer* isNotNil = NSValueTransformer::valueTransformerForName(NSSTR("NSIsNotNil"));
  ASSERT_NE(isNil, nullptr);
  ASSERT_NE(isNotNil, nullptr);
  EXPECT_TRUE(boolOf(isNil->transformedValue(nullptr)));
  EXPECT_FALSE(boolOf(isNil->transformedValue(NSSTR(""))));
  EXPECT_FALSE(boolOf(isNotNil->transformedValue(nullptr)));
  EXPECT_TRUE(boolOf(isNotNil->transformedValue(NSSTR(""))));
  EXPECT_FALSE(isNil->allowsReverseTransformation());
  EXPECT_EQ(isNil->reverseTransformedValue(NSSTR("x")), nullptr);

  for (NSString* name : {NSKeyedUnarchiveFromDataTransformerName, NSUnarchiveFromDataTransformerName}) {
    NSValueTransformer* unarchive = NSValueTransformer::valueTransformerForName(name);
    ASSERT_NE(unarchive, nullptr);
    NSDictionary* value =
        NSDictionary::dictionaryWithObject_forKey(NSNumber::numberWithInt(7), NSSTR("seven"));
    auto* data = NSDynamicCast<NSData>(unarchive->reverseTransformedValue(value));
    ASSERT_NE(data, nullptr);
    NSObject* back = unarchive->transformedValue(data);
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->isEqual(value));
    EXPECT_EQ(unarchive->transformedValue(NSData::dataWithBytes_length("junk", 4)), nullptr);
    EXPECT_EQ(unarchive->transformedValue(NSSTR("not data")), nullptr);
  }
}

TEST(NSValueTransformer, RegistersAndForgetsByName) {
  objc::AutoreleasePool pool;
  NSString* name = NSSTR("attributedStringFromCoreFoundationString");
  EXPECT_EQ(NSValueTransformer::valueTransformerForName(name), nullptr);
  RefPtr<NSValueTransformer> transformer =
      adopt(static_cast<NSValueTransformer*>(NSValueTransformer::alloc()->init()));
  NSValueTransformer::setValueTransformer_forName(transformer.get(), name);
  EXPECT_EQ(NSValueTransformer::valueTransformerForName(name), transformer.get());
  EXPECT_TRUE(NSValueTransformer::valueTransformerNames()->containsObject(name));
  NSValueTransformer::setValueTransformer_forName(nullptr, name);
  EXPECT_EQ(NSValueTransformer::valueTransformerForName(name), nullptr);
  EXPECT_EQ(NSValueTransformer::valueTransformerForName(nullptr), nullptr);
}

TEST(NSValueTransformer, MakesAnUnregisteredTransformerClassByItsName) {
  objc::AutoreleasePool pool;
  NSValueTransformer* upper = NSValueTransformer::valueTransformerForName(NSSTR("TestUppercaseTransformer"));
  ASSERT_NE(upper, nullptr);
  EXPECT_EQ(NSValueTransformer::valueTransformerForName(NSSTR("TestUppercaseTransformer")), upper);
  EXPECT_TRUE(upper->transformedValue(NSSTR("key"))->isEqual(NSSTR("KEY")));
  // A class name that is not a transformer gives nothing.
  EXPECT_EQ(NSValueTransformer::valueTransformerForName(NSSTR("NSIndexSet")), nullptr);
}

}  // namespace
