#include "PDFSkinWindow.h"

#include "CoreMachDebug.h"
#include "PDFSkinView.h"

int import_PDFSkinWindow() {
  if (import_PDFSkinView()) return 1;
  _CoreMachDebugVerifyBody("import_PDFSkinWindow", __FILE__, __LINE__, " code : import_PDFSkinView()");
  return 0;
}

OBJC_CLASS_DEFINE(PDFSkinWindow)
OBJC_CLASS_DEFINE(PDFSkinAboutBox)

NSWindow* PDFSkinWindow::initWithContentRect_styleMask_backing_defer(NSRect contentRect,
                                                                     NSWindowStyleMask style,
                                                                     NSBackingStoreType backing, bool defer) {
  NSWindow* result = NSAlphaWindowWithShadow::initWithContentRect_styleMask_backing_defer(contentRect, style,
                                                                                          backing, defer);
  if (!import_category_NSWindow_MouseMoveSize()) {
    _CoreMachDebugVerifyBody("-[PDFSkinWindow initWithContentRect:styleMask:backing:defer:]", __FILE__,
                             __LINE__, " code : import_category_NSWindow_MouseMoveSize()");
  }
  return result;
}

void PDFSkinWindow::mouseDown(NSEvent* event) {
  // A click may order the window out, and the application then lets go of it, while the drag
  // that the click began still runs on it.
  RefPtr<PDFSkinWindow> keep(this);
  MouseMoveSize::windowMouseMoveSize_StandardBehaviour(this, event);
}

void PDFSkinAboutBox::windowMouseMoveSize_SingleClick() { orderOut(nullptr); }
