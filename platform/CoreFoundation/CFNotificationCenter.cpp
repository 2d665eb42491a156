// The Darwin notification center, over the machine-wide notification bus. Callbacks run on
// the bus's receiving thread, one after another in the order the names arrive: a frame's
// notification reaches its observer without waking another thread first.
#include <CoreFoundation/CFDarwinNotify.h>
#include <CoreFoundation/CFNotificationCenter.h>
#include <CoreFoundation/CFString.h>
#include <objc/NSObject.h>
#include <objc/runtime.h>

#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

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

}  // namespace

struct __CFNotificationCenter : NSObject {
  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CFNotificationCenter");
    return id;
  }
  unsigned long cfTypeID() const override { return typeID(); }

  std::mutex lock;
  std::vector<std::shared_ptr<Observation>> observations;

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
    if (text.empty() || !callback) return;
    remove(observer, name);
    auto observation = std::make_shared<Observation>();
    observation->observer = observer;
    observation->name = text;
    observation->nameString = CFStringRef(CFRetain(name));
    observation->callback = callback;
    // Held from registration on, so that a post right after it finds the entry.
    std::lock_guard<std::mutex> guard(lock);
    if (_CFDarwinNotifyRegisterDirect(text.c_str(), &observation->token, [this](int token) { deliver(token); }) !=
        0) {
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
    // Each cancel waits for a callback of its observation that is running, unless it is the
    // caller.
    for (auto& observation : removed) _CFDarwinNotifyCancel(observation->token);
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
  if (!center || text.empty()) return;
  _CFDarwinNotifyPost(text.c_str());
}
