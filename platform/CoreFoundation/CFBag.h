#pragma once
// CFBag: values without order that may occur more than once; callbacks as for sets.
#include <CoreFoundation/CFBase.h>

typedef const void* (*CFBagRetainCallBack)(CFAllocatorRef allocator, const void* value);
typedef void (*CFBagReleaseCallBack)(CFAllocatorRef allocator, const void* value);
typedef CFStringRef (*CFBagCopyDescriptionCallBack)(const void* value);
typedef Boolean (*CFBagEqualCallBack)(const void* value1, const void* value2);
typedef CFHashCode (*CFBagHashCallBack)(const void* value);

struct CFBagCallBacks {
  CFIndex version;
  CFBagRetainCallBack retain;
  CFBagReleaseCallBack release;
  CFBagCopyDescriptionCallBack copyDescription;
  CFBagEqualCallBack equal;
  CFBagHashCallBack hash;
};

CF_EXPORT const CFBagCallBacks kCFTypeBagCallBacks;

typedef void (*CFBagApplierFunction)(const void* value, void* context);

typedef const struct __CFBag* CFBagRef;
typedef struct __CFBag* CFMutableBagRef;

CF_EXPORT CFTypeID CFBagGetTypeID(void);

CF_EXPORT CFBagRef CFBagCreate(CFAllocatorRef allocator, const void** values, CFIndex numValues,
                               const CFBagCallBacks* callBacks);
CF_EXPORT CFBagRef CFBagCreateCopy(CFAllocatorRef allocator, CFBagRef theBag);
CF_EXPORT CFMutableBagRef CFBagCreateMutable(CFAllocatorRef allocator, CFIndex capacity,
                                             const CFBagCallBacks* callBacks);
CF_EXPORT CFMutableBagRef CFBagCreateMutableCopy(CFAllocatorRef allocator, CFIndex capacity, CFBagRef theBag);

// Every occurrence counts.
CF_EXPORT CFIndex CFBagGetCount(CFBagRef theBag);
CF_EXPORT CFIndex CFBagGetCountOfValue(CFBagRef theBag, const void* value);
CF_EXPORT Boolean CFBagContainsValue(CFBagRef theBag, const void* value);
CF_EXPORT const void* CFBagGetValue(CFBagRef theBag, const void* value);
// Each occurrence once: values must hold GetCount entries.
CF_EXPORT void CFBagGetValues(CFBagRef theBag, const void** values);
CF_EXPORT void CFBagApplyFunction(CFBagRef theBag, CFBagApplierFunction applier, void* context);

// Mutation (mutable bags only). RemoveValue takes away one occurrence.
CF_EXPORT void CFBagAddValue(CFMutableBagRef theBag, const void* value);
CF_EXPORT void CFBagRemoveValue(CFMutableBagRef theBag, const void* value);
CF_EXPORT void CFBagRemoveAllValues(CFMutableBagRef theBag);
