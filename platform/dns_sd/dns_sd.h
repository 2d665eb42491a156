#pragma once
// DNS service discovery: registering, browsing for and resolving services, and the TXT
// record codec. Services are registered on this machine only, in a registry folder of the
// runtime folder, which every process of the machine watches.
#include <cstdint>

#define DNSSD_EXPORT extern "C" __attribute__((visibility("default")))

typedef struct _DNSServiceRef_t* DNSServiceRef;
typedef uint32_t DNSServiceFlags;
typedef int32_t DNSServiceErrorType;

enum : DNSServiceFlags {
  kDNSServiceFlagsMoreComing = 0x1,
  kDNSServiceFlagsAdd = 0x2,
  kDNSServiceFlagsDefault = 0x4,
  kDNSServiceFlagsNoAutoRename = 0x8,
};

enum : DNSServiceErrorType {
  kDNSServiceErr_NoError = 0,
  kDNSServiceErr_Unknown = -65537,
  kDNSServiceErr_NoSuchName = -65538,
  kDNSServiceErr_NoMemory = -65539,
  kDNSServiceErr_BadParam = -65540,
  kDNSServiceErr_BadReference = -65541,
  kDNSServiceErr_BadState = -65542,
  kDNSServiceErr_BadFlags = -65543,
  kDNSServiceErr_Unsupported = -65544,
  kDNSServiceErr_NotInitialized = -65545,
  kDNSServiceErr_AlreadyRegistered = -65547,
  kDNSServiceErr_NameConflict = -65548,
  kDNSServiceErr_Invalid = -65549,
  kDNSServiceErr_NoSuchKey = -65556,
  kDNSServiceErr_ServiceNotRunning = -65563,
};

// Interface index 0: every interface (here the machine itself).
typedef void (*DNSServiceRegisterReply)(DNSServiceRef sdRef, DNSServiceFlags flags, DNSServiceErrorType errorCode,
                                        const char* name, const char* regtype, const char* domain, void* context);
typedef void (*DNSServiceBrowseReply)(DNSServiceRef sdRef, DNSServiceFlags flags, uint32_t interfaceIndex,
                                      DNSServiceErrorType errorCode, const char* serviceName, const char* regtype,
                                      const char* replyDomain, void* context);
// `port` is in network byte order.
typedef void (*DNSServiceResolveReply)(DNSServiceRef sdRef, DNSServiceFlags flags, uint32_t interfaceIndex,
                                       DNSServiceErrorType errorCode, const char* fullname, const char* hosttarget,
                                       uint16_t port, uint16_t txtLen, const unsigned char* txtRecord,
                                       void* context);

// Registers a service; `port` in network byte order; a null or empty name takes the machine's
// name. Unless kDNSServiceFlagsNoAutoRename is given, a name in use gets " (2)", " (3)"...
// The reply tells the name registered.
DNSSD_EXPORT DNSServiceErrorType DNSServiceRegister(DNSServiceRef* sdRef, DNSServiceFlags flags,
                                                    uint32_t interfaceIndex, const char* name,
                                                    const char* regtype, const char* domain, const char* host,
                                                    uint16_t port, uint16_t txtLen, const void* txtRecord,
                                                    DNSServiceRegisterReply callBack, void* context);
// Replaces the TXT record of a registered service (the record reference must be null).
DNSSD_EXPORT DNSServiceErrorType DNSServiceUpdateRecord(DNSServiceRef sdRef, void* recordRef, DNSServiceFlags flags,
                                                        uint16_t rdlen, const void* rdata, uint32_t ttl);
// Replies with kDNSServiceFlagsAdd for each service found and without it for each that went.
DNSSD_EXPORT DNSServiceErrorType DNSServiceBrowse(DNSServiceRef* sdRef, DNSServiceFlags flags,
                                                  uint32_t interfaceIndex, const char* regtype, const char* domain,
                                                  DNSServiceBrowseReply callBack, void* context);
// Replies each time the named service is found or its record changes; runs until deallocated.
DNSSD_EXPORT DNSServiceErrorType DNSServiceResolve(DNSServiceRef* sdRef, DNSServiceFlags flags,
                                                   uint32_t interfaceIndex, const char* name, const char* regtype,
                                                   const char* domain, DNSServiceResolveReply callBack,
                                                   void* context);
// A descriptor that becomes readable when replies wait; DNSServiceProcessResult then makes
// them (blocking until there is something to read).
DNSSD_EXPORT int DNSServiceRefSockFD(DNSServiceRef sdRef);
DNSSD_EXPORT DNSServiceErrorType DNSServiceProcessResult(DNSServiceRef sdRef);
// Ends the operation; a registration leaves the registry.
DNSSD_EXPORT void DNSServiceRefDeallocate(DNSServiceRef sdRef);

// TXT records: length-prefixed "key=value" entries of at most 255 bytes each.
struct TXTRecordRef {
  unsigned char* bytes;
  uint16_t length;
  uint16_t capacity;
  bool owned;
};

// With a buffer, the record is built in it; without (null, 0), it grows as needed.
DNSSD_EXPORT void TXTRecordCreate(TXTRecordRef* txtRecord, uint16_t bufferLen, void* buffer);
DNSSD_EXPORT void TXTRecordDeallocate(TXTRecordRef* txtRecord);
// A null value writes the key alone; a value of size 0 writes "key=". Keys are printable
// ASCII without '=' and compare without regard to case.
DNSSD_EXPORT DNSServiceErrorType TXTRecordSetValue(TXTRecordRef* txtRecord, const char* key, uint8_t valueSize,
                                                   const void* value);
DNSSD_EXPORT DNSServiceErrorType TXTRecordRemoveValue(TXTRecordRef* txtRecord, const char* key);
DNSSD_EXPORT uint16_t TXTRecordGetLength(const TXTRecordRef* txtRecord);
DNSSD_EXPORT const void* TXTRecordGetBytesPtr(const TXTRecordRef* txtRecord);

DNSSD_EXPORT int TXTRecordContainsKey(uint16_t txtLen, const void* txtRecord, const char* key);
// The value of the key (valueLen set), or null when the key is missing or has no value.
DNSSD_EXPORT const void* TXTRecordGetValuePtr(uint16_t txtLen, const void* txtRecord, const char* key,
                                              uint8_t* valueLen);
DNSSD_EXPORT uint16_t TXTRecordGetCount(uint16_t txtLen, const void* txtRecord);
DNSSD_EXPORT DNSServiceErrorType TXTRecordGetItemAtIndex(uint16_t txtLen, const void* txtRecord, uint16_t itemIndex,
                                                         uint16_t keyBufLen, char* key, uint8_t* valueLen,
                                                         const void** value);
