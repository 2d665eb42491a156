#include <AppKit/NSImage.h>

#include <cmath>
#include <map>
#include <mutex>
#include <string>

#include <AppKit/NSGraphicsContext.h>
#include <CoreGraphics/CGBitmapContext.h>
#include <Foundation/NSBridging.h>
#include <objc/WeakPtr.h>

OBJC_CLASS_DEFINE(NSImage)

namespace {

struct NamedImages {
  std::mutex lock;
  std::map<std::string, WeakPtr<NSImage>> byName;
};

NamedImages& namedImages() {
  static NamedImages* const shared = new NamedImages;
  return *shared;
}

CGBlendMode blendMode(NSCompositingOperation op) {
  switch (op) {
    case NSCompositeClear: return kCGBlendModeClear;
    case NSCompositeCopy: return kCGBlendModeCopy;
    case NSCompositeSourceIn: return kCGBlendModeSourceIn;
    case NSCompositeSourceOut: return kCGBlendModeSourceOut;
    case NSCompositeSourceAtop: return kCGBlendModeSourceAtop;
    case NSCompositeDestinationOver: return kCGBlendModeDestinationOver;
    case NSCompositeDestinationIn: return kCGBlendModeDestinationIn;
    case NSCompositeDestinationOut: return kCGBlendModeDestinationOut;
    case NSCompositeDestinationAtop: return kCGBlendModeDestinationAtop;
    case NSCompositeXOR: return kCGBlendModeXOR;
    case NSCompositePlusDarker: return kCGBlendModePlusDarker;
    case NSCompositePlusLighter: return kCGBlendModePlusLighter;
    default: return kCGBlendModeNormal;
  }
}

}  // namespace

NSImage::~NSImage() {
  if (mBitmap) CGContextRelease(mBitmap);
  if (mName) {
    NamedImages& named = namedImages();
    std::lock_guard<std::mutex> guard(named.lock);
    auto found = named.byName.find(mName->UTF8String());
    if (found != named.byName.end() && !found->second) named.byName.erase(found);
  }
}

NSImage* NSImage::imageNamed(NSString* name) {
  if (!name) return nullptr;
  NamedImages& named = namedImages();
  std::lock_guard<std::mutex> guard(named.lock);
  auto found = named.byName.find(name->UTF8String());
  if (found == named.byName.end()) return nullptr;
  RefPtr<NSImage> image = found->second.get();
  return image ? static_cast<NSImage*>(image.leak()->autorelease()) : nullptr;
}

NSImage* NSImage::initWithSize(NSSize size) {
  mSize = size;
  makeBitmap();
  return this;
}

NSImage* NSImage::initWithCGImage_size(CGImageRef image, NSSize size) {
  if (!image) {
    release();
    return nullptr;
  }
  if (size.width <= 0 || size.height <= 0) size = NSMakeSize(CGImageGetWidth(image), CGImageGetHeight(image));
  initWithSize(size);
  if (mBitmap) CGContextDrawImage(mBitmap, CGRectMake(0, 0, size.width, size.height), image);
  return this;
}

void NSImage::makeBitmap() {
  if (mBitmap) CGContextRelease(mBitmap);
  mBitmap = nullptr;
  const size_t width = size_t(std::lround(std::max<CGFloat>(0, mSize.width)));
  const size_t height = size_t(std::lround(std::max<CGFloat>(0, mSize.height)));
  if (width == 0 || height == 0) return;
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  mBitmap = CGBitmapContextCreate(nullptr, width, height, 8, 0, space,
                                  kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
  CGColorSpaceRelease(space);
}

void NSImage::setSize(NSSize size) {
  if (NSEqualSizes(size, mSize)) return;
  mSize = size;
  makeBitmap();
}

bool NSImage::setName(NSString* name) {
  NamedImages& named = namedImages();
  std::lock_guard<std::mutex> guard(named.lock);
  if (mName) named.byName.erase(mName->UTF8String());
  mName = RefPtr<NSString>(name ? NSString::stringWithString(name) : nullptr);
  if (!name) return true;
  auto& slot = named.byName[name->UTF8String()];
  const bool taken = bool(slot);
  slot = this;
  return !taken;
}

void NSImage::lockFocus() {
  if (!mBitmap || mFocused) return;
  mFocused = true;
  NSGraphicsContext::classSaveGraphicsState();
  CGContextSaveGState(mBitmap);
  NSGraphicsContext::setCurrentContext(NSGraphicsContext::graphicsContextWithCGContext_flipped(mBitmap, false));
}

void NSImage::unlockFocus() {
  if (!mFocused) return;
  mFocused = false;
  CGContextRestoreGState(mBitmap);
  NSGraphicsContext::classRestoreGraphicsState();
}

CGImageRef NSImage::CGImageForProposedRect_context_hints(NSRect*, void*, void*) {
  if (!mBitmap) return nullptr;
  CGImageRef image = CGBitmapContextCreateImage(mBitmap);
  return image ? static_cast<CGImageRef>(const_cast<void*>(objc_autorelease(image))) : nullptr;
}

void NSImage::drawInRect_fromRect_operation_fraction(NSRect rect, NSRect fromRect, NSCompositingOperation op,
                                                     CGFloat fraction) {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context || !mBitmap) return;
  CGImageRef image = CGImageForProposedRect_context_hints(nullptr, nullptr, nullptr);
  if (!image) return;
  CGContextRef cg = context->CGContext();
  CGContextSaveGState(cg);
  CGContextSetAlpha(cg, fraction);
  CGContextSetBlendMode(cg, blendMode(op));
  NSRect source = NSIsEmptyRect(fromRect) ? NSMakeRect(0, 0, mSize.width, mSize.height) : fromRect;
  // The part of the image that fromRect selects lands on rect: the whole image is placed so.
  const CGFloat sx = source.size.width > 0 ? rect.size.width / source.size.width : 1;
  const CGFloat sy = source.size.height > 0 ? rect.size.height / source.size.height : 1;
  CGContextClipToRect(cg, rect);
  if (context->isFlipped()) {
    // Upright in a flipped context.
    CGContextTranslateCTM(cg, 0, NSMinY(rect) + NSMaxY(rect));
    CGContextScaleCTM(cg, 1, -1);
  }
  CGContextDrawImage(cg,
                     CGRectMake(rect.origin.x - source.origin.x * sx, rect.origin.y - source.origin.y * sy,
                                mSize.width * sx, mSize.height * sy),
                     image);
  CGContextRestoreGState(cg);
}

void NSImage::drawAtPoint_fromRect_operation_fraction(NSPoint point, NSRect fromRect, NSCompositingOperation op,
                                                      CGFloat fraction) {
  NSRect source = NSIsEmptyRect(fromRect) ? NSMakeRect(0, 0, mSize.width, mSize.height) : fromRect;
  drawInRect_fromRect_operation_fraction(NSMakeRect(point.x, point.y, source.size.width, source.size.height), source,
                                         op, fraction);
}
