#include <CoreFoundation/CFRunLoop.h>
#include <CoreFoundation/CFString.h>
#include <dispatch/runloop_4CF.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "backend/CFRunLoopObject.h"

using namespace CFRunLoopInternal;

const CFRunLoopMode kCFRunLoopDefaultMode = CFSTR("kCFRunLoopDefaultMode");
const CFRunLoopMode kCFRunLoopCommonModes = CFSTR("kCFRunLoopCommonModes");

namespace {

// Tags of the epoll entries that are not sources (a source's tag is its address).
constexpr uint64_t kWakeTag = 0;
constexpr uint64_t kMainQueueTag = 1;

constexpr uint64_t kNoDeadline = UINT64_MAX;

uint64_t monotonicNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return uint64_t(now.tv_sec) * 1000000000ull + uint64_t(now.tv_nsec);
}

template <class T>
bool contains(const std::vector<T*>& items, const T* item) {
  return std::find(items.begin(), items.end(), item) != items.end();
}

// Adds a retained item unless present; answers whether it was added.
template <class T>
bool insertRetained(std::vector<T*>& items, T* item) {
  if (contains(items, item)) return false;
  item->retain();
  items.push_back(item);
  return true;
}

// Takes an item out; its reference goes to `releases` to be let go after the lock.
template <class T>
bool eraseInto(std::vector<T*>& items, T* item, std::vector<const void*>& releases) {
  auto found = std::find(items.begin(), items.end(), item);
  if (found == items.end()) return false;
  items.erase(found);
  releases.push_back(item);
  return true;
}

template <class T>
std::vector<T*> retainedCopy(const std::vector<T*>& items) {
  for (T* item : items) item->retain();
  return items;
}

template <class T>
void releaseAll(const std::vector<T*>& items) {
  for (T* item : items) item->release();
}

void addToEpoll(int epoll, int descriptor, uint64_t tag) {
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.u64 = tag;
  epoll_ctl(epoll, EPOLL_CTL_ADD, descriptor, &event);
}

}  // namespace

namespace CFRunLoopInternal {

std::string modeKey(CFTypeRef mode) {
  if (!mode || CFGetTypeID(mode) != CFStringGetTypeID()) return {};
  CFStringRef text = static_cast<CFStringRef>(mode);
  if (const char* direct = CFStringGetCStringPtr(text, kCFStringEncodingUTF8)) return direct;
  CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(text), kCFStringEncodingUTF8) + 1;
  std::string buffer(size_t(size), '\0');
  if (!CFStringGetCString(text, buffer.data(), size, kCFStringEncodingUTF8)) return {};
  buffer.resize(std::strlen(buffer.c_str()));
  return buffer;
}

}  // namespace CFRunLoopInternal

CFTypeID __CFRunLoop::typeID() {
  static const CFTypeID id = _CFRuntimeRegisterClass("CFRunLoop");
  return id;
}

__CFRunLoop::__CFRunLoop(bool isMain) : mIsMain(isMain) {
  mWakeDescriptor = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (mWakeDescriptor < 0) std::perror("CFRunLoop: cannot make the wake-up eventfd");
  mCommonModes.insert(kDefaultModeName);
  mCommonItems.name = kCommonModesName;
}

__CFRunLoop::~__CFRunLoop() {
  removeAllItems();
  for (auto& [name, mode] : mModes) {
    if (mode->epoll >= 0) close(mode->epoll);
    if (mode->nameRef) CFRelease(mode->nameRef);
  }
  if (mWakeDescriptor >= 0) close(mWakeDescriptor);
}

void __CFRunLoop::Aftermath::finish(CFRunLoopRef loop) {
  for (auto& [source, mode] : scheduled) {
    if (source->context.schedule) source->context.schedule(source->context.info, loop, mode);
  }
  for (auto& [source, mode] : cancelled) {
    if (source->context.cancel) source->context.cancel(source->context.info, loop, mode);
  }
  for (const void* item : releases) objc_release(item);
}

__CFRunLoop::Mode* __CFRunLoop::modeLocked(const std::string& name, Aftermath& after) {
  auto found = mModes.find(name);
  if (found != mModes.end()) return found->second.get();
  auto mode = std::make_unique<Mode>();
  mode->name = name;
  mode->nameRef = CFStringCreateWithCString(nullptr, name.c_str(), kCFStringEncodingUTF8);
  mode->epoll = epoll_create1(EPOLL_CLOEXEC);
  if (mode->epoll < 0) std::perror("CFRunLoop: cannot make a mode's epoll set");
  if (mWakeDescriptor >= 0) addToEpoll(mode->epoll, mWakeDescriptor, kWakeTag);
  Mode* made = mode.get();
  mModes.emplace(name, std::move(mode));
  if (isCommonLocked(name)) {
    if (mIsMain) addToEpoll(made->epoll, _dispatch_get_main_queue_port_4CF(), kMainQueueTag);
    for (CFRunLoopSourceRef source : mCommonItems.sources) addSourceToModeLocked(made, source, after);
    for (CFRunLoopTimerRef timer : mCommonItems.timers) addTimerToModeLocked(made, timer);
    for (CFRunLoopObserverRef observer : mCommonItems.observers) addObserverToModeLocked(made, observer);
  }
  return made;
}

std::vector<__CFRunLoop::Mode*> __CFRunLoop::modesForLocked(const std::string& name, Aftermath* after) {
  std::vector<Mode*> modes;
  if (name.empty()) {
    for (auto& [key, mode] : mModes) modes.push_back(mode.get());
  } else if (name == kCommonModesName) {
    for (const std::string& common : mCommonModes) {
      if (after) {
        modes.push_back(modeLocked(common, *after));
      } else if (auto found = mModes.find(common); found != mModes.end()) {
        modes.push_back(found->second.get());
      }
    }
  } else if (after) {
    modes.push_back(modeLocked(name, *after));
  } else if (auto found = mModes.find(name); found != mModes.end()) {
    modes.push_back(found->second.get());
  }
  return modes;
}

bool __CFRunLoop::isEmptyLocked(const Mode* mode) const {
  if (!mode->sources.empty() || !mode->timers.empty()) return false;
  // The main loop always has the main queue to wait for in its common modes.
  if (mIsMain && isCommonLocked(mode->name)) return false;
  for (const Block& block : mBlocks) {
    if (block.mode == mode->name || (block.mode.empty() && isCommonLocked(mode->name))) return false;
  }
  return true;
}

void __CFRunLoop::watchDescriptorLocked(Mode* mode, CFRunLoopSourceRef source) {
  epoll_event event{};
  event.events = source->events.load();
  event.data.ptr = source;
  if (event.events == 0) {
    // Not even hang-ups are wanted while no callback is enabled.
    epoll_ctl(mode->epoll, EPOLL_CTL_DEL, source->descriptor, nullptr);
  } else if (epoll_ctl(mode->epoll, EPOLL_CTL_MOD, source->descriptor, &event) < 0 && errno == ENOENT) {
    epoll_ctl(mode->epoll, EPOLL_CTL_ADD, source->descriptor, &event);
  }
}

void __CFRunLoop::addSourceToModeLocked(Mode* mode, CFRunLoopSourceRef source, Aftermath& after) {
  if (!insertRetained(mode->sources, source)) return;
  {
    std::lock_guard<std::mutex> guard(source->placesLock);
    source->places.emplace_back(this, mode->name);
  }
  if (source->descriptor >= 0) watchDescriptorLocked(mode, source);
  after.scheduled.emplace_back(source, mode->nameRef);
}

void __CFRunLoop::removeSourceFromModeLocked(Mode* mode, CFRunLoopSourceRef source, Aftermath& after) {
  if (!eraseInto(mode->sources, source, after.releases)) return;
  {
    std::lock_guard<std::mutex> guard(source->placesLock);
    auto& places = source->places;
    places.erase(std::remove(places.begin(), places.end(), std::make_pair(CFRunLoopRef(this), mode->name)),
                 places.end());
  }
  if (source->descriptor >= 0) epoll_ctl(mode->epoll, EPOLL_CTL_DEL, source->descriptor, nullptr);
  after.cancelled.emplace_back(source, mode->nameRef);
}

void __CFRunLoop::addTimerToModeLocked(Mode* mode, CFRunLoopTimerRef timer) {
  insertRetained(mode->timers, timer);
}

void __CFRunLoop::removeTimerFromModeLocked(Mode* mode, CFRunLoopTimerRef timer, Aftermath& after) {
  eraseInto(mode->timers, timer, after.releases);
}

void __CFRunLoop::addObserverToModeLocked(Mode* mode, CFRunLoopObserverRef observer) {
  insertRetained(mode->observers, observer);
}

void __CFRunLoop::removeObserverFromModeLocked(Mode* mode, CFRunLoopObserverRef observer, Aftermath& after) {
  eraseInto(mode->observers, observer, after.releases);
}

void __CFRunLoop::addSource(CFRunLoopSourceRef source, const std::string& modeName) {
  if (!source->valid) return;
  Aftermath after;
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (modeName == kCommonModesName) insertRetained(mCommonItems.sources, source);
    for (Mode* mode : modesForLocked(modeName, &after)) addSourceToModeLocked(mode, source, after);
  }
  after.finish(this);
  // A signal given before the source joined this loop is served now.
  if (source->signalled) wakeUp();
}

void __CFRunLoop::removeSource(CFRunLoopSourceRef source, const std::string& modeName) {
  Aftermath after;
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (modeName == kCommonModesName || modeName.empty())
      eraseInto(mCommonItems.sources, source, after.releases);
    for (Mode* mode : modesForLocked(modeName, nullptr)) removeSourceFromModeLocked(mode, source, after);
  }
  after.finish(this);
}

bool __CFRunLoop::containsSource(CFRunLoopSourceRef source, const std::string& modeName) {
  std::lock_guard<std::mutex> guard(mLock);
  if (modeName == kCommonModesName) return contains(mCommonItems.sources, source);
  auto found = mModes.find(modeName);
  return found != mModes.end() && contains(found->second->sources, source);
}

void __CFRunLoop::refreshDescriptor(CFRunLoopSourceRef source) {
  std::lock_guard<std::mutex> guard(mLock);
  for (auto& [name, mode] : mModes) {
    if (contains(mode->sources, source)) watchDescriptorLocked(mode.get(), source);
  }
}

void __CFRunLoop::addTimer(CFRunLoopTimerRef timer, const std::string& modeName) {
  CFRunLoopRef owner = nullptr;
  if (!timer->runLoop.compare_exchange_strong(owner, this) && owner != this) {
    std::fprintf(stderr, "CFRunLoopAddTimer: the timer already belongs to another run loop\n");
    return;
  }
  if (!timer->valid) return;
  Aftermath after;
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (modeName == kCommonModesName) insertRetained(mCommonItems.timers, timer);
    for (Mode* mode : modesForLocked(modeName, &after)) addTimerToModeLocked(mode, timer);
  }
  after.finish(this);
  wakeUp();  // the loop may be sleeping past the new timer's date
}

void __CFRunLoop::removeTimer(CFRunLoopTimerRef timer, const std::string& modeName) {
  Aftermath after;
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (modeName == kCommonModesName || modeName.empty())
      eraseInto(mCommonItems.timers, timer, after.releases);
    for (Mode* mode : modesForLocked(modeName, nullptr)) removeTimerFromModeLocked(mode, timer, after);
  }
  after.finish(this);
}

void __CFRunLoop::addObserver(CFRunLoopObserverRef observer, const std::string& modeName) {
  CFRunLoopRef owner = nullptr;
  if (!observer->runLoop.compare_exchange_strong(owner, this) && owner != this) {
    std::fprintf(stderr, "CFRunLoopAddObserver: the observer already belongs to another run loop\n");
    return;
  }
  if (!observer->valid) return;
  Aftermath after;
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (modeName == kCommonModesName) insertRetained(mCommonItems.observers, observer);
    for (Mode* mode : modesForLocked(modeName, &after)) addObserverToModeLocked(mode, observer);
  }
  after.finish(this);
}

void __CFRunLoop::removeObserver(CFRunLoopObserverRef observer, const std::string& modeName) {
  Aftermath after;
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (modeName == kCommonModesName || modeName.empty())
      eraseInto(mCommonItems.observers, observer, after.releases);
    for (Mode* mode : modesForLocked(modeName, nullptr)) removeObserverFromModeLocked(mode, observer, after);
  }
  after.finish(this);
}

void __CFRunLoop::removeAllItems() {
  Aftermath after;
  {
    std::lock_guard<std::mutex> guard(mLock);
    std::vector<Mode*> modes = modesForLocked("", nullptr);
    modes.push_back(&mCommonItems);
    for (Mode* mode : modes) {
      for (CFRunLoopSourceRef source : std::vector<CFRunLoopSourceRef>(mode->sources)) {
        if (mode == &mCommonItems) {
          eraseInto(mode->sources, source, after.releases);
        } else {
          removeSourceFromModeLocked(mode, source, after);
        }
      }
      for (CFRunLoopTimerRef timer : std::vector<CFRunLoopTimerRef>(mode->timers)) {
        timer->runLoop = nullptr;
        eraseInto(mode->timers, timer, after.releases);
      }
      for (CFRunLoopObserverRef observer : std::vector<CFRunLoopObserverRef>(mode->observers)) {
        observer->runLoop = nullptr;
        eraseInto(mode->observers, observer, after.releases);
      }
    }
    mBlocks.clear();
  }
  after.finish(this);
}

void __CFRunLoop::addCommonMode(const std::string& modeName) {
  if (modeName.empty() || modeName == kCommonModesName) return;
  Aftermath after;
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (isCommonLocked(modeName)) return;
    auto existing = mModes.find(modeName);
    mCommonModes.insert(modeName);
    if (existing == mModes.end()) {
      modeLocked(modeName, after);  // made as a common mode, with the common items
    } else {
      Mode* mode = existing->second.get();
      if (mIsMain) addToEpoll(mode->epoll, _dispatch_get_main_queue_port_4CF(), kMainQueueTag);
      for (CFRunLoopSourceRef source : mCommonItems.sources) addSourceToModeLocked(mode, source, after);
      for (CFRunLoopTimerRef timer : mCommonItems.timers) addTimerToModeLocked(mode, timer);
      for (CFRunLoopObserverRef observer : mCommonItems.observers) addObserverToModeLocked(mode, observer);
    }
  }
  after.finish(this);
}

void __CFRunLoop::performBlock(const std::string& modeName, std::function<void()> block) {
  {
    std::lock_guard<std::mutex> guard(mLock);
    mBlocks.push_back(Block{modeName == kCommonModesName ? std::string() : modeName, std::move(block)});
  }
  wakeUp();
}

void __CFRunLoop::stop() {
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (!mRuns.empty()) mRuns.back()->stopped = true;
  }
  wakeUp();
}

void __CFRunLoop::wakeUp() {
  if (mWakeDescriptor < 0) return;
  uint64_t one = 1;
  while (write(mWakeDescriptor, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

CFRunLoopMode __CFRunLoop::copyCurrentMode() {
  std::lock_guard<std::mutex> guard(mLock);
  if (mRuns.empty()) return nullptr;
  return static_cast<CFRunLoopMode>(CFRetain(mRuns.back()->mode->nameRef));
}

void __CFRunLoop::notifyObservers(Mode* mode, CFRunLoopActivity activity) {
  std::vector<CFRunLoopObserverRef> due;
  {
    std::lock_guard<std::mutex> guard(mLock);
    for (CFRunLoopObserverRef observer : mode->observers) {
      if ((observer->activities & activity) && observer->valid) due.push_back(observer);
    }
    retainedCopy(due);
  }
  std::stable_sort(due.begin(), due.end(), [](auto a, auto b) { return a->order < b->order; });
  for (CFRunLoopObserverRef observer : due) {
    if (observer->valid) observer->observe(activity);
  }
  releaseAll(due);
}

bool __CFRunLoop::runBlocks(Mode* mode) {
  std::vector<std::function<void()>> due;
  {
    std::lock_guard<std::mutex> guard(mLock);
    bool common = isCommonLocked(mode->name);
    for (auto block = mBlocks.begin(); block != mBlocks.end();) {
      if (block->mode == mode->name || (block->mode.empty() && common)) {
        due.push_back(std::move(block->work));
        block = mBlocks.erase(block);
      } else {
        ++block;
      }
    }
  }
  for (auto& work : due) work();
  return !due.empty();
}

bool __CFRunLoop::performSignalledSources(Mode* mode) {
  std::vector<CFRunLoopSourceRef> due;
  {
    std::lock_guard<std::mutex> guard(mLock);
    for (CFRunLoopSourceRef source : mode->sources) {
      if (source->signalled && source->valid && source->descriptor < 0) due.push_back(source);
    }
    retainedCopy(due);
  }
  std::stable_sort(due.begin(), due.end(), [](auto a, auto b) { return a->order < b->order; });
  bool handled = false;
  for (CFRunLoopSourceRef source : due) {
    if (source->signalled.exchange(false) && source->valid && source->context.perform) {
      source->context.perform(source->context.info);
      handled = true;
    }
  }
  releaseAll(due);
  return handled;
}

void __CFRunLoop::handleDescriptor(Mode* mode, CFRunLoopSourceRef source, uint32_t readyEvents) {
  {
    std::lock_guard<std::mutex> guard(mLock);
    // It may have left the mode between the wait and now.
    if (!contains(mode->sources, source)) return;
    source->retain();
  }
  if (source->valid && source->descriptorReady) source->descriptorReady(source->context.info, readyEvents);
  source->release();
}

uint64_t __CFRunLoop::nanosecondsToNextTimer(Mode* mode) {
  std::lock_guard<std::mutex> guard(mLock);
  bool any = false;
  CFAbsoluteTime earliest = 0;
  for (CFRunLoopTimerRef timer : mode->timers) {
    if (!timer->valid || timer->firing) continue;
    CFAbsoluteTime date = timer->fireDate();
    if (!any || date < earliest) earliest = date;
    any = true;
  }
  if (!any) return kNoDeadline;
  double seconds = earliest - CFAbsoluteTimeGetCurrent();
  if (!(seconds > 0)) return 0;
  if (seconds > 1e9) return kNoDeadline;
  return uint64_t(seconds * 1e9);
}

void __CFRunLoop::fireDueTimers(Mode* mode) {
  std::vector<CFRunLoopTimerRef> due;
  CFAbsoluteTime now = CFAbsoluteTimeGetCurrent();
  {
    std::lock_guard<std::mutex> guard(mLock);
    for (CFRunLoopTimerRef timer : mode->timers) {
      if (timer->valid && !timer->firing && timer->fireDate() <= now) due.push_back(timer);
    }
    retainedCopy(due);
  }
  std::stable_sort(due.begin(), due.end(), [](auto a, auto b) {
    return a->fireDate() < b->fireDate() || (a->fireDate() == b->fireDate() && a->order < b->order);
  });
  for (CFRunLoopTimerRef timer : due) {
    CFAbsoluteTime scheduled = timer->fireDate();
    if (!timer->valid || scheduled > CFAbsoluteTimeGetCurrent()) continue;
    timer->firing = true;
    timer->fire();
    timer->firing = false;
    // A callout that set the next date itself has the last word.
    if (!timer->valid || timer->fireDate() != scheduled) continue;
    if (timer->interval > 0) {
      // Fires missed while the loop was busy are skipped, keeping the timer's phase.
      CFAbsoluteTime after = CFAbsoluteTimeGetCurrent();
      double periods = std::floor((after - scheduled) / timer->interval) + 1;
      timer->setFireDate(scheduled + std::max(1.0, periods) * timer->interval);
    } else {
      CFRunLoopTimerInvalidate(timer);
    }
  }
  releaseAll(due);
}

CFRunLoopRunResult __CFRunLoop::run(const std::string& modeName, CFTimeInterval seconds,
                                    bool returnAfterSourceHandled) {
  Run run{nullptr};
  {
    Aftermath after;
    std::unique_lock<std::mutex> guard(mLock);
    run.mode = modeLocked(modeName, after);
    if (isEmptyLocked(run.mode)) {
      guard.unlock();
      after.finish(this);
      return kCFRunLoopRunFinished;
    }
    mRuns.push_back(&run);
    guard.unlock();
    after.finish(this);
  }
  Mode* mode = run.mode;
  uint64_t start = monotonicNanoseconds();
  uint64_t deadline = !(seconds > 0) ? start : seconds >= 1e9 ? kNoDeadline : start + uint64_t(seconds * 1e9);

  notifyObservers(mode, kCFRunLoopEntry);
  CFRunLoopRunResult result = 0;
  while (result == 0) {
    notifyObservers(mode, kCFRunLoopBeforeTimers);
    notifyObservers(mode, kCFRunLoopBeforeSources);
    runBlocks(mode);
    bool handled = performSignalledSources(mode);
    runBlocks(mode);

    uint64_t now = monotonicNanoseconds();
    uint64_t wait = 0;
    bool stopped;
    {
      std::lock_guard<std::mutex> guard(mLock);
      stopped = run.stopped;
    }
    if (!handled && !stopped && now < deadline) {
      wait = std::min(nanosecondsToNextTimer(mode), deadline == kNoDeadline ? kNoDeadline : deadline - now);
    }
    int timeout = wait == kNoDeadline ? -1 : int(std::min<uint64_t>((wait + 999999) / 1000000, INT_MAX));
    if (timeout != 0) {
      notifyObservers(mode, kCFRunLoopBeforeWaiting);
      mSleeping = true;
    }
    epoll_event events[32];
    int count = epoll_wait(mode->epoll, events, 32, timeout);
    if (timeout != 0) {
      mSleeping = false;
      notifyObservers(mode, kCFRunLoopAfterWaiting);
    }
    for (int i = 0; i < count; ++i) {
      uint64_t tag = events[i].data.u64;
      if (tag == kWakeTag) {
        uint64_t ignored;
        while (read(mWakeDescriptor, &ignored, sizeof ignored) < 0 && errno == EINTR) {
        }
      } else if (tag == kMainQueueTag) {
        _dispatch_main_queue_callback_4CF();
        handled = true;
      } else {
        handleDescriptor(mode, static_cast<CFRunLoopSourceRef>(events[i].data.ptr), events[i].events);
        handled = true;
      }
    }
    fireDueTimers(mode);
    runBlocks(mode);

    std::lock_guard<std::mutex> guard(mLock);
    if (handled && returnAfterSourceHandled) {
      result = kCFRunLoopRunHandledSource;
    } else if (monotonicNanoseconds() >= deadline) {
      result = kCFRunLoopRunTimedOut;
    } else if (run.stopped) {
      result = kCFRunLoopRunStopped;
    } else if (isEmptyLocked(mode)) {
      result = kCFRunLoopRunFinished;
    }
  }
  notifyObservers(mode, kCFRunLoopExit);
  std::lock_guard<std::mutex> guard(mLock);
  mRuns.pop_back();
  return result;
}

namespace {

CFRunLoopRef gMainRunLoop = nullptr;
std::once_flag gMainRunLoopOnce;

// Each thread's loop lives as long as the thread (the main loop as long as the process).
struct ThreadRunLoop {
  CFRunLoopRef loop = nullptr;
  ~ThreadRunLoop() {
    if (!loop || loop == gMainRunLoop) return;
    loop->removeAllItems();
    loop->release();
  }
};
thread_local ThreadRunLoop tThreadRunLoop;

bool isMainThread() { return gettid() == getpid(); }

}  // namespace

CFTypeID CFRunLoopGetTypeID(void) { return __CFRunLoop::typeID(); }

CFRunLoopRef CFRunLoopGetMain(void) {
  std::call_once(gMainRunLoopOnce, [] {
    gMainRunLoop = new __CFRunLoop(true);
    gMainRunLoop->makeImmortal();
  });
  return gMainRunLoop;
}

CFRunLoopRef CFRunLoopGetCurrent(void) {
  if (!tThreadRunLoop.loop) {
    tThreadRunLoop.loop = isMainThread() ? CFRunLoopGetMain() : new __CFRunLoop(false);
  }
  return tThreadRunLoop.loop;
}

void CFRunLoopRun(void) {
  CFRunLoopRunResult result;
  do {
    result = CFRunLoopRunInMode(kCFRunLoopDefaultMode, 1.0e10, false);
  } while (result != kCFRunLoopRunStopped && result != kCFRunLoopRunFinished);
}

CFRunLoopRunResult CFRunLoopRunInMode(CFRunLoopMode mode, CFTimeInterval seconds,
                                      Boolean returnAfterSourceHandled) {
  std::string key = modeKey(mode);
  if (key.empty() || key == kCommonModesName) {
    std::fprintf(stderr, "CFRunLoopRunInMode: not a mode to run in\n");
    return kCFRunLoopRunFinished;
  }
  return CFRunLoopGetCurrent()->run(key, seconds, returnAfterSourceHandled);
}

void CFRunLoopStop(CFRunLoopRef rl) {
  if (rl) rl->stop();
}

void CFRunLoopWakeUp(CFRunLoopRef rl) {
  if (rl) rl->wakeUp();
}

Boolean CFRunLoopIsWaiting(CFRunLoopRef rl) { return rl && rl->isWaiting(); }

CFRunLoopMode CFRunLoopCopyCurrentMode(CFRunLoopRef rl) { return rl ? rl->copyCurrentMode() : nullptr; }

void CFRunLoopAddCommonMode(CFRunLoopRef rl, CFRunLoopMode mode) {
  if (rl) rl->addCommonMode(modeKey(mode));
}

void CFRunLoopPerformBlock(CFRunLoopRef rl, CFTypeRef mode, std::function<void()> block) {
  std::string key = modeKey(mode);
  if (!rl || !block || key.empty()) {
    std::fprintf(stderr, "CFRunLoopPerformBlock: needs a run loop, a mode name and a block\n");
    return;
  }
  rl->performBlock(key, std::move(block));
}

void CFRunLoopAddSource(CFRunLoopRef rl, CFRunLoopSourceRef source, CFRunLoopMode mode) {
  std::string key = modeKey(mode);
  if (rl && source && !key.empty()) rl->addSource(source, key);
}

void CFRunLoopRemoveSource(CFRunLoopRef rl, CFRunLoopSourceRef source, CFRunLoopMode mode) {
  std::string key = modeKey(mode);
  if (rl && source && !key.empty()) rl->removeSource(source, key);
}

Boolean CFRunLoopContainsSource(CFRunLoopRef rl, CFRunLoopSourceRef source, CFRunLoopMode mode) {
  std::string key = modeKey(mode);
  return rl && source && !key.empty() && rl->containsSource(source, key);
}

void CFRunLoopAddTimer(CFRunLoopRef rl, CFRunLoopTimerRef timer, CFRunLoopMode mode) {
  std::string key = modeKey(mode);
  if (rl && timer && !key.empty()) rl->addTimer(timer, key);
}

void CFRunLoopRemoveTimer(CFRunLoopRef rl, CFRunLoopTimerRef timer, CFRunLoopMode mode) {
  std::string key = modeKey(mode);
  if (rl && timer && !key.empty()) rl->removeTimer(timer, key);
}

void CFRunLoopAddObserver(CFRunLoopRef rl, CFRunLoopObserverRef observer, CFRunLoopMode mode) {
  std::string key = modeKey(mode);
  if (rl && observer && !key.empty()) rl->addObserver(observer, key);
}

void CFRunLoopRemoveObserver(CFRunLoopRef rl, CFRunLoopObserverRef observer, CFRunLoopMode mode) {
  std::string key = modeKey(mode);
  if (rl && observer && !key.empty()) rl->removeObserver(observer, key);
}
