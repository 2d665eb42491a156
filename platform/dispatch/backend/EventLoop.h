#pragma once
// The one thread that watches time and file descriptors for the whole library: timers in
// deadline order behind a timerfd, descriptors in an epoll set. Callbacks run on that thread
// with the loop's lock held, so once a remove call returns its callback neither runs nor will
// run; callbacks must be short and must not call back into the loop.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <unordered_map>

namespace dispatch_internal {

class EventLoop {
 public:
  using Id = uint64_t;
  // Given the current time; answers the next deadline, or 0 to end the timer.
  using TimerCallback = std::function<uint64_t(uint64_t now)>;
  using ReadyCallback = std::function<void()>;

  static EventLoop& shared();

  Id addTimer(uint64_t deadline, TimerCallback callback);
  void removeTimer(Id id);

  // Reports readability of `descriptor` once; rearmDescriptor asks for the next report.
  // Answers 0 when the descriptor cannot be watched.
  Id addDescriptor(int descriptor, ReadyCallback callback);
  void rearmDescriptor(Id id);
  void removeDescriptor(Id id);

 private:
  EventLoop();
  void run();
  void fireDueTimersLocked();
  void programTimerLocked();

  struct Timer {
    uint64_t deadline;
    TimerCallback callback;
  };
  struct Watch {
    int descriptor;  // our own duplicate, so that two sources may watch one descriptor
    ReadyCallback callback;
  };

  std::mutex mLock;
  int mEpoll;
  int mTimerDescriptor;
  Id mNextId = 1;
  std::multimap<uint64_t, Id> mDeadlines;
  std::unordered_map<Id, Timer> mTimers;
  std::unordered_map<Id, Watch> mWatches;
  uint64_t mProgrammedDeadline = 0;
};

}  // namespace dispatch_internal
