#pragma once
// The place where views are installed: the view its outlet installThisView names when the
// nib wakes it, and any view given to it later, each at the frame it already has.
#include <AppKit/NSView.h>
#include <objc/WeakPtr.h>

int import_NSUIViewPlaceholder();

class NSUIViewPlaceholder : public NSView {
  OBJC_CLASS_DECL(NSUIViewPlaceholder, NSView)

 public:
  NSView* initWithFrame(NSRect frame) override;
  NSObject* initWithCoder(NSCoder* coder) override;
  virtual NSView* initViewAttributes() { return this; }
  void awakeFromNib() override;

  void installView(NSView* view);
  // Action method: installs the sender when it is a view, reports it otherwise.
  void installSender(NSObject* sender);
  NSView* initialView() const { return mInstallThisView.get().get(); }
  void setInstallThisView(NSView* view) { mInstallThisView = view; }
  bool acceptsFirstMouse(NSEvent*) override { return true; }

 private:
  WeakPtr<NSView> mInstallThisView;
};
