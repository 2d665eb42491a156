#pragma once
// The localization panel. It holds the presets' view and passes the application's launch and
// termination to the presets, setting the fixed feed settings first.
#include <AppKit/NSPanel.h>
#include <Foundation/NSNotification.h>
#include <objc/WeakPtr.h>

#include "UILocalizationNibbler.h"

int import_UILocalizationPanel();

class UILocalizationPanel : public NSPanel {
  OBJC_CLASS_DECL(UILocalizationPanel, NSPanel)

 public:
  // The sub-domain of the blog that carries the localizations (a value of the deployment).
  static NSString* localizationBlogSubDomain();

  void awakeFromNib() override;
  void applicationDidFinishLaunching(NSNotification* notification);
  void applicationWillTerminate(NSNotification* notification);

  UILocalizationNibbler* outletLocalizationNibbler() const { return mNibbler.get().get(); }
  void setOutletLocalizationNibbler(UILocalizationNibbler* nibbler) { mNibbler = nibbler; }

 protected:
  UILocalizationPanel() = default;
  ~UILocalizationPanel() override;

 private:
  WeakPtr<UILocalizationNibbler> mNibbler;
};
