#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSData.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSError.h>
#include <Foundation/NSIndexSet.h>
#include <Foundation/NSPropertyList.h>
#include <Foundation/NSString.h>
#include <Foundation/NSValue.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ChildProcess.h"
#include "TemporaryRoot.h"

namespace {

NSDictionary* presets() {
  return NSDictionary::dictionaryWithObjects_forKeys(
      {NSArray::arrayWithObjects({NSDictionary::dictionaryWithObjects_forKeys(
           {NSSTR("Studio"), NSSTR("com.quillfen.bookmark.begin;\r\nalpha=on;\r\n")},
           {NSSTR("presetNameString"), NSSTR("presetCodeString")})}),
       NSNumber::numberWithInt(3), NSNumber::numberWithDouble(2.5), NSNumber::numberWithBool(false),
       NSData::dataWithBytes_length("\x01\x02\x03", 3), NSDate::dateWithTimeIntervalSince1970(86400),
       NSSTR("<tag> & \"quotes\" \xE2\x82\xAC")},
      {NSSTR("records"), NSSTR("count"), NSSTR("ratio"), NSSTR("enabled"), NSSTR("bytes"), NSSTR("when"),
       NSSTR("text")});
}

TEST(NSPropertyListSerialization, WritesXMLThatPythonReads) {
  objc::AutoreleasePool pool;
  moxicam::test::TemporaryRoot root;
  NSError* error = nullptr;
  NSData* xml = NSPropertyListSerialization::dataWithPropertyList_format_options_error(
      presets(), NSPropertyListXMLFormat_v1_0, 0, &error);
  ASSERT_NE(xml, nullptr);
  EXPECT_EQ(error, nullptr);
  const std::string path = root.path() + "/presets.plist";
  ASSERT_TRUE(xml->writeToFile_atomically(NSString::stringWithUTF8String(path.c_str()), true));

  const std::string script =
      "import plistlib, sys\n"
      "with open(sys.argv[1], 'rb') as f: p = plistlib.load(f)\n"
      "r = p['records'][0]\n"
      "print(r['presetNameString'], repr(r['presetCodeString']), p['count'], p['ratio'], p['enabled'],\n"
      "      p['bytes'].hex(), p['when'].isoformat(), p['text'], sep='|')\n";
  auto result = moxicam::test::runChild("/usr/bin/python3", {"-c", script, path});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(
      result.out,
      "Studio|'com.quillfen.bookmark.begin;\\r\\nalpha=on;\\r\\n'|3|2.5|False|010203|1970-01-02T00:00:00|"
      "<tag> & \"quotes\" \xE2\x82\xAC\n");
}

TEST(NSPropertyListSerialization, ReadsBackWithTheMutabilityAsked) {
  objc::AutoreleasePool pool;
  NSData* xml = NSPropertyListSerialization::dataFromPropertyList_format_errorDescription(
      presets(), NSPropertyListXMLFormat_v1_0, nullptr);
  ASSERT_NE(xml, nullptr);
  NSPropertyListFormat format = 0;
  NSString* errorText = nullptr;
  auto* list = NSDynamicCast<NSMutableDictionary>(
      NSPropertyListSerialization::propertyListFromData_mutabilityOption_format_errorDescription(
          xml, NSPropertyListMutableContainers, &format, &errorText));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(errorText, nullptr);
  EXPECT_EQ(format, NSPropertyListXMLFormat_v1_0);
  EXPECT_TRUE(list->isEqualToDictionary(presets()));

  // Records read with mutable containers can be edited in place.
  auto* records = static_cast<NSMutableArray*>(list->objectForKey(NSSTR("records")));
  auto* record = static_cast<NSMutableDictionary*>(records->objectAtIndex(0));
  record->setObject_forKey(NSSTR("Studio 1"), NSSTR("presetNameString"));
  records->addObject(NSDictionary::dictionary());
  EXPECT_EQ(records->count(), 2u);
  EXPECT_TRUE(record->objectForKey(NSSTR("presetNameString"))->isEqual(NSSTR("Studio 1")));
}

TEST(NSPropertyListSerialization, ReportsWhatItCannotWriteOrRead) {
  objc::AutoreleasePool pool;
  const struct {
    const char* name;
    NSObject* list;
    NSPropertyListFormat format;
  } unwritable[] = {
      {"nothing", nullptr, NSPropertyListXMLFormat_v1_0},
      {"binary format", NSDictionary::dictionary(), NSPropertyListBinaryFormat_v1_0},
      {"an object that is no property list", NSArray::arrayWithObject(NSIndexSet::indexSet()),
       NSPropertyListXMLFormat_v1_0},
      {"a key that is no string",
       NSDictionary::dictionaryWithObject_forKey(NSSTR("v"), NSNumber::numberWithInt(1)),
       NSPropertyListXMLFormat_v1_0},
  };
  for (const auto& item : unwritable) {
    NSError* error = nullptr;
    EXPECT_EQ(NSPropertyListSerialization::dataWithPropertyList_format_options_error(item.list, item.format,
                                                                                     0, &error),
              nullptr)
        << item.name;
    EXPECT_NE(error, nullptr) << item.name;
    NSString* text = nullptr;
    EXPECT_EQ(NSPropertyListSerialization::dataFromPropertyList_format_errorDescription(item.list,
                                                                                        item.format, &text),
              nullptr);
    EXPECT_NE(text, nullptr) << item.name;
  }

  const char* unreadable[] = {"", "not a plist", "<plist version=\"1.0\"><dict><key>a</key></dict></plist>",
                              "<plist version=\"1.0\"><array><string>cut"};
  for (const char* text : unreadable) {
    NSError* error = nullptr;
    NSData* data = NSData::dataWithBytes_length(text, std::strlen(text));
    EXPECT_EQ(
        NSPropertyListSerialization::propertyListWithData_options_format_error(data, 0, nullptr, &error),
        nullptr)
        << text;
    EXPECT_NE(error, nullptr) << text;
  }
  EXPECT_EQ(
      NSPropertyListSerialization::propertyListWithData_options_format_error(nullptr, 0, nullptr, nullptr),
      nullptr);
}

}  // namespace
