#include <AppKit/NSMenu.h>
#include <AppKit/NSTableColumn.h>
#include <AppKit/NSTableView.h>
#include <AtomFeedServer.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSIndexSet.h>
#include <Foundation/NSUserDefaults.h>
#include <RunLoopUntil.h>
#include <TemporaryRoot.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UBloggerFeedData.h"
#include "UILocalLanguageController.h"
#include "UILocalizationBookmarksController.h"
#include "UILocalizationEditorArrayController.h"

const char* g_CoreMachDebug_LogPrefix = "LocalizationTest";
const char* g_CoreMachDebug_LogFileName = "LocalizationTest.log";

using moxicam::test::atomEntry;
using moxicam::test::atomFeed;
using moxicam::test::feedServer;

namespace {

std::string text(NSObject* value) {
  auto* string = NSDynamicCast<NSString>(value);
  return string ? string->UTF8String() : "(nil)";
}

RefPtr<NSTableColumn> column(NSString* identifier) {
  return adopt(static_cast<NSTableColumn*>(NSTableColumn::alloc())->initWithIdentifier(identifier));
}

std::string code(NSArray* records, NSUInteger index) {
  return text(
      static_cast<NSDictionary*>(records->objectAtIndex(index))->objectForKey(NSSTR("presetCodeString")));
}

}  // namespace

struct Localization : ::testing::Test {
  Localization() {
    NSUserDefaults::resetStandardUserDefaults();
    UBloggerFeedData::setDeploymentHosts(NSSTR("blog.example.test"), NSSTR("feeds.example.test"));
    feedServer();
    presets = adopt(static_cast<NSArrayController*>(NSArrayController::alloc()->init()));
    presets->setContent(NSMutableArray::array());
    controller = adopt(
        static_cast<UILocalizationBookmarksController*>(UILocalizationBookmarksController::alloc()->init()));
    controller->setOutletArrayController(presets.get());
    controller->setOutletTarget(UILocalLanguageController::language());
    controller->setOutletLocalLanguageController(UILocalLanguageController::language());
    controller->setBlogspotDomain(NSSTR("moxi"));
    controller->setBlogspotLabelPrimary(NSSTR("ridorurov2"));
    controller->setFeedburnerSameLabel(true);
  }
  ~Localization() override {
    EXPECT_TRUE(ATOM_FEED_HTTP_GET::waitUntilAllRequestsEnded(std::chrono::seconds(30)));
    UILocalLanguageController::language()->setSettingsDictionary(nullptr);
    NSUserDefaults::resetStandardUserDefaults();
  }

  RefPtr<UILocalizationEditorArrayController> editor() {
    RefPtr<UILocalizationEditorArrayController> made =
        adopt(static_cast<UILocalizationEditorArrayController*>(
            UILocalizationEditorArrayController::alloc()->init()));
    made->setOutletArrayController(presets.get());
    made->awakeFromNib();
    return made;
  }
  void select(std::initializer_list<NSUInteger> indexes) {
    NSMutableIndexSet* set = NSMutableIndexSet::indexSet();
    for (NSUInteger index : indexes) set->addIndex(index);
    presets->setSelectionIndexes(set);
  }

  moxicam::test::TemporaryRoot root;
  objc::AutoreleasePool pool;
  RefPtr<NSArrayController> presets;
  RefPtr<UILocalizationBookmarksController> controller;
};

TEST_F(Localization, AUSEnglishPresetListsEveryDefaultUnderTheLocalizedName) {
  UILocalLanguageController::registerDefaultValue_forStringWithID(NSSTR("Zoom"), NSSTR("test.loc.zoom"));
  controller->actionCreatePresetUsingUSEnglishDefaultsAsTemplate(nullptr);
  NSArray* records = controller->presetsArray();
  ASSERT_EQ(records->count(), 1u);
  EXPECT_EQ(text(static_cast<NSDictionary*>(records->firstObject())->objectForKey(NSSTR("presetNameString"))),
            "English (US)");
  EXPECT_NE(code(records, 0).find("test.loc.zoom=Zoom;"), std::string::npos);
  EXPECT_LT(code(records, 0).find("app.string.localization.usenglish=English (US);"),
            code(records, 0).find("test.loc.zoom=Zoom;"));
}

TEST_F(Localization, TheEditorShowsSortedRowsAndWritesEditsBack) {
  controller->addNewPresetForScript_scriptName(NSSTR("b.title=Bee;A.title=Ay;c.title=Sea;"), NSSTR("Mine"));
  controller->addNewPresetForScript_scriptName(NSSTR("x=1;"), NSSTR("Other"));
  select({0});
  RefPtr<UILocalizationEditorArrayController> rows = editor();
  ASSERT_EQ(rows->numberOfRowsInTableView(nullptr), 3);
  RefPtr<NSTableColumn> ids = column(NSSTR("propertyKeyPath"));
  RefPtr<NSTableColumn> texts = column(NSSTR("propertyKeyValue"));
  std::vector<std::string> order;
  for (NSInteger row = 0; row < 3; ++row)
    order.push_back(text(rows->tableView_objectValueForTableColumn_row(nullptr, ids.get(), row)));
  EXPECT_EQ(order, (std::vector<std::string>{"A.title", "b.title", "c.title"}));
  EXPECT_EQ(text(rows->tableView_objectValueForTableColumn_row(nullptr, texts.get(), 7)), "");

  rows->tableView_setObjectValue_forTableColumn_row(nullptr, NSSTR("renamed"), ids.get(), 0);
  EXPECT_FALSE(rows->arrangedObjectsDirty());
  rows->tableView_setObjectValue_forTableColumn_row(nullptr, NSSTR("Bienen"), texts.get(), 1);
  EXPECT_TRUE(rows->arrangedObjectsDirty());
  rows->updateValues(nullptr);
  EXPECT_NE(code(controller->presetsArray(), 0).find("b.title=Bienen;"), std::string::npos);
  EXPECT_FALSE(rows->arrangedObjectsDirty());

  rows->tableView_setObjectValue_forTableColumn_row(nullptr, NSSTR("Meer"), texts.get(), 2);
  rows->revertValues(nullptr);
  EXPECT_NE(code(controller->presetsArray(), 0).find("c.title=Sea;"), std::string::npos);
  EXPECT_NE(code(controller->presetsArray(), 0).find("b.title=Bienen;"), std::string::npos);

  select({0, 1});
  EXPECT_EQ(rows->numberOfRowsInTableView(nullptr), 3);
  EXPECT_EQ(rows->arrangedObjectsStringValueSaved(), nullptr);
}

TEST_F(Localization, AMenuItemTheFeedNoLongerHasChangesNothing) {
  UILocalLanguageController::language()->setSettingsDictionary(
      NSDictionary::dictionaryWithObject_forKey(NSSTR("Mein Text"), NSSTR("test.loc.mine")));
  controller->applicationDidFinishLaunching(nullptr);
  ASSERT_NE(controller->localizationsAtomFeed(), nullptr);
  controller->localizationsAtomFeed()->setFeedDesignDictionary(NSDictionary::dictionaryWithObject_forKey(
      ATOM_FEED_ITEM::atomFeedItemWithTitle_content(NSSTR("Deutsch"), NSSTR("test.loc.mine=Deutsch;")),
      NSSTR("Deutsch")));
  RefPtr<NSMenuItem> stale =
      adopt(static_cast<NSMenuItem*>(NSMenuItem::alloc()->initWithTitle_action_keyEquivalent(
          NSSTR("Klingon"), nullptr, NSString::string())));
  controller->actionSelectRemotePresetFromDynamicMenu(stale.get());
  EXPECT_EQ(text(UILocalLanguageController::stringWithID(NSSTR("test.loc.mine"))), "Mein Text");
  RefPtr<NSMenuItem> offered =
      adopt(static_cast<NSMenuItem*>(NSMenuItem::alloc()->initWithTitle_action_keyEquivalent(
          NSSTR("Deutsch"), nullptr, NSString::string())));
  controller->actionSelectRemotePresetFromDynamicMenu(offered.get());
  EXPECT_EQ(text(UILocalLanguageController::stringWithID(NSSTR("test.loc.mine"))), "Deutsch");
}

TEST_F(Localization, LaunchRefreshesOnlyWithDesignsAndTheRefreshActionFetches) {
  feedServer().answer(
      "/ridorurov2", 302, "",
      {"Location: http://moxi.blog.example.test/feeds/posts/default/-/ridorurov2?max-results=1000"});
  feedServer().answer("/feeds/posts/default/-/ridorurov2?max-results=1000", 200,
                      atomFeed(atomEntry("Deutsch", "a=b;") + atomEntry("Français", "a=c;")));
  int before = feedServer().requestCount("/ridorurov2");
  controller->applicationDidFinishLaunching(nullptr);
  ASSERT_TRUE(ATOM_FEED_HTTP_GET::waitUntilAllRequestsEnded(std::chrono::seconds(30)));
  EXPECT_EQ(feedServer().requestCount("/ridorurov2"), before);

  controller->actionRefreshDynamicMenuWithRemotePresets(nullptr);
  ASSERT_TRUE(moxicam::test::runLoopUntil([&] { return controller->designNames()->count() == 2; }));
  controller->applicationWillTerminate(nullptr);
  NSUserDefaults::resetStandardUserDefaults();

  RefPtr<UILocalizationBookmarksController> next = adopt(
      static_cast<UILocalizationBookmarksController*>(UILocalizationBookmarksController::alloc()->init()));
  next->setBlogspotDomain(NSSTR("moxi"));
  next->setBlogspotLabelPrimary(NSSTR("ridorurov2"));
  next->setFeedburnerSameLabel(true);
  int fetched = feedServer().requestCount("/ridorurov2");
  next->applicationDidFinishLaunching(nullptr);
  EXPECT_EQ(next->designNames()->count(), 2u);
  ASSERT_TRUE(ATOM_FEED_HTTP_GET::waitUntilAllRequestsEnded(std::chrono::seconds(30)));
  EXPECT_EQ(feedServer().requestCount("/ridorurov2"), fetched + 1);
}
