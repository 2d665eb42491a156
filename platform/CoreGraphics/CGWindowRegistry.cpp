#include <CoreGraphics/CGWindowRegistry.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "backend/CGWindowRecord.h"

namespace {

struct RegisteredWindow {
  CGWindowID number;
  CGWindowRegistryWindow window;
};

struct Registry {
  std::mutex lock;
  CGWindowID lastID = kCGNullWindowID;
  std::vector<RegisteredWindow> windows;  // front-most first

  std::vector<RegisteredWindow>::iterator find(CGWindowID windowID) {
    return std::find_if(windows.begin(), windows.end(),
                        [windowID](const RegisteredWindow& entry) { return entry.number == windowID; });
  }
};

Registry& registry() {
  static Registry* theRegistry = new Registry();
  return *theRegistry;
}

}  // namespace

CGWindowID CGWindowRegistryAddWindow(const CGWindowRegistryWindow& window) {
  Registry& windows = registry();
  std::lock_guard guard(windows.lock);
  CGWindowID windowID = ++windows.lastID;
  windows.windows.insert(windows.windows.begin(), RegisteredWindow{windowID, window});
  return windowID;
}

bool CGWindowRegistryUpdateWindow(CGWindowID windowID, const CGWindowRegistryWindow& window) {
  Registry& windows = registry();
  std::lock_guard guard(windows.lock);
  auto entry = windows.find(windowID);
  if (entry == windows.windows.end()) return false;
  entry->window = window;
  return true;
}

bool CGWindowRegistryOrderFront(CGWindowID windowID) {
  Registry& windows = registry();
  std::lock_guard guard(windows.lock);
  auto entry = windows.find(windowID);
  if (entry == windows.windows.end()) return false;
  std::rotate(windows.windows.begin(), entry, entry + 1);
  return true;
}

void CGWindowRegistryRemoveWindow(CGWindowID windowID) {
  Registry& windows = registry();
  std::lock_guard guard(windows.lock);
  auto entry = windows.find(windowID);
  if (entry != windows.windows.end()) windows.windows.erase(entry);
}

namespace CGWindowServer {

std::vector<WindowRecord> readRegisteredWindows() {
  const pid_t ownPID = getpid();
  const std::string ownName = processName(ownPID);
  Registry& windows = registry();
  std::lock_guard guard(windows.lock);
  std::vector<WindowRecord> records;
  records.reserve(windows.windows.size());
  for (const RegisteredWindow& entry : windows.windows) {
    WindowRecord record;
    record.number = entry.number;
    record.name = entry.window.name;
    record.ownerPID = ownPID;
    if (!ownName.empty()) record.ownerName = ownName;
    record.bounds = entry.window.bounds;
    record.onScreen = entry.window.onScreen;
    record.layer = entry.window.layer;
    record.alpha = entry.window.alpha;
    record.sharingState = entry.window.sharingState;
    records.push_back(std::move(record));
  }
  return records;
}

}  // namespace CGWindowServer
