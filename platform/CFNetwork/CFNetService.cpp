// Network services: registration and resolution over dns_sd.
#include <CFNetwork/CFNetServices.h>
#include <CoreFoundation/CFDate.h>
#include <CoreFoundation/CFString.h>
#include <arpa/inet.h>
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

namespace {

void setError(CFStreamError* error, CFIndex domain, SInt32 code) {
  if (error) *error = CFStreamError{domain, code};
}

}  // namespace

struct __CFNetService : NSObject {
  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CFNetService");
    return id;
  }
  unsigned long cfTypeID() const override { return typeID(); }

  CFStringRef domain = nullptr;
  CFStringRef type = nullptr;
  CFStringRef name = nullptr;
  SInt32 port = -1;
  CFDataRef txt = nullptr;

  // Held while a callback runs and while the operation changes, so that cancelling from
  // another thread waits for a callback in progress.
  std::recursive_mutex gate;
  CFNetServiceClientCallBack client = nullptr;
  CFNetServiceClientContext clientContext{};
  CFNetworkPlatform::Schedules schedules;
  std::unique_ptr<ServiceOperation> operation;
  bool registered = false;
  CFRunLoopTimerRef timeout = nullptr;
  int syncWake = -1;  // raised by cancel while a synchronous resolve waits
  bool resolved = false;
  bool resolvingOnRunLoops = false;

  void setTXT(CFDataRef data) {
    if (data) CFRetain(data);
    if (txt) CFRelease(txt);
    txt = data;
  }

  void stopTimeout() {
    if (!timeout) return;
    CFRunLoopTimerInvalidate(timeout);
    CFRelease(timeout);
    timeout = nullptr;
  }

  void stop() {
    stopTimeout();
    operation.reset();
    registered = false;
    resolvingOnRunLoops = false;
  }

  void tellClient(CFIndex domain, SInt32 code) {
    if (!client) return;
    CFStreamError error{domain, code};
    client(this, &error, clientContext.info);
  }

  static void readable(CFFileDescriptorRef file, CFOptionFlags, void* info) {
    auto* service = static_cast<__CFNetService*>(info);
    std::lock_guard<std::recursive_mutex> guard(service->gate);
    if (!service->operation || !service->operation->watches(file)) return;
    DNSServiceErrorType status = DNSServiceProcessResult(service->operation->ref());
    if (status != kDNSServiceErr_NoError) {
      service->stop();
      service->tellClient(kCFStreamErrorDomainNetServices, kCFNetServicesErrorUnknown);
      return;
    }
    if (service->resolvingOnRunLoops && service->resolved) {
      service->stop();
      service->tellClient(0, 0);
      return;
    }
    if (service->operation && service->operation->watches(file)) service->operation->rearm();
  }

  static void resolveReply(DNSServiceRef, DNSServiceFlags, uint32_t, DNSServiceErrorType errorCode, const char*,
                           const char*, uint16_t resolvedPort, uint16_t txtLen, const unsigned char* txtRecord,
                           void* context) {
    auto* service = static_cast<__CFNetService*>(context);
    if (errorCode != kDNSServiceErr_NoError || service->resolved) return;
    service->port = ntohs(resolvedPort);
    CFDataRef data = CFDataCreate(nullptr, txtRecord, txtLen);
    service->setTXT(data);
    CFRelease(data);
    service->resolved = true;
  }

  static void registerReply(DNSServiceRef, DNSServiceFlags, DNSServiceErrorType errorCode, const char* registeredName,
                            const char*, const char*, void* context) {
    auto* service = static_cast<__CFNetService*>(context);
    if (errorCode != kDNSServiceErr_NoError) {
      service->stop();
      service->tellClient(kCFStreamErrorDomainNetServices, kCFNetServicesErrorCollision);
      return;
    }
    // A name in use was changed: the service now goes by the registered one.
    CFStringRef actual = CFStringCreateWithCString(nullptr, registeredName, kCFStringEncodingUTF8);
    if (actual) {
      CFRelease(service->name);
      service->name = actual;
    }
  }

  // Starts an asynchronous operation on the scheduled run loops.
  void startOnRunLoops(DNSServiceRef ref) {
    operation = ServiceOperation::startOnRunLoops(ref, readable, this, schedules);
  }

 protected:
  ~__CFNetService() override {
    stop();
    if (clientContext.release && clientContext.info) clientContext.release(clientContext.info);
    for (CFTypeRef value : {CFTypeRef(domain), CFTypeRef(type), CFTypeRef(name), CFTypeRef(txt)})
      if (value) CFRelease(value);
  }
};

CFTypeID CFNetServiceGetTypeID(void) { return __CFNetService::typeID(); }

CFNetServiceRef CFNetServiceCreate(CFAllocatorRef, CFStringRef domain, CFStringRef serviceType, CFStringRef name,
                                   SInt32 port) {
  if (!domain || !serviceType || !name) return nullptr;
  auto* service = new __CFNetService();
  service->domain = CFStringCreateCopy(nullptr, domain);
  service->type = CFStringCreateCopy(nullptr, serviceType);
  service->name = CFStringCreateCopy(nullptr, name);
  service->port = port;
  return service;
}

CFNetServiceRef CFNetServiceCreateCopy(CFAllocatorRef alloc, CFNetServiceRef service) {
  if (!service || CFGetTypeID(service) != CFNetServiceGetTypeID()) return nullptr;
  std::lock_guard<std::recursive_mutex> guard(service->gate);
  CFNetServiceRef copy = CFNetServiceCreate(alloc, service->domain, service->type, service->name, service->port);
  if (copy) copy->setTXT(service->txt);
  return copy;
}

CFStringRef CFNetServiceGetDomain(CFNetServiceRef theService) { return theService ? theService->domain : nullptr; }
CFStringRef CFNetServiceGetType(CFNetServiceRef theService) { return theService ? theService->type : nullptr; }
CFStringRef CFNetServiceGetName(CFNetServiceRef theService) { return theService ? theService->name : nullptr; }
SInt32 CFNetServiceGetPortNumber(CFNetServiceRef theService) { return theService ? theService->port : -1; }
CFDataRef CFNetServiceGetTXTData(CFNetServiceRef theService) { return theService ? theService->txt : nullptr; }

Boolean CFNetServiceSetTXTData(CFNetServiceRef theService, CFDataRef txtRecord) {
  if (!theService || !txtRecord || CFGetTypeID(txtRecord) != CFDataGetTypeID()) return false;
  std::lock_guard<std::recursive_mutex> guard(theService->gate);
  if (CFDataGetLength(txtRecord) > 0xFFFF) return false;
  if (theService->registered && theService->operation &&
      DNSServiceUpdateRecord(theService->operation->ref(), nullptr, 0, uint16_t(CFDataGetLength(txtRecord)),
                             CFDataGetBytePtr(txtRecord), 0) != kDNSServiceErr_NoError)
    return false;
  theService->setTXT(txtRecord);
  return true;
}

Boolean CFNetServiceSetClient(CFNetServiceRef theService, CFNetServiceClientCallBack clientCB,
                              CFNetServiceClientContext* clientContext) {
  if (!theService || (clientCB && !clientContext)) return false;
  std::lock_guard<std::recursive_mutex> guard(theService->gate);
  if (theService->clientContext.release && theService->clientContext.info)
    theService->clientContext.release(theService->clientContext.info);
  theService->client = clientCB;
  theService->clientContext = clientCB ? *clientContext : CFNetServiceClientContext{};
  if (clientCB && clientContext->retain && clientContext->info) clientContext->retain(clientContext->info);
  return true;
}

void CFNetServiceScheduleWithRunLoop(CFNetServiceRef theService, CFRunLoopRef runLoop, CFStringRef runLoopMode) {
  if (!theService) return;
  std::lock_guard<std::recursive_mutex> guard(theService->gate);
  if (!CFNetworkPlatform::addSchedule(theService->schedules, theService->operation.get(), runLoop, runLoopMode))
    return;
  if (theService->timeout) CFRunLoopAddTimer(runLoop, theService->timeout, runLoopMode);
}

void CFNetServiceUnscheduleFromRunLoop(CFNetServiceRef theService, CFRunLoopRef runLoop, CFStringRef runLoopMode) {
  if (!theService) return;
  std::lock_guard<std::recursive_mutex> guard(theService->gate);
  if (theService->timeout) CFRunLoopRemoveTimer(runLoop, theService->timeout, runLoopMode);
  CFNetworkPlatform::removeSchedule(theService->schedules, theService->operation.get(), runLoop, runLoopMode);
}

Boolean CFNetServiceRegisterWithOptions(CFNetServiceRef theService, CFOptionFlags options, CFStreamError* error) {
  setError(error, 0, 0);
  if (!theService) {
    setError(error, kCFStreamErrorDomainNetServices, kCFNetServicesErrorBadArgument);
    return false;
  }
  std::lock_guard<std::recursive_mutex> guard(theService->gate);
  if (theService->operation || theService->syncWake >= 0) {
    setError(error, kCFStreamErrorDomainNetServices, kCFNetServicesErrorInProgress);
    return false;
  }
  std::string name = utf8(theService->name), type = utf8(theService->type), domain = utf8(theService->domain);
  if (type.empty() || theService->port < 0 || theService->port > 0xFFFF) {
    setError(error, kCFStreamErrorDomainNetServices, kCFNetServicesErrorBadArgument);
    return false;
  }
  CFDataRef txt = theService->txt;
  DNSServiceRef ref = nullptr;
  DNSServiceFlags flags = (options & kCFNetServiceFlagNoAutoRename) ? DNSServiceFlags(kDNSServiceFlagsNoAutoRename) : 0;
  DNSServiceErrorType status = DNSServiceRegister(
      &ref, flags, 0, name.c_str(),
      type.c_str(), domain.c_str(), nullptr, htons(uint16_t(theService->port)),
      txt ? uint16_t(CFDataGetLength(txt)) : 0, txt ? CFDataGetBytePtr(txt) : nullptr, __CFNetService::registerReply,
      theService);
  if (status != kDNSServiceErr_NoError) {
    setError(error, kCFStreamErrorDomainNetServices,
             status == kDNSServiceErr_NameConflict ? kCFNetServicesErrorCollision : kCFNetServicesErrorUnknown);
    return false;
  }
  theService->registered = true;
  if (theService->client) {
    theService->startOnRunLoops(ref);
  } else {
    // The registration reply is ready at once: take the registered name now.
    DNSServiceProcessResult(ref);
    CFFileDescriptorContext none{};
    theService->operation = std::make_unique<ServiceOperation>(ref, nullptr, none);
  }
  return true;
}

Boolean CFNetServiceResolveWithTimeout(CFNetServiceRef theService, CFTimeInterval timeout, CFStreamError* error) {
  setError(error, 0, 0);
  if (!theService) {
    setError(error, kCFStreamErrorDomainNetServices, kCFNetServicesErrorBadArgument);
    return false;
  }
  std::unique_lock<std::recursive_mutex> guard(theService->gate);
  if (theService->operation || theService->syncWake >= 0) {
    setError(error, kCFStreamErrorDomainNetServices, kCFNetServicesErrorInProgress);
    return false;
  }
  std::string name = utf8(theService->name), type = utf8(theService->type), domain = utf8(theService->domain);
  DNSServiceRef ref = nullptr;
  theService->resolved = false;
  if (DNSServiceResolve(&ref, 0, 0, name.c_str(), type.c_str(), domain.c_str(), __CFNetService::resolveReply,
                        theService) != kDNSServiceErr_NoError) {
    setError(error, kCFStreamErrorDomainNetServices, kCFNetServicesErrorBadArgument);
    return false;
  }

  if (theService->client) {
    // Asynchronous: the reply tells the client, and so does the end of the time allowed.
    theService->startOnRunLoops(ref);
    theService->resolvingOnRunLoops = true;
    CFNetServiceRef service = theService;
    if (timeout > 0) {
      service->timeout = CFRunLoopTimerCreateWithHandler(
          nullptr, CFAbsoluteTimeGetCurrent() + timeout, 0, 0, 0, [service](CFRunLoopTimerRef) {
            std::lock_guard<std::recursive_mutex> timerGuard(service->gate);
            if (!service->operation) return;
            service->stop();
            service->tellClient(kCFStreamErrorDomainNetServices, kCFNetServicesErrorTimeout);
          });
      for (const auto& schedule : service->schedules.all())
        CFRunLoopAddTimer(schedule.runLoop, service->timeout, schedule.mode);
    }
    return true;
  }

  // Synchronous: wait here, outside the gate, so that another thread can cancel.
  theService->syncWake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  int wake = theService->syncWake;
  guard.unlock();
  ServiceOperation::WaitResult result =
      ServiceOperation::wait(ref, wake, timeout, [theService] { return theService->resolved; });
  guard.lock();
  DNSServiceRefDeallocate(ref);
  close(wake);
  theService->syncWake = -1;
  switch (result) {
    case ServiceOperation::WaitResult::Done:
      return true;
    case ServiceOperation::WaitResult::TimedOut:
      setError(error, kCFStreamErrorDomainNetServices, kCFNetServicesErrorTimeout);
      return false;
    case ServiceOperation::WaitResult::Cancelled:
      setError(error, kCFStreamErrorDomainNetServices, kCFNetServicesErrorCancel);
      return false;
    case ServiceOperation::WaitResult::Failed:
      break;
  }
  setError(error, kCFStreamErrorDomainNetServices, kCFNetServicesErrorUnknown);
  return false;
}

void CFNetServiceCancel(CFNetServiceRef theService) {
  if (!theService) return;
  std::lock_guard<std::recursive_mutex> guard(theService->gate);
  if (theService->syncWake >= 0) {
    uint64_t one = 1;
    if (write(theService->syncWake, &one, sizeof one) < 0) return;
  }
  theService->stop();
}
