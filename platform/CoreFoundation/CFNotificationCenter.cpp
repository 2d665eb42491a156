// The Darwin notification center over the notify library. notify keeps its registry in the
// runtime folder that this framework defines, so it stands above CoreFoundation and is
// reached here at run time, by name, the first time the center is used.
#include <CoreFoundation/CFNotificationCenter.h>
#include <CoreFoundation/CFString.h>
#include <dispatch/dispatch.h>
#include <dlfcn.h>
#include <objc/NSObject.h>
#include <objc/runtime.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct NotifyCalls {
  uint32_t (*post)(const char* name) = nullptr;
  uint32_t (*registerDispatch)(const char* name, int* token, dispatch_queue_t queue,
                               std::function<void(int)> handler) = nullptr;
  uint32_t (*cancel)(int token) = nullptr;

  bool available() const { return post && registerDispatch && cancel; }
};

const NotifyCalls& notifyCalls() {
  static const NotifyCalls calls = [] {
    NotifyCalls found;
    void* library = dlopen("libnotify.so", RTLD_NOW | RTLD_GLOBAL);
    if (!library) {
      fprintf(stderr, "CFNotificationCenter: the notify library cannot be loaded: %s\n", dlerror());
      return found;
    }
    found.post = reinterpret_cast<decltype(found.post)>(dlsym(library, "notify_post"));
    found.registerDispatch =
        reinterpret_cast<decltype(found.registerDispatch)>(dlsym(library, "notify_register_dispatch"));
    found.cancel = reinterpret_cast<decltype(found.cancel)>(dlsym(library, "notify_cancel"));
    return found;
  }();
  return calls;
}

std::string utf8(CFStringRef text) {
  if (!text || CFGetTypeID(text) != CFStringGetTypeID()) return {};
  CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(text), kCFStringEncodingUTF8) + 1;
  std::string buffer(size_t(size), '\0');
  if (!CFStringGetCString(text, buffer.data(), size, kCFStringEncodingUTF8)) return {};
  buffer.resize(strlen(buffer.c_str()));
  return buffer;
}

struct Observation {
  const void* observer;
  std::string name;
  CFStringRef nameString;  // retained
  CFNotificationCallback callback;
  int token = 0;
};

const int sDeliveryQueueKey = 0;

}  // namespace

struct __CFNotificationCenter : NSObject {
  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CFNotificationCenter");
    return id;
  }
  unsigned long cfTypeID() const override { return typeID(); }

  dispatch_queue_t queue = nullptr;
  std::mutex lock;
  std::vector<std::shared_ptr<Observation>> observations;

  __CFNotificationCenter() {
    queue = dispatch_queue_create("com.apple.CFNotificationCenter.darwin", DISPATCH_QUEUE_SERIAL);
    dispatch_queue_set_specific(queue, &sDeliveryQueueKey, const_cast<int*>(&sDeliveryQueueKey), nullptr);
  }

  void deliver(int token) {
    std::shared_ptr<Observation> found;
    {
      std::lock_guard<std::mutex> guard(lock);
      for (auto& observation : observations)
        if (observation->token == token) found = observation;
    }
    if (found) found->callback(this, const_cast<void*>(found->observer), found->nameString, nullptr, nullptr);
  }

  void add(const void* observer, CFNotificationCallback callback, CFStringRef name) {
    std::string text = utf8(name);
    const NotifyCalls& calls = notifyCalls();
    if (text.empty() || !callback || !calls.available()) return;
    remove(observer, name);
    auto observation = std::make_shared<Observation>();
    observation->observer = observer;
    observation->name = text;
    observation->nameString = CFStringRef(CFRetain(name));
    observation->callback = callback;
    // Held from registration on, so that a post right after it finds the entry.
    std::lock_guard<std::mutex> guard(lock);
    if (calls.registerDispatch(text.c_str(), &observation->token, queue,
                               [this](int token) { deliver(token); }) != 0) {
      CFRelease(observation->nameString);
      return;
    }
    observations.push_back(observation);
  }

  void remove(const void* observer, CFStringRef name) {
    std::string text = name ? utf8(name) : std::string();
    std::vector<std::shared_ptr<Observation>> removed;
    {
      std::lock_guard<std::mutex> guard(lock);
      for (auto it = observations.begin(); it != observations.end();) {
        if ((*it)->observer == observer && (!name || (*it)->name == text)) {
          removed.push_back(*it);
          it = observations.erase(it);
        } else {
          ++it;
        }
      }
    }
    if (removed.empty()) return;
    for (auto& observation : removed) notifyCalls().cancel(observation->token);
    // A callback of a removed observation may be running right now: wait for it, unless it
    // is the caller.
    if (dispatch_get_specific(&sDeliveryQueueKey) != &sDeliveryQueueKey) dispatch_sync(queue, [] {});
    for (auto& observation : removed) CFRelease(observation->nameString);
  }
};

CFTypeID CFNotificationCenterGetTypeID(void) { return __CFNotificationCenter::typeID(); }

CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter(void) {
  static __CFNotificationCenter* center = new __CFNotificationCenter();
  return center;
}

void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                     CFNotificationCallback callBack, CFStringRef name, const void*,
                                     CFNotificationSuspensionBehavior) {
  if (center) center->add(observer, callBack, name);
}

void CFNotificationCenterRemoveObserver(CFNotificationCenterRef center, const void* observer,
                                        CFNotificationName name, const void*) {
  if (center) center->remove(observer, name);
}

void CFNotificationCenterRemoveEveryObserver(CFNotificationCenterRef center, const void* observer) {
  if (center) center->remove(observer, nullptr);
}

void CFNotificationCenterPostNotification(CFNotificationCenterRef center, CFNotificationName name, const void*,
                                          CFDictionaryRef, Boolean) {
  std::string text = utf8(name);
  const NotifyCalls& calls = notifyCalls();
  if (!center || text.empty() || !calls.available()) return;
  calls.post(text.c_str());
}
