#include <AppKit/NSEvent.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "backend/EventMonitors.h"

namespace {

class LocalMonitor : public NSObject {
 public:
  LocalMonitor(unsigned long long mask, std::function<NSEvent*(NSEvent*)> handler)
      : mask(mask), handler(std::move(handler)) {}
  unsigned long long mask;
  std::function<NSEvent*(NSEvent*)> handler;
};

struct Monitors {
  std::mutex lock;
  std::vector<RefPtr<LocalMonitor>> all;
};

Monitors& monitors() {
  static Monitors* const shared = new Monitors;
  return *shared;
}

}  // namespace

NSObject* NSEvent::addLocalMonitorForEventsMatchingMask_handler(unsigned long long mask,
                                                                 std::function<NSEvent*(NSEvent*)> handler) {
  if (!handler) return nullptr;
  RefPtr<LocalMonitor> monitor = adopt(new LocalMonitor(mask, std::move(handler)));
  Monitors& shared = monitors();
  std::lock_guard<std::mutex> guard(shared.lock);
  shared.all.push_back(monitor);
  return monitor.get();
}

void NSEvent::removeMonitor(NSObject* monitor) {
  Monitors& shared = monitors();
  RefPtr<LocalMonitor> removed;
  std::lock_guard<std::mutex> guard(shared.lock);
  auto found = std::find_if(shared.all.begin(), shared.all.end(),
                            [monitor](const RefPtr<LocalMonitor>& entry) { return entry.get() == monitor; });
  if (found == shared.all.end()) return;
  removed = std::move(*found);
  shared.all.erase(found);
}

namespace AppKitBackend {

RefPtr<NSEvent> runLocalEventMonitors(NSEvent* event) {
  std::vector<RefPtr<LocalMonitor>> current;
  {
    Monitors& shared = monitors();
    std::lock_guard<std::mutex> guard(shared.lock);
    current = shared.all;
  }
  RefPtr<NSEvent> result(event);
  for (const RefPtr<LocalMonitor>& monitor : current) {
    if (!result) break;
    if (!(monitor->mask & NSEventMaskFromType(result->type()))) continue;
    result = RefPtr<NSEvent>(monitor->handler(result.get()));
  }
  return result;
}

}  // namespace AppKitBackend
