#include "NSURLHandle.h"

#include "NSData.h"
#include "NSString.h"
#include "NSURL.h"
#include "backend/URLLoading.h"

OBJC_CLASS_DEFINE(NSURLHandle)

NSURLHandle* NSURLHandle::initWithURL_cached(NSURL* url, bool) {
  if (!url) {
    release();
    return nullptr;
  }
  mURL = RefPtr<NSURL>(url);
  return this;
}

NSData* NSURLHandle::resourceData() {
  std::lock_guard<std::mutex> lock(mLock);
  if (mStatus == NSURLHandleNotLoaded) {
    NSString* text = mURL->absoluteString();
    Foundation::URLLoadResult loaded =
        Foundation::loadURL(text && text->UTF8String() ? text->UTF8String() : "");
    if (loaded.failed) {
      mStatus = NSURLHandleLoadFailed;
      mFailureReason = RefPtr<NSString>(NSString::stringWithUTF8String(loaded.failureReason.c_str()));
      if (!mFailureReason) mFailureReason = RefPtr<NSString>(NSSTR("The resource could not be loaded."));
    } else {
      mStatus = NSURLHandleLoadSucceeded;
      if (!loaded.body.empty())
        mData = RefPtr<NSData>(NSData::dataWithBytes_length(loaded.body.data(), loaded.body.size()));
    }
  }
  return mData ? static_cast<NSData*>(mData->retain()->autorelease()) : nullptr;
}

NSURLHandleStatus NSURLHandle::status() const {
  std::lock_guard<std::mutex> lock(mLock);
  return mStatus;
}

NSString* NSURLHandle::failureReason() const {
  std::lock_guard<std::mutex> lock(mLock);
  return mFailureReason ? static_cast<NSString*>(mFailureReason->retain()->autorelease()) : nullptr;
}
