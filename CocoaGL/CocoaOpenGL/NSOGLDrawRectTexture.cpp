#include "NSOGLDrawRectTexture.h"

#include <AppKit/NSBitmapImageRep.h>
#include <AppKit/NSColor.h>
#include <AppKit/NSGraphics.h>
#include <AppKit/NSImage.h>
#include <CoreMachDebug.h>
#include <Foundation/NSException.h>

OBJC_CLASS_DEFINE(NSOGLDrawRectTexture)

namespace {

// The VERIFY report of a step that gave nothing; answers whether it gave something.
bool made(const void* result, const char* function, const char* file, int line, const char* code) {
  if (!result) _CoreMachDebugVerifyBody(function, file, line, code);
  return result != nullptr;
}

#define VERIFY_MADE(result, text) made((result), __FUNCTION__, __FILE__, __LINE__, " code : " text)

}  // namespace

void NSOGLDrawRectTexture::drawRect(CGRect rect) {
  NSColor::clearColor()->set();
  NSRectFill(rect);
}

bool NSOGLDrawRectTexture::textureUpdate() {
  bool uploaded = false;
  RefPtr<NSImage> image = adopt(NSImage::alloc()->initWithSize(NSMakeSize(textureWidth(), textureHeight())));
  if (VERIFY_MADE(image.get(), "image")) {
    RefPtr<NSBitmapImageRep> captured;
    const NSRect rect = NSMakeRect(0, 0, image->size().width, image->size().height);
    image->lockFocus();
    try {
      drawRect(rect);
      captured = adopt(NSBitmapImageRep::alloc()->initWithFocusedViewRect(rect));
      VERIFY_MADE(captured.get(), "[[NSBitmapImageRep alloc] initWithFocusedViewRect:rect]");
    } catch (const NSException::Raised&) {
      captured = nullptr;
    }
    image->unlockFocus();
    // Through the encoded form, as the picture would be stored.
    NSData* encoded = captured ? captured->TIFFRepresentation() : nullptr;
    RefPtr<NSBitmapImageRep> decoded =
        encoded ? adopt(NSBitmapImageRep::alloc()->initWithData(encoded)) : RefPtr<NSBitmapImageRep>();
    if (captured && VERIFY_MADE(decoded.get(), "[[NSBitmapImageRep alloc] initWithData:TIFFData]"))
      uploaded = textureUpdateFromBitmapData(decoded.get());
  }
  setTextureUpdateNeeded(false);
  return uploaded;
}
