#pragma once
// The error domain of the network layer and the keys of its error information.
#include <CoreFoundation/CFBase.h>

CF_EXPORT const CFStringRef kCFErrorDomainCFNetwork;
// The getaddrinfo() failure behind a host-resolution error, as a number.
CF_EXPORT const CFStringRef kCFGetAddrInfoFailureKey;

typedef int CFNetworkErrors;
enum : int {
  kCFHostErrorHostNotFound = 1,
  kCFHostErrorUnknown = 2,
  kCFErrorHTTPAuthenticationTypeUnsupported = 300,
  kCFErrorHTTPBadCredentials = 301,
  kCFErrorHTTPConnectionLost = 302,
  kCFErrorHTTPParseFailure = 303,
  kCFErrorHTTPRedirectionLoopDetected = 304,
  kCFErrorHTTPBadURL = 305,
};
