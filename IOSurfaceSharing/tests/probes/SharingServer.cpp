// A sharing server for tests: the application's sharing controller, published with the
// application's texture class, its delegate drawing frame n with the test pattern the way the
// application draws its output (a texture rendered, turned vertically, into the ring's surface),
// 30 times a second, or R times.
//   SharingServer [--port P] [--frames N] [--rate R] [--window]      (N = 0: until killed)
// With --window the class switch of the message window output answers YES, and the main run
// loop turns between frames, as the window draws there. It prints "surfaces <id0> <id1>" once,
// with --window "window <title>" once, then per frame, once the frame is out,
//   "frame <n> surface <id> time <ns> open <0|1>"
// with the frame's host time and whether the UDP server held its port at that frame, and
// "service <name>" once the Bonjour publisher stands.
#include <CoreFoundation/CFRunLoop.h>
#include <Foundation/NSString.h>
#include <Foundation/NSValue.h>
#include <FramePattern.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "IOSurfaceSharingController.h"
#include "IOSurfaceSharingNSWindowServer.h"
#include "IOSurfaceSharingServerOutputNetworkUDP.h"
#include "NSOGLRenderTextureIntoIOSurfaceFBO.h"
#include "NSOGLSharingContext.h"
#include "namespace_OpenGL_CGLContextState.h"

namespace {

// Draws the pattern of the frame number into a picture of its own and renders that, turned,
// into the ring's surface.
class PatternDelegate : public NSObject, public IOSurfaceSharingControllerDelegate {
  OBJC_CLASS_DECL(PatternDelegate, NSObject)

 public:
  bool makePicture() {
    OpenGL::CGLContextState guard(NSOGLSharingContext::defaultSharedContext());
    mPicture = adopt(NSOGLTextureIOSurface::surfaceWithSurfaceWidth_surfaceHeight(1280, 720));
    if (mPicture) mSource = adopt(NSOGLTextureIOSurface::alloc()->initWithIOSurface(mPicture.get()));
    return bool(mSource);
  }
  void surfaceSharing_renderSurface(IOSurfaceSharingController*, NSOGLTextureIOSurface* texture) override {
    auto* target = dynamic_cast<NSOGLRenderTextureIntoIOSurfaceFBO*>(texture);
    if (!target) return;
    moxicam::test::drawFramePattern(mPicture.get(), frame);
    mSource->setFlipVertical(true);
    target->setSourceTexture(mSource.get());
    target->renderScene();
    target->setSourceTexture(nullptr);
  }
  long frame = 0;

 private:
  RefPtr<__IOSurface> mPicture;
  RefPtr<NSOGLTextureIOSurface> mSource;
};
OBJC_CLASS_DEFINE(PatternDelegate)

// An output that notes the surface and time each frame is announced with.
class FrameNotes : public IOSurfaceSharingServerOutput {
  OBJC_CLASS_DECL(FrameNotes, IOSurfaceSharingServerOutput)

 public:
  bool broadcastSurface_withSurfaceTime(IOSurfaceRef surface, uint64_t surfaceTime) override {
    this->surface = IOSurfaceGetID(surface);
    time = surfaceTime;
    return true;
  }
  uint32_t surface = 0;
  uint64_t time = 0;
};
OBJC_CLASS_DEFINE(FrameNotes)

// The application's controller with the message window switched on.
class WindowSharingController : public IOSurfaceSharingController {
  OBJC_CLASS_DECL(WindowSharingController, IOSurfaceSharingController)

 public:
  struct Meta : IOSurfaceSharingController::Meta {
    bool shouldPublishNSWindowServer(Class) const override { return true; }
  };
};
OBJC_CLASS_DEFINE(WindowSharingController)

// Until the time comes: asleep, or turning the main run loop.
void waitUntil(std::chrono::steady_clock::time_point next, bool runLoop) {
  if (!runLoop) {
    std::this_thread::sleep_until(next);
    return;
  }
  for (auto now = std::chrono::steady_clock::now(); now < next; now = std::chrono::steady_clock::now()) {
    objc::AutoreleasePool pool;
    if (CFRunLoopRunInMode(kCFRunLoopDefaultMode, std::chrono::duration<double>(next - now).count(), true) ==
        kCFRunLoopRunFinished)
      std::this_thread::sleep_until(next);
  }
}

}  // namespace

int main(int argc, char** argv) {
  long frames = 0;
  long port = 30100;
  long rate = 30;
  bool window = false;
  for (int i = 1; i < argc; ++i) {
    if (!strcmp(argv[i], "--window")) window = true;
    if (i + 1 >= argc) continue;
    if (!strcmp(argv[i], "--frames")) frames = atol(argv[++i]);
    else if (!strcmp(argv[i], "--port")) port = atol(argv[++i]);
    else if (!strcmp(argv[i], "--rate")) rate = std::max(1L, atol(argv[++i]));
  }
  setvbuf(stdout, nullptr, _IOLBF, 0);

  RefPtr<PatternDelegate> delegate = adopt(static_cast<PatternDelegate*>(PatternDelegate::alloc()->init()));
  RefPtr<FrameNotes> notes = adopt(static_cast<FrameNotes*>(FrameNotes::alloc()->init()));
  RefPtr<IOSurfaceSharingController> controller =
      adopt((window ? WindowSharingController::alloc() : IOSurfaceSharingController::alloc())->init());
  RefPtr<IOSurfaceSharingNetworkServer> udp;
  {
    objc::AutoreleasePool pool;
    if (!delegate->makePicture()) {
      fprintf(stderr, "SharingServer: no OpenGL\n");
      return 1;
    }
    controller->setDelegate(delegate.get());
    controller->setSurfaceSharingUDPPortNumber(NSNumber::numberWithLong(port));
    controller->serverOutputs()->addServerOutput(notes.get());
    controller->publishServerWithTextureClass(NSOGLRenderTextureIntoIOSurfaceFBO::class_());
    NSArray* ring = controller->surfaceTextures()->surfaceTextures();
    auto* output = static_cast<IOSurfaceSharingServerOutputNetworkUDP*>(
        controller->serverOutputs()->outputWithClass(IOSurfaceSharingServerOutputNetworkUDP::class_()));
    if (ring->count() != 2 || !output) {
      fprintf(stderr, "SharingServer: no ring or no UDP output\n");
      return 1;
    }
    udp = RefPtr<IOSurfaceSharingNetworkServer>(output->networkSurfaceServer());
    uint32_t ids[2];
    for (int i = 0; i < 2; ++i) {
      RefPtr<__IOSurface> surface =
          adopt(static_cast<NSOGLTextureIOSurface*>(ring->objectAtIndex(i))->surfaceCopy());
      ids[i] = IOSurfaceGetID(surface.get());
    }
    printf("surfaces %u %u\n", ids[0], ids[1]);
    if (window) {
      auto* output = static_cast<IOSurfaceSharingNSWindowServer*>(
          controller->serverOutputs()->outputWithClass(IOSurfaceSharingNSWindowServer::class_()));
      if (!output || !output->hasServerConnection()) {
        fprintf(stderr, "SharingServer: no message window\n");
        return 1;
      }
      printf("window %s\n", output->mangledPublishedPortName()->UTF8String());
    }
  }

  bool announced = false;
  auto next = std::chrono::steady_clock::now();
  for (long frame = 0; frames <= 0 || frame < frames; ++frame) {
    delegate->frame = frame;
    controller->broadcastNextSurface_render(true, true);
    printf("frame %ld surface %u time %llu open %d\n", frame, notes->surface, (unsigned long long)notes->time,
           udp->loopbackServer().IsServerSocketOpen() ? 1 : 0);
    NQBonjourIOSurfaceNetService* publisher = udp->bonjourService();
    if (!announced && publisher && publisher->service()) {
      printf("service %s\n", publisher->service()->name()->UTF8String());
      announced = true;
    }
    next += std::chrono::microseconds(1000000 / rate);
    waitUntil(next, window);
  }
  controller->applicationWillTerminate(nullptr);
  return 0;
}
