#pragma once
// Synchronous URL loading: a handle of a URL reads the whole resource when its data is first
// asked for, on the calling thread, and then tells how the load went. The load is bounded
// (see backend/URLLoading.h): redirects are followed, a stalled server times out and a body
// past the size limit fails the load.
#include <mutex>

#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>

#pragma GCC visibility push(default)

class NSData;
class NSString;
class NSURL;

typedef NSUInteger NSURLHandleStatus;
enum : NSURLHandleStatus {
  NSURLHandleNotLoaded = 0,
  NSURLHandleLoadSucceeded = 1,
  NSURLHandleLoadInProgress = 2,
  NSURLHandleLoadFailed = 3,
};

class NSURLHandle : public NSObject {
  OBJC_CLASS_DECL(NSURLHandle, NSObject)

 public:
  // The cache is never used: every handle loads anew.
  NSURLHandle* initWithURL_cached(NSURL* url, bool willCache);

  // Loads the resource (once) and answers its bytes, autoreleased; null when the load failed
  // or the resource is empty.
  NSData* resourceData();
  NSURLHandleStatus status() const;
  // Why the load failed; null unless it did.
  NSString* failureReason() const;

 protected:
  NSURLHandle() = default;

 private:
  mutable std::mutex mLock;
  RefPtr<NSURL> mURL;
  RefPtr<NSData> mData;
  RefPtr<NSString> mFailureReason;
  NSURLHandleStatus mStatus = NSURLHandleNotLoaded;
};

#pragma GCC visibility pop
