#pragma once
// One running dns_sd operation of a network service or browser: its replies are made on the
// run loops it is scheduled on (through a watched descriptor), or on a thread that waits for
// them.
#include <CoreFoundation/CFFileDescriptor.h>
#include <CoreFoundation/CFRunLoop.h>
#include <dns_sd.h>

#include <functional>
#include <memory>
#include <vector>

class NSObject;

namespace CFNetworkPlatform {

struct RunLoopSchedule {
  CFRunLoopRef runLoop;  // retained
  CFStringRef mode;      // retained
};

// The schedules of a service or browser, kept while no operation runs too.
class Schedules {
 public:
  ~Schedules();
  // False when the pair was there already (or is removed when absent).
  bool add(CFRunLoopRef runLoop, CFStringRef mode);
  bool remove(CFRunLoopRef runLoop, CFStringRef mode);
  const std::vector<RunLoopSchedule>& all() const { return mAll; }

 private:
  std::vector<RunLoopSchedule> mAll;
};

class ServiceOperation;

// A service or browser is scheduled on a run loop whether or not an operation runs: the pair
// is kept for operations to come and given to the one that runs now. False when the pair was
// there already.
bool addSchedule(Schedules& schedules, ServiceOperation* running, CFRunLoopRef runLoop, CFStringRef mode);
void removeSchedule(Schedules& schedules, ServiceOperation* running, CFRunLoopRef runLoop, CFStringRef mode);

class ServiceOperation {
 public:
  // Takes `ref`. The callout runs on the scheduled run loops when replies wait; `info` is
  // retained and released with the context functions.
  ServiceOperation(DNSServiceRef ref, CFFileDescriptorCallBack callout, const CFFileDescriptorContext& context);
  ~ServiceOperation();
  // Watches `ref` on every run loop of `schedules`; the callout gets `owner`, which is
  // retained for as long as the watch lasts, so that it never outlives a reply in progress.
  static std::unique_ptr<ServiceOperation> startOnRunLoops(DNSServiceRef ref, CFFileDescriptorCallBack callout,
                                                           NSObject* owner, const Schedules& schedules);
  ServiceOperation(const ServiceOperation&) = delete;
  ServiceOperation& operator=(const ServiceOperation&) = delete;

  DNSServiceRef ref() const { return mRef; }
  bool watches(CFFileDescriptorRef file) const { return file == mFile; }
  void schedule(const RunLoopSchedule& schedule);
  void unschedule(const RunLoopSchedule& schedule);
  // Asks for the callout again (after it ran).
  void rearm();

  enum class WaitResult { Done, TimedOut, Cancelled, Failed };
  // Makes the replies on this thread until `done` holds, `timeout` seconds pass (0 or less:
  // no limit) or `wakeDescriptor` becomes readable.
  static WaitResult wait(DNSServiceRef ref, int wakeDescriptor, double timeout, const std::function<bool()>& done);

 private:
  DNSServiceRef mRef;
  CFFileDescriptorRef mFile = nullptr;
  CFRunLoopSourceRef mSource = nullptr;
};

}  // namespace CFNetworkPlatform
