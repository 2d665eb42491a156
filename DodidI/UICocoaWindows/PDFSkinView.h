#pragma once
// Views that are the whole look of a skinned window: they clear themselves to transparent and
// paint one picture of the application's resources, named by their window's title, and then
// have the window's shadow recomputed from the painted shape.
#include <AppKit/NSImage.h>
#include <AppKit/NSView.h>

int import_PDFSkinView();

class PDFSkinView : public NSView {
  OBJC_CLASS_DECL(PDFSkinView, NSView)

 public:
  NSView* initWithFrame(NSRect frame) override;
  virtual PDFSkinView* initView();

  NSImage* skinImage() const { return mPDFSkinImage.get(); }
  // The application's image of the name (as it stands) becomes the picture; false, and no
  // picture, when there is none.
  bool setResourceImage(NSString* name);
  // The picture named by the window's title; false without window or title.
  bool setResourceImageFromWindowTitle();

  void awakeFromNib() override;
  // The bounds cleared, the picture at its own size in the lower-left corner, the shadow
  // recomputed.
  void drawRect(NSRect rect) override;

 protected:
  ~PDFSkinView() override;

  // Clears the bounds to transparent.
  void clearBounds();

 private:
  RefPtr<NSImage> mPDFSkinImage;
};

// Stretches the picture over its bounds.
class PDFSkinViewScaled : public PDFSkinView {
  OBJC_CLASS_DECL(PDFSkinViewScaled, PDFSkinView)
 public:
  void drawRect(NSRect rect) override;
};

// A click on an inactive about box acts at once.
class PDFSkinAboutBoxView : public PDFSkinView {
  OBJC_CLASS_DECL(PDFSkinAboutBoxView, PDFSkinView)
 public:
  bool acceptsFirstMouse(NSEvent*) override { return true; }
};
