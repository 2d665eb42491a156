#pragma once
// The view of the localization presets, loaded from the nib "UILocalizationNibbler"; the nib's
// controller is the presets' bookmarks controller.
#include "NSUIViewNibbler.h"
#include "UILocalizationBookmarksController.h"

int import_UILocalizationNibbler();

class UILocalizationNibbler : public NSUIViewNibbler {
  OBJC_CLASS_DECL(UILocalizationNibbler, NSUIViewNibbler)

 public:
  UILocalizationBookmarksController* bookmarksController() const;

 protected:
  UILocalizationNibbler() = default;
};
