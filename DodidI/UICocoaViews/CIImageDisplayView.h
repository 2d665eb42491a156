#pragma once
// A view that shows one Core Image image stretched over its bounds. The image can be handed
// over from any thread: the view is then redrawn on the main thread.
#include <AppKit/NSView.h>
#include <CoreImage/CIImage.h>

#include "UAtomicProperty.h"

int import_CIImageDisplayView();

class CIImageDisplayView : public NSView {
  OBJC_CLASS_DECL(CIImageDisplayView, NSView)

 public:
  NSView* initWithFrame(NSRect frame) override;

  CIImage* image() const { return mImage.get(); }
  // Does not redraw.
  void setImage(CIImage* image) { mImage.set(image); }
  CIImage* inputImage() const { return image(); }
  // From any thread: the image, then a redraw queued on the main queue (the queued request
  // keeps the view alive until it has run).
  void setInputImage(CIImage* image);

  // Draws the image from its whole extent over the bounds; nothing without an image.
  void drawRect(NSRect rect) override;

 protected:
  ~CIImageDisplayView() override;

 private:
  UAtomicProperty<CIImage> mImage;
};
