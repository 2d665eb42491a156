#pragma once
// Panels: windows for auxiliary controls (inspectors, heads-up displays).
#include <AppKit/NSWindow.h>

class APPKIT_CLASS NSPanel : public NSWindow {
  OBJC_CLASS_DECL(NSPanel, NSWindow)

 public:
  bool isFloatingPanel() const { return level() >= NSFloatingWindowLevel; }
  void setFloatingPanel(bool flag) { setLevel(flag ? NSFloatingWindowLevel : NSNormalWindowLevel); }
  bool becomesKeyOnlyIfNeeded() const { return mBecomesKeyOnlyIfNeeded; }
  void setBecomesKeyOnlyIfNeeded(bool flag) { mBecomesKeyOnlyIfNeeded = flag; }
  bool worksWhenModal() const { return mWorksWhenModal; }
  void setWorksWhenModal(bool flag) { mWorksWhenModal = flag; }

 protected:
  NSPanel() = default;

 private:
  bool mBecomesKeyOnlyIfNeeded = false;
  bool mWorksWhenModal = false;
};
