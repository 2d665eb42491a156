#pragma once
// Announces the two shared surfaces of the ring to readers on this machine: learns their ids
// from the first two frames, then publishes a DNS-SD service whose TXT record names both, and
// from then on posts, per frame, the Darwin notification of the surface holding the frame.
// Driven from the frame thread; it takes no locks.
#include <Foundation/NSNetService.h>
#include <Foundation/NSObject.h>
#include <IOSurface/IOSurface.h>

#include <cstdint>

class NSDictionary;

class NQBonjourIOSurfaceNetService : public NSObject, public NSNetServiceDelegate {
  OBJC_CLASS_DECL(NQBonjourIOSurfaceNetService, NSObject)

 public:
  // Port 9, no surfaces known, no service.
  NQBonjourIOSurfaceNetService* init() override;

  int servicePortNumber() const { return _servicePortNumber; }
  void setServicePortNumber(int port) { _servicePortNumber = port; }
  NSNetService* service() const { return _service.get(); }
  void setService(NSNetService* service) { _service = RefPtr<NSNetService>(service); }
  float surfaceFPS() const { return _surfaceFPS; }
  void setSurfaceFPS(float framesPerSecond) { _surfaceFPS = framesPerSecond; }
  uint32_t surface0() const { return _surface0; }
  void setSurface0(uint32_t surfaceID) { _surface0 = surfaceID; }
  uint32_t surface1() const { return _surface1; }
  void setSurface1(uint32_t surfaceID) { _surface1 = surfaceID; }

  // Once per frame.
  void broadcastSurface(IOSurfaceRef surface);
  // Learns the surface's id while one of the two is unknown (the second must differ from the
  // first), and publishes once both are known; answers whether the service stands with both.
  bool configuredForBroadcastingWithSurface(IOSurfaceRef surface);
  void publishBonjourService(NSObject* sender);
  // A new (+1) service, or null when the service name cannot be made.
  NSNetService* createNetServiceWithPortNumber(int port);
  // Autoreleased: the TXT record's contents for the known ids and rate.
  NSDictionary* protocolDictionary();
  void updateBonjourServiceRecords(NSObject* sender);
  void unpublishServiceEtc();

 protected:
  NQBonjourIOSurfaceNetService() = default;
  void dealloc() override;

 private:
  int _servicePortNumber = 9;
  RefPtr<NSNetService> _service;
  float _surfaceFPS = 0;
  uint32_t _surface0 = 0;
  uint32_t _surface1 = 0;
};
