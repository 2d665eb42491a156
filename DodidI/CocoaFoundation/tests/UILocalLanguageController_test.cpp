#include "UILocalLanguageController.h"

#include <AppKit/NSButton.h>
#include <AppKit/NSMenu.h>
#include <AppKit/NSTextField.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSKeyValueObserving.h>
#include <Foundation/NSNotificationCenter.h>
#include <Foundation/NSValue.h>
#include <TemporaryRoot.h>
#include <gtest/gtest.h>
#include <objc/MethodTable.h>

#include <algorithm>
#include <string>
#include <vector>

#include "UILocalLanguageNSMenuItem.h"
#include "UILocalLanguageNSSegmentedControl.h"
#include "UILocalLanguageStringID.h"

const char* g_CoreMachDebug_LogPrefix = "UILocalLanguageControllerTest";
const char* g_CoreMachDebug_LogFileName = "UILocalLanguageControllerTest.log";

namespace {

const UILocalLanguageStringID sUSEnglish("app.string.localization.usenglish", "English (US)");
const UILocalLanguageStringID sStatic("test.static.title", "Static text");

std::string text(NSObject* value) {
  auto* string = NSDynamicCast<NSString>(value);
  return string ? string->UTF8String() : "(nil)";
}

UILocalLanguageController* table() { return UILocalLanguageController::language(); }

NSDictionary* dictionary(std::initializer_list<NSObject*> values, std::initializer_list<NSObject*> keys) {
  return NSDictionary::dictionaryWithObjects_forKeys(values, keys);
}

}  // namespace

// Writes down, in order, the key-value changes it hears (before and after) and the table's
// two notifications.
class ChangeLog : public NSObject {
  OBJC_CLASS_DECL(ChangeLog, NSObject)

 public:
  void observeValueForKeyPath_ofObject_change_context(NSString* keyPath, NSObject*, NSDictionary* change,
                                                      void*) override {
    bool prior = change && change->objectForKey(NSKeyValueChangeNotificationIsPriorKey);
    entries.push_back((prior ? "will " : "did ") + text(keyPath));
  }
  void willChange(NSNotification*) { entries.push_back("WillChangeLanguage"); }
  void didChange(NSNotification*) { entries.push_back("DidChangeLanguage"); }

  std::vector<std::string> entries;
};
OBJC_CLASS_DEFINE(ChangeLog)
OBJC_METHODS(ChangeLog, OBJC_METHOD("willChange:", &ChangeLog::willChange),
             OBJC_METHOD("didChange:", &ChangeLog::didChange))

struct LanguageTable : ::testing::Test {
  ~LanguageTable() override { table()->setSettingsDictionary(nullptr); }
  moxicam::test::TemporaryRoot root;
  objc::AutoreleasePool pool;
};

TEST_F(LanguageTable, FallsBackFromTheUserLayerToTheUSEnglishDefaults) {
  EXPECT_EQ(text(UILocalLanguageStringWithID(sUSEnglish)), "English (US)");
  table()->setSettingsDictionary(
      dictionary({NSSTR("Englisch (USA)")}, {NSSTR("app.string.localization.usenglish")}));
  EXPECT_EQ(text(UILocalLanguageStringWithID(sUSEnglish)), "Englisch (USA)");
  EXPECT_EQ(text(UILocalLanguageController::stringWithID(NSSTR("test.static.title"))), "Static text");
  table()->actionResetLanguageToDefaultUSEnglishLocalization(nullptr);
  EXPECT_EQ(text(UILocalLanguageStringWithID(sUSEnglish)), "English (US)");
  EXPECT_EQ(text(UILocalLanguageController::stringWithID(NSSTR("test.nobody.has.this"))), "(nil)");
}

TEST_F(LanguageTable, FirstDefaultWinsAndAStaticRegistrationOutranksLaterOnes) {
  EXPECT_EQ(
      text(UILocalLanguageController::stringWithID_defaultValue(NSSTR("test.first.wins"), NSSTR("one"))),
      "one");
  EXPECT_EQ(
      text(UILocalLanguageController::stringWithID_defaultValue(NSSTR("test.first.wins"), NSSTR("two"))),
      "one");
  EXPECT_FALSE(UILocalLanguageController::registerDefaultValue_forStringWithID(NSSTR("other"),
                                                                               NSSTR("test.static.title")));
  EXPECT_FALSE(
      UILocalLanguageController::registerDefaultValue_forStringWithID(nullptr, NSSTR("test.nil.default")));
  // An id no earlier run of this test registered (tests may run repeatedly in one process).
  static int runs = 0;
  NSString* fresh = NSString::stringWithFormat(NSSTR("test.fresh.default.%d"), ++runs);
  EXPECT_TRUE(UILocalLanguageController::registerDefaultValue_forStringWithID(NSSTR("x"), fresh));
}

TEST_F(LanguageTable, ChangeAnnouncesEachRootKeyOnceBetweenWillAndDidNotifications) {
  table()->setSettingsDictionary(dictionary({NSSTR("old")}, {NSSTR("d.e")}));
  RefPtr<ChangeLog> log = adopt(static_cast<ChangeLog*>(ChangeLog::alloc()->init()));
  for (const char* path : {"a.b", "d.e", "x.y"}) {
    table()->addObserver_forKeyPath_options_context(log.get(), NSString::stringWithUTF8String(path),
                                                    NSKeyValueObservingOptionPrior, nullptr);
  }
  NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
  center->addObserver_selector_name_object(log.get(), SELECTOR("willChange:"),
                                           UILocalLanguageControllerWillChangeLanguage, table());
  center->addObserver_selector_name_object(log.get(), SELECTOR("didChange:"),
                                           UILocalLanguageControllerDidChangeLanguage, table());

  EXPECT_TRUE(
      table()->setSettingsDictionary(dictionary({NSSTR("1"), NSSTR("2")}, {NSSTR("a.b"), NSSTR("a.c")})));
  std::vector<std::string> entries = log->entries;
  ASSERT_EQ(entries.size(), 6u);
  std::sort(entries.begin(), entries.begin() + 2);
  std::sort(entries.begin() + 3, entries.begin() + 5);
  EXPECT_EQ(entries, (std::vector<std::string>{"will a.b", "will d.e", "WillChangeLanguage", "did a.b",
                                               "did d.e", "DidChangeLanguage"}));

  log->entries.clear();
  EXPECT_TRUE(table()->setSettingsDictionary(nullptr));
  EXPECT_EQ(table()->current()->count(), 0u);
  EXPECT_EQ(log->entries.back(), "DidChangeLanguage");
  for (const char* path : {"a.b", "d.e", "x.y"}) {
    table()->removeObserver_forKeyPath(log.get(), NSString::stringWithUTF8String(path));
  }
  center->removeObserver(log.get());
}

TEST_F(LanguageTable, KeyPathsReachOnlyTheTablesReadableProperties) {
  table()->setSettingsDictionary(dictionary({NSSTR("t")}, {NSSTR("k.t")}));
  NSObject* settings = table()->valueForKeyPath(NSSTR("persistentSettings"));
  ASSERT_NE(settings, nullptr);
  EXPECT_TRUE(settings->isEqual(table()->current()));
  // Not a text, so no text.
  EXPECT_EQ(UILocalLanguageController::stringWithID(NSSTR("persistentSettings")), nullptr);
  EXPECT_EQ(text(UILocalLanguageController::stringWithID(NSSTR("currentSettingsDictionaryName")))
                .rfind("UI for ", 0),
            0u);
  // Ids that name other methods of the object run nothing and are plain missing texts.
  for (const char* id : {"dealloc", "retainCount", "init", "hash", "autorelease",
                         "actionResetLanguageToDefaultUSEnglishLocalization:"}) {
    EXPECT_EQ(UILocalLanguageController::stringWithID(NSString::stringWithUTF8String(id)), nullptr) << id;
  }
  EXPECT_EQ(text(UILocalLanguageController::stringWithID(NSSTR("k.t"))), "t");
}

TEST_F(LanguageTable, ValueForKeyIsNilAndRecordedUndefinedKeysAnswerADiagnostic) {
  EXPECT_EQ(table()->valueForKey(NSSTR("anything")), nullptr);
  EXPECT_TRUE(table()->requestedKeyPaths()->containsObject(NSSTR("anything")));
  EXPECT_EQ(text(table()->valueForUndefinedKey(NSSTR("zz"))), "valueForUndefinedKey:zz");
  EXPECT_EQ(text(UILocalLanguageController::rootKeyForKeyPath(NSSTR("a.b.c"))), "a");
  EXPECT_EQ(text(UILocalLanguageController::selectorFromKeyPath(NSSTR("a.b.c"))), "c");
  EXPECT_EQ(text(UILocalLanguageController::selectorFromKeyPath(NSSTR("plain"))), "plain");
}

TEST_F(LanguageTable, BoundTextsCaptureTheirNibTextAndFollowTheLanguage) {
  RefPtr<NSTextField> field =
      adopt(static_cast<NSTextField*>(NSTextField::alloc()->initWithFrame(NSMakeRect(0, 0, 80, 20))));
  field->setStringValue(NSSTR("Volume"));
  field->bind_toObject_withKeyPath_options(NSSTR("stringValue"), table(),
                                           NSSTR("test.bind.volume.stringValue"), nullptr);
  RefPtr<NSButton> button =
      adopt(static_cast<NSButton*>(NSButton::alloc()->initWithFrame(NSMakeRect(0, 0, 80, 20))));
  button->setTitle(NSSTR("Apply"));
  button->bind_toObject_withKeyPath_options(NSSTR("title"), table(), NSSTR("test.bind.apply.z"), nullptr);
  // A scalar property named by the key path is no text: the title is taken instead.
  RefPtr<NSButton> state =
      adopt(static_cast<NSButton*>(NSButton::alloc()->initWithFrame(NSMakeRect(0, 0, 80, 20))));
  state->setTitle(NSSTR("Mute"));
  state->bind_toObject_withKeyPath_options(NSSTR("title"), table(), NSSTR("test.bind.mute.state"), nullptr);

  EXPECT_EQ(text(UILocalLanguageController::stringWithID(NSSTR("test.bind.volume.stringValue"))), "Volume");
  EXPECT_EQ(text(UILocalLanguageController::stringWithID(NSSTR("test.bind.apply.z"))), "Apply");
  EXPECT_EQ(text(field->stringValue()), "Volume");

  table()->setSettingsDictionary(
      dictionary({NSSTR("Lautstärke"), NSSTR("Anwenden")},
                 {NSSTR("test.bind.volume.stringValue"), NSSTR("test.bind.apply.z")}));
  EXPECT_EQ(text(field->stringValue()), "Lautstärke");
  EXPECT_EQ(text(button->title()), "Anwenden");
  table()->setSettingsDictionary(nullptr);
  EXPECT_EQ(text(field->stringValue()), "Volume");
  EXPECT_EQ(text(button->title()), "Apply");
  field->unbind(NSSTR("stringValue"));
  button->unbind(NSSTR("title"));
  state->unbind(NSSTR("title"));
}

TEST_F(LanguageTable, SegmentLabelsRegisterTheirNibLabelAndFollowTheLanguage) {
  RefPtr<UILocalLanguageNSSegmentedControl> segments = adopt(static_cast<UILocalLanguageNSSegmentedControl*>(
      UILocalLanguageNSSegmentedControl::alloc()->initWithFrame(NSMakeRect(0, 0, 90, 20))));
  segments->setSegmentCount(3);
  segments->setLabel_forSegment(NSSTR("Left"), 0);
  segments->setLabel_forSegment(NSSTR("Right"), 2);
  segments->awakeFromNib();
  EXPECT_EQ(segments->isLocalizedSegmentLabelWithKeyPath(NSSTR("view.segment.2.label")), 2);
  EXPECT_EQ(segments->isLocalizedSegmentLabelWithKeyPath(NSSTR("view.segment.3.label")), -1);

  segments->bind_toObject_withKeyPath_options(NSSTR("test.seg.segment.2.label"), table(),
                                              NSSTR("test.seg.segment.2.label"), nullptr);
  EXPECT_EQ(text(UILocalLanguageController::stringWithID(NSSTR("test.seg.segment.2.label"))), "Right");
  EXPECT_EQ(text(segments->labelForSegment(2)), "Right");
  table()->setSettingsDictionary(dictionary({NSSTR("Rechts")}, {NSSTR("test.seg.segment.2.label")}));
  EXPECT_EQ(text(segments->labelForSegment(2)), "Rechts");
  EXPECT_EQ(text(segments->labelForSegment(0)), "Left");
  // Keys it does not know are ignored.
  segments->setValue_forKey(NSSTR("x"), NSSTR("noSuchKey"));
  segments->unbind(NSSTR("test.seg.segment.2.label"));
}

TEST_F(LanguageTable, AMenuItemTitleNamesItsMenuAndSubmenu) {
  RefPtr<NSMenu> bar = adopt(static_cast<NSMenu*>(NSMenu::alloc()->initWithTitle(NSSTR("File"))));
  RefPtr<NSMenu> submenu = adopt(static_cast<NSMenu*>(NSMenu::alloc()->initWithTitle(NSSTR("File"))));
  RefPtr<UILocalLanguageNSMenuItem> item = adopt(static_cast<UILocalLanguageNSMenuItem*>(
      UILocalLanguageNSMenuItem::alloc()->initWithTitle_action_keyEquivalent(NSSTR("File"), nullptr,
                                                                             NSSTR(""))));
  item->setSubmenu(submenu.get());
  bar->addItem(item.get());
  item->setTitle(NSSTR("Ablage"));
  EXPECT_EQ(text(item->title()), "Ablage");
  EXPECT_EQ(text(submenu->title()), "Ablage");
  EXPECT_EQ(text(bar->title()), "Ablage");
}

TEST_F(LanguageTable, DefaultsForUSEnglishAreOneSortedCodeString) {
  UILocalLanguageController::registerDefaultValue_forStringWithID(NSSTR("Zoom"), NSSTR("test.codes.zoom"));
  std::string codes = text(table()->defaultsForUSEnglishLocalization());
  EXPECT_EQ(codes.rfind("com.quillfen.bookmark.begin;\r\n", 0), 0u);
  EXPECT_NE(codes.find("test.codes.zoom=Zoom;\r\n"), std::string::npos);
  EXPECT_LT(codes.find("app.string.localization.usenglish="), codes.find("test.codes.zoom="));
}
