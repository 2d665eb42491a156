// Browsing for network services over dns_sd.
#include <CFNetwork/CFNetServices.h>
#include <CoreFoundation/CFString.h>
#include <objc/NSObject.h>
#include <objc/runtime.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <string>

#include "backend/ServiceOperation.h"
#include "backend/UTF8Text.h"

using CFNetworkPlatform::ServiceOperation;
using CFNetworkPlatform::utf8;

struct __CFNetServiceBrowser : NSObject {
  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CFNetServiceBrowser");
    return id;
  }
  unsigned long cfTypeID() const override { return typeID(); }

  // Held while a callback runs and while the search changes (see CFNetService).
  std::recursive_mutex gate;
  CFNetServiceBrowserClientCallBack client = nullptr;
  CFNetServiceClientContext clientContext{};
  CFNetworkPlatform::Schedules schedules;
  std::unique_ptr<ServiceOperation> operation;
  int syncWake = -1;  // raised by StopSearch while an unscheduled search blocks
  bool valid = true;

  static void browseReply(DNSServiceRef, DNSServiceFlags flags, uint32_t, DNSServiceErrorType errorCode,
                          const char* name, const char* type, const char* domain, void* context) {
    auto* browser = static_cast<__CFNetServiceBrowser*>(context);
    if (!browser->client || !browser->valid) return;
    CFStreamError error{0, 0};
    if (errorCode != kDNSServiceErr_NoError) {
      error = CFStreamError{kCFStreamErrorDomainNetServices, kCFNetServicesErrorUnknown};
      browser->client(browser, 0, nullptr, &error, browser->clientContext.info);
      return;
    }
    CFStringRef domainString = CFStringCreateWithCString(nullptr, domain, kCFStringEncodingUTF8);
    CFStringRef typeString = CFStringCreateWithCString(nullptr, type, kCFStringEncodingUTF8);
    CFStringRef nameString = CFStringCreateWithCString(nullptr, name, kCFStringEncodingUTF8);
    CFNetServiceRef service = CFNetServiceCreate(nullptr, domainString, typeString, nameString, -1);
    CFOptionFlags browserFlags = 0;
    if (!(flags & kDNSServiceFlagsAdd)) browserFlags |= kCFNetServiceFlagRemove;
    if (flags & kDNSServiceFlagsMoreComing) browserFlags |= kCFNetServiceFlagMoreComing;
    if (service) browser->client(browser, browserFlags, service, &error, browser->clientContext.info);
    for (CFTypeRef made : {CFTypeRef(service), CFTypeRef(domainString), CFTypeRef(typeString), CFTypeRef(nameString)})
      if (made) CFRelease(made);
  }

  static void readable(CFFileDescriptorRef file, CFOptionFlags, void* info) {
    auto* browser = static_cast<__CFNetServiceBrowser*>(info);
    std::lock_guard<std::recursive_mutex> guard(browser->gate);
    if (!browser->operation || !browser->operation->watches(file)) return;
    DNSServiceProcessResult(browser->operation->ref());
    if (browser->operation && browser->operation->watches(file)) browser->operation->rearm();
  }

  void stop() {
    operation.reset();
    if (syncWake >= 0) {
      uint64_t one = 1;
      if (write(syncWake, &one, sizeof one) < 0) return;
    }
  }

 protected:
  ~__CFNetServiceBrowser() override {
    operation.reset();
    if (clientContext.release && clientContext.info) clientContext.release(clientContext.info);
  }
};

CFTypeID CFNetServiceBrowserGetTypeID(void) { return __CFNetServiceBrowser::typeID(); }

CFNetServiceBrowserRef CFNetServiceBrowserCreate(CFAllocatorRef, CFNetServiceBrowserClientCallBack clientCB,
                                                 CFNetServiceClientContext* clientContext) {
  if (!clientCB || !clientContext) return nullptr;
  auto* browser = new __CFNetServiceBrowser();
  browser->client = clientCB;
  browser->clientContext = *clientContext;
  if (clientContext->retain && clientContext->info) clientContext->retain(clientContext->info);
  return browser;
}

void CFNetServiceBrowserScheduleWithRunLoop(CFNetServiceBrowserRef browser, CFRunLoopRef runLoop,
                                            CFStringRef runLoopMode) {
  if (!browser) return;
  std::lock_guard<std::recursive_mutex> guard(browser->gate);
  if (!browser->valid) return;
  CFNetworkPlatform::addSchedule(browser->schedules, browser->operation.get(), runLoop, runLoopMode);
}

void CFNetServiceBrowserUnscheduleFromRunLoop(CFNetServiceBrowserRef browser, CFRunLoopRef runLoop,
                                              CFStringRef runLoopMode) {
  if (!browser) return;
  std::lock_guard<std::recursive_mutex> guard(browser->gate);
  CFNetworkPlatform::removeSchedule(browser->schedules, browser->operation.get(), runLoop, runLoopMode);
}

Boolean CFNetServiceBrowserSearchForServices(CFNetServiceBrowserRef browser, CFStringRef domain,
                                             CFStringRef serviceType, CFStreamError* error) {
  if (error) *error = CFStreamError{0, 0};
  auto fail = [error](SInt32 code) {
    if (error) *error = CFStreamError{kCFStreamErrorDomainNetServices, code};
    return false;
  };
  if (!browser || !serviceType) return fail(kCFNetServicesErrorBadArgument);
  std::unique_lock<std::recursive_mutex> guard(browser->gate);
  if (!browser->valid) return fail(kCFNetServicesErrorInvalid);
  if (browser->operation || browser->syncWake >= 0) return fail(kCFNetServicesErrorInProgress);
  std::string type = utf8(serviceType), domainText = utf8(domain);
  DNSServiceRef ref = nullptr;
  if (DNSServiceBrowse(&ref, 0, 0, type.c_str(), domainText.c_str(), __CFNetServiceBrowser::browseReply, browser) !=
      kDNSServiceErr_NoError)
    return fail(kCFNetServicesErrorBadArgument);

  if (!browser->schedules.all().empty()) {
    browser->operation =
        ServiceOperation::startOnRunLoops(ref, __CFNetServiceBrowser::readable, browser, browser->schedules);
    return true;
  }

  // Unscheduled: report on this thread until the search is stopped.
  browser->syncWake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  int wake = browser->syncWake;
  guard.unlock();
  ServiceOperation::wait(ref, wake, 0, [] { return false; });
  guard.lock();
  DNSServiceRefDeallocate(ref);
  close(wake);
  browser->syncWake = -1;
  return true;
}

void CFNetServiceBrowserStopSearch(CFNetServiceBrowserRef browser, CFStreamError* error) {
  if (error) *error = CFStreamError{0, 0};
  if (!browser) return;
  std::lock_guard<std::recursive_mutex> guard(browser->gate);
  browser->stop();
}

void CFNetServiceBrowserInvalidate(CFNetServiceBrowserRef browser) {
  if (!browser) return;
  std::lock_guard<std::recursive_mutex> guard(browser->gate);
  browser->valid = false;
  browser->stop();
  while (!browser->schedules.all().empty()) {
    auto schedule = browser->schedules.all().front();
    browser->schedules.remove(schedule.runLoop, schedule.mode);
  }
}
