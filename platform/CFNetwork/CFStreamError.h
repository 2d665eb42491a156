#pragma once
// The error record of streams, sockets and network services, and the domains that say how
// to read its code. Here the core domains (POSIX, OSStatus, custom) sit beside the network
// ones, so that one header serves every caller.
#include <CoreFoundation/CFBase.h>

typedef CFIndex CFStreamErrorDomain;

struct CFStreamError {
  CFIndex domain;
  SInt32 error;
};

enum : CFIndex {
  kCFStreamErrorDomainCustom = -1,
  kCFStreamErrorDomainPOSIX = 1,
  kCFStreamErrorDomainMacOSStatus = 2,
};

enum : CFIndex {
  kCFStreamErrorDomainSSL = 3,
  kCFStreamErrorDomainHTTP = 4,
  kCFStreamErrorDomainSOCKS = 5,
  kCFStreamErrorDomainFTP = 6,
  kCFStreamErrorDomainNetServices = 10,
  kCFStreamErrorDomainMach = 11,
  kCFStreamErrorDomainNetDB = 12,
  kCFStreamErrorDomainSystemConfiguration = 13,
};
