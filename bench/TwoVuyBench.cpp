// A 1280 x 720 BGRA frame to '2vuy' (Cb, Y'0, Cr, Y'1), as the digitizer converts one: its
// channels swapped into an ARGB bitmap (vImage), then the digitizer's own conversion; beside it,
// libswscale's conversion of the same frame to UYVY 4:2:2 (the same byte order), in one run.
// Prints the time per frame of each, the ratio, and how far the two outputs lie apart.
extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include <Accelerate/Accelerate.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Q_2vuy_data.h"

const char* g_CoreMachDebug_LogPrefix = "TwoVuyBench";
const char* g_CoreMachDebug_LogFileName = "TwoVuyBench.log";

namespace {

constexpr int kWidth = 1280, kHeight = 720, kFrames = 60, kWarmUp = 5;

template <class Work>
double millisecondsPerFrame(Work work) {
  for (int i = 0; i < kWarmUp; ++i) work(i);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kFrames; ++i) work(i);
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() /
         kFrames;
}

}  // namespace

int main() {
  // A frame with colour everywhere: gradients in each channel, opaque.
  std::vector<uint8_t> bgra(size_t(kWidth) * kHeight * 4);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      uint8_t* p = &bgra[(size_t(y) * kWidth + x) * 4];
      p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = uint8_t(x + y), p[3] = 255;
    }

  CoreGraphics::BitmapContext argb;
  if (!argb.Construct(kWidth, kHeight, CoreGraphics::kBitmapTypeARGB, 0, nullptr)) return 1;
  std::vector<uint8_t> ours(size_t(kWidth) * kHeight * 2), theirs(ours.size());
  const vImage_Buffer in{bgra.data(), kHeight, kWidth, size_t(kWidth) * 4};
  const vImage_Buffer out{argb.GetImageDataBytes(), kHeight, kWidth, argb.GetImageRowBytes()};
  const uint8_t toARGB[4] = {3, 2, 1, 0};
  Q_2vuy_data frame(kWidth, kHeight, kWidth * 2, Q_2vuy_format::k2vuyPixelFormat, ours.data(), ours.size());
  const double oursMs = millisecondsPerFrame([&](int) {
    vImagePermuteChannels_ARGB8888(&in, &out, toARGB, kvImageDoNotTile);
    frame.CopyPixelsFrom(argb, false);
  });

  SwsContext* sws = sws_getContext(kWidth, kHeight, AV_PIX_FMT_BGRA, kWidth, kHeight, AV_PIX_FMT_UYVY422,
                                   SWS_POINT, nullptr, nullptr, nullptr);
  if (!sws) return 1;
  const uint8_t* sources[1] = {bgra.data()};
  const int sourceStrides[1] = {kWidth * 4};
  uint8_t* targets[1] = {theirs.data()};
  const int targetStrides[1] = {kWidth * 2};
  const double theirsMs = millisecondsPerFrame(
      [&](int) { sws_scale(sws, sources, sourceStrides, 0, kHeight, targets, targetStrides); });
  sws_freeContext(sws);

  int largest = 0;
  double sum = 0;
  for (size_t i = 0; i < ours.size(); ++i) {
    const int difference = std::abs(int(ours[i]) - int(theirs[i]));
    largest = std::max(largest, difference);
    sum += difference;
  }
  printf("%-40s %10s\n", "1280x720 BGRA -> 2vuy", "ms/frame");
  printf("%-40s %10.3f\n", "digitizer (swap + convert)", oursMs);
  printf("%-40s %10.3f\n", "libswscale (BGRA -> UYVY422)", theirsMs);
  printf("%-40s %10.2f\n", "ratio digitizer / libswscale", oursMs / theirsMs);
  printf("%-40s %10.2f (largest %d)\n", "mean sample difference", sum / double(ours.size()), largest);
  return 0;
}
