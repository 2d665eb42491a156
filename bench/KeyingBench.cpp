// The camera filter and the chroma key on 1280 x 720 frames: wall time and CPU time per frame,
// with the upload of each camera frame and the read-back of each output into its surface, as a
// channel spends them on each tick. When ffmpeg is installed, its chromakey and colorkey
// filters key the same frames in the same run, and the figures are given side by side.
#include <CoreVideo/CoreVideo.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "BenchFigures.h"
#include "NSOGLCVTextureCacheTexture.h"
#include "NSOGLCameraInputFilterController.h"
#include "NSOGLChromaKeyShaderController.h"
#include "NSOGLSharingContext.h"

const char* g_CoreMachDebug_LogPrefix = "KeyingBench";
const char* g_CoreMachDebug_LogFileName = "KeyingBench.log";

// The camera input: its output is the Core Video texture of the frame.
class BenchCameraInput : public NSObject, public NSOGLImageFilterProtocol {
  OBJC_CLASS_DECL(BenchCameraInput, NSObject)

 public:
  RefPtr<protocol_NSOGLDynamicTexture> inputImage() override { return nullptr; }
  RefPtr<protocol_NSOGLDynamicTexture> outputImage() override {
    return RefPtr<protocol_NSOGLDynamicTexture>(texture.get());
  }
  bool outputImageUpdated() const override { return true; }
  void setOutputImageUpdated(bool) override {}

  RefPtr<NSOGLCVTextureCacheTexture> texture{NSOGLCVTextureCacheTexture::textureWithDefaultSharedContext()};

 protected:
  BenchCameraInput() = default;
};
OBJC_CLASS_DEFINE(BenchCameraInput)

namespace {

constexpr int kWidth = 1280, kHeight = 720, kFrames = 120, kWarmUp = 10;

// A green screen with a subject whose place moves with the frame number.
std::vector<uint8_t> frameBytes(int number) {
  std::vector<uint8_t> bytes(size_t(kWidth) * kHeight * 4);
  const int left = 200 + (number * 7) % 400;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      uint8_t* p = &bytes[(size_t(y) * kWidth + x) * 4];
      const bool subject = x >= left && x < left + 400 && y >= 150 && y < 650;
      p[0] = subject ? 40 : 20;     // B
      p[1] = subject ? 60 : 230;    // G
      p[2] = subject ? 200 : 30;    // R
      p[3] = 255;
    }
  return bytes;
}

struct Figure {
  double wallMs = 0, cpuMs = 0;
};

template <class Step>
Figure measure(Step step) {
  for (int i = 0; i < kWarmUp; ++i) step(i);
  const double cpu = bench::cpuSeconds(RUSAGE_SELF);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kFrames; ++i) step(i);
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return {wall * 1000.0 / kFrames, (bench::cpuSeconds(RUSAGE_SELF) - cpu) * 1000.0 / kFrames};
}

bool ffmpegInstalled() { return std::system("command -v ffmpeg >/dev/null 2>&1") == 0; }

// ffmpeg keying the raw frames with a filter graph; nullopt-like (negative) on failure.
Figure ffmpegFigure(const std::string& rawPath, const std::string& filter) {
  const std::string command = "ffmpeg -hide_banner -loglevel error -f rawvideo -pix_fmt bgra -s " +
                              std::to_string(kWidth) + "x" + std::to_string(kHeight) + " -i " + rawPath + " -vf " +
                              filter + " -f null -";
  const double cpu = bench::cpuSeconds(RUSAGE_CHILDREN);
  const auto start = std::chrono::steady_clock::now();
  const int status = std::system(command.c_str());
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (status != 0) return {-1, -1};
  return {wall * 1000.0 / kFrames, (bench::cpuSeconds(RUSAGE_CHILDREN) - cpu) * 1000.0 / kFrames};
}

void print(const char* name, const Figure& figure, const Figure& reference) {
  std::printf("%-40s %8.2f ms wall %8.2f ms CPU   %6.2fx wall %6.2fx CPU\n", name, figure.wallMs, figure.cpuMs,
              figure.wallMs / reference.wallMs, figure.cpuMs / reference.cpuMs);
}

}  // namespace

int main() {
  NSOpenGLContext* shared = NSOGLSharingContext::defaultSharedContext();
  if (!shared) {
    std::fprintf(stderr, "no OpenGL context\n");
    return 1;
  }
  shared->makeCurrentContext();
  RefPtr<BenchCameraInput> input = adopt(static_cast<BenchCameraInput*>(BenchCameraInput::alloc()->init()));
  RefPtr<NSOGLCameraInputFilterController> camera =
      adopt(static_cast<NSOGLCameraInputFilterController*>(NSOGLCameraInputFilterController::alloc()->init()));
  RefPtr<NSOGLChromaKeyShaderController> key =
      adopt(static_cast<NSOGLChromaKeyShaderController*>(NSOGLChromaKeyShaderController::alloc()->init()));
  camera->outletInputFilter = input.get();
  camera->outletShaderName = RefPtr<NSString>(NSSTR("NSOGLCameraInputFilter"));
  key->outletInputFilter = camera.get();
  key->outletCameraInputFilterController = camera.get();
  key->outletShaderName = RefPtr<NSString>(NSSTR("NSOGLChromaKeyShader"));
  camera->drawableInitialize(nullptr);
  key->drawableInitialize(nullptr);
  key->setKeyBackgroundMode(NSOGLChromaKeyShaderController::kBackgroundTransparent);

  // A few distinct frames, cycled, in pixel buffers and in one raw file for ffmpeg.
  constexpr int kDistinct = 8;
  std::vector<CVPixelBufferRef> buffers;
  char rawPath[] = "/tmp/KeyingBenchXXXXXX";
  const int rawFile = mkstemp(rawPath);
  for (int i = 0; i < kDistinct; ++i) {
    std::vector<uint8_t> bytes = frameBytes(i);
    CVPixelBufferRef buffer = nullptr;
    CVPixelBufferCreate(nullptr, kWidth, kHeight, kCVPixelFormatType_32BGRA, nullptr, &buffer);
    CVPixelBufferLockBaseAddress(buffer, 0);
    auto* base = static_cast<uint8_t*>(CVPixelBufferGetBaseAddress(buffer));
    for (int y = 0; y < kHeight; ++y)
      std::memcpy(base + y * CVPixelBufferGetBytesPerRow(buffer), &bytes[size_t(y) * kWidth * 4], kWidth * 4);
    CVPixelBufferUnlockBaseAddress(buffer, 0);
    buffers.push_back(buffer);
  }
  for (int i = 0; i < kFrames; ++i) {
    const std::vector<uint8_t> bytes = frameBytes(i % kDistinct);
    if (write(rawFile, bytes.data(), bytes.size()) != ssize_t(bytes.size())) std::perror("write");
  }
  close(rawFile);

  const Figure upload = measure([&](int i) { input->texture->updateTextureWithPixelBuffer(buffers[i % kDistinct]); });
  const Figure cameraFilter = measure([&](int i) {
    input->texture->updateTextureWithPixelBuffer(buffers[i % kDistinct]);
    camera->textureUpdate();
  });
  const Figure both = measure([&](int i) {
    input->texture->updateTextureWithPixelBuffer(buffers[i % kDistinct]);
    camera->textureUpdate();
    key->textureUpdate();
  });
  const Figure chromaKey{both.wallMs - cameraFilter.wallMs, both.cpuMs - cameraFilter.cpuMs};

  std::printf("Keying %d frames of %dx%d (after %d to warm up), per frame:\n", kFrames, kWidth, kHeight, kWarmUp);
  print("upload of the camera frame", upload, both);
  print("upload + camera filter", cameraFilter, both);
  print("chroma key (difference)", chromaKey, both);
  print("upload + camera filter + chroma key", both, both);
  if (!ffmpegInstalled()) {
    std::printf("ffmpeg not installed\n");
  } else {
    const std::string rawFrames = rawPath;
    const Figure chroma = ffmpegFigure(rawFrames, "chromakey=0x1EE614:0.1:0.05");
    const Figure colour = ffmpegFigure(rawFrames, "colorkey=0x1EE614:0.1:0.05");
    if (chroma.wallMs < 0 || colour.wallMs < 0) {
      std::printf("ffmpeg failed to key the frames\n");
    } else {
      std::printf("ffmpeg on the same frames (decode of raw frames included), per frame:\n");
      print("ffmpeg chromakey", chroma, both);
      print("ffmpeg colorkey", colour, both);
    }
  }
  std::remove(rawPath);
  for (CVPixelBufferRef buffer : buffers) CVPixelBufferRelease(buffer);
  return 0;
}
