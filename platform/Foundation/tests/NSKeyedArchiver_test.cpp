#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSCoder.h>
#include <Foundation/NSData.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSError.h>
#include <Foundation/NSIndexSet.h>
#include <Foundation/NSKeyedArchiver.h>
#include <Foundation/NSKeyedUnarchiver.h>
#include <Foundation/NSNull.h>
#include <Foundation/NSPropertyList.h>
#include <Foundation/NSSet.h>
#include <Foundation/NSString.h>
#include <Foundation/NSURL.h>
#include <Foundation/NSValue.h>
#include <gtest/gtest.h>

#include <string>

// A class of the program's own, coded with keys, as feed items are.
class TestFeedItem : public NSObject, public NSCoding {
  OBJC_CLASS_DECL(TestFeedItem, NSObject)

 public:
  static TestFeedItem* itemWithTitle_content(NSString* title, NSString* content) {
    auto* item = alloc();
    item->mTitle = RefPtr(title);
    item->mContent = RefPtr(content);
    return static_cast<TestFeedItem*>(item->autorelease());
  }
  NSString* title() const { return mTitle.get(); }
  NSString* content() const { return mContent.get(); }
  int rating() const { return mRating; }
  void setRating(int rating) { mRating = rating; }

  void encodeWithCoder(NSCoder* coder) override {
    coder->encodeObject_forKey(mTitle.get(), NSSTR("atom_feed_entry_title"));
    coder->encodeObject_forKey(mContent.get(), NSSTR("atom_feed_entry_content"));
    coder->encodeInt_forKey(mRating, NSSTR("rating"));
  }
  NSObject* initWithCoder(NSCoder* coder) override {
    mTitle = RefPtr(static_cast<NSString*>(
        coder->decodeObjectOfClass_forKey(NSString::class_(), NSSTR("atom_feed_entry_title"))));
    mContent = RefPtr(static_cast<NSString*>(
        coder->decodeObjectOfClass_forKey(NSString::class_(), NSSTR("atom_feed_entry_content"))));
    mRating = coder->decodeIntForKey(NSSTR("rating"));
    return this;
  }

 protected:
  TestFeedItem() = default;

 private:
  RefPtr<NSString> mTitle;
  RefPtr<NSString> mContent;
  int mRating = 0;
};
OBJC_CLASS_DEFINE(TestFeedItem)

// An object without keyed coding.
class TestPlainObject : public NSObject {
  OBJC_CLASS_DECL(TestPlainObject, NSObject)
 protected:
  TestPlainObject() = default;
};
OBJC_CLASS_DEFINE(TestPlainObject)

namespace {

NSData* dataOf(const std::string& text) { return NSData::dataWithBytes_length(text.data(), text.size()); }

std::string textOf(NSData* data) {
  return data ? std::string(static_cast<const char*>(data->bytes()), data->length()) : std::string();
}

NSClassList plistClasses() { return NSKeyedUnarchiver::propertyListClasses(); }

NSObject* roundTrip(NSObject* root, const NSClassList& classes) {
  NSError* error = nullptr;
  NSData* archive =
      NSKeyedArchiver::archivedDataWithRootObject_requiringSecureCoding_error(root, true, &error);
  EXPECT_NE(archive, nullptr);
  EXPECT_EQ(error, nullptr);
  NSObject* back = NSKeyedUnarchiver::unarchivedObjectOfClasses_fromData_error(classes, archive, &error);
  EXPECT_EQ(error, nullptr) << (error ? error->localizedDescription()->UTF8String() : "");
  return back;
}

TEST(NSKeyedArchiver, RoundTripsEveryValueType) {
  objc::AutoreleasePool pool;
  NSURL* base = NSURL::URLWithString(NSSTR("http://example.com/feeds/"));
  NSMutableIndexSet* indexes = NSMutableIndexSet::indexSetWithIndexesInRange(NSMakeRange(2, 3));
  indexes->addIndex(9);
  NSDictionary* root = NSDictionary::dictionaryWithObjects_forKeys(
      {NSSTR("text \xC3\xA9 <&>"), NSNumber::numberWithInt(-42), NSNumber::numberWithDouble(0.1),
       NSNumber::numberWithBool(true), NSData::dataWithBytes_length("\0\x01\xFF", 3),
       NSDate::dateWithTimeIntervalSinceReferenceDate(123.5),
       NSArray::arrayWithObjects({NSSTR("a"), NSArray::array(), NSDictionary::dictionary()}),
       NSSet::setWithObjects({NSSTR("x"), NSSTR("y")}), NSNull::null(),
       NSURL::URLWithString_relativeToURL(NSSTR("posts?max-results=1000"), base), indexes,
       NSIndexSet::indexSetWithIndex(7), NSIndexSet::indexSet()},
      {NSSTR("string"), NSSTR("integer"), NSSTR("real"), NSSTR("bool"), NSSTR("data"), NSSTR("date"),
       NSSTR("array"), NSSTR("set"), NSSTR("null"), NSSTR("url"), NSSTR("indexes"), NSSTR("one index"),
       NSSTR("no index")});

  NSClassList classes = plistClasses();
  classes.insert(classes.end(), {NSSet::class_(), NSNull::class_(), NSURL::class_(), NSIndexSet::class_()});
  auto* back = NSDynamicCast<NSDictionary>(roundTrip(root, classes));
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(back->isEqualToDictionary(root)) << back->description()->UTF8String();
  EXPECT_TRUE(static_cast<NSNumber*>(back->objectForKey(NSSTR("bool")))->isBoolean());
  EXPECT_TRUE(static_cast<NSNumber*>(back->objectForKey(NSSTR("real")))->isFloatingPoint());
  auto* url = NSDynamicCast<NSURL>(back->objectForKey(NSSTR("url")));
  ASSERT_NE(url, nullptr);
  EXPECT_STREQ(url->absoluteString()->UTF8String(), "http://example.com/feeds/posts?max-results=1000");
  ASSERT_NE(url->baseURL(), nullptr);
}

TEST(NSKeyedArchiver, WritesTheKeyedArchiveLayoutAsXML) {
  objc::AutoreleasePool pool;
  NSMutableData* data = NSMutableData::data();
  RefPtr<NSKeyedArchiver> archiver = adopt(NSKeyedArchiver::alloc()->initForWritingWithMutableData(data));
  archiver->setOutputFormat(NSPropertyListXMLFormat_v1_0);
  archiver->encodeObject_forKey(NSArray::arrayWithObjects({NSSTR("one"), NSSTR("one")}), NSSTR("TheKey"));
  archiver->encodeObject_forKey(nullptr, NSSTR("$dollar"));
  archiver->finishEncoding();

  ASSERT_EQ(textOf(data).rfind("<?xml", 0), 0u);
  auto* archive = NSDynamicCast<NSDictionary>(
      NSPropertyListSerialization::propertyListWithData_options_format_error(data, 0, nullptr, nullptr));
  ASSERT_NE(archive, nullptr);
  EXPECT_TRUE(archive->objectForKey(NSSTR("$archiver"))->isEqual(NSSTR("NSKeyedArchiver")));
  EXPECT_EQ(static_cast<NSNumber*>(archive->objectForKey(NSSTR("$version")))->intValue(), 100000);
  auto* objects = static_cast<NSArray*>(archive->objectForKey(NSSTR("$objects")));
  EXPECT_TRUE(objects->objectAtIndex(0)->isEqual(NSSTR("$null")));
  auto* top = static_cast<NSDictionary*>(archive->objectForKey(NSSTR("$top")));
  auto uid = [](NSObject* reference) {
    return static_cast<NSNumber*>(static_cast<NSDictionary*>(reference)->objectForKey(NSSTR("CF$UID")))
        ->intValue();
  };
  EXPECT_EQ(uid(top->objectForKey(NSSTR("$$dollar"))), 0);
  auto* array = static_cast<NSDictionary*>(objects->objectAtIndex(uid(top->objectForKey(NSSTR("TheKey")))));
  auto* members = static_cast<NSArray*>(array->objectForKey(NSSTR("NS.objects")));
  ASSERT_EQ(members->count(), 2u);
  EXPECT_EQ(uid(members->objectAtIndex(0)), uid(members->objectAtIndex(1)));  // one object, written once
  EXPECT_TRUE(objects->objectAtIndex(uid(members->objectAtIndex(0)))->isEqual(NSSTR("one")));
  auto* cls = static_cast<NSDictionary*>(objects->objectAtIndex(uid(array->objectForKey(NSSTR("$class")))));
  EXPECT_TRUE(cls->objectForKey(NSSTR("$classname"))->isEqual(NSSTR("NSArray")));
  EXPECT_TRUE(cls->objectForKey(NSSTR("$classes"))
                  ->isEqual(NSArray::arrayWithObjects({NSSTR("NSArray"), NSSTR("NSObject")})));
}

TEST(NSKeyedArchiver, ReadsOnlyUnderTheKeyWritten) {
  objc::AutoreleasePool pool;
  NSMutableData* data = NSMutableData::data();
  RefPtr<NSKeyedArchiver> archiver = adopt(NSKeyedArchiver::alloc()->initForWritingWithMutableData(data));
  archiver->encodeObject_forKey(NSDictionary::dictionary(), NSSTR("UPersistentObjectsController"));
  archiver->finishEncoding();

  RefPtr<NSKeyedUnarchiver> unarchiver =
      adopt(NSKeyedUnarchiver::alloc()->initForReadingFromData_error(data, nullptr));
  ASSERT_TRUE(unarchiver);
  EXPECT_EQ(unarchiver->decodeObjectOfClasses_forKey(plistClasses(), NSSTR("another key")), nullptr);
  EXPECT_EQ(unarchiver->error(), nullptr);
  auto* empty = NSDynamicCast<NSDictionary>(
      unarchiver->decodeObjectOfClasses_forKey(plistClasses(), NSSTR("UPersistentObjectsController")));
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->count(), 0u);
}

TEST(NSKeyedArchiver, RoundTripsTheProgramsOwnCodedClasses) {
  objc::AutoreleasePool pool;
  TestFeedItem* item = TestFeedItem::itemWithTitle_content(NSSTR("Studio"), NSSTR("a=1;b=2;"));
  item->setRating(5);
  NSDictionary* feed = NSDictionary::dictionaryWithObject_forKey(item, NSSTR("Studio"));

  NSClassList classes = plistClasses();
  classes.push_back(TestFeedItem::class_());
  auto* back = NSDynamicCast<NSDictionary>(roundTrip(feed, classes));
  ASSERT_NE(back, nullptr);
  auto* decoded = dynamic_cast<TestFeedItem*>(back->objectForKey(NSSTR("Studio")));
  ASSERT_NE(decoded, nullptr);
  EXPECT_NE(decoded, item);
  EXPECT_TRUE(decoded->title()->isEqualToString(NSSTR("Studio")));
  EXPECT_TRUE(decoded->content()->isEqualToString(NSSTR("a=1;b=2;")));
  EXPECT_EQ(decoded->rating(), 5);
}

TEST(NSKeyedArchiver, RefusesClassesOutsideTheAllowedSet) {
  objc::AutoreleasePool pool;
  NSData* archive = NSKeyedArchiver::archivedDataWithRootObject_requiringSecureCoding_error(
      NSArray::arrayWithObject(TestFeedItem::itemWithTitle_content(NSSTR("t"), NSSTR("c"))), true, nullptr);
  ASSERT_NE(archive, nullptr);

  struct Case {
    const char* name;
    NSClassList classes;
  };
  const Case refusals[] = {
      {"property-list classes only", plistClasses()},
      {"the item but not the array", {TestFeedItem::class_(), NSString::class_()}},
      {"a subclass of the class written",
       {NSMutableArray::class_(), TestFeedItem::class_(), NSString::class_()}},
      {"nothing", {}},
  };
  for (const Case& refusal : refusals) {
    NSError* error = nullptr;
    EXPECT_EQ(NSKeyedUnarchiver::unarchivedObjectOfClasses_fromData_error(refusal.classes, archive, &error),
              nullptr)
        << refusal.name;
    ASSERT_NE(error, nullptr) << refusal.name;
    EXPECT_EQ(error->code(), NSCoderReadCorruptError) << refusal.name;
  }
  // A class allowed through one of its superclasses is accepted.
  EXPECT_NE(
      NSKeyedUnarchiver::unarchivedObjectOfClasses_fromData_error({NSObject::class_()}, archive, nullptr),
      nullptr);
}

TEST(NSKeyedArchiver, FailsOnObjectsWithoutKeyedCoding) {
  objc::AutoreleasePool pool;
  RefPtr<NSObject> plain = adopt(static_cast<NSObject*>(TestPlainObject::alloc()->init()));
  const struct {
    const char* name;
    NSObject* root;
  } cases[] = {
      {"an object that does not code itself", NSArray::arrayWithObject(plain.get())},
      {"text that XML cannot carry", NSSTR("bell \x07")},
      {"a boxed range", NSValue::valueWithRange(NSMakeRange(1, 2))},
  };
  for (const auto& item : cases) {
    NSError* error = nullptr;
    EXPECT_EQ(
        NSKeyedArchiver::archivedDataWithRootObject_requiringSecureCoding_error(item.root, true, &error),
        nullptr)
        << item.name;
    EXPECT_NE(error, nullptr) << item.name;
  }
}

// An archive of hand-written objects and top entries.
std::string archiveText(
    const std::string& objects,
    const std::string& top = "<key>root</key><dict><key>CF$UID</key><integer>1</integer></dict>") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
         "<key>$archiver</key><string>NSKeyedArchiver</string>"
         "<key>$version</key><integer>100000</integer>"
         "<key>$top</key><dict>" +
         top +
         "</dict>"
         "<key>$objects</key><array><string>$null</string>" +
         objects + "</array></dict></plist>";
}

std::string uid(int index) {
  return "<dict><key>CF$UID</key><integer>" + std::to_string(index) + "</integer></dict>";
}

std::string classEntry(const char* name) {
  return std::string("<dict><key>$classname</key><string>") + name +
         "</string><key>$classes</key><array><string>" + name +
         "</string><string>NSObject</string></array></dict>";
}

// Arrays each holding the next, `depth` deep. Object 1 is the class; objects 2... the arrays.
std::string nestedArrays(int depth) {
  std::string objects = classEntry("NSArray");
  for (int i = 2; i < depth + 2; ++i) {
    objects += "<dict><key>NS.objects</key><array>" + (i + 1 < depth + 2 ? uid(i + 1) : "") +
               "</array><key>$class</key>" + uid(1) + "</dict>";
  }
  return archiveText(objects, "<key>root</key>" + uid(2));
}

TEST(NSKeyedUnarchiver, ReadsObjectsNestedAsDeepAsApplicationsNestThem) {
  objc::AutoreleasePool pool;
  NSError* error = nullptr;
  NSObject* root = NSKeyedUnarchiver::unarchivedObjectOfClasses_fromData_error(plistClasses(),
                                                                              dataOf(nestedArrays(200)), &error);
  ASSERT_NE(root, nullptr) << (error ? error->localizedDescription()->UTF8String() : "");
  int depth = 1;
  for (auto* array = NSDynamicCast<NSArray>(root); array && array->count() == 1; ++depth)
    array = NSDynamicCast<NSArray>(array->objectAtIndex(0));
  EXPECT_EQ(depth, 200);
}

TEST(NSKeyedUnarchiver, AnswersNilWithAnErrorForMalformedArchives) {
  objc::AutoreleasePool pool;
  const std::string good = textOf(NSKeyedArchiver::archivedDataWithRootObject_requiringSecureCoding_error(
      NSArray::arrayWithObjects({NSSTR("a"), NSNumber::numberWithInt(1)}), true, nullptr));
  ASSERT_FALSE(good.empty());

  const struct {
    const char* name;
    std::string text;
  } cases[] = {
      {"truncated", good.substr(0, good.size() / 2)},
      {"not a property list", "hello, world"},
      {"empty", ""},
      {"a property list but no archive",
       "<plist version=\"1.0\"><dict><key>a</key><string>b</string></dict></plist>"},
      {"another archiver",
       [&] {
         std::string text = archiveText("<string>x</string>");
         text.replace(text.find("<string>NSKeyedArchiver"), 23, "<string>SomethingElse");
         return text;
       }()},
      {"objects not an array",
       "<plist version=\"1.0\"><dict><key>$archiver</key><string>NSKeyedArchiver</string>"
       "<key>$version</key><integer>100000</integer><key>$top</key><dict/>"
       "<key>$objects</key><string>no</string></dict></plist>"},
      {"reference past the objects", archiveText("<string>x</string>", "<key>root</key>" + uid(7))},
      {"negative reference", archiveText("<string>x</string>", "<key>root</key>" + uid(-1))},
      {"root not a reference", archiveText("<string>x</string>", "<key>root</key><integer>1</integer>")},
      {"array holding itself",
       archiveText("<dict><key>NS.objects</key><array>" + uid(1) + "</array><key>$class</key>" + uid(2) +
                   "</dict>" + classEntry("NSArray"))},
      {"two arrays holding each other",
       archiveText("<dict><key>NS.objects</key><array>" + uid(2) + "</array><key>$class</key>" + uid(3) +
                   "</dict>" + "<dict><key>NS.objects</key><array>" + uid(1) + "</array><key>$class</key>" +
                   uid(3) + "</dict>" + classEntry("NSArray"))},
      {"members not an array", archiveText("<dict><key>NS.objects</key><string>no</string><key>$class</key>" +
                                           uid(2) + "</dict>" + classEntry("NSArray"))},
      {"nil member", archiveText("<dict><key>NS.objects</key><array>" + uid(0) + "</array><key>$class</key>" +
                                 uid(2) + "</dict>" + classEntry("NSArray"))},
      {"keys and objects differ", archiveText("<dict><key>NS.keys</key><array>" + uid(3) + "</array>" +
                                              "<key>NS.objects</key><array/><key>$class</key>" + uid(2) +
                                              "</dict>" + classEntry("NSDictionary") + "<string>k</string>")},
      {"class reference to a string", archiveText("<dict><key>NS.objects</key><array/><key>$class</key>" +
                                                  uid(2) + "</dict><string>NSArray</string>")},
      {"no class", archiveText("<dict><key>NS.objects</key><array/></dict>")},
      {"unknown class",
       archiveText("<dict><key>$class</key>" + uid(2) + "</dict>" + classEntry("NoSuchClassAnywhere"))},
      {"a class that cannot code",
       archiveText("<dict><key>$class</key>" + uid(2) + "</dict>" + classEntry("TestPlainObject"))},
      {"a member of the wrong type",
       archiveText("<dict><key>atom_feed_entry_title</key>" + uid(3) + "<key>$class</key>" + uid(2) +
                   "</dict>" + classEntry("TestFeedItem") + "<integer>5</integer>")},
      {"a number where a number field is text", archiveText("<dict><key>rating</key><string>five</string>"
                                                            "<key>$class</key>" +
                                                            uid(2) + "</dict>" + classEntry("TestFeedItem"))},
      {"an array where an object is", archiveText("<array/>")},
      {"a date without time",
       archiveText("<dict><key>$class</key>" + uid(2) + "</dict>" + classEntry("NSDate"))},
      {"arrays nested past any sane depth", nestedArrays(5000)},
  };
  NSClassList classes = plistClasses();
  classes.insert(classes.end(), {TestFeedItem::class_(), TestPlainObject::class_()});
  for (const auto& item : cases) {
    NSError* error = nullptr;
    EXPECT_EQ(NSKeyedUnarchiver::unarchivedObjectOfClasses_fromData_error(classes, dataOf(item.text), &error),
              nullptr)
        << item.name;
    ASSERT_NE(error, nullptr) << item.name;
    EXPECT_TRUE(error->domain()->isEqualToString(NSCocoaErrorDomain)) << item.name;
  }
  EXPECT_EQ(NSKeyedUnarchiver::unarchivedObjectOfClasses_fromData_error(classes, nullptr, nullptr), nullptr);
}

TEST(NSKeyedUnarchiver, SharesAnObjectReferencedTwice) {
  objc::AutoreleasePool pool;
  NSString* shared = NSString::stringWithUTF8String("shared");
  auto* back = NSDynamicCast<NSArray>(roundTrip(NSArray::arrayWithObjects({shared, shared}), plistClasses()));
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->count(), 2u);
  EXPECT_EQ(back->objectAtIndex(0), back->objectAtIndex(1));
}

TEST(NSKeyedUnarchiver, MakesMutableCollectionsOnlyWhereTheArchiveSaysSo) {
  objc::AutoreleasePool pool;
  const std::string text = archiveText(
      "<dict><key>NS.keys</key><array/><key>NS.objects</key><array/>"
      "<key>$class</key>" +
      uid(2) + "</dict>" + classEntry("NSMutableDictionary"));
  auto* mutableBack =
      NSDynamicCast<NSMutableDictionary>(NSKeyedUnarchiver::unarchivedObjectOfClass_fromData_error(
          NSDictionary::class_(), dataOf(text), nullptr));
  ASSERT_NE(mutableBack, nullptr);
  mutableBack->setObject_forKey(NSSTR("v"), NSSTR("k"));
  EXPECT_EQ(mutableBack->count(), 1u);

  // The platform refuses a mutable class when only the immutable one is written: so do we.
  NSData* immutableArchive = NSKeyedArchiver::archivedDataWithRootObject_requiringSecureCoding_error(
      NSDictionary::dictionary(), true, nullptr);
  EXPECT_EQ(NSKeyedUnarchiver::unarchivedObjectOfClass_fromData_error(NSMutableDictionary::class_(),
                                                                      immutableArchive, nullptr),
            nullptr);
}

}  // namespace
