#include <AppKit/AppKit.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBundle.h>
#include <Foundation/NSData.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSNib.h>
#include <Foundation/NibBuilder.h>
#include <gtest/gtest.h>
#include <objc/MethodTable.h>

#include <cstdlib>
#include <string>

#include "CaptureOutput.h"
#include "NSUIViewHolder.h"
#include "NSUIViewNibbler.h"
#include "NSUIViewPlaceholder.h"
#include "NSView_category_NSViewControlTarget.h"
#include "RunLoopUntil.h"

const char* g_CoreMachDebug_LogPrefix = "ViewNibblerTest";
const char* g_CoreMachDebug_LogFileName = "ViewNibblerTest.log";

namespace {

const bool kHeadless = [] {
  unsetenv("DISPLAY");
  return true;
}();

// A nibbler whose own nib (TestChannelNibbler.nib) the tests write; it notes what it saw when
// its hook ran.
class TestChannelNibbler : public NSUIViewNibbler {
  OBJC_CLASS_DECL(TestChannelNibbler, NSUIViewNibbler)
 public:
  void awakeFromNibbler() override {
    ++nibblerAwakenings;
    subviewsAtAwakening = subviewCount();
    outletSetAtAwakening = nibblerSubView() != nullptr;
  }
  int nibblerAwakenings = 0;
  size_t subviewsAtAwakening = 0;
  bool outletSetAtAwakening = false;
};

class OldSystemNibbler : public NSUIViewNibbler {
  OBJC_CLASS_DECL(OldSystemNibbler, NSUIViewNibbler)
 public:
  struct Meta : NSUIViewNibbler::Meta {
    bool shouldInstantiateOnThisVersionOfOSX(Class) const override { return false; }
  };
};

class NiblessNibbler : public NSUIViewNibbler {
  OBJC_CLASS_DECL(NiblessNibbler, NSUIViewNibbler)
 public:
  void awakeFromNibbler() override { ++nibblerAwakenings; }
  int nibblerAwakenings = 0;
};

class BrokenNibbler : public NSUIViewNibbler {
  OBJC_CLASS_DECL(BrokenNibbler, NSUIViewNibbler)
};

class Receiver : public NSObject {
  OBJC_CLASS_DECL(Receiver, NSObject)
 public:
  void take(NSObject* object) {
    ++calls;
    last = object;
  }
  int calls = 0;
  NSObject* last = nullptr;
};

}  // namespace

OBJC_CLASS_DEFINE(TestChannelNibbler)
OBJC_CLASS_DEFINE(OldSystemNibbler)
OBJC_CLASS_DEFINE(NiblessNibbler)
OBJC_CLASS_DEFINE(BrokenNibbler)
OBJC_CLASS_DEFINE(Receiver)
OBJC_METHODS(Receiver, OBJC_METHOD("take:", &Receiver::take))

namespace {

std::string resources() { return NSBundle::mainBundle()->resourcePath()->UTF8String(); }

// The nibbler's own nib: a 100 x 50 view that follows its superview's size, and a controller.
void writeChannelNib() {
  NibBuilder nib;
  nib.object("NSView", "content").setString("frame", "{{0, 0}, {100, 50}}").setInteger("autoresizingMask", 2 | 16);
  nib.object("Receiver", "controller");
  nib.outlet("owner", "nibblerSubView", "content");
  nib.outlet("owner", "nibblerController", "controller");
  ASSERT_TRUE(nib.writeToFile(resources() + "/TestChannelNibbler.nib"));
  // A nib that is not XML at all.
  FILE* broken = std::fopen((resources() + "/BrokenNibbler.nib").c_str(), "w");
  ASSERT_NE(broken, nullptr);
  std::fputs("<nib><object class=", broken);
  std::fclose(broken);
}

// A window nib that holds one nibbler of the class, 200 x 80.
NSView* loadWindowNibWith(const char* nibblerClass, NSArray** keep) {
  NibBuilder nib;
  nib.object(nibblerClass, "nibbler").setString("frame", "{{0, 0}, {200, 80}}");
  std::string xml = nib.xml();
  RefPtr<NSNib> loaded = adopt(NSNib::alloc()->initWithNibData_bundle(NSData::dataWithBytes_length(xml.data(), xml.size()), nullptr));
  EXPECT_TRUE(loaded->instantiateWithOwner_topLevelObjects(nullptr, keep));
  return static_cast<NSView*>((*keep)->objectAtIndex(0));
}

TEST(NSUIViewNibbler, LoadsItsClassNibAtTheWindowsWakeAndFillsItself) {
  objc::AutoreleasePool pool;
  writeChannelNib();
  NSArray* objects = nullptr;
  auto* nibbler = static_cast<TestChannelNibbler*>(loadWindowNibWith("TestChannelNibbler", &objects));
  EXPECT_EQ(nibbler->constructed(), 1u);
  ASSERT_NE(nibbler->nibblerSubView(), nullptr);
  EXPECT_EQ(nibbler->subviewCount(), 1u);
  EXPECT_TRUE(NSEqualRects(nibbler->nibblerSubView()->frame(), NSMakeRect(0, 0, 200, 80)));
  EXPECT_TRUE(NSDynamicCast<Receiver>(nibbler->nibblerController()));
  EXPECT_EQ(nibbler->topLevelObjects()->count(), 2u);
  // The hook ran once, with its outlets connected, before the subview was installed.
  EXPECT_EQ(nibbler->nibblerAwakenings, 1);
  EXPECT_TRUE(nibbler->outletSetAtAwakening);
  EXPECT_EQ(nibbler->subviewsAtAwakening, 0u);
  EXPECT_STREQ(nibbler->multiViewTitle()->UTF8String(), "TestChannelNibbler");
  // Later wake-ups go to the hook; the nib is not loaded again.
  nibbler->awakeFromNib();
  EXPECT_EQ(nibbler->nibblerAwakenings, 2);
  EXPECT_EQ(nibbler->constructed(), 1u);
  nibbler->setFrameSize(NSMakeSize(300, 90));
  EXPECT_TRUE(NSEqualRects(nibbler->nibblerSubView()->frame(), NSMakeRect(0, 0, 300, 90)));
}

TEST(NSUIViewNibbler, AClassThatDeclinesStaysEmptyAndTriesAgainLater) {
  objc::AutoreleasePool pool;
  NSArray* objects = nullptr;
  auto* nibbler = static_cast<NSUIViewNibbler*>(loadWindowNibWith("OldSystemNibbler", &objects));
  EXPECT_EQ(nibbler->constructed(), 0u);
  EXPECT_EQ(nibbler->subviewCount(), 0u);
  nibbler->awakeFromNib();
  EXPECT_EQ(nibbler->constructed(), 0u);
}

TEST(NSUIViewNibbler, WithoutANibItStaysEmptyQuietly) {
  objc::AutoreleasePool pool;
  NSArray* objects = nullptr;
  std::string log = moxicam::test::captureStandardError([&] { loadWindowNibWith("NiblessNibbler", &objects); });
  auto* nibbler = static_cast<NiblessNibbler*>(objects->objectAtIndex(0));
  EXPECT_TRUE(log.empty()) << log;
  EXPECT_EQ(nibbler->constructed(), 1u);
  EXPECT_EQ(nibbler->subviewCount(), 0u);
  EXPECT_EQ(nibbler->nibblerAwakenings, 0);
  nibbler->awakeFromNib();
  EXPECT_EQ(nibbler->nibblerAwakenings, 1);
}

TEST(NSUIViewNibbler, AMalformedNibIsLoggedAndLeavesItEmpty) {
  objc::AutoreleasePool pool;
  writeChannelNib();
  NSArray* objects = nullptr;
  std::string log = moxicam::test::captureStandardError([&] { loadWindowNibWith("BrokenNibbler", &objects); });
  auto* nibbler = static_cast<NSUIViewNibbler*>(objects->objectAtIndex(0));
  EXPECT_NE(log.find("NSUIViewNibbler::instantiateObjectGraphWithNibName:BrokenNibbler exception:"), std::string::npos)
      << log;
  EXPECT_EQ(nibbler->subviewCount(), 0u);
}

TEST(NSUIViewNibbler, PlacesWindowsBelowAndAboveViews) {
  objc::AutoreleasePool pool;
  NSWindow* host = static_cast<NSWindow*>(NSWindow::alloc()
                                              ->initWithContentRect_styleMask_backing_defer(
                                                  NSMakeRect(90, 480, 300, 300), NSBorderlessWindowMask,
                                                  NSBackingStoreBuffered, false)
                                              ->autorelease());
  NSView* view = static_cast<NSView*>(NSView::alloc()->initWithFrame(NSMakeRect(10, 20, 100, 40))->autorelease());
  host->contentView()->addSubview(view);
  // The view's bottom-left corner lies at (100, 500) on screen.
  NSWindow* window = static_cast<NSWindow*>(NSWindow::alloc()
                                                ->initWithContentRect_styleMask_backing_defer(
                                                    NSMakeRect(0, 40, 300, 200), NSBorderlessWindowMask,
                                                    NSBackingStoreBuffered, false)
                                                ->autorelease());
  NSUIViewNibbler::alignWindowTopLeft_directlyBelowView(window, view);
  EXPECT_TRUE(NSEqualPoints(window->frame().origin, NSMakePoint(100, 300)));
  window->setFrameOrigin(NSMakePoint(7, 40));
  NSUIViewNibbler::centerWindow_horizontallyPositionedAboveView(window, view);
  EXPECT_TRUE(NSEqualPoints(window->frame().origin, NSMakePoint(0, 40)));
}

TEST(NSUIViewPlaceholder, InstallsViewsAsTheyAreAndReportsOtherSenders) {
  objc::AutoreleasePool pool;
  auto* placeholder = static_cast<NSUIViewPlaceholder*>(NSUIViewPlaceholder::alloc()->initWithFrame(NSMakeRect(0, 0, 100, 100))->autorelease());
  NSView* view = static_cast<NSView*>(NSView::alloc()->initWithFrame(NSMakeRect(5, 6, 7, 8))->autorelease());
  RefPtr<NSMenuItem> item = adopt(static_cast<NSMenuItem*>(NSMenuItem::alloc()->init()));
  std::string log = moxicam::test::captureStandardError(
      [&] { placeholder->performSelector_withObject(SELECTOR("installSender:"), item.get()); });
  EXPECT_NE(log.find("VERIFY FAILED: sender in "), std::string::npos) << log;
  EXPECT_EQ(placeholder->subviewCount(), 0u);
  placeholder->performSelector_withObject(SELECTOR("installSender:"), view);
  EXPECT_EQ(view->superview(), placeholder);
  EXPECT_TRUE(NSEqualRects(view->frame(), NSMakeRect(5, 6, 7, 8)));
  EXPECT_TRUE(placeholder->acceptsFirstMouse(nullptr));
}

TEST(NSViewControlTarget, SendsNowOrQueuesOnTheMainThreadAndReportsWhatIsMissing) {
  objc::AutoreleasePool pool;
  RefPtr<Receiver> receiver = adopt(static_cast<Receiver*>(Receiver::alloc()->init()));
  auto* control = static_cast<NSControl*>(NSControl::alloc()->initWithFrame(NSMakeRect(0, 0, 10, 10))->autorelease());
  NSView* plain = static_cast<NSView*>(NSView::alloc()->initWithFrame(NSZeroRect)->autorelease());
  control->setTarget(receiver.get());
  std::string log = moxicam::test::captureStandardError([&] {
    category_NSViewControlTarget::performTargetActionWithObject(control, control);
    category_NSViewControlTarget::performTargetActionWithObject(plain, control);
  });
  EXPECT_NE(log.find("VERIFY FAILED:  code : message_action in "), std::string::npos) << log;
  EXPECT_NE(log.find("-[NSView(category_NSViewControlTarget) targetActionWithObject:waitUntilDone:]"), std::string::npos);
  EXPECT_EQ(log.find("message_target"), std::string::npos);
  EXPECT_EQ(receiver->calls, 0);
  control->setAction(SELECTOR("take:"));
  category_NSViewControlTarget::performTargetActionWithObject(control, control);
  EXPECT_EQ(receiver->calls, 1);
  category_NSViewControlTarget::queueTargetActionWithObject(control, plain);
  EXPECT_EQ(receiver->calls, 1);
  EXPECT_TRUE(moxicam::test::runLoopUntil([&] { return receiver->calls == 2; }));
  EXPECT_EQ(receiver->last, plain);
}

}  // namespace
