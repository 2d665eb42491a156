#pragma once
// The host clock that the audio server's I/O threads pace themselves by. The real clock is
// mach_absolute_time; the manual clock is moved by a test, and while it exists the whole
// process (drivers included) reads host time from it.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace AudioServer {

class HostClock {
 public:
  virtual ~HostClock() = default;
  virtual uint64_t now() const = 0;
  // Whether the clock only moves when told to (no I/O thread can wait on it).
  virtual bool isManual() const = 0;
};

// Host time as the platform keeps it; waits are interruptible so that a stopping I/O thread
// need not sleep out its cycle.
class RealHostClock final : public HostClock {
 public:
  uint64_t now() const override;
  bool isManual() const override { return false; }
};

// A clock that stands still until advanced. Only one may exist at a time.
class ManualHostClock final : public HostClock {
 public:
  explicit ManualHostClock(uint64_t start = 1'000'000'000);
  ~ManualHostClock() override;
  ManualHostClock(const ManualHostClock&) = delete;
  ManualHostClock& operator=(const ManualHostClock&) = delete;

  uint64_t now() const override { return mNow.load(); }
  bool isManual() const override { return true; }
  // Time never goes back: an earlier time is ignored.
  void set(uint64_t hostTime);

 private:
  std::atomic<uint64_t> mNow;
};

// Sleeps until a host time of the real clock, or until woken.
class HostTimeWaiter {
 public:
  // False when woken before the time.
  bool waitUntil(uint64_t hostTime);
  void wake();
  void reset();

 private:
  std::mutex mLock;
  std::condition_variable mCondition;
  bool mWoken = false;
};

}  // namespace AudioServer
