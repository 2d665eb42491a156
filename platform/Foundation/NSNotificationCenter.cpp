#include <Foundation/NSNotificationCenter.h>

#include <atomic>
#include <mutex>
#include <vector>

#include <Foundation/NSException.h>
#include <Foundation/NSOperation.h>
#include <objc/PostAndWait.h>
#include <objc/WeakPtr.h>

OBJC_CLASS_DEFINE(NSNotificationCenter)

namespace {

// The observer that a block registration answers: removing it removes the block.
class BlockObserver : public NSObject {
  OBJC_CLASS_DECL(BlockObserver, NSObject)
};
OBJC_CLASS_DEFINE_NO_FACTORY(BlockObserver)

struct Registration {
  uint64_t id;
  // The observer, or the block registration's own observer.
  WeakPtr<NSObject> observer;
  SEL selector = nullptr;
  RefPtr<NSString> name;
  // Matched by identity; a filter object that is gone matches nothing any more.
  WeakPtr<NSObject> object;
  bool anyObject = true;
  // Block registrations keep their observer, block and queue until removed.
  RefPtr<NSObject> blockObserver;
  std::function<void(NSNotification*)> block;
  RefPtr<NSOperationQueue> queue;
};

std::atomic<uint64_t> nextRegistrationID{1};

bool sameName(NSString* a, NSString* b) { return a == b || (a && b && a->isEqualToString(b)); }

// Runs the block on the queue and waits for it; an exception raised there is raised here.
void runOnQueueAndWait(NSOperationQueue* queue, const std::function<void(NSNotification*)>& block,
                       NSNotification* notification) {
  RefPtr<NSNotification> retained{notification};
  objc::postAndWait([queue](std::function<void()> run) { queue->addOperationWithBlock(std::move(run)); },
                    [block, retained] { block(retained.get()); });
}

}  // namespace

struct NSNotificationCenter::Registrations {
  std::mutex lock;
  std::vector<Registration> list;

  bool isRegisteredLocked(uint64_t id) const {
    for (const Registration& registration : list) {
      if (registration.id == id) return true;
    }
    return false;
  }
};

NSNotificationCenter* NSNotificationCenter::defaultCenter() {
  static NSNotificationCenter* const center = [] {
    NSNotificationCenter* made = alloc();
    made->init();
    made->makeImmortal();
    return made;
  }();
  return center;
}

NSNotificationCenter::NSNotificationCenter() : mRegistrations(std::make_unique<Registrations>()) {}

NSNotificationCenter::~NSNotificationCenter() = default;

void NSNotificationCenter::addObserver_selector_name_object(NSObject* observer, SEL selector, NSString* name,
                                                            NSObject* object) {
  if (!observer) return;
  if (!observer->respondsToSelector(selector)) {
    NSException::raise_format(NSInvalidArgumentException,
                              NSSTR("-[NSNotificationCenter addObserver:selector:name:object:]: <%s %p> does not "
                                    "respond to %s"),
                              observer->className(), static_cast<void*>(observer), sel_getName(selector));
  }
  Registration registration{nextRegistrationID++, observer, selector, RefPtr(NSString::stringWithString(name)), object,
                            object == nullptr, nullptr, nullptr, nullptr};
  Registrations& all = registrations();
  std::lock_guard<std::mutex> guard(all.lock);
  all.list.push_back(std::move(registration));
}

NSObject* NSNotificationCenter::addObserverForName_object_queue_usingBlock(
    NSString* name, NSObject* object, NSOperationQueue* queue, std::function<void(NSNotification*)> block) {
  RefPtr<NSObject> observer = adopt(static_cast<NSObject*>(new BlockObserver()));
  Registration registration{nextRegistrationID++, observer.get(), nullptr, RefPtr(NSString::stringWithString(name)), object,
                            object == nullptr, observer, std::move(block), RefPtr(queue)};
  Registrations& all = registrations();
  std::lock_guard<std::mutex> guard(all.lock);
  all.list.push_back(std::move(registration));
  return observer.get();
}

void NSNotificationCenter::postNotificationName_object(NSString* name, NSObject* object) {
  postNotificationName_object_userInfo(name, object, nullptr);
}

void NSNotificationCenter::postNotificationName_object_userInfo(NSString* name, NSObject* object,
                                                                NSDictionary* userInfo) {
  postNotification(NSNotification::notificationWithName_object_userInfo(name, object, userInfo));
}

void NSNotificationCenter::postNotification(NSNotification* notification) {
  if (!notification) return;
  struct Delivery {
    uint64_t id;
    RefPtr<NSObject> observer;
    SEL selector;
    std::function<void(NSNotification*)> block;
    RefPtr<NSOperationQueue> queue;
  };
  std::vector<Delivery> deliveries;
  Registrations& all = registrations();
  {
    std::lock_guard<std::mutex> guard(all.lock);
    for (auto it = all.list.begin(); it != all.list.end();) {
      RefPtr<NSObject> observer = it->observer.get();
      if (!observer) {
        it = all.list.erase(it);  // destroyed: forgotten
        continue;
      }
      bool nameMatches = !it->name || sameName(it->name.get(), notification->name());
      bool objectMatches = it->anyObject || it->object.refersTo(notification->object());
      if (nameMatches && objectMatches) {
        deliveries.push_back({it->id, std::move(observer), it->selector, it->block, it->queue});
      }
      ++it;
    }
  }
  for (const Delivery& delivery : deliveries) {
    {
      // An observer removed by an earlier one during this post hears nothing more.
      std::lock_guard<std::mutex> guard(all.lock);
      if (!all.isRegisteredLocked(delivery.id)) continue;
    }
    if (delivery.selector) {
      delivery.observer->performSelector_withObject(delivery.selector, notification);
    } else if (!delivery.queue || delivery.queue.get() == NSOperationQueue::currentQueue()) {
      delivery.block(notification);
    } else {
      runOnQueueAndWait(delivery.queue.get(), delivery.block, notification);
    }
  }
}

void NSNotificationCenter::removeObserver(NSObject* observer) { removeObserver_name_object(observer, nullptr, nullptr); }

void NSNotificationCenter::removeObserver_name_object(NSObject* observer, NSString* name, NSObject* object) {
  if (!observer) return;
  std::vector<Registration> removed;  // released outside the lock: blocks may own objects
  Registrations& all = registrations();
  {
    std::lock_guard<std::mutex> guard(all.lock);
    for (auto it = all.list.begin(); it != all.list.end();) {
      bool matches = it->observer.refersTo(observer) && (!name || sameName(it->name.get(), name)) &&
                     (!object || it->object.refersTo(object));
      if (matches) {
        removed.push_back(std::move(*it));
        it = all.list.erase(it);
      } else {
        ++it;
      }
    }
  }
}
