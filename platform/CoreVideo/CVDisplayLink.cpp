#include <CoreVideo/CVDisplayLink.h>
#include <CoreVideo/CVHostTime.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <vector>

#include "backend/CVDisplayLinkObject.h"

namespace {

constexpr uint64_t kRefreshPeriodNanoseconds = 1000000000ull / 60;

std::atomic<bool> sManualTicks{false};

// The link whose callback this thread is running, if any: a stop from inside it must not wait
// for itself.
thread_local const CoreVideo::DisplayLinkState* tCallingBack = nullptr;

__CVDisplayLink* linkOf(CVDisplayLinkRef link, const char* function) {
  auto* object = reinterpret_cast<NSObject*>(link);
  if (!object || object->cfTypeID() != __CVDisplayLink::typeID()) {
    std::fprintf(stderr, "%s: %p is not a CVDisplayLink\n", function, static_cast<void*>(link));
    return nullptr;
  }
  return static_cast<__CVDisplayLink*>(object);
}

bool isActiveDisplay(CGDirectDisplayID display) {
  uint32_t count = 0;
  if (CGGetActiveDisplayList(0, nullptr, &count) != kCGErrorSuccess) return display == CGMainDisplayID();
  std::vector<CGDirectDisplayID> displays(count);
  CGGetActiveDisplayList(count, displays.data(), &count);
  for (uint32_t i = 0; i < count; ++i)
    if (displays[i] == display) return true;
  return false;
}

CVTimeStamp timeStampAt(uint64_t hostTime) {
  CVTimeStamp stamp{};
  stamp.version = 0;
  stamp.videoTimeScale = 1000000000;
  stamp.videoTime = static_cast<int64_t>(hostTime);
  stamp.hostTime = hostTime;
  stamp.rateScalar = 1.0;
  stamp.videoRefreshPeriod = static_cast<int64_t>(kRefreshPeriodNanoseconds);
  stamp.flags =
      kCVTimeStampVideoHostTimeValid | kCVTimeStampVideoRefreshPeriodValid | kCVTimeStampRateScalarValid;
  return stamp;
}

// One callback with the state's callback of the moment, outside the state's lock.
void callBack(CVDisplayLinkRef link, const std::shared_ptr<CoreVideo::DisplayLinkState>& state,
              uint64_t hostTime) {
  CVDisplayLinkOutputCallback callback;
  void* userInfo;
  {
    std::lock_guard<std::mutex> lock(state->mutex);
    callback = state->callback;
    userInfo = state->userInfo;
    // Once a stop has begun no new callback starts: the stop waits only for those under way.
    if (!callback || !state->running) return;
    ++state->callbacksInFlight;
  }
  const CVTimeStamp now = timeStampAt(hostTime);
  const CVTimeStamp output = timeStampAt(hostTime + kRefreshPeriodNanoseconds);
  CVOptionFlags flagsOut = 0;
  const CoreVideo::DisplayLinkState* outer = tCallingBack;
  tCallingBack = state.get();
  callback(link, &now, &output, 0, &flagsOut, userInfo);
  tCallingBack = outer;
  std::lock_guard<std::mutex> lock(state->mutex);
  --state->callbacksInFlight;
  state->changed.notify_all();
}

// The ticking thread: one callback per refresh until asked to stop. It keeps the state, not
// the link; the link is only passed on to the callback while it is running.
void tickUntilStopped(CVDisplayLinkRef link, std::shared_ptr<CoreVideo::DisplayLinkState> state) {
  pthread_setname_np(pthread_self(), "CVDisplayLink");
  using Clock = std::chrono::steady_clock;
  const auto period = std::chrono::nanoseconds(kRefreshPeriodNanoseconds);
  auto next = Clock::now() + period;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(state->mutex);
      if (state->changed.wait_until(lock, next, [&] { return state->stopRequested; })) return;
    }
    callBack(link, state, CVGetCurrentHostTime());
    next += period;
    // A late tick is not made up for: the next one follows a period after now.
    if (next < Clock::now()) next = Clock::now() + period;
  }
}

}  // namespace

CFTypeID __CVDisplayLink::typeID() {
  static const CFTypeID id = _CFRuntimeRegisterClass("CVDisplayLink");
  return id;
}

__CVDisplayLink::__CVDisplayLink(CGDirectDisplayID display) { state->display = display; }

__CVDisplayLink::~__CVDisplayLink() { stop(); }

CVReturn __CVDisplayLink::start() {
  std::lock_guard<std::mutex> lock(state->mutex);
  if (!state->callback) return kCVReturnDisplayLinkCallbacksNotSet;
  if (state->running) return kCVReturnSuccess;
  state->running = true;
  state->stopRequested = false;
  if (!sManualTicks.load())
    mThread = std::thread(tickUntilStopped, reinterpret_cast<CVDisplayLinkRef>(this), state);
  return kCVReturnSuccess;
}

CVReturn __CVDisplayLink::stop() {
  std::thread thread;
  {
    std::unique_lock<std::mutex> lock(state->mutex);
    if (!state->running) return kCVReturnSuccess;
    state->running = false;
    state->stopRequested = true;
    state->changed.notify_all();
    thread = std::move(mThread);
    if (tCallingBack != state.get()) state->changed.wait(lock, [&] { return state->callbacksInFlight == 0; });
  }
  if (!thread.joinable()) return kCVReturnSuccess;
  if (thread.get_id() == std::this_thread::get_id())
    thread.detach();  // stopped from its own callback: it ends once that returns
  else
    thread.join();
  return kCVReturnSuccess;
}

CVReturn __CVDisplayLink::tick(uint64_t hostTime) {
  {
    std::lock_guard<std::mutex> lock(state->mutex);
    if (!state->running) return kCVReturnDisplayLinkNotRunning;
  }
  callBack(reinterpret_cast<CVDisplayLinkRef>(this), state, hostTime);
  return kCVReturnSuccess;
}

CFTypeID CVDisplayLinkGetTypeID(void) { return __CVDisplayLink::typeID(); }

CVReturn CVDisplayLinkCreateWithActiveCGDisplays(CVDisplayLinkRef* displayLinkOut) {
  if (!displayLinkOut) return kCVReturnInvalidArgument;
  *displayLinkOut = reinterpret_cast<CVDisplayLinkRef>(new __CVDisplayLink(CGMainDisplayID()));
  return kCVReturnSuccess;
}

CVReturn CVDisplayLinkCreateWithCGDisplay(CGDirectDisplayID displayID, CVDisplayLinkRef* displayLinkOut) {
  if (!displayLinkOut) return kCVReturnInvalidArgument;
  *displayLinkOut = nullptr;
  if (!isActiveDisplay(displayID)) return kCVReturnInvalidDisplay;
  *displayLinkOut = reinterpret_cast<CVDisplayLinkRef>(new __CVDisplayLink(displayID));
  return kCVReturnSuccess;
}

CVDisplayLinkRef CVDisplayLinkRetain(CVDisplayLinkRef displayLink) {
  if (displayLink) CFRetain(displayLink);
  return displayLink;
}

void CVDisplayLinkRelease(CVDisplayLinkRef displayLink) {
  if (displayLink) CFRelease(displayLink);
}

CVReturn CVDisplayLinkSetOutputCallback(CVDisplayLinkRef displayLink, CVDisplayLinkOutputCallback callback,
                                        void* userInfo) {
  __CVDisplayLink* link = linkOf(displayLink, __func__);
  if (!link) return kCVReturnInvalidArgument;
  std::lock_guard<std::mutex> lock(link->state->mutex);
  link->state->callback = callback;
  link->state->userInfo = userInfo;
  return kCVReturnSuccess;
}

CVReturn CVDisplayLinkStart(CVDisplayLinkRef displayLink) {
  __CVDisplayLink* link = linkOf(displayLink, __func__);
  return link ? link->start() : kCVReturnInvalidArgument;
}

CVReturn CVDisplayLinkStop(CVDisplayLinkRef displayLink) {
  __CVDisplayLink* link = linkOf(displayLink, __func__);
  return link ? link->stop() : kCVReturnInvalidArgument;
}

Boolean CVDisplayLinkIsRunning(CVDisplayLinkRef displayLink) {
  __CVDisplayLink* link = linkOf(displayLink, __func__);
  if (!link) return false;
  std::lock_guard<std::mutex> lock(link->state->mutex);
  return link->state->running;
}

CVReturn CVDisplayLinkSetCurrentCGDisplay(CVDisplayLinkRef displayLink, CGDirectDisplayID displayID) {
  __CVDisplayLink* link = linkOf(displayLink, __func__);
  if (!link) return kCVReturnInvalidArgument;
  if (!isActiveDisplay(displayID)) return kCVReturnInvalidDisplay;
  std::lock_guard<std::mutex> lock(link->state->mutex);
  link->state->display = displayID;
  return kCVReturnSuccess;
}

CGDirectDisplayID CVDisplayLinkGetCurrentCGDisplay(CVDisplayLinkRef displayLink) {
  __CVDisplayLink* link = linkOf(displayLink, __func__);
  if (!link) return kCGNullDirectDisplay;
  std::lock_guard<std::mutex> lock(link->state->mutex);
  return link->state->display;
}

CVReturn CVDisplayLinkSetCurrentCGDisplayFromOpenGLContext(CVDisplayLinkRef displayLink,
                                                           CGLContextObj cglContext,
                                                           CGLPixelFormatObj cglPixelFormat) {
  __CVDisplayLink* link = linkOf(displayLink, __func__);
  if (!link || !cglContext || !cglPixelFormat) return kCVReturnInvalidArgument;
  std::lock_guard<std::mutex> lock(link->state->mutex);
  link->state->display = CGMainDisplayID();
  return kCVReturnSuccess;
}

CVTime CVDisplayLinkGetNominalOutputVideoRefreshPeriod(CVDisplayLinkRef displayLink) {
  if (!linkOf(displayLink, __func__)) return CVTime{0, 0, kCVTimeIsIndefinite};
  return CVTime{static_cast<int64_t>(kRefreshPeriodNanoseconds), 1000000000, 0};
}

CVReturn CVDisplayLinkGetCurrentTime(CVDisplayLinkRef displayLink, CVTimeStamp* outTime) {
  if (!linkOf(displayLink, __func__) || !outTime) return kCVReturnInvalidArgument;
  *outTime = timeStampAt(CVGetCurrentHostTime());
  return kCVReturnSuccess;
}

void _CVDisplayLinkSetManualTicks(Boolean manual) { sManualTicks = manual; }

CVReturn _CVDisplayLinkTick(CVDisplayLinkRef displayLink, uint64_t hostTime) {
  __CVDisplayLink* link = linkOf(displayLink, __func__);
  return link ? link->tick(hostTime) : kCVReturnInvalidArgument;
}
