#pragma once
// One background download of an Atom feed: the request runs on a thread of its own and, when
// neither the download nor the parse raised, sends its reply action to the reply target on the
// main thread with itself as the argument; the receiver reads atomFeed.
//
// The target is held weakly: a target that goes before the reply simply gets none. At most
// kMaximumRunningRequests downloads run at once (others wait their turn on their thread), and
// each download is bounded in time and size by the URL loading, so a stalled server never
// holds a thread for ever.
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <Foundation/NSURL.h>
#include <objc/Selector.h>
#include <objc/WeakPtr.h>

#include <chrono>

#include "ATOM_FEED.h"
#include "UAtomicProperty.h"

int import_ATOM_FEED_HTTP_GET();

class ATOM_FEED_HTTP_GET : public NSObject {
  OBJC_CLASS_DECL(ATOM_FEED_HTTP_GET, NSObject)

 public:
  static constexpr int kMaximumRunningRequests = 4;

  // Starts a request for the URL text; nothing happens when no request can be made.
  static void backgroundGet_replyTarget_replyAction(NSString* url, NSObject* target, SEL action);
  // The body of the request's thread.
  static void backgroundThread_ATOM_FEED_GET(ATOM_FEED_HTTP_GET* request);

  // The feed URL made from the text with URLWithString (null when it forms no URL).
  ATOM_FEED_HTTP_GET* initWithFeedURL(NSString* url);

  NSURL* feedURL() const { return mFeedURL.get(); }
  void setFeedURL(NSURL* url) { mFeedURL.set(url); }
  ATOM_FEED* atomFeed() const { return mAtomFeed.get(); }
  void setAtomFeed(ATOM_FEED* feed) { mAtomFeed.set(feed); }
  NSObject* replyTarget() const { return mReplyTarget.get().get(); }
  void setReplyTarget(NSObject* target) { mReplyTarget = target; }
  SEL replyAction() const { return mReplyAction.load(); }
  void setReplyAction(SEL action) { mReplyAction.store(action); }

  // Waits until every request started so far has ended (replied or not), for at most the
  // timeout; answers whether none is left. For an orderly end of the program and for tests.
  static bool waitUntilAllRequestsEnded(std::chrono::milliseconds timeout);

 protected:
  ATOM_FEED_HTTP_GET() = default;

 private:
  UAtomicProperty<NSURL> mFeedURL;
  UAtomicProperty<ATOM_FEED> mAtomFeed;
  WeakPtr<NSObject> mReplyTarget;
  std::atomic<SEL> mReplyAction{nullptr};
};
