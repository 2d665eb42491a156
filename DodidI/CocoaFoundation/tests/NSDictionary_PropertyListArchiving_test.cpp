#include "NSDictionary_PropertyListArchiving.h"

#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSCoder.h>
#include <Foundation/NSKeyedArchiver.h>
#include <Foundation/NSValue.h>
#include <gtest/gtest.h>

#include <string>

const char* g_CoreMachDebug_LogPrefix = "PropertyListArchivingTest";
const char* g_CoreMachDebug_LogFileName = "PropertyListArchivingTest.log";

// A coded class of the program's own, allowed in archives only once it says so.
class CodedNote : public NSObject, public NSCoding {
  OBJC_CLASS_DECL(CodedNote, NSObject)

 public:
  void encodeWithCoder(NSCoder* coder) override { coder->encodeObject_forKey(mText.get(), NSSTR("text")); }
  NSObject* initWithCoder(NSCoder* coder) override {
    mText =
        RefPtr(static_cast<NSString*>(coder->decodeObjectOfClass_forKey(NSString::class_(), NSSTR("text"))));
    return this;
  }
  RefPtr<NSString> mText;
};
OBJC_CLASS_DEFINE(CodedNote)

// Allowed by a test, as its parent never is: once allowed, a class stays allowed for the process.
class AllowedNote : public CodedNote {
  OBJC_CLASS_DECL(AllowedNote, CodedNote)
};
OBJC_CLASS_DEFINE(AllowedNote)

namespace {

using namespace NSDictionary_PropertyListArchiving;

NSData* bytes(const std::string& text) { return NSData::dataWithBytes_length(text.data(), text.size()); }

NSDictionary* sample() {
  return NSDictionary::dictionaryWithObjects_forKeys(
      {NSNumber::numberWithInt(5), NSSTR("text; with = signs"),
       NSArray::arrayWithObjects({NSNumber::numberWithDouble(0.25), NSSTR("two")}),
       NSDictionary::dictionaryWithObject_forKey(NSNumber::numberWithBool(true), NSSTR("inner")),
       bytes("\x01\x02")},
      {NSSTR("a"), NSSTR("b"), NSSTR("list"), NSSTR("nested"), NSSTR("data")});
}

TEST(PropertyListArchiving, ReadsBackWhatItWroteUnderTheSameKeyOnly) {
  for (NSDictionary* dictionary : {sample(), NSDictionary::dictionary()}) {
    NSData* data = propertyListData(dictionary, NSSTR("UPersistentObjectsController"));
    ASSERT_NE(data, nullptr);
    ASSERT_GT(data->length(), 0u);
    std::string xml(static_cast<const char*>(data->bytes()), data->length());
    EXPECT_EQ(xml.rfind("<?xml", 0), 0u) << xml;

    NSDictionary* back = dictionaryWithPropertyListData_andKey(data, NSSTR("UPersistentObjectsController"));
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->isEqualToDictionary(dictionary));
    EXPECT_EQ(dictionaryWithPropertyListData_andKey(data, NSSTR("SomethingElse")), nullptr);
    EXPECT_EQ(dictionaryWithPropertyListData(data), nullptr);
  }
  NSData* data = propertyListData(sample());
  ASSERT_NE(dictionaryWithPropertyListData(data), nullptr);
  EXPECT_TRUE(dictionaryWithPropertyListData_andKey(data, defaultKey())->isEqualToDictionary(sample()));
}

TEST(PropertyListArchiving, CreatesADistinctDictionaryForTheCaller) {
  NSData* data = propertyListData(sample(), NSSTR("key"));
  NSDictionary* decoded = dictionaryWithPropertyListData_andKey(data, NSSTR("key"));
  RefPtr<NSDictionary> created = adopt(createDictionaryFromPropertyListData_withKey(data, NSSTR("key")));
  ASSERT_TRUE(created);
  EXPECT_NE(created.get(), decoded);
  EXPECT_TRUE(created->isEqualToDictionary(sample()));
  EXPECT_EQ(createDictionaryFromPropertyListData_withKey(data, NSSTR("other")), nullptr);
}

TEST(PropertyListArchiving, BadDataGivesNothingAndNeverThrows) {
  NSError* error = nullptr;
  NSData* array = NSKeyedArchiver::archivedDataWithRootObject_requiringSecureCoding_error(
      NSArray::arrayWithObject(NSSTR("x")), true, &error);
  struct Case {
    const char* what;
    NSData* data;
  };
  const Case cases[] = {
      {"no data", nullptr},
      {"empty", NSData::data()},
      {"garbage", bytes("\x00\xff garbage <plist")},
      {"truncated archive",
       bytes(std::string(static_cast<const char*>(propertyListData(sample(), NSSTR("root"))->bytes()), 200))},
      {"a plain property list", bytes("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>root</key>"
                                      "<string>x</string></dict></plist>")},
      {"an array under the key", array},
      {"a reference out of range", bytes("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                                         "<key>$archiver</key><string>NSKeyedArchiver</string>"
                                         "<key>$version</key><integer>100000</integer>"
                                         "<key>$top</key><dict><key>root</key><dict><key>CF$UID</key>"
                                         "<integer>99</integer></dict></dict>"
                                         "<key>$objects</key><array><string>$null</string></array>"
                                         "</dict></plist>")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(dictionaryWithPropertyListData_andKey(c.data, NSSTR("root")), nullptr) << c.what;
    EXPECT_EQ(createDictionaryFromPropertyListData_withKey(c.data, NSSTR("root")), nullptr) << c.what;
  }
}

TEST(PropertyListArchiving, ReadsTheProgramsOwnClassesOnceAllowed) {
  auto archived = [](CodedNote* note) {
    note->mText = RefPtr(NSSTR("hello"));
    return propertyListData(NSDictionary::dictionaryWithObject_forKey(note, NSSTR("note")), NSSTR("k"));
  };
  RefPtr<CodedNote> stranger = adopt(static_cast<CodedNote*>(CodedNote::alloc()->init()));
  NSData* refused = archived(stranger.get());
  ASSERT_NE(refused, nullptr);
  EXPECT_EQ(dictionaryWithPropertyListData_andKey(refused, NSSTR("k")), nullptr);

  allowClassInArchives(AllowedNote::class_());
  RefPtr<CodedNote> note = adopt(static_cast<CodedNote*>(AllowedNote::alloc()->init()));
  NSData* data = archived(note.get());
  ASSERT_NE(data, nullptr);
  NSDictionary* back = dictionaryWithPropertyListData_andKey(data, NSSTR("k"));
  ASSERT_NE(back, nullptr);
  auto* decoded = NSDynamicCast<AllowedNote>(back->objectForKey(NSSTR("note")));
  ASSERT_NE(decoded, nullptr);
  EXPECT_STREQ(decoded->mText->UTF8String(), "hello");
  // Allowing a class allows none above it.
  EXPECT_EQ(dictionaryWithPropertyListData_andKey(refused, NSSTR("k")), nullptr);
}

TEST(PropertyListArchiving, ADictionaryHoldingAnUncodableValueGivesNoData) {
  RefPtr<NSObject> plain = adopt(NSObject::alloc()->init());
  NSDictionary* dictionary = NSDictionary::dictionaryWithObject_forKey(plain.get(), NSSTR("plain"));
  EXPECT_EQ(propertyListData(dictionary, NSSTR("k")), nullptr);
}

}  // namespace
