#include <CoreFoundation/CFBase.h>

#include <gtest/gtest.h>

#include <string>

#include <CoreFoundation/CFString.h>
#include <objc/RefPtr.h>

namespace {

std::string utf8(CFStringRef string) {
  char buffer[256];
  return string && CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8) ? buffer : "<none>";
}

TEST(CFBase, RetainReleaseAndAutoreleaseShareOneCount) {
  CFStringRef string = CFStringCreateWithCString(nullptr, "counted", kCFStringEncodingUTF8);
  EXPECT_EQ(CFGetRetainCount(string), 1);
  EXPECT_EQ(CFRetain(string), string);
  EXPECT_EQ(CFGetRetainCount(string), 2);
  {
    objc::AutoreleasePool pool;
    CFRetain(string);
    EXPECT_EQ(CFAutorelease(string), string);
    EXPECT_EQ(CFGetRetainCount(string), 3);
  }
  EXPECT_EQ(CFGetRetainCount(string), 2);
  CFRelease(string);
  EXPECT_EQ(CFGetRetainCount(string), 1);
  EXPECT_EQ(CFMakeCollectable(string), string);
  CFRelease(string);
}

TEST(CFBase, TypeIdsAndTheirNames) {
  CFTypeID stringType = CFGetTypeID(CFSTR("x"));
  EXPECT_EQ(stringType, CFStringGetTypeID());
  EXPECT_EQ(utf8(adopt(CFCopyTypeIDDescription(stringType)).get()), "CFString");
  EXPECT_EQ(utf8(adopt(CFCopyTypeIDDescription(CFNullGetTypeID())).get()), "CFNull");
  EXPECT_NE(CFNullGetTypeID(), stringType);
  EXPECT_EQ(CFGetTypeID(kCFNull), CFNullGetTypeID());
  EXPECT_EQ(CFCopyTypeIDDescription(0), nullptr);
  EXPECT_EQ(CFCopyTypeIDDescription(1u << 30), nullptr);
}

TEST(CFBase, DescriptionsOfStringsAndOtherObjects) {
  // An immutable string describes itself as itself; a mutable one as a snapshot.
  CFStringRef constant = CFSTR("described");
  RefPtr<const __CFString> same = adopt(CFCopyDescription(constant));
  EXPECT_EQ(same.get(), constant);
  RefPtr<__CFString> changing = adopt(CFStringCreateMutableCopy(nullptr, 0, constant));
  RefPtr<const __CFString> snapshot = adopt(CFCopyDescription(changing.get()));
  CFStringAppend(changing.get(), CFSTR("!"));
  EXPECT_EQ(utf8(snapshot.get()), "described");

  RefPtr<NSObject> plain = adopt(NSObject::alloc()->init());
  std::string text = utf8(adopt(CFCopyDescription(plain.get())).get());
  EXPECT_EQ(text.rfind("<NSObject: 0x", 0), 0u) << text;
  EXPECT_EQ(utf8(adopt(CFCopyDescription(kCFNull)).get()), "<CFNull>");
  EXPECT_EQ(CFCopyDescription(nullptr), nullptr);
}

TEST(CFBase, EqualityAndHashTolerateNull) {
  EXPECT_TRUE(CFEqual(nullptr, nullptr));
  EXPECT_FALSE(CFEqual(CFSTR("a"), nullptr));
  EXPECT_FALSE(CFEqual(nullptr, CFSTR("a")));
  EXPECT_TRUE(CFEqual(kCFNull, kCFNull));
  EXPECT_EQ(CFHash(nullptr), 0u);
  EXPECT_EQ(CFGetTypeID(nullptr), 0u);
  EXPECT_EQ(CFGetRetainCount(nullptr), 0);
}

TEST(CFBase, SingletonsAreImmortalAndDistinct) {
  EXPECT_EQ(kCFAllocatorDefault, nullptr);
  EXPECT_NE(kCFAllocatorNull, nullptr);
  EXPECT_NE(kCFAllocatorNull, kCFAllocatorMalloc);
  EXPECT_NE(kCFAllocatorNull, kCFAllocatorSystemDefault);
  for (int i = 0; i < 5; ++i) CFRelease(kCFNull);
  EXPECT_GT(CFGetRetainCount(kCFNull), 0);
  EXPECT_EQ(CFGetTypeID(kCFNull), CFNullGetTypeID());
}

}  // namespace
