#pragma once
// Pixel formats of OpenGL contexts: an attribute list (ending with 0) over a CGL pixel format.
#include <Foundation/NSObject.h>
#include <OpenGL/OpenGL.h>

#include <AppKit/AppKitDefines.h>

typedef uint32_t NSOpenGLPixelFormatAttribute;
enum : NSOpenGLPixelFormatAttribute {
  NSOpenGLPFAAllRenderers = 1,
  NSOpenGLPFATripleBuffer = 3,
  NSOpenGLPFADoubleBuffer = 5,
  NSOpenGLPFAStereo = 6,
  NSOpenGLPFAAuxBuffers = 7,
  NSOpenGLPFAColorSize = 8,
  NSOpenGLPFAAlphaSize = 11,
  NSOpenGLPFADepthSize = 12,
  NSOpenGLPFAStencilSize = 13,
  NSOpenGLPFAAccumSize = 14,
  NSOpenGLPFAMinimumPolicy = 51,
  NSOpenGLPFAMaximumPolicy = 52,
  NSOpenGLPFASampleBuffers = 55,
  NSOpenGLPFASamples = 56,
  NSOpenGLPFAMultisample = 59,
  NSOpenGLPFARendererID = 70,
  NSOpenGLPFANoRecovery = 72,
  NSOpenGLPFAAccelerated = 73,
  NSOpenGLPFAClosestPolicy = 74,
  NSOpenGLPFABackingStore = 76,
  NSOpenGLPFAScreenMask = 84,
  NSOpenGLPFAPixelBuffer = 90,
  NSOpenGLPFAAllowOfflineRenderers = 96,
  NSOpenGLPFAVirtualScreenCount = 128,
};

class APPKIT_CLASS NSOpenGLPixelFormat : public NSObject {
  OBJC_CLASS_DECL(NSOpenGLPixelFormat, NSObject)

 public:
  // The format the attributes choose; null (and the object released) when none matches.
  NSOpenGLPixelFormat* initWithAttributes(const NSOpenGLPixelFormatAttribute* attributes);
  // A format over a CGL one, retained; null (and the object released) for none.
  NSOpenGLPixelFormat* initWithCGLPixelFormatObj(CGLPixelFormatObj format);

  ::CGLPixelFormatObj CGLPixelFormatObj() const { return mFormat; }
  GLint numberOfVirtualScreens() const;
  void getValues_forAttribute_forVirtualScreen(GLint* values, NSOpenGLPixelFormatAttribute attribute,
                                               GLint screen) const;

 protected:
  NSOpenGLPixelFormat() = default;
  ~NSOpenGLPixelFormat() override;

 private:
  ::CGLPixelFormatObj mFormat = nullptr;
};
