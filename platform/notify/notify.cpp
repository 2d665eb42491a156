// The notify calls, over the machine-wide bus that CoreFoundation's Darwin notification
// center shares (see CoreFoundation/CFDarwinNotify.h).
#include "notify.h"

#include <CoreFoundation/CFDarwinNotify.h>

uint32_t notify_post(const char* name) { return _CFDarwinNotifyPost(name); }

uint32_t notify_register_dispatch(const char* name, int* out_token, dispatch_queue_t queue,
                                  notify_handler_t handler) {
  return _CFDarwinNotifyRegisterDispatch(name, out_token, queue, std::move(handler));
}

uint32_t notify_register_check(const char* name, int* out_token) {
  return _CFDarwinNotifyRegisterCheck(name, out_token);
}

uint32_t notify_check(int token, int* check) { return _CFDarwinNotifyCheck(token, check); }

uint32_t notify_cancel(int token) { return _CFDarwinNotifyCancel(token); }
