#include "UILocalizationNibbler.h"

#include <Foundation/NSBridging.h>
#include <Foundation/NSKeyValueCoding.h>

#include "UILocalLanguageController.h"
#include "UILocalLanguageNSMenuItem.h"

int import_UILocalizationNibbler() {
  import_UILocalizationBookmarksController();
  import_UILocalLanguageNSMenuItem();
  import_UILocalLanguageController();
  return 1;
}

OBJC_CLASS_DEFINE(UILocalizationNibbler)
NS_PROPERTIES(UILocalizationNibbler,
              NS_READONLY_PROPERTY("bookmarksController", &UILocalizationNibbler::bookmarksController))

UILocalizationBookmarksController* UILocalizationNibbler::bookmarksController() const {
  return NSDynamicCast<UILocalizationBookmarksController>(nibblerController());
}
