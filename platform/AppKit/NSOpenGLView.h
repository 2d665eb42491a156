#pragma once
// A view that OpenGL draws: it owns a context whose drawable is the view (see
// NSOpenGLContext), made on first use from its pixel format. The context may be asked for on
// any thread (a display link's draws the view) while the main thread sets it.
#include <mutex>

#include <AppKit/NSOpenGLContext.h>
#include <AppKit/NSOpenGLPixelFormat.h>
#include <AppKit/NSView.h>

class APPKIT_CLASS NSOpenGLView : public NSView {
  OBJC_CLASS_DECL(NSOpenGLView, NSView)

 public:
  // A double-buffered RGBA format with a depth buffer (autoreleased).
  static NSOpenGLPixelFormat* defaultPixelFormat();

  NSView* initWithFrame(NSRect frame) override;
  // With the default pixel format.
  NSObject* initWithCoder(NSCoder* coder) override;
  // A null format means the default one.
  virtual NSOpenGLView* initWithFrame_pixelFormat(NSRect frame, NSOpenGLPixelFormat* format);

  // The view's context, made from the pixel format the first time it is asked for.
  NSOpenGLContext* openGLContext();
  void setOpenGLContext(NSOpenGLContext* context);
  void clearGLContext();
  NSOpenGLPixelFormat* pixelFormat() const;
  void setPixelFormat(NSOpenGLPixelFormat* format);

  // Called once the context exists, with it current.
  virtual void prepareOpenGL() {}
  // Called when the view's size changed; the drawable already has the new size.
  virtual void reshape() {}
  virtual void update();

  void setFrameSize(NSSize size) override;
  void drawRect(NSRect) override {}

 protected:
  NSOpenGLView() = default;

 private:
  mutable std::recursive_mutex mGuard;
  RefPtr<NSOpenGLPixelFormat> mPixelFormat;
  RefPtr<NSOpenGLContext> mOpenGLContext;
};
