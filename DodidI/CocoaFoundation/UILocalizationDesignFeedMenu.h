#pragma once
// The design feed of downloadable user-interface localizations: a design feed menu with no
// behaviour of its own, a class of its own so that its objects are known for what they hold.
#include "NSUIDesignFeedMenu.h"

int import_UILocalizationDesignFeedMenu();

class UILocalizationDesignFeedMenu : public NSUIDesignFeedMenu {
  OBJC_CLASS_DECL(UILocalizationDesignFeedMenu, NSUIDesignFeedMenu)

 public:
  // Autoreleased.
  static UILocalizationDesignFeedMenu* designFeedMenuWithCategory_feedURL_prefsKey_updateURL(
      NSString* category, NSString* feedURL, NSString* prefsKey, NSString* updateURL) {
    return NSUIDesignFeedMenu::designFeedMenuWithCategory_feedURL_prefsKey_updateURL<
        UILocalizationDesignFeedMenu>(category, feedURL, prefsKey, updateURL);
  }

 protected:
  UILocalizationDesignFeedMenu() = default;
};
