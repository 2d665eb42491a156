#pragma once
// Publishing a network service (DNS service discovery) under a name, type, domain and port,
// with a TXT record. Publishing is done when publish returns: the delegate hears
// netServiceWillPublish, then netServiceDidPublish or netService_didNotPublish, on the calling
// thread, so that a thread which never runs its run loop (a frame thread) can publish too.
#include <CFNetwork/CFNetServices.h>
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>
#include <objc/WeakPtr.h>

#pragma GCC visibility push(default)

class NSData;
class NSDictionary;
class NSNetService;
class NSString;

// The error dictionary's keys: the error code (an NSNumber of kCFNetServicesError...) and its
// domain (kCFStreamErrorDomainNetServices).
FOUNDATION_EXPORT NSString* const NSNetServicesErrorCode;
FOUNDATION_EXPORT NSString* const NSNetServicesErrorDomain;

// What a delegate may answer; the delegate object derives from this interface as well as
// from NSObject. Each method does nothing unless overridden.
class NSNetServiceDelegate {
 public:
  virtual ~NSNetServiceDelegate() = default;
  virtual void netServiceWillPublish(NSNetService*) {}
  virtual void netServiceDidPublish(NSNetService*) {}
  virtual void netService_didNotPublish(NSNetService*, NSDictionary* /*errorDict*/) {}
  virtual void netServiceDidStop(NSNetService*) {}
};

class __attribute__((visibility("default"))) NSNetService : public NSObject {
  OBJC_CLASS_DECL(NSNetService, NSObject)

 public:
  // Null (the object released) when a name part is missing or the port is out of range.
  NSNetService* initWithDomain_type_name_port(NSString* domain, NSString* type, NSString* name, int port);

  // Not retained.
  NSObject* delegate() const;
  void setDelegate(NSObject* delegate);

  // The service stands until stop, or until the object goes.
  void publish();
  // Ends the publication; the delegate hears netServiceDidStop when there was one.
  void stop();

  NSString* domain() const;
  NSString* type() const;
  // The name published, which a name already in use has changed.
  NSString* name() const;
  NSInteger port() const;
  NSData* TXTRecordData() const;
  // Also updates the record of a published service; false when the data is no TXT record.
  bool setTXTRecordData(NSData* recordData);

  // Autoreleased: the TXT record of string (UTF-8) or data values; null when it cannot be made.
  static NSData* dataFromTXTRecordDictionary(NSDictionary* txtDictionary);
  // Autoreleased: keys to data values; null for bytes that are no TXT record.
  static NSDictionary* dictionaryFromTXTRecordData(NSData* txtData);

 protected:
  NSNetService() = default;

 private:
  NSNetServiceDelegate* delegateInterface(RefPtr<NSObject>& keeper) const;
  void didNotPublish(CFIndex domain, SInt32 code);

  RefPtr<__CFNetService> mService;
  WeakPtr<NSObject> mDelegate;
  bool mPublished = false;
};

#pragma GCC visibility pop
