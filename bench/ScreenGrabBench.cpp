// The screen camera's source: a display stream of the main display scaled into 1280 x 720
// BGRA surfaces at 30 frames per second, while this program changes the whole screen 60 times
// a second (so that every read finds a new picture). It reports the distinct frames delivered
// per second and the CPU per frame, beside a memcpy of one frame and (when ffmpeg is installed)
// ffmpeg's x11grab of the same screen scaled the same way as references. Needs an X display
// (tools/with-display gives one).
//   ScreenGrabBench [--seconds N]
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreGraphics/CGDisplay.h>
#include <CoreGraphics/CGDisplayStream.h>
#include <X11/Xlib.h>
#include <dispatch/dispatch.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "BenchFigures.h"

int main(int argc, char** argv) {
  const int seconds = bench::secondsArgument(argc, argv, 5);
  Display* painter = XOpenDisplay(nullptr);
  if (!painter) {
    fprintf(stderr, "ScreenGrabBench: no X display\n");
    return 1;
  }
  const int screen = DefaultScreen(painter);
  const Window root = RootWindow(painter, screen);
  const int width = DisplayWidth(painter, screen), height = DisplayHeight(painter, screen);
  GC gc = XCreateGC(painter, root, 0, nullptr);

  std::atomic<long> complete{0}, idle{0};
  dispatch_queue_t queue = dispatch_queue_create("ScreenGrabBench", DISPATCH_QUEUE_SERIAL);
  const double minimumFrameTime = 1.0 / 30;
  CFNumberRef frameTime = CFNumberCreate(nullptr, kCFNumberDoubleType, &minimumFrameTime);
  const void* keys[] = {kCGDisplayStreamMinimumFrameTime};
  const void* values[] = {frameTime};
  CFDictionaryRef properties = CFDictionaryCreate(nullptr, keys, values, 1, &kCFTypeDictionaryKeyCallBacks,
                                                  &kCFTypeDictionaryValueCallBacks);
  CGDisplayStreamRef stream = CGDisplayStreamCreateWithDispatchQueue(
      CGMainDisplayID(), 1280, 720, 0x42475241 /* 'BGRA' */, properties, queue,
      [&](CGDisplayStreamFrameStatus status, uint64_t, IOSurfaceRef, CGDisplayStreamUpdateRef) {
        if (status == kCGDisplayStreamFrameStatusFrameComplete) ++complete;
        if (status == kCGDisplayStreamFrameStatusFrameIdle) ++idle;
      });
  CFRelease(properties);
  CFRelease(frameTime);
  if (!stream) {
    fprintf(stderr, "ScreenGrabBench: no display stream\n");
    return 1;
  }

  CGDisplayStreamStart(stream);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const long completeBefore = complete, idleBefore = idle;
  const double cpuBefore = bench::cpuSeconds();
  auto paintFor = [&](int64_t nanoseconds) {
    const int64_t start = bench::nowNanoseconds();
    for (long paint = 0; bench::nowNanoseconds() - start < nanoseconds; ++paint) {
      XSetForeground(painter, gc, (paint * 0x1F3D5B) & 0xFFFFFF);
      XFillRectangle(painter, root, gc, 0, 0, unsigned(width), unsigned(height));
      XSync(painter, False);
      std::this_thread::sleep_for(std::chrono::microseconds(1000000 / 60));
    }
  };
  const int64_t start = bench::nowNanoseconds();
  paintFor(int64_t(seconds) * 1000000000);
  const double elapsed = double(bench::nowNanoseconds() - start) / 1e9;
  const double cpu = bench::cpuSeconds() - cpuBefore;
  const long frames = complete - completeBefore, idleFrames = idle - idleBefore;
  CGDisplayStreamStop(stream);
  CFRelease(stream);

  // The same screen, scaled into the frame keeping its aspect as the stream does, in its layout.
  const double scale = std::min(1280.0 / width, 720.0 / height);
  const int scaledWidth = int(width * scale) & ~1, scaledHeight = int(height * scale) & ~1;
  char filters[160];
  snprintf(filters, sizeof filters, "scale=%d:%d:flags=bilinear,pad=1280:720:%d:%d,format=bgra", scaledWidth,
           scaledHeight, (1280 - scaledWidth) / 2, (720 - scaledHeight) / 2);
  bench::GrabReference reference;
  bool referenced = false;
  {
    std::thread ffmpeg(
        [&] { referenced = bench::ffmpegGrab(0, 0, width, height, seconds, filters, reference); });
    paintFor(int64_t(seconds) * 1000000000 + 500000000);
    ffmpeg.join();
  }

  std::vector<unsigned char> from(1280 * 720 * 4, 1), to(1280 * 720 * 4);
  std::vector<double> copies;
  for (int i = 0; i < 50; ++i) {
    const int64_t copyStart = bench::nowNanoseconds();
    memcpy(to.data(), from.data(), from.size());
    copies.push_back(double(bench::nowNanoseconds() - copyStart) / 1e6);
  }
  const bench::Figures copy(copies);

  printf("screen grab, %dx%d display into 1280x720 BGRA at 30 fps, %d s, screen changing at 60 Hz\n", width,
         height, seconds);
  printf("  %-44s %.1f per second (%.1f idle)\n", "distinct frames", double(frames) / elapsed,
         double(idleFrames) / elapsed);
  const double perFrame = frames ? cpu * 1e3 / double(frames) : 0.0;
  printf("  %-44s %.3f ms (reference: memcpy of a frame %.3f ms, ratio %.1f)\n", "CPU per frame", perFrame,
         copy.p50, frames && copy.p50 > 0 ? perFrame / copy.p50 : 0.0);
  if (referenced) {
    printf("  %-44s %.3f ms at %.1f fps (ratio camera / ffmpeg %.2f)\n",
           "reference: ffmpeg x11grab per frame", reference.cpuPerFrameMilliseconds,
           reference.framesPerSecond,
           reference.cpuPerFrameMilliseconds > 0 ? perFrame / reference.cpuPerFrameMilliseconds : 0.0);
  } else {
    printf("  %-44s not installed\n", "reference: ffmpeg x11grab per frame");
  }
  XFreeGC(painter, gc);
  XCloseDisplay(painter);
  dispatch_release(queue);
  return 0;
}
