#include "ATOM_FEED_HTTP_GET.h"

#include <Foundation/NSException.h>
#include <Foundation/NSThread.h>

#include <condition_variable>
#include <mutex>
#include <semaphore>

int import_ATOM_FEED_HTTP_GET() {
  import_ATOM_FEED();
  return 1;
}

OBJC_CLASS_DEFINE(ATOM_FEED_HTTP_GET)

namespace {

// The requests started and not yet ended, and the turns to download.
struct Requests {
  std::mutex lock;
  std::condition_variable ended;
  int outstanding = 0;
  std::counting_semaphore<ATOM_FEED_HTTP_GET::kMaximumRunningRequests> turns{
      ATOM_FEED_HTTP_GET::kMaximumRunningRequests};
};

// Never destroyed: a request thread may still end while the program's statics go.
Requests& requests() {
  static Requests* const shared = new Requests;
  return *shared;
}

void requestStarted() {
  std::lock_guard<std::mutex> lock(requests().lock);
  ++requests().outstanding;
}

void requestEnded() {
  std::lock_guard<std::mutex> lock(requests().lock);
  --requests().outstanding;
  requests().ended.notify_all();
}

}  // namespace

ATOM_FEED_HTTP_GET* ATOM_FEED_HTTP_GET::initWithFeedURL(NSString* url) {
  setFeedURL(NSURL::URLWithString(url));
  return this;
}

void ATOM_FEED_HTTP_GET::backgroundGet_replyTarget_replyAction(NSString* url, NSObject* target, SEL action) {
  RefPtr<ATOM_FEED_HTTP_GET> request = adopt(static_cast<ATOM_FEED_HTTP_GET*>(alloc())->initWithFeedURL(url));
  if (!request) return;
  request->setReplyTarget(target);
  request->setReplyAction(action);
  request->setAtomFeed(nullptr);
  requestStarted();
  NSThread::detachNewThreadWithBlock([request] {
    backgroundThread_ATOM_FEED_GET(request.get());
    requestEnded();
  });
}

void ATOM_FEED_HTTP_GET::backgroundThread_ATOM_FEED_GET(ATOM_FEED_HTTP_GET* request) {
  if (!request || !request->feedURL()) return;
  objc::AutoreleasePool pool;
  try {
    request->setAtomFeed(ATOM_FEED::feedWithURL(request->feedURL()));
    RefPtr<ATOM_FEED> feed = request->mAtomFeed.copy();
    if (!feed) return;
    requests().turns.acquire();
    try {
      feed->readRemoteData();
    } catch (...) {
      requests().turns.release();
      throw;
    }
    requests().turns.release();
    RefPtr<NSObject> target = request->mReplyTarget.get();
    SEL action = request->replyAction();
    if (target && action)
      target->performSelectorOnMainThread_withObject_waitUntilDone(action, request, false);
  } catch (const NSException::Raised&) {
    // A failed download or parse ends the request without a reply.
  }
}

bool ATOM_FEED_HTTP_GET::waitUntilAllRequestsEnded(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(requests().lock);
  return requests().ended.wait_for(lock, timeout, [] { return requests().outstanding == 0; });
}
