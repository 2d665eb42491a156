#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSException.h>
#include <Foundation/NSString.h>
#include <Foundation/NSValue.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TemporaryRoot.h"

namespace {

std::string utf8(NSString* string) { return string ? string->UTF8String() : "(null)"; }

TEST(NSDictionary, KeepsACopyOfStringKeys) {
  objc::AutoreleasePool pool;
  NSMutableString* key = NSMutableString::string();
  key->appendString(NSSTR("name"));
  NSMutableDictionary* dictionary = NSMutableDictionary::dictionary();
  dictionary->setObject_forKey(NSSTR("value"), key);
  key->appendString(NSSTR("changed"));
  EXPECT_TRUE(dictionary->objectForKey(NSSTR("name"))->isEqual(NSSTR("value")));
  EXPECT_EQ(dictionary->objectForKey(key), nullptr);
  EXPECT_EQ(dictionary->objectForKey(nullptr), nullptr);
}

TEST(NSDictionary, RaisesForNilObjectsAndKeys) {
  objc::AutoreleasePool pool;
  NSMutableDictionary* dictionary = NSMutableDictionary::dictionary();
  for (auto [object, key] : {std::pair<NSObject*, NSObject*>{nullptr, NSSTR("k")}, {NSSTR("v"), nullptr}}) {
    EXPECT_THROW(dictionary->setObject_forKey(object, key), NSException::Raised);
  }
  EXPECT_THROW(NSDictionary::dictionaryWithObjects_forKeys({NSSTR("a")}, {NSSTR("a"), NSSTR("b")}),
               NSException::Raised);
  EXPECT_EQ(dictionary->count(), 0u);
}

TEST(NSDictionary, AnswersKeysValuesAndKeysForAnObject) {
  objc::AutoreleasePool pool;
  NSMutableDictionary* dictionary = NSMutableDictionary::dictionaryWithCapacity(128);
  dictionary->setObject_forKey(NSNumber::numberWithInt(1), NSSTR("one"));
  dictionary->setObject_forKey(NSNumber::numberWithInt(2), NSSTR("two"));
  dictionary->setObject_forKey(NSNumber::numberWithDouble(1.0), NSSTR("uno"));
  EXPECT_EQ(utf8(dictionary->allKeys()->componentsJoinedByString(NSSTR(","))), "one,two,uno");
  EXPECT_EQ(utf8(dictionary->allValues()->componentsJoinedByString(NSSTR(","))), "1,2,1");
  EXPECT_EQ(
      utf8(dictionary->allKeysForObject(NSNumber::numberWithInt(1))->componentsJoinedByString(NSSTR(","))),
      "one,uno");

  NSMutableDictionary* merged = NSMutableDictionary::dictionaryWithDictionary(dictionary);
  merged->addEntriesFromDictionary(NSDictionary::dictionaryWithObject_forKey(NSSTR("deux"), NSSTR("two")));
  merged->removeObjectsForKeys(NSArray::arrayWithObject(NSSTR("uno")));
  EXPECT_EQ(utf8(merged->description()), "{\n    one = 1;\n    two = deux;\n}");
  EXPECT_EQ(dictionary->count(), 3u);
  merged->setDictionary(merged);
  EXPECT_EQ(merged->count(), 2u);
}

TEST(NSDictionary, LoopsOverTheKeysOfTheMomentTheLoopStarts) {
  objc::AutoreleasePool pool;
  NSMutableDictionary* dictionary = NSMutableDictionary::dictionary();
  for (const char* key : {"a", "b", "c"})
    dictionary->setObject_forKey(NSSTR("v"), NSString::stringWithUTF8String(key));
  std::vector<std::string> keys;
  for (NSObject* key : *dictionary) {
    keys.push_back(utf8(static_cast<NSString*>(key)));
    dictionary->removeAllObjects();
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"a", "b", "c"}));
}

TEST(NSDictionary, WritesAndReadsPropertyListFiles) {
  objc::AutoreleasePool pool;
  moxicam::test::TemporaryRoot root;
  NSString* path = NSString::stringWithUTF8String((root.path() + "/designs.plist").c_str());
  NSDictionary* designs = NSDictionary::dictionaryWithObjects_forKeys(
      {NSDictionary::dictionaryWithObject_forKey(NSSTR("1"), NSSTR("com.quillfen.version")),
       NSNumber::numberWithInt(4)},
      {NSSTR("Studio"), NSSTR("count")});
  ASSERT_TRUE(designs->writeToFile_atomically(path, true));
  NSDictionary* back = NSDictionary::dictionaryWithContentsOfFile(path);
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(back->isEqualToDictionary(designs));

  NSString* listPath = NSString::stringWithUTF8String((root.path() + "/list.plist").c_str());
  ASSERT_TRUE(NSDictionary::dictionaryWithObject_forKey(NSArray::array(), NSSTR("k"))
                  ->writeToFile_atomically(listPath, false));
  EXPECT_EQ(NSDictionary::dictionaryWithContentsOfFile(
                NSString::stringWithUTF8String((root.path() + "/missing").c_str())),
            nullptr);
  // A dictionary holding what no property list can is not written, and nothing is left behind.
  NSString* badPath = NSString::stringWithUTF8String((root.path() + "/bad.plist").c_str());
  EXPECT_FALSE(NSDictionary::dictionaryWithObject_forKey(NSSTR("v"), NSNumber::numberWithInt(1))
                   ->writeToFile_atomically(badPath, true));
  EXPECT_EQ(NSDictionary::dictionaryWithContentsOfFile(badPath), nullptr);
}

}  // namespace
