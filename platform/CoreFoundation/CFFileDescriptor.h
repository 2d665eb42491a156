#pragma once
// CFFileDescriptor: a file descriptor (a socket, a pipe) watched by run loops. An enabled
// callback fires once when the descriptor becomes readable or writable and must be enabled
// again for the next time.
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFRunLoop.h>

typedef int CFFileDescriptorNativeDescriptor;
typedef struct __CFFileDescriptor* CFFileDescriptorRef;

enum : CFOptionFlags {
  kCFFileDescriptorReadCallBack = 1UL << 0,
  kCFFileDescriptorWriteCallBack = 1UL << 1,
};

typedef void (*CFFileDescriptorCallBack)(CFFileDescriptorRef f, CFOptionFlags callBackTypes, void* info);

struct CFFileDescriptorContext {
  CFIndex version;
  void* info;
  void* (*retain)(void* info);
  void (*release)(void* info);
  CFStringRef (*copyDescription)(void* info);
};

CF_EXPORT CFTypeID CFFileDescriptorGetTypeID(void);
// Null for a negative descriptor.
CF_EXPORT CFFileDescriptorRef CFFileDescriptorCreate(CFAllocatorRef allocator,
                                                     CFFileDescriptorNativeDescriptor fd,
                                                     Boolean closeOnInvalidate,
                                                     CFFileDescriptorCallBack callout,
                                                     const CFFileDescriptorContext* context);
CF_EXPORT CFFileDescriptorNativeDescriptor CFFileDescriptorGetNativeDescriptor(CFFileDescriptorRef f);
CF_EXPORT void CFFileDescriptorEnableCallBacks(CFFileDescriptorRef f, CFOptionFlags callBackTypes);
CF_EXPORT void CFFileDescriptorDisableCallBacks(CFFileDescriptorRef f, CFOptionFlags callBackTypes);
// Takes its source out of every run loop and, when asked at creation, closes the descriptor.
CF_EXPORT void CFFileDescriptorInvalidate(CFFileDescriptorRef f);
CF_EXPORT Boolean CFFileDescriptorIsValid(CFFileDescriptorRef f);
// The run loop source of the descriptor (+1); one per descriptor while it lives.
CF_EXPORT CFRunLoopSourceRef CFFileDescriptorCreateRunLoopSource(CFAllocatorRef allocator,
                                                                 CFFileDescriptorRef f, CFIndex order);
