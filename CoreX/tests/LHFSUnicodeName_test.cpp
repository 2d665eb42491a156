#include <gtest/gtest.h>

#include <string>

#include "CaptureOutput.h"
#include "LHFSUnicodeName.h"
#include "LUnicodeTextConverter.h"

const char* g_CoreMachDebug_LogPrefix = "LHFSUnicodeNameTest";
const char* g_CoreMachDebug_LogFileName = "LHFSUnicodeNameTest.log";

namespace {

TEST(LHFSUnicodeName, LengthLimitKeepsTheTerminatorAndGuards) {
  LHFSUnicodeName longest(std::string(253, 'a'));
  EXPECT_EQ(longest.length, 253);
  EXPECT_TRUE(longest.IsValid());
  LHFSUnicodeName tooLong(std::string(254, 'a'));
  EXPECT_EQ(tooLong.length, 0);
  EXPECT_TRUE(tooLong.IsValid());
  LHFSUnicodeName farTooLong(std::string(400, 'a'));
  EXPECT_TRUE(farTooLong.IsMarked());
  std::u16string units(300, u'b');
  LHFSUnicodeName fromUnits(reinterpret_cast<const UniChar*>(units.c_str()));
  EXPECT_TRUE(fromUnits.IsMarked());
  EXPECT_EQ(fromUnits.length, 0);
}

TEST(LHFSUnicodeName, LengthReportsNameTheirCheck) {
  struct {
    size_t units;
    UInt16 length;
    bool valid;
    const char* report;
  } cases[] = {
      {253, 253, true, ""},
      {254, 254, false, " code : IsValid()"},  // taken, but it cannot be terminated
      {255, 0, true, " code : in_length<=kMaxLength"},
      {600, 0, true, " code : in_length<=kMaxLength"},
  };
  for (const auto& c : cases) {
    std::u16string utf16(c.units, u'b');
    std::u32string utf32(c.units, U'b');
    std::string reports = moxicam::test::captureStandardError([&] {
      LHFSUnicodeName fromUTF16(reinterpret_cast<const UniChar*>(utf16.c_str()));
      LHFSUnicodeName fromUTF32(utf32.c_str());
      EXPECT_EQ(fromUTF16.length, c.length) << c.units;
      EXPECT_EQ(fromUTF32.length, c.length) << c.units;
      EXPECT_EQ(fromUTF16.IsValid(), c.valid) << c.units;
      EXPECT_TRUE(fromUTF16.IsMarked()) << c.units;
    });
    if (*c.report) {
      EXPECT_NE(reports.find(c.report), std::string::npos) << c.units << reports;
    } else {
      EXPECT_EQ(reports.find("VERIFY FAILED"), std::string::npos) << c.units << reports;
    }
  }
  std::string reports =
      moxicam::test::captureStandardError([] { EXPECT_EQ(LHFSUnicodeName(std::string(400, 'a')).length, 0); });
  EXPECT_NE(reports.find(" code : ConvertFileName(in_file_name, *this)"), std::string::npos) << reports;
}

TEST(LHFSUnicodeName, NamesOutsideTheBasicPlaneSurvive) {
  const std::string utf8 = "\xF0\x9F\x8E\xA5 Caf\xC3\xA9 \xF0\x9D\x84\x9E";
  LHFSUnicodeName fromUTF8(utf8);
  EXPECT_EQ(fromUTF8.length, 10);
  std::string back;
  ASSERT_TRUE(fromUTF8.GetUnixPath(back));
  EXPECT_EQ(back, utf8);

  const char32_t utf32[] = U"\U0001F3A5 Caf\u00e9 \U0001D11E";
  LHFSUnicodeName fromUTF32(utf32);
  EXPECT_TRUE(fromUTF32 == fromUTF8);
  std::u32string text;
  ASSERT_TRUE(fromUTF32.GetUnixPath(text));
  EXPECT_EQ(text, std::u32string(utf32));

  LUnicodeTextConverter converter(kTextEncodingMacRoman);
  std::string converted;
  EXPECT_EQ(converter.UnicodeToUTF8(fromUTF32, converted), noErr);
  EXPECT_EQ(converted, utf8);
}

TEST(LHFSUnicodeName, RefusesBrokenUnicode) {
  const char32_t surrogate[] = {U'a', char32_t(0xD800), 0};
  const char32_t beyond[] = {char32_t(0x110000), 0};
  EXPECT_EQ(LHFSUnicodeName(surrogate).length, 0);
  EXPECT_EQ(LHFSUnicodeName(beyond).length, 0);
  EXPECT_EQ(LHFSUnicodeName(std::string("bad \xC3")).length, 0);
}

TEST(LHFSUnicodeName, SpecialNames) {
  HFSUniStr255 dataFork;
  ASSERT_EQ(FSGetDataForkName(&dataFork), noErr);
  EXPECT_EQ(LHFSUnicodeName::sDataForkName.length, dataFork.length);
  EXPECT_TRUE(LHFSUnicodeName(LHFSUnicodeName::kDataForkName) == LHFSUnicodeName::sDataForkName);
  EXPECT_TRUE(LHFSUnicodeName(LHFSUnicodeName::kResourceForkName) == LHFSUnicodeName::sResourceForkName);
  EXPECT_FALSE(LHFSUnicodeName::sResourceForkName == LHFSUnicodeName::sDataForkName);
  LHFSUnicodeName other;
  EXPECT_FALSE(other.Construct(LHFSUnicodeName::Special(300)));
}

TEST(LHFSUnicodeName, EmptyNameRoundTrip) {
  LHFSUnicodeName empty(std::string(""));
  EXPECT_EQ(empty.length, 0);
  std::string path = "stale";
  EXPECT_TRUE(empty.GetUnixPath(path));
  EXPECT_TRUE(path.empty());
}

TEST(LHFSUnicodeName, PascalStringsInMacRomanAndScripts) {
  const unsigned char macRoman[] = "\x05" "Caf\x8E!";
  LHFSUnicodeName roman(macRoman);
  std::string utf8;
  ASSERT_TRUE(roman.GetUnixPath(utf8));
  EXPECT_EQ(utf8, "Caf\xC3\xA9!");
  LHFSUnicodeName scripted(macRoman, smRoman);
  EXPECT_TRUE(scripted == roman);
}

TEST(LUnicodeTextConverter, LegacyTextToUTF8GrowsItsBuffer) {
  LUnicodeTextConverter converter(smRoman, verUS);
  std::string in(100, '\xA5');  // each is a bullet, three bytes in UTF-8
  std::string out;
  EXPECT_EQ(converter.TextToUTF8(in, out), noErr);
  EXPECT_EQ(out.size(), 300u);
  EXPECT_EQ(out.substr(0, 3), "\xE2\x80\xA2");
}

TEST(LUnicodeTextConverter, UnknownRegionIsReportedAndLeftOut) {
  std::string out;
  std::string reports = moxicam::test::captureStandardError([&] {
    LUnicodeTextConverter converter(smRoman, RegionCode(500));
    EXPECT_EQ(converter.TextToUTF8("Caf\x8E", out), noErr);
  });
  EXPECT_EQ(out, "Caf\xC3\xA9");
  EXPECT_NE(reports.find(" code : status!=paramErr"), std::string::npos) << reports;
}

}  // namespace
