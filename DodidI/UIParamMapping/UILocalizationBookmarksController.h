#pragma once
// The localization presets: bookmarks whose target is the language table, each a whole
// user-interface localization, beside a menu of localizations that a design feed on the web
// offers. Made and refreshed when the application has finished launching; presets and the
// downloaded localizations are saved when it terminates.
#include <AppKit/NSMenu.h>
#include <AppKit/NSMenuItem.h>
#include <Foundation/NSNotification.h>

#include <atomic>

#include "NSUIBookmarksController.h"
#include "UILocalLanguageController.h"
#include "UILocalizationDesignFeedMenu.h"

int import_UILocalizationBookmarksController();

class UILocalizationBookmarksController : public NSUIBookmarksController, public NSUIDesignFeedProtocol {
  OBJC_CLASS_DECL(UILocalizationBookmarksController, NSUIBookmarksController)

 public:
  NSString* designsURL() const;
  NSString* moreDesignsURL() const;
  NSString* designFeedCategory() const;
  NSString* designFeedUserSerializationKey() const;
  NSArray* designNames() const;

  void applicationDidFinishLaunching(NSNotification* notification);
  void applicationWillTerminate(NSNotification* notification);

  void applyLanguageToControllerTarget(NSString* script) { applyPresetScriptToBookmarkTarget(script); }
  // Applies the feed's design of that name; a name the feed does not have changes nothing.
  void selectRemotePresetDesignWithName(NSString* name);
  void actionSelectRemotePresetFromDynamicMenu(NSObject* menuItem);
  void actionRefreshDynamicMenuWithRemotePresets(NSObject* sender);
  // Adds a preset of every US-English default, named with the localized "English (US)".
  void actionCreatePresetUsingUSEnglishDefaultsAsTemplate(NSObject* sender);
  void actionAddMissingUIElementsToCustomLanguage(NSObject* sender);
  // The feed rebuilds its menu itself.
  void designFeedUpdated(NSObject*) override {}

  NSMenu* outletLocalizationMenu() const { return mMenu.get().get(); }
  void setOutletLocalizationMenu(NSMenu* menu) { mMenu = menu; }
  NSMenuItem* outletRemoteLanguagesMenuSeparator() const { return mFirstSeparator.get().get(); }
  void setOutletRemoteLanguagesMenuSeparator(NSMenuItem* item) { mFirstSeparator = item; }
  NSMenuItem* outletRemoteLanguagesLastSeparator() const { return mLastSeparator.get().get(); }
  void setOutletRemoteLanguagesLastSeparator(NSMenuItem* item) { mLastSeparator = item; }
  UILocalLanguageController* outletLocalLanguageController() const { return mLanguage.get().get(); }
  void setOutletLocalLanguageController(UILocalLanguageController* table) { mLanguage = table; }

  NSString* blogspotDomain() const { return mDomain.get(); }
  void setBlogspotDomain(NSString* domain) { mDomain.set(domain); }
  NSString* blogspotLabelPrimary() const { return mPrimary.get(); }
  void setBlogspotLabelPrimary(NSString* label) { mPrimary.set(label); }
  NSString* blogspotLabelSecondary() const { return mSecondary.get(); }
  void setBlogspotLabelSecondary(NSString* label) { mSecondary.set(label); }
  bool feedburnerSameLabel() const { return mSameLabel; }
  void setFeedburnerSameLabel(bool sameLabel) { mSameLabel = sameLabel; }
  UILocalizationDesignFeedMenu* localizationsAtomFeed() const { return mFeed.get(); }
  void setLocalizationsAtomFeed(UILocalizationDesignFeedMenu* feed) { mFeed.set(feed); }

 protected:
  UILocalizationBookmarksController() = default;

 private:
  NSString* feedURLWithLabel(NSString* label) const;

  WeakPtr<NSMenu> mMenu;
  WeakPtr<NSMenuItem> mFirstSeparator;
  WeakPtr<NSMenuItem> mLastSeparator;
  WeakPtr<UILocalLanguageController> mLanguage;
  UAtomicProperty<NSString> mDomain;
  UAtomicProperty<NSString> mPrimary;
  UAtomicProperty<NSString> mSecondary;
  std::atomic<bool> mSameLabel{false};
  UAtomicProperty<UILocalizationDesignFeedMenu> mFeed;
};
