#include <AppKit/AppKit.h>
#include <Foundation/NSURL.h>
#include <gtest/gtest.h>
#include <objc/MethodTable.h>

#include <cstdlib>
#include <string>

#include "NSControl_category_NSUIDropViewParam.h"
#include "NSUITargetActionView.h"

const char* g_CoreMachDebug_LogPrefix = "DropViewParamTest";
const char* g_CoreMachDebug_LogFileName = "DropViewParamTest.log";

namespace {

const bool kHeadless = [] {
  unsetenv("DISPLAY");
  return true;
}();

// A control that keeps its contents, with a URL cache that knows one URL.
class DropWell : public NSUITargetActionView, public category_NSUIDropViewParam, public NSUIDropViewParamURLDelegate {
  OBJC_CLASS_DECL(DropWell, NSUITargetActionView)
 public:
  NSObject* contents() override { return mContents.get(); }
  NSUIDropViewParamContentsType contentsType() override { return mType; }
  void setContents_type(NSObject* contents, NSUIDropViewParamContentsType type) override {
    mContents = RefPtr<NSObject>(contents);
    mType = type;
  }
  void clearContents() override { setContents_type(nullptr, kNSUIDropViewParamNone); }
  NSObject* contentsURLDelegate() override { return this; }
  NSString* getURLCachedPathName(NSURL* url) override {
    return url->absoluteString()->isEqualToString(NSSTR("http://example.invalid/cached.png")) ? NSSTR("/tmp/cached.png")
                                                                                              : nullptr;
  }
  RefPtr<NSObject> mContents;
  NSUIDropViewParamContentsType mType = kNSUIDropViewParamNone;
};

class Counter : public NSObject {
  OBJC_CLASS_DECL(Counter, NSObject)
 public:
  void changed(NSObject* sender) {
    ++count;
    last = sender;
  }
  int count = 0;
  NSObject* last = nullptr;
};

}  // namespace

OBJC_CLASS_DEFINE(DropWell)
OBJC_CLASS_DEFINE(Counter)
OBJC_METHODS(Counter, OBJC_METHOD("changed:", &Counter::changed))

namespace {

using Param = category_NSUIDropViewParam;

struct Fixture {
  RefPtr<Counter> counter = adopt(static_cast<Counter*>(Counter::alloc()->init()));
  DropWell* well = static_cast<DropWell*>(DropWell::alloc()->initWithFrame(NSMakeRect(0, 0, 32, 32))->autorelease());
  Fixture() {
    well->setTarget(counter.get());
    well->setAction(SELECTOR("changed:"));
  }
};

TEST(DropViewParam, EachTypeAnswersOnlyItsOwnValueAndEverySetSendsTheAction) {
  objc::AutoreleasePool pool;
  Fixture f;
  Param::setPathParamValue(f.well, NSSTR("/Library/Skins/a.pdf"));
  EXPECT_STREQ(Param::pathParamValue(f.well)->UTF8String(), "/Library/Skins/a.pdf");
  EXPECT_EQ(Param::nameParamValue(f.well), nullptr);
  EXPECT_EQ(Param::URLParamValue(f.well), nullptr);
  EXPECT_EQ(f.counter->count, 1);
  EXPECT_EQ(f.counter->last, f.well);
  Param::setNameParamValue(f.well, NSSTR("Dots"));
  EXPECT_STREQ(Param::nameParamValue(f.well)->UTF8String(), "Dots");
  EXPECT_EQ(Param::pathParamValue(f.well), nullptr);
  Param::setURLParamValue(f.well, NSSTR("http://example.invalid/new.png"));
  EXPECT_STREQ(Param::URLParamValue(f.well)->UTF8String(), "http://example.invalid/new.png");
  EXPECT_EQ(f.counter->count, 3);
}

TEST(DropViewParam, AStringThatIsNoURLChangesNothing) {
  objc::AutoreleasePool pool;
  Fixture f;
  Param::setNameParamValue(f.well, NSSTR("Before"));
  Param::setURLParamValue(f.well, NSSTR("not a url"));
  EXPECT_STREQ(Param::nameParamValue(f.well)->UTF8String(), "Before");
  EXPECT_EQ(f.counter->count, 1);
}

TEST(DropViewParam, ACachedURLIsKeptAsItsPath) {
  objc::AutoreleasePool pool;
  Fixture f;
  Param::setURLParamValue(f.well, NSSTR("http://example.invalid/cached.png"));
  EXPECT_EQ(Param::URLParamValue(f.well), nullptr);
  EXPECT_STREQ(Param::pathParamValue(f.well)->UTF8String(), "/tmp/cached.png");
  EXPECT_EQ(f.counter->count, 1);
}

TEST(DropViewParam, APlainControlKeepsNothingButStillSendsItsAction) {
  objc::AutoreleasePool pool;
  RefPtr<Counter> counter = adopt(static_cast<Counter*>(Counter::alloc()->init()));
  auto* control = static_cast<NSControl*>(NSControl::alloc()->initWithFrame(NSZeroRect)->autorelease());
  control->setTarget(counter.get());
  control->setAction(SELECTOR("changed:"));
  Param::setPathParamValue(control, NSSTR("/x"));
  EXPECT_EQ(Param::pathParamValue(control), nullptr);
  EXPECT_EQ(counter->count, 1);
  EXPECT_EQ(counter->last, control);
}

}  // namespace
