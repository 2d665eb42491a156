#pragma once
// Core Image contexts: where images are rendered. A context over a CoreGraphics context draws
// into it; a context over an OpenGL context draws into the framebuffer bound in the current GL
// context, in the coordinates of its current matrices and with its blending; createCGImage
// renders into new pixels.
#include <CoreGraphics/CGContext.h>
#include <CoreGraphics/CGImage.h>
#include <Foundation/NSObject.h>
#include <OpenGL/OpenGL.h>

#include <CoreImage/CoreImageDefines.h>

class CIImage;
class NSDictionary;

class COREIMAGE_CLASS CIContext : public NSObject {
  OBJC_CLASS_DECL(CIContext, NSObject)

 public:
  // Autoreleased; the context keeps the CoreGraphics context. Null for none.
  static CIContext* contextWithCGContext_options(CGContextRef context, NSDictionary* options);
  // Autoreleased; the context keeps the GL context and pixel format. Null without a context.
  static CIContext* contextWithCGLContext_pixelFormat_options(CGLContextObj context,
                                                              CGLPixelFormatObj pixelFormat,
                                                              NSDictionary* options);

  // Draws the part fromRect of the image (in the image's space; its extent for the whole
  // image) stretched over inRect of the context, in the context's graphics state. An image
  // without bounds (an infinite fromRect) cannot be stretched and draws nothing; that is
  // reported once.
  void drawImage_inRect_fromRect(CIImage* image, CGRect inRect, CGRect fromRect);
  // A new picture (+1) of the part fromRect of the image, one pixel per unit; null for an
  // empty or infinite rectangle.
  CGImageRef createCGImage_fromRect(CIImage* image, CGRect fromRect);

  CGContextRef CGContext() const { return mContext; }
  CGLContextObj CGLContext() const { return mGLContext; }

 protected:
  CIContext() = default;
  ~CIContext() override;

 private:
  CGContextRef mContext = nullptr;
  CGLContextObj mGLContext = nullptr;
  CGLPixelFormatObj mGLPixelFormat = nullptr;
};
