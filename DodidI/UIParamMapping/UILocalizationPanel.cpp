#include "UILocalizationPanel.h"

#include <Foundation/NSApplicationLifecycle.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSNotificationCenter.h>
#include <objc/MethodTable.h>

int import_UILocalizationPanel() {
  import_UILocalizationNibbler();
  return 1;
}

OBJC_CLASS_DEFINE(UILocalizationPanel)
OBJC_METHODS(UILocalizationPanel,
             OBJC_METHOD("applicationDidFinishLaunching:",
                         &UILocalizationPanel::applicationDidFinishLaunching),
             OBJC_METHOD("applicationWillTerminate:", &UILocalizationPanel::applicationWillTerminate))
NS_PROPERTIES(UILocalizationPanel,
              NS_PROPERTY("outletLocalizationNibbler", &UILocalizationPanel::outletLocalizationNibbler,
                          &UILocalizationPanel::setOutletLocalizationNibbler))

UILocalizationPanel::~UILocalizationPanel() { NSNotificationCenter::defaultCenter()->removeObserver(this); }

NSString* UILocalizationPanel::localizationBlogSubDomain() { return NSSTR("moxicam-localizations"); }

void UILocalizationPanel::awakeFromNib() {
  NSPanel::awakeFromNib();
  if (!mNibbler) return;
  NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
  center->addObserver_selector_name_object(this, SELECTOR("applicationDidFinishLaunching:"),
                                           NSApplicationDidFinishLaunchingNotification, nullptr);
  center->addObserver_selector_name_object(this, SELECTOR("applicationWillTerminate:"),
                                           NSApplicationWillTerminateNotification, nullptr);
}

void UILocalizationPanel::applicationDidFinishLaunching(NSNotification* notification) {
  RefPtr<UILocalizationNibbler> nibbler = mNibbler.get();
  if (!nibbler) return;
  if (UILocalizationBookmarksController* presets = nibbler->bookmarksController()) {
    presets->setBlogspotDomain(localizationBlogSubDomain());
    presets->setBlogspotLabelPrimary(NSSTR("ridorurov2"));
    presets->setBlogspotLabelSecondary(NSSTR("uiglobal"));
    presets->setFeedburnerSameLabel(true);
    presets->applicationDidFinishLaunching(notification);
  }
}

void UILocalizationPanel::applicationWillTerminate(NSNotification* notification) {
  RefPtr<UILocalizationNibbler> nibbler = mNibbler.get();
  if (!nibbler) return;
  if (UILocalizationBookmarksController* presets = nibbler->bookmarksController()) {
    presets->applicationWillTerminate(notification);
  }
}
