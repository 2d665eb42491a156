#pragma once
// CoreFoundation's base types. Every CF object is an NSObject (objc/NSObject.h): CFRetain,
// CFRelease and the retain of Objective-C objects share one count. A bridged type's object
// derives from its Foundation class (CFString from NSMutableString, CFArray from
// NSMutableArray, ...), whose declarations Foundation's headers give.
#include <cstddef>
#include <cstdint>

#include <CoreFoundation/MacTypes.h>

#define CF_EXTERN_C_BEGIN extern "C" {
#define CF_EXTERN_C_END }
#define CF_EXPORT extern "C" __attribute__((visibility("default")))
#define CF_INLINE static inline
#define CF_ENUM(type, name) type name; enum : type
#define CF_OPTIONS(type, name) type name; enum : type
#define CF_RETURNS_RETAINED
#define CF_RELEASES_ARGUMENT

typedef const void* CFTypeRef;
typedef unsigned long CFTypeID;
typedef unsigned long CFOptionFlags;
typedef unsigned long CFHashCode;
typedef signed long CFIndex;

typedef const struct __CFString* CFStringRef;
typedef struct __CFString* CFMutableStringRef;
typedef const struct __CFAllocator* CFAllocatorRef;
typedef const void* CFPropertyListRef;

struct CFRange {
  CFIndex location;
  CFIndex length;
};
CF_INLINE CFRange CFRangeMake(CFIndex location, CFIndex length) { return CFRange{location, length}; }

enum { kCFNotFound = -1 };

typedef CFIndex CFComparisonResult;
enum : CFIndex { kCFCompareLessThan = -1, kCFCompareEqualTo = 0, kCFCompareGreaterThan = 1 };
typedef CFComparisonResult (*CFComparatorFunction)(const void* val1, const void* val2, void* context);

// The default allocator is the only one: every allocator argument may be null.
CF_EXPORT const CFAllocatorRef kCFAllocatorDefault;
CF_EXPORT const CFAllocatorRef kCFAllocatorSystemDefault;
CF_EXPORT const CFAllocatorRef kCFAllocatorMalloc;
CF_EXPORT const CFAllocatorRef kCFAllocatorNull;

CF_EXPORT CFTypeRef CFRetain(CFTypeRef cf);
CF_EXPORT void CFRelease(CFTypeRef cf);
CF_EXPORT CFTypeRef CFAutorelease(CFTypeRef cf);
CF_EXPORT CFIndex CFGetRetainCount(CFTypeRef cf);
CF_EXPORT CFTypeID CFGetTypeID(CFTypeRef cf);
CF_EXPORT Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2);
CF_EXPORT CFHashCode CFHash(CFTypeRef cf);
CF_EXPORT CFStringRef CFCopyDescription(CFTypeRef cf);
CF_EXPORT CFStringRef CFCopyTypeIDDescription(CFTypeID typeID);
CF_EXPORT CFTypeRef CFMakeCollectable(CFTypeRef cf);

// The null object.
typedef const struct __CFNull* CFNullRef;
CF_EXPORT const CFNullRef kCFNull;
CF_EXPORT CFTypeID CFNullGetTypeID(void);
