#include "NQBonjourIOSurfaceNetService.h"

#include <Foundation/NSBridging.h>
#include <Foundation/NSData.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSString.h>

#include "NQBonjourIOSurfaceProtocol.h"
#include "URequirements.h"

OBJC_CLASS_DEFINE(NQBonjourIOSurfaceNetService)

NQBonjourIOSurfaceNetService* NQBonjourIOSurfaceNetService::init() {
  _servicePortNumber = 9;
  return this;
}

void NQBonjourIOSurfaceNetService::broadcastSurface(IOSurfaceRef surface) {
  if (!configuredForBroadcastingWithSurface(surface)) return;
  const uint32_t broadcastSurface = IOSurfaceGetID(surface);
  if (broadcastSurface == _surface0) {
    BonjourIOSurfaceProtocol_BroadcastSurfaceNumber(0);
  } else if (broadcastSurface == _surface1) {
    BonjourIOSurfaceProtocol_BroadcastSurfaceNumber(1);
  } else {
    __CFRequiredBody(REQUIRED_FILE_NAME, __FUNCTION__, __LINE__,
                     "SRC>>(broadcastSurface==_surface0) || (broadcastSurface==_surface1)");
  }
}

bool NQBonjourIOSurfaceNetService::configuredForBroadcastingWithSurface(IOSurfaceRef surface) {
  // The first two distinct surfaces: a surface sent twice before the other must not stand for
  // both, or the other would never be announced.
  const uint32_t surfaceID = IOSurfaceGetID(surface);
  if (_surface0 == 0) {
    _surface0 = surfaceID;
  } else if (_surface1 == 0 && surfaceID != _surface0) {
    _surface1 = surfaceID;
  }
  if (!_service && _surface0 != 0 && _surface1 != 0) publishBonjourService(nullptr);
  return _surface0 != 0 && _surface1 != 0 && _service;
}

void NQBonjourIOSurfaceNetService::publishBonjourService(NSObject*) {
  if (_service) {
    __CFRequiredBody(REQUIRED_FILE_NAME, __FUNCTION__, __LINE__, "SRC>>self.service==__null");
    return;
  }
  RefPtr<NSNetService> service = adopt(createNetServiceWithPortNumber(_servicePortNumber));
  if (!NSDynamicCast<NSNetService>(service.get())) return;
  _service = service;
  service->setDelegate(this);
  service->publish();
  updateBonjourServiceRecords(nullptr);
}

NSNetService* NQBonjourIOSurfaceNetService::createNetServiceWithPortNumber(int port) {
  RefPtr<const __CFString> ownedName = adopt(BonjourIOSurfaceProtocol_CopyNetServiceName());
  CFStringRef serviceName = ownedName.get();
  if (!REQUIRED_CFTYPEOF(serviceName, CFStringGetTypeID())) return nullptr;
  return NSNetService::alloc()->initWithDomain_type_name_port(
      toNSString(BonjourIOSurfaceProtocol_NetServiceDomain),
      toNSString(BonjourIOSurfaceProtocol_NetServiceType), toNSString(serviceName), port);
}

NSDictionary* NQBonjourIOSurfaceNetService::protocolDictionary() {
  CFMutableDictionaryRef dictionary =
      BonjourIOSurfaceProtocol_CopyDictionary(_surface0, _surface1, _surfaceFPS);
  return dictionary ? static_cast<NSDictionary*>(bridge_cast<NSDictionary*>(dictionary)->autorelease())
                    : nullptr;
}

void NQBonjourIOSurfaceNetService::updateBonjourServiceRecords(NSObject*) {
  NSDictionary* dictionary = protocolDictionary();
  if (!_service || !NSDynamicCast<NSMutableDictionary>(dictionary)) return;
  _service->setTXTRecordData(NSNetService::dataFromTXTRecordDictionary(dictionary));
}

void NQBonjourIOSurfaceNetService::unpublishServiceEtc() {
  if (!_service) return;
  RefPtr<NSNetService> service = std::move(_service);
  service->setDelegate(nullptr);
  service->stop();
}

void NQBonjourIOSurfaceNetService::dealloc() {
  unpublishServiceEtc();
  NSObject::dealloc();
}
