#pragma once
// A camera input stage and a keying chain for the filter tests: a pixel buffer becomes the
// input's frame, the camera filter adjusts it and the chroma key keys it, as a channel does on
// each tick. The frame is a green screen with a red subject low on the left and a white patch
// high on the right (rows from the top of the picture, as a camera gives them).
#include <CoreVideo/CoreVideo.h>

#include <cstring>

#include "CocoaOpenGLTestSupport.h"
#include "NSOGLCVTextureCacheTexture.h"
#include "NSOGLCameraInputFilterController.h"
#include "NSOGLChromaKeyShaderController.h"

// A camera input: its output is a Core Video texture on the shared context. (One test program
// includes this header once, so the class is defined here.)
class TestCameraInput : public NSObject, public NSOGLImageFilterProtocol {
  OBJC_CLASS_DECL(TestCameraInput, NSObject)

 public:
  RefPtr<protocol_NSOGLDynamicTexture> inputImage() override { return nullptr; }
  RefPtr<protocol_NSOGLDynamicTexture> outputImage() override {
    return RefPtr<protocol_NSOGLDynamicTexture>(texture.get());
  }
  bool outputImageUpdated() const override { return updated; }
  void setOutputImageUpdated(bool value) override { updated = value; }

  RefPtr<NSOGLCVTextureCacheTexture> texture{NSOGLCVTextureCacheTexture::textureWithDefaultSharedContext()};
  bool updated = false;

 protected:
  TestCameraInput() = default;
};

OBJC_CLASS_DEFINE(TestCameraInput)

namespace cocoagltest {

// Colours as B, G, R, A bytes in a 'BGRA' word.
constexpr uint32_t kScreenGreen = 0xFF00FF00, kSubjectRed = 0xFFFF0000, kPatchWhite = 0xFFFFFFFF;

// Where the subject and the patch lie, as shares of the picture from its top left.
inline bool inSubject(double x, double yFromTop) {
  return x >= 0.1 && x < 0.4 && yFromTop >= 0.55 && yFromTop < 0.9;
}
inline bool inPatch(double x, double yFromTop) {
  return x >= 0.7 && x < 0.9 && yFromTop >= 0.1 && yFromTop < 0.3;
}

// A new (+1) 'BGRA' buffer of the green-screen frame, or of one colour throughout.
inline CVPixelBufferRef createGreenScreenFrame(size_t width, size_t height, uint32_t onlyColour = 0) {
  CVPixelBufferRef buffer = nullptr;
  CVPixelBufferCreate(nullptr, width, height, kCVPixelFormatType_32BGRA, nullptr, &buffer);
  CVPixelBufferLockBaseAddress(buffer, 0);
  auto* base = static_cast<uint8_t*>(CVPixelBufferGetBaseAddress(buffer));
  for (size_t y = 0; y < height; ++y)
    for (size_t x = 0; x < width; ++x) {
      const double sx = (x + 0.5) / width, sy = (y + 0.5) / height;
      uint32_t pixel = inSubject(sx, sy) ? kSubjectRed : inPatch(sx, sy) ? kPatchWhite : kScreenGreen;
      if (onlyColour) pixel = onlyColour;
      std::memcpy(base + y * CVPixelBufferGetBytesPerRow(buffer) + x * 4, &pixel, 4);
    }
  CVPixelBufferUnlockBaseAddress(buffer, 0);
  return buffer;
}

// The input, the camera filter and the chroma key, wired as an interface file wires them and
// initialised on the shared context.
struct KeyingChain {
  KeyingChain() {
    input = adopt(static_cast<TestCameraInput*>(TestCameraInput::alloc()->init()));
    camera = adopt(
        static_cast<NSOGLCameraInputFilterController*>(NSOGLCameraInputFilterController::alloc()->init()));
    key =
        adopt(static_cast<NSOGLChromaKeyShaderController*>(NSOGLChromaKeyShaderController::alloc()->init()));
    camera->outletInputFilter = input.get();
    camera->outletShaderName = RefPtr<NSString>(NSSTR("NSOGLCameraInputFilter"));
    key->outletInputFilter = camera.get();
    key->outletCameraInputFilterController = camera.get();
    key->outletShaderName = RefPtr<NSString>(NSSTR("NSOGLChromaKeyShader"));
    camera->drawableInitialize(nullptr);
    key->drawableInitialize(nullptr);
  }

  // The frame through both filters; answers whether both rendered.
  bool render(CVPixelBufferRef frame) {
    if (!input->texture->updateTextureWithPixelBuffer(frame)) return false;
    const bool adjusted = camera->textureUpdate();
    return key->textureUpdate() && adjusted;
  }

  IOSurfaceRef keyedSurface() const { return key->renderWithShader()->surface(); }

  // A pixel of the keyed output by shares of the picture from its top left (the output's GL
  // row 0, memory row 0, is the picture's bottom).
  uint32_t keyedPixel(double x, double yFromTop) const {
    IOSurfaceRef surface = keyedSurface();
    const int w = int(IOSurfaceGetWidth(surface)), h = int(IOSurfaceGetHeight(surface));
    return surfacePixel(surface, int(x * w), int((1.0 - yFromTop) * h));
  }

  RefPtr<TestCameraInput> input;
  RefPtr<NSOGLCameraInputFilterController> camera;
  RefPtr<NSOGLChromaKeyShaderController> key;
};

inline int alphaOf(uint32_t pixel) { return int(pixel >> 24); }
inline int redOf(uint32_t pixel) { return int((pixel >> 16) & 0xFF); }
inline int greenOf(uint32_t pixel) { return int((pixel >> 8) & 0xFF); }
inline int blueOf(uint32_t pixel) { return int(pixel & 0xFF); }

}  // namespace cocoagltest
