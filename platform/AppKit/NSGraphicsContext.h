#pragma once
// A drawing destination: a CoreGraphics context, and whether its y axis runs downwards. Each
// thread has a current context (the one AppKit drawing calls paint into) and a stack that
// saveGraphicsState / restoreGraphicsState keep.
#include <CoreGraphics/CGContext.h>
#include <Foundation/NSObject.h>

#include <AppKit/AppKitDefines.h>

class CIContext;
class NSBitmapImageRep;
class NSWindow;

class APPKIT_CLASS NSGraphicsContext : public NSObject {
  OBJC_CLASS_DECL(NSGraphicsContext, NSObject)

 public:
  // Autoreleased; the context keeps the CoreGraphics context.
  static NSGraphicsContext* graphicsContextWithGraphicsPort_flipped(void* graphicsPort,
                                                                    bool initialFlippedState);
  static NSGraphicsContext* graphicsContextWithCGContext_flipped(CGContextRef context,
                                                                 bool initialFlippedState);
  // The context that draws into the window's backing store.
  static NSGraphicsContext* graphicsContextWithWindow(NSWindow* window);
  // A context that draws into the bitmap's pixels (y up, the bitmap's top row at the top) and
  // keeps the bitmap; null for a layout that cannot be drawn into (see NSBitmapImageRep).
  static NSGraphicsContext* graphicsContextWithBitmapImageRep(NSBitmapImageRep* bitmap);

  static NSGraphicsContext* currentContext();
  static void setCurrentContext(NSGraphicsContext* context);
  static bool currentContextDrawingToScreen();
  // Saves the current context and its graphics state, restored by restoreGraphicsState.
  static void classSaveGraphicsState();
  static void classRestoreGraphicsState();

  CGContextRef CGContext() const { return mContext; }
  void* graphicsPort() const { return mContext; }
  bool isFlipped() const { return mFlipped; }
  bool isDrawingToScreen() const { return mDrawingToScreen; }
  void saveGraphicsState();
  void restoreGraphicsState();
  void flushGraphics();
  // A Core Image context that draws into this context (made once, kept by it).
  ::CIContext* CIContext();

 protected:
  NSGraphicsContext() = default;
  ~NSGraphicsContext() override;

 private:
  friend class NSWindow;
  CGContextRef mContext = nullptr;
  bool mFlipped = false;
  bool mDrawingToScreen = false;
  RefPtr<NSObject> mDestination;
  RefPtr<::CIContext> mCIContext;
};
