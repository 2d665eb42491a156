#pragma once
// A group: a count of blocks in flight, waiters, and blocks to queue when the count is 0.
#include <dispatch/group.h>

#include <condition_variable>
#include <mutex>
#include <vector>

#include "backend/DispatchObject.h"

struct dispatch_group_s final : dispatch_object_s {
  void enter();
  void leave();
  bool wait(uint64_t deadline);
  void notify(dispatch_queue_s* queue, dispatch_block_t block);

 private:
  struct Notification {
    dispatch_queue_s* queue;
    dispatch_block_t block;
  };
  std::mutex mLock;
  std::condition_variable mEmptied;
  long mCount = 0;
  std::vector<Notification> mNotifications;
};
