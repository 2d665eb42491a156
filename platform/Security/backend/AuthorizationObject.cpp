#include "AuthorizationObject.h"

#include <mutex>
#include <set>

namespace {

struct LiveObjects {
  std::mutex lock;
  std::set<const AuthorizationOpaqueRef*> objects;
};

LiveObjects& liveObjects() {
  static LiveObjects* live = new LiveObjects();  // lives past every static destructor
  return *live;
}

}  // namespace

namespace AuthorizationObjects {

AuthorizationOpaqueRef* make() {
  auto* object = new AuthorizationOpaqueRef();
  LiveObjects& live = liveObjects();
  std::lock_guard<std::mutex> guard(live.lock);
  live.objects.insert(object);
  return object;
}

AuthorizationOpaqueRef* find(AuthorizationRef authorization) {
  LiveObjects& live = liveObjects();
  std::lock_guard<std::mutex> guard(live.lock);
  return live.objects.count(authorization) ? const_cast<AuthorizationOpaqueRef*>(authorization) : nullptr;
}

bool free(AuthorizationRef authorization) {
  LiveObjects& live = liveObjects();
  {
    std::lock_guard<std::mutex> guard(live.lock);
    if (live.objects.erase(authorization) == 0) return false;
  }
  delete authorization;
  return true;
}

}  // namespace AuthorizationObjects
