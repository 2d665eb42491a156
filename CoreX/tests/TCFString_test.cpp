// TCFString conversions, the CF type check, the CF value readers and CoreThreadMutex.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "CFValueReaders.h"
#include "CoreThreadMutex.h"
#include "TCFString.h"
#include "TemporaryRoot.h"

const char* g_CoreMachDebug_LogPrefix = "TCFStringTest";
const char* g_CoreMachDebug_LogFileName = "TCFStringTest.log";

namespace {

using moxicam::test::readFile;

class TCFStringTest : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(mRoot.home() + "/Library/Logs");
    ZidaZoraDurodAriSetUseLogger(kCoreLogOutput_File);
    ASSERT_TRUE(ZidaZoraDurodAriClassInitialize());
  }
  std::string log() const { return readFile(mRoot.home() + "/Library/Logs/TCFStringTest.log"); }

  moxicam::test::TemporaryRoot mRoot;
};

TEST_F(TCFStringTest, ConvertsBetweenTextForms) {
  TCFString utf8("gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80");
  ASSERT_TRUE(utf8.IsValid());
  EXPECT_EQ(utf8.strlen(), 7);
  std::string text;
  EXPECT_TRUE(utf8.GetValue(text, kCFStringEncodingUTF8));
  EXPECT_EQ(text, "gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80");
  std::wstring wide;
  EXPECT_TRUE(utf8.GetValue(wide));
  EXPECT_EQ(wide, L"gr\u00FC\u00DF \U0001F600");
  TCFString fromWide(wide);
  EXPECT_EQ(fromWide.strcmp(utf8.Get()), 0);

  T_cstring<unsigned short> units;
  ASSERT_TRUE(utf8.GetValue(units));
  EXPECT_EQ(units.m_cstring[0], u'g');
  EXPECT_EQ(units.m_cstring[7], 0);
  TCFString fromUnits;
  EXPECT_TRUE(fromUnits.SetValue(static_cast<const UniChar*>(units.m_cstring)));
  EXPECT_EQ(fromUnits.strcmp("gr\xC3\xBC\xC3\x9F \xF0\x9F\x98\x80"), 0);

  TCFString pascal;
  EXPECT_TRUE(pascal.SetValue(reinterpret_cast<const unsigned char*>("\x04" "caf\x8E"), kCFStringEncodingMacRoman));
  EXPECT_EQ(pascal.strcmp("caf\xC3\xA9"), 0);
  EXPECT_TRUE(pascal.GetValue(text, kCFStringEncodingInvalidId));
  EXPECT_EQ(text, "caf\xC3\xA9");
  EXPECT_EQ(log(), "");
}

TEST_F(TCFStringTest, HFSNamesHoldAtMost255Units) {
  TCFString longName(std::string(300, 'n'));
  HFSUniStr255 name;
  EXPECT_TRUE(longName.GetValue(name));
  EXPECT_EQ(name.length, 255);
  EXPECT_EQ(name.unicode[254], u'n');
  TCFString back(name);
  EXPECT_EQ(back.strlen(), 255);
  std::string text;
  EXPECT_TRUE(TCFString::FromUnicode(name, text, kCFStringEncodingUTF8));
  EXPECT_EQ(text, std::string(255, 'n'));
  EXPECT_TRUE(TCFString::ToUnicode("abc", name, kCFStringEncodingUTF8));
  EXPECT_EQ(name.length, 3);
}

TEST_F(TCFStringTest, FailuresAreReportedAndAnsweredEmpty) {
  TCFString empty;
  EXPECT_EQ(empty.strcmp("x"), -1);
  EXPECT_FALSE(empty.SetValue(static_cast<const char*>(nullptr)));
  EXPECT_FALSE(empty.SetValue("\xFF\xFE", kCFStringEncodingUTF8));
  std::string text = "old";
  EXPECT_FALSE(empty.GetValue(text, kCFStringEncodingUTF8));
  EXPECT_EQ(text, "");
  const std::string log = this->log();
  EXPECT_NE(log.find("VERIFY FAILED:  code : IsValid() in "), std::string::npos) << log;
  EXPECT_NE(log.find("VERIFY FAILED:  code : in_cstring!=NULL in "), std::string::npos) << log;
  EXPECT_NE(log.find("TCFString::SetValue in_cstring:\xFF\xFE inFromThisEncoding:134217984\n"), std::string::npos)
      << log;
}

TEST_F(TCFStringTest, WrappingAnotherTypeThrows) {
  SInt32 seven = 7;
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &seven);
  EXPECT_THROW(TCFString(reinterpret_cast<CFStringRef>(number), kCFTypeRef_NotOwned), CFTypeRefClass::TypeException);
  EXPECT_THROW(CFTypeRefClass::ThrowIfNotTypeMatch(nullptr, CFStringGetTypeID()), CFTypeRefClass::TypeException);
  EXPECT_NO_THROW(CFTypeRefClass::ThrowIfNotTypeMatch(number, CFNumberGetTypeID()));
  CFRelease(number);
}

TEST(CFValueReaders, ReadNumbersAndTellLossyConversions) {
  double half = 2.5;
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberDoubleType, &half);
  double asDouble = 0;
  SInt32 asInt = 0;
  SInt16 asShort = 0;
  EXPECT_TRUE(CFValueReaders::NumberValue(number, asDouble));
  EXPECT_DOUBLE_EQ(asDouble, 2.5);
  EXPECT_FALSE(CFValueReaders::NumberValue(number, asInt));
  EXPECT_FALSE(CFValueReaders::NumberValue(static_cast<CFTypeRef>(number), asShort));
  EXPECT_FALSE(CFValueReaders::NumberValue(static_cast<CFTypeRef>(CFSTR("2")), asInt));
  EXPECT_FALSE(CFValueReaders::NumberValue(static_cast<CFTypeRef>(nullptr), asInt));
  SInt32 seven = 7;
  CFNumberRef whole = CFNumberCreate(nullptr, kCFNumberSInt32Type, &seven);
  long asLong = 0;
  EXPECT_TRUE(CFValueReaders::NumberValue(static_cast<CFTypeRef>(whole), asLong));
  EXPECT_EQ(asLong, 7);
  std::string text;
  EXPECT_TRUE(CFValueReaders::ValueAsText(CFSTR("plain"), text));
  EXPECT_EQ(text, "plain");
  EXPECT_TRUE(CFValueReaders::ValueAsText(whole, text));
  EXPECT_FALSE(text.empty());
  EXPECT_FALSE(CFValueReaders::ValueAsText(nullptr, text));
  EXPECT_TRUE(CFValueReaders::TypeIDDescription(CFStringGetTypeID(), text));
  EXPECT_EQ(text, "CFString");
  CFRelease(whole);
  CFRelease(number);
}

TEST(CoreThreadMutex, IsRecursiveAndDestroysOnlyWhatItMade) {
  CoreThreadMutex mutex;
  mutex.ZeroContents();
  EXPECT_TRUE(mutex.Destroy());
  ASSERT_TRUE(mutex.Create());
  EXPECT_TRUE(mutex.Lock());
  EXPECT_TRUE(mutex.Lock());
  bool lockedElsewhere = true;
  std::thread([&] { lockedElsewhere = mutex.TryLock(); }).join();
  EXPECT_FALSE(lockedElsewhere);
  EXPECT_TRUE(mutex.Unlock());
  EXPECT_TRUE(mutex.Unlock());
  EXPECT_TRUE(mutex.Destroy());
  EXPECT_FALSE(mutex.mCreated);
}

}  // namespace
