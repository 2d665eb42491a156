// Mach ports as objects: messages handed to the delegate on the run loop that serves the port,
// one object per name, invalidation notices (also when another process's port dies), the
// bootstrap name server, and threads started from objects.
#include <Foundation/NSException.h>
#include <Foundation/NSNotification.h>
#include <Foundation/NSNotificationCenter.h>
#include <Foundation/NSPort.h>
#include <Foundation/NSPortNameServer.h>
#include <Foundation/NSRunLoop.h>
#include <Foundation/NSThread.h>
#include <MachPortRights.h>
#include <PollUntil.h>
#include <RunningChild.h>
#include <gtest/gtest.h>
#include <mach/mach.h>
#include <objc/MethodTable.h>
#include <pthread.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

class PortListener : public NSObject, public NSMachPortDelegate {
  OBJC_CLASS_DECL(PortListener, NSObject)

 public:
  void handleMachMessage(void* msg) override {
    auto* header = static_cast<mach_msg_header_t*>(msg);
    lastID = header->msgh_id;
    onLoopThread = NSRunLoop::currentRunLoop()->getCFRunLoop() == expectedLoop.load();
    ++messages;
  }
  void portDied(NSNotification* notification) {
    std::lock_guard<std::mutex> guard(lock);
    died = RefPtr<NSObject>(notification->object());
    ++deaths;
  }

  std::atomic<int> messages{0};
  std::atomic<int> lastID{0};
  std::atomic<bool> onLoopThread{false};
  std::atomic<CFRunLoopRef> expectedLoop{nullptr};
  std::mutex lock;
  RefPtr<NSObject> died;
  std::atomic<int> deaths{0};
};
OBJC_CLASS_DEFINE(PortListener)
OBJC_METHODS(PortListener, OBJC_METHOD("portDied:", &PortListener::portDied))

class Counter : public NSObject {
  OBJC_CLASS_DECL(Counter, NSObject)

 public:
  void count(NSObject*) {
    char name[16] = {};
    pthread_getname_np(pthread_self(), name, sizeof name);
    threadName = name;
    ++runs;
  }
  std::atomic<int> runs{0};
  std::string threadName;
};
OBJC_CLASS_DEFINE(Counter)
OBJC_METHODS(Counter, OBJC_METHOD("count:", &Counter::count))

namespace {

using moxicam::test::portType;

using moxicam::test::pollUntil;
using moxicam::test::RunningChild;

// A thread that runs its run loop until the test ends.
class LoopThread {
 public:
  LoopThread() {
    std::thread([this] {
      mLoop = NSRunLoop::currentRunLoop();
      while (!mStop) CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.02, false);
      mDone = true;
    }).detach();
    pollUntil([&] { return mLoop.load() != nullptr; });
  }
  ~LoopThread() {
    mStop = true;
    pollUntil([&] { return mDone.load(); });
  }
  NSRunLoop* loop() const { return mLoop; }

 private:
  std::atomic<NSRunLoop*> mLoop{nullptr};
  std::atomic<bool> mStop{false};
  std::atomic<bool> mDone{false};
};

bool sendTo(mach_port_t port, mach_msg_id_t id) {
  mach_msg_header_t header{};
  header.msgh_bits = MACH_MSGH_BITS(MACH_MSG_TYPE_COPY_SEND, 0);
  header.msgh_size = sizeof header;
  header.msgh_remote_port = port;
  header.msgh_id = id;
  return mach_msg(&header, MACH_SEND_MSG | MACH_SEND_TIMEOUT, sizeof header, 0, MACH_PORT_NULL, 1000,
                  MACH_PORT_NULL) == MACH_MSG_SUCCESS;
}

TEST(NSMachPort, MessagesReachTheDelegateOnTheLoopThatServesThePort) {
  LoopThread thread;
  RefPtr<PortListener> listener = adopt(PortListener::alloc());
  listener->expectedLoop = thread.loop()->getCFRunLoop();
  RefPtr<NSMachPort> port = adopt(NSMachPort::alloc()->init());
  ASSERT_TRUE(port);
  EXPECT_EQ(portType(port->machPort()), MACH_PORT_TYPE_SEND_RECEIVE);
  port->setDelegate(listener.get());
  {
    objc::AutoreleasePool pool;
    EXPECT_EQ(port->delegate(), listener.get());
  }
  thread.loop()->addPort_forMode(port.get(), NSRunLoopCommonModes);
  for (int i = 1; i <= 3; ++i) ASSERT_TRUE(sendTo(port->machPort(), 300 + i));
  ASSERT_TRUE(pollUntil([&] { return listener->messages == 3; }));
  EXPECT_EQ(listener->lastID, 303);
  EXPECT_TRUE(listener->onLoopThread);

  // Taken out of the loop, the port keeps its messages until it is served again.
  thread.loop()->removePort_forMode(port.get(), NSRunLoopCommonModes);
  ASSERT_TRUE(sendTo(port->machPort(), 400));
  mach_msg_empty_rcv_t waiting{};
  EXPECT_EQ(mach_msg(&waiting.header, MACH_RCV_MSG | MACH_RCV_TIMEOUT, 0, sizeof waiting, port->machPort(),
                     1000, MACH_PORT_NULL),
            MACH_MSG_SUCCESS);
  EXPECT_EQ(waiting.header.msgh_id, 400);
  EXPECT_EQ(listener->messages, 3);

  const mach_port_t name = port->machPort();
  port = nullptr;
  EXPECT_EQ(portType(name), MACH_PORT_TYPE_NONE) << "a port made by the object goes with it";
}

TEST(NSMachPort, ANameHasOneObjectHoldingOneReference) {
  mach_port_t name = MACH_PORT_NULL;
  ASSERT_EQ(mach_port_allocate(mach_task_self(), MACH_PORT_RIGHT_RECEIVE, &name), KERN_SUCCESS);
  mach_port_insert_right(mach_task_self(), name, name, MACH_MSG_TYPE_MAKE_SEND);
  mach_port_insert_right(mach_task_self(), name, name, MACH_MSG_TYPE_MAKE_SEND);
  RefPtr<NSMachPort> first = adopt(NSMachPort::alloc()->initWithMachPort(name));
  RefPtr<NSMachPort> second = adopt(NSMachPort::alloc()->initWithMachPort(name));
  EXPECT_EQ(first.get(), second.get());
  mach_port_urefs_t refs = 0;
  mach_port_get_refs(mach_task_self(), name, MACH_PORT_RIGHT_SEND, &refs);
  EXPECT_EQ(refs, 1u) << "the second reference was given up";
  EXPECT_TRUE(first->isEqual(second.get()));
  {
    objc::AutoreleasePool pool;
    EXPECT_EQ(NSMachPort::portWithMachPort(0x7777703), nullptr) << "a name without rights";
  }
  first = nullptr;
  second = nullptr;
  mach_port_get_refs(mach_task_self(), name, MACH_PORT_RIGHT_SEND, &refs);
  EXPECT_EQ(refs, 0u);
  EXPECT_EQ(portType(name), MACH_PORT_TYPE_RECEIVE) << "the receive right was not the object's";
  mach_port_destroy(mach_task_self(), name);
}

TEST(NSMachPort, InvalidationIsPostedWithThePort) {
  objc::AutoreleasePool pool;
  RefPtr<PortListener> listener = adopt(PortListener::alloc());
  NSNotificationCenter::defaultCenter()->addObserver_selector_name_object(
      listener.get(), SELECTOR("portDied:"), NSPortDidBecomeInvalidNotification, nullptr);
  RefPtr<NSPort> port(NSPort::port());
  EXPECT_TRUE(port->isValid());
  port->invalidate();
  port->invalidate();
  EXPECT_FALSE(port->isValid());
  EXPECT_EQ(listener->deaths, 1);
  EXPECT_EQ(listener->died.get(), port.get());
  NSNotificationCenter::defaultCenter()->removeObserver(listener.get());
}

TEST(NSMachPort, TheDeathOfAnotherProcessesPortIsPosted) {
  RunningChild peer(MACH_PEER_PROGRAM, {}, {}, RunningChild::Input::Open);
  ASSERT_EQ(peer.ask("serve com.example.mortal"), "ok");
  RefPtr<NSPort> port;
  {
    objc::AutoreleasePool pool;
    port = RefPtr<NSPort>(NSMachBootstrapServer::sharedInstance()->portForName(NSSTR("com.example.mortal")));
  }
  ASSERT_TRUE(port);
  RefPtr<PortListener> listener = adopt(PortListener::alloc());
  NSNotificationCenter::defaultCenter()->addObserver_selector_name_object(
      listener.get(), SELECTOR("portDied:"), NSPortDidBecomeInvalidNotification, port.get());
  peer.kill();
  ASSERT_TRUE(pollUntil([&] { return listener->deaths == 1; }));
  EXPECT_FALSE(port->isValid());
  const mach_port_t name = static_cast<NSMachPort*>(port.get())->machPort();
  EXPECT_EQ(portType(name), MACH_PORT_TYPE_DEAD_NAME);
  port = nullptr;
  listener->died = nullptr;
  EXPECT_EQ(portType(name), MACH_PORT_TYPE_NONE) << "the dead name went with its object";
  NSNotificationCenter::defaultCenter()->removeObserver(listener.get());
}

TEST(NSMachBootstrapServer, ServesANameOnce) {
  NSMachBootstrapServer* server = NSMachBootstrapServer::sharedInstance();
  EXPECT_EQ(server, NSMachBootstrapServer::sharedInstance());
  RefPtr<NSPort> service;
  {
    objc::AutoreleasePool pool;
    service = RefPtr<NSPort>(server->servicePortWithName(NSSTR("com.example.served")));
    ASSERT_TRUE(service);
    EXPECT_EQ(server->servicePortWithName(NSSTR("com.example.served")), nullptr);
    EXPECT_EQ(server->portForName(NSSTR("com.example.served")), service.get());
    EXPECT_EQ(server->portForName(NSSTR("com.example.unknown")), nullptr);
    EXPECT_EQ(server->portForName(nullptr), nullptr);
  }
  service = nullptr;
  objc::AutoreleasePool pool;
  EXPECT_EQ(server->portForName(NSSTR("com.example.served")), nullptr) << "freed with its port";
}

TEST(NSThreadStart, RunsTheTargetOnANewNamedThreadOnce) {
  objc::AutoreleasePool pool;
  RefPtr<Counter> counter = adopt(Counter::alloc());
  RefPtr<NSThread> thread =
      adopt(NSThread::alloc()->initWithTarget_selector_object(counter.get(), SELECTOR("count:"), nullptr));
  thread->setName(NSSTR("countingThread"));
  EXPECT_FALSE(thread->isExecuting());
  thread->start();
  ASSERT_TRUE(pollUntil([&] { return thread->isFinished(); }));
  EXPECT_EQ(counter->runs, 1);
  EXPECT_EQ(counter->threadName, "countingThread");
  EXPECT_THROW(thread->start(), NSException::Raised);
  EXPECT_FALSE(thread->isCancelled());
  thread->cancel();
  EXPECT_TRUE(thread->isCancelled());
  RefPtr<NSThread> unready = adopt(NSThread::alloc());
  EXPECT_THROW(unready->initWithTarget_selector_object(counter.get(), SELECTOR("nothing:"), nullptr),
               NSException::Raised);
}

}  // namespace
