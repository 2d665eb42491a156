// The window camera: this program shows an 800 x 600 window whose picture changes 60 times a
// second, and draws the window camera's 1280 x 720 frames of it on a 30 Hz schedule, as the
// stream's timer does. It reports the distinct frames per second and the CPU per frame of the
// drawing thread, beside ffmpeg's x11grab of the same window area scaled and placed the same
// way (when ffmpeg is installed). Needs an X display (tools/with-display gives one).
//   WindowGrabBench [--seconds N]
#include <CoreVideo/CVPixelBuffer.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>

#include "BenchFigures.h"
#include "CMIODALGrabberWindowStream.h"
#include "UGrabberAppWindow.h"

namespace {

constexpr int kWindowWidth = 800, kWindowHeight = 600;
constexpr int64_t kFrameNanoseconds = 1000000000 / 30;

double threadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// The window's owner as the window list names it: this program's process name.
std::string ownName() {
  char name[64] = {};
  FILE* comm = fopen("/proc/self/comm", "r");
  if (comm) {
    if (fgets(name, sizeof name, comm)) name[strcspn(name, "\n")] = 0;
    fclose(comm);
  }
  return name;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = bench::secondsArgument(argc, argv, 5);
  Display* painter = XOpenDisplay(nullptr);
  if (!painter) {
    fprintf(stderr, "WindowGrabBench: no X display\n");
    return 1;
  }
  const int screen = DefaultScreen(painter);
  const Window root = RootWindow(painter, screen);
  const int x = 100, y = 100;
  const Window window = XCreateSimpleWindow(painter, root, x, y, kWindowWidth, kWindowHeight, 0, 0, 0);
  const long pid = getpid();
  XChangeProperty(painter, window, XInternAtom(painter, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);
  XMapRaised(painter, window);
  XSync(painter, False);
  GC gc = XCreateGC(painter, window, 0, nullptr);

  const std::string owner = ownName();
  UGrabberAppWindow owners;
  size_t index = 0;
  std::string name;
  while (owners.GetWindowOwnerAtIndex(index, name) && name != owner) ++index;
  if (name != owner) {
    fprintf(stderr, "WindowGrabBench: the window list has no window of %s\n", owner.c_str());
    return 1;
  }
  NQCMIO::GrabberWindowStream stream(owners, index);
  if (!stream.Construct(NQCMIO::GrabberWindowStream::kFrameSize, nullptr)) {
    fprintf(stderr, "WindowGrabBench: the window camera could not be made\n");
    return 1;
  }

  // The camera's side: a frame per tick of a 30 Hz schedule; a frame that overran skips the
  // ticks it missed, as the stream's timer does.
  std::atomic<bool> stop{false};
  long frames = 0, distinct = 0;
  double cpu = 0;
  std::thread camera([&] {
    uint32_t last = 0;
    const double cpuBefore = threadCpuSeconds();
    int64_t next = bench::nowNanoseconds();
    while (!stop) {
      CVPixelBufferRef buffer = stream.CopyPixelBufferForPresentationTime(kCMTimeZero);
      if (buffer) {
        ++frames;
        CVPixelBufferLockBaseAddress(buffer, kCVPixelBufferLock_ReadOnly);
        const auto* centre = static_cast<const uint8_t*>(CVPixelBufferGetBaseAddress(buffer)) +
                             360 * CVPixelBufferGetBytesPerRow(buffer) + 640 * 4;
        uint32_t pixel;
        memcpy(&pixel, centre, 4);
        CVPixelBufferUnlockBaseAddress(buffer, kCVPixelBufferLock_ReadOnly);
        if (pixel != last) ++distinct;
        last = pixel;
        CVPixelBufferRelease(buffer);
      }
      next += kFrameNanoseconds;
      const int64_t now = bench::nowNanoseconds();
      if (next < now) next += (now - next) / kFrameNanoseconds * kFrameNanoseconds + kFrameNanoseconds;
      const timespec until{time_t(next / 1000000000), long(next % 1000000000)};
      clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
    }
    cpu = threadCpuSeconds() - cpuBefore;
  });

  auto paintFor = [&](int64_t nanoseconds) {
    const int64_t start = bench::nowNanoseconds();
    for (long paint = 1; bench::nowNanoseconds() - start < nanoseconds; ++paint) {
      XSetForeground(painter, gc, (paint * 0x1F3D5B) & 0xFFFFFF);
      XFillRectangle(painter, window, gc, 0, 0, kWindowWidth, kWindowHeight);
      XSync(painter, False);
      std::this_thread::sleep_for(std::chrono::microseconds(1000000 / 60));
    }
  };
  const int64_t start = bench::nowNanoseconds();
  paintFor(int64_t(seconds) * 1000000000);
  stop = true;
  camera.join();
  const double elapsed = double(bench::nowNanoseconds() - start) / 1e9;

  // The same window area, scaled to where the camera draws it and put in its pixel layout.
  bench::GrabReference reference;
  bool referenced = false;
  {
    std::thread ffmpeg([&] {
      referenced = bench::ffmpegGrab(x, y, kWindowWidth, kWindowHeight, seconds,
                                     "scale=928:696:flags=bilinear,pad=1280:720:176:12,format=argb", reference);
    });
    paintFor(int64_t(seconds) * 1000000000 + 500000000);
    ffmpeg.join();
  }

  const double perFrame = frames ? cpu * 1e3 / double(frames) : 0.0;
  printf("window grab, %dx%d window into 1280x720 ARGB at 30 fps, %d s, window changing at 60 Hz\n",
         kWindowWidth, kWindowHeight, seconds);
  printf("  %-44s %.1f per second (%.1f frames per second)\n", "distinct frames", double(distinct) / elapsed,
         double(frames) / elapsed);
  if (referenced) {
    printf("  %-44s %.3f ms (reference: ffmpeg x11grab %.3f ms at %.1f fps, ratio %.2f)\n", "CPU per frame",
           perFrame, reference.cpuPerFrameMilliseconds, reference.framesPerSecond,
           reference.cpuPerFrameMilliseconds > 0 ? perFrame / reference.cpuPerFrameMilliseconds : 0.0);
  } else {
    printf("  %-44s %.3f ms (reference: no ffmpeg)\n", "CPU per frame", perFrame);
  }
  stream.Destruct();
  XFreeGC(painter, gc);
  XDestroyWindow(painter, window);
  XCloseDisplay(painter);
  return 0;
}
