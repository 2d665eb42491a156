#pragma once
// Notification centers. The Darwin center carries names only (no object, no user info) to
// every process on the machine; its callbacks run one at a time, in the order the names
// arrive, on the thread that receives them, so they must be short. Removing an observer waits
// for its running callback, unless the callback itself removes it.
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFDictionary.h>

typedef struct __CFNotificationCenter* CFNotificationCenterRef;
typedef CFStringRef CFNotificationName;

typedef void (*CFNotificationCallback)(CFNotificationCenterRef center, void* observer, CFNotificationName name,
                                       const void* object, CFDictionaryRef userInfo);

typedef CFIndex CFNotificationSuspensionBehavior;
enum : CFIndex {
  CFNotificationSuspensionBehaviorDrop = 1,
  CFNotificationSuspensionBehaviorCoalesce = 2,
  CFNotificationSuspensionBehaviorHold = 3,
  CFNotificationSuspensionBehaviorDeliverImmediately = 4,
};

CF_EXPORT CFTypeID CFNotificationCenterGetTypeID(void);
CF_EXPORT CFNotificationCenterRef CFNotificationCenterGetDarwinNotifyCenter(void);

// On the Darwin center a name is required; the object is ignored. Adding the same observer
// for the same name again replaces its callback.
CF_EXPORT void CFNotificationCenterAddObserver(CFNotificationCenterRef center, const void* observer,
                                               CFNotificationCallback callBack, CFStringRef name,
                                               const void* object,
                                               CFNotificationSuspensionBehavior suspensionBehavior);
// A null name removes the observer from every name. Once this returns, no callback of the
// removed observations runs (unless called from inside such a callback, which is then the
// last one).
CF_EXPORT void CFNotificationCenterRemoveObserver(CFNotificationCenterRef center, const void* observer,
                                                  CFNotificationName name, const void* object);
CF_EXPORT void CFNotificationCenterRemoveEveryObserver(CFNotificationCenterRef center, const void* observer);
CF_EXPORT void CFNotificationCenterPostNotification(CFNotificationCenterRef center, CFNotificationName name,
                                                    const void* object, CFDictionaryRef userInfo,
                                                    Boolean deliverImmediately);
