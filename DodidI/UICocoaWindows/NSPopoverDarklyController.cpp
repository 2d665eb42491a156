#include "NSPopoverDarklyController.h"

#include <Foundation/NSBridging.h>
#include <Foundation/NSCoder.h>
#include <Foundation/NSKeyValueCoding.h>
#include <objc/MethodTable.h>

#include "CoreMachDebug.h"

int import_NSPopoverDarklyController() { return 1; }

OBJC_CLASS_DEFINE(NSPopoverDarklyView)
OBJC_CLASS_DEFINE(NSPopoverDarklyViewController)
OBJC_CLASS_DEFINE(NSPopoverDarklyPanel)
OBJC_CLASS_DEFINE(NSPopoverDarklyController)

NS_PROPERTIES(NSPopoverDarklyController,
              NS_PROPERTY("popoverContentView", &NSPopoverDarklyController::popoverContentView,
                          &NSPopoverDarklyController::setPopoverContentView),
              NS_PROPERTY("windowTitle", &NSPopoverDarklyController::windowTitle,
                          &NSPopoverDarklyController::setWindowTitle),
              NS_PROPERTY("popoverPosition", &NSPopoverDarklyController::popoverPosition,
                          &NSPopoverDarklyController::setPopoverPosition))

OBJC_METHODS(NSPopoverDarklyController, OBJC_METHOD("actionShowDetachablePopover:",
                                                    &NSPopoverDarklyController::actionShowDetachablePopover))

namespace {

// Titled, closable, utility window, heads-up display.
constexpr NSWindowStyleMask kDetachedPanelStyle = 8211;

}  // namespace

NSColor* NSPopoverDarklyView::Meta::gradientStartingColor(Class) const { return NSColor::darkGrayColor(); }

NSColor* NSPopoverDarklyView::Meta::gradientEndingColor(Class) const { return NSColor::blackColor(); }

NSPopoverDarklyViewController* NSPopoverDarklyViewController::initWithView(NSView* view) {
  if (!initWithNibName_bundle(nullptr, nullptr)) return nullptr;
  setView(view);
  _preferredContentSize = view ? view->bounds().size : NSZeroSize;
  return this;
}

NSPopoverDarklyController::~NSPopoverDarklyController() {
  if (RefPtr<NSPopover> popover = mDetachablePopover.copy()) popover->setDelegate(nullptr);
}

NSObject* NSPopoverDarklyController::init() {
  mPopoverPosition = NSMaxYEdge;
  return this;
}

NSObject* NSPopoverDarklyController::initWithCoder(NSCoder* coder) {
  init();
  if (auto* title = NSDynamicCast<NSString>(coder->decodeObjectForKey(NSSTR("windowTitle"))))
    setWindowTitle(title);
  if (coder->containsValueForKey(NSSTR("popoverPosition"))) {
    setPopoverPosition(NSRectEdge(coder->decodeIntegerForKey(NSSTR("popoverPosition"))));
  }
  return this;
}

NSPopoverDarklyViewController* NSPopoverDarklyController::popoverViewControllerLazy() {
  if (NSPopoverDarklyViewController* existing = popoverViewController()) return existing;
  RefPtr<NSPopoverDarklyView> view = mPopoverContentView.get();
  RefPtr<NSPopoverDarklyViewController> controller = adopt(
      view ? NSPopoverDarklyViewController::alloc()->initWithView(view.get())
           : static_cast<NSPopoverDarklyViewController*>(NSPopoverDarklyViewController::alloc()->init()));
  RefPtr<NSPopoverDarklyPanel> panel = adopt(static_cast<NSPopoverDarklyPanel*>(
      NSPopoverDarklyPanel::alloc()->initWithContentRect_styleMask_backing_defer(
          view ? view->bounds() : NSZeroRect, kDetachedPanelStyle, NSBackingStoreBuffered, true)));
  panel->setDarkContentViewController(controller.get());
  panel->setReleasedWhenClosed(false);
  if (mWindowTitle) panel->setTitle(mWindowTitle.get());
  setPopoverViewController(controller.get());
  setDetachedHUDWindow(panel.get());
  return popoverViewController();
}

NSPopover* NSPopoverDarklyController::detachablePopoverLazy() {
  if (NSPopover* existing = detachablePopover()) return existing;
  RefPtr<NSPopover> popover = adopt(static_cast<NSPopover*>(NSPopover::alloc()->init()));
  popover->setContentViewController(popoverViewControllerLazy());
  popover->setAnimates(true);
  popover->setBehavior(NSPopoverBehaviorTransient);
  popover->setAppearance(NSPopoverAppearanceHUD);
  popover->setDelegate(this);
  setDetachablePopover(popover.get());
  return detachablePopover();
}

void NSPopoverDarklyController::actionShowDetachablePopover(NSView* sender) {
  RefPtr<NSPopoverDarklyController> self(this);
  if (RefPtr<NSPopoverDarklyPanel> panel = mDetachedHUDWindow.copy(); panel && panel->isVisible()) {
    panel->makeKeyAndOrderFront(nullptr);
    return;
  }
  if (!VERIFY(mPopoverContentView)) return;
  if (!VERIFY(sender && sender->window())) return;
  detachablePopoverLazy()->showRelativeToRect_ofView_preferredEdge(sender->bounds(), sender,
                                                                   mPopoverPosition);
}

NSWindow* NSPopoverDarklyController::detachableWindowForPopover(NSPopover*) { return detachedHUDWindow(); }

void NSPopoverDarklyController::popoverDidClose(NSNotification*) { setDetachablePopover(nullptr); }
