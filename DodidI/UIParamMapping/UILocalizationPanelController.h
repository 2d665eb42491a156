#pragma once
// The one controller of the localization panel: it loads the panel's nib
// ("UILocalizationPanel") once, with itself as owner, keeps what the nib made (the panel lives
// as long as the program), and brings the panel forward on demand.
#include <AppKit/NSPanel.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSNib.h>
#include <objc/WeakPtr.h>

#include <mutex>

#include "UNibSingleton.h"

int import_UILocalizationPanelController();
// Keeps the whole localization module linked.
int import_UILocalization();

class UILocalizationPanelController : public UNibSingleton {
  OBJC_CLASS_DECL(UILocalizationPanelController, UNibSingleton)

 public:
  void awakeFromNib() override;
  void localizationPanel(NSObject* sender);

  NSPanel* outletLocalizationPanel() const { return mPanel.get().get(); }
  void setOutletLocalizationPanel(NSPanel* panel) { mPanel = panel; }
  NSNib* localizationPanelNib() const;

 protected:
  UILocalizationPanelController() = default;

 private:
  mutable std::mutex mLock;
  RefPtr<NSNib> mNib;
  RefPtr<NSArray> mTopLevelObjects;
  WeakPtr<NSPanel> mPanel;
};
