#pragma once
// Records the label of the queue on which the requirement console of one library copy writes,
// as its string hook sees it.
#include <dispatch/dispatch.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "URequirements.h"

namespace QueueLabelProbe {

inline std::atomic<const char*>& seenLabel() {
  static std::atomic<const char*> label{nullptr};
  return label;
}

inline void hook(CFStringRef) { seenLabel() = dispatch_queue_get_label(DISPATCH_CURRENT_QUEUE_LABEL); }

inline void install() { __CFLogSetLogStringFnPtr(hook); }

// The label seen by the first message, waiting for it at most a few seconds.
inline const char* waitForLabel() {
  for (int attempt = 0; attempt < 500 && !seenLabel().load(); ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return seenLabel();
}

}  // namespace QueueLabelProbe
