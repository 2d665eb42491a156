#include <Foundation/NSKeyValueObserving.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include <Foundation/NSDictionary.h>
#include <Foundation/NSException.h>
#include <Foundation/NSNull.h>
#include <Foundation/NSSet.h>
#include <Foundation/NSValue.h>
#include <objc/ClassMethods.h>
#include <objc/FoundationCategories.h>
#include <objc/SideTable.h>
#include <objc/WeakPtr.h>

NSString* const NSKeyValueChangeKindKey = NSSTR("kind");
NSString* const NSKeyValueChangeNewKey = NSSTR("new");
NSString* const NSKeyValueChangeOldKey = NSSTR("old");
NSString* const NSKeyValueChangeNotificationIsPriorKey = NSSTR("notificationIsPrior");

namespace {

std::string text(NSString* string) {
  const char* utf8 = string ? string->UTF8String() : nullptr;
  return utf8 ? utf8 : "";
}

std::string rootKeyOf(const std::string& keyPath) { return keyPath.substr(0, keyPath.find('.')); }

struct DependentKeys {
  std::mutex lock;
  std::unordered_map<Class, std::map<std::string, std::vector<std::string>>> byClass;
};

DependentKeys& dependentKeys() {
  static DependentKeys* keys = new DependentKeys();  // lives past every static destructor
  return *keys;
}

struct Observation {
  uint64_t id;
  WeakPtr<NSObject> observer;
  RefPtr<NSString> keyPath;
  // The keys of the observed object whose announcements reach this observation: the first key
  // of the path and every key that affects it, directly or through other dependent keys.
  std::set<std::string> announcingKeys;
  NSKeyValueObservingOptions options;
  void* context;
};

// The observations of one observed object, and the changes announced on it and not yet done.
struct ObservationList : objc::AttachedState {
  struct Pending {
    uint64_t observationID;
    RefPtr<NSObject> oldValue;
  };
  using ChangeKey = std::pair<std::thread::id, std::string>;

  std::mutex lock;
  std::vector<Observation> observations;
  // Nested will/did pairs of one key on one thread stack up.
  std::map<ChangeKey, std::vector<std::vector<Pending>>> pending;
};

const int kObservationListKey = 0;

std::atomic<uint64_t> nextObservationID{1};

std::set<std::string> announcingKeysFor(Class cls, const std::string& keyPath) {
  std::set<std::string> keys{rootKeyOf(keyPath)};
  std::vector<std::string> toVisit{rootKeyOf(keyPath)};
  while (!toVisit.empty()) {
    std::string key = toVisit.back();
    toVisit.pop_back();
    NSSet* affecting = objc::classMethods<NSObject>(cls).keyPathsForValuesAffectingValueForKey(
        cls, NSString::stringWithUTF8String(key.c_str()));
    if (!affecting) continue;
    for (NSObject* path : *affecting) {
      std::string root = rootKeyOf(text(static_cast<NSString*>(path)));
      if (keys.insert(root).second) toVisit.push_back(root);
    }
  }
  return keys;
}

NSDictionary* changeDictionary(NSKeyValueObservingOptions options, NSObject* oldValue, NSObject* newValue,
                               bool prior) {
  NSMutableDictionary* change = NSMutableDictionary::dictionary();
  change->setObject_forKey(NSNumber::numberWithUnsignedLong(NSKeyValueChangeSetting), NSKeyValueChangeKindKey);
  if (options & NSKeyValueObservingOptionOld) {
    change->setObject_forKey(oldValue ? oldValue : NSNull::null(), NSKeyValueChangeOldKey);
  }
  if (!prior && (options & NSKeyValueObservingOptionNew)) {
    change->setObject_forKey(newValue ? newValue : NSNull::null(), NSKeyValueChangeNewKey);
  }
  if (prior) change->setObject_forKey(NSNumber::numberWithBool(true), NSKeyValueChangeNotificationIsPriorKey);
  return change;
}

void notify(NSObject* observer, NSString* keyPath, NSObject* object, NSDictionary* change, void* context) {
  observer->observeValueForKeyPath_ofObject_change_context(keyPath, object, change, context);
}

// A copy of what one delivery needs, taken under the lock and used outside it.
struct Delivery {
  uint64_t id;
  RefPtr<NSObject> observer;
  RefPtr<NSString> keyPath;
  NSKeyValueObservingOptions options;
  void* context;
};

// The live observations announced by `key`; forgets those whose observer is gone.
std::vector<Delivery> deliveriesLocked(ObservationList& list, const std::string& key) {
  std::vector<Delivery> deliveries;
  auto& observations = list.observations;
  for (auto it = observations.begin(); it != observations.end();) {
    RefPtr<NSObject> observer = it->observer.get();
    if (!observer) {
      it = observations.erase(it);
      continue;
    }
    if (it->announcingKeys.count(key)) {
      deliveries.push_back({it->id, std::move(observer), it->keyPath, it->options, it->context});
    }
    ++it;
  }
  return deliveries;
}

class KeyValueObserving final : public objc::KeyValueObservingCategory {
 public:
  void addObserver(NSObject* self, NSObject* observer, NSString* keyPath, unsigned long options,
                   void* context) override {
    if (!observer || !keyPath) return;
    RefPtr<NSString> path{NSString::stringWithString(keyPath)};
    Observation observation{nextObservationID++, observer, path, announcingKeysFor(self->classObject(), text(keyPath)),
                            options, context};
    auto& list = objc::attachedStateOf<ObservationList>(self, &kObservationListKey);
    {
      std::lock_guard<std::mutex> guard(list.lock);
      list.observations.push_back(std::move(observation));
    }
    if (options & NSKeyValueObservingOptionInitial) {
      NSObject* value = (options & NSKeyValueObservingOptionNew) ? self->valueForKeyPath(path.get()) : nullptr;
      notify(observer, path.get(), self, changeDictionary(options & ~NSKeyValueObservingOptionOld, nullptr, value, false),
             context);
    }
  }

  void removeObserver(NSObject* self, NSObject* observer, NSString* keyPath) override {
    if (auto* list = static_cast<ObservationList*>(objc::attachedState(self, &kObservationListKey))) {
      std::lock_guard<std::mutex> guard(list->lock);
      auto& observations = list->observations;
      // The latest registration goes first, as the platform does.
      for (auto it = observations.rbegin(); it != observations.rend(); ++it) {
        if (it->observer.refersTo(observer) && it->keyPath->isEqualToString(keyPath)) {
          observations.erase(std::next(it).base());
          return;
        }
      }
    }
    NSException::raise_format(NSRangeException,
                              NSSTR("Cannot remove an observer <%s %p> for the key path \"%@\" from <%s %p> because "
                                    "it is not registered as an observer."),
                              observer ? observer->className() : "nil", static_cast<void*>(observer), keyPath,
                              self->className(), static_cast<void*>(self));
  }

  void willChangeValueForKey(NSObject* self, NSString* key) override {
    auto* list = static_cast<ObservationList*>(objc::attachedState(self, &kObservationListKey));
    if (!list || !key) return;
    std::string name = text(key);
    std::vector<Delivery> deliveries;
    {
      std::lock_guard<std::mutex> guard(list->lock);
      deliveries = deliveriesLocked(*list, name);
    }
    std::vector<ObservationList::Pending> frame;
    for (const Delivery& delivery : deliveries) {
      RefPtr<NSObject> oldValue;
      if (delivery.options & NSKeyValueObservingOptionOld) oldValue = RefPtr(self->valueForKeyPath(delivery.keyPath.get()));
      if (delivery.options & NSKeyValueObservingOptionPrior) {
        notify(delivery.observer.get(), delivery.keyPath.get(), self,
               changeDictionary(delivery.options, oldValue.get(), nullptr, true), delivery.context);
      }
      frame.push_back({delivery.id, oldValue});
    }
    std::lock_guard<std::mutex> guard(list->lock);
    list->pending[{std::this_thread::get_id(), name}].push_back(std::move(frame));
  }

  void didChangeValueForKey(NSObject* self, NSString* key) override {
    auto* list = static_cast<ObservationList*>(objc::attachedState(self, &kObservationListKey));
    if (!list || !key) return;
    std::string name = text(key);
    std::vector<Delivery> deliveries;
    std::vector<ObservationList::Pending> frame;
    bool announced = false;
    {
      std::lock_guard<std::mutex> guard(list->lock);
      auto stack = list->pending.find({std::this_thread::get_id(), name});
      if (stack != list->pending.end()) {
        frame = std::move(stack->second.back());
        stack->second.pop_back();
        if (stack->second.empty()) list->pending.erase(stack);
        announced = true;
      }
      deliveries = deliveriesLocked(*list, name);
    }
    for (const Delivery& delivery : deliveries) {
      RefPtr<NSObject> oldValue;
      if (announced) {
        // Observers added between will and did heard nothing of the change's start: skip them.
        auto pending = std::find_if(frame.begin(), frame.end(),
                                    [&](const ObservationList::Pending& p) { return p.observationID == delivery.id; });
        if (pending == frame.end()) continue;
        oldValue = pending->oldValue;
      }
      NSObject* newValue =
          (delivery.options & NSKeyValueObservingOptionNew) ? self->valueForKeyPath(delivery.keyPath.get()) : nullptr;
      notify(delivery.observer.get(), delivery.keyPath.get(), self,
             changeDictionary(delivery.options, oldValue.get(), newValue, false), delivery.context);
    }
  }

  NSSet* keyPathsForValuesAffectingValueForKey(Class cls, NSString* key) override {
    std::string name = text(key);
    NSMutableSet* keyPaths = nullptr;
    DependentKeys& registry = dependentKeys();
    std::lock_guard<std::mutex> guard(registry.lock);
    for (; cls; cls = cls->superclass) {
      auto table = registry.byClass.find(cls);
      if (table == registry.byClass.end()) continue;
      auto found = table->second.find(name);
      if (found == table->second.end()) continue;
      if (!keyPaths) keyPaths = NSMutableSet::set();
      for (const std::string& path : found->second) keyPaths->addObject(NSString::stringWithUTF8String(path.c_str()));
    }
    return keyPaths;
  }
};

[[maybe_unused]] const bool installed = [] {
  static KeyValueObserving observing;
  objc::installKeyValueObserving(&observing);
  return true;
}();

}  // namespace

bool NSKeyValueRegisterDependentKeys(Class cls, const char* key, std::initializer_list<const char*> affectingKeyPaths) {
  DependentKeys& registry = dependentKeys();
  std::lock_guard<std::mutex> guard(registry.lock);
  auto& paths = registry.byClass[cls][key];
  for (const char* path : affectingKeyPaths) paths.emplace_back(path);
  return true;
}
