#include "NSUIBookmarksController.h"

#include <AppKit/NSPasteboard.h>
#include <ChildProcess.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSIndexSet.h>
#include <Foundation/NSUserDefaults.h>
#include <TemporaryRoot.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "NSDictionary_PropertyListArchiving.h"

const char* g_CoreMachDebug_LogPrefix = "BookmarksTest";
const char* g_CoreMachDebug_LogFileName = "BookmarksTest.log";

namespace {

std::string text(NSObject* value) {
  auto* string = NSDynamicCast<NSString>(value);
  return string ? string->UTF8String() : "(nil)";
}

NSString* ns(const std::string& value) { return NSString::stringWithUTF8String(value.c_str()); }

}  // namespace

// A target whose settings are one dictionary.
class SettingsTarget : public NSObject, public NSObject_protocol_NSUIBookmarksTarget {
  OBJC_CLASS_DECL(SettingsTarget, NSObject)

 public:
  bool setSettingsDictionary(NSDictionary* dictionary) override {
    settings = RefPtr<NSDictionary>(dictionary);
    return true;
  }
  NSDictionary* currentSettingsDictionary(bool) override { return settings.get(); }
  NSString* currentSettingsDictionaryName() override { return NSSTR("Current"); }

  RefPtr<NSDictionary> settings{NSDictionary::dictionaryWithObject_forKey(NSSTR("on"), NSSTR("light"))};
};
OBJC_CLASS_DEFINE(SettingsTarget)

class StudioBookmarks : public NSUIBookmarksController {
  OBJC_CLASS_DECL(StudioBookmarks, NSUIBookmarksController)
};
OBJC_CLASS_DEFINE(StudioBookmarks)

struct Bookmarks : ::testing::Test {
  Bookmarks() {
    NSUserDefaults::resetStandardUserDefaults();
    list = adopt(static_cast<NSArrayController*>(NSArrayController::alloc()->init()));
    controller = adopt(static_cast<NSUIBookmarksController*>(NSUIBookmarksController::alloc()->init()));
    target = adopt(static_cast<SettingsTarget*>(SettingsTarget::alloc()->init()));
    controller->setOutletArrayController(list.get());
    controller->setOutletTarget(target.get());
    controller->awakeFromNib();
  }
  ~Bookmarks() override {
    ::unsetenv("MOXICAM_PANEL_ANSWER");
    NSUserDefaults::resetStandardUserDefaults();
  }

  std::vector<std::string> names() {
    std::vector<std::string> out;
    for (NSObject* record : *controller->presetsArray()) {
      out.push_back(text(static_cast<NSDictionary*>(record)->objectForKey(NSSTR("presetNameString"))));
    }
    return out;
  }
  void select(std::initializer_list<NSUInteger> indexes) {
    NSMutableIndexSet* set = NSMutableIndexSet::indexSet();
    for (NSUInteger index : indexes) set->addIndex(index);
    list->setSelectionIndexes(set);
  }

  moxicam::test::TemporaryRoot root;
  objc::AutoreleasePool pool;
  RefPtr<NSArrayController> list;
  RefPtr<NSUIBookmarksController> controller;
  RefPtr<SettingsTarget> target;
};

TEST_F(Bookmarks, TheListIsStoredUnderTheClassNameAndTheKey) {
  EXPECT_EQ(text(controller->presetDataSerializationKey()),
            "NSUIBookmarksControllerpresetDataSerializationKey");
  RefPtr<StudioBookmarks> studio = adopt(static_cast<StudioBookmarks*>(StudioBookmarks::alloc()->init()));
  EXPECT_EQ(text(studio->presetDataSerializationKey()), "StudioBookmarkspresetDataSerializationKey");
  EXPECT_EQ(text(studio->defaultXMLExportFileName()), "StudioBookmarks");
  EXPECT_EQ(text(controller->presetNameDefaultValue()), "My Bookmark");
}

TEST_F(Bookmarks, DuplicatesAreNamedAfterTheirOriginAndStandBesideIt) {
  controller->addNewPresetForScript_scriptName(NSSTR("a=1;"), NSSTR("Studio"));
  controller->addNewPresetForScript_scriptName(NSSTR("b=1;"), NSSTR("Stage"));
  select({0});
  controller->actionDuplicateCurrentPreset(nullptr);
  EXPECT_EQ(names(), (std::vector<std::string>{"Studio", "Studio 1", "Stage"}));
  select({1});
  controller->actionDuplicateCurrentPreset(nullptr);
  EXPECT_EQ(names(), (std::vector<std::string>{"Studio", "Studio 1", "Studio 1 1", "Stage"}));
  list->setSelectionIndexes(NSIndexSet::indexSet());
  controller->actionDuplicateCurrentPreset(nullptr);
  EXPECT_EQ(names().size(), 4u);
}

TEST_F(Bookmarks, ReadingTheTargetReplacesOnlyTheFirstSelectedBookmark) {
  controller->addNewPresetForScript_scriptName(NSSTR("old=1;"), NSSTR("One"));
  controller->addNewPresetForScript_scriptName(NSSTR("old=2;"), NSSTR("Two"));
  controller->addNewPresetForScript_scriptName(NSSTR("old=3;"), NSSTR("Three"));
  select({0, 2});
  controller->actionPresetScriptRead(nullptr);
  EXPECT_EQ(names(), (std::vector<std::string>{"One", "Two", "Three"}));
  NSArray* records = controller->presetsArray();
  EXPECT_NE(
      text(static_cast<NSDictionary*>(records->objectAtIndex(0))->objectForKey(NSSTR("presetCodeString")))
          .find("light=on;"),
      std::string::npos);
  EXPECT_EQ(
      text(static_cast<NSDictionary*>(records->objectAtIndex(2))->objectForKey(NSSTR("presetCodeString"))),
      "old=3;");
}

TEST_F(Bookmarks, ApplyingAndTheDefaultTargetsEmptyDesign) {
  controller->applyPresetScriptToBookmarkTarget(NSSTR("x=1;y=2;"));
  EXPECT_EQ(text(target->settings->objectForKey(NSSTR("y"))), "2");
  RefPtr<NSObject> plain = adopt(NSObject::alloc()->init());
  EXPECT_EQ(text(NSUIBookmarksTarget::of(plain.get())->emptySettingsDictionaryScript()),
            "com.quillfen.bookmark.begin;\r\ncom.quillfen.version=1;\r\ncom.quillfen.bookmark.end;\r\n");
  EXPECT_FALSE(NSUIBookmarksTarget::of(plain.get())->setSettingsDictionaryScript(NSSTR("a=1;")));
}

TEST_F(Bookmarks, PastedTextBecomesABookmarkAndCopiedTextIsTheTargetsCode) {
  controller->actionCopyToPasteboardAsText(nullptr);
  NSString* copied = NSPasteboard::generalPasteboard()->stringForType(NSStringPboardType);
  EXPECT_NE(text(copied).find("light=on;"), std::string::npos);
  NSPasteboard* board = NSPasteboard::generalPasteboard();
  board->declareTypes_owner(NSArray::arrayWithObject(NSStringPboardType), nullptr);
  board->setString_forType(NSSTR("pasted=1;"), NSStringPboardType);
  controller->actionPasteFromPasteboardAsText(nullptr);
  EXPECT_EQ(names(), (std::vector<std::string>{"My Bookmark"}));
}

TEST_F(Bookmarks, TheListSurvivesInTheUserDefaultsAndBadDataLeavesItEmpty) {
  controller->addNewPresetForScript_scriptName(NSSTR("a=1;"), NSSTR("Kept"));
  controller->savePresetsToUserDefaults();
  NSUserDefaults::resetStandardUserDefaults();
  RefPtr<NSArrayController> otherList =
      adopt(static_cast<NSArrayController*>(NSArrayController::alloc()->init()));
  RefPtr<NSUIBookmarksController> other =
      adopt(static_cast<NSUIBookmarksController*>(NSUIBookmarksController::alloc()->init()));
  other->setOutletArrayController(otherList.get());
  other->awakeFromNib();
  ASSERT_EQ(other->presetsArray()->count(), 1u);
  EXPECT_EQ(text(static_cast<NSDictionary*>(other->presetsArray()->firstObject())
                     ->objectForKey(NSSTR("presetNameString"))),
            "Kept");

  NSUserDefaults::standardUserDefaults()->setObject_forKey(NSData::dataWithBytes_length("junk", 4),
                                                           other->presetDataSerializationKey());
  other->loadPresetsFromUserDefaults();
  EXPECT_EQ(other->presetsArray()->count(), 0u);
}

TEST_F(Bookmarks, ExportedFilesReadWithStandardToolsAndImportIntoAnotherList) {
  controller->addNewPresetForScript_scriptName(NSSTR("a=1;"), NSSTR("Studio"));
  controller->addNewPresetForScript_scriptName(NSSTR("a=2;"), NSSTR("Studio"));
  controller->addNewPresetForScript_scriptName(NSSTR("b=1;"), NSSTR("Stage & <Light>"));
  const std::string file = root.path() + "/Exported.plist";
  ::setenv("MOXICAM_PANEL_ANSWER", (root.path() + "/Exported").c_str(), 1);
  controller->actionExportXML(nullptr);

  moxicam::test::ChildResult lint = moxicam::test::runChild("xmllint", {"--noout", file});
  EXPECT_EQ(lint.exitCode, 0) << lint.err;
  const char* script =
      "import plistlib,sys\n"
      "outer=plistlib.load(open(sys.argv[1],'rb'))\n"
      "assert outer['$archiver']=='NSKeyedArchiver', outer['$archiver']\n"
      "print(','.join(sorted(outer['$top'].keys())))\n";
  moxicam::test::ChildResult plist = moxicam::test::runChild("python3", {"-c", script, file});
  EXPECT_EQ(plist.exitCode, 0) << plist.err;
  EXPECT_EQ(plist.out, "NSDictionary_PropertyListArchivingDefaultKey\n");

  NSDictionary* exported = controller->allPresetsDictionaryWithNamedPresets();
  EXPECT_EQ(exported->count(), 2u);
  EXPECT_EQ(text(static_cast<NSDictionary*>(exported->objectForKey(NSSTR("Studio")))
                     ->objectForKey(NSSTR("presetCodeString"))),
            "a=2;");

  RefPtr<NSArrayController> otherList =
      adopt(static_cast<NSArrayController*>(NSArrayController::alloc()->init()));
  RefPtr<StudioBookmarks> other = adopt(static_cast<StudioBookmarks*>(StudioBookmarks::alloc()->init()));
  other->setOutletArrayController(otherList.get());
  other->awakeFromNib();
  ::setenv("MOXICAM_PANEL_ANSWER", file.c_str(), 1);
  other->actionImportXML(nullptr);
  other->actionImportXML(nullptr);
  std::vector<std::string> imported;
  for (NSObject* record : *other->presetsArray()) {
    imported.push_back(text(static_cast<NSDictionary*>(record)->objectForKey(NSSTR("presetNameString"))));
  }
  std::sort(imported.begin(), imported.end());
  EXPECT_EQ(imported, (std::vector<std::string>{"Stage & <Light>", "Stage & <Light>", "Studio", "Studio"}));

  root.writeFile("NotBookmarks.plist", "<plist><string>x</string></plist>");
  ::setenv("MOXICAM_PANEL_ANSWER", (root.path() + "/NotBookmarks.plist").c_str(), 1);
  other->actionImportXML(nullptr);
  EXPECT_EQ(other->presetsArray()->count(), 4u);
}
