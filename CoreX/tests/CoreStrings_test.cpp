// CoreCString, CoreCStringSized, CoreException and CorePString.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "CoreCString.h"
#include "CoreCStringSized.h"
#include "CoreException.h"
#include "CorePString.h"

const char* g_CoreMachDebug_LogPrefix = "CoreStringsTest";
const char* g_CoreMachDebug_LogFileName = "CoreStringsTest.log";

namespace {

template <class Step>
std::string thrownMessage(Step step) {
  try {
    step();
  } catch (const CoreException& exception) {
    return exception.what();
  }
  return "<nothing thrown>";
}

TEST(CoreException, KeepsItsOwnMessage) {
  CoreException first("%s %d", "code", 7);
  CoreException second("%s", "other");
  EXPECT_STREQ(first.what(), "code 7");
  EXPECT_STREQ(second.what(), "other");
  std::string fromThread;
  std::thread([&] { fromThread = CoreException("%s", "thread").what(); }).join();
  EXPECT_EQ(fromThread, "thread");
  EXPECT_EQ(std::string(CoreException("%s", std::string(3000, 'e').c_str()).what()).size(), 2047u);
}

TEST(CoreCString, CopiesAppendsAndComparesTexts) {
  CoreCString text("abc");
  EXPECT_STREQ(text.c_str(), "abc");
  EXPECT_EQ(text.Capacity(), 4);
  text += "def";
  text += reinterpret_cast<const unsigned char*>("\x02gh");
  text += CoreCString("!");
  EXPECT_STREQ(text.c_str(), "abcdefgh!");
  EXPECT_TRUE(text == "abcdefgh!");
  EXPECT_TRUE(text == reinterpret_cast<const unsigned char*>("\x09" "abcdefgh!"));
  text = text.c_str() + 3;
  EXPECT_STREQ(text.c_str(), "defgh!");
  CoreCString copy(text, 64);
  EXPECT_EQ(copy.Capacity(), 64);
  EXPECT_STREQ(copy.c_str(), "defgh!");
  EXPECT_STREQ(CoreCString(std::string("std")).c_str(), "std");
  EXPECT_DOUBLE_EQ(CoreCString(" 2.5x").AsDouble(), 2.5);
  EXPECT_DOUBLE_EQ(CoreCString("none").AsDouble(), 0.0);
}

// Assigning frees the old text and allocates one of the new text's size; appending allocates
// one of both texts' size and two bytes more. A larger capacity is never kept.
TEST(CoreCString, AssignmentAndAppendingSizeTheTextAnew) {
  CorePString pascal;
  pascal = "four";
  const struct {
    const char* name;
    std::function<void(CoreCString&)> step;
    const char* text;
    unsigned short capacity;
  } cases[] = {
      {"C string", [](CoreCString& text) { text = "xy"; }, "xy", 3},
      {"own text", [](CoreCString& text) { text = text.c_str() + 1; }, "bc", 3},
      {"Pascal string", [](CoreCString& text) { text = reinterpret_cast<const unsigned char*>("\x02" "pq"); }, "pq", 3},
      {"CoreCString", [](CoreCString& text) { text = CoreCString("hello"); }, "hello", 6},
      {"CorePString", [&](CoreCString& text) { text = pascal; }, "four", 5},
      {"append", [](CoreCString& text) { text += "de"; }, "abcde", 7},
      {"append own text", [](CoreCString& text) { text.strcat(text.c_str()); }, "abcabc", 8},
      {"append Pascal string", [](CoreCString& text) { text += reinterpret_cast<const unsigned char*>("\x01" "z"); },
       "abcz", 6},
  };
  for (const auto& entry : cases) {
    CoreCString text("abc", 64);
    entry.step(text);
    EXPECT_STREQ(text.c_str(), entry.text) << entry.name;
    EXPECT_EQ(text.Capacity(), entry.capacity) << entry.name;
  }
  CoreCStringSized sized("abcdef", 16);
  sized = "ab";
  EXPECT_EQ(thrownMessage([&] { sized.strcat("c"); }), "Invariant failed");
  CoreCString kept("kept");
  EXPECT_EQ(thrownMessage([&] { kept = std::string(70000, 'a').c_str(); }), "Invariant failed");
  EXPECT_STREQ(kept.c_str(), "kept");
}

TEST(CoreCString, SafeCopiesNeverReadOrWritePastTheirBounds) {
  CoreCString text(static_cast<unsigned short>(8));
  // The count limits the copy even when the source is longer, and a count beyond the source
  // never reads past its terminator.
  EXPECT_TRUE(text.safe_strncpy("abcdef", 3));
  EXPECT_STREQ(text.c_str(), "abc");
  const char shortSource[] = "xy";
  EXPECT_TRUE(text.safe_strncpy(shortSource, 200));
  EXPECT_STREQ(text.c_str(), "xy");
  EXPECT_FALSE(text.safe_strcpy("0123456789"));
  EXPECT_STREQ(text.c_str(), "0123456");
  text.safe_strcpy("abc");
  text.safe_strcat("defghij");
  EXPECT_STREQ(text.c_str(), "abcdefg");
}

TEST(CoreCString, ThrowsOnMissingTextsAndBrokenBounds) {
  CoreCString empty;
  empty.Delete();
  const struct {
    const char* name;
    std::function<void()> step;
    const char* message;
  } cases[] = {
      {"append to no text", [&] { empty.strcat("x"); }, "Nil exception pointer"},
      {"compare no text", [&] { (void)(empty == "x"); }, "Nil exception pointer"},
      {"compare with null", [] { (void)(CoreCString("a") == static_cast<const char*>(nullptr)); }, "Nil exception pointer"},
      {"safe_strcat of null", [] { CoreCString("a").safe_strcat(nullptr); }, "Nil exception pointer"},
      {"sprintf without buffer", [] { CoreCString().sprintf(nullptr, 8, "%d", 1); }, "Nil exception pointer"},
      {"sprintf that does not fit", [] { char buffer[4]; CoreCString().sprintf(buffer, sizeof buffer, "%d", 12345); },
       "Invariant failed"},
      {"printf of 3000 characters", [] { CoreCString().printf("%s", std::string(3000, 'p').c_str()); },
       "Invariant failed"},
      {"growing past 16 bits",
       [] {
         CoreCString text(std::string(40000, 'a').c_str());
         text += std::string(30000, 'b').c_str();
       },
       "Invariant failed"},
      {"text beyond 16 bits", [] { CoreCString text(std::string(70000, 'a').c_str()); }, "Invariant failed"},
  };
  for (const auto& entry : cases) EXPECT_EQ(thrownMessage(entry.step), entry.message) << entry.name;
  CoreCString printed;
  printed.printf("%s", std::string(2048, 'p').c_str());
  EXPECT_EQ(strlen(printed.c_str()), 2048u);
}

TEST(CoreCString, TrimsWhiteSpace) {
  const struct {
    const char* text;
    const char* leading;
    const char* trailing;
    const char* both;
  } cases[] = {
      {"  a b \t\n", "a b \t\n", "  a b", "a b"},
      {"plain", "plain", "plain", "plain"},
      {" \t\n ", "", "", ""},
      {"", "", "", ""},
  };
  for (const auto& entry : cases) {
    CoreCString leading(entry.text), trailing(entry.text), both(entry.text);
    leading.trim_leading_whitespace();
    trailing.trim_trailing_whitespace();
    both.trim_trailing_and_leading_whitespace();
    EXPECT_STREQ(leading.c_str(), entry.leading) << '"' << entry.text << '"';
    EXPECT_STREQ(trailing.c_str(), entry.trailing) << '"' << entry.text << '"';
    EXPECT_STREQ(both.c_str(), entry.both) << '"' << entry.text << '"';
  }
}

TEST(CoreCString, WritesHexAndFourCharacterCodes) {
  const unsigned char byte = 0x3C;
  EXPECT_STREQ(CoreCString::HexDigitPairFromByte(&byte, 0), "3C");
  EXPECT_STREQ(CoreCString::HexDigitPairFromByte(&byte, '\t'), "3C ");
  EXPECT_STREQ(CoreCString::HexDigitPairFromByte(&byte, ':'), "3C:");

  CoreCString hex;
  const unsigned char bytes[] = {0x00, 0xAB, 0x7F, 0x10};
  hex.EncodeHexString(bytes, sizeof bytes, 0, '-');
  EXPECT_STREQ(hex.c_str(), "00-AB-7F-10-");
  hex.HexData(bytes, sizeof bytes, 2);
  EXPECT_STREQ(hex.c_str(), "00 AB ");
  hex = "Hi";
  hex.AsHexString();
  EXPECT_STREQ(hex.c_str(), "48 69 ");

  EXPECT_STREQ(CoreCString(FOUR_CHAR_CODE("yuv2"), 0).c_str(), "0x79757632 'yuv2'");
  EXPECT_STREQ(CoreCStringSized(FOUR_CHAR_CODE("yuv2"), 0).c_str(), "'2vuy'");
}

TEST(CoreCString, DecodesOnlyHexDigitsAndStopsAtTheEnd) {
  const struct {
    const char* text;
    std::string bytes;
  } cases[] = {
      {"0a:FF zz", std::string("\x0A\xFF", 2)},
      {"abcdef", std::string("\xAB\xCD\xEF", 3)},
      {"a b c", std::string("\xAB", 1)},
      {"xyz", ""},
  };
  for (const auto& entry : cases) {
    CoreCString decoded;
    const char* text = decoded.DecodeHexString(entry.text);
    EXPECT_EQ(std::string(text, entry.bytes.size()), entry.bytes) << entry.text;
    EXPECT_EQ(text[entry.bytes.size()], 0) << entry.text;
  }
}

TEST(CoreCString, CopiesIntoPascalStrings) {
  unsigned char pascal[256];
  CoreCString::AssignTo(pascal, 255, std::string(300, 'p').c_str());
  EXPECT_EQ(pascal[0], 255);
  CoreCString::AssignTo(pascal, 3, "abcdef");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(pascal), 4), "\x03" "abc");
  CoreCString::AssignTo(pascal, 255, nullptr);
  EXPECT_EQ(pascal[0], 0);
}

TEST(CoreCString, TakesCFStringsInMacRoman) {
  CoreCString text;
  CFStringRef accented = CFStringCreateWithCString(nullptr, "caf\xC3\xA9", kCFStringEncodingUTF8);
  text = accented;
  EXPECT_STREQ(text.c_str(), "caf\x8E");
  CFStringRef chinese = CFStringCreateWithCString(nullptr, "\xE4\xB8\xAD", kCFStringEncodingUTF8);
  text = chinese;
  EXPECT_STREQ(text.c_str(), "");
  CFRelease(chinese);
  CFRelease(accented);
}

TEST(CoreCStringSized, AppendsOnlyWithinItsCapacity) {
  CoreCStringSized text("abc", 8);
  EXPECT_EQ(thrownMessage([&] { text.strcat("defg"); }), "Invariant failed");
  text.strcat("def");
  EXPECT_STREQ(text.c_str(), "abcdef");
  EXPECT_EQ(thrownMessage([&] { text.strcat(nullptr); }), "Nil exception pointer");
  text.truncate(text.c_str() + 2);
  EXPECT_STREQ(text.c_str(), "ab");
  text.truncate(text.c_str() + 2);
  EXPECT_EQ(thrownMessage([&] { text.truncate(text.c_str() + 3); }), "Invariant failed");
}

TEST(CorePString, KeepsLengthCharactersAndATerminator) {
  CorePString text;
  text = std::string(300, 'c').c_str();
  EXPECT_EQ(text.Length(), 255u);
  EXPECT_EQ(text.c_str()[255], 0);
  text = "ab";
  text.strcat(reinterpret_cast<const unsigned char*>("\x02" "cd"));
  EXPECT_EQ(text.Length(), 4u);
  EXPECT_STREQ(text.c_str(), "abcd");
  EXPECT_TRUE(text == reinterpret_cast<const unsigned char*>("\x04" "abcd"));
  EXPECT_FALSE(text == reinterpret_cast<const unsigned char*>("\x03" "abc"));
  char out[8];
  text.AssignTo(out);
  EXPECT_STREQ(out, "abcd");

  text.strcat(nullptr);
  EXPECT_STREQ(text.c_str(), "abcd");

  CorePString full;
  full = std::string(254, 'f').c_str();
  full.strcat(reinterpret_cast<const unsigned char*>("\x02" "gh"));
  EXPECT_EQ(full.Length(), 254u);
  text = static_cast<const char*>(nullptr);
  EXPECT_EQ(text.Length(), 0u);
}

}  // namespace
