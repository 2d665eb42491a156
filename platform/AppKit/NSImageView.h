#pragma once
// A control that shows an image, drawn over its bounds. It is not editable: it takes no
// pictures dropped on it.
#include <AppKit/NSControl.h>
#include <AppKit/NSDragging.h>
#include <AppKit/NSImage.h>

class APPKIT_CLASS NSImageView : public NSControl, public NSDraggingDestination {
  OBJC_CLASS_DECL(NSImageView, NSControl)

 public:
  NSImage* image() const { return mImage.get(); }
  virtual void setImage(NSImage* image);
  void drawRect(NSRect dirtyRect) override;

 protected:
  NSImageView() = default;

 private:
  RefPtr<NSImage> mImage;
};
