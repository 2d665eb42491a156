#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSData.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSError.h>
#include <Foundation/NSIndexSet.h>
#include <Foundation/NSNull.h>
#include <Foundation/NSSet.h>
#include <Foundation/NSString.h>
#include <Foundation/NSURL.h>
#include <Foundation/NSValue.h>
#include <gtest/gtest.h>

namespace {

TEST(NSBridging, GivesCoreFoundationObjectsTheirFoundationClasses) {
  objc::AutoreleasePool pool;
  const struct {
    NSObject* object;
    Class cls;
  } cases[] = {
      {NSSTR("text"), NSString::class_()},
      {NSNumber::numberWithInt(1), NSNumber::class_()},
      {NSNumber::numberWithBool(true), NSNumber::class_()},
      {NSData::data(), NSMutableData::class_()},
      {NSDate::date(), NSDate::class_()},
      {NSArray::array(), NSMutableArray::class_()},
      {NSDictionary::dictionary(), NSMutableDictionary::class_()},
      {NSSet::set(), NSMutableSet::class_()},
      {NSURL::URLWithString(NSSTR("http://a/")), NSURL::class_()},
      {NSNull::null(), NSNull::class_()},
      {NSError::errorWithDomain_code_userInfo(NSCocoaErrorDomain, 1, nullptr), NSError::class_()},
      {NSIndexSet::indexSet(), NSIndexSet::class_()},
  };
  for (const auto& item : cases) {
    EXPECT_EQ(NSObjectGetClass(item.object), item.cls) << class_getName(item.cls);
    EXPECT_TRUE(item.object->isKindOfClass(item.cls)) << class_getName(item.cls);
    EXPECT_TRUE(NSObjectIsKindOfClass(item.object, NSObject::class_()));
  }
  EXPECT_EQ(NSObjectGetClass(nullptr), nullptr);
  EXPECT_FALSE(NSObjectIsKindOfClass(nullptr, NSObject::class_()));
}

// Whatever made it, a CoreFoundation object is an instance of its Foundation class in C++ too,
// so that calling a Foundation method on it is well defined (a vptr-checking build verifies
// every such call).
template <class T>
bool isInstanceInCpp(const NSObject* object) {
  return dynamic_cast<const T*>(object) != nullptr;
}

TEST(NSBridging, CoreFoundationObjectsAreTheirFoundationClassesInCpp) {
  const double seconds = 1.5;
  const int number = 7;
  const void* values[] = {CFSTR("value")};
  const UInt8 bytes[] = {1, 2, 3};
  const struct {
    const char* name;
    RefPtr<NSObject> object;
    bool (*isInstance)(const NSObject*);
  } cases[] = {
      {"constant string", RefPtr<NSObject>(bridge_cast<NSObject*>(CFSTR("constant"))), isInstanceInCpp<NSMutableString>},
      {"string", adopt(bridge_cast<NSObject*>(CFStringCreateWithCString(nullptr, "made", kCFStringEncodingUTF8))),
       isInstanceInCpp<NSMutableString>},
      {"mutable string", adopt(bridge_cast<NSObject*>(CFStringCreateMutable(nullptr, 0))),
       isInstanceInCpp<NSMutableString>},
      {"array", adopt(bridge_cast<NSObject*>(CFArrayCreate(nullptr, values, 1, &kCFTypeArrayCallBacks))),
       isInstanceInCpp<NSMutableArray>},
      {"dictionary",
       adopt(bridge_cast<NSObject*>(CFDictionaryCreate(nullptr, values, values, 1, &kCFTypeDictionaryKeyCallBacks,
                                                       &kCFTypeDictionaryValueCallBacks))),
       isInstanceInCpp<NSMutableDictionary>},
      {"set", adopt(bridge_cast<NSObject*>(CFSetCreate(nullptr, values, 1, &kCFTypeSetCallBacks))),
       isInstanceInCpp<NSMutableSet>},
      {"data", adopt(bridge_cast<NSObject*>(CFDataCreate(nullptr, bytes, sizeof bytes))),
       isInstanceInCpp<NSMutableData>},
      {"number", adopt(bridge_cast<NSObject*>(CFNumberCreate(nullptr, kCFNumberIntType, &number))),
       isInstanceInCpp<NSNumber>},
      {"boolean", RefPtr<NSObject>(bridge_cast<NSObject*>(kCFBooleanTrue)), isInstanceInCpp<NSNumber>},
      {"date", adopt(bridge_cast<NSObject*>(CFDateCreate(nullptr, seconds))), isInstanceInCpp<NSDate>},
      {"URL", adopt(bridge_cast<NSObject*>(CFURLCreateWithString(nullptr, CFSTR("http://a/b"), nullptr))),
       isInstanceInCpp<NSURL>},
      {"error", adopt(bridge_cast<NSObject*>(CFErrorCreate(nullptr, kCFErrorDomainPOSIX, 2, nullptr))),
       isInstanceInCpp<NSError>},
      {"null", RefPtr<NSObject>(bridge_cast<NSObject*>(kCFNull)), isInstanceInCpp<NSNull>},
  };
  for (const auto& item : cases) {
    ASSERT_TRUE(item.object) << item.name;
    EXPECT_TRUE(item.isInstance(item.object.get())) << item.name;
  }
  // And a Foundation method on a CF object answers from the object itself.
  EXPECT_EQ(toNSString(CFSTR("four"))->length(), 4u);
  EXPECT_EQ(bridge_cast<NSArray*>(cases[3].object.get())->count(), 1u);
}

TEST(NSBridging, CastsOnlyToWhatAnObjectIs) {
  objc::AutoreleasePool pool;
  NSObject* dictionary = NSDictionary::dictionary();
  EXPECT_NE(NSDynamicCast<NSDictionary>(dictionary), nullptr);
  EXPECT_EQ(NSDynamicCast<NSArray>(dictionary), nullptr);
  EXPECT_EQ(NSDynamicCast<NSString>(dictionary), nullptr);
  EXPECT_EQ(NSDynamicCast<NSNumber>(NSSTR("1")), nullptr);
  EXPECT_NE(NSDynamicCast<NSString>(NSSTR("1")), nullptr);
  EXPECT_EQ(NSDynamicCast<NSString>(nullptr), nullptr);
  EXPECT_NE(NSDynamicCast<NSIndexSet>(NSMutableIndexSet::indexSet()), nullptr);
  EXPECT_EQ(NSDynamicCast<NSMutableIndexSet>(NSIndexSet::indexSet()), nullptr);
}

// %@ describes objects as Foundation does in every format of the process, CoreFoundation's too.
TEST(NSBridging, FormatsDescribeObjectsAsFoundationDoes) {
  objc::AutoreleasePool pool;
  const struct {
    NSObject* object;
    const char* text;
  } cases[] = {
      {NSNumber::numberWithInt(1), "1"},
      {NSNumber::numberWithDouble(2.5), "2.5"},
      {NSSTR("plain"), "plain"},
      {NSArray::arrayWithObject(NSSTR("a")), "(\n    a\n)"},
  };
  for (const auto& item : cases) {
    RefPtr<const __CFString> text = adopt(CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%@"), item.object));
    char buffer[256];
    ASSERT_TRUE(CFStringGetCString(text.get(), buffer, sizeof buffer, kCFStringEncodingUTF8));
    EXPECT_STREQ(buffer, item.text);
  }
}

}  // namespace
