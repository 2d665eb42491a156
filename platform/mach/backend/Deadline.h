#pragma once
// A point on the monotonic clock by which a wait must end, or none.
#include <chrono>
#include <climits>

namespace MachLayer {

class Deadline {
 public:
  static Deadline never() { return Deadline(); }
  static Deadline after(unsigned milliseconds) {
    Deadline deadline;
    deadline.mEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    deadline.mBounded = true;
    return deadline;
  }

  // What is left, for poll and epoll_wait: -1 without a deadline, 0 once it has passed.
  int millisecondsLeft() const {
    if (!mBounded) return -1;
    auto left = std::chrono::ceil<std::chrono::milliseconds>(mEnd - std::chrono::steady_clock::now()).count();
    return left <= 0 ? 0 : left > INT_MAX ? INT_MAX : int(left);
  }
  bool passed() const { return mBounded && std::chrono::steady_clock::now() >= mEnd; }

 private:
  Deadline() = default;
  std::chrono::steady_clock::time_point mEnd{};
  bool mBounded = false;
};

}  // namespace MachLayer
