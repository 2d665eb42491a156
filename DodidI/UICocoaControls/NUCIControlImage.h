#pragma once
// Images of controls that draw themselves once, when they are made, for a size and a control
// state, with an 8-bit grey mask the drawing may build and paint through. Subclasses override
// drawInRect_forState. Also draws named pictures of the application's resources, PDF first.
#include <AppKit/NSImage.h>
#include <CoreFoundation/CFURL.h>

#include "namespace_CoreGraphics_MaskContext.h"

int import_NUCIControlImage();

class NUCIControlImage : public NSImage {
  OBJC_CLASS_DECL(NUCIControlImage, NSImage)

 public:
  // A new image of the class (autoreleased), drawn for the state.
  static NUCIControlImage* imageWithSize_forState(Class cls, NSSize size, NSInteger state);

  // Makes the image and its mask (of the size's whole pixels, opaque) and draws it; an image
  // whose mask cannot be made stays empty.
  virtual NUCIControlImage* initWithSize_forState(NSSize size, NSInteger state);
  // The drawing, into (0, 0, size) of the image's focus; nothing here.
  virtual void drawInRect_forState(NSRect, NSInteger) {}

  // A new image mask over the mask's bytes (+1), or null.
  CGImageRef createMaskImageFromMaskContext() const;
  CoreGraphics::MaskContext& maskContext() { return _maskContext; }

  // The resource of the name: a PDF if there is one, else the application's image of the name.
  void drawImageNamed_withinRect(NSString* name, NSRect rect);
  // Page 1 of the PDF, fitted into the rectangle of the current context.
  void drawPDFImageNamedURL_withinRect(CFURLRef url, NSRect rect);
  // The application's image of the name at its own size, its lower-left corner at the
  // rectangle's origin, source-in.
  void drawBundleImageNamed_withinRect(NSString* name, NSRect rect);

 protected:
  NUCIControlImage() = default;
  ~NUCIControlImage() override;

 private:
  CoreGraphics::MaskContext _maskContext;
};
