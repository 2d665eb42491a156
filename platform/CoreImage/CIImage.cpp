#include <CoreGraphics/CGBitmapContext.h>
#include <CoreGraphics/CGDataProvider.h>
#include <CoreImage/CIColor.h>
#include <CoreImage/CIImage.h>
#include <CoreVideo/CVPixelBuffer.h>
#include <Foundation/NSData.h>
#include <Foundation/NSString.h>
#include <IOSurface/IOSurfaceAPI.h>

#include <algorithm>
#include <cmath>
#include <vector>

const CIFormat kCIFormatARGB8 = 'ARG8';
const CIFormat kCIFormatBGRA8 = 'BGRA';
const CIFormat kCIFormatRGBA8 = 'RGBA';
NSString* const kCIImageColorSpace = NSSTR("kCIImageColorSpace");

OBJC_CLASS_DEFINE(CIImage)

namespace {

// The CoreGraphics layout of 32-bit premultiplied pixels of a format; 0 for none.
CGBitmapInfo bitmapInfoOf(CIFormat format) {
  if (format == kCIFormatARGB8) return kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Big;
  if (format == kCIFormatBGRA8) return kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little;
  if (format == kCIFormatRGBA8) return kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big;
  return 0;
}

// The same for a surface's pixel format: 'BGRA', 'RGBA', or 32 (the 32-bit ARGB of Core Video).
CGBitmapInfo bitmapInfoOfSurface(OSType format) {
  if (format == 'BGRA') return bitmapInfoOf(kCIFormatBGRA8);
  if (format == 'RGBA') return bitmapInfoOf(kCIFormatRGBA8);
  if (format == 32) return bitmapInfoOf(kCIFormatARGB8);
  return 0;
}

bool isFiniteRect(CGRect rect) {
  return std::isfinite(rect.origin.x) && std::isfinite(rect.origin.y) && std::isfinite(rect.size.width) &&
         std::isfinite(rect.size.height) && !CGRectIsInfinite(rect) && !CGRectIsNull(rect);
}

}  // namespace

struct CIImage::Source {
  enum class Kind { Picture, Surface, Colour, PixelBuffer } kind;
  RefPtr<CGImage> picture;
  RefPtr<__IOSurface> surface;
  RefPtr<__CVBuffer> pixelBuffer;
  CGFloat rgba[4] = {0, 0, 0, 0};
  CGSize size{};

  // Draws the source's pixels over (0, 0, size) of the context's user space (a colour: over
  // `area`); false when they cannot be read.
  bool draw(CGContextRef context, CGRect area) const {
    switch (kind) {
      case Kind::Colour:
        CGContextSetRGBFillColor(context, rgba[0], rgba[1], rgba[2], rgba[3]);
        CGContextFillRect(context, area);
        return true;
      case Kind::Picture:
        CGContextDrawImage(context, CGRectMake(0, 0, size.width, size.height), picture.get());
        return true;
      case Kind::Surface:
        return drawSurface(context);
      case Kind::PixelBuffer:
        return drawPixelBuffer(context);
    }
    return false;
  }

  bool drawSurface(CGContextRef context) const {
    IOSurfaceRef s = surface.get();
    const CGBitmapInfo info = bitmapInfoOfSurface(IOSurfaceGetPixelFormat(s));
    if (!info || IOSurfaceLock(s, kIOSurfaceLockReadOnly, nullptr) != 0) return false;
    const size_t width = IOSurfaceGetWidth(s), height = IOSurfaceGetHeight(s),
                 rowBytes = IOSurfaceGetBytesPerRow(s);
    CGDataProviderRef provider =
        CGDataProviderCreateWithData(nullptr, IOSurfaceGetBaseAddress(s), rowBytes * height, nullptr);
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    CGImageRef pixels = CGImageCreate(width, height, 8, 32, rowBytes, space, info, provider, nullptr, true,
                                      kCGRenderingIntentDefault);
    if (pixels) CGContextDrawImage(context, CGRectMake(0, 0, CGFloat(width), CGFloat(height)), pixels);
    if (pixels) CGImageRelease(pixels);
    CGColorSpaceRelease(space);
    CGDataProviderRelease(provider);
    IOSurfaceUnlock(s, kIOSurfaceLockReadOnly, nullptr);
    return pixels != nullptr;
  }

  bool drawPixelBuffer(CGContextRef context) const;
};

// Premultiplied BGRA rows of a locked buffer: its own for 'BGRA', converted from 4:2:2
// (video-range BT.601) for '2vuy'.
static bool bgraRowsOfPixelBuffer(CVPixelBufferRef buffer, std::vector<uint8_t>& converted,
                                  const uint8_t*& rows, size_t& rowBytes) {
  const OSType format = CVPixelBufferGetPixelFormatType(buffer);
  const size_t width = CVPixelBufferGetWidth(buffer), height = CVPixelBufferGetHeight(buffer);
  const auto* base = static_cast<const uint8_t*>(CVPixelBufferGetBaseAddress(buffer));
  const size_t sourceRowBytes = CVPixelBufferGetBytesPerRow(buffer);
  if (!base) return false;
  if (format == kCVPixelFormatType_32BGRA) {
    rows = base;
    rowBytes = sourceRowBytes;
    return true;
  }
  if (format != kCVPixelFormatType_422YpCbCr8) return false;
  converted.resize(width * height * 4);
  auto clamp = [](int value) { return uint8_t(std::clamp(value, 0, 255)); };
  for (size_t y = 0; y < height; ++y) {
    const uint8_t* in = base + y * sourceRowBytes;
    uint8_t* out = converted.data() + y * width * 4;
    for (size_t x = 0; x < width; ++x, out += 4) {
      const uint8_t* pair = in + 4 * (x / 2);
      const int c = int(pair[(x % 2) ? 3 : 1]) - 16, d = int(pair[0]) - 128, e = int(pair[2]) - 128;
      out[0] = clamp((298 * c + 516 * d + 128) >> 8);
      out[1] = clamp((298 * c - 100 * d - 208 * e + 128) >> 8);
      out[2] = clamp((298 * c + 409 * e + 128) >> 8);
      out[3] = 0xFF;
    }
  }
  rows = converted.data();
  rowBytes = width * 4;
  return true;
}

bool CIImage::Source::drawPixelBuffer(CGContextRef context) const {
  CVPixelBufferRef buffer = pixelBuffer.get();
  if (CVPixelBufferLockBaseAddress(buffer, kCVPixelBufferLock_ReadOnly) != kCVReturnSuccess) return false;
  std::vector<uint8_t> converted;
  const uint8_t* rows = nullptr;
  size_t rowBytes = 0;
  const size_t width = CVPixelBufferGetWidth(buffer), height = CVPixelBufferGetHeight(buffer);
  bool drawn = false;
  if (bgraRowsOfPixelBuffer(buffer, converted, rows, rowBytes)) {
    CGDataProviderRef provider = CGDataProviderCreateWithData(nullptr, rows, rowBytes * height, nullptr);
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    CGImageRef pixels = CGImageCreate(width, height, 8, 32, rowBytes, space, bitmapInfoOf(kCIFormatBGRA8),
                                      provider, nullptr, true, kCGRenderingIntentDefault);
    if (pixels) CGContextDrawImage(context, CGRectMake(0, 0, CGFloat(width), CGFloat(height)), pixels);
    drawn = pixels != nullptr;
    if (pixels) CGImageRelease(pixels);
    CGColorSpaceRelease(space);
    CGDataProviderRelease(provider);
  }
  CVPixelBufferUnlockBaseAddress(buffer, kCVPixelBufferLock_ReadOnly);
  return drawn;
}

CIImage* CIImage::make(std::shared_ptr<const Source> source) {
  auto* image = new CIImage();
  image->mSource = std::move(source);
  return static_cast<CIImage*>(image->autorelease());
}

CIImage* CIImage::imageWithCGImage(CGImageRef picture) {
  if (!picture || CGImageGetWidth(picture) == 0 || CGImageGetHeight(picture) == 0) return nullptr;
  auto source = std::make_shared<Source>(Source{Source::Kind::Picture});
  source->picture = RefPtr<CGImage>(picture);
  source->size = CGSizeMake(CGFloat(CGImageGetWidth(picture)), CGFloat(CGImageGetHeight(picture)));
  return make(source);
}

CIImage* CIImage::imageWithBitmapData_bytesPerRow_size_format_colorSpace(NSData* data, size_t bytesPerRow,
                                                                         CGSize size, CIFormat format,
                                                                         CGColorSpaceRef) {
  const CGBitmapInfo info = bitmapInfoOf(format);
  if (!data || !info || !(size.width >= 1) || !(size.height >= 1) || size.width > 1 << 20 ||
      size.height > 1 << 20) {
    return nullptr;
  }
  const auto width = size_t(size.width), height = size_t(size.height);
  if (bytesPerRow < width * 4 || data->length() < bytesPerRow * height) return nullptr;
  CGDataProviderRef provider = CGDataProviderCreateWithCFData(data->cfData());
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGImageRef picture = CGImageCreate(width, height, 8, 32, bytesPerRow, space, info, provider, nullptr, true,
                                     kCGRenderingIntentDefault);
  CGColorSpaceRelease(space);
  CGDataProviderRelease(provider);
  CIImage* image = imageWithCGImage(picture);
  if (picture) CGImageRelease(picture);
  return image;
}

CIImage* CIImage::imageWithIOSurface(IOSurfaceRef surface) {
  return imageWithIOSurface_options(surface, nullptr);
}

CIImage* CIImage::imageWithIOSurface_options(IOSurfaceRef surface, NSDictionary*) {
  if (!surface || !bitmapInfoOfSurface(IOSurfaceGetPixelFormat(surface)) || IOSurfaceGetWidth(surface) == 0 ||
      IOSurfaceGetHeight(surface) == 0) {
    return nullptr;
  }
  auto source = std::make_shared<Source>(Source{Source::Kind::Surface});
  source->surface = RefPtr<__IOSurface>(surface);
  source->size = CGSizeMake(CGFloat(IOSurfaceGetWidth(surface)), CGFloat(IOSurfaceGetHeight(surface)));
  return make(source);
}

CIImage* CIImage::imageWithCVImageBuffer(CVImageBufferRef buffer) {
  return imageWithCVImageBuffer_options(buffer, nullptr);
}

CIImage* CIImage::imageWithCVImageBuffer_options(CVImageBufferRef buffer, NSDictionary*) {
  if (!buffer || CFGetTypeID(buffer) != CVPixelBufferGetTypeID()) return nullptr;
  const OSType format = CVPixelBufferGetPixelFormatType(buffer);
  if ((format != kCVPixelFormatType_32BGRA && format != kCVPixelFormatType_422YpCbCr8) ||
      CVPixelBufferGetWidth(buffer) == 0 || CVPixelBufferGetHeight(buffer) == 0)
    return nullptr;
  auto source = std::make_shared<Source>(Source{Source::Kind::PixelBuffer});
  source->pixelBuffer = RefPtr<__CVBuffer>(buffer);
  source->size = CGSizeMake(CGFloat(CVPixelBufferGetWidth(buffer)), CGFloat(CVPixelBufferGetHeight(buffer)));
  return make(source);
}

CIImage* CIImage::imageWithColor(CIColor* color) {
  if (!color) return nullptr;
  auto source = std::make_shared<Source>(Source{Source::Kind::Colour});
  source->rgba[0] = color->red();
  source->rgba[1] = color->green();
  source->rgba[2] = color->blue();
  source->rgba[3] = color->alpha();
  return make(source);
}

CGRect CIImage::extent() const {
  CGRect extent = mSource->kind == Source::Kind::Colour
                      ? CGRectInfinite
                      : CGRectApplyAffineTransform(
                            CGRectMake(0, 0, mSource->size.width, mSource->size.height), mTransform);
  if (mCropped) extent = CGRectIsInfinite(extent) ? mCrop : CGRectIntersection(extent, mCrop);
  return extent;
}

CIImage* CIImage::imageByApplyingTransform(CGAffineTransform transform) const {
  CIImage* image = make(mSource);
  image->mTransform = CGAffineTransformConcat(mTransform, transform);
  if (mCropped) {
    image->mCropped = true;
    image->mCrop = CGRectApplyAffineTransform(mCrop, transform);
  }
  return image;
}

CIImage* CIImage::imageByCroppingToRect(CGRect rect) const {
  CIImage* image = make(mSource);
  image->mTransform = mTransform;
  image->mCropped = true;
  image->mCrop = mCropped ? CGRectIntersection(mCrop, rect) : CGRectStandardize(rect);
  return image;
}

bool CIImage::drawInContext(CGContextRef context, CGRect inRect, CGRect fromRect) const {
  if (!context || !isFiniteRect(fromRect) || !isFiniteRect(inRect) || CGRectIsEmpty(fromRect) ||
      CGRectIsEmpty(inRect)) {
    return false;
  }
  fromRect = CGRectStandardize(fromRect);
  inRect = CGRectStandardize(inRect);
  CGContextSaveGState(context);
  CGContextClipToRect(context, inRect);
  // The image's space, fromRect onto inRect.
  CGContextTranslateCTM(context, inRect.origin.x, inRect.origin.y);
  CGContextScaleCTM(context, inRect.size.width / fromRect.size.width,
                    inRect.size.height / fromRect.size.height);
  CGContextTranslateCTM(context, -fromRect.origin.x, -fromRect.origin.y);
  if (mCropped) CGContextClipToRect(context, mCrop);
  CGContextConcatCTM(context, mTransform);
  const CGRect area = CGRectApplyAffineTransform(fromRect, CGAffineTransformInvert(mTransform));
  const bool drawn = mSource->draw(context, area);
  CGContextRestoreGState(context);
  return drawn;
}
