#include <Foundation/NSKeyValueCoding.h>

#include <string>

#include <Foundation/NSArray.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSException.h>
#include <Foundation/NSNull.h>
#include <gtest/gtest.h>
#include <objc/WeakPtr.h>

class Filter : public NSObject {
  OBJC_CLASS_DECL(Filter, NSObject)

 public:
  double threshold() const { return mThreshold; }
  void setThreshold(double value) { mThreshold = value; }
  bool mirrored() const { return mMirrored; }
  void setMirrored(bool value) { mMirrored = value; }
  NSString* name() const { return mName.get(); }
  void setName(NSString* name) { mName = RefPtr(name); }
  SEL action() const { return mAction; }
  void setAction(SEL action) { mAction = action; }
  long number() const { return 7; }

  RefPtr<Filter> mChild;
  WeakPtr<NSObject> mDelegate;

 private:
  double mThreshold = 0.25;
  bool mMirrored = false;
  RefPtr<NSString> mName;
  SEL mAction = nullptr;
};
OBJC_CLASS_DEFINE(Filter)
NS_PROPERTIES(Filter, NS_PROPERTY("threshold", &Filter::threshold, &Filter::setThreshold),
              NS_PROPERTY("mirrored", &Filter::mirrored, &Filter::setMirrored),
              NS_PROPERTY("name", &Filter::name, &Filter::setName), NS_PROPERTY("action", &Filter::action, &Filter::setAction),
              NS_READONLY_PROPERTY("number", &Filter::number), NS_OUTLET("child", &Filter::mChild),
              NS_OUTLET("delegate", &Filter::mDelegate))

namespace {

RefPtr<Filter> makeFilter() {
  RefPtr<Filter> filter = adopt(Filter::alloc());
  filter->init();
  return filter;
}

std::string exceptionName(const std::function<void()>& body) {
  try {
    body();
  } catch (const NSException::Raised& raised) {
    return raised.exception()->name()->UTF8String();
  }
  return "none";
}

TEST(KeyValueCoding, BoxesAndUnboxesPropertiesOfTheTable) {
  objc::AutoreleasePool pool;
  RefPtr<Filter> filter = makeFilter();
  EXPECT_DOUBLE_EQ(static_cast<NSNumber*>(filter->valueForKey(NSSTR("threshold")))->doubleValue(), 0.25);
  filter->setValue_forKey(NSNumber::numberWithDouble(0.75), NSSTR("threshold"));
  filter->setValue_forKey(NSNumber::numberWithBool(true), NSSTR("mirrored"));
  filter->setValue_forKey(NSSTR("Key"), NSSTR("name"));
  filter->setValue_forKey(NSSTR("installSender:"), NSSTR("action"));
  EXPECT_DOUBLE_EQ(filter->threshold(), 0.75);
  EXPECT_TRUE(filter->mirrored());
  EXPECT_TRUE(filter->name()->isEqualToString(NSSTR("Key")));
  EXPECT_EQ(filter->action(), SELECTOR("installSender:"));
  EXPECT_TRUE(static_cast<NSString*>(filter->valueForKey(NSSTR("action")))->isEqualToString(NSSTR("installSender:")));
  EXPECT_EQ(static_cast<NSNumber*>(filter->valueForKey(NSSTR("number")))->longValue(), 7);
}

TEST(KeyValueCoding, FollowsKeyPathsThroughObjectsAndDictionaries) {
  objc::AutoreleasePool pool;
  RefPtr<Filter> filter = makeFilter();
  filter->setValue_forKey(makeFilter().get(), NSSTR("child"));
  filter->setValue_forKeyPath(NSNumber::numberWithInt(3), NSSTR("child.threshold"));
  EXPECT_DOUBLE_EQ(filter->mChild->threshold(), 3);
  EXPECT_DOUBLE_EQ(static_cast<NSNumber*>(filter->valueForKeyPath(NSSTR("child.threshold")))->doubleValue(), 3);

  NSMutableDictionary* settings = NSMutableDictionary::dictionary();
  settings->setValue_forKeyPath(filter.get(), NSSTR("filter"));
  EXPECT_EQ(settings->valueForKeyPath(NSSTR("filter.child")), filter->mChild.get());
  settings->setValue_forKey(nullptr, NSSTR("filter"));
  EXPECT_EQ(settings->count(), 0u);
  // A null link ends the path with null.
  filter->mChild = nullptr;
  EXPECT_EQ(filter->valueForKeyPath(NSSTR("child.threshold")), nullptr);

  RefPtr<Filter> first = makeFilter(), second = makeFilter();
  second->setName(NSSTR("second"));
  NSArray* names = static_cast<NSArray*>(NSArray::arrayWithObjects({first.get(), second.get()})->valueForKey(NSSTR("name")));
  ASSERT_EQ(names->count(), 2u);
  EXPECT_EQ(names->objectAtIndex(0), NSNull::null());
  EXPECT_TRUE(static_cast<NSString*>(names->objectAtIndex(1))->isEqualToString(NSSTR("second")));
}

TEST(KeyValueCoding, OutletsInWeakMembersAreNotRetained) {
  objc::AutoreleasePool pool;
  RefPtr<Filter> filter = makeFilter();
  RefPtr<Filter> delegate = makeFilter();
  filter->setValue_forKey(delegate.get(), NSSTR("delegate"));
  EXPECT_EQ(delegate->retainCount(), 1);
  EXPECT_EQ(filter->valueForKey(NSSTR("delegate")), delegate.get());
  delegate = nullptr;
  EXPECT_EQ(filter->valueForKey(NSSTR("delegate")), nullptr);
}

TEST(KeyValueCoding, ReportsWhatItCannotDo) {
  objc::AutoreleasePool pool;
  RefPtr<Filter> filter = makeFilter();
  struct Case {
    const char* what;
    std::function<void()> body;
    const char* exception;
  } cases[] = {
      {"read an unknown key", [&] { filter->valueForKey(NSSTR("colour")); }, "NSUnknownKeyException"},
      {"set an unknown key", [&] { filter->setValue_forKey(NSSTR("x"), NSSTR("colour")); }, "NSUnknownKeyException"},
      {"set a read-only key", [&] { filter->setValue_forKey(NSSTR("x"), NSSTR("number")); }, "NSUnknownKeyException"},
      {"set null on a scalar", [&] { filter->setValue_forKey(nullptr, NSSTR("threshold")); }, "NSInvalidArgumentException"},
      {"set a string on a scalar", [&] { filter->setValue_forKey(NSSTR("1"), NSSTR("threshold")); },
       "NSInvalidArgumentException"},
      {"set a number on a string", [&] { filter->setValue_forKey(NSNumber::numberWithInt(1), NSSTR("name")); },
       "NSInvalidArgumentException"},
  };
  for (const Case& c : cases) EXPECT_EQ(exceptionName(c.body), c.exception) << c.what;
  EXPECT_DOUBLE_EQ(filter->threshold(), 0.25);
}

}  // namespace
