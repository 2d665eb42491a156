#include <CFNetwork/CFNetworkErrors.h>

#include <CoreFoundation/CFString.h>

const CFStringRef kCFErrorDomainCFNetwork = CFSTR("kCFErrorDomainCFNetwork");
const CFStringRef kCFGetAddrInfoFailureKey = CFSTR("kCFGetAddrInfoFailureKey");
