#include "NSOpenGLContext.h"

#include <CoreGraphics/CGBitmapContext.h>
#include <CoreGraphics/CGColorSpace.h>
#include <CoreGraphics/CGContext.h>
#include <CoreGraphics/CGDataProvider.h>
#include <CoreGraphics/CGImage.h>
#include <Foundation/NSThread.h>
#include <OpenGL/CGLDrawable.h>
#include <dispatch/dispatch.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "NSGraphicsContext.h"
#include "NSView.h"
#include "NSWindow.h"

OBJC_CLASS_DEFINE(NSOpenGLContext)

namespace {

// Which object stands for each CGL context, for currentContext, and the contexts that
// presenters may reach, by keys that are never used twice.
struct ContextRegistry {
  std::mutex mutex;
  std::map<CGLContextObj, NSOpenGLContext*> byContext;
  std::map<uintptr_t, WeakPtr<NSOpenGLContext>> byPresenterKey;
  uintptr_t lastPresenterKey = 0;
};

ContextRegistry& registry() {
  static ContextRegistry* const sRegistry = new ContextRegistry;
  return *sRegistry;
}

void freePixels(void*, const void* data, size_t) { std::free(const_cast<void*>(data)); }

// A picture of presented pixels ('BGRA', rows from the top), owning a copy of them.
CGImageRef createImage(const void* pixels, size_t width, size_t height, size_t bytesPerRow) {
  const size_t size = bytesPerRow * height;
  void* copy = std::malloc(size ? size : 1);
  if (!copy) return nullptr;
  std::memcpy(copy, pixels, size);
  CGDataProviderRef provider = CGDataProviderCreateWithData(nullptr, copy, size, freePixels);
  if (!provider) {
    std::free(copy);
    return nullptr;
  }
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGImageRef image = CGImageCreate(width, height, 8, 32, bytesPerRow, space,
                                   kCGBitmapByteOrder32Little | kCGImageAlphaPremultipliedFirst, provider,
                                   nullptr, false, kCGRenderingIntentDefault);
  CGColorSpaceRelease(space);
  CGDataProviderRelease(provider);
  return image;
}

// Paints the picture over the view's place in its window's backing store, as GL shows a
// drawable: it replaces what was there. The place is in the window's base coordinates, also
// when a view's drawing (a focus, a drawRect) has moved the backing store's coordinates.
void paintIntoWindow(NSView* view, CGImageRef image) {
  NSWindow* window = view->window();
  if (!window) return;
  NSGraphicsContext* graphics = window->graphicsContext();
  CGContextRef context = graphics ? graphics->CGContext() : nullptr;
  if (!context) return;
  const NSRect place = view->convertRect_toView(view->bounds(), nullptr);
  CGContextSaveGState(context);
  CGContextConcatCTM(context, CGAffineTransformInvert(CGContextGetCTM(context)));
  CGContextSetBlendMode(context, kCGBlendModeCopy);
  CGContextDrawImage(context, CGRectMake(place.origin.x, place.origin.y, place.size.width, place.size.height),
                     image);
  CGContextRestoreGState(context);
  window->flushWindow();
}

}  // namespace

NSOpenGLContext* NSOpenGLContext::initWithFormat_shareContext(NSOpenGLPixelFormat* format,
                                                              NSOpenGLContext* shareContext) {
  ::CGLContextObj context = nullptr;
  if (format)
    CGLCreateContext(format->CGLPixelFormatObj(), shareContext ? shareContext->CGLContextObj() : nullptr,
                     &context);
  if (!context) {
    release();
    return nullptr;
  }
  NSOpenGLContext* made = initWithCGLContextObj(context);
  CGLReleaseContext(context);
  return made;
}

NSOpenGLContext* NSOpenGLContext::initWithCGLContextObj(::CGLContextObj context) {
  if (!context) {
    release();
    return nullptr;
  }
  mContext = CGLRetainContext(context);
  mPixelFormat = adopt(NSOpenGLPixelFormat::alloc()->initWithCGLPixelFormatObj(CGLGetPixelFormat(context)));
  ContextRegistry& contexts = registry();
  std::lock_guard<std::mutex> lock(contexts.mutex);
  contexts.byContext[context] = this;
  mPresenterKey = ++contexts.lastPresenterKey;
  contexts.byPresenterKey.emplace(mPresenterKey, WeakPtr<NSOpenGLContext>(this));
  return this;
}

NSOpenGLContext::~NSOpenGLContext() {
  if (!mContext) return;
  {
    ContextRegistry& contexts = registry();
    std::lock_guard<std::mutex> lock(contexts.mutex);
    auto found = contexts.byContext.find(mContext);
    if (found != contexts.byContext.end() && found->second == this) contexts.byContext.erase(found);
    contexts.byPresenterKey.erase(mPresenterKey);
  }
  _CGLDetachDrawable(mContext);
  CGLReleaseContext(mContext);
}

void NSOpenGLContext::makeCurrentContext() { CGLSetCurrentContext(mContext); }

NSOpenGLContext* NSOpenGLContext::currentContext() {
  ::CGLContextObj current = CGLGetCurrentContext();
  if (!current) return nullptr;
  ContextRegistry& contexts = registry();
  std::lock_guard<std::mutex> lock(contexts.mutex);
  auto found = contexts.byContext.find(current);
  if (found == contexts.byContext.end() || !found->second->tryRetain()) return nullptr;
  return static_cast<NSOpenGLContext*>(found->second->autorelease());
}

void NSOpenGLContext::clearCurrentContext() { CGLSetCurrentContext(nullptr); }

void NSOpenGLContext::setView(NSView* view) {
  mView = view;
  if (view)
    attachDrawable();
  else
    _CGLDetachDrawable(mContext);
}

void NSOpenGLContext::attachDrawable() {
  RefPtr<NSView> view = mView.get();
  if (!view) return;
  const NSRect bounds = view->bounds();
  _CGLAttachDrawable(mContext, static_cast<GLint>(bounds.size.width), static_cast<GLint>(bounds.size.height),
                     &NSOpenGLContext::present, reinterpret_cast<void*>(mPresenterKey));
}

void NSOpenGLContext::update() {
  if (mView) attachDrawable();
}

void NSOpenGLContext::flushBuffer() { CGLFlushDrawable(mContext); }

void NSOpenGLContext::present(void* info, const void* pixels, size_t width, size_t height,
                              size_t bytesPerRow) {
  RefPtr<NSOpenGLContext> context;
  {
    ContextRegistry& contexts = registry();
    std::lock_guard<std::mutex> lock(contexts.mutex);
    auto found = contexts.byPresenterKey.find(reinterpret_cast<uintptr_t>(info));
    if (found != contexts.byPresenterKey.end()) context = found->second.get();
  }
  RefPtr<NSView> view = context ? context->mView.get() : nullptr;
  if (!view) return;
  CGImageRef image = createImage(pixels, width, height, bytesPerRow);
  if (!image) return;
  if (NSThread::isMainThread()) {
    paintIntoWindow(view.get(), image);
    CGImageRelease(image);
    return;
  }
  view->retain();
  dispatch_async(dispatch_get_main_queue(), [view = view.get(), image] {
    paintIntoWindow(view, image);
    CGImageRelease(image);
    view->release();
  });
}

void NSOpenGLContext::setValues_forParameter(const GLint* values, NSOpenGLContextParameter parameter) {
  CGLSetParameter(mContext, static_cast<CGLContextParameter>(parameter), values);
}

void NSOpenGLContext::getValues_forParameter(GLint* values, NSOpenGLContextParameter parameter) const {
  CGLGetParameter(mContext, static_cast<CGLContextParameter>(parameter), values);
}

GLint NSOpenGLContext::currentVirtualScreen() const {
  GLint screen = 0;
  CGLGetVirtualScreen(mContext, &screen);
  return screen;
}

void NSOpenGLContext::setCurrentVirtualScreen(GLint screen) { CGLSetVirtualScreen(mContext, screen); }

void NSOpenGLContext::createTexture_fromView_internalFormat(GLenum target, NSView* view, GLenum format) {
  if (!view) return;
  const NSRect frame = view->frame();
  const auto width = static_cast<size_t>(view->bounds().size.width);
  const auto height = static_cast<size_t>(view->bounds().size.height);
  if (width == 0 || height == 0) return;
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGContextRef bitmap = CGBitmapContextCreate(nullptr, width, height, 8, width * 4, space,
                                              kCGBitmapByteOrder32Little | kCGImageAlphaPremultipliedFirst);
  CGColorSpaceRelease(space);
  if (!bitmap) return;
  // The view draws as it would in its superview, moved so that its frame starts at the origin.
  CGContextTranslateCTM(bitmap, -frame.origin.x, -frame.origin.y);
  view->drawInContext(bitmap);
  const auto* rows = static_cast<const uint8_t*>(CGBitmapContextGetData(bitmap));
  // Bitmap rows run from the top, GL rows from the bottom.
  std::vector<uint8_t> bottomUp(width * 4 * height);
  for (size_t row = 0; row < height; ++row)
    std::memcpy(&bottomUp[row * width * 4], rows + (height - 1 - row) * CGBitmapContextGetBytesPerRow(bitmap),
                width * 4);
  CGContextRelease(bitmap);
  CGLSetCurrentContext(mContext);
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexImage2D(target, 0, static_cast<GLint>(format), static_cast<GLsizei>(width),
               static_cast<GLsizei>(height), 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, bottomUp.data());
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}
