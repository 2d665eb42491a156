#include <AppKit/AppKit.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSData.h>
#include <Foundation/NSNib.h>
#include <Foundation/NibBuilder.h>
#include <gtest/gtest.h>
#include <objc/MethodTable.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "NSUITargetActionView.h"
#include "NSUITextViewTakesStringValue.h"
#include "RunLoopUntil.h"

const char* g_CoreMachDebug_LogPrefix = "TargetActionViewTest";
const char* g_CoreMachDebug_LogFileName = "TargetActionViewTest.log";

namespace {

const bool kHeadless = [] {
  unsetenv("DISPLAY");
  return true;
}();

std::vector<std::string> gLog;

class Broadcast : public NSUITargetActionView {
  OBJC_CLASS_DECL(Broadcast, NSUITargetActionView)
 public:
  NSView* initTargetActionView() override {
    ++hooks;
    return NSUITargetActionView::initTargetActionView();
  }
  void updateViewControls() override { gLog.push_back("update"); }
  int hooks = 0;
};

class Listener : public NSObject {
  OBJC_CLASS_DECL(Listener, NSObject)
 public:
  void changed(NSObject* object) {
    gLog.push_back("action");
    last = object;
  }
  NSObject* last = nullptr;
};

}  // namespace

OBJC_CLASS_DEFINE(Broadcast)
OBJC_CLASS_DEFINE(Listener)
OBJC_METHODS(Listener, OBJC_METHOD("changed:", &Listener::changed))

namespace {

Broadcast* makeBroadcast() {
  return static_cast<Broadcast*>(Broadcast::alloc()->initWithFrame(NSMakeRect(0, 0, 50, 20))->autorelease());
}

TEST(NSUITargetActionView, EveryInitialiserRunsTheHookAndStartsWithoutTargetAndAction) {
  objc::AutoreleasePool pool;
  Broadcast* made = makeBroadcast();
  EXPECT_EQ(made->hooks, 1);
  EXPECT_EQ(made->target(), nullptr);
  EXPECT_EQ(made->action(), nullptr);
  NibBuilder nib;
  nib.object("Broadcast", "b").setString("frame", "{{0, 0}, {10, 10}}");
  nib.object("Listener", "l");
  nib.action("b", "changed:", "l");
  std::string xml = nib.xml();
  RefPtr<NSNib> loaded = adopt(NSNib::alloc()->initWithNibData_bundle(NSData::dataWithBytes_length(xml.data(), xml.size()), nullptr));
  NSArray* objects = nullptr;
  ASSERT_TRUE(loaded->instantiateWithOwner_topLevelObjects(nullptr, &objects));
  auto* decoded = static_cast<Broadcast*>(objects->objectAtIndex(0));
  EXPECT_EQ(decoded->hooks, 1);
  EXPECT_EQ(decoded->target(), objects->objectAtIndex(1));
  EXPECT_EQ(decoded->action(), SELECTOR("changed:"));
}

TEST(NSUITargetActionView, WithoutTargetOrActionNothingIsSent) {
  objc::AutoreleasePool pool;
  RefPtr<Listener> listener = adopt(static_cast<Listener*>(Listener::alloc()->init()));
  gLog.clear();
  Broadcast* onlyTarget = makeBroadcast();
  onlyTarget->setTarget(listener.get());
  Broadcast* onlyAction = makeBroadcast();
  onlyAction->setAction(SELECTOR("changed:"));
  for (Broadcast* view : {onlyTarget, onlyAction}) {
    view->performTargetActionWithObject(view);
    view->queueTargetActionWithObject(view);
  }
  // A call queued after them marks when the main loop has passed them all.
  RefPtr<Listener> sentinel = adopt(static_cast<Listener*>(Listener::alloc()->init()));
  sentinel->performSelectorOnMainThread_withObject_waitUntilDone(SELECTOR("changed:"), sentinel.get(), false);
  EXPECT_TRUE(moxicam::test::runLoopUntil([&] { return sentinel->last != nullptr; }));
  EXPECT_EQ(gLog, std::vector<std::string>{"action"});
  EXPECT_EQ(listener->last, nullptr);
}

TEST(NSUITargetActionView, QueuedActionsRunOnALaterPassOfTheMainLoop) {
  objc::AutoreleasePool pool;
  RefPtr<Listener> listener = adopt(static_cast<Listener*>(Listener::alloc()->init()));
  Broadcast* view = makeBroadcast();
  view->setTarget(listener.get());
  view->setAction(SELECTOR("changed:"));
  gLog.clear();
  view->performSelector_withObject(SELECTOR("updateViewControlsQueueAction:"), listener.get());
  EXPECT_EQ(gLog, std::vector<std::string>{"update"});
  EXPECT_TRUE(moxicam::test::runLoopUntil([] { return gLog.size() == 2; }));
  EXPECT_EQ(listener->last, listener.get());
  gLog.clear();
  view->performSelector_withObject(SELECTOR("updateViewControlsPerformAction:"), view);
  EXPECT_EQ(gLog, (std::vector<std::string>{"update", "action"}));
  EXPECT_EQ(listener->last, view);
}

TEST(NSUITextViewTakesStringValue, TakesATextFieldsTextAndHandsOutCopies) {
  objc::AutoreleasePool pool;
  NSTextField* field = NSTextField::labelWithString(NSSTR("Channel 3"));
  auto* text = static_cast<NSUITextViewTakesStringValue*>(
      NSUITextViewTakesStringValue::alloc()->initWithFrame(NSMakeRect(0, 0, 100, 40))->autorelease());
  text->performSelector_withObject(SELECTOR("takeStringValueFrom:"), field);
  EXPECT_STREQ(text->string()->UTF8String(), "Channel 3");
  RefPtr<NSString> earlier(text->stringValue());
  text->setString(NSSTR("Channel 4"));
  EXPECT_STREQ(earlier->UTF8String(), "Channel 3");
  // A text field can take its text from the text view just the same.
  field->takeStringValueFrom(text);
  EXPECT_STREQ(field->stringValue()->UTF8String(), "Channel 4");
}

}  // namespace
