#include "UILocalizationPanelController.h"

#include <Foundation/NSBundle.h>
#include <Foundation/NSKeyValueCoding.h>
#include <objc/MethodTable.h>

#include "UILocalLanguageController.h"
#include "UILocalLanguageNSMenuItem.h"
#include "UILocalizationEditorArrayController.h"
#include "UILocalizationNibbler.h"
#include "UILocalizationPanel.h"

int import_UILocalizationPanelController() {
  import_UNibSingleton();
  import_UILocalizationPanel();
  return 1;
}

int import_UILocalization() {
  import_UNibSingleton();
  import_UILocalizationNibbler();
  import_UILocalLanguageNSMenuItem();
  import_UILocalLanguageController();
  import_UILocalizationEditorArrayController();
  import_UILocalizationPanelController();
  return 1;
}

OBJC_CLASS_DEFINE(UILocalizationPanelController)
OBJC_METHODS(UILocalizationPanelController,
             OBJC_METHOD("localizationPanel:", &UILocalizationPanelController::localizationPanel))
NS_PROPERTIES(UILocalizationPanelController,
              NS_PROPERTY("outletLocalizationPanel", &UILocalizationPanelController::outletLocalizationPanel,
                          &UILocalizationPanelController::setOutletLocalizationPanel))

NSNib* UILocalizationPanelController::localizationPanelNib() const {
  std::lock_guard<std::mutex> lock(mLock);
  return mNib.get();
}

void UILocalizationPanelController::awakeFromNib() {
  RefPtr<NSNib> nib;
  {
    std::lock_guard<std::mutex> lock(mLock);
    if (mNib) return;
    mNib =
        adopt(NSNib::alloc()->initWithNibNamed_bundle(NSSTR("UILocalizationPanel"), NSBundle::mainBundle()));
    nib = mNib;
  }
  NSArray* topLevelObjects = nullptr;
  if (!nib || !nib->instantiateNibWithOwner_topLevelObjects(this, &topLevelObjects)) return;
  std::lock_guard<std::mutex> lock(mLock);
  mTopLevelObjects = RefPtr<NSArray>(topLevelObjects);
}

void UILocalizationPanelController::localizationPanel(NSObject* sender) {
  if (RefPtr<NSPanel> panel = mPanel.get()) panel->makeKeyAndOrderFront(sender);
}
