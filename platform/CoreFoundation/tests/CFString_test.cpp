#include <CoreFoundation/CFString.h>

#include <gtest/gtest.h>

#include "CaptureOutput.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <objc/RefPtr.h>

namespace {

using String = RefPtr<const __CFString>;

std::string utf8(CFStringRef string) {
  if (!string) return "<null>";
  CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), kCFStringEncodingUTF8) + 1;
  std::string buffer(static_cast<size_t>(size), '\0');
  if (!CFStringGetCString(string, buffer.data(), size, kCFStringEncodingUTF8)) return "<unconvertible>";
  buffer.resize(std::strlen(buffer.c_str()));
  return buffer;
}

String make(const char* text) { return adopt(CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8)); }

std::u16string characters(CFStringRef string) {
  std::u16string out(static_cast<size_t>(CFStringGetLength(string)), u'\0');
  CFStringGetCharacters(string, CFRangeMake(0, CFStringGetLength(string)), reinterpret_cast<UniChar*>(out.data()));
  return out;
}

std::string format(CFStringRef pattern, ...) {
  va_list arguments;
  va_start(arguments, pattern);
  String result = adopt(CFStringCreateWithFormatAndArguments(nullptr, nullptr, pattern, arguments));
  va_end(arguments);
  return utf8(result.get());
}

// Constant strings made by static constructors and used by static destructors: a crash
// there fails the whole test program.
struct UsesConstantsAtStaticTime {
  UsesConstantsAtStaticTime() : made(CFSTR("made before main")) {}
  ~UsesConstantsAtStaticTime() {
    if (CFSTR("made before main") != made || CFStringGetLength(CFSTR("used after main")) != 15) std::abort();
  }
  CFStringRef made;
} usesConstantsAtStaticTime;

TEST(CFStringConstant, SameTextGivesTheSameImmortalObject) {
  CFStringRef first = CFSTR("identity");
  EXPECT_EQ(first, CFSTR("identity"));
  EXPECT_NE(first, CFSTR("identity2"));
  EXPECT_EQ(usesConstantsAtStaticTime.made, CFSTR("made before main"));
  for (int i = 0; i < 10; ++i) CFRelease(first);
  EXPECT_EQ(utf8(CFSTR("identity")), "identity");
  EXPECT_GT(CFGetRetainCount(first), 1000);
}

TEST(CFStringConstant, ConcurrentFirstUseAgreesOnOneObject) {
  std::vector<CFStringRef> seen(8);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < seen.size(); ++i) {
    threads.emplace_back([&seen, i] { seen[i] = CFSTR("raced for by eight threads"); });
  }
  for (std::thread& thread : threads) thread.join();
  for (CFStringRef string : seen) EXPECT_EQ(string, seen[0]);
}

TEST(CFStringConstant, NonAsciiLiteralIsDecodedAsUTF8) {
  EXPECT_EQ(characters(CFSTR("caf\xC3\xA9")), u"caf\u00E9");
  EXPECT_EQ(CFStringGetCStringPtr(CFSTR("caf\xC3\xA9"), kCFStringEncodingUTF8), nullptr);
  const char* direct = CFStringGetCStringPtr(CFSTR("plain"), kCFStringEncodingMacRoman);
  ASSERT_NE(direct, nullptr);
  EXPECT_STREQ(direct, "plain");
}

struct RoundTrip {
  const char* name;
  CFStringEncoding encoding;
  std::string bytes;
  std::u16string text;
};

TEST(CFStringEncoding, DecodesAndEncodesEachEncodingBothWays) {
  const RoundTrip cases[] = {
      {"ascii", kCFStringEncodingASCII, "Hello", u"Hello"},
      {"mac roman accents", kCFStringEncodingMacRoman, "\x80\x8E\xA5\xDB", u"\u00C4\u00E9\u2022\u20AC"},
      {"mac roman apple", kCFStringEncodingMacRoman, "\xF0", u"\uF8FF"},
      {"latin-1", kCFStringEncodingISOLatin1, "\xE9\xFF\xA0", u"\u00E9\u00FF\u00A0"},
      {"windows latin-1", kCFStringEncodingWindowsLatin1, "\x80\x99\xE9", u"\u20AC\u2122\u00E9"},
      {"utf-8 non-BMP", kCFStringEncodingUTF8, "a\xF0\x9F\x98\x80z", u"a\U0001F600z"},
      {"utf-16be", kCFStringEncodingUTF16BE, std::string("\xD8\x3D\xDE\x00\x00\x41", 6), u"\U0001F600A"},
      {"utf-16le", kCFStringEncodingUTF16LE, std::string("\x3D\xD8\x00\xDE\x41\x00", 6), u"\U0001F600A"},
      {"utf-32be", kCFStringEncodingUTF32BE, std::string("\x00\x01\xF6\x00", 4), u"\U0001F600"},
      {"utf-32le", kCFStringEncodingUTF32LE, std::string("\x00\xF6\x01\x00", 4), u"\U0001F600"},
  };
  for (const RoundTrip& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(CFStringIsEncodingAvailable(c.encoding));
    String string = adopt(CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(c.bytes.data()),
                                                  static_cast<CFIndex>(c.bytes.size()), c.encoding, false));
    ASSERT_TRUE(string);
    EXPECT_EQ(characters(string.get()), c.text);
    CFIndex used = 0;
    std::string out(64, '\0');
    CFIndex length = CFStringGetLength(string.get());
    EXPECT_EQ(CFStringGetBytes(string.get(), CFRangeMake(0, length), c.encoding, 0, false,
                               reinterpret_cast<UInt8*>(out.data()), 64, &used),
              length);
    EXPECT_EQ(out.substr(0, static_cast<size_t>(used)), c.bytes);
  }
}

TEST(CFStringEncoding, EveryMacRomanByteSurvivesARoundTrip) {
  std::string bytes;
  for (int byte = 1; byte < 256; ++byte) bytes.push_back(static_cast<char>(byte));
  String string = adopt(CFStringCreateWithCString(nullptr, bytes.c_str(), kCFStringEncodingMacRoman));
  ASSERT_TRUE(string);
  EXPECT_EQ(CFStringGetLength(string.get()), 255);
  char out[256];
  ASSERT_TRUE(CFStringGetCString(string.get(), out, sizeof out, kCFStringEncodingMacRoman));
  EXPECT_EQ(std::string(out), bytes);
}

TEST(CFStringEncoding, CharacterTheEncodingLacksFailsCleanly) {
  String string = make("snow \xE2\x98\x83 man");  // U+2603 has no Mac Roman, Latin-1 or ASCII form
  for (CFStringEncoding encoding : {kCFStringEncodingMacRoman, kCFStringEncodingISOLatin1, kCFStringEncodingASCII,
                                    kCFStringEncodingWindowsLatin1}) {
    char buffer[32];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_FALSE(CFStringGetCString(string.get(), buffer, sizeof buffer, encoding));
    EXPECT_EQ(buffer[0], '\0');
    Str255 pascal;
    EXPECT_FALSE(CFStringGetPascalString(string.get(), pascal, sizeof pascal, encoding));
  }
  // GetBytes stops before the character, or puts the loss byte in its place.
  UInt8 out[32];
  CFIndex used = 0;
  EXPECT_EQ(CFStringGetBytes(string.get(), CFRangeMake(0, 10), kCFStringEncodingMacRoman, 0, false, out, 32, &used), 5);
  EXPECT_EQ(used, 5);
  EXPECT_EQ(CFStringGetBytes(string.get(), CFRangeMake(0, 10), kCFStringEncodingMacRoman, '?', false, out, 32, &used),
            10);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out), static_cast<size_t>(used)), "snow ? man");
}

TEST(CFStringEncoding, InvalidInputGivesNoString) {
  const std::pair<std::string, CFStringEncoding> cases[] = {
      {"\xC3", kCFStringEncodingUTF8},                 // truncated sequence
      {"\xC0\xAF", kCFStringEncodingUTF8},             // overlong
      {"\xED\xA0\x80", kCFStringEncodingUTF8},         // encoded surrogate
      {"\xF4\x90\x80\x80", kCFStringEncodingUTF8},     // beyond U+10FFFF
      {"caf\xE9", kCFStringEncodingASCII},             // 8-bit byte in ASCII
      {std::string("\x41\x00\x42", 3), kCFStringEncodingUTF16LE},  // odd length
      {"text", kCFStringEncodingNextStepLatin},        // unavailable
      {"text", kCFStringEncodingInvalidId},
  };
  for (const auto& [bytes, encoding] : cases) {
    SCOPED_TRACE(encoding);
    EXPECT_EQ(CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(bytes.data()),
                                      static_cast<CFIndex>(bytes.size()), encoding, false),
              nullptr);
  }
  EXPECT_EQ(CFStringCreateWithCString(nullptr, nullptr, kCFStringEncodingUTF8), nullptr);
  EXPECT_FALSE(CFStringIsEncodingAvailable(kCFStringEncodingNonLossyASCII));
  EXPECT_EQ(CFStringGetMaximumSizeForEncoding(4, kCFStringEncodingNextStepLatin), kCFNotFound);
}

TEST(CFStringEncoding, UnmarkedUTF16TakesItsOrderFromTheByteOrderMark) {
  const UInt8 bigEndian[] = {0xFE, 0xFF, 0x00, 0x48, 0x00, 0x69};
  const UInt8 littleEndian[] = {0xFF, 0xFE, 0x48, 0x00, 0x69, 0x00};
  for (const UInt8* bytes : {bigEndian, littleEndian}) {
    String string = adopt(CFStringCreateWithBytes(nullptr, bytes, 6, kCFStringEncodingUnicode, true));
    EXPECT_EQ(characters(string.get()), u"Hi");
  }
  UniChar host[] = {u'H', u'i'};
  String unmarked = adopt(CFStringCreateWithBytes(nullptr, reinterpret_cast<UInt8*>(host), 4, kCFStringEncodingUnicode, false));
  EXPECT_EQ(characters(unmarked.get()), u"Hi");
  // The external representation puts a mark in front, in host order.
  UInt8 out[8];
  CFIndex used = 0;
  CFStringGetBytes(unmarked.get(), CFRangeMake(0, 2), kCFStringEncodingUnicode, 0, true, out, 8, &used);
  ASSERT_EQ(used, 6);
  UniChar mark;
  std::memcpy(&mark, out, 2);
  EXPECT_EQ(mark, 0xFEFF);
}

// A C string ends at its first NUL byte in every encoding: a wide encoding reads no further
// (each string below is held in memory that ends right after its NUL).
TEST(CFStringEncoding, CStringsAreReadUpToTheirFirstNulByteOnly) {
  const struct {
    const char* what;
    std::string bytes;  // without the NUL
    CFStringEncoding encoding;
    std::optional<std::u16string> expected;
  } cases[] = {
      {"utf-16le, whole units", std::string("ab", 2), kCFStringEncodingUTF16LE, u"\u6261"},
      {"utf-16be, whole units", std::string("ab", 2), kCFStringEncodingUTF16BE, u"\u6162"},
      {"utf-16, half a unit", std::string("abc", 3), kCFStringEncodingUTF16LE, std::nullopt},
      {"utf-32, not a whole unit", std::string("abc", 3), kCFStringEncodingUTF32LE, std::nullopt},
      {"utf-32, no character", std::string("abcd", 4), kCFStringEncodingUTF32LE, std::nullopt},
      {"utf-8", std::string("ab", 2), kCFStringEncodingUTF8, u"ab"},
      {"empty, utf-32", std::string(), kCFStringEncodingUTF32BE, u""},
  };
  for (const auto& c : cases) {
    std::unique_ptr<char[]> held(new char[c.bytes.size() + 1]);
    std::memcpy(held.get(), c.bytes.data(), c.bytes.size());
    held[c.bytes.size()] = '\0';
    String string = adopt(CFStringCreateWithCString(nullptr, held.get(), c.encoding));
    ASSERT_EQ(bool(string), c.expected.has_value()) << c.what;
    if (string) {
      EXPECT_EQ(characters(string.get()), *c.expected) << c.what;
    }
  }
}

TEST(CFStringEncoding, CStringsEndInANulOfTheEncodingsWidth) {
  String string = make("ab");
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  ASSERT_TRUE(CFStringGetCString(string.get(), buffer, sizeof buffer, kCFStringEncodingUnicode));
  UniChar units[3];
  std::memcpy(units, buffer, sizeof units);
  EXPECT_EQ(units[0], u'a');
  EXPECT_EQ(units[1], u'b');
  EXPECT_EQ(units[2], 0);
  // Exactly the room needed, then one byte short.
  EXPECT_TRUE(CFStringGetCString(string.get(), buffer, 6, kCFStringEncodingUnicode));
  EXPECT_FALSE(CFStringGetCString(string.get(), buffer, 5, kCFStringEncodingUnicode));
  EXPECT_FALSE(CFStringGetCString(string.get(), buffer, 2, kCFStringEncodingUTF8));
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_TRUE(CFStringGetCString(string.get(), buffer, 3, kCFStringEncodingUTF8));
  String back = adopt(CFStringCreateWithCString(nullptr, buffer, kCFStringEncodingUTF8));
  EXPECT_TRUE(CFEqual(back.get(), string.get()));
}

TEST(CFStringEncoding, MaximumSizes) {
  EXPECT_EQ(CFStringGetMaximumSizeForEncoding(10, kCFStringEncodingUTF8), 30);
  EXPECT_EQ(CFStringGetMaximumSizeForEncoding(10, kCFStringEncodingUnicode), 20);
  EXPECT_EQ(CFStringGetMaximumSizeForEncoding(10, kCFStringEncodingMacRoman), 10);
  EXPECT_EQ(CFStringGetMaximumSizeForEncoding(10, kCFStringEncodingUTF32), 40);
  EXPECT_EQ(CFStringGetSystemEncoding(), kCFStringEncodingUTF8);
}

TEST(CFStringCreate, PascalStringsSubstringsAndCopies) {
  const unsigned char pascal[] = "\x05Hello, ignored";
  String hello = adopt(CFStringCreateWithPascalString(nullptr, pascal, kCFStringEncodingMacRoman));
  EXPECT_EQ(utf8(hello.get()), "Hello");
  Str255 out;
  ASSERT_TRUE(CFStringGetPascalString(hello.get(), out, sizeof out, kCFStringEncodingMacRoman));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out + 1), out[0]), "Hello");
  EXPECT_FALSE(CFStringGetPascalString(hello.get(), out, 5, kCFStringEncodingMacRoman));

  String world = make("Hello world");
  String sub = adopt(CFStringCreateWithSubstring(nullptr, world.get(), CFRangeMake(6, 5)));
  EXPECT_EQ(utf8(sub.get()), "world");
  EXPECT_EQ(CFStringCreateWithSubstring(nullptr, world.get(), CFRangeMake(6, 6)), nullptr);

  // A copy of an immutable string is the same object; of a mutable one, a snapshot.
  String copy = adopt(CFStringCreateCopy(nullptr, world.get()));
  EXPECT_EQ(copy.get(), world.get());
  RefPtr<__CFString> mutableString = adopt(CFStringCreateMutableCopy(nullptr, 0, world.get()));
  String snapshot = adopt(CFStringCreateCopy(nullptr, mutableString.get()));
  CFStringAppend(mutableString.get(), CFSTR("!"));
  EXPECT_EQ(utf8(snapshot.get()), "Hello world");
  EXPECT_EQ(utf8(mutableString.get()), "Hello world!");
}

TEST(CFStringCreate, NoCopyVariantsTakeOverTheirContents) {
  char* owned = strdup("owned");
  String fromOwned = adopt(CFStringCreateWithCStringNoCopy(nullptr, owned, kCFStringEncodingUTF8, nullptr));
  EXPECT_EQ(utf8(fromOwned.get()), "owned");
  static const UniChar borrowed[] = {u'o', u'k'};
  String fromBorrowed = adopt(CFStringCreateWithCharactersNoCopy(nullptr, borrowed, 2, kCFAllocatorNull));
  EXPECT_EQ(utf8(fromBorrowed.get()), "ok");
  EXPECT_EQ(borrowed[0], u'o');
}

struct FormatCase {
  std::string expected;
  std::string actual;
};

TEST(CFStringFormat, ConversionsMatchPrintf) {
  String described = make("described");
  UniChar wide[] = {u'w', u'i', u'd', u'e', 0};
  const FormatCase cases[] = {
      {"42 -7 +5", format(CFSTR("%d %i %+d"), 42, -7, 5)},
      {"00ABCDEF12345678", format(CFSTR("%016llX"), 0xABCDEF12345678ULL)},
      {"0000BEEF", format(CFSTR("%08llX"), 0xBEEFULL)},
      {"3.14", format(CFSTR("%1.2f"), 3.14159)},
      {"1.500000e+00 2.5", format(CFSTR("%e %g"), 1.5, 2.5)},
      {"[   123456789] [-12345    ]", format(CFSTR("[%12ld] [%-10ld]"), 123456789L, -12345L)},
      {"[(null)] [abc]", format(CFSTR("[%s] [%.3s]"), static_cast<const char*>(nullptr), "abcdef")},
      {"[     x]", format(CFSTR("[%*s]"), 6, "x")},
      {"[x     ]", format(CFSTR("[%*s]"), -6, "x")},
      {"[3.1]", format(CFSTR("[%.*f]"), 1, 3.14159)},
      {"ff 377 FF 255", format(CFSTR("%x %o %X %u"), 255u, 255u, 255u, 255u)},
      {"-1 255 65535", format(CFSTR("%hhd %hhu %hu"), 255, 255, 65535)},
      {"18446744073709551615 4294967296", format(CFSTR("%zu %llu"), SIZE_MAX, 4294967296ULL)},
      {"100% A", format(CFSTR("%d%% %c"), 100, 'A')},
      {"described (null)", format(CFSTR("%@ %@"), described.get(), nullptr)},
      {"[  described]", format(CFSTR("[%11@]"), described.get())},
      {"wide \xC3\xA9", format(CFSTR("%S %C"), wide, 0xE9)},
      {"0x0 0x10", format(CFSTR("%p %p"), nullptr, reinterpret_cast<void*>(0x10))},
      {"caf\xC3\xA9", format(CFSTR("%s"), "caf\xC3\xA9")},
      {"unknown %y stays", format(CFSTR("unknown %y stays"))},
      {"cut short %-5", format(CFSTR("cut short %-5"))},
      {"end %", format(CFSTR("end %"))},
  };
  for (const FormatCase& c : cases) EXPECT_EQ(c.actual, c.expected);
}

TEST(CFStringFormat, DescribesOtherObjectsAndKeepsArgumentOrder) {
  std::string text = format(CFSTR("%d %@ %d"), 1, kCFNull, 2);
  EXPECT_EQ(text, "1 <CFNull> 2");
  EXPECT_EQ(format(CFSTR("%s-%d-%@-%.1f-%C"), "a", 2, CFSTR("b"), 3.25, u'z'), "a-2-b-3.2-z");
}

TEST(CFStringFormat, MutableAppendAndNonFormatArguments) {
  RefPtr<__CFString> text = adopt(CFStringCreateMutable(nullptr, 0));
  CFStringAppendFormat(text.get(), nullptr, CFSTR("%d-"), 1);
  CFStringAppendFormat(text.get(), nullptr, CFSTR("%s"), "two");
  EXPECT_EQ(utf8(text.get()), "1-two");
  EXPECT_EQ(CFStringCreateWithFormat(nullptr, nullptr, reinterpret_cast<CFStringRef>(kCFNull)), nullptr);
  // A %n in a format never writes through its argument.
  int written = -1;
  EXPECT_EQ(format(CFSTR("ab%n"), &written), "ab");
  EXPECT_EQ(written, -1);
}

struct CompareCase {
  const char* left;
  const char* right;
  CFStringCompareFlags options;
  CFComparisonResult expected;
};

TEST(CFStringCompare, OptionsChangeTheOrder) {
  const CompareCase cases[] = {
      {"abc", "abc", 0, kCFCompareEqualTo},
      {"abc", "abd", 0, kCFCompareLessThan},
      {"abc", "ab", 0, kCFCompareGreaterThan},
      {"ABC", "abc", 0, kCFCompareLessThan},
      {"ABC", "abc", kCFCompareCaseInsensitive, kCFCompareEqualTo},
      {"\xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\x89", kCFCompareCaseInsensitive, kCFCompareEqualTo},
      {"file9", "file10", 0, kCFCompareGreaterThan},
      {"file9", "file10", kCFCompareNumerically, kCFCompareLessThan},
      {"v007", "v7", kCFCompareNumerically, kCFCompareEqualTo},
      {"a10b2", "a10b10", kCFCompareNumerically, kCFCompareLessThan},
      {"\xEF\xBF\xBD", "\xF0\x9F\x98\x80", 0, kCFCompareLessThan},  // U+FFFD before U+1F600
  };
  for (const CompareCase& c : cases) {
    SCOPED_TRACE(std::string(c.left) + " vs " + c.right);
    EXPECT_EQ(CFStringCompare(make(c.left).get(), make(c.right).get(), c.options), c.expected);
  }
  EXPECT_EQ(CFStringCompareWithOptions(CFSTR("xxHELLOxx"), CFSTR("hello"), CFRangeMake(2, 5), kCFCompareCaseInsensitive),
            kCFCompareEqualTo);
}

TEST(CFStringFind, ForwardBackwardAnchoredAndCaseless) {
  CFStringRef text = CFSTR("one two One two");
  CFRange found = CFStringFind(text, CFSTR("two"), 0);
  EXPECT_EQ(found.location, 4);
  EXPECT_EQ(found.length, 3);
  EXPECT_EQ(CFStringFind(text, CFSTR("two"), kCFCompareBackwards).location, 12);
  EXPECT_EQ(CFStringFind(text, CFSTR("ONE"), kCFCompareBackwards | kCFCompareCaseInsensitive).location, 8);
  EXPECT_EQ(CFStringFind(text, CFSTR("two"), kCFCompareAnchored).location, kCFNotFound);
  EXPECT_EQ(CFStringFind(text, CFSTR("one"), kCFCompareAnchored).location, 0);
  EXPECT_EQ(CFStringFind(text, CFSTR(""), 0).location, kCFNotFound);
  EXPECT_EQ(CFStringFind(CFSTR("ab"), CFSTR("abc"), 0).location, kCFNotFound);
  CFRange inRange;
  EXPECT_TRUE(CFStringFindWithOptions(text, CFSTR("one"), CFRangeMake(1, 14), kCFCompareCaseInsensitive, &inRange));
  EXPECT_EQ(inRange.location, 8);
  EXPECT_FALSE(CFStringFindWithOptions(text, CFSTR("one"), CFRangeMake(10, 20), 0, &inRange));

  EXPECT_TRUE(CFStringHasPrefix(text, CFSTR("one ")));
  EXPECT_FALSE(CFStringHasPrefix(text, CFSTR("two")));
  EXPECT_TRUE(CFStringHasSuffix(text, CFSTR(" two")));
  EXPECT_FALSE(CFStringHasSuffix(CFSTR("wo"), CFSTR("two")));
}

TEST(CFStringEquality, EqualTextIsEqualWithEqualHashWhateverTheOrigin) {
  RefPtr<__CFString> built = adopt(CFStringCreateMutable(nullptr, 0));
  CFStringAppendCString(built.get(), "sa", kCFStringEncodingASCII);
  CFStringAppendCharacters(built.get(), reinterpret_cast<const UniChar*>(u"me"), 2);
  EXPECT_TRUE(CFEqual(built.get(), CFSTR("same")));
  EXPECT_EQ(CFHash(built.get()), CFHash(CFSTR("same")));
  EXPECT_FALSE(CFEqual(CFSTR("same"), CFSTR("Same")));
  EXPECT_FALSE(CFEqual(CFSTR("same"), kCFNull));
  EXPECT_EQ(CFGetTypeID(built.get()), CFStringGetTypeID());
}

TEST(CFStringMutation, EditsInPlace) {
  RefPtr<__CFString> text = adopt(CFStringCreateMutableCopy(nullptr, 0, CFSTR("hello world")));
  CFStringInsert(text.get(), 5, CFSTR(","));
  EXPECT_EQ(utf8(text.get()), "hello, world");
  CFStringReplace(text.get(), CFRangeMake(0, 5), CFSTR("goodbye"));
  EXPECT_EQ(utf8(text.get()), "goodbye, world");
  CFStringDelete(text.get(), CFRangeMake(7, 1));
  EXPECT_EQ(utf8(text.get()), "goodbye world");
  CFStringAppend(text.get(), text.get());
  EXPECT_EQ(utf8(text.get()), "goodbye worldgoodbye world");
  CFStringReplaceAll(text.get(), CFSTR("  \t caf\xC3\xA9 \xC3\xBF \n"));
  CFStringTrimWhitespace(text.get());
  CFStringUppercase(text.get(), nullptr);
  EXPECT_EQ(utf8(text.get()), "CAF\xC3\x89 \xC5\xB8");
  CFStringLowercase(text.get(), nullptr);
  EXPECT_EQ(utf8(text.get()), "caf\xC3\xA9 \xC3\xBF");
  CFStringReplaceAll(text.get(), CFSTR("xyxyabcxyxxy"));
  CFStringTrim(text.get(), CFSTR("xy"));
  EXPECT_EQ(utf8(text.get()), "abcxyx");
  CFStringReplaceAll(text.get(), CFSTR("xyxy"));
  CFStringTrim(text.get(), CFSTR("xy"));
  EXPECT_EQ(CFStringGetLength(text.get()), 0);
}

TEST(CFStringMutation, BadRequestsLeaveTheStringAlone) {
  RefPtr<__CFString> text = adopt(CFStringCreateMutableCopy(nullptr, 0, CFSTR("abc")));
  CFStringDelete(text.get(), CFRangeMake(2, 5));
  CFStringInsert(text.get(), 4, CFSTR("x"));
  CFStringReplace(text.get(), CFRangeMake(-1, 1), CFSTR("x"));
  CFStringAppendCString(text.get(), "\xFF", kCFStringEncodingUTF8);
  EXPECT_EQ(utf8(text.get()), "abc");
  // Constant and other immutable strings are never changed.
  CFStringAppend(const_cast<__CFString*>(CFSTR("fixed")), CFSTR("!"));
  EXPECT_EQ(utf8(CFSTR("fixed")), "fixed");
  EXPECT_EQ(CFStringGetCharacterAtIndex(text.get(), 3), 0);
}

TEST(CFStringValues, IntegersAndDoubles) {
  const std::pair<const char*, SInt32> integers[] = {
      {"42", 42}, {"  -17abc", -17}, {"+8", 8}, {"abc", 0}, {"", 0}, {"99999999999", INT32_MAX}, {"-99999999999", INT32_MIN},
  };
  for (const auto& [text, value] : integers) EXPECT_EQ(CFStringGetIntValue(make(text).get()), value) << text;
  EXPECT_DOUBLE_EQ(CFStringGetDoubleValue(CFSTR(" 2.5e3x")), 2500.0);
  EXPECT_DOUBLE_EQ(CFStringGetDoubleValue(CFSTR("-.25")), -0.25);
  EXPECT_DOUBLE_EQ(CFStringGetDoubleValue(CFSTR("junk")), 0.0);
}

TEST(CFStringAccess, CharactersAndFastestEncoding) {
  String text = make("a\xF0\x9F\x98\x80");
  EXPECT_EQ(CFStringGetLength(text.get()), 3);
  EXPECT_EQ(CFStringGetCharacterAtIndex(text.get(), 1), 0xD83D);
  EXPECT_EQ(CFStringGetFastestEncoding(text.get()), kCFStringEncodingUnicode);
  EXPECT_EQ(CFStringGetFastestEncoding(CFSTR("plain")), kCFStringEncodingASCII);
  // A mutable string hands out no direct pointer: its text may move.
  RefPtr<__CFString> changing = adopt(CFStringCreateMutableCopy(nullptr, 0, CFSTR("plain")));
  EXPECT_EQ(CFStringGetCStringPtr(changing.get(), kCFStringEncodingUTF8), nullptr);
  EXPECT_EQ(CFStringGetCStringPtr(CFSTR("plain"), kCFStringEncodingUnicode), nullptr);
}


TEST(CFShow, WritesTheDescriptionAsALine) {
  EXPECT_EQ(moxicam::test::captureStandardError([] { CFShow(CFSTR("caf\xC3\xA9")); }), "caf\xC3\xA9\n");
  EXPECT_EQ(moxicam::test::captureStandardError([] { CFShow(kCFNull); }), "<CFNull>\n");
  EXPECT_EQ(moxicam::test::captureStandardError([] { CFShow(nullptr); }), "(null)\n");
}

}  // namespace
