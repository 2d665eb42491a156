#pragma once
// Skinned windows: borderless, see-through windows with a shadow whose whole look is their
// skin view's picture. They take key focus and move when dragged anywhere on them (resize from
// the bottom-right corner); the about box is hidden by a plain click.
#include "NSUIAlphaWindow.h"

int import_PDFSkinWindow();

class PDFSkinWindow : public NSAlphaWindowWithShadow {
  OBJC_CLASS_DECL(PDFSkinWindow, NSAlphaWindowWithShadow)

 public:
  NSWindow* initWithContentRect_styleMask_backing_defer(NSRect contentRect, NSWindowStyleMask style,
                                                        NSBackingStoreType backing, bool defer) override;
  bool canBecomeKeyWindow() const override { return true; }
  void mouseDown(NSEvent* event) override;
};

class PDFSkinAboutBox : public PDFSkinWindow {
  OBJC_CLASS_DECL(PDFSkinAboutBox, PDFSkinWindow)
 public:
  void windowMouseMoveSize_SingleClick() override;
};
