#include <CoreFoundation/CFPropertyList.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFDate.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>
#include <objc/RefPtr.h>

#include "ChildProcess.h"
#include "TemporaryRoot.h"

namespace {

// An owned reference to any property-list object.
using Object = RefPtr<const NSObject>;

Object own(CFTypeRef object) { return adopt(static_cast<const NSObject*>(object)); }

template <class Reference>
Reference as(const Object& object) {
  return static_cast<Reference>(static_cast<CFTypeRef>(object.get()));
}

std::string utf8(CFTypeRef string) {
  if (!string || CFGetTypeID(string) != CFStringGetTypeID()) return "<not a string>";
  CFIndex length = CFStringGetLength(static_cast<CFStringRef>(string));
  std::string buffer(static_cast<size_t>(CFStringGetMaximumSizeForEncoding(length, kCFStringEncodingUTF8) + 1), '\0');
  CFStringGetCString(static_cast<CFStringRef>(string), buffer.data(), static_cast<CFIndex>(buffer.size()),
                     kCFStringEncodingUTF8);
  return buffer.c_str();
}

CFDataRef dataOf(const std::string& text) {
  return CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(text.data()), static_cast<CFIndex>(text.size()));
}

std::string textOf(CFDataRef data) {
  return std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(data)), static_cast<size_t>(CFDataGetLength(data)));
}

// Reads a document; the error's description lands in error.
Object read(const std::string& document, std::string* error = nullptr, CFOptionFlags options = 0) {
  CFDataRef data = dataOf(document);
  CFErrorRef failure = nullptr;
  Object result = own(CFPropertyListCreateWithData(nullptr, data, options, nullptr, &failure));
  CFRelease(data);
  if (failure) {
    CFStringRef description = CFErrorCopyDescription(failure);
    if (error) *error = utf8(description);
    CFRelease(description);
    CFRelease(failure);
  }
  return result;
}

std::string write(CFPropertyListRef plist) {
  CFErrorRef error = nullptr;
  CFDataRef data = CFPropertyListCreateData(nullptr, plist, kCFPropertyListXMLFormat_v1_0, 0, &error);
  if (!data) {
    if (error) CFRelease(error);
    return "<failed>";
  }
  std::string text = textOf(data);
  CFRelease(data);
  return text;
}

template <class T>
Object number(CFNumberType type, T value) {
  return own(CFNumberCreate(nullptr, type, &value));
}

// A tree holding every kind of value, with text that needs escaping.
Object sampleTree() {
  CFMutableDictionaryRef root =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFDictionarySetValue(root, CFSTR("string"), CFSTR("a < b & c > d \"q\" 'a'\r\n\ttab \u00e9\U0001F600"));
  CFDictionarySetValue(root, CFSTR("integer"), number(kCFNumberSInt64Type, int64_t{-9223372036854775807 - 1}).get());
  CFDictionarySetValue(root, CFSTR("real"), number(kCFNumberDoubleType, 0.1).get());
  CFDictionarySetValue(root, CFSTR("infinity"), number(kCFNumberDoubleType, -std::numeric_limits<double>::infinity()).get());
  CFDictionarySetValue(root, CFSTR("emptyString"), CFSTR(""));
  CFDictionarySetValue(root, CFSTR("true"), kCFBooleanTrue);
  CFDictionarySetValue(root, CFSTR("false"), kCFBooleanFalse);
  std::string bytes;
  for (int i = 0; i < 200; ++i) bytes += static_cast<char>(i);
  CFDataRef data = dataOf(bytes);
  CFDictionarySetValue(root, CFSTR("data"), data);
  CFRelease(data);
  CFDateRef date = CFDateCreate(nullptr, 123456789.0);
  CFDictionarySetValue(root, CFSTR("date"), date);
  CFRelease(date);
  const void* values[] = {CFSTR("one"), kCFBooleanTrue};
  CFArrayRef array = CFArrayCreate(nullptr, values, 2, &kCFTypeArrayCallBacks);
  CFArrayRef empty = CFArrayCreate(nullptr, nullptr, 0, &kCFTypeArrayCallBacks);
  CFDictionarySetValue(root, CFSTR("array"), array);
  CFDictionarySetValue(root, CFSTR("empty"), empty);
  CFRelease(array);
  CFRelease(empty);
  CFMutableDictionaryRef nested =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFDictionarySetValue(root, CFSTR("key with <markup>"), nested);
  CFRelease(nested);
  return own((root));
}

TEST(CFPropertyList, WritesXMLThatReadsBackEqual) {
  Object tree = sampleTree();
  std::string document = write(tree.get());
  ASSERT_EQ(document.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist", 0), 0u) << document;
  EXPECT_NE(document.find("<key>key with &lt;markup&gt;</key>\n\t<dict/>"), std::string::npos) << document;
  EXPECT_NE(document.find("<date>2004-11-29T21:33:09Z</date>"), std::string::npos) << document;
  EXPECT_NE(document.find("<real>0.1</real>"), std::string::npos) << document;
  EXPECT_NE(document.find("<integer>-9223372036854775808</integer>"), std::string::npos) << document;
  // Keys come out sorted, so one dictionary always gives one document.
  EXPECT_LT(document.find("<key>array</key>"), document.find("<key>true</key>"));

  std::string error;
  Object back = read(document, &error);
  ASSERT_TRUE(back) << error;
  EXPECT_TRUE(CFEqual(back.get(), tree.get()));
  EXPECT_EQ(write(back.get()), document);
  EXPECT_TRUE(CFPropertyListIsValid(tree.get(), kCFPropertyListXMLFormat_v1_0));
}

TEST(CFPropertyList, PythonReadsWhatIsWritten) {
  if (system("python3 -c 'import plistlib' 2>/dev/null") != 0) GTEST_SKIP() << "no python3 here";
  moxicam::test::TemporaryRoot root;
  std::string path = root.writeFile("sample.plist", write(sampleTree().get()));
  moxicam::test::ChildResult result = moxicam::test::runChild(
      "/usr/bin/env",
      {"python3", "-c",
       "import plistlib,sys\n"
       "p = plistlib.load(open(sys.argv[1], 'rb'))\n"
       "print(p['string'] == 'a < b & c > d \"q\" \\'a\\'\\r\\n\\ttab \\u00e9\\U0001F600', p['integer'], p['real'],\n"
       "      p['infinity'], p['true'], p['false'], p['data'] == bytes(range(200)), p['date'].isoformat(),\n"
       "      p['array'], p['empty'], p['key with <markup>'])\n",
       path});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out,
            "True -9223372036854775808 0.1 -inf True False True 2004-11-29T21:33:09 ['one', True] [] {}\n");
}

TEST(CFPropertyList, ReadsWhatOtherWritersProduce) {
  std::string error;
  Object plist = read(
      "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict>\n"
      "  <!-- a comment -->\n"
      "  <key>hex</key><integer> 0x1F </integer>\n"
      "  <key>plus</key><real>+1.5e3</real>\n"
      "  <key>cdata</key><string><![CDATA[<raw> & text]]></string>\n"
      "  <key>entity</key><string>&#x41;&amp;&#66;</string>\n"
      "  <key>wrapped</key><data>\n  AAEC\n  Aw==\n</data>\n"
      "  <key>nan</key><real>nan</real>\n"
      "</dict></plist>",
      &error);
  ASSERT_TRUE(plist) << error;
  auto dictionary = as<CFDictionaryRef>(plist);
  int64_t hex = 0;
  CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(dictionary, CFSTR("hex"))), kCFNumberSInt64Type, &hex);
  EXPECT_EQ(hex, 31);
  double plus = 0, nan = 0;
  CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(dictionary, CFSTR("plus"))), kCFNumberDoubleType, &plus);
  CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(dictionary, CFSTR("nan"))), kCFNumberDoubleType, &nan);
  EXPECT_EQ(plus, 1500.0);
  EXPECT_TRUE(std::isnan(nan));
  EXPECT_EQ(utf8(CFDictionaryGetValue(dictionary, CFSTR("cdata"))), "<raw> & text");
  EXPECT_EQ(utf8(CFDictionaryGetValue(dictionary, CFSTR("entity"))), "A&B");
  EXPECT_EQ(textOf(static_cast<CFDataRef>(CFDictionaryGetValue(dictionary, CFSTR("wrapped")))),
            std::string("\0\1\2\3", 4));
  // A bare value without the <plist> element is read too.
  Object bare = read("<array><string>x</string></array>");
  ASSERT_TRUE(bare);
  EXPECT_EQ(CFArrayGetCount(as<CFArrayRef>(bare)), 1);
}

// Nine levels of entities, each ten of the one below: a billion characters if expanded.
std::string entityBomb() {
  std::string document = "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY e0 \"aaaaaaaaaa\">";
  for (int level = 1; level <= 9; ++level) {
    document += "<!ENTITY e" + std::to_string(level) + " \"";
    for (int i = 0; i < 10; ++i) document += "&e" + std::to_string(level - 1) + ";";
    document += "\">";
  }
  return document + "]><plist><string>&e9;</string></plist>";
}

// One entity of a few thousand characters, referred to a few thousand times: a small document
// whose text would be millions of characters.
std::string entityEchoes() {
  std::string document = "<!DOCTYPE plist [<!ENTITY echo \"" + std::string(4000, 'x') + "\">]><plist><string>";
  for (int i = 0; i < 5000; ++i) document += "&echo;";
  return document + "</string></plist>";
}

TEST(CFPropertyList, EntitiesExpandWithinTheDocumentsOwnSize) {
  Object greeting = read("<!DOCTYPE plist [<!ENTITY who \"world\">]><plist><string>hello &who; &amp; &who;</string></plist>");
  ASSERT_TRUE(greeting);
  EXPECT_EQ(utf8(greeting.get()), "hello world & world");
}

TEST(CFPropertyList, MalformedDocumentsGiveAnErrorNotAValue) {
  struct Row {
    const char* name;
    std::string document;
    const char* inError;
  };
  const Row table[] = {
      {"not XML", "plain text", "line"},
      {"unclosed element", "<plist><dict><key>a</key><string>b</dict></plist>", "line"},
      {"key without value", "<plist><dict><key>a</key></dict></plist>", "has no value"},
      {"value without key", "<plist><dict><string>a</string></dict></plist>", "without a <key>"},
      {"unknown element", "<plist><widget/></plist>", "unexpected element <widget>"},
      {"two values", "<plist><true/><false/></plist>", "2 values"},
      {"empty plist", "<plist></plist>", "0 values"},
      {"integer with letters", "<plist><integer>12abc</integer></plist>", "not a 64-bit integer"},
      {"integer too large", "<plist><integer>9223372036854775808</integer></plist>", "not a 64-bit integer"},
      {"empty integer", "<plist><integer></integer></plist>", "not a 64-bit integer"},
      {"bad real", "<plist><real>1.5.5</real></plist>", "not a real number"},
      {"bad base64", "<plist><data>AA*A</data></plist>", "not base64"},
      {"bad date", "<plist><date>2004-13-01T00:00:00Z</date></plist>", "not a date"},
      {"stray text", "<plist><array>x<true/></array></plist>", "outside a value"},
      {"binary", "bplist00\x01\x02", "binary"},
      {"empty", "", "empty"},
      {"entity expansion bomb", entityBomb(), "entity"},
      {"entities echoed past the document's size", entityEchoes(), "entities expand"},
      {"external entity", "<!DOCTYPE p [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><plist><string>&e;</string></plist>",
       ""},
  };
  for (const Row& row : table) {
    std::string error;
    Object plist = read(row.document, &error);
    if (std::string(row.name) == "external entity") {
      // Never fetched: either refused or read as an empty string.
      EXPECT_TRUE(!plist || utf8(plist.get()).empty()) << utf8(plist.get());
      continue;
    }
    EXPECT_FALSE(plist) << row.name;
    EXPECT_NE(error.find(row.inError), std::string::npos) << row.name << ": " << error;
    EXPECT_EQ(error.rfind("The operation couldn\u2019t be completed. (NSCocoaErrorDomain error 3840 - ", 0), 0u)
        << error;
  }

  CFStringRef legacyError = nullptr;
  CFDataRef data = dataOf("<plist><dict><key>a</key></dict></plist>");
  EXPECT_EQ(CFPropertyListCreateFromXMLData(nullptr, data, 0, &legacyError), nullptr);
  CFRelease(data);
  ASSERT_TRUE(legacyError);
  EXPECT_NE(utf8(legacyError).find("has no value"), std::string::npos) << utf8(legacyError);
  CFRelease(legacyError);
}

TEST(CFPropertyList, RefusesToWriteWhatCannotBeReadBack) {
  struct Row {
    const char* name;
    Object plist;
  };
  CFMutableArrayRef cycle = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  CFArrayAppendValue(cycle, cycle);
  CFMutableDictionaryRef numberKey =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFDictionarySetValue(numberKey, number(kCFNumberIntType, 1).get(), CFSTR("v"));
  const UniChar lone[] = {'a', 0xD800};
  const Row table[] = {
      {"control character", own((CFSTR("bell \a")))},
      {"unpaired surrogate", own((CFStringCreateWithCharacters(nullptr, lone, 2)))},
      {"array holding itself", own((cycle))},
      {"non-string key", own((numberKey))},
      {"not a property list", own(CFRetain(kCFNull))},
  };
  for (const Row& row : table) {
    CFErrorRef error = nullptr;
    EXPECT_EQ(CFPropertyListCreateData(nullptr, row.plist.get(), kCFPropertyListXMLFormat_v1_0, 0, &error), nullptr)
        << row.name;
    ASSERT_TRUE(error) << row.name;
    EXPECT_EQ(CFErrorGetCode(error), kCFPropertyListWriteInvalidError);
    CFRelease(error);
  }
  EXPECT_FALSE(CFPropertyListIsValid(cycle, kCFPropertyListXMLFormat_v1_0));
  EXPECT_FALSE(CFPropertyListIsValid(numberKey, kCFPropertyListXMLFormat_v1_0));
  EXPECT_EQ(CFPropertyListCreateDeepCopy(nullptr, cycle, 0), nullptr);
  CFArrayRemoveAllValues(cycle);  // breaks the cycle so that the array can go

  CFErrorRef error = nullptr;
  EXPECT_EQ(CFPropertyListCreateData(nullptr, CFSTR("x"), kCFPropertyListBinaryFormat_v1_0, 0, &error), nullptr);
  ASSERT_TRUE(error);
  CFRelease(error);
}

TEST(CFPropertyList, MutabilityOptionsReachTheRightLevels) {
  const std::string document = "<plist><dict><key>list</key><array><string>s</string><data>AA==</data></array></dict></plist>";
  for (CFOptionFlags options : {kCFPropertyListImmutable, kCFPropertyListMutableContainers,
                                kCFPropertyListMutableContainersAndLeaves}) {
    Object plist = read(document, nullptr, options);
    ASSERT_TRUE(plist);
    auto list = static_cast<CFArrayRef>(CFDictionaryGetValue(as<CFDictionaryRef>(plist), CFSTR("list")));
    // Mutation of an immutable object is refused, so trying it tells which kind each one is.
    CFDictionarySetValue(const_cast<CFMutableDictionaryRef>(as<CFDictionaryRef>(plist)), CFSTR("k"),
                         CFSTR("v"));
    CFStringAppend(const_cast<CFMutableStringRef>(static_cast<CFStringRef>(CFArrayGetValueAtIndex(list, 0))),
                   CFSTR("+"));
    bool containers = options != kCFPropertyListImmutable;
    bool leaves = options == kCFPropertyListMutableContainersAndLeaves;
    EXPECT_EQ(CFDictionaryGetCount(as<CFDictionaryRef>(plist)), containers ? 2 : 1) << options;
    EXPECT_EQ(utf8(CFArrayGetValueAtIndex(list, 0)), leaves ? "s+" : "s") << options;

    Object copy = own(CFPropertyListCreateDeepCopy(nullptr, plist.get(), options));
    ASSERT_TRUE(copy);
    EXPECT_TRUE(CFEqual(copy.get(), plist.get()));
    EXPECT_NE(copy.get(), plist.get());
  }
}

}  // namespace
