#pragma once
// A view from a nib shown in a dark popover beside the control that was clicked; dragged off,
// the popover becomes a dark utility panel showing the same view, which stays open (it is
// kept, not released, when closed) and is brought to the front by later clicks instead of a
// new popover.
#include <AppKit/NSPanel.h>
#include <AppKit/NSPopover.h>
#include <AppKit/NSViewController.h>
#include <objc/WeakPtr.h>

#include "NSUIGradientView.h"
#include "UAtomicProperty.h"

int import_NSPopoverDarklyController();

// The usual content view: a gradient from dark grey at the bottom to black at the top.
class NSPopoverDarklyView : public NSUIGradientView {
  OBJC_CLASS_DECL(NSPopoverDarklyView, NSUIGradientView)

 public:
  struct Meta : NSUIGradientView::Meta {
    NSColor* gradientStartingColor(Class cls) const override;
    NSColor* gradientEndingColor(Class cls) const override;
  };
};

// Wraps the view; its preferred size is the view's bounds size when it was made.
class NSPopoverDarklyViewController : public NSViewController {
  OBJC_CLASS_DECL(NSPopoverDarklyViewController, NSViewController)

 public:
  NSPopoverDarklyViewController* initWithView(NSView* view);
  NSSize preferredContentSize() override { return _preferredContentSize; }

 protected:
  NSPopoverDarklyViewController() = default;

 private:
  NSSize _preferredContentSize{};
};

// The detached form.
class NSPopoverDarklyPanel : public NSPanel {
  OBJC_CLASS_DECL(NSPopoverDarklyPanel, NSPanel)

 public:
  NSViewController* darkContentViewController() const { return contentViewController(); }
  void setDarkContentViewController(NSViewController* controller) { setContentViewController(controller); }

 protected:
  NSPopoverDarklyPanel() = default;
};

class NSPopoverDarklyController : public NSObject, public NSPopoverDelegate {
  OBJC_CLASS_DECL(NSPopoverDarklyController, NSObject)

 public:
  NSObject* init() override;
  // From a nib: "windowTitle" and "popoverPosition" when the nib gives them.
  NSObject* initWithCoder(NSCoder* coder) override;

  // Nib outlet, not retained.
  NSPopoverDarklyView* popoverContentView() const { return mPopoverContentView.get().get(); }
  void setPopoverContentView(NSPopoverDarklyView* view) { mPopoverContentView = view; }
  NSPopoverDarklyViewController* popoverViewController() const { return mPopoverViewController.get(); }
  void setPopoverViewController(NSPopoverDarklyViewController* controller) {
    mPopoverViewController.set(controller);
  }
  NSPopoverDarklyPanel* detachedHUDWindow() const { return mDetachedHUDWindow.get(); }
  void setDetachedHUDWindow(NSPopoverDarklyPanel* panel) { mDetachedHUDWindow.set(panel); }
  NSPopover* detachablePopover() const { return mDetachablePopover.get(); }
  void setDetachablePopover(NSPopover* popover) { mDetachablePopover.set(popover); }
  NSRectEdge popoverPosition() const { return mPopoverPosition; }
  void setPopoverPosition(NSRectEdge edge) { mPopoverPosition = edge; }
  NSString* windowTitle() const { return mWindowTitle.get(); }
  void setWindowTitle(NSString* title) { mWindowTitle = RefPtr<NSString>(title); }

  // The view controller, made with the panel on first use.
  NSPopoverDarklyViewController* popoverViewControllerLazy();
  // The popover, made on first use after each close: transient, dark, animated.
  NSPopover* detachablePopoverLazy();
  // Fronts the panel when it is out; else shows the popover beside the sender. Without a
  // content view there is nothing to show: reported, nothing shown.
  void actionShowDetachablePopover(NSView* sender);

  bool popoverShouldDetach(NSPopover*) override { return true; }
  NSWindow* detachableWindowForPopover(NSPopover* popover) override;
  void popoverDidClose(NSNotification* notification) override;
  bool appearanceDark() const { return true; }

 protected:
  NSPopoverDarklyController() = default;
  ~NSPopoverDarklyController() override;

 private:
  WeakPtr<NSPopoverDarklyView> mPopoverContentView;
  UAtomicProperty<NSPopoverDarklyViewController> mPopoverViewController;
  UAtomicProperty<NSPopoverDarklyPanel> mDetachedHUDWindow;
  UAtomicProperty<NSPopover> mDetachablePopover;
  NSRectEdge mPopoverPosition = NSMaxYEdge;
  RefPtr<NSString> mWindowTitle;
};
