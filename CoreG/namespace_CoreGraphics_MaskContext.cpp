#include "namespace_CoreGraphics_MaskContext.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "CoreGVerify.h"
#include "namespace_CoreGeometry_BezierVertices.h"
#include "namespace_CoreGeometry_PathVertices.h"
#include "namespace_CoreGraphics_ContextCentered.h"
#include "namespace_CoreGraphics_Drawing.h"
#include "namespace_CoreGraphics_ImageData.h"
#include "namespace_CoreGraphics_RoundRectPath.h"

namespace CoreGraphics {

namespace {
constexpr float kPi = float(M_PI);

bool Constructed(const MaskContext& mask, const char* function, SInt32 line) {
  return Verify(mask.IsConstructed(), function, kMaskContextSource, line, " code : IsConstructed()");
}

int Clamp255(int value) { return std::clamp(value, 0, 255); }

CGRect SquareIn(CGRect rect) {
  CGFloat side = std::min(rect.size.width, rect.size.height);
  return CGRectMake(CGRectGetMidX(rect) - side / 2, CGRectGetMidY(rect) - side / 2, side, side);
}

void FillPath(CGContextRef context, CGPathRef path) {
  if (!path) return;
  CGContextAddPath(context, path);
  CGContextFillPath(context);
  CGPathRelease(path);
}
}  // namespace

const std::array<uint8_t, 256>& MaskContext::BandProfile() {
  // Built once by the first caller; the initialisation is thread-safe.
  static const std::array<uint8_t, 256> sBand = [] {
    std::array<uint8_t, 256> band{};
    for (int i = 0; i < 16; ++i) {
      band[size_t(112 + i)] = uint8_t(15 + 16 * i);
      band[size_t(240 + i)] = uint8_t(240 - 16 * i);
    }
    for (int i = 128; i < 240; ++i) band[size_t(i)] = 255;
    return band;
  }();
  return sBand;
}

bool MaskContext::Construct(int width, int height) {
  return BitmapContext::Construct(width, height, kBitmapTypeGray, 0, nullptr);
}

bool MaskContext::SetMaskDimensions(const CGSize& inDimensions) {
  if (IsConstructed() && double(mImageWidth) == inDimensions.width && double(mImageHeight) == inDimensions.height)
    return false;
  if (IsConstructed()) Destruct();
  bool fReconstructed = false;
  Verify(fReconstructed = Construct(int(inDimensions.width), int(inDimensions.height)), "SetMaskDimensions",
         kMaskContextSource, 116, " code : fReconstructed = Construct(inDimensions)");
  return fReconstructed;
}

CGImageRef MaskContext::ConstructCGImage(CGColorSpaceRef) const {
  CGDataProviderRef dataProvider = nullptr;
  if (!Verify((dataProvider = ::CGDataProviderCreateWithData(nullptr, mImageDataBytes, mImageDataSize, nullptr)) !=
                  nullptr,
              "ConstructCGImage", kMaskContextSource, 126,
              " code : dataProvider=::CGDataProviderCreateWithData(refcon, mImageDataBytes, mImageDataSize, NULL)"))
    return nullptr;
  CGImageRef imageRef = nullptr;
  Verify((imageRef = CGImageMaskCreate(size_t(mImageWidth), size_t(mImageHeight), kImageBitsPerComponent,
                                       mImageBitsPerPixel, mImageRowBytes, dataProvider, nullptr, true)) != nullptr,
         "ConstructCGImage", kMaskContextSource, 129,
         " code : imageRef = CGImageMaskCreate(mImageWidth, mImageHeight, kImageBitsPerComponent, "
         "mImageBitsPerPixel, mImageRowBytes, dataProvider, 0, fShouldInterpolate)");
  CGDataProviderRelease(dataProvider);
  return imageRef;
}

CGImageRef MaskContext::ConstructGrayCGImage() const { return BitmapContext::ConstructCGImage(nullptr); }

bool MaskContext::MakeOpaque() {
  if (!Constructed(*this, "MakeOpaque", 300)) return false;
  std::memset(mImageDataBytes, 255, mImageDataSize);
  return true;
}

bool MaskContext::MakeOpaque(float opacity) {
  if (!Constructed(*this, "MakeOpaque", 311)) return false;
  std::memset(mImageDataBytes, uint8_t(std::clamp(opacity, 0.0f, 1.0f) * 255.0), mImageDataSize);
  return true;
}

bool MaskContext::MakeTransparent() {
  if (!Constructed(*this, "MakeTransparent", 323)) return false;
  std::memset(mImageDataBytes, 0, mImageDataSize);
  return true;
}

bool MaskContext::MakeOpacity(float opacity) {
  if (!Constructed(*this, "MakeOpacity", 288)) return false;
  CGFloat level = 1.0 - std::clamp(opacity, 0.0f, 1.0f);
  CGContextSetRGBFillColor(mContext, level, level, level, level);
  CGContextFillRect(mContext, CGRectMake(0, 0, double(mImageWidth), double(mImageHeight)));
  return true;
}

bool MaskContext::MakeRadialMask(bool invert, float angle, float scale, float aspect) {
  if (!Constructed(*this, "MakeRadialMask", 345)) return false;
  if (invert)
    MakeTransparent();
  else
    MakeOpaque();
  int rows = int16_t(mImageHeight), columns = int16_t(mImageWidth);
  float cx = float(mImageWidth) / 2, cy = float(mImageHeight) / 2;
  float sinA = std::sin(angle), cosA = std::cos(angle);
  float uScale = aspect > 1 ? 2 - aspect : 1;
  float vScale = std::min(aspect, 1.0f);
  for (int y = 0; y < rows; ++y) {
    unsigned char* row = mImageDataBytes + size_t(y) * mImageRowBytes;
    for (int x = 0; x < columns; ++x) {
      float dx = cx - float(x), dy = cy - float(y);
      float u = (dx * sinA + dy * cosA) * uScale;
      float v = (dx * cosA - dy * sinA) * vScale;
      float t = std::min(1.0f, (u * u + v * v) / (cx * cx) * scale);
      if (invert) t = 1 - t;
      row[x] = uint8_t(int(t * 255));
    }
  }
  return true;
}

void MaskContext::MakeConcentricShapesMask(CGContextRef context, const MaskParameters& params, bool square,
                                           CGRect rect) {
  CGRect base = square ? SquareIn(rect) : rect;
  Verify(MakeOpaque(), "MakeConcentricShapesMask", kMaskContextSource, 1112, " code : MakeOpaque()");
  CGContextSaveGState(context);
  for (int i = 8; i >= 1; --i) {
    CGFloat t = std::clamp(i * 0.125, 0.0, 1.0);
    CGContextSetGrayFillColor(context, t * 2 * params[4], 1.0);
    CGFloat w = 2 * t * base.size.width, h = 2 * t * base.size.height;
    CGContextFillEllipseInRect(context, CGRectMake(CGRectGetMidX(base) - w / 2, CGRectGetMidY(base) - h / 2, w, h));
  }
  CGContextRestoreGState(context);
}

void MaskContext::MakeOpArtCenterRaysMask(const MaskParameters& params) {
  if (!Verify(MakeTransparent(), "MakeOpArtCenterRaysMask", kMaskContextSource, 1093, " code : MakeTransparent()"))
    return;
  ContextCentered scope(CGRectMake(0, 0, double(mImageWidth), double(mImageHeight)), mContext);
  if (params[0] != 0) CGContextRotateCTM(mContext, params[0] * kPi / 180);
  int count = int((1 - params[3]) * (1 - params[3]) * 1074 + 6);
  CGFloat side = std::min(2.0 * double(mImageWidth), 2.0 * double(mImageHeight));
  CoreGeometry::PathVertices rays(CGSizeMake(side, side), count, 2, 0, 360);
  CGPathRef equilateralPath = rays.AsCGPathRef(CGPointZero, true);
  if (!Verify(equilateralPath != nullptr, "MakeOpArtCenterRaysMask", kMaskContextSource, 1096,
              " code : equilateralPath"))
    return;
  CGContextSetRGBFillColor(mContext, 1, 1, 1, params[5]);
  FillPath(mContext, equilateralPath);
}

void MaskContext::MakeOpArtCornerRaysMask(const MaskParameters& params) {
  if (!Verify(MakeTransparent(), "MakeOpArtCornerRaysMask", kMaskContextSource, 1060, " code : MakeTransparent()"))
    return;
  ContextCentered scope(CGRectMake(0, 0, double(mImageWidth), double(mImageHeight)), mContext);
  float degrees = params[0];
  if (degrees > 360) {
    CGContextRotateCTM(mContext, degrees * kPi / 180);
  } else {
    // Each quarter turn moves the fan to the next corner, turned to face inwards.
    int quarter = degrees < 90 ? 0 : degrees < 180 ? 1 : degrees < 270 ? 2 : 3;
    static constexpr int kCorner[4] = {0, 3, 1, 2};
    scope.MoveOriginToCorner(kCorner[quarter]);
    if (quarter != 0) CGContextRotateCTM(mContext, float(90 * quarter) * kPi / 180);
  }
  int count = int((1 - params[3]) * (1 - params[3]) * 1056 + 24);
  CGFloat side = std::min(4.0 * double(mImageWidth), 4.0 * double(mImageHeight));
  CoreGeometry::PathVertices rays(CGSizeMake(side, side), count, 2, 0, 90);
  CGPathRef equilateralPath = rays.AsCGPathRef(CGPointZero, true);
  if (!Verify(equilateralPath != nullptr, "MakeOpArtCornerRaysMask", kMaskContextSource, 1064,
              " code : equilateralPath"))
    return;
  CGContextSetRGBFillColor(mContext, 1, 1, 1, params[5]);
  FillPath(mContext, equilateralPath);
}

void MaskContext::MakeNoiseMask(const MaskParameters& params) {
  FillPerlinNoise(int(params[3] * 128 + 1), params[4]);
}

void MaskContext::MakeMaskScreen(int kind, const MaskParameters& params) {
  if (!IsConstructed()) return;
  const std::array<uint8_t, 256>& band = BandProfile();
  int rows = int16_t(mImageHeight), columns = int16_t(mImageWidth);
  float W = float(mImageWidth), H = float(mImageHeight);
  auto opaque = [this](SInt32 line) {
    Verify(MakeOpaque(), "MakeMaskScreen", kMaskContextSource, line, " code : MakeOpaque()");
  };
  auto transparent = [this](SInt32 line) {
    Verify(MakeTransparent(), "MakeMaskScreen", kMaskContextSource, line, " code : MakeTransparent()");
  };
  switch (kind) {
    case 1:
      MakeOpArtCenterRaysMask(params);
      break;
    case 2:
      MakeOpArtCornerRaysMask(params);
      break;
    case 3: {
      float a = params[0] * kPi / 180;
      if (a < 0) a += 360;
      if (a > 359) a = float(int(a) % 360);
      int f = std::clamp(int((1 - params[3]) * 32512), 256, 32768);
      float k = params[4] * params[4] * 4 + 0.5f;
      for (int r = 0; r < rows; ++r) {
        unsigned char* row = mImageDataBytes + size_t(r) * mImageRowBytes;
        for (int c = 0; c < columns; ++c) {
          float u = float(r) / H - 0.5f, v = (float(c) / W - 0.5f) * k;
          float theta = std::atan2(v, u) + a;
          float d = std::sqrt(u * u + v * v);
          uint8_t b = band[size_t(int(d * float(f) + 128 + theta / kPi * 128) & 255)];
          row[c] = b != 0 ? uint8_t(int(float(b) * params[5])) : 0;
        }
      }
      break;
    }
    case 4: {
      int f = std::clamp(int((1 - params[3]) * 1920 + 128), 128, 2048);
      float amp = params[4] * 3.99f + 0.01f;
      for (int r = 0; r < rows; ++r) {
        unsigned char* row = mImageDataBytes + size_t(r) * mImageRowBytes;
        for (int c = 0; c < columns; ++c) {
          double x = (double(c) / W - 0.5) * amp;
          uint8_t b = band[size_t(long(double(r) / H / (x * x + 0.1) * f) & 255)];
          row[c] = uint8_t(int(255 - (float(b) * params[5] + (1 - params[5]) * 255)));
        }
      }
      break;
    }
    case 21:
      opaque(1327);
      MakeNoiseMask(params);
      break;
    case 5: opaque(1319); break;
    case 6: opaque(1323); break;
    case 7: opaque(1331); break;
    case 8: opaque(1335); break;
    case 9: opaque(1347); break;
    case 10: opaque(1339); break;
    case 11: opaque(1343); break;
    case 12: case 13: case 14: case 15: opaque(1354); break;
    case 19: opaque(1315); break;
    case 16: case 17: case 18: transparent(1307); break;
    case 22: break;
    default: transparent(1297); break;
  }
}

void MaskContext::MakeMaskShape(int kind, const MaskParameters& params) {
  if (!IsConstructed()) return;
  if (kind < 1 || kind > 15) {
    MakeTransparent();
    return;
  }
  float s = params[3] * 1.1f + 0.1f;
  if (kind == 1) {
    MakeOpaque();
    MakeRadialMask(false, params[0] * kPi / 180, 1 / s, 2 * params[4]);
    return;
  }
  CGFloat W = double(mImageWidth), H = double(mImageHeight);
  ContextCentered scope(CGRectMake(0, 0, W, H), mContext);
  if (params[0] != 0) CGContextRotateCTM(mContext, params[0] * kPi / 180);
  CGFloat w = W * s, h = H * s;
  if (kind == 4 || kind == 5 || kind == 8) {
    float a = 2 * params[4];
    if (a != 1) {
      h *= a > 1 ? 2 - a : 1;
      w *= std::min(a, 1.0f);
    }
  }
  CGRect shape = CGRectMake(-w / 2, -h / 2, w, h);
  CGRect square = SquareIn(shape);
  CGFloat side = square.size.width;
  if (kind == 2 || kind == 5) {
    MakeConcentricShapesMask(mContext, params, kind == 2, shape);
    return;
  }
  MakeOpaque();
  CGContextSetRGBFillColor(mContext, 0, 0, 0, 1);
  switch (kind) {
    case 3: CGContextFillEllipseInRect(mContext, square); break;
    case 4: CGContextFillEllipseInRect(mContext, shape); break;
    case 6: CGContextFillRect(mContext, square); break;
    case 8: CGContextFillRect(mContext, shape); break;
    case 7: DrawRoundRect(mContext, shape, 0, 0.25f); break;
    case 9:
      DrawRoundRect(mContext, shape, 0,
                    (float(params[4] + 0.1) + 0.05f) * float(std::min(shape.size.width, shape.size.height)) / 2);
      break;
    case 10:
    case 12:
    case 14: {
      int count = kind == 14 ? int((params[4] * 20 + 1) * 2) : int(params[4] * 20 + 5);
      int mode = kind == 10 ? 0 : kind == 12 ? 1 : 2;
      CoreGeometry::PathVertices polygon(CGSizeMake(side, side), count, mode, 0, 360);
      FillPath(mContext, polygon.AsCGPathRef(CGPointZero, true));
      break;
    }
    case 11:
      FillPath(mContext, CoreGeometry::BezierVertices(shape.size).AsCGPathRef(CGPointZero));
      break;
    case 13: {
      CoreGeometry::PathVertices rose(CGSizeMake(side, side), 0u, int(params[4] * 14 + 3), 1.0f);
      FillPath(mContext, rose.AsSmoothCGPathRef(CGPointZero, true));
      break;
    }
    case 15: {
      // Six steps over 0..1 for five names: the top step shows the last shape.
      int index = std::clamp(int((5 + 1) * params[4]), 0, 4);
      CFURLRef imageURL = ImageData::ResourceURL(kPDFShapeNames[index], CFSTR("pdf"));
      if (!Verify(imageURL != nullptr, "MakeMaskShape", kMaskContextSource, 1249, " code : imageURL")) break;
      DrawPDFDocumentPage(mContext, imageURL, CGRectMake(-W / 2, -H / 2, W, H), W / 640 * s, H / 480 * s);
      CFRelease(imageURL);
      break;
    }
  }
}

bool MaskContext::MapThroughTable(const uint8_t table[256]) {
  if (!IsConstructed() || !table) return false;
  for (int64_t y = 0; y < mImageHeight; ++y) {
    unsigned char* row = mImageDataBytes + size_t(y) * mImageRowBytes;
    for (int64_t x = 0; x < mImageWidth; ++x) row[x] = table[row[x]];
  }
  return true;
}

bool MaskContext::SameDimensions(const BitmapContext& other) const {
  return mImageWidth == other.GetImageWidth() && mImageHeight == other.GetImageHeight();
}

bool MaskContext::MergeOp(const MaskContext& mask1, float opacity1, const MaskContext& mask2, float opacity2, int op,
                          bool invert) {
  if (!IsConstructed() || !SameDimensions(mask1)) return false;
  if (!Verify(SameDimensions(mask2), "T_MergeOp", kMaskContextSource, 142, " code : SameDimensions(inMask2)"))
    return false;
  // A source whose construction failed keeps its size but has no pixels to read.
  if (!mask1.GetImageDataBytes() || !mask2.GetImageDataBytes()) return false;
  for (int64_t y = 0; y < mImageHeight; ++y) {
    unsigned char* out = mImageDataBytes + size_t(y) * mImageRowBytes;
    const unsigned char* in1 = mask1.GetImageDataBytes() + size_t(y) * mask1.GetImageRowBytes();
    const unsigned char* in2 = mask2.GetImageDataBytes() + size_t(y) * mask2.GetImageRowBytes();
    for (int64_t x = 0; x < mImageWidth; ++x) {
      int a = Clamp255(int(float(in1[x]) * opacity1));
      int b = Clamp255(int(float(in2[x]) * opacity2));
      int r;
      switch (op) {
        case 1: r = a + b; break;
        case 2: r = b - a; break;
        case 3: r = a - b; break;
        case 4:
        case 5: r = a + b - 255; break;
        case 6: r = a + 255 - b; break;
        case 7: r = b + 255 - a; break;
        case 8: r = a; break;
        case 9: r = 255 - a; break;
        case 10: r = b; break;
        case 11: r = 255 - b; break;
        default: r = std::max(a, b); break;
      }
      r = Clamp255(r);
      if (invert) r = 255 - r;
      out[x] = uint8_t(Clamp255(r));
    }
  }
  return true;
}

bool MaskContext::MergeOp(const MaskContext& mask1, const MaskContext& mask2, int op) {
  return MergeOp(mask1, 1.0f, mask2, 1.0f, op, false);
}

}  // namespace CoreGraphics
