// The window-list queries over windows this process registers (no X server) and over window
// dictionaries made by hand.
#include "UCoreCGWindowList.h"

#include <CoreFoundation/CFNumber.h>
#include <CoreGraphics/CGWindowRegistry.h>
#include <gtest/gtest.h>
#include <objc/RefPtr.h>

#include <cstdlib>
#include <functional>
#include <vector>

namespace {

using Dictionary = RefPtr<__CFDictionary>;

Dictionary newWindow() {
  return adopt(CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                         &kCFTypeDictionaryValueCallBacks));
}

template <class T>
void setNumber(const Dictionary& window, CFStringRef key, CFNumberType type, T value) {
  auto number = adopt(CFNumberCreate(nullptr, type, &value));
  CFDictionarySetValue(window.get(), key, number.get());
}

class UCoreCGWindowList : public testing::Test {
 protected:
  void SetUp() override { unsetenv("DISPLAY"); }
  void TearDown() override {
    for (CGWindowID id : mWindows) CGWindowRegistryRemoveWindow(id);
  }

  CGWindowID add(const char* name) {
    CGWindowRegistryWindow window;
    if (name) window.name = name;
    window.onScreen = true;
    CGWindowID id = CGWindowRegistryAddWindow(window);
    mWindows.push_back(id);
    return id;
  }

  std::vector<CGWindowID> mWindows;
};

TEST_F(UCoreCGWindowList, WalkCountsTheWindowThatStoppedIt) {
  for (int i = 0; i < 5; ++i) add("window");
  std::vector<CFIndex> indexes;
  CFIndex visited =
      UCoreCGWindowList_EnumWindowsWithOptions(kCGWindowListOptionAll, [&](CFIndex index, CFDictionaryRef) {
        indexes.push_back(index);
        return index < 2;
      });
  EXPECT_EQ(visited, 3);
  EXPECT_EQ(indexes, (std::vector<CFIndex>{0, 1, 2}));

  EXPECT_EQ(UCoreCGWindowList_EnumWindowsWithOptions(kCGWindowListOptionAll,
                                                     [](CFIndex, CFDictionaryRef) { return true; }),
            5);
}

TEST_F(UCoreCGWindowList, FindsWindowsByExactName) {
  CGWindowID first = add("Moxicam:30100.NSWindow");
  add("moxicam:30100.NSWindow");
  CGWindowID untitled = add(nullptr);
  CGWindowID second = add("Moxicam:30100.NSWindow");

  struct Visit {
    CFIndex index;
    UInt64 id;
  };
  auto find = [](CFStringRef name, CFIndex stopAfter, std::vector<Visit>& visits) {
    return UCoreCGWindowList_FindWindowNameWithOptions(
        name, kCGWindowListOptionAll, [&](CFIndex index, CFDictionaryRef window) {
          visits.push_back({index, UCoreCGWindowInfo_GetWindowID(window)});
          return CFIndex(visits.size()) < stopAfter;
        });
  };

  std::vector<Visit> visits;
  EXPECT_EQ(find(CFSTR("Moxicam:30100.NSWindow"), 10, visits), 2);
  ASSERT_EQ(visits.size(), 2u);
  EXPECT_EQ(visits[0].index, 0);
  EXPECT_EQ(visits[0].id, second);
  EXPECT_EQ(visits[1].index, 1);
  EXPECT_EQ(visits[1].id, first);

  visits.clear();
  EXPECT_EQ(find(CFSTR("Moxicam:30100.NSWindow"), 1, visits), 1) << "the walk stops at the callback's word";

  visits.clear();
  EXPECT_EQ(find(CFSTR(""), 10, visits), 1) << "only the window without a name has the empty name";
  ASSERT_EQ(visits.size(), 1u);
  EXPECT_EQ(visits[0].id, untitled);

  visits.clear();
  EXPECT_EQ(find(CFSTR("MOXICAM:30100.NSWindow"), 10, visits), 0);
  EXPECT_EQ(find(nullptr, 10, visits), 0);
}

TEST(UCoreCGWindowInfo, NumbersOfAnyWidthAreReadAsSixtyFourBits) {
  struct Case {
    const char* name;
    std::function<void(const Dictionary&)> store;
    UInt64 expected;
  };
  const Case cases[] = {
      {"SInt8", [](const Dictionary& w) { setNumber<SInt8>(w, kCGWindowNumber, kCFNumberSInt8Type, 42); },
       42},
      {"SInt32",
       [](const Dictionary& w) { setNumber<SInt32>(w, kCGWindowNumber, kCFNumberSInt32Type, 4000000); },
       4000000},
      {"SInt64",
       [](const Dictionary& w) { setNumber<SInt64>(w, kCGWindowNumber, kCFNumberSInt64Type, 1LL << 40); },
       1ULL << 40},
      {"Float64",
       [](const Dictionary& w) { setNumber<double>(w, kCGWindowNumber, kCFNumberFloat64Type, 17.0); }, 17},
      {"Text", [](const Dictionary& w) { CFDictionarySetValue(w.get(), kCGWindowNumber, CFSTR("17")); }, 0},
      {"Boolean", [](const Dictionary& w) { CFDictionarySetValue(w.get(), kCGWindowNumber, kCFBooleanTrue); },
       0},
      {"Absent", [](const Dictionary&) {}, 0},
  };
  for (const Case& c : cases) {
    Dictionary window = newWindow();
    c.store(window);
    EXPECT_EQ(UCoreCGWindowInfo_GetWindowID(window.get()), c.expected) << c.name;
  }

  Dictionary window = newWindow();
  setNumber<SInt32>(window, kCGWindowLayer, kCFNumberSInt32Type, -20);
  EXPECT_EQ(UCoreCGWindowInfo_GetWindowLevel(window.get()), -20);
  EXPECT_EQ(int64_ForKey(window.get(), kCGWindowOwnerPID, 77), 77);
  EXPECT_EQ(uint64_ForKey(window.get(), kCGWindowOwnerPID, 78), 78u);
}

TEST(UCoreCGWindowInfo, NamesCompareExactlyAndMissingValuesGiveDefaults) {
  Dictionary window = newWindow();
  CFDictionarySetValue(window.get(), kCGWindowOwnerName, CFSTR("Moxicam"));
  CFDictionarySetValue(window.get(), kCGWindowName, CFSTR("Preview"));
  SInt32 five = 5;
  auto notText = adopt(CFNumberCreate(nullptr, kCFNumberSInt32Type, &five));

  EXPECT_TRUE(UCoreCGWindowInfo_HasWindowOwnerName(window.get(), CFSTR("Moxicam")));
  EXPECT_FALSE(UCoreCGWindowInfo_HasWindowOwnerName(window.get(), CFSTR("moxicam")));
  EXPECT_FALSE(UCoreCGWindowInfo_HasWindowOwnerName(window.get(), nullptr));
  EXPECT_TRUE(UCoreCGWindowInfo_HasWindowName(window.get(), CFSTR("Preview")));
  EXPECT_FALSE(UCoreCGWindowInfo_HasWindowName(window.get(), CFSTR("Preview ")));
  EXPECT_TRUE(CFEqual(UCoreCGWindowInfo_GetWindowOwnerName(window.get()), CFSTR("Moxicam")));

  Dictionary odd = newWindow();
  CFDictionarySetValue(odd.get(), kCGWindowOwnerName, notText.get());
  CFDictionarySetValue(odd.get(), kCGWindowIsOnscreen, kCFBooleanFalse);
  EXPECT_TRUE(CFEqual(UCoreCGWindowInfo_GetWindowOwnerName(odd.get()), CFSTR("")));
  EXPECT_FALSE(UCoreCGWindowInfo_HasWindowOwnerName(odd.get(), CFSTR("")));
  EXPECT_FALSE(UCoreCGWindowInfo_HasWindowName(odd.get(), CFSTR("")));
  EXPECT_FALSE(boolean_ForKey(odd.get(), kCGWindowIsOnscreen));
  CFDictionarySetValue(odd.get(), kCGWindowIsOnscreen, notText.get());
  EXPECT_FALSE(boolean_ForKey(odd.get(), kCGWindowIsOnscreen)) << "only the true boolean is true";
  CFDictionarySetValue(odd.get(), kCGWindowIsOnscreen, kCFBooleanTrue);
  EXPECT_TRUE(boolean_ForKey(odd.get(), kCGWindowIsOnscreen));

  // Neither a null window nor an object that is not a dictionary is read.
  for (CFDictionaryRef nothing :
       {static_cast<CFDictionaryRef>(nullptr), reinterpret_cast<CFDictionaryRef>(CFSTR("x"))}) {
    EXPECT_EQ(UCoreCGWindowInfo_GetWindowID(nothing), 0u);
    EXPECT_EQ(UCoreCGWindowInfo_GetWindowLevel(nothing), 0);
    EXPECT_TRUE(CFEqual(UCoreCGWindowInfo_GetWindowOwnerName(nothing), CFSTR("")));
    EXPECT_FALSE(UCoreCGWindowInfo_HasWindowName(nothing, CFSTR("")));
    EXPECT_TRUE(CGRectEqualToRect(UCoreCGWindowInfo_GetWindowBounds(nothing), CGRectZero));
  }
}

TEST(UCoreCGWindowInfo, BoundsComeFromTheBoundsDictionary) {
  Dictionary window = newWindow();
  auto bounds = adopt(CGRectCreateDictionaryRepresentation(CGRectMake(10, 20, 300, 400)));
  CFDictionarySetValue(window.get(), kCGWindowBounds, bounds.get());
  EXPECT_TRUE(
      CGRectEqualToRect(UCoreCGWindowInfo_GetWindowBounds(window.get()), CGRectMake(10, 20, 300, 400)));

  CFDictionarySetValue(window.get(), kCGWindowBounds, CFSTR("{10, 20, 300, 400}"));
  EXPECT_TRUE(CGRectEqualToRect(UCoreCGWindowInfo_GetWindowBounds(window.get()), CGRectZero));
  Dictionary incomplete = newWindow();
  setNumber<double>(incomplete, CFSTR("X"), kCFNumberFloat64Type, 1.0);
  CFDictionarySetValue(window.get(), kCGWindowBounds, incomplete.get());
  EXPECT_TRUE(CGRectEqualToRect(UCoreCGWindowInfo_GetWindowBounds(window.get()), CGRectZero));
}

}  // namespace
