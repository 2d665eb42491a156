#pragma once
// The objects behind the drawing layer's references (inner workings, not a public header).
#include <string>
#include <vector>

#include <objc/NSObject.h>
#include <objc/RefPtr.h>

#include <CoreGraphics/CGColor.h>
#include <CoreGraphics/CGColorSpace.h>
#include <CoreGraphics/CGDataProvider.h>
#include <CoreGraphics/CGFunction.h>
#include <CoreGraphics/CGImage.h>
#include <CoreGraphics/CGShading.h>

// The type id of a drawing-layer type, registered once under its name.
#define CG_TYPE_ID(Name)                                                     \
  static CFTypeID typeID() {                                                 \
    static const CFTypeID id = _CFRuntimeRegisterClass(#Name);               \
    return id;                                                               \
  }                                                                          \
  unsigned long cfTypeID() const override { return typeID(); }

struct CGColorSpace : NSObject {
  CG_TYPE_ID(CGColorSpace)
  CGColorSpaceModel model = kCGColorSpaceModelRGB;
  RefPtr<const __CFString> name;

  size_t components() const { return model == kCGColorSpaceModelMonochrome ? 1 : 3; }
};

struct CGColor : NSObject {
  CG_TYPE_ID(CGColor)
  RefPtr<CGColorSpace> space;
  std::vector<CGFloat> components;  // the space's components, then alpha
};

struct CGDataProvider : NSObject {
  CG_TYPE_ID(CGDataProvider)
  ~CGDataProvider() override;
  const UInt8* bytes = nullptr;
  size_t size = 0;
  void* info = nullptr;
  CGDataProviderReleaseDataCallback releaseData = nullptr;
  RefPtr<const __CFData> data;
};

struct CGImage : NSObject {
  CG_TYPE_ID(CGImage)
  size_t width = 0;
  size_t height = 0;
  size_t bitsPerComponent = 0;
  size_t bitsPerPixel = 0;
  size_t bytesPerRow = 0;
  CGBitmapInfo bitmapInfo = 0;
  bool isMask = false;
  bool shouldInterpolate = false;
  RefPtr<CGColorSpace> space;
  RefPtr<CGDataProvider> provider;
};

struct CGFunction : NSObject {
  CG_TYPE_ID(CGFunction)
  ~CGFunction() override;
  void* info = nullptr;
  CGFunctionCallbacks callbacks{};
  std::vector<CGFloat> domain;
  std::vector<CGFloat> range;
  size_t domainDimension = 0;
  size_t rangeDimension = 0;

  // Evaluates at one input value; the outputs are clamped to the range.
  std::vector<CGFloat> evaluate(CGFloat t) const;
};

struct CGShading : NSObject {
  CG_TYPE_ID(CGShading)
  bool radial = false;
  RefPtr<CGColorSpace> space;
  RefPtr<CGFunction> function;
  CGPoint start{};
  CGPoint end{};
  CGFloat startRadius = 0;
  CGFloat endRadius = 0;
  bool extendStart = false;
  bool extendEnd = false;
};

// The retain and release every Retain/Release function of the layer shares: null-safe.
template <class T>
T* cgRetain(T* object) {
  if (object) objc_retain(object);
  return object;
}
inline void cgRelease(const void* object) {
  if (object) objc_release(object);
}
