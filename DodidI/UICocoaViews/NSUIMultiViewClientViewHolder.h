#pragma once
// A holder view that joins its multi-view controller, unselected, once the application has
// finished launching (at once when it already has). Holders are numbered in the order they
// are made, whether in code or from a nib, and without a tool tip are titled by their number.
#include <atomic>

#include <AppKit/NSGeometry.h>
#include <objc/WeakPtr.h>

#include "NSUIViewHolder.h"
#include "protocol_MultiView.h"

class NSNotification;

int import_NSUIMultiViewClientViewHolder();

class NSUIMultiViewClientViewHolder : public NSUIViewHolder, public protocol_MultiViewClient {
  OBJC_CLASS_DECL(NSUIMultiViewClientViewHolder, NSUIViewHolder)

 public:
  // A 32 x 32 picture of the title on a dark rounded square (autoreleased); null, reported,
  // when it cannot be made.
  static NSImage* defaultIconImageWithTitle(NSString* title);
  // Draws the string centred in the rectangle in the bold system font of the size, on an
  // unflipped graphics context over the CoreGraphics context.
  static void drawTextInContext_pageRect_text_textSize(CGContextRef context, NSRect rect, NSString* text, float size);

  NSObject* initWithCoder(NSCoder* coder) override;
  NSView* initViewAttributes() override;
  void awakeFromNib() override;
  void applicationDidFinishLaunching(NSNotification* notification);

  NSString* multiViewTitle() const override;
  NSImage* multiViewIconImage() override;

  NSObject* multiViewController() const { return mMultiViewController.get().get(); }
  void setMultiViewController(NSObject* controller) { mMultiViewController = controller; }
  int64_t instanceNumber() const { return mInstanceNumber; }

 protected:
  ~NSUIMultiViewClientViewHolder() override;

 private:
  WeakPtr<NSObject> mMultiViewController;
  int64_t mInstanceNumber = 0;
};
