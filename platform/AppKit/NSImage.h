#pragma once
// Images: a size in points and a bitmap (premultiplied ARGB, one pixel per point) that
// lockFocus draws into and drawInRect paints from. Images registered with setName are found
// by imageNamed.
#include <CoreGraphics/CGContext.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include <AppKit/NSGeometry.h>

typedef NSUInteger NSCompositingOperation;
enum : NSUInteger {
  NSCompositeClear = 0,
  NSCompositeCopy = 1,
  NSCompositeSourceOver = 2,
  NSCompositeSourceIn = 3,
  NSCompositeSourceOut = 4,
  NSCompositeSourceAtop = 5,
  NSCompositeDestinationOver = 6,
  NSCompositeDestinationIn = 7,
  NSCompositeDestinationOut = 8,
  NSCompositeDestinationAtop = 9,
  NSCompositeXOR = 10,
  NSCompositePlusDarker = 11,
  NSCompositePlusLighter = 13,
  NSCompositingOperationSourceOver = NSCompositeSourceOver,
  NSCompositingOperationCopy = NSCompositeCopy,
};

class APPKIT_CLASS NSImage : public NSObject {
  OBJC_CLASS_DECL(NSImage, NSObject)

 public:
  // The image registered under the name, or null.
  static NSImage* imageNamed(NSString* name);

  NSObject* init() override { return initWithSize(NSZeroSize); }
  virtual NSImage* initWithSize(NSSize size);
  // An image of a copy of a CGImage's pixels; size in points, null size: the pixel size.
  NSImage* initWithCGImage_size(CGImageRef image, NSSize size);

  NSSize size() const { return mSize; }
  void setSize(NSSize size);
  NSString* name() const { return mName.get(); }
  // Registers the image under the name for imageNamed; false when another image held the
  // name (it now belongs to this one).
  bool setName(NSString* name);
  bool isValid() const { return mBitmap != nullptr; }

  // Makes the image the current graphics context's destination (y up, in points).
  void lockFocus();
  void unlockFocus();

  // A CGImage of the pixels as they are (autoreleased); rect and context are not used.
  CGImageRef CGImageForProposedRect_context_hints(NSRect* proposedRect, void* context, void* hints);
  void drawInRect_fromRect_operation_fraction(NSRect rect, NSRect fromRect, NSCompositingOperation op, CGFloat fraction);
  void drawAtPoint_fromRect_operation_fraction(NSPoint point, NSRect fromRect, NSCompositingOperation op,
                                               CGFloat fraction);
  void drawInRect(NSRect rect) { drawInRect_fromRect_operation_fraction(rect, NSZeroRect, NSCompositeSourceOver, 1.0); }

  // The bitmap's CoreGraphics context (null for an empty image); borrowed.
  APPKIT_PRIVATE CGContextRef bitmapContext() const { return mBitmap; }

 protected:
  NSImage() = default;
  ~NSImage() override;

 private:
  void makeBitmap();

  NSSize mSize{};
  CGContextRef mBitmap = nullptr;
  RefPtr<NSString> mName;
  bool mFocused = false;
};
