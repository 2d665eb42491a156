// The window list without an X server: the windows this process registered, in their order,
// selected by the list options.
#include <CoreFoundation/CFNumber.h>
#include <CoreGraphics/CGWindow.h>
#include <CoreGraphics/CGWindowRegistry.h>
#include <gtest/gtest.h>
#include <objc/RefPtr.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string utf8(CFTypeRef value) {
  if (!value || CFGetTypeID(value) != CFStringGetTypeID()) return "<none>";
  auto string = static_cast<CFStringRef>(value);
  CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), kCFStringEncodingUTF8) + 1;
  std::string buffer(size_t(size), '\0');
  CFStringGetCString(string, buffer.data(), size, kCFStringEncodingUTF8);
  buffer.resize(std::strlen(buffer.c_str()));
  return buffer;
}

SInt64 number(CFDictionaryRef window, CFStringRef key) {
  auto value = static_cast<CFNumberRef>(CFDictionaryGetValue(window, key));
  SInt64 result = -1;
  if (value) CFNumberGetValue(value, kCFNumberSInt64Type, &result);
  return result;
}

CGWindowRegistryWindow window(const char* name, bool onScreen, CGRect bounds = CGRectMake(0, 0, 10, 10)) {
  CGWindowRegistryWindow description;
  if (name) description.name = name;
  description.onScreen = onScreen;
  description.bounds = bounds;
  return description;
}

class CGWindowListWithoutDisplay : public testing::Test {
 protected:
  void SetUp() override { unsetenv("DISPLAY"); }
  void TearDown() override {
    for (CGWindowID id : mWindows) CGWindowRegistryRemoveWindow(id);
  }

  CGWindowID add(const CGWindowRegistryWindow& description) {
    CGWindowID id = CGWindowRegistryAddWindow(description);
    mWindows.push_back(id);
    return id;
  }

  static std::vector<CGWindowID> ids(CGWindowListOption option, CGWindowID relative) {
    std::vector<CGWindowID> result;
    auto list = adopt(CGWindowListCopyWindowInfo(option, relative));
    EXPECT_TRUE(list);
    for (CFIndex i = 0; list && i < CFArrayGetCount(list.get()); ++i) {
      result.push_back(CGWindowID(
          number(static_cast<CFDictionaryRef>(CFArrayGetValueAtIndex(list.get(), i)), kCGWindowNumber)));
    }
    return result;
  }

  std::vector<CGWindowID> mWindows;
};

TEST_F(CGWindowListWithoutDisplay, DescribesEachWindowWithTheKeysOfTheList) {
  CGWindowID named = add(window("Moxicam:30100.NSWindow", true, CGRectMake(12, 34, 560, 78)));
  CGWindowID untitled = add(window(nullptr, false));

  auto list = adopt(CGWindowListCopyWindowInfo(kCGWindowListOptionAll, kCGNullWindowID));
  ASSERT_EQ(CFArrayGetCount(list.get()), 2);
  auto front = static_cast<CFDictionaryRef>(CFArrayGetValueAtIndex(list.get(), 0));
  auto back = static_cast<CFDictionaryRef>(CFArrayGetValueAtIndex(list.get(), 1));

  EXPECT_EQ(number(front, kCGWindowNumber), SInt64(untitled));
  EXPECT_FALSE(CFDictionaryContainsKey(front, kCGWindowName)) << "a window without a title has no name";
  EXPECT_EQ(CFDictionaryGetValue(front, kCGWindowIsOnscreen), kCFBooleanFalse);

  EXPECT_EQ(number(back, kCGWindowNumber), SInt64(named));
  EXPECT_EQ(utf8(CFDictionaryGetValue(back, kCGWindowName)), "Moxicam:30100.NSWindow");
  EXPECT_EQ(CFDictionaryGetValue(back, kCGWindowIsOnscreen), kCFBooleanTrue);
  EXPECT_EQ(number(back, kCGWindowOwnerPID), SInt64(getpid()));
  std::ifstream comm("/proc/self/comm");
  std::string shortName;
  std::getline(comm, shortName);
  EXPECT_EQ(utf8(CFDictionaryGetValue(back, kCGWindowOwnerName)).substr(0, shortName.size()), shortName);
  EXPECT_EQ(number(back, kCGWindowLayer), 0);
  EXPECT_EQ(number(back, kCGWindowSharingState), kCGWindowSharingReadOnly);
  EXPECT_EQ(number(back, kCGWindowStoreType), kCGBackingStoreBuffered);
  EXPECT_EQ(number(back, kCGWindowMemoryUsage), 560 * 78 * 4);
  EXPECT_EQ(number(back, kCGWindowAlpha), 1);

  CGRect bounds{};
  ASSERT_TRUE(CGRectMakeWithDictionaryRepresentation(
      static_cast<CFDictionaryRef>(CFDictionaryGetValue(back, kCGWindowBounds)), &bounds));
  EXPECT_TRUE(CGRectEqualToRect(bounds, CGRectMake(12, 34, 560, 78)));
}

TEST_F(CGWindowListWithoutDisplay, OptionsSelectByVisibilityAndStacking) {
  CGWindowID back = add(window("back", true));
  CGWindowID hidden = add(window("hidden", false));
  CGWindowID middle = add(window("middle", true));
  CGWindowID front = add(window("front", true));
  const CGWindowID unknown = 0xFFFFFF00u;

  struct Case {
    CGWindowListOption option;
    CGWindowID relative;
    std::vector<CGWindowID> expected;
  };
  const Case cases[] = {
      {kCGWindowListOptionAll, kCGNullWindowID, {front, middle, hidden, back}},
      {kCGWindowListOptionOnScreenOnly, kCGNullWindowID, {front, middle, back}},
      {kCGWindowListOptionOnScreenAboveWindow, middle, {front}},
      {kCGWindowListOptionOnScreenAboveWindow | kCGWindowListOptionIncludingWindow, middle, {front, middle}},
      {kCGWindowListOptionOnScreenBelowWindow, front, {middle, back}},
      {kCGWindowListOptionOnScreenBelowWindow, kCGNullWindowID, {front, middle, back}},
      {kCGWindowListOptionIncludingWindow, hidden, {hidden}},
      {kCGWindowListOptionIncludingWindow, kCGNullWindowID, {}},
      {kCGWindowListOptionOnScreenAboveWindow, unknown, {}},
      {kCGWindowListOptionIncludingWindow, unknown, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ids(c.option, c.relative), c.expected) << "option " << c.option << " relative " << c.relative;
  }
}

TEST_F(CGWindowListWithoutDisplay, RegisteredWindowsChangeOrderAndGo) {
  CGWindowID first = add(window("first", true));
  CGWindowID second = add(window("second", true));
  EXPECT_EQ(ids(kCGWindowListOptionAll, kCGNullWindowID), (std::vector<CGWindowID>{second, first}));

  EXPECT_TRUE(CGWindowRegistryOrderFront(first));
  EXPECT_EQ(ids(kCGWindowListOptionAll, kCGNullWindowID), (std::vector<CGWindowID>{first, second}));

  EXPECT_TRUE(CGWindowRegistryUpdateWindow(second, window("second", false)));
  EXPECT_EQ(ids(kCGWindowListOptionOnScreenOnly, kCGNullWindowID), (std::vector<CGWindowID>{first}));

  CGWindowRegistryRemoveWindow(first);
  EXPECT_EQ(ids(kCGWindowListOptionAll, kCGNullWindowID), (std::vector<CGWindowID>{second}));
  EXPECT_FALSE(CGWindowRegistryOrderFront(first));
  EXPECT_FALSE(CGWindowRegistryUpdateWindow(first, window("first", true)));
}

TEST(CGRectDictionaryRepresentation, RoundTripsAndRefusesIncompleteDictionaries) {
  const CGRect rect = CGRectMake(-5.5, 7, 640, 480.25);
  auto dictionary = adopt(CGRectCreateDictionaryRepresentation(rect));
  CGRect read{};
  ASSERT_TRUE(CGRectMakeWithDictionaryRepresentation(dictionary.get(), &read));
  EXPECT_TRUE(CGRectEqualToRect(read, rect));

  auto partial = adopt(CFDictionaryCreateMutableCopy(nullptr, 0, dictionary.get()));
  CFDictionaryRemoveValue(partial.get(), CFSTR("Height"));
  CGRect untouched = CGRectMake(1, 2, 3, 4);
  EXPECT_FALSE(CGRectMakeWithDictionaryRepresentation(partial.get(), &untouched));
  EXPECT_TRUE(CGRectEqualToRect(untouched, CGRectMake(1, 2, 3, 4)));
  CFDictionarySetValue(partial.get(), CFSTR("Height"), CFSTR("480"));
  EXPECT_FALSE(CGRectMakeWithDictionaryRepresentation(partial.get(), &untouched)) << "a text is not a number";
  EXPECT_FALSE(CGRectMakeWithDictionaryRepresentation(nullptr, &untouched));
}

}  // namespace
