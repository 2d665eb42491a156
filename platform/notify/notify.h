#pragma once
// Darwin notifications: named, payload-free events posted by any process and delivered to
// every process on the machine that registered for the name.
#include <cstdint>
#include <functional>

#include <dispatch/dispatch.h>

#define NOTIFY_EXPORT extern "C" __attribute__((visibility("default")))

enum : uint32_t {
  NOTIFY_STATUS_OK = 0,
  NOTIFY_STATUS_INVALID_NAME = 1,
  NOTIFY_STATUS_INVALID_TOKEN = 2,
  NOTIFY_STATUS_INVALID_PORT = 3,
  NOTIFY_STATUS_INVALID_FILE = 4,
  NOTIFY_STATUS_INVALID_SIGNAL = 5,
  NOTIFY_STATUS_INVALID_REQUEST = 6,
  NOTIFY_STATUS_NOT_AUTHORIZED = 7,
  NOTIFY_STATUS_FAILED = 1000000,
};

typedef std::function<void(int token)> notify_handler_t;

// Sends the notification to every observer of `name` on the machine.
NOTIFY_EXPORT uint32_t notify_post(const char* name);
// Runs `handler` on `queue` each time `name` is posted, until the token is cancelled.
NOTIFY_EXPORT uint32_t notify_register_dispatch(const char* name, int* out_token, dispatch_queue_t queue,
                                                notify_handler_t handler);
// A token to poll with notify_check.
NOTIFY_EXPORT uint32_t notify_register_check(const char* name, int* out_token);
// Sets *check to 1 on the first call and whenever the name was posted since the last call.
NOTIFY_EXPORT uint32_t notify_check(int token, int* check);
NOTIFY_EXPORT uint32_t notify_cancel(int token);
