#include <AppKit/AppKit.h>
#include <CoreGraphics/CGBitmapContext.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSData.h>
#include <Foundation/NSNib.h>
#include <Foundation/NSNotificationCenter.h>
#include <Foundation/NSValue.h>
#include <Foundation/NibBuilder.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "NSUIMultiViewClientViewHolder.h"
#include "NSUIMultiViewController.h"
#include "NSUIMultiViewPopUpButton.h"
#include "NSUIMultiViewSegmentedControl.h"

const char* g_CoreMachDebug_LogPrefix = "MultiViewTest";
const char* g_CoreMachDebug_LogFileName = "MultiViewTest.log";

namespace {

const bool kHeadless = [] {
  unsetenv("DISPLAY");
  return true;
}();

std::vector<std::string> strings(NSArray* array) {
  std::vector<std::string> out;
  for (NSObject* object : *array) out.push_back(static_cast<NSString*>(object)->UTF8String());
  return out;
}

std::vector<std::string> sorted(std::vector<std::string> values) {
  std::sort(values.begin(), values.end());
  return values;
}

// A window area from a nib: a placeholder whose initial view is titled "Start", a pop-up that
// switches, and four holders (two with tool tips, two without) that join after launching.
struct Area {
  RefPtr<NSArray> objects;
  NSUIMultiViewController* controller = nullptr;
  NSUIMultiViewPopUpButton* popUp = nullptr;
  NSUIViewPlaceholder* placeholder = nullptr;
  std::vector<NSUIMultiViewClientViewHolder*> holders;
};

Area loadArea() {
  NibBuilder nib;
  nib.object("NSUIMultiViewController", "controller");
  auto popUp = nib.object("NSUIMultiViewPopUpButton", "popup");
  popUp.setString("frame", "{{0, 0}, {120, 20}}");
  auto start = nib.object("NSUIMultiViewClientViewHolder", "start");
  start.setString("frame", "{{0, 0}, {100, 100}}").setString("toolTip", "Start");
  auto placeholder = nib.object("NSUIViewPlaceholder", "placeholder");
  placeholder.setString("frame", "{{0, 0}, {100, 100}}");
  const char* holders[] = {"beta", "alpha", "first", "second"};
  for (const char* id : holders) {
    auto holder = nib.object("NSUIMultiViewClientViewHolder", id);
    holder.setString("frame", "{{0, 0}, {100, 100}}");
    if (std::string(id) == "beta") holder.setString("toolTip", "Beta");
    if (std::string(id) == "alpha") holder.setString("toolTip", "alpha");
    nib.outlet(id, "multiViewController", "controller");
  }
  nib.outlet("controller", "multiViewPlaceholder", "placeholder");
  nib.outlet("controller", "multiViewSwitchingControl", "popup");
  nib.outlet("placeholder", "installThisView", "start");
  nib.outlet("popup", "delegate", "controller");
  nib.action("popup", "selectionChangedAction:", "popup");
  std::string xml = nib.xml();
  RefPtr<NSNib> loaded = adopt(NSNib::alloc()->initWithNibData_bundle(NSData::dataWithBytes_length(xml.data(), xml.size()), nullptr));
  Area area;
  NSArray* objects = nullptr;
  EXPECT_TRUE(loaded->instantiateWithOwner_topLevelObjects(nullptr, &objects));
  area.objects = RefPtr<NSArray>(objects);
  area.controller = static_cast<NSUIMultiViewController*>(objects->objectAtIndex(0));
  area.popUp = static_cast<NSUIMultiViewPopUpButton*>(objects->objectAtIndex(1));
  area.placeholder = static_cast<NSUIViewPlaceholder*>(objects->objectAtIndex(3));
  for (NSUInteger i = 4; i < objects->count(); ++i) {
    area.holders.push_back(static_cast<NSUIMultiViewClientViewHolder*>(objects->objectAtIndex(i)));
  }
  // Holders join when launching has finished (at once, when it had already).
  NSApplication::sharedApplication()->finishLaunching();
  return area;
}

TEST(MultiView, NibHoldersJoinAndThePopUpSwitchesBetweenThem) {
  objc::AutoreleasePool pool;
  Area area = loadArea();
  // Holders from the nib are numbered: the two without tool tips are 2 distinct titles.
  const std::string first = area.holders[2]->multiViewTitle()->UTF8String();
  const std::string second = area.holders[3]->multiViewTitle()->UTF8String();
  EXPECT_NE(first, second);
  std::vector<std::string> titles = strings(area.controller->switchingMultiViewTitleList());
  ASSERT_EQ(titles.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(titles.end() - 3, titles.end()), (std::vector<std::string>{"alpha", "Beta", "Start"}));
  EXPECT_EQ(sorted(strings(area.popUp->itemTitles())), sorted(titles));
  EXPECT_STREQ(area.controller->selectedMultiViewTitle()->UTF8String(), "Start");
  EXPECT_STREQ(area.popUp->titleOfSelectedItem()->UTF8String(), "Start");
  for (NSUIMultiViewClientViewHolder* holder : area.holders) {
    EXPECT_EQ(holder->superview(), area.placeholder);
    EXPECT_TRUE(holder->isHidden());
  }
  // The user picks "Beta".
  area.popUp->performClickOnItemAtIndex(area.popUp->indexOfItemWithTitle(NSSTR("Beta")));
  EXPECT_EQ(area.controller->selectedMultiView(), area.holders[0]);
  EXPECT_FALSE(area.holders[0]->isHidden());
  EXPECT_TRUE(area.placeholder->initialView()->isHidden());
  // A second view under a title already present is refused; the first stays.
  auto* impostor = static_cast<NSUIMultiViewClientViewHolder*>(
      NSUIMultiViewClientViewHolder::alloc()->initWithFrame(NSZeroRect)->autorelease());
  impostor->setToolTip(NSSTR("Beta"));
  EXPECT_FALSE(area.controller->addMultiView_selectView(impostor, false));
  EXPECT_EQ(area.controller->multiViewWithTitle(NSSTR("Beta")), area.holders[0]);
}

TEST(MultiView, ALanguageChangeRetitlesTheSwitcherAndKeepsTheSelection) {
  objc::AutoreleasePool pool;
  Area area = loadArea();
  area.controller->selectViewWithMultiViewTitle(NSSTR("Beta"));
  area.holders[0]->setToolTip(NSSTR("Bêta"));
  area.placeholder->initialView()->setToolTip(NSSTR("Début"));
  NSNotificationCenter::defaultCenter()->postNotificationName_object(
      NSSTR("UILocalLanguageControllerDidChangeLanguage"), nullptr);
  std::vector<std::string> titles = strings(area.controller->switchingMultiViewTitleList());
  EXPECT_EQ(std::vector<std::string>(titles.end() - 3, titles.end()), (std::vector<std::string>{"alpha", "Bêta", "Début"}));
  // No item of an old title is left behind.
  EXPECT_EQ(sorted(strings(area.popUp->itemTitles())), sorted(titles));
  EXPECT_EQ(area.controller->selectedMultiView(), area.holders[0]);
  EXPECT_STREQ(area.controller->selectedMultiViewTitle()->UTF8String(), "Bêta");
  EXPECT_EQ(area.controller->multiViewWithTitle(NSSTR("Beta")), nullptr);
}

TEST(MultiView, AControllerThatIsGoneHearsNoLanguageChange) {
  objc::AutoreleasePool pool;
  {
    RefPtr<NSUIMultiViewController> controller = adopt(static_cast<NSUIMultiViewController*>(NSUIMultiViewController::alloc()->init()));
    controller->createViewDictionaryOnce();
  }
  NSNotificationCenter::defaultCenter()->postNotificationName_object(
      NSSTR("UILocalLanguageControllerDidChangeLanguage"), nullptr);
  SUCCEED();
}

TEST(MultiView, AddingASelectedViewShowsItAndTheControlAgrees) {
  objc::AutoreleasePool pool;
  Area area = loadArea();
  auto* added = static_cast<NSUIMultiViewClientViewHolder*>(
      NSUIMultiViewClientViewHolder::alloc()->initWithFrame(NSZeroRect)->autorelease());
  added->setToolTip(NSSTR("Added"));
  EXPECT_TRUE(area.controller->addMultiView_selectView(added, true));
  EXPECT_EQ(area.controller->selectedMultiView(), added);
  EXPECT_FALSE(added->isHidden());
  EXPECT_STREQ(area.popUp->titleOfSelectedItem()->UTF8String(), "Added");
}

struct WidthCase {
  CGFloat frameWidth;
  NSInteger segments;
  long outletWidth;  // 0: none
  CGFloat expected;
};

TEST(MultiViewSegmentedControl, SegmentWidthFollowsTheOutletOrTheFrame) {
  objc::AutoreleasePool pool;
  const WidthCase cases[] = {{200, 3, 0, 64}, {200, 3, 50, 50}, {200, 0, 0, 72}};
  for (const WidthCase& c : cases) {
    auto* control = static_cast<NSUIMultiViewSegmentedControl*>(
        NSUIMultiViewSegmentedControl::alloc()->initWithFrame(NSMakeRect(0, 0, c.frameWidth, 24))->autorelease());
    control->setSegmentCount(c.segments);
    if (c.outletWidth) control->setOutletSegmentWidthPixels(NSNumber::numberWithLong(c.outletWidth));
    EXPECT_EQ(control->segmentWidth(), c.expected) << c.segments << " segments, outlet " << c.outletWidth;
  }
}

TEST(MultiViewSegmentedControl, ListsTheTitlesAndSelectsBySegment) {
  objc::AutoreleasePool pool;
  Area area = loadArea();
  NibBuilder nib;
  nib.object("NSUIMultiViewSegmentedControl", "segments").setString("frame", "{{0, 0}, {408, 24}}");
  std::string xml = nib.xml();
  RefPtr<NSNib> loaded = adopt(NSNib::alloc()->initWithNibData_bundle(NSData::dataWithBytes_length(xml.data(), xml.size()), nullptr));
  NSArray* objects = nullptr;
  ASSERT_TRUE(loaded->instantiateWithOwner_topLevelObjects(nullptr, &objects));
  auto* segments = static_cast<NSUIMultiViewSegmentedControl*>(objects->objectAtIndex(0));
  EXPECT_TRUE(segments->showTitles());
  segments->setDelegate(area.controller);
  segments->setShowIconImages(true);
  area.controller->setMultiViewSwitchingControl(segments);
  area.controller->refreshSwitchingControlList(area.controller->selectedMultiViewTitle());
  ASSERT_EQ(segments->segmentCount(), 5);
  EXPECT_STREQ(segments->selectedSegmentLabel()->UTF8String(), "Start");
  EXPECT_EQ(segments->widthForSegment(0), 80);
  NSImage* icon = segments->imageForSegment(4);
  ASSERT_NE(icon, nullptr);
  EXPECT_TRUE(NSEqualSizes(icon->size(), NSMakeSize(32, 32)));
  EXPECT_TRUE(segments->setSelectedMultiViewTitle(NSSTR("alpha")));
  EXPECT_FALSE(segments->setSelectedMultiViewTitle(NSSTR("ALPHA")));
  segments->performSelector_withObject(SELECTOR("segmentChangedAction:"), segments);
  EXPECT_EQ(area.controller->selectedMultiView(), area.holders[1]);
}

TEST(MultiViewClientViewHolder, TheDefaultIconIsADarkRoundedSquare) {
  objc::AutoreleasePool pool;
  NSImage* icon = NSUIMultiViewClientViewHolder::defaultIconImageWithTitle(NSSTR("7"));
  ASSERT_NE(icon, nullptr);
  CGImageRef image = icon->CGImageForProposedRect_context_hints(nullptr, nullptr, nullptr);
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(icon->representations()->count(), 1u);
  auto* bitmap = NSDynamicCast<NSBitmapImageRep>(icon->representations()->objectAtIndex(0));
  ASSERT_NE(bitmap, nullptr);
  // Dark and opaque inside, near the top edge; the rounded corner is not filled.
  NSColor* inside = bitmap->colorAtX_y(16, 4);
  EXPECT_EQ(inside->alphaComponent(), 1.0);
  EXPECT_LE(inside->redComponent(), 0x30 / 255.0);
  EXPECT_LT(bitmap->colorAtX_y(0, 0)->alphaComponent(), 1.0);
}

}  // namespace
