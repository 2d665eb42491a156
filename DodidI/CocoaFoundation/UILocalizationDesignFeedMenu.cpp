#include "UILocalizationDesignFeedMenu.h"

int import_UILocalizationDesignFeedMenu() {
  import_NSUIDesignFeedMenu();
  return 1;
}

OBJC_CLASS_DEFINE(UILocalizationDesignFeedMenu)
