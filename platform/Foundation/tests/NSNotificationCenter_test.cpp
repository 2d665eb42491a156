#include <Foundation/NSNotificationCenter.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <Foundation/NSException.h>
#include <Foundation/NSOperation.h>
#include <gtest/gtest.h>
#include <objc/MethodTable.h>
#include <RunLoopUntil.h>

class Listener : public NSObject {
  OBJC_CLASS_DECL(Listener, NSObject)

 public:
  void heard(NSNotification* notification) {
    EXPECT_FALSE(mDestroyed);
    names.push_back(notification->name()->UTF8String());
  }
  ~Listener() override { mDestroyed = true; }
  std::vector<std::string> names;

 private:
  bool mDestroyed = false;
};
OBJC_CLASS_DEFINE(Listener)
OBJC_METHODS(Listener, OBJC_METHOD("heard:", &Listener::heard))

namespace {

RefPtr<Listener> makeListener() { return adopt(Listener::alloc()); }

TEST(NotificationCenter, DeliversByNameAndObject) {
  objc::AutoreleasePool pool;
  NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
  RefPtr<Listener> anyName = makeListener(), oneName = makeListener(), oneObject = makeListener();
  RefPtr<NSObject> sender = adopt(new NSObject());
  center->addObserver_selector_name_object(anyName.get(), SELECTOR("heard:"), nullptr, sender.get());
  center->addObserver_selector_name_object(oneName.get(), SELECTOR("heard:"), NSSTR("Changed"), nullptr);
  center->addObserver_selector_name_object(oneObject.get(), SELECTOR("heard:"), NSSTR("Changed"), sender.get());
  center->postNotificationName_object(NSSTR("Changed"), sender.get());
  center->postNotificationName_object(NSSTR("Changed"), nullptr);
  center->postNotificationName_object(NSSTR("Other"), sender.get());
  EXPECT_EQ(anyName->names, (std::vector<std::string>{"Changed", "Other"}));
  EXPECT_EQ(oneName->names, (std::vector<std::string>{"Changed", "Changed"}));
  EXPECT_EQ(oneObject->names, (std::vector<std::string>{"Changed"}));
  center->removeObserver(anyName.get());
  center->removeObserver_name_object(oneName.get(), NSSTR("Changed"), nullptr);
  center->postNotificationName_object(NSSTR("Changed"), sender.get());
  EXPECT_EQ(anyName->names.size(), 2u);
  EXPECT_EQ(oneName->names.size(), 2u);
  EXPECT_EQ(oneObject->names.size(), 2u);
  center->removeObserver(oneObject.get());
}

TEST(NotificationCenter, RejectsASelectorTheObserverDoesNotAnswer) {
  RefPtr<Listener> listener = makeListener();
  EXPECT_THROW(NSNotificationCenter::defaultCenter()->addObserver_selector_name_object(
                   listener.get(), SELECTOR("missing:"), NSSTR("X"), nullptr),
               NSException::Raised);
}

// Observers freed while other threads post (without removing themselves) are never called.
TEST(NotificationCenter, NeverReachesADestroyedObserver) {
  NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
  std::atomic<bool> stop{false};
  std::thread poster([&] {
    while (!stop) {
      objc::AutoreleasePool pool;
      center->postNotificationName_object(NSSTR("Tick"), nullptr);
    }
  });
  for (int i = 0; i < 300; ++i) {
    RefPtr<Listener> listener = makeListener();
    center->addObserver_selector_name_object(listener.get(), SELECTOR("heard:"), NSSTR("Tick"), nullptr);
  }
  stop = true;
  poster.join();
  RefPtr<Listener> late = makeListener();
  center->addObserver_selector_name_object(late.get(), SELECTOR("heard:"), NSSTR("Tick"), nullptr);
  center->postNotificationName_object(NSSTR("Tick"), nullptr);
  EXPECT_EQ(late->names.size(), 1u);
  center->removeObserver(late.get());
}

TEST(NotificationCenter, RunsBlocksOnTheirQueueWhileThePostWaits) {
  NSNotificationCenter* center = NSNotificationCenter::defaultCenter();
  RefPtr<NSOperationQueue> queue = adopt(NSOperationQueue::alloc()->init());
  std::thread::id ranOn;
  int calls = 0;
  NSObject* observer = center->addObserverForName_object_queue_usingBlock(
      NSSTR("Work"), nullptr, queue.get(), [&](NSNotification*) {
        ranOn = std::this_thread::get_id();
        ++calls;
      });
  center->postNotificationName_object(NSSTR("Work"), nullptr);
  EXPECT_EQ(calls, 1);  // the post waited for the block
  EXPECT_NE(ranOn, std::this_thread::get_id());
  center->removeObserver(observer);
  center->postNotificationName_object(NSSTR("Work"), nullptr);
  EXPECT_EQ(calls, 1);
}

}  // namespace
