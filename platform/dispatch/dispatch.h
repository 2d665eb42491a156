#pragma once
// A small Grand Central Dispatch over POSIX threads, epoll and timerfd.
#include <dispatch/base.h>
#include <dispatch/dispatch_semaphore.h>
#include <dispatch/dispatch_time.h>
#include <dispatch/group.h>
#include <dispatch/object.h>
#include <dispatch/once.h>
#include <dispatch/queue.h>
#include <dispatch/source.h>
