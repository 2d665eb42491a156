// The notify calls: tokens for registrations, matched by name against what the bus receives.
#include "notify.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "NotifyBus.h"

namespace {

constexpr size_t kLargestName = 1024;

struct Registration {
  std::string name;
  dispatch_queue_t queue = nullptr;  // retained; null for a token that is only checked
  notify_handler_t handler;
  bool posted = true;  // the first check answers 1
};

struct Registrations {
  std::mutex lock;
  std::map<int, std::shared_ptr<Registration>> byToken;
  int nextToken = 1;
};

Registrations& registrations() {
  // Never destroyed: the bus's thread may deliver while the process exits.
  static Registrations* table = new Registrations();
  return *table;
}

void deliver(const std::string& name) {
  Registrations& table = registrations();
  std::lock_guard<std::mutex> guard(table.lock);
  for (auto& [token, registration] : table.byToken) {
    if (registration->name != name) continue;
    registration->posted = true;
    if (!registration->queue) continue;
    int delivered = token;
    notify_handler_t handler = registration->handler;
    dispatch_async(registration->queue, [handler, delivered] { handler(delivered); });
  }
}

notify::NotifyBus& bus() { return notify::NotifyBus::shared(deliver); }

bool validName(const char* name) { return name && *name && strlen(name) <= kLargestName; }

uint32_t addRegistration(const char* name, int* out_token, std::shared_ptr<Registration> registration) {
  if (!validName(name)) return NOTIFY_STATUS_INVALID_NAME;
  if (!out_token) return NOTIFY_STATUS_INVALID_REQUEST;
  if (!bus().listen()) return NOTIFY_STATUS_FAILED;
  Registrations& table = registrations();
  std::lock_guard<std::mutex> guard(table.lock);
  if (registration->queue) dispatch_retain(registration->queue);
  *out_token = table.nextToken++;
  table.byToken[*out_token] = std::move(registration);
  return NOTIFY_STATUS_OK;
}

}  // namespace

uint32_t notify_post(const char* name) {
  if (!validName(name)) return NOTIFY_STATUS_INVALID_NAME;
  return bus().post(name) ? NOTIFY_STATUS_OK : NOTIFY_STATUS_FAILED;
}

uint32_t notify_register_dispatch(const char* name, int* out_token, dispatch_queue_t queue,
                                  notify_handler_t handler) {
  if (!queue || !handler) return NOTIFY_STATUS_INVALID_REQUEST;
  auto registration = std::make_shared<Registration>();
  registration->name = name ? name : "";
  registration->queue = queue;
  registration->handler = std::move(handler);
  return addRegistration(name, out_token, std::move(registration));
}

uint32_t notify_register_check(const char* name, int* out_token) {
  auto registration = std::make_shared<Registration>();
  registration->name = name ? name : "";
  return addRegistration(name, out_token, std::move(registration));
}

uint32_t notify_check(int token, int* check) {
  if (!check) return NOTIFY_STATUS_INVALID_REQUEST;
  Registrations& table = registrations();
  std::lock_guard<std::mutex> guard(table.lock);
  auto found = table.byToken.find(token);
  if (found == table.byToken.end()) return NOTIFY_STATUS_INVALID_TOKEN;
  *check = found->second->posted ? 1 : 0;
  found->second->posted = false;
  return NOTIFY_STATUS_OK;
}

uint32_t notify_cancel(int token) {
  std::shared_ptr<Registration> removed;
  {
    Registrations& table = registrations();
    std::lock_guard<std::mutex> guard(table.lock);
    auto found = table.byToken.find(token);
    if (found == table.byToken.end()) return NOTIFY_STATUS_INVALID_TOKEN;
    removed = std::move(found->second);
    table.byToken.erase(found);
  }
  if (removed->queue) dispatch_release(removed->queue);
  return NOTIFY_STATUS_OK;
}
