#pragma once
// The Darwin notification calls that the notify library offers under its own names; they
// live here because the Darwin notification center stands on them. Statuses are the notify
// library's (0 ok, 1 invalid name, 2 invalid token, 6 invalid request, 1000000 failed).
#include <CoreFoundation/CFBase.h>
#include <dispatch/dispatch.h>

#include <cstdint>
#include <functional>

CF_EXPORT uint32_t _CFDarwinNotifyPost(const char* name);
CF_EXPORT uint32_t _CFDarwinNotifyRegisterDispatch(const char* name, int* outToken, dispatch_queue_t queue,
                                                   std::function<void(int token)> handler);
// The handler runs on the thread that receives every name of the process, in the order the
// names arrive, so it must be short; cancelling waits for a running handler, unless the
// handler itself cancels.
CF_EXPORT uint32_t _CFDarwinNotifyRegisterDirect(const char* name, int* outToken,
                                                 std::function<void(int token)> handler);
CF_EXPORT uint32_t _CFDarwinNotifyRegisterCheck(const char* name, int* outToken);
CF_EXPORT uint32_t _CFDarwinNotifyCheck(int token, int* check);
CF_EXPORT uint32_t _CFDarwinNotifyCancel(int token);
// The registry folder of the current runtime folder.
CF_EXPORT const char* _CFDarwinNotifyRegistryPath(void);
