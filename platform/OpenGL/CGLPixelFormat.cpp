// Pixel formats: the attributes asked for, checked against what the one renderer (Mesa on
// the surfaceless EGL display) offers, and kept for CGLDescribePixelFormat.
#include <OpenGL/OpenGL.h>

#include <memory>

#include "backend/ContextObjects.h"
#include "backend/EGLConnection.h"

namespace {

// The renderer's limits.
constexpr GLint kMaxColorSize = 32;
constexpr GLint kMaxDepthSize = 32;
constexpr GLint kMaxStencilSize = 8;
// The one display's OpenGL mask (see CGDisplayIDToOpenGLDisplayMask).
constexpr GLint kDisplayMask = 1;

bool takesValue(CGLPixelFormatAttribute attribute) {
  switch (attribute) {
    case kCGLPFAAuxBuffers:
    case kCGLPFAColorSize:
    case kCGLPFAAlphaSize:
    case kCGLPFADepthSize:
    case kCGLPFAStencilSize:
    case kCGLPFAAccumSize:
    case kCGLPFASampleBuffers:
    case kCGLPFASamples:
    case kCGLPFARendererID:
    case kCGLPFADisplayMask:
    case kCGLPFAVirtualScreenCount:
      return true;
    default:
      return false;
  }
}

bool isKnownFlag(CGLPixelFormatAttribute attribute) {
  switch (attribute) {
    case kCGLPFAAllRenderers:
    case kCGLPFATripleBuffer:
    case kCGLPFADoubleBuffer:
    case kCGLPFAStereo:
    case kCGLPFAMinimumPolicy:
    case kCGLPFAMaximumPolicy:
    case kCGLPFAOffScreen:
    case kCGLPFAFullScreen:
    case kCGLPFAAuxDepthStencil:
    case kCGLPFAColorFloat:
    case kCGLPFAMultisample:
    case kCGLPFASupersample:
    case kCGLPFASampleAlpha:
    case kCGLPFASingleRenderer:
    case kCGLPFANoRecovery:
    case kCGLPFAAccelerated:
    case kCGLPFAClosestPolicy:
    case kCGLPFARobust:
    case kCGLPFABackingStore:
    case kCGLPFAMPSafe:
    case kCGLPFAWindow:
    case kCGLPFAMultiScreen:
    case kCGLPFACompliant:
    case kCGLPFAPBuffer:
    case kCGLPFARemotePBuffer:
    case kCGLPFAAllowOfflineRenderers:
    case kCGLPFAAcceleratedCompute:
      return true;
    default:
      return false;
  }
}

// Whether the renderer offers what the attributes ask.
bool offers(const _CGLPixelFormatObject& format) {
  if (format.value(kCGLPFAColorSize) > kMaxColorSize || format.value(kCGLPFAAlphaSize) > 8 ||
      format.value(kCGLPFADepthSize) > kMaxDepthSize || format.value(kCGLPFAStencilSize) > kMaxStencilSize ||
      format.value(kCGLPFAStereo) || format.value(kCGLPFAColorFloat))
    return false;
  if (format.given[kCGLPFADisplayMask] && !(format.value(kCGLPFADisplayMask) & kDisplayMask)) return false;
  return OpenGLBackend::eglDisplay() != EGL_NO_DISPLAY;
}

}  // namespace

CGLError CGLChoosePixelFormat(const CGLPixelFormatAttribute* attribs, CGLPixelFormatObj* pix, GLint* npix) {
  if (!pix || !npix) return kCGLBadAddress;
  *pix = nullptr;
  *npix = 0;
  auto format = std::make_unique<_CGLPixelFormatObject>();
  for (const CGLPixelFormatAttribute* attribute = attribs; attribute && *attribute != 0; ++attribute) {
    if (takesValue(*attribute)) {
      // The value follows its attribute.
      format->set(*attribute, static_cast<GLint>(attribute[1]));
      ++attribute;
    } else if (isKnownFlag(*attribute)) {
      format->set(*attribute, 1);
    } else {
      return kCGLBadAttribute;
    }
  }
  if (!offers(*format)) return kCGLNoError;
  // What the chosen format has, beyond what was asked: RGBA colour of 8 bits a channel.
  format->set(kCGLPFAColorSize, 32);
  format->set(kCGLPFAAlphaSize, 8);
  format->set(kCGLPFADisplayMask, kDisplayMask);
  format->set(kCGLPFAVirtualScreenCount, 1);
  *pix = format.release();
  *npix = 1;
  return kCGLNoError;
}

CGLError CGLDescribePixelFormat(CGLPixelFormatObj pix, GLint pix_num, CGLPixelFormatAttribute attrib,
                                GLint* value) {
  if (!pix) return kCGLBadPixelFormat;
  if (!value) return kCGLBadAddress;
  if (pix_num != 0) return kCGLBadValue;
  if (!takesValue(attrib) && !isKnownFlag(attrib)) return kCGLBadAttribute;
  *value = pix->value(attrib);
  return kCGLNoError;
}

CGLPixelFormatObj CGLRetainPixelFormat(CGLPixelFormatObj pix) {
  if (pix) pix->retainCount.fetch_add(1);
  return pix;
}

void CGLReleasePixelFormat(CGLPixelFormatObj pix) {
  if (pix && pix->retainCount.fetch_sub(1) == 1) delete pix;
}

CGLError CGLDestroyPixelFormat(CGLPixelFormatObj pix) {
  if (!pix) return kCGLBadPixelFormat;
  CGLReleasePixelFormat(pix);
  return kCGLNoError;
}

GLuint CGLGetPixelFormatRetainCount(CGLPixelFormatObj pix) { return pix ? pix->retainCount.load() : 0; }
