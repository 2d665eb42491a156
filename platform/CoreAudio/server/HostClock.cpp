#include "HostClock.h"

#include <mach/mach_time.h>
#include <mach/mach_time_source.h>

#include <chrono>
#include <cstdlib>

namespace AudioServer {

uint64_t RealHostClock::now() const { return mach_absolute_time(); }

namespace {
std::atomic<ManualHostClock*> sManualClock{nullptr};
uint64_t manualTime() {
  ManualHostClock* clock = sManualClock.load();
  return clock ? clock->now() : 0;
}
}  // namespace

ManualHostClock::ManualHostClock(uint64_t start) : mNow(start) {
  ManualHostClock* none = nullptr;
  // Two manual clocks would give the process two times.
  if (!sManualClock.compare_exchange_strong(none, this)) std::abort();
  _mach_absolute_time_set_source(manualTime);
}

ManualHostClock::~ManualHostClock() {
  _mach_absolute_time_set_source(nullptr);
  sManualClock.store(nullptr);
}

void ManualHostClock::set(uint64_t hostTime) {
  uint64_t current = mNow.load();
  while (hostTime > current && !mNow.compare_exchange_weak(current, hostTime)) {
  }
}

bool HostTimeWaiter::waitUntil(uint64_t hostTime) {
  std::unique_lock<std::mutex> guard(mLock);
  while (!mWoken) {
    const uint64_t now = mach_absolute_time();
    if (now >= hostTime) return true;
    mCondition.wait_for(guard, std::chrono::nanoseconds(hostTime - now));
  }
  return false;
}

void HostTimeWaiter::wake() {
  std::lock_guard<std::mutex> guard(mLock);
  mWoken = true;
  mCondition.notify_all();
}

void HostTimeWaiter::reset() {
  std::lock_guard<std::mutex> guard(mLock);
  mWoken = false;
}

}  // namespace AudioServer
