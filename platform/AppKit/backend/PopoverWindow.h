#pragma once
// The borderless panel that shows a popover (inner workings of AppKit). A drag that starts
// on the popover's background, not on a control, asks the popover to detach, then moves
// whichever window carries the content on.
#include <AppKit/NSPanel.h>
#include <objc/WeakPtr.h>

class NSPopover;

namespace AppKitBackend {

class PopoverWindow : public NSPanel {
  OBJC_CLASS_DECL(PopoverWindow, NSPanel)

 public:
  void setPopover(NSPopover* popover) { mPopover = popover; }
  bool canBecomeKeyWindow() const override { return true; }
  void sendEvent(NSEvent* event) override;

 protected:
  PopoverWindow() = default;

 private:
  WeakPtr<NSPopover> mPopover;
};

}  // namespace AppKitBackend
