// The reporting window accessors: values of any number width, defaults for what is missing
// or of the wrong type.
#include "../UQuartzWindowInfo.h"

#include <gtest/gtest.h>

#include "FakeWindowList.h"

namespace {

RefPtr<__CFDictionary> window() {
  return adopt(
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
}

template <class Value>
void put(CFMutableDictionaryRef entry, CFStringRef key, CFNumberType type, Value value) {
  auto number = adopt(CFNumberCreate(nullptr, type, &value));
  CFDictionarySetValue(entry, key, number.get());
}

TEST(UQuartzWindowInfo, NumbersOfEveryWidthAreRead) {
  struct Case {
    CFNumberType type;
    SInt64 value;
  };
  for (Case c : {Case{kCFNumberSInt8Type, 7}, Case{kCFNumberSInt16Type, -300}, Case{kCFNumberSInt32Type, 70000},
                 Case{kCFNumberSInt64Type, 0x1234567890}}) {
    auto entry = window();
    switch (c.type) {
      case kCFNumberSInt8Type: put(entry.get(), kCGWindowLayer, c.type, SInt8(c.value)); break;
      case kCFNumberSInt16Type: put(entry.get(), kCGWindowLayer, c.type, SInt16(c.value)); break;
      case kCFNumberSInt32Type: put(entry.get(), kCGWindowLayer, c.type, SInt32(c.value)); break;
      default: put(entry.get(), kCGWindowLayer, c.type, c.value); break;
    }
    EXPECT_EQ(UQuartzWindowInfo_GetWindowLevel(entry.get()), c.value);
  }
}

TEST(UQuartzWindowInfo, MissingOrWrongValuesGiveTheDefaults) {
  auto entry = window();
  CFDictionarySetValue(entry.get(), kCGWindowNumber, CFSTR("12"));
  CFDictionarySetValue(entry.get(), kCGWindowOwnerName, kCFBooleanTrue);
  CFDictionarySetValue(entry.get(), kCGWindowIsOnscreen, CFSTR("yes"));
  CFDictionarySetValue(entry.get(), kCGWindowBounds, CFSTR("0 0 10 10"));
  EXPECT_EQ(UQuartzWindowInfo_GetWindowID(entry.get()), 0u);
  EXPECT_EQ(UQuartzWindowInfo_GetSharingState(entry.get()), 0);
  EXPECT_EQ(UQuartzWindowInfo_GetWindowOwnerPID(entry.get()), 0);
  EXPECT_FALSE(UQuartzWindowInfo_GetIsOnscreen(entry.get()));
  EXPECT_EQ(CFStringGetLength(UQuartzWindowInfo_GetWindowOwnerName(entry.get())), 0);
  EXPECT_EQ(CFStringGetLength(UQuartzWindowInfo_GetWindowName(nullptr)), 0);
  EXPECT_TRUE(CGRectEqualToRect(UQuartzWindowInfo_GetWindowBounds(entry.get()), CGRectZero));
  EXPECT_FALSE(UQuartzWindowInfo_HasWindowOwnerName(entry.get(), nullptr));
}

TEST(UQuartzWindowInfo, NamesCompareExactly) {
  auto entry = window();
  CFDictionarySetValue(entry.get(), kCGWindowOwnerName, CFSTR("Sketch Pad"));
  auto bounds = adopt(CGRectCreateDictionaryRepresentation(CGRectMake(1, 2, 3, 4)));
  CFDictionarySetValue(entry.get(), kCGWindowBounds, bounds.get());
  EXPECT_TRUE(UQuartzWindowInfo_HasWindowOwnerName(entry.get(), CFSTR("Sketch Pad")));
  EXPECT_FALSE(UQuartzWindowInfo_HasWindowOwnerName(entry.get(), CFSTR("sketch pad")));
  EXPECT_FALSE(UQuartzWindowInfo_HasWindowName(entry.get(), CFSTR("")));
  EXPECT_TRUE(CGRectEqualToRect(UQuartzWindowInfo_GetWindowBounds(entry.get()), CGRectMake(1, 2, 3, 4)));
}

TEST(UQuartzWindowList, AWalkStopsWhereTheCallbackSays) {
  moxicam::test::FakeWindowList list;
  list.set({{1, "A"}, {2, "B"}, {3, "C"}, {4, "D"}});
  std::vector<UInt64> seen;
  CFIndex visited = UQuartzWindowList_EnumWindowsWithOptions(kCGWindowListOptionAll, [&](CFIndex index, CFDictionaryRef w) {
    seen.push_back(UQuartzWindowInfo_GetWindowID(w));
    return index < 2;
  });
  EXPECT_EQ(visited, 3);
  EXPECT_EQ(seen, (std::vector<UInt64>{1, 2, 3}));
}

}  // namespace
