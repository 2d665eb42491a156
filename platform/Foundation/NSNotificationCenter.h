#pragma once
// The in-process notification center. Observers are not retained: an observer that is
// destroyed is forgotten and never called again, even by a post under way on another thread
// (the center holds it for the length of each call). Notifications are delivered on the
// posting thread, synchronously, in the order the observers were added.
#include <functional>
#include <memory>

#include <Foundation/NSNotification.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <objc/Selector.h>

#pragma GCC visibility push(default)

class NSDictionary;
class NSOperationQueue;

class NSNotificationCenter : public NSObject {
  OBJC_CLASS_DECL(NSNotificationCenter, NSObject)

 public:
  static NSNotificationCenter* defaultCenter();

  // Calls the observer's method of the selector (listed in its class's method table: see
  // objc/MethodTable.h) with each notification of the name (any name for null) from the object
  // (any object for null). A selector the observer does not answer raises NSInvalidArgumentException.
  void addObserver_selector_name_object(NSObject* observer, SEL selector, NSString* name, NSObject* object);
  // Runs the block for each matching notification: on the posting thread without a queue (or
  // when the queue is the one posting), else on the queue while the post waits for it. The
  // answer is the observer to remove later; the center keeps it (and the block) until then.
  NSObject* addObserverForName_object_queue_usingBlock(NSString* name, NSObject* object, NSOperationQueue* queue,
                                                       std::function<void(NSNotification*)> block);

  void postNotification(NSNotification* notification);
  void postNotificationName_object(NSString* name, NSObject* object);
  void postNotificationName_object_userInfo(NSString* name, NSObject* object, NSDictionary* userInfo);

  // Every registration of the observer; or those of a name and/or object (null: any).
  void removeObserver(NSObject* observer);
  void removeObserver_name_object(NSObject* observer, NSString* name, NSObject* object);

 protected:
  NSNotificationCenter();
  ~NSNotificationCenter() override;

 private:
  struct Registrations;
  Registrations& registrations() { return *mRegistrations; }
  std::unique_ptr<Registrations> mRegistrations;
};

#pragma GCC visibility pop
