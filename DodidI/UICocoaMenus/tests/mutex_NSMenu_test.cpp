#include <AppKit/AppKit.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSThread.h>
#include <gtest/gtest.h>
#include <objc/MethodTable.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "CaptureOutput.h"
#include "NSMenuItem_mutex_NSMenu.h"
#include "RunLoopUntil.h"

const char* g_CoreMachDebug_LogPrefix = "MutexMenuTest";
const char* g_CoreMachDebug_LogFileName = "MutexMenuTest.log";

namespace {

const bool kHeadless = [] {
  unsetenv("DISPLAY");
  return true;
}();

// Records the items whose action it got, and on which thread.
class Chooser : public NSObject {
  OBJC_CLASS_DECL(Chooser, NSObject)
 public:
  void choose(NSObject* sender) {
    chosen.push_back(static_cast<NSMenuItem*>(sender)->title()->UTF8String());
    onMainThread = NSThread::isMainThread();
  }
  std::vector<std::string> chosen;
  std::atomic<bool> onMainThread{false};
};

}  // namespace

OBJC_CLASS_DEFINE(Chooser)
OBJC_METHODS(Chooser, OBJC_METHOD("choose:", &Chooser::choose))

namespace {

NSMenu* makeMenu(std::initializer_list<const char*> titles, Chooser* target = nullptr) {
  auto* menu = static_cast<NSMenu*>(NSMenu::alloc()->initWithTitle(NSSTR("Channels"))->autorelease());
  for (const char* title : titles) {
    NSMenuItem* item = menu->addItemWithTitle_action_keyEquivalent(NSString::stringWithUTF8String(title),
                                                                   SELECTOR("choose:"), NSSTR(""));
    item->setTarget(target);
  }
  return menu;
}

std::vector<NSInteger> states(NSMenu* menu) {
  std::vector<NSInteger> out;
  for (NSInteger i = 0; i < menu->numberOfItems(); ++i) out.push_back(menu->itemAtIndex(i)->state());
  return out;
}

TEST(MutexMenu, ExactlyOneItemIsOnAfterSelectExclusive) {
  objc::AutoreleasePool pool;
  NSMenu* menu = makeMenu({"A", "B", "C"});
  menu->itemAtIndex(0)->setState(NSOnState);
  menu->itemAtIndex(2)->setState(NSOnState);
  mutex_NSMenu::selectExclusive(menu, menu->itemAtIndex(1));
  EXPECT_EQ(states(menu), (std::vector<NSInteger>{0, 1, 0}));
  mutex_NSMenu::selectExclusive(menu->itemAtIndex(2));
  EXPECT_EQ(states(menu), (std::vector<NSInteger>{0, 0, 1}));
  EXPECT_STREQ(mutex_NSMenu::stringParamValue(menu)->UTF8String(), "C");
  // The action by name, as a nib's menu item would send it.
  menu->performSelector_withObject(SELECTOR("setNoneSelected:"), nullptr);
  EXPECT_EQ(states(menu), (std::vector<NSInteger>{0, 0, 0}));
  // None on: the first item stands for the selection.
  EXPECT_EQ(mutex_NSMenu::exclusiveSelection(menu), menu->itemAtIndex(0));
  EXPECT_STREQ(mutex_NSMenu::stringParamValue(menu)->UTF8String(), "A");
}

TEST(MutexMenu, AnEmptyMenuHasNoSelection) {
  objc::AutoreleasePool pool;
  NSMenu* menu = makeMenu({});
  EXPECT_EQ(mutex_NSMenu::exclusiveSelection(menu), nullptr);
  EXPECT_EQ(mutex_NSMenu::stringParamValue(menu), nullptr);
  mutex_NSMenu::setStringParamValue(menu, NSSTR("A"));
  EXPECT_EQ(menu->numberOfItems(), 0);
}

struct TitleCase {
  const char* title;
  std::vector<NSInteger> states;
  std::vector<std::string> chosen;
};

class MutexMenuTitles : public testing::TestWithParam<TitleCase> {};

TEST_P(MutexMenuTitles, SetStringParamValueSelectsByExactTitleAndSendsTheAction) {
  objc::AutoreleasePool pool;
  RefPtr<Chooser> chooser = adopt(static_cast<Chooser*>(Chooser::alloc()->init()));
  NSMenu* menu = makeMenu({"Red", "Green", "Blue", "Green"}, chooser.get());
  menu->itemAtIndex(0)->setState(NSOnState);
  mutex_NSMenu::setStringParamValue(menu, NSString::stringWithUTF8String(GetParam().title));
  EXPECT_EQ(states(menu), GetParam().states);
  EXPECT_EQ(chooser->chosen, GetParam().chosen);
}

INSTANTIATE_TEST_SUITE_P(Titles, MutexMenuTitles,
                         testing::Values(TitleCase{"Green", {0, 1, 0, 0}, {"Green"}},
                                         TitleCase{"Blue", {0, 0, 1, 0}, {"Blue"}},
                                         TitleCase{"green", {1, 0, 0, 0}, {}},
                                         TitleCase{"Purple", {1, 0, 0, 0}, {}}));

TEST(MutexMenu, SelectingWithoutPerformChecksTheItemOnly) {
  objc::AutoreleasePool pool;
  RefPtr<Chooser> chooser = adopt(static_cast<Chooser*>(Chooser::alloc()->init()));
  NSMenu* menu = makeMenu({"A", "B"}, chooser.get());
  mutex_NSMenu::selectExclusiveTitle_performAction(menu, NSSTR("B"), false);
  EXPECT_EQ(states(menu), (std::vector<NSInteger>{0, 1}));
  EXPECT_TRUE(chooser->chosen.empty());
}

TEST(MutexMenu, AnItemWithoutTargetOrActionIsReportedAndSendsNothing) {
  objc::AutoreleasePool pool;
  RefPtr<Chooser> chooser = adopt(static_cast<Chooser*>(Chooser::alloc()->init()));
  NSMenu* menu = makeMenu({"A", "B"});
  menu->itemAtIndex(1)->setTarget(chooser.get());
  menu->itemAtIndex(1)->setAction(nullptr);
  std::string reports = moxicam::test::captureStandardError([&] {
    mutex_NSMenu::performAction(menu->itemAtIndex(0), nullptr);
    mutex_NSMenu::performAction(menu->itemAtIndex(1), nullptr);
  });
  EXPECT_NE(reports.find("VERIFY FAILED: [self target] in "), std::string::npos) << reports;
  EXPECT_NE(reports.find("VERIFY FAILED:  code : [self action] in "), std::string::npos) << reports;
  EXPECT_TRUE(chooser->chosen.empty());
}

TEST(MutexMenu, PerformActionFromAnotherThreadRunsOnTheMainThreadAndWaits) {
  objc::AutoreleasePool pool;
  RefPtr<Chooser> chooser = adopt(static_cast<Chooser*>(Chooser::alloc()->init()));
  NSMenu* menu = makeMenu({"A"}, chooser.get());
  RefPtr<NSMenuItem> item(menu->itemAtIndex(0));
  std::atomic<bool> returned{false};
  std::thread caller([&] {
    mutex_NSMenu::performAction(item.get(), item.get());
    // The action has run by the time the call returns.
    EXPECT_EQ(chooser->chosen.size(), 1u);
    returned = true;
  });
  EXPECT_TRUE(moxicam::test::runLoopUntil([&] { return returned.load(); }));
  caller.join();
  EXPECT_TRUE(chooser->onMainThread);
}

TEST(MutexMenu, PopUpButtonsForwardToTheirMenu) {
  objc::AutoreleasePool pool;
  auto* button = static_cast<NSPopUpButton*>(NSPopUpButton::alloc()->initWithFrame(NSMakeRect(0, 0, 100, 20))->autorelease());
  button->addItemsWithTitles(NSArray::arrayWithObjects({NSSTR("One"), NSSTR("Two")}));
  mutex_NSMenu::setStringParamValue(button, NSSTR("Two"));
  EXPECT_EQ(mutex_NSMenu::exclusiveSelection(button), button->itemAtIndex(1));
  EXPECT_STREQ(mutex_NSMenu::stringParamValue(button)->UTF8String(), "Two");
}

struct RemoveCase {
  const char* name;
  bool fromIndex;
  NSInteger from, to;
  std::vector<std::string> left;
};

class MenuRemoval : public testing::TestWithParam<RemoveCase> {};

TEST_P(MenuRemoval, RemovesTheRunOfItems) {
  objc::AutoreleasePool pool;
  NSMenu* menu = makeMenu({"a", "b", "c", "d"});
  const RemoveCase& c = GetParam();
  if (c.fromIndex) {
    NSMenuRemoveItemsFromIndex(menu, c.from);
  } else {
    NSMenuRemoveItemsInRange(menu, c.from, c.to);
  }
  std::vector<std::string> left;
  for (NSInteger i = 0; i < menu->numberOfItems(); ++i) left.push_back(menu->itemAtIndex(i)->title()->UTF8String());
  EXPECT_EQ(left, c.left);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, MenuRemoval,
    testing::Values(RemoveCase{"from_zero", true, 0, 0, {}}, RemoveCase{"from_two", true, 2, 0, {"a", "b"}},
                    RemoveCase{"from_the_end", true, 4, 0, {"a", "b", "c", "d"}},
                    RemoveCase{"from_past_the_end", true, 9, 0, {"a", "b", "c", "d"}},
                    RemoveCase{"range", false, 1, 3, {"a", "d"}},
                    RemoveCase{"empty_range", false, 2, 2, {"a", "b", "c", "d"}},
                    RemoveCase{"range_past_the_end", false, 2, 10, {"a", "b"}}),
    [](const testing::TestParamInfo<RemoveCase>& info) { return std::string(info.param.name); });

}  // namespace
