#include "backend/DispatchGroup.h"

#include "backend/DispatchQueue.h"
#include "backend/DispatchTime.h"

using namespace dispatch_internal;

void dispatch_group_s::enter() {
  std::lock_guard<std::mutex> guard(mLock);
  ++mCount;
}

void dispatch_group_s::leave() {
  std::vector<Notification> due;
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (mCount == 0) {
      dispatchReportMisuse("dispatch_group_leave", "leave without a matching enter; ignored");
      return;
    }
    if (--mCount > 0) return;
    due.swap(mNotifications);
    mEmptied.notify_all();
  }
  for (Notification& notification : due) {
    notification.queue->push(std::move(notification.block));
    notification.queue->release();
  }
  // Pending notifications kept the group alive.
  if (!due.empty()) release();
}

bool dispatch_group_s::wait(uint64_t deadline) {
  std::unique_lock<std::mutex> guard(mLock);
  if (deadline == kNever) {
    mEmptied.wait(guard, [this] { return mCount == 0; });
    return true;
  }
  return mEmptied.wait_until(guard, steadyDeadline(deadline), [this] { return mCount == 0; });
}

void dispatch_group_s::notify(dispatch_queue_s* queue, dispatch_block_t block) {
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (mCount > 0) {
      if (mNotifications.empty()) retain();
      queue->retain();
      mNotifications.push_back(Notification{queue, std::move(block)});
      return;
    }
  }
  queue->push(std::move(block));
}

dispatch_group_t dispatch_group_create(void) { return new dispatch_group_s(); }

void dispatch_group_enter(dispatch_group_t group) {
  if (group) group->enter();
}

void dispatch_group_leave(dispatch_group_t group) {
  if (group) group->leave();
}

void dispatch_group_async(dispatch_group_t group, dispatch_queue_t queue, dispatch_block_t block) {
  if (!group || !queue || !block)
    return dispatchReportMisuse("dispatch_group_async", "null group, queue or block");
  group->enter();
  group->retain();
  queue->push([group, block = std::move(block)] {
    block();
    group->leave();
    group->release();
  });
}

void dispatch_group_async_f(dispatch_group_t group, dispatch_queue_t queue, void* context,
                            dispatch_function_t work) {
  if (!work) return dispatchReportMisuse("dispatch_group_async_f", "null function");
  dispatch_group_async(group, queue, [context, work] { work(context); });
}

long dispatch_group_wait(dispatch_group_t group, dispatch_time_t timeout) {
  if (!group) return 0;
  return group->wait(monotonicDeadline(timeout)) ? 0 : 1;
}

void dispatch_group_notify(dispatch_group_t group, dispatch_queue_t queue, dispatch_block_t block) {
  if (!group || !queue || !block)
    return dispatchReportMisuse("dispatch_group_notify", "null group, queue or block");
  group->notify(queue, std::move(block));
}

void dispatch_group_notify_f(dispatch_group_t group, dispatch_queue_t queue, void* context,
                             dispatch_function_t work) {
  if (!work) return dispatchReportMisuse("dispatch_group_notify_f", "null function");
  dispatch_group_notify(group, queue, [context, work] { work(context); });
}
