#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFBag.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFSet.h>
#include <CoreFoundation/CFString.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <objc/RefPtr.h>

namespace {

using String = RefPtr<const __CFString>;
using Array = RefPtr<__CFArray>;
using Dictionary = RefPtr<__CFDictionary>;

String make(const char* text) { return adopt(CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8)); }

std::string utf8(CFTypeRef string) {
  char buffer[512] = {};
  if (!string || !CFStringGetCString(static_cast<CFStringRef>(string), buffer, sizeof buffer, kCFStringEncodingUTF8)) {
    return "<null>";
  }
  return buffer;
}

std::vector<std::string> texts(CFArrayRef array) {
  std::vector<std::string> result;
  for (CFIndex i = 0; i < CFArrayGetCount(array); ++i) result.push_back(utf8(CFArrayGetValueAtIndex(array, i)));
  return result;
}

Array mutableArrayOf(std::initializer_list<const char*> values) {
  Array array = adopt(CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks));
  for (const char* value : values) CFArrayAppendValue(array.get(), make(value).get());
  return array;
}

TEST(CFArray, TypeCallBacksRetainWhatTheArrayHoldsAndReleaseWhatLeaves) {
  String value = make("held");
  ASSERT_EQ(CFGetRetainCount(value.get()), 1);
  {
    Array array = adopt(CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks));
    CFArrayAppendValue(array.get(), value.get());
    CFArrayInsertValueAtIndex(array.get(), 0, value.get());
    EXPECT_EQ(CFGetRetainCount(value.get()), 3);
    CFArrayRemoveValueAtIndex(array.get(), 0);
    EXPECT_EQ(CFGetRetainCount(value.get()), 2);
    Array copy = adopt(const_cast<__CFArray*>(CFArrayCreateCopy(nullptr, array.get())));
    EXPECT_EQ(CFGetRetainCount(value.get()), 3);
    // Setting a value in its own place must not free it on the way.
    CFArraySetValueAtIndex(array.get(), 0, value.get());
    EXPECT_EQ(CFGetRetainCount(value.get()), 3);
  }
  EXPECT_EQ(CFGetRetainCount(value.get()), 1);

  Array plain = adopt(CFArrayCreateMutable(nullptr, 0, nullptr));
  CFArrayAppendValue(plain.get(), value.get());
  EXPECT_EQ(CFGetRetainCount(value.get()), 1);
  // Without callbacks, equality is identity: an equal string elsewhere is not found.
  EXPECT_FALSE(CFArrayContainsValue(plain.get(), CFRangeMake(0, 1), make("held").get()));
  Array typed = mutableArrayOf({"held"});
  EXPECT_TRUE(CFArrayContainsValue(typed.get(), CFRangeMake(0, 1), make("held").get()));
}

TEST(CFArray, EditsKeepOrder) {
  Array array = mutableArrayOf({"a", "b", "c"});
  CFArrayInsertValueAtIndex(array.get(), 1, CFSTR("x"));
  EXPECT_EQ(texts(array.get()), (std::vector<std::string>{"a", "x", "b", "c"}));
  CFArraySetValueAtIndex(array.get(), 4, CFSTR("end"));  // one past the end appends
  CFArrayExchangeValuesAtIndices(array.get(), 0, 4);
  EXPECT_EQ(texts(array.get()), (std::vector<std::string>{"end", "x", "b", "c", "a"}));
  CFArrayAppendArray(array.get(), array.get(), CFRangeMake(1, 2));  // from itself
  EXPECT_EQ(texts(array.get()), (std::vector<std::string>{"end", "x", "b", "c", "a", "x", "b"}));
  EXPECT_EQ(CFArrayGetFirstIndexOfValue(array.get(), CFRangeMake(0, 7), CFSTR("x")), 1);
  EXPECT_EQ(CFArrayGetLastIndexOfValue(array.get(), CFRangeMake(0, 7), CFSTR("x")), 5);
  EXPECT_EQ(CFArrayGetFirstIndexOfValue(array.get(), CFRangeMake(2, 3), CFSTR("x")), kCFNotFound);
  EXPECT_EQ(CFArrayGetCountOfValue(array.get(), CFRangeMake(0, 7), CFSTR("b")), 2);

  const void* values[2] = {};
  CFArrayGetValues(array.get(), CFRangeMake(3, 2), values);
  EXPECT_EQ(utf8(values[0]), "c");
  EXPECT_EQ(utf8(values[1]), "a");

  std::string joined;
  CFArrayApplyFunction(
      array.get(), CFRangeMake(0, 3),
      [](const void* value, void* context) { *static_cast<std::string*>(context) += utf8(value); }, &joined);
  EXPECT_EQ(joined, "endxb");

  CFArrayRemoveAllValues(array.get());
  EXPECT_EQ(CFArrayGetCount(array.get()), 0);
}

TEST(CFArray, SortIsStableAndSurvivesAnInconsistentComparator) {
  Array array = mutableArrayOf({"b2", "a1", "b1", "a2", "c1"});
  // Compares only the letter, so the digits show whether equal letters kept their order.
  auto byLetter = [](const void* a, const void* b, void*) -> CFComparisonResult {
    UniChar x = CFStringGetCharacterAtIndex(static_cast<CFStringRef>(a), 0);
    UniChar y = CFStringGetCharacterAtIndex(static_cast<CFStringRef>(b), 0);
    return x < y ? kCFCompareLessThan : x > y ? kCFCompareGreaterThan : kCFCompareEqualTo;
  };
  CFArraySortValues(array.get(), CFRangeMake(0, 5), byLetter, nullptr);
  EXPECT_EQ(texts(array.get()), (std::vector<std::string>{"a1", "a2", "b2", "b1", "c1"}));

  int calls = 0;
  auto random = [](const void*, const void*, void* context) -> CFComparisonResult {
    return ++*static_cast<int*>(context) % 3 - 1;
  };
  CFArraySortValues(array.get(), CFRangeMake(0, 5), random, &calls);
  EXPECT_EQ(CFArrayGetCount(array.get()), 5);
  for (const char* value : {"a1", "a2", "b1", "b2", "c1"}) {
    EXPECT_TRUE(CFArrayContainsValue(array.get(), CFRangeMake(0, 5), make(value).get())) << value;
  }
}

TEST(CFArray, BadIndicesAndImmutableArraysAreReportedNotObeyed) {
  const void* values[] = {CFSTR("only")};
  RefPtr<const __CFArray> fixed = adopt(CFArrayCreate(nullptr, values, 1, &kCFTypeArrayCallBacks));
  CFArrayAppendValue(const_cast<CFMutableArrayRef>(fixed.get()), CFSTR("more"));
  EXPECT_EQ(CFArrayGetCount(fixed.get()), 1);

  Array array = mutableArrayOf({"a"});
  EXPECT_EQ(CFArrayGetValueAtIndex(array.get(), 1), nullptr);
  EXPECT_EQ(CFArrayGetValueAtIndex(array.get(), -1), nullptr);
  CFArrayRemoveValueAtIndex(array.get(), 5);
  CFArrayInsertValueAtIndex(array.get(), 3, CFSTR("b"));
  CFArrayExchangeValuesAtIndices(array.get(), 0, 1);
  const void* out[4] = {};
  CFArrayGetValues(array.get(), CFRangeMake(0, 4), out);
  EXPECT_EQ(out[0], nullptr);
  EXPECT_EQ(texts(array.get()), (std::vector<std::string>{"a"}));
  EXPECT_EQ(CFArrayGetCount(reinterpret_cast<CFArrayRef>(CFSTR("not an array"))), 0);
}

TEST(CFArray, EqualityFollowsTheValues) {
  Array first = mutableArrayOf({"a", "b"}), second = mutableArrayOf({"a", "b"}), third = mutableArrayOf({"b", "a"});
  EXPECT_TRUE(CFEqual(first.get(), second.get()));
  EXPECT_FALSE(CFEqual(first.get(), third.get()));
  String description = adopt(CFCopyDescription(first.get()));
  EXPECT_NE(utf8(description.get()).find("count = 2"), std::string::npos) << utf8(description.get());
}

TEST(CFDictionary, TypeCallBacksFindKeysByValueAndHoldWhatTheyKeep) {
  Dictionary dictionary = adopt(
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
  String key = make("key"), first = make("first"), second = make("second");
  CFDictionarySetValue(dictionary.get(), key.get(), first.get());
  EXPECT_EQ(CFGetRetainCount(key.get()), 2);
  EXPECT_EQ(CFGetRetainCount(first.get()), 2);
  // Another string with the same text is the same key.
  EXPECT_EQ(CFDictionaryGetValue(dictionary.get(), make("key").get()), first.get());

  CFDictionaryAddValue(dictionary.get(), key.get(), second.get());  // present: kept as it is
  EXPECT_EQ(CFDictionaryGetValue(dictionary.get(), key.get()), first.get());
  CFDictionaryReplaceValue(dictionary.get(), make("absent").get(), second.get());  // absent: not added
  EXPECT_EQ(CFDictionaryGetCount(dictionary.get()), 1);
  CFDictionarySetValue(dictionary.get(), key.get(), second.get());
  EXPECT_EQ(CFGetRetainCount(first.get()), 1);
  EXPECT_EQ(CFGetRetainCount(second.get()), 2);
  EXPECT_TRUE(CFDictionaryContainsValue(dictionary.get(), make("second").get()));

  CFDictionaryRemoveValue(dictionary.get(), key.get());
  EXPECT_EQ(CFGetRetainCount(key.get()), 1);
  EXPECT_EQ(CFGetRetainCount(second.get()), 1);
  EXPECT_FALSE(CFDictionaryContainsKey(dictionary.get(), key.get()));
}

TEST(CFDictionary, NullCallBacksKeepPlainPointersByIdentity) {
  Dictionary dictionary = adopt(CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr));
  int a = 0, b = 0;
  CFDictionarySetValue(dictionary.get(), &a, &b);
  CFDictionarySetValue(dictionary.get(), reinterpret_cast<const void*>(7), nullptr);
  EXPECT_EQ(CFDictionaryGetValue(dictionary.get(), &a), &b);
  const void* value = &a;
  EXPECT_TRUE(CFDictionaryGetValueIfPresent(dictionary.get(), reinterpret_cast<const void*>(7), &value));
  EXPECT_EQ(value, nullptr);

  String key = make("k");
  CFDictionarySetValue(dictionary.get(), key.get(), key.get());
  EXPECT_EQ(CFGetRetainCount(key.get()), 1);
  EXPECT_FALSE(CFDictionaryContainsKey(dictionary.get(), make("k").get()));
}

TEST(CFDictionary, CopyStringKeysDoNotFollowLaterChanges) {
  Dictionary dictionary = adopt(
      CFDictionaryCreateMutable(nullptr, 0, &kCFCopyStringDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
  RefPtr<__CFString> key = adopt(CFStringCreateMutableCopy(nullptr, 0, CFSTR("name")));
  CFDictionarySetValue(dictionary.get(), key.get(), kCFBooleanTrue);
  CFStringAppend(key.get(), CFSTR("-changed"));
  EXPECT_EQ(CFDictionaryGetValue(dictionary.get(), CFSTR("name")), kCFBooleanTrue);
  EXPECT_EQ(CFDictionaryGetValue(dictionary.get(), key.get()), nullptr);
}

TEST(CFDictionary, ManyEntriesSurviveRemovalsAndCopies) {
  Dictionary dictionary = adopt(
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
  for (int i = 0; i < 200; ++i) {
    RefPtr<const __CFNumber> number = adopt(CFNumberCreate(nullptr, kCFNumberIntType, &i));
    CFDictionarySetValue(dictionary.get(), number.get(), number.get());
  }
  for (int i = 0; i < 200; i += 2) {
    RefPtr<const __CFNumber> number = adopt(CFNumberCreate(nullptr, kCFNumberIntType, &i));
    CFDictionaryRemoveValue(dictionary.get(), number.get());
  }
  RefPtr<const __CFDictionary> copy = adopt(CFDictionaryCreateCopy(nullptr, dictionary.get()));
  EXPECT_EQ(CFDictionaryGetCount(copy.get()), 100);
  for (int i = 0; i < 200; ++i) {
    double key = i;  // an equal number of another type finds the entry
    RefPtr<const __CFNumber> number = adopt(CFNumberCreate(nullptr, kCFNumberDoubleType, &key));
    EXPECT_EQ(CFDictionaryContainsKey(copy.get(), number.get()), i % 2 == 1) << i;
  }
  EXPECT_TRUE(CFEqual(copy.get(), dictionary.get()));
  CFDictionarySetValue(dictionary.get(), CFSTR("extra"), CFSTR("value"));
  EXPECT_FALSE(CFEqual(copy.get(), dictionary.get()));

  std::vector<const void*> keys(101), values(101);
  CFDictionaryGetKeysAndValues(dictionary.get(), keys.data(), values.data());
  EXPECT_EQ(keys[100], CFSTR("extra"));
  int applied = 0;
  CFDictionaryApplyFunction(
      dictionary.get(), [](const void*, const void*, void* count) { ++*static_cast<int*>(count); }, &applied);
  EXPECT_EQ(applied, 101);
  CFDictionaryRemoveAllValues(dictionary.get());
  EXPECT_EQ(CFDictionaryGetCount(dictionary.get()), 0);
}

TEST(CFDictionary, CreateTakesTheLastOfRepeatedKeysAndIsImmutable) {
  const void* keys[] = {CFSTR("a"), CFSTR("b"), CFSTR("a")};
  const void* values[] = {CFSTR("1"), CFSTR("2"), CFSTR("3")};
  RefPtr<const __CFDictionary> dictionary = adopt(CFDictionaryCreate(
      nullptr, keys, values, 3, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
  EXPECT_EQ(CFDictionaryGetCount(dictionary.get()), 2);
  EXPECT_EQ(utf8(CFDictionaryGetValue(dictionary.get(), CFSTR("a"))), "3");
  CFDictionarySetValue(const_cast<CFMutableDictionaryRef>(dictionary.get()), CFSTR("c"), CFSTR("4"));
  EXPECT_EQ(CFDictionaryGetCount(dictionary.get()), 2);
  Dictionary copy = adopt(CFDictionaryCreateMutableCopy(nullptr, 0, dictionary.get()));
  CFDictionarySetValue(copy.get(), CFSTR("c"), CFSTR("4"));
  EXPECT_EQ(CFDictionaryGetCount(copy.get()), 3);
  EXPECT_EQ(CFDictionaryGetCount(dictionary.get()), 2);
}

TEST(CFSet, HoldsDistinctValues) {
  RefPtr<__CFSet> set = adopt(CFSetCreateMutable(nullptr, 0, &kCFTypeSetCallBacks));
  String one = make("one");
  CFSetAddValue(set.get(), one.get());
  CFSetAddValue(set.get(), make("one").get());
  CFSetAddValue(set.get(), CFSTR("two"));
  EXPECT_EQ(CFSetGetCount(set.get()), 2);
  EXPECT_EQ(CFSetGetValue(set.get(), CFSTR("one")), one.get());
  EXPECT_EQ(CFGetRetainCount(one.get()), 2);
  CFSetRemoveValue(set.get(), CFSTR("one"));
  EXPECT_EQ(CFGetRetainCount(one.get()), 1);
  EXPECT_FALSE(CFSetContainsValue(set.get(), one.get()));
  int applied = 0;
  CFSetApplyFunction(set.get(), [](const void*, void* count) { ++*static_cast<int*>(count); }, &applied);
  EXPECT_EQ(applied, 1);
}

TEST(CFBag, CountsEachOccurrence) {
  RefPtr<__CFBag> bag = adopt(CFBagCreateMutable(nullptr, 0, &kCFTypeBagCallBacks));
  String value = make("v");
  CFBagAddValue(bag.get(), value.get());
  CFBagAddValue(bag.get(), make("v").get());
  CFBagAddValue(bag.get(), CFSTR("w"));
  EXPECT_EQ(CFBagGetCount(bag.get()), 3);
  EXPECT_EQ(CFBagGetCountOfValue(bag.get(), CFSTR("v")), 2);
  int applied = 0;
  CFBagApplyFunction(bag.get(), [](const void*, void* count) { ++*static_cast<int*>(count); }, &applied);
  EXPECT_EQ(applied, 3);
  CFBagRemoveValue(bag.get(), CFSTR("v"));
  EXPECT_TRUE(CFBagContainsValue(bag.get(), CFSTR("v")));
  CFBagRemoveValue(bag.get(), CFSTR("v"));
  EXPECT_FALSE(CFBagContainsValue(bag.get(), CFSTR("v")));
  EXPECT_EQ(CFGetRetainCount(value.get()), 1);
}

std::string bytesOf(CFDataRef data) {
  return std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(data)), static_cast<size_t>(CFDataGetLength(data)));
}

TEST(CFData, MutableDataEdits) {
  RefPtr<__CFData> data = adopt(CFDataCreateMutable(nullptr, 0));
  CFDataAppendBytes(data.get(), reinterpret_cast<const UInt8*>("hello"), 5);
  CFDataAppendBytes(data.get(), CFDataGetBytePtr(data.get()), 5);  // its own bytes
  EXPECT_EQ(bytesOf(data.get()), "hellohello");
  CFDataReplaceBytes(data.get(), CFRangeMake(1, 4), reinterpret_cast<const UInt8*>("EY"), 2);
  EXPECT_EQ(bytesOf(data.get()), "hEYhello");
  CFDataDeleteBytes(data.get(), CFRangeMake(0, 3));
  EXPECT_EQ(bytesOf(data.get()), "hello");
  CFDataIncreaseLength(data.get(), 2);
  EXPECT_EQ(bytesOf(data.get()), std::string("hello\0\0", 7));
  CFDataSetLength(data.get(), 2);
  EXPECT_EQ(bytesOf(data.get()), "he");
  CFDataGetMutableBytePtr(data.get())[0] = 'H';
  UInt8 out[2] = {};
  CFDataGetBytes(data.get(), CFRangeMake(0, 2), out);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 2), "He");

  // Out of range: reported, nothing changes and nothing is read past the end.
  CFDataReplaceBytes(data.get(), CFRangeMake(1, 5), reinterpret_cast<const UInt8*>("x"), 1);
  UInt8 guard[4] = {'g', 'g', 'g', 'g'};
  CFDataGetBytes(data.get(), CFRangeMake(1, 4), guard);
  EXPECT_EQ(bytesOf(data.get()), "He");
  EXPECT_EQ(guard[0], 'g');
  CFDataSetLength(data.get(), -1);
  EXPECT_EQ(CFDataGetLength(data.get()), 2);
}

TEST(CFData, CopiesAndBorrowedBytes) {
  RefPtr<const __CFData> data = adopt(CFDataCreate(nullptr, reinterpret_cast<const UInt8*>("abc"), 3));
  UInt8 bytes[] = {'a', 'b', 'c'};
  RefPtr<const __CFData> borrowed = adopt(CFDataCreateWithBytesNoCopy(nullptr, bytes, 3, kCFAllocatorNull));
  EXPECT_EQ(CFDataGetBytePtr(borrowed.get()), bytes);
  EXPECT_TRUE(CFEqual(data.get(), borrowed.get()));
  EXPECT_EQ(CFHash(data.get()), CFHash(borrowed.get()));

  auto* owned = static_cast<UInt8*>(std::malloc(3));
  std::memcpy(owned, "xyz", 3);
  RefPtr<const __CFData> adopted = adopt(CFDataCreateWithBytesNoCopy(nullptr, owned, 3, kCFAllocatorDefault));
  RefPtr<__CFData> copy = adopt(CFDataCreateMutableCopy(nullptr, 0, adopted.get()));
  CFDataAppendBytes(copy.get(), reinterpret_cast<const UInt8*>("!"), 1);
  EXPECT_EQ(bytesOf(copy.get()), "xyz!");
  EXPECT_EQ(bytesOf(adopted.get()), "xyz");
  // Immutable data refuses edits.
  CFDataAppendBytes(const_cast<CFMutableDataRef>(data.get()), bytes, 1);
  EXPECT_EQ(CFDataGetMutableBytePtr(const_cast<CFMutableDataRef>(data.get())), nullptr);
  EXPECT_EQ(bytesOf(data.get()), "abc");
}

}  // namespace
