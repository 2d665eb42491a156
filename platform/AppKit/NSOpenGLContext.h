#pragma once
// OpenGL contexts of AppKit: a CGL context (see OpenGL/OpenGL.h: current per thread, one share
// group for the process) and, once given a view, a drawable of the view's size. flushBuffer
// presents the drawable into the view's place in its window's backing store, on the main
// thread (at once when called there, else queued to it).
#include <Foundation/NSObject.h>
#include <OpenGL/OpenGL.h>
#include <objc/WeakPtr.h>

#include <AppKit/AppKitDefines.h>
#include <AppKit/NSOpenGLPixelFormat.h>
#include <AppKit/NSView.h>

typedef int32_t NSOpenGLContextParameter;
enum : NSOpenGLContextParameter {
  NSOpenGLCPSwapInterval = 222,
  NSOpenGLCPSurfaceOrder = 235,
  NSOpenGLCPSurfaceOpacity = 236,
  NSOpenGLCPSurfaceBackingSize = 304,
};

class APPKIT_CLASS NSOpenGLContext : public NSObject {
  OBJC_CLASS_DECL(NSOpenGLContext, NSObject)

 public:
  // A context of the format sharing objects with shareContext (every context of the process
  // shares them here); null (and the object released) when none can be made.
  NSOpenGLContext* initWithFormat_shareContext(NSOpenGLPixelFormat* format, NSOpenGLContext* shareContext);
  // A context over a CGL context, retained; null (and the object released) for none.
  NSOpenGLContext* initWithCGLContextObj(CGLContextObj context);

  ::CGLContextObj CGLContextObj() const { return mContext; }
  NSOpenGLPixelFormat* pixelFormat() const { return mPixelFormat.get(); }

  void makeCurrentContext();
  // The context whose CGL context is current on this thread (autoreleased), or null.
  static NSOpenGLContext* currentContext();
  static void clearCurrentContext();

  // The view the context draws for (not retained); setting one gives the context a drawable of
  // the view's size, null takes it away.
  NSView* view() const { return mView.get().get(); }
  void setView(NSView* view);
  void clearDrawable() { setView(nullptr); }
  // Gives the drawable the view's present size.
  void update();
  // Presents the drawable (a flush without one).
  void flushBuffer();

  void setValues_forParameter(const GLint* values, NSOpenGLContextParameter parameter);
  void getValues_forParameter(GLint* values, NSOpenGLContextParameter parameter) const;
  GLint currentVirtualScreen() const;
  void setCurrentVirtualScreen(GLint screen);

  // Draws the view's contents into the texture bound to target on this context.
  void createTexture_fromView_internalFormat(GLenum target, NSView* view, GLenum format);

 protected:
  NSOpenGLContext() = default;
  ~NSOpenGLContext() override;

 private:
  static void present(void* info, const void* pixels, size_t width, size_t height, size_t bytesPerRow);
  void attachDrawable();

  ::CGLContextObj mContext = nullptr;
  RefPtr<NSOpenGLPixelFormat> mPixelFormat;
  WeakPtr<NSView> mView;
  // What the presenter is given to find this object again, on a drawing thread, while it lives.
  uintptr_t mPresenterKey = 0;
};
