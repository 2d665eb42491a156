#pragma once
// Who sits at the machine's console.
#include <CoreFoundation/CFBase.h>
#include <sys/types.h>

typedef const struct __SCDynamicStore* SCDynamicStoreRef;

// The name of the user logged in at the console (+1), with that user's ids; null when nobody
// is. The store may be null. On Linux the console is the active session of seat0; a machine
// without a seat (a container, a server) counts the calling process's user as the one there.
CF_EXPORT CFStringRef SCDynamicStoreCopyConsoleUser(SCDynamicStoreRef store, uid_t* uid, gid_t* gid);
