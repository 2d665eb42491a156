#include "backend/ServiceOperation.h"

#include <objc/NSObject.h>
#include <poll.h>

#include <cerrno>
#include <chrono>

namespace CFNetworkPlatform {

Schedules::~Schedules() {
  for (auto& schedule : mAll) {
    CFRelease(schedule.runLoop);
    CFRelease(schedule.mode);
  }
}

bool Schedules::add(CFRunLoopRef runLoop, CFStringRef mode) {
  if (!runLoop || !mode) return false;
  for (auto& schedule : mAll)
    if (schedule.runLoop == runLoop && CFEqual(schedule.mode, mode)) return false;
  mAll.push_back({CFRunLoopRef(CFRetain(runLoop)), CFStringRef(CFRetain(mode))});
  return true;
}

bool Schedules::remove(CFRunLoopRef runLoop, CFStringRef mode) {
  for (auto it = mAll.begin(); it != mAll.end(); ++it) {
    if (it->runLoop != runLoop || !CFEqual(it->mode, mode)) continue;
    CFRelease(it->runLoop);
    CFRelease(it->mode);
    mAll.erase(it);
    return true;
  }
  return false;
}

bool addSchedule(Schedules& schedules, ServiceOperation* running, CFRunLoopRef runLoop, CFStringRef mode) {
  if (!schedules.add(runLoop, mode)) return false;
  if (running) running->schedule(schedules.all().back());
  return true;
}

void removeSchedule(Schedules& schedules, ServiceOperation* running, CFRunLoopRef runLoop, CFStringRef mode) {
  if (running) running->unschedule({runLoop, mode});
  schedules.remove(runLoop, mode);
}

ServiceOperation::ServiceOperation(DNSServiceRef ref, CFFileDescriptorCallBack callout,
                                   const CFFileDescriptorContext& context)
    : mRef(ref) {
  mFile = CFFileDescriptorCreate(nullptr, DNSServiceRefSockFD(ref), false, callout, &context);
  if (!mFile) return;
  mSource = CFFileDescriptorCreateRunLoopSource(nullptr, mFile, 0);
  CFFileDescriptorEnableCallBacks(mFile, kCFFileDescriptorReadCallBack);
}

ServiceOperation::~ServiceOperation() {
  if (mFile) {
    CFFileDescriptorInvalidate(mFile);
    CFRelease(mFile);
  }
  if (mSource) {
    CFRunLoopSourceInvalidate(mSource);
    CFRelease(mSource);
  }
  DNSServiceRefDeallocate(mRef);
}

std::unique_ptr<ServiceOperation> ServiceOperation::startOnRunLoops(DNSServiceRef ref, CFFileDescriptorCallBack callout,
                                                                   NSObject* owner, const Schedules& schedules) {
  CFFileDescriptorContext context{0, owner, [](void* info) -> void* {
                                    static_cast<NSObject*>(info)->retain();
                                    return info;
                                  },
                                  [](void* info) { static_cast<NSObject*>(info)->release(); }, nullptr};
  auto operation = std::make_unique<ServiceOperation>(ref, callout, context);
  for (const auto& schedule : schedules.all()) operation->schedule(schedule);
  return operation;
}

void ServiceOperation::schedule(const RunLoopSchedule& schedule) {
  if (mSource) CFRunLoopAddSource(schedule.runLoop, mSource, schedule.mode);
}

void ServiceOperation::unschedule(const RunLoopSchedule& schedule) {
  if (mSource) CFRunLoopRemoveSource(schedule.runLoop, mSource, schedule.mode);
}

void ServiceOperation::rearm() {
  if (mFile) CFFileDescriptorEnableCallBacks(mFile, kCFFileDescriptorReadCallBack);
}

ServiceOperation::WaitResult ServiceOperation::wait(DNSServiceRef ref, int wakeDescriptor, double timeout,
                                                    const std::function<bool()>& done) {
  using namespace std::chrono;
  const auto end = steady_clock::now() + duration_cast<steady_clock::duration>(duration<double>(timeout));
  while (!done()) {
    int waitMs = -1;
    if (timeout > 0) {
      auto left = duration_cast<milliseconds>(end - steady_clock::now()).count();
      if (left <= 0) return WaitResult::TimedOut;
      waitMs = int(left) + 1;
    }
    pollfd ready[2] = {{DNSServiceRefSockFD(ref), POLLIN, 0}, {wakeDescriptor, POLLIN, 0}};
    int count = poll(ready, 2, waitMs);
    if (count < 0) {
      if (errno == EINTR) continue;
      return WaitResult::Failed;
    }
    if (ready[1].revents) return WaitResult::Cancelled;
    if (ready[0].revents && DNSServiceProcessResult(ref) != kDNSServiceErr_NoError) return WaitResult::Failed;
  }
  return WaitResult::Done;
}

}  // namespace CFNetworkPlatform
