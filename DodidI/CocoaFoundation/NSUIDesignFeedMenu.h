#pragma once
// A design feed that keeps a run of menu items, between two separators, equal to its sorted
// design names, rebuilt after each refresh. Designs can be filtered by requirements through
// a subclass that also derives from NSUIDesignFeedMenuFilter.
#include <AppKit/NSMenuItem.h>
#include <objc/Selector.h>
#include <objc/WeakPtr.h>

#include <atomic>

#include "NSUIDesignFeed.h"

int import_NSUIDesignFeedMenu();

// The requirement filter a subclass supplies: YES leaves the design out of the menu.
class NSUIDesignFeedMenuFilter {
 public:
  virtual bool shouldFilterDesign(NSUIDesignCodes* design) = 0;

 protected:
  ~NSUIDesignFeedMenuFilter() = default;
};

class NSUIDesignFeedMenu : public NSUIDesignFeed {
  OBJC_CLASS_DECL(NSUIDesignFeedMenu, NSUIDesignFeed)

 public:
  // Autoreleased, of the class the call is made for.
  template <class Feed = NSUIDesignFeedMenu>
  static Feed* designFeedMenuWithCategory_feedURL_prefsKey_updateURL(NSString* category, NSString* feedURL,
                                                                     NSString* prefsKey,
                                                                     NSString* updateURL) {
    auto* feed = static_cast<Feed*>(Feed::alloc()->initFeedMenuWithCategory_feedURL_prefsKey_updateURL(
        category, feedURL, prefsKey, updateURL));
    return feed ? static_cast<Feed*>(feed->autorelease()) : nullptr;
  }
  static NSUIDesignFeedMenu* designFeedMenuWithCategory_feedURL_prefsKey(NSString* category,
                                                                         NSString* feedURL,
                                                                         NSString* prefsKey) {
    return designFeedMenuWithCategory_feedURL_prefsKey_updateURL(category, feedURL, prefsKey, nullptr);
  }
  NSUIDesignFeedMenu* initFeedMenuWithCategory_feedURL_prefsKey_updateURL(NSString* category,
                                                                          NSString* feedURL,
                                                                          NSString* prefsKey,
                                                                          NSString* updateURL);

  // NO, changing nothing, without a from item, a target or an action; the menu is not rebuilt.
  bool setDesignMenuFromSeparator_toSeparator_withTarget_withAction(NSMenuItem* from, NSMenuItem* to,
                                                                    NSObject* target, SEL action);
  // The same, then rebuilds the menu.
  bool refreshDesignMenuFromSeparator_toSeparator_withTarget_withAction(NSMenuItem* from, NSMenuItem* to,
                                                                        NSObject* target, SEL action);
  bool setDesignMenu_withTarget_withAction(NSMenuItem* from, NSObject* target, SEL action) {
    return setDesignMenuFromSeparator_toSeparator_withTarget_withAction(from, nullptr, target, action);
  }
  bool refreshDesignMenu_withTarget_withAction(NSMenuItem* from, NSObject* target, SEL action) {
    return refreshDesignMenuFromSeparator_toSeparator_withTarget_withAction(from, nullptr, target, action);
  }

  // The designs the menu shows (filtered).
  NSDictionary* designDictionary() override;
  NSDictionary* filteredDesignsByRequirements();
  NSArray* filteredDesignNames();
  void designDictionaryChanged(NSObject* sender) override;
  void buildMenuWithTarget_withAction(NSObject* target, SEL action);

  NSMenuItem* fromMenuSeparator() const { return mFrom.get().get(); }
  NSMenuItem* toMenuSeparatorOrNil() const { return mTo.get().get(); }
  NSObject* menuTarget() const { return mTarget.get().get(); }
  SEL menuAction() const { return mAction.load(); }
  bool filterDesignsByRequirements() const { return mFilter; }
  void setFilterDesignsByRequirements(bool filter) { mFilter = filter; }

 protected:
  NSUIDesignFeedMenu() = default;

 private:
  WeakPtr<NSMenuItem> mFrom;
  WeakPtr<NSMenuItem> mTo;
  WeakPtr<NSObject> mTarget;
  std::atomic<SEL> mAction{nullptr};
  std::atomic<bool> mFilter{false};
};
