#pragma once
// Images: a size in points and representations (bitmaps, PDF pages) that are drawn scaled
// into it. lockFocus draws into a bitmap of the image's size, one pixel per point: the image's
// bitmap of that size when it has one that can be drawn into, else a new bitmap that takes the
// place of the representations, with what they showed drawn into it.
//
// imageNamed finds images registered with setName, then resources of the main bundle: the
// name as it stands, then with the extension "pdf", then "png" (PDF pages stay vectors).
#include <CoreGraphics/CGContext.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include <vector>

#include <AppKit/NSGeometry.h>
#include <AppKit/NSGraphics.h>

class NSArray;
class NSBitmapImageRep;
class NSData;
class NSGraphicsContext;
class NSImageRep;
class NSURL;

class APPKIT_CLASS NSImage : public NSObject {
  OBJC_CLASS_DECL(NSImage, NSObject)

 public:
  // The image registered or found under the name (autoreleased), or null.
  static NSImage* imageNamed(NSString* name);

  NSObject* init() override { return initWithSize(NSZeroSize); }
  virtual NSImage* initWithSize(NSSize size);
  // PNG or PDF data; null (and the object released) for anything else.
  NSImage* initWithData(NSData* data);
  NSImage* initWithContentsOfFile(NSString* path);
  // File URLs only: reading other URLs would wait on the network.
  NSImage* initWithContentsOfURL(NSURL* url);
  // An image of a copy of a CGImage's pixels; size in points, null size: the pixel size.
  NSImage* initWithCGImage_size(CGImageRef image, NSSize size);

  NSSize size() const { return mSize; }
  void setSize(NSSize size) { mSize = size; }
  // Representations are always scaled to the size here; the flag is kept for its readers.
  bool scalesWhenResized() const { return mScalesWhenResized; }
  void setScalesWhenResized(bool flag) { mScalesWhenResized = flag; }
  NSString* name() const { return mName.get(); }
  // Registers the image under the name for imageNamed; false when another image held the
  // name (it now belongs to this one).
  bool setName(NSString* name);
  // Whether there is something to draw or a size to draw into.
  bool isValid() const;

  // Autoreleased copy.
  NSArray* representations() const;
  void addRepresentation(NSImageRep* rep);
  void removeRepresentation(NSImageRep* rep);

  // Makes the image the current graphics context's destination (y up, in points).
  void lockFocus();
  void unlockFocus();

  // The PNG encoding of the image's bitmap (see NSBitmapImageRep), made at its size when it
  // has none; null for an image of no size.
  NSData* TIFFRepresentation();
  // A CGImage of the picture at the image's size (autoreleased); rect and context are not used.
  CGImageRef CGImageForProposedRect_context_hints(NSRect* proposedRect, void* context, void* hints);

  // Draws the part fromRect (the whole image when empty) over rect of the current context, by
  // the operation, with the fraction as opacity (1: the context's own alpha); only what lies
  // under rect changes, whatever the operation. Upright in flipped contexts.
  void drawInRect_fromRect_operation_fraction(NSRect rect, NSRect fromRect, NSCompositingOperation op,
                                              CGFloat fraction);
  void drawAtPoint_fromRect_operation_fraction(NSPoint point, NSRect fromRect, NSCompositingOperation op,
                                               CGFloat fraction);
  void drawInRect(NSRect rect) {
    drawInRect_fromRect_operation_fraction(rect, NSZeroRect, NSCompositeSourceOver, 1.0);
  }
  // Draws the image at its size, upright, with its lower-left corner at the point (in flipped
  // contexts too).
  void compositeToPoint_operation(NSPoint point, NSCompositingOperation op);

 protected:
  NSImage() = default;
  ~NSImage() override;

 private:
  // A new bitmap of the image's size showing what the image shows; null for no size.
  RefPtr<NSBitmapImageRep> rasterize() const;
  NSImageRep* bestRepresentation() const;

  NSSize mSize{};
  std::vector<RefPtr<NSImageRep>> mReps;
  RefPtr<NSString> mName;
  bool mScalesWhenResized = false;
  bool mFocused = false;
};
