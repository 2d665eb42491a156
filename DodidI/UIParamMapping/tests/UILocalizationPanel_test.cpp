#include "UILocalizationPanel.h"

#include <AppKit/NSMenu.h>
#include <AtomFeedServer.h>
#include <Foundation/NSApplicationLifecycle.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSBundle.h>
#include <Foundation/NSNotificationCenter.h>
#include <Foundation/NSUserDefaults.h>
#include <Foundation/NibBuilder.h>
#include <TemporaryRoot.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "NSDictionary_PropertyListArchiving.h"
#include "UBloggerFeedData.h"
#include "UILocalLanguageController.h"
#include "UILocalizationPanelController.h"

const char* g_CoreMachDebug_LogPrefix = "LocalizationPanelTest";
const char* g_CoreMachDebug_LogFileName = "LocalizationPanelTest.log";

namespace {

std::string resources() { return NSBundle::mainBundle()->resourcePath()->UTF8String(); }

// The two nibs of the panel, as the application bundle carries them: the panel holds the
// presets' nibbler, whose own nib holds the presets, their list, the editor and the menu.
void writeNibs() {
  NibBuilder panel;
  panel.object("UILocalizationPanel", "panel");
  panel.object("UILocalizationNibbler", "nibbler");
  panel.outlet("owner", "outletLocalizationPanel", "panel");
  panel.outlet("panel", "outletLocalizationNibbler", "nibbler");
  ASSERT_TRUE(panel.writeToFile(resources() + "/UILocalizationPanel.nib"));

  NibBuilder nibbler;
  nibbler.object("NSView", "view");
  nibbler.object("UILocalizationBookmarksController", "presets");
  nibbler.object("NSArrayController", "list");
  nibbler.object("UILocalizationEditorArrayController", "editor");
  nibbler.object("UILocalLanguageController", "language");
  nibbler.object("NSMenuItem", "first");
  nibbler.object("NSMenuItem", "last");
  nibbler.outlet("owner", "nibblerSubView", "view");
  nibbler.outlet("owner", "nibblerController", "presets");
  nibbler.outlet("presets", "outletArrayController", "list");
  nibbler.outlet("presets", "outletTarget", "language");
  nibbler.outlet("presets", "outletLocalLanguageController", "language");
  nibbler.outlet("presets", "outletRemoteLanguagesMenuSeparator", "first");
  nibbler.outlet("presets", "outletRemoteLanguagesLastSeparator", "last");
  nibbler.outlet("editor", "outletArrayController", "list");
  ASSERT_TRUE(nibbler.writeToFile(resources() + "/UILocalizationNibbler.nib"));
}

TEST(LocalizationPanel, LaunchMakesTheFeedAndTerminationSavesPresetsAndDesigns) {
  moxicam::test::TemporaryRoot root;
  objc::AutoreleasePool pool;
  NSUserDefaults::resetStandardUserDefaults();
  UBloggerFeedData::setDeploymentHosts(NSSTR("blog.example.test"), NSSTR("feeds.example.test"));
  writeNibs();

  auto* controller =
      static_cast<UILocalizationPanelController*>(UILocalizationPanelController::alloc()->init());
  controller->awakeFromNib();
  auto* panel = NSDynamicCast<UILocalizationPanel>(controller->outletLocalizationPanel());
  ASSERT_NE(panel, nullptr);
  ASSERT_NE(panel->outletLocalizationNibbler(), nullptr);
  UILocalizationBookmarksController* presets = panel->outletLocalizationNibbler()->bookmarksController();
  ASSERT_NE(presets, nullptr);
  // A second awakening loads nothing again.
  controller->awakeFromNib();
  EXPECT_EQ(controller->outletLocalizationPanel(), panel);

  NSNotificationCenter::defaultCenter()->postNotificationName_object(
      NSApplicationDidFinishLaunchingNotification, nullptr);
  EXPECT_EQ(std::string(presets->blogspotLabelPrimary()->UTF8String()), "ridorurov2");
  EXPECT_TRUE(presets->feedburnerSameLabel());
  ASSERT_NE(presets->localizationsAtomFeed(), nullptr);
  EXPECT_EQ(std::string(presets->designsURL()->UTF8String()), "http://feeds.example.test/ridorurov2");
  EXPECT_EQ(std::string(presets->moreDesignsURL()->UTF8String()), "http://feeds.example.test/uiglobal");

  presets->addNewPresetForScript_scriptName(NSSTR("a=1;"), NSSTR("Mine"));
  presets->localizationsAtomFeed()->setFeedDesignDictionary(NSDictionary::dictionaryWithObject_forKey(
      ATOM_FEED_ITEM::atomFeedItemWithTitle_content(NSSTR("Deutsch"), NSSTR("a=b;")), NSSTR("Deutsch")));
  NSNotificationCenter::defaultCenter()->postNotificationName_object(NSApplicationWillTerminateNotification,
                                                                     nullptr);
  NSUserDefaults::resetStandardUserDefaults();
  NSUserDefaults* defaults = NSUserDefaults::standardUserDefaults();
  EXPECT_NE(defaults->dataForKey(NSSTR("UILocalizationBookmarksControllerpresetDataSerializationKey")),
            nullptr);
  NSData* designs = defaults->dataForKey(NSSTR("UILocalizationBookmarksControllerdesignFeedUserKey"));
  NSDictionary* saved = NSDictionary_PropertyListArchiving::dictionaryWithPropertyListData_andKey(
      designs, NSSTR("UILocalizationBookmarksControllerdesignFeedUserKey"));
  ASSERT_NE(saved, nullptr);
  EXPECT_NE(saved->objectForKey(NSSTR("Deutsch")), nullptr);

  std::remove((resources() + "/UILocalizationPanel.nib").c_str());
  std::remove((resources() + "/UILocalizationNibbler.nib").c_str());
  NSUserDefaults::resetStandardUserDefaults();
}

}  // namespace
