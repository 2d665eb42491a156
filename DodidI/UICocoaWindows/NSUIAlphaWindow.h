#pragma once
// Borderless, transparent windows and panels whose whole shape is drawn by their content
// (skins, heads-up panels). Whatever style the caller asks for, they are made borderless and
// buffered, with a clear background, not opaque, at the normal level; the panels move when
// dragged anywhere, above the top of the screen too, and take the first click.
#include <AppKit/NSPanel.h>
#include <AppKit/NSWindow.h>

#include "NSWindow_MouseMoveSize.h"

int import_NSUIAlphaWindow();

// The common set-up of the category NSUIAlphaWindow on NSWindow.
class NSUIAlphaWindow {
 public:
  // Hook for subclasses, run last in the set-up.
  virtual void NSAlphaWindow_initSubclass() {}

  // Clear background, normal level, alpha 1, not opaque, the shadow as given, then the hook.
  static void NSAlphaWindow_setProperties(NSWindow* window, bool shadow);

 protected:
  ~NSUIAlphaWindow() = default;
};

class NSAlphaWindowWithShadow : public NSWindow, public NSUIAlphaWindow, public MouseMoveSize {
  OBJC_CLASS_DECL(NSAlphaWindowWithShadow, NSWindow)
 public:
  NSWindow* initWithContentRect_styleMask_backing_defer(NSRect contentRect, NSWindowStyleMask style,
                                                         NSBackingStoreType backing, bool defer) override;
};

class NSAlphaWindowWithoutShadow : public NSWindow, public NSUIAlphaWindow, public MouseMoveSize {
  OBJC_CLASS_DECL(NSAlphaWindowWithoutShadow, NSWindow)
 public:
  NSWindow* initWithContentRect_styleMask_backing_defer(NSRect contentRect, NSWindowStyleMask style,
                                                         NSBackingStoreType backing, bool defer) override;
  void NSAlphaWindow_initSubclass() override {}
};

class NSAlphaPanelWithShadow : public NSPanel, public NSUIAlphaWindow, public MouseMoveSize {
  OBJC_CLASS_DECL(NSAlphaPanelWithShadow, NSPanel)
 public:
  NSWindow* initWithContentRect_styleMask_backing_defer(NSRect contentRect, NSWindowStyleMask style,
                                                         NSBackingStoreType backing, bool defer) override;
  // A drag from anywhere moves the panel.
  void mouseDown(NSEvent* event) override;
  bool acceptsFirstMouse(NSEvent*) { return true; }
};

class NSAlphaPanelWithoutShadow : public NSPanel, public NSUIAlphaWindow, public MouseMoveSize {
  OBJC_CLASS_DECL(NSAlphaPanelWithoutShadow, NSPanel)
 public:
  NSWindow* initWithContentRect_styleMask_backing_defer(NSRect contentRect, NSWindowStyleMask style,
                                                         NSBackingStoreType backing, bool defer) override;
  void NSAlphaWindow_initSubclass() override {}
  void mouseDown(NSEvent* event) override;
  bool acceptsFirstMouse(NSEvent*) { return true; }
};
