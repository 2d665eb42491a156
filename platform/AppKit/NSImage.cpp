#include <AppKit/NSBitmapImageRep.h>
#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSImage.h>
#include <AppKit/NSPDFImageRep.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSBundle.h>
#include <Foundation/NSData.h>
#include <Foundation/NSURL.h>
#include <objc/WeakPtr.h>

#include <cmath>
#include <map>
#include <mutex>
#include <string>

#include "backend/Compositing.h"

OBJC_CLASS_DEFINE(NSImage)

namespace {

struct NamedImages {
  std::mutex lock;
  // Images the program named: they answer to the name while they live.
  std::map<std::string, WeakPtr<NSImage>> byName;
  // Images read from the main bundle's resources, kept once read.
  std::map<std::string, RefPtr<NSImage>> resources;
};

NamedImages& namedImages() {
  static NamedImages* const shared = new NamedImages;
  return *shared;
}

NSImage* autoreleased(NSImage* image) {
  return image ? static_cast<NSImage*>(image->autorelease()) : nullptr;
}

// The image of the main bundle's resource: the name as it stands, then as a PDF, then a PNG.
RefPtr<NSImage> readResourceImage(NSString* name) {
  NSBundle* bundle = NSBundle::mainBundle();
  for (NSString* type : {static_cast<NSString*>(nullptr), NSSTR("pdf"), NSSTR("png")}) {
    NSString* path = bundle->pathForResource_ofType(name, type);
    if (!path) continue;
    if (RefPtr<NSImage> image = adopt(NSImage::alloc()->initWithContentsOfFile(path))) return image;
  }
  return nullptr;
}

// A bitmap that lockFocus draws into fast: Cairo's own layout.
RefPtr<NSBitmapImageRep> makeFocusBitmap(NSInteger width, NSInteger height) {
  return adopt(
      NSBitmapImageRep::alloc()
          ->initWithBitmapDataPlanes_pixelsWide_pixelsHigh_bitsPerSample_samplesPerPixel_hasAlpha_isPlanar_colorSpaceName_bitmapFormat_bytesPerRow_bitsPerPixel(
              nullptr, width, height, 8, 4, true, false, NSDeviceRGBColorSpace,
              NSAlphaFirstBitmapFormat | NSBitmapFormatThirtyTwoBitLittleEndian, 0, 32));
}

NSInteger pixelsFor(CGFloat points) {
  return std::isfinite(points) && points > 0 ? NSInteger(std::lround(points)) : 0;
}

}  // namespace

NSImage::~NSImage() {
  if (mName) {
    NamedImages& named = namedImages();
    std::lock_guard<std::mutex> guard(named.lock);
    auto found = named.byName.find(mName->UTF8String());
    if (found != named.byName.end() && !found->second) named.byName.erase(found);
  }
}

NSImage* NSImage::imageNamed(NSString* name) {
  if (!name || name->length() == 0) return nullptr;
  const std::string key = name->UTF8String();
  NamedImages& named = namedImages();
  std::lock_guard<std::mutex> guard(named.lock);
  if (auto found = named.byName.find(key); found != named.byName.end()) {
    if (RefPtr<NSImage> image = found->second.get()) return autoreleased(image.leak());
  }
  auto cached = named.resources.find(key);
  if (cached == named.resources.end()) {
    RefPtr<NSImage> image = readResourceImage(name);
    if (!image) return nullptr;
    image->mName = RefPtr<NSString>(NSString::stringWithString(name));
    cached = named.resources.emplace(key, image).first;
  }
  return autoreleased(RefPtr<NSImage>(cached->second).leak());
}

NSImage* NSImage::initWithSize(NSSize size) {
  mSize = size;
  return this;
}

NSImage* NSImage::initWithData(NSData* data) {
  RefPtr<NSImageRep> rep;
  if (NSPDFImageRep::isPDFData(data)) {
    rep = RefPtr<NSImageRep>(NSPDFImageRep::imageRepWithData(data));
  } else {
    rep = RefPtr<NSImageRep>(NSBitmapImageRep::imageRepWithData(data));
  }
  if (!rep) {
    release();
    return nullptr;
  }
  mSize = rep->size();
  mReps.push_back(rep);
  return this;
}

NSImage* NSImage::initWithContentsOfFile(NSString* path) {
  NSData* data = path ? NSData::dataWithContentsOfFile(path) : nullptr;
  if (!data) {
    release();
    return nullptr;
  }
  return initWithData(data);
}

NSImage* NSImage::initWithContentsOfURL(NSURL* url) {
  if (!url || !url->isFileURL()) {
    release();
    return nullptr;
  }
  return initWithData(NSData::dataWithContentsOfURL(url));
}

NSImage* NSImage::initWithCGImage_size(CGImageRef image, NSSize size) {
  RefPtr<NSBitmapImageRep> rep = adopt(NSBitmapImageRep::alloc()->initWithCGImage(image));
  if (!rep) {
    release();
    return nullptr;
  }
  if (size.width <= 0 || size.height <= 0) size = rep->size();
  mSize = size;
  mReps.push_back(RefPtr<NSImageRep>(rep.get()));
  return this;
}

bool NSImage::setName(NSString* name) {
  NamedImages& named = namedImages();
  std::lock_guard<std::mutex> guard(named.lock);
  if (mName) {
    auto found = named.byName.find(mName->UTF8String());
    if (found != named.byName.end() && found->second.refersTo(this)) named.byName.erase(found);
  }
  mName = RefPtr<NSString>(name ? NSString::stringWithString(name) : nullptr);
  if (!name) return true;
  auto& slot = named.byName[name->UTF8String()];
  const bool taken = bool(slot);
  slot = this;
  return !taken;
}

bool NSImage::isValid() const {
  return !mReps.empty() || (pixelsFor(mSize.width) > 0 && pixelsFor(mSize.height) > 0);
}

NSArray* NSImage::representations() const {
  NSMutableArray* reps = NSMutableArray::arrayWithCapacity(mReps.size());
  for (const RefPtr<NSImageRep>& rep : mReps) reps->addObject(rep.get());
  return reps;
}

void NSImage::addRepresentation(NSImageRep* rep) {
  if (rep) mReps.push_back(RefPtr<NSImageRep>(rep));
}

void NSImage::removeRepresentation(NSImageRep* rep) {
  std::erase_if(mReps, [rep](const RefPtr<NSImageRep>& entry) { return entry.get() == rep; });
}

NSImageRep* NSImage::bestRepresentation() const { return mReps.empty() ? nullptr : mReps.front().get(); }

void NSImage::lockFocus() {
  const NSInteger width = pixelsFor(mSize.width), height = pixelsFor(mSize.height);
  if (mFocused || width == 0 || height == 0) return;
  NSGraphicsContext* context = nullptr;
  for (const RefPtr<NSImageRep>& rep : mReps) {
    auto* bitmap = NSDynamicCast<NSBitmapImageRep>(rep.get());
    if (!bitmap || bitmap->pixelsWide() != width || bitmap->pixelsHigh() != height) continue;
    if ((context = NSGraphicsContext::graphicsContextWithBitmapImageRep(bitmap))) break;
  }
  if (!context) {
    RefPtr<NSBitmapImageRep> bitmap = rasterize();
    context = bitmap ? NSGraphicsContext::graphicsContextWithBitmapImageRep(bitmap.get()) : nullptr;
    if (!context) return;
    mReps.clear();
    mReps.push_back(RefPtr<NSImageRep>(bitmap.get()));
  }
  mFocused = true;
  NSGraphicsContext::classSaveGraphicsState();
  NSGraphicsContext::setCurrentContext(context);
  CGContextScaleCTM(context->CGContext(), CGFloat(width) / mSize.width, CGFloat(height) / mSize.height);
}

void NSImage::unlockFocus() {
  if (!mFocused) return;
  mFocused = false;
  NSGraphicsContext::classRestoreGraphicsState();
}

RefPtr<NSBitmapImageRep> NSImage::rasterize() const {
  const NSInteger width = pixelsFor(mSize.width), height = pixelsFor(mSize.height);
  if (width == 0 || height == 0) return nullptr;
  RefPtr<NSBitmapImageRep> bitmap = makeFocusBitmap(width, height);
  NSImageRep* shown = bestRepresentation();
  if (!bitmap || !shown) return bitmap;
  NSGraphicsContext* context = NSGraphicsContext::graphicsContextWithBitmapImageRep(bitmap.get());
  if (!context) return bitmap;
  NSGraphicsContext::classSaveGraphicsState();
  NSGraphicsContext::setCurrentContext(context);
  shown->drawInRect(NSMakeRect(0, 0, CGFloat(width), CGFloat(height)));
  NSGraphicsContext::classRestoreGraphicsState();
  return bitmap;
}

NSData* NSImage::TIFFRepresentation() {
  if (auto* bitmap = NSDynamicCast<NSBitmapImageRep>(bestRepresentation()))
    return bitmap->TIFFRepresentation();
  RefPtr<NSBitmapImageRep> bitmap = rasterize();
  return bitmap ? bitmap->TIFFRepresentation() : nullptr;
}

CGImageRef NSImage::CGImageForProposedRect_context_hints(NSRect*, void*, void*) {
  auto* bitmap = NSDynamicCast<NSBitmapImageRep>(bestRepresentation());
  const bool atSize = bitmap && bitmap->pixelsWide() == pixelsFor(mSize.width) &&
                      bitmap->pixelsHigh() == pixelsFor(mSize.height);
  if (atSize) return bitmap->CGImage();
  RefPtr<NSBitmapImageRep> drawn = rasterize();
  return drawn ? drawn->CGImage() : nullptr;
}

void NSImage::drawInRect_fromRect_operation_fraction(NSRect rect, NSRect fromRect, NSCompositingOperation op,
                                                     CGFloat fraction) {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  NSImageRep* rep = bestRepresentation();
  if (!context || !rep || NSIsEmptyRect(rect) || mSize.width <= 0 || mSize.height <= 0) return;
  const NSRect source = NSIsEmptyRect(fromRect) ? NSMakeRect(0, 0, mSize.width, mSize.height) : fromRect;
  CGContextRef cg = context->CGContext();
  CGContextSaveGState(cg);
  // A whole fraction leaves the alpha the caller gave the context.
  if (fraction < 1.0) CGContextSetAlpha(cg, fraction);
  CGContextSetBlendMode(cg, AppKitBackend::blendModeOf(op));
  // Operations such as source-in and copy act on the whole clip: keep them to the rectangle.
  CGContextClipToRect(cg, rect);
  if (context->isFlipped()) {
    CGContextTranslateCTM(cg, 0, NSMinY(rect) + NSMaxY(rect));
    CGContextScaleCTM(cg, 1, -1);
  }
  // The part of the image that fromRect selects lands on rect: the whole image is placed so.
  const CGFloat sx = source.size.width > 0 ? rect.size.width / source.size.width : 1;
  const CGFloat sy = source.size.height > 0 ? rect.size.height / source.size.height : 1;
  CGContextTranslateCTM(cg, rect.origin.x - source.origin.x * sx, rect.origin.y - source.origin.y * sy);
  CGContextScaleCTM(cg, sx, sy);
  rep->drawInRect(NSMakeRect(0, 0, mSize.width, mSize.height));
  CGContextRestoreGState(cg);
}

void NSImage::drawAtPoint_fromRect_operation_fraction(NSPoint point, NSRect fromRect,
                                                      NSCompositingOperation op, CGFloat fraction) {
  NSRect source = NSIsEmptyRect(fromRect) ? NSMakeRect(0, 0, mSize.width, mSize.height) : fromRect;
  drawInRect_fromRect_operation_fraction(NSMakeRect(point.x, point.y, source.size.width, source.size.height),
                                         source, op, fraction);
}

void NSImage::compositeToPoint_operation(NSPoint point, NSCompositingOperation op) {
  NSGraphicsContext* context = NSGraphicsContext::currentContext();
  if (!context) return;
  const CGFloat bottom = context->isFlipped() ? point.y - mSize.height : point.y;
  drawInRect_fromRect_operation_fraction(NSMakeRect(point.x, bottom, mSize.width, mSize.height), NSZeroRect,
                                         op, 1.0);
}
