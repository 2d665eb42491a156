#include "NSUIAlphaWindow.h"

#include <AppKit/NSColor.h>
#include <CoreGraphics/CGWindowLevel.h>

#include "CoreMachDebug.h"

int import_NSUIAlphaWindow() { return import_category_NSWindow_MouseMoveSize(); }

OBJC_CLASS_DEFINE(NSAlphaWindowWithShadow)
OBJC_CLASS_DEFINE(NSAlphaWindowWithoutShadow)
OBJC_CLASS_DEFINE(NSAlphaPanelWithShadow)
OBJC_CLASS_DEFINE(NSAlphaPanelWithoutShadow)

void NSUIAlphaWindow::NSAlphaWindow_setProperties(NSWindow* window, bool shadow) {
  if (!window) return;
  window->setBackgroundColor(NSColor::clearColor());
  window->setLevel(CGWindowLevelForKey(kCGNormalWindowLevelKey));
  window->setAlphaValue(1.0);
  window->setOpaque(false);
  window->setHasShadow(shadow);
  if (auto* hooks = dynamic_cast<NSUIAlphaWindow*>(window)) hooks->NSAlphaWindow_initSubclass();
}

namespace {

// The superclass's initialiser, borderless and buffered whatever was asked, then the set-up.
template <class Window>
NSWindow* initAlphaWindow(Window* self, NSRect contentRect, bool shadow) {
  NSWindow* result =
      self->Window::super::initWithContentRect_styleMask_backing_defer(contentRect, NSBorderlessWindowMask,
                                                                       NSBackingStoreBuffered, false);
  if (!VERIFY(result)) return nullptr;
  NSUIAlphaWindow::NSAlphaWindow_setProperties(result, shadow);
  return result;
}

template <class Panel>
NSWindow* initAlphaPanel(Panel* self, NSRect contentRect, bool shadow) {
  VERIFY(import_category_NSWindow_MouseMoveSize());
  return initAlphaWindow(self, contentRect, shadow);
}

}  // namespace

NSWindow* NSAlphaWindowWithShadow::initWithContentRect_styleMask_backing_defer(NSRect contentRect, NSWindowStyleMask,
                                                                                NSBackingStoreType, bool) {
  return initAlphaWindow(this, contentRect, true);
}

NSWindow* NSAlphaWindowWithoutShadow::initWithContentRect_styleMask_backing_defer(NSRect contentRect, NSWindowStyleMask,
                                                                                   NSBackingStoreType, bool) {
  return initAlphaWindow(this, contentRect, false);
}

NSWindow* NSAlphaPanelWithShadow::initWithContentRect_styleMask_backing_defer(NSRect contentRect, NSWindowStyleMask,
                                                                               NSBackingStoreType, bool) {
  return initAlphaPanel(this, contentRect, true);
}

NSWindow* NSAlphaPanelWithoutShadow::initWithContentRect_styleMask_backing_defer(NSRect contentRect, NSWindowStyleMask,
                                                                                  NSBackingStoreType, bool) {
  return initAlphaPanel(this, contentRect, false);
}

void NSAlphaPanelWithShadow::mouseDown(NSEvent* event) {
  MouseMoveSize::windowMouseMoveSize_FromHitRegion_inHitRegion(this, event, 0);
}

void NSAlphaPanelWithoutShadow::mouseDown(NSEvent* event) {
  MouseMoveSize::windowMouseMoveSize_FromHitRegion_inHitRegion(this, event, 0);
}
