#include <Foundation/NSData.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSNetService.h>
#include <Foundation/NSString.h>
#include <Foundation/NSValue.h>

OBJC_CLASS_DEFINE(NSNetService)

NSString* const NSNetServicesErrorCode = NSSTR("NSNetServicesErrorCode");
NSString* const NSNetServicesErrorDomain = NSSTR("NSNetServicesErrorDomain");

NSNetService* NSNetService::initWithDomain_type_name_port(NSString* domain, NSString* type, NSString* name,
                                                          int port) {
  if (port >= 0 && port <= 0xFFFF && domain && type && name)
    mService =
        adopt(CFNetServiceCreate(nullptr, domain->cfString(), type->cfString(), name->cfString(), port));
  if (!mService) {
    release();
    return nullptr;
  }
  return this;
}

NSObject* NSNetService::delegate() const {
  RefPtr<NSObject> delegate = mDelegate.get();
  return delegate ? delegate.leak()->autorelease() : nullptr;
}

void NSNetService::setDelegate(NSObject* delegate) { mDelegate = delegate; }

NSNetServiceDelegate* NSNetService::delegateInterface(RefPtr<NSObject>& keeper) const {
  keeper = mDelegate.get();
  return dynamic_cast<NSNetServiceDelegate*>(keeper.get());
}

void NSNetService::publish() {
  RefPtr<NSObject> keeper;
  if (auto* delegate = delegateInterface(keeper)) delegate->netServiceWillPublish(this);
  CFStreamError error{};
  if (mPublished || !CFNetServiceRegisterWithOptions(mService.get(), 0, &error)) {
    didNotPublish(mPublished ? kCFStreamErrorDomainNetServices : error.domain,
                  mPublished ? SInt32(kCFNetServicesErrorInProgress) : error.error);
    return;
  }
  mPublished = true;
  if (auto* delegate = delegateInterface(keeper)) delegate->netServiceDidPublish(this);
}

void NSNetService::didNotPublish(CFIndex domain, SInt32 code) {
  RefPtr<NSObject> keeper;
  auto* delegate = delegateInterface(keeper);
  if (!delegate) return;
  NSDictionary* errorDict = NSDictionary::dictionaryWithObjects_forKeys(
      {NSNumber::numberWithInt(code), NSNumber::numberWithLong(domain)},
      {NSNetServicesErrorCode, NSNetServicesErrorDomain});
  delegate->netService_didNotPublish(this, errorDict);
}

void NSNetService::stop() {
  if (!mPublished) return;
  CFNetServiceCancel(mService.get());
  mPublished = false;
  RefPtr<NSObject> keeper;
  if (auto* delegate = delegateInterface(keeper)) delegate->netServiceDidStop(this);
}

NSString* NSNetService::domain() const { return toNSString(CFNetServiceGetDomain(mService.get())); }
NSString* NSNetService::type() const { return toNSString(CFNetServiceGetType(mService.get())); }
NSString* NSNetService::name() const { return toNSString(CFNetServiceGetName(mService.get())); }
NSInteger NSNetService::port() const { return CFNetServiceGetPortNumber(mService.get()); }

NSData* NSNetService::TXTRecordData() const {
  return bridge_cast<NSData*>(CFNetServiceGetTXTData(mService.get()));
}

bool NSNetService::setTXTRecordData(NSData* recordData) {
  return recordData && CFNetServiceSetTXTData(mService.get(), recordData->cfData());
}

NSData* NSNetService::dataFromTXTRecordDictionary(NSDictionary* txtDictionary) {
  if (!txtDictionary) return nullptr;
  CFDataRef data = CFNetServiceCreateTXTDataWithDictionary(nullptr, txtDictionary->cfDictionary());
  return data ? static_cast<NSData*>(bridge_cast<NSData*>(data)->autorelease()) : nullptr;
}

NSDictionary* NSNetService::dictionaryFromTXTRecordData(NSData* txtData) {
  if (!txtData) return nullptr;
  CFDictionaryRef dictionary = CFNetServiceCreateDictionaryWithTXTData(nullptr, txtData->cfData());
  return dictionary ? static_cast<NSDictionary*>(bridge_cast<NSDictionary*>(dictionary)->autorelease())
                    : nullptr;
}
