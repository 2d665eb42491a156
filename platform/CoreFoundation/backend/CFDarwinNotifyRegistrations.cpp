// Darwin notification registrations: tokens matched by name against what the bus receives.
#include <CoreFoundation/CFDarwinNotify.h>

#include <condition_variable>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "backend/CFDarwinNotifyBus.h"

namespace {

constexpr size_t kLargestName = 1024;

enum : uint32_t {
  kStatusOK = 0,
  kStatusInvalidName = 1,
  kStatusInvalidToken = 2,
  kStatusInvalidRequest = 6,
  kStatusFailed = 1000000,
};

struct Registration {
  std::string name;
  dispatch_queue_t queue = nullptr;  // retained; null for a direct or a checked token
  std::function<void(int)> handler;  // null for a token that is only checked
  bool posted = true;  // the first check answers 1
};

struct Registrations {
  std::mutex lock;
  std::map<int, std::shared_ptr<Registration>> byToken;
  int nextToken = 1;
  // The direct handler running on the receiving thread, if any; cancelling it waits.
  int runningToken = 0;
  std::condition_variable handlerReturned;
};

// Set on the bus's receiving thread: a cancel there comes from a direct handler, or between
// two, and never waits.
thread_local bool tReceiving = false;

Registrations& registrations() {
  // Never destroyed: the bus's thread may deliver while the process exits.
  static Registrations* table = new Registrations();
  return *table;
}

void deliver(const std::string& name) {
  tReceiving = true;
  Registrations& table = registrations();
  std::vector<int> direct;
  {
    std::lock_guard<std::mutex> guard(table.lock);
    for (auto& [token, registration] : table.byToken) {
      if (registration->name != name) continue;
      registration->posted = true;
      if (!registration->handler) continue;
      if (!registration->queue) {
        direct.push_back(token);
        continue;
      }
      int delivered = token;
      std::function<void(int)> handler = registration->handler;
      dispatch_async(registration->queue, [handler, delivered] { handler(delivered); });
    }
  }
  for (int token : direct) {
    std::function<void(int)> handler;
    {
      std::lock_guard<std::mutex> guard(table.lock);
      auto found = table.byToken.find(token);
      // Cancelled by an earlier handler of this name.
      if (found == table.byToken.end()) continue;
      handler = found->second->handler;
      table.runningToken = token;
    }
    handler(token);
    {
      std::lock_guard<std::mutex> guard(table.lock);
      table.runningToken = 0;
    }
    table.handlerReturned.notify_all();
  }
}

CFDarwinNotify::NotifyBus& bus() { return CFDarwinNotify::NotifyBus::shared(deliver); }

bool validName(const char* name) { return name && *name && strlen(name) <= kLargestName; }

uint32_t addRegistration(const char* name, int* out_token, dispatch_queue_t queue, std::function<void(int)> handler) {
  if (!validName(name)) return kStatusInvalidName;
  if (!out_token) return kStatusInvalidRequest;
  if (!bus().listen()) return kStatusFailed;
  auto registration = std::make_shared<Registration>();
  registration->name = name;
  registration->queue = queue;
  registration->handler = std::move(handler);
  Registrations& table = registrations();
  std::lock_guard<std::mutex> guard(table.lock);
  if (queue) dispatch_retain(queue);
  *out_token = table.nextToken++;
  table.byToken[*out_token] = std::move(registration);
  return kStatusOK;
}

}  // namespace

uint32_t _CFDarwinNotifyPost(const char* name) {
  if (!validName(name)) return kStatusInvalidName;
  return bus().post(name) ? kStatusOK : kStatusFailed;
}

uint32_t _CFDarwinNotifyRegisterDispatch(const char* name, int* out_token, dispatch_queue_t queue,
                                         std::function<void(int)> handler) {
  if (!queue || !handler) return kStatusInvalidRequest;
  return addRegistration(name, out_token, queue, std::move(handler));
}

uint32_t _CFDarwinNotifyRegisterDirect(const char* name, int* out_token, std::function<void(int)> handler) {
  if (!handler) return kStatusInvalidRequest;
  return addRegistration(name, out_token, nullptr, std::move(handler));
}

uint32_t _CFDarwinNotifyRegisterCheck(const char* name, int* out_token) {
  return addRegistration(name, out_token, nullptr, nullptr);
}

uint32_t _CFDarwinNotifyCheck(int token, int* check) {
  if (!check) return kStatusInvalidRequest;
  Registrations& table = registrations();
  std::lock_guard<std::mutex> guard(table.lock);
  auto found = table.byToken.find(token);
  if (found == table.byToken.end()) return kStatusInvalidToken;
  *check = found->second->posted ? 1 : 0;
  found->second->posted = false;
  return kStatusOK;
}

uint32_t _CFDarwinNotifyCancel(int token) {
  std::shared_ptr<Registration> removed;
  {
    Registrations& table = registrations();
    std::unique_lock<std::mutex> guard(table.lock);
    auto found = table.byToken.find(token);
    if (found == table.byToken.end()) return kStatusInvalidToken;
    removed = std::move(found->second);
    table.byToken.erase(found);
    if (!tReceiving) table.handlerReturned.wait(guard, [&] { return table.runningToken != token; });
  }
  if (removed->queue) dispatch_release(removed->queue);
  return kStatusOK;
}

const char* _CFDarwinNotifyRegistryPath(void) {
  thread_local std::string path;
  path = CFDarwinNotify::NotifyBus::registryFolder();
  return path.c_str();
}
