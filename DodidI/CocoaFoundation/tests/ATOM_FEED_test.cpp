#include "ATOM_FEED.h"

#include <AtomFeedServer.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSException.h>
#include <Foundation/NSThread.h>
#include <RunLoopUntil.h>
#include <gtest/gtest.h>
#include <objc/MethodTable.h>

#include <string>
#include <vector>

#include "ATOM_FEED_HTTP_GET.h"
#include "NSDictionary_PropertyListArchiving.h"

const char* g_CoreMachDebug_LogPrefix = "ATOMFeedTest";
const char* g_CoreMachDebug_LogFileName = "ATOMFeedTest.log";

using moxicam::test::atomEntry;
using moxicam::test::atomFeed;
using moxicam::test::feedServer;

namespace {

std::string text(NSObject* value) {
  auto* string = NSDynamicCast<NSString>(value);
  return string ? string->UTF8String() : "(nil)";
}

NSData* data(const std::string& bytes) { return NSData::dataWithBytes_length(bytes.data(), bytes.size()); }

RefPtr<ATOM_FEED> parsed(const std::string& xml) {
  RefPtr<ATOM_FEED> feed = adopt(static_cast<ATOM_FEED*>(ATOM_FEED::alloc())->initWithURL(nullptr));
  feed->setFeedData_throwingExceptions(data(xml), false);
  return feed;
}

NSString* url(const std::string& address) { return NSString::stringWithUTF8String(address.c_str()); }

std::string local(const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(feedServer().port()) + path;
}

}  // namespace

// Counts the replies it gets and keeps the last request.
class FeedReceiver : public NSObject {
  OBJC_CLASS_DECL(FeedReceiver, NSObject)

 public:
  void feedArrived(ATOM_FEED_HTTP_GET* request) {
    ++replies;
    onMainThread = NSThread::isMainThread();
    last = RefPtr<ATOM_FEED_HTTP_GET>(request);
  }
  void marker(NSObject*) { markerSeen = true; }

  int replies = 0;
  bool onMainThread = false;
  bool markerSeen = false;
  RefPtr<ATOM_FEED_HTTP_GET> last;
};
OBJC_CLASS_DEFINE(FeedReceiver)
OBJC_METHODS(FeedReceiver, OBJC_METHOD("feedArrived:", &FeedReceiver::feedArrived),
             OBJC_METHOD("marker:", &FeedReceiver::marker))

struct AtomFeed : ::testing::Test {
  ~AtomFeed() override {
    EXPECT_TRUE(ATOM_FEED_HTTP_GET::waitUntilAllRequestsEnded(std::chrono::seconds(30)));
  }

  // Lets every reply already queued for the main thread arrive: a marker queued after the
  // requests have ended arrives after them.
  void deliverQueuedReplies(FeedReceiver* receiver) {
    ASSERT_TRUE(ATOM_FEED_HTTP_GET::waitUntilAllRequestsEnded(std::chrono::seconds(30)));
    receiver->performSelectorOnMainThread_withObject_waitUntilDone(SELECTOR("marker:"), nullptr, false);
    ASSERT_TRUE(moxicam::test::runLoopUntil([&] { return receiver->markerSeen; }));
  }

  objc::AutoreleasePool pool;
};

TEST_F(AtomFeed, EntriesByTitleAndInDocumentOrder) {
  RefPtr<ATOM_FEED> feed = parsed(atomFeed(atomEntry("A", "first") + atomEntry("B", "second") +
                                           atomEntry("A", "third") + atomEntry("Rock &amp; Roll", "x")));
  NSDictionary* entries = feed->feedEntries();
  ASSERT_EQ(entries->count(), 3u);
  EXPECT_EQ(text(static_cast<ATOM_FEED_ITEM*>(entries->objectForKey(NSSTR("A")))->content()), "third");
  // The whole title, entity and all.
  EXPECT_NE(entries->objectForKey(NSSTR("Rock & Roll")), nullptr);
  NSArray* items = feed->newsItems();
  ASSERT_EQ(items->count(), 4u);
  std::vector<std::string> contents;
  for (NSObject* item : *items) contents.push_back(text(static_cast<ATOM_FEED_ITEM*>(item)->content()));
  EXPECT_EQ(contents, (std::vector<std::string>{"first", "second", "third", "x"}));
  EXPECT_EQ(text(feed->titleText()), "Designs");
}

TEST_F(AtomFeed, EntriesWithoutTitleOrContentAreLeftOut) {
  RefPtr<ATOM_FEED> feed = parsed(
      atomFeed("<entry><content>c</content></entry><entry><title>T</title></entry>" + atomEntry("K", "k")));
  EXPECT_EQ(feed->feedEntries()->count(), 1u);
  EXPECT_EQ(feed->newsItems()->count(), 1u);
  RefPtr<ATOM_FEED> noFeed = parsed("<rss><channel/></rss>");
  EXPECT_TRUE(noFeed->hasDocument());
  EXPECT_EQ(noFeed->feedEntries()->count(), 0u);
  EXPECT_EQ(noFeed->newsItems()->count(), 0u);
}

TEST_F(AtomFeed, BreakTagsAndNonBreakingSpacesBecomePlainText) {
  RefPtr<ATOM_FEED> feed =
      parsed(atomFeed(atomEntry("E", "one&amp;nbsp;two&lt;BR /&gt;three<br />four&amp;NBSP;<BR/>five")));
  auto* item = static_cast<ATOM_FEED_ITEM*>(feed->feedEntries()->objectForKey(NSSTR("E")));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(text(item->content()), "one two\nthree\r\nfour \r\nfive");
  EXPECT_EQ(text(ATOM_FEED::stringWith_BR_ElementsConvertedTo_CRLF(NSSTR("a<Br>b&NbSp;c<br />d"))),
            "a\nb c\nd");
  EXPECT_EQ(ATOM_FEED::stringWith_BR_ElementsConvertedTo_CRLF(nullptr), nullptr);
}

TEST_F(AtomFeed, DataThatIsNotXMLFailsTheParse) {
  RefPtr<ATOM_FEED> feed = adopt(static_cast<ATOM_FEED*>(ATOM_FEED::alloc())->initWithURL(nullptr));
  EXPECT_FALSE(feed->setFeedData_throwingExceptions(data("this is { not xml"), false));
  EXPECT_FALSE(feed->setFeedData_throwingExceptions(nullptr, true));
  try {
    feed->setFeedData_throwingExceptions(data("<unclosed>"), true);
    FAIL() << "no exception";
  } catch (const NSException::Raised& raised) {
    EXPECT_EQ(text(raised.exception()->name()), "ATOM_FEED::XMLParseFailed");
    EXPECT_EQ(text(raised.exception()->reason()), "The XML parser could not parse the RSS data.");
  }
}

TEST_F(AtomFeed, ItemsKeepMarkersForMissingTextsThroughAnArchive) {
  ATOM_FEED_ITEM* item = ATOM_FEED_ITEM::atomFeedItemWithTitle_content(nullptr, nullptr);
  EXPECT_EQ(text(item->title()), "<empty title>");
  EXPECT_EQ(text(item->content()), "<empty content>");
  EXPECT_EQ(text(NSString::stringWithFormat(NSSTR("%@"), item)),
            "<ATOM_FEED_ITEM <empty title> content:15 characters>");
  NSDictionary* designs = NSDictionary::dictionaryWithObject_forKey(item, NSSTR("d"));
  NSData* archived = NSDictionary_PropertyListArchiving::propertyListData(designs, NSSTR("k"));
  ASSERT_NE(archived, nullptr);
  auto* back = static_cast<ATOM_FEED_ITEM*>(
      NSDictionary_PropertyListArchiving::dictionaryWithPropertyListData_andKey(archived, NSSTR("k"))
          ->objectForKey(NSSTR("d")));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(text(back->title()), "<empty title>");
  EXPECT_EQ(text(back->content()), "<empty content>");
}

TEST_F(AtomFeed, DownloadsGiveTheirResultOrException) {
  moxicam::test::LoopbackHTTPServer& server = feedServer();
  server.answer("/feed", 200, atomFeed(atomEntry("Studio", "a=1;")));
  server.answer("/moved", 302, "", {"Location: http://blog.example.test/feed"});
  server.answer("/error", 500, "<html>broken</html>");
  server.stall("/stall");
  server.answer("/notxml", 200, "just some text, { not a feed");
  server.answer("/nothing", 200, "");
  server.answer("/huge", 200, std::string((16u << 20) + 1, 'x'));
  const int feedRequestsBefore = server.requestCount("/feed");
  struct Case {
    std::string address;
    std::string exception;  // empty: the feed parses
    std::string reason;     // checked when not empty
  };
  const Case cases[] = {
      {local("/feed"), "", ""},
      {"http://feeds.example.test/moved", "", ""},
      {local("/error"), "ATOM_FEED::DownloadFailed", "HTTP 500"},
      {local("/stall"), "ATOM_FEED::DownloadFailed", ""},
      {local("/notxml"), "ATOM_FEED::XMLParseFailed", ""},
      {local("/nothing"), "ATOM_FEED::NoData", "Unknown error."},
      {local("/huge"), "ATOM_FEED::DownloadFailed", ""},
      {"http://127.0.0.1:1/refused", "ATOM_FEED::DownloadFailed", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    ATOM_FEED* feed = ATOM_FEED::feedWithURL(NSURL::URLWithString(url(c.address)));
    std::string raised;
    std::string reason;
    bool parsed = false;
    try {
      parsed = feed->readRemoteData();
    } catch (const NSException::Raised& exception) {
      raised = text(exception.exception()->name());
      reason = text(exception.exception()->reason());
    }
    EXPECT_EQ(raised, c.exception);
    if (!c.reason.empty()) {
      EXPECT_EQ(reason, c.reason);
    }
    if (c.exception.empty()) {
      EXPECT_TRUE(parsed);
      EXPECT_EQ(feed->feedEntries()->count(), 1u);
    } else {
      ATOM_FEED* quiet = ATOM_FEED::feedWithURL(NSURL::URLWithString(url(c.address)));
      EXPECT_FALSE(quiet->readRemoteDataThrowingExceptions(false));
    }
  }
  EXPECT_EQ(server.requestCount("/feed") - feedRequestsBefore, 2);
}

TEST_F(AtomFeed, BackgroundRequestsReplyOnceOnTheMainThreadOnlyWhenNothingRaised) {
  feedServer().answer("/bg/feed", 200, atomFeed(atomEntry("One", "1")));
  feedServer().answer("/bg/broken", 500, "");
  RefPtr<FeedReceiver> receiver = adopt(static_cast<FeedReceiver*>(FeedReceiver::alloc()->init()));
  ATOM_FEED_HTTP_GET::backgroundGet_replyTarget_replyAction(url(local("/bg/broken")), receiver.get(),
                                                            SELECTOR("feedArrived:"));
  ATOM_FEED_HTTP_GET::backgroundGet_replyTarget_replyAction(url("not a url at all"), receiver.get(),
                                                            SELECTOR("feedArrived:"));
  deliverQueuedReplies(receiver.get());
  EXPECT_EQ(receiver->replies, 0);

  ATOM_FEED_HTTP_GET::backgroundGet_replyTarget_replyAction(url(local("/bg/feed")), receiver.get(),
                                                            SELECTOR("feedArrived:"));
  ASSERT_TRUE(moxicam::test::runLoopUntil([&] { return receiver->replies > 0; }));
  receiver->markerSeen = false;
  deliverQueuedReplies(receiver.get());
  EXPECT_EQ(receiver->replies, 1);
  EXPECT_TRUE(receiver->onMainThread);
  ASSERT_TRUE(receiver->last && receiver->last->atomFeed());
  EXPECT_EQ(receiver->last->atomFeed()->feedEntries()->count(), 1u);
}

TEST_F(AtomFeed, ATargetThatGoesBeforeTheReplyGetsNone) {
  feedServer().answer("/gone/feed", 200, atomFeed(atomEntry("One", "1")));
  RefPtr<FeedReceiver> stays = adopt(static_cast<FeedReceiver*>(FeedReceiver::alloc()->init()));
  {
    RefPtr<FeedReceiver> leaves = adopt(static_cast<FeedReceiver*>(FeedReceiver::alloc()->init()));
    ATOM_FEED_HTTP_GET::backgroundGet_replyTarget_replyAction(url(local("/gone/feed")), leaves.get(),
                                                              SELECTOR("feedArrived:"));
  }
  deliverQueuedReplies(stays.get());
  EXPECT_EQ(stays->replies, 0);
}
