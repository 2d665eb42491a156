#include "NSUIDesignFeed.h"

#include <AppKit/NSMenu.h>
#include <AtomFeedServer.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSBundle.h>
#include <Foundation/NSUserDefaults.h>
#include <RunLoopUntil.h>
#include <TemporaryRoot.h>
#include <gtest/gtest.h>
#include <objc/MethodTable.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "NSDictionary_PropertyListArchiving.h"
#include "NSUIDesignFeedMenu.h"
#include "UBloggerFeedData.h"

const char* g_CoreMachDebug_LogPrefix = "DesignFeedTest";
const char* g_CoreMachDebug_LogFileName = "DesignFeedTest.log";

using moxicam::test::atomEntry;
using moxicam::test::atomFeed;
using moxicam::test::feedServer;

namespace {

std::string text(NSObject* value) {
  auto* string = NSDynamicCast<NSString>(value);
  return string ? string->UTF8String() : "(nil)";
}

NSString* ns(const std::string& value) { return NSString::stringWithUTF8String(value.c_str()); }

std::string local(const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(feedServer().port()) + path;
}

std::vector<std::string> strings(NSArray* array) {
  std::vector<std::string> out;
  for (NSObject* value : *array) out.push_back(text(value));
  return out;
}

// A built-in design file beside the test program, as the bundle's resources hold them.
class BuiltinFile {
 public:
  BuiltinFile(const std::string& category, NSDictionary* designs)
      : mPath(std::string(NSBundle::mainBundle()->resourcePath()->UTF8String()) + "/" + category + ".plist") {
    NSData* data = NSDictionary_PropertyListArchiving::propertyListData(designs);
    data->writeToFile_atomically(ns(mPath), true);
  }
  ~BuiltinFile() { std::remove(mPath.c_str()); }

 private:
  std::string mPath;
};

std::string uniqueCategory(const char* stem) { return std::string(stem) + std::to_string(::getpid()); }

}  // namespace

// Hears the feed's updates and collects the menu's picks.
class FeedWatcher : public NSObject, public NSUIDesignFeedProtocol {
  OBJC_CLASS_DECL(FeedWatcher, NSObject)

 public:
  void designFeedUpdated(NSObject* sender) override {
    ++updates;
    lastSender = text(sender);
  }
  void pick(NSObject*) {}
  void marker(NSObject*) { markerSeen = true; }

  int updates = 0;
  bool markerSeen = false;
  std::string lastSender;
};
OBJC_CLASS_DEFINE(FeedWatcher)
OBJC_METHODS(FeedWatcher, OBJC_METHOD("pick:", &FeedWatcher::pick),
             OBJC_METHOD("marker:", &FeedWatcher::marker))

// Leaves out designs that need a later program version than 10.9.
class VersionFilteredMenu : public NSUIDesignFeedMenu, public NSUIDesignFeedMenuFilter {
  OBJC_CLASS_DECL(VersionFilteredMenu, NSUIDesignFeedMenu)

 public:
  bool shouldFilterDesign(NSUIDesignCodes* design) override {
    return design->isVersionRequiredAndNotMet_versionStringValue(NSSTR("version"), NSSTR("10.9"));
  }
};
OBJC_CLASS_DEFINE(VersionFilteredMenu)

struct DesignFeed : ::testing::Test {
  DesignFeed() { NSUserDefaults::resetStandardUserDefaults(); }
  ~DesignFeed() override {
    EXPECT_TRUE(ATOM_FEED_HTTP_GET::waitUntilAllRequestsEnded(std::chrono::seconds(30)));
    NSUserDefaults::resetStandardUserDefaults();
  }

  RefPtr<NSUIDesignFeed> feed(const std::string& url, NSString* prefsKey = nullptr,
                              NSString* updateURL = nullptr, NSString* category = NSSTR("NoSuchCategory")) {
    RefPtr<NSUIDesignFeed> made(NSUIDesignFeed::designFeedWithCategory_feedURL_prefsKey_updateURL(
        category, ns(url), prefsKey, updateURL));
    made->setDelegate(watcher.get());
    return made;
  }
  // Refreshes and waits for the delegate to hear of it.
  void refresh(NSUIDesignFeed* designs) {
    int before = watcher->updates;
    designs->refreshFeedDictionaryFromWebWithHTTP();
    ASSERT_TRUE(moxicam::test::runLoopUntil([&] { return watcher->updates > before; }));
  }
  // Refreshes a feed that will not reply: once its request has ended, a marker queued for the
  // main thread arrives after any reply it might have sent.
  void refreshWithoutReply(NSUIDesignFeed* designs) {
    int before = watcher->updates;
    designs->refreshFeedDictionaryFromWebWithHTTP();
    ASSERT_TRUE(ATOM_FEED_HTTP_GET::waitUntilAllRequestsEnded(std::chrono::seconds(30)));
    watcher->markerSeen = false;
    watcher->performSelectorOnMainThread_withObject_waitUntilDone(SELECTOR("marker:"), nullptr, false);
    ASSERT_TRUE(moxicam::test::runLoopUntil([&] { return watcher->markerSeen; }));
    EXPECT_EQ(watcher->updates, before);
  }

  moxicam::test::TemporaryRoot root;
  objc::AutoreleasePool pool;
  RefPtr<FeedWatcher> watcher = adopt(static_cast<FeedWatcher*>(FeedWatcher::alloc()->init()));
};

TEST(UBloggerFeedData, BuildsTheFeedURLsOfABlog) {
  objc::AutoreleasePool pool;
  UBloggerFeedData::setDeploymentHosts(NSSTR("blog.example.test"), NSSTR("feeds.example.test"));
  UBloggerFeedData* blog = UBloggerFeedData::bloggerFeedDataWithBlogspotSubDomain(NSSTR("moxi"));
  EXPECT_EQ(text(blog->blogspotURL()), "http://moxi.blog.example.test/");
  EXPECT_EQ(text(blog->atomFeedURLWithOneLabel(NSSTR("ui"))),
            "http://moxi.blog.example.test/feeds/posts/default/-/ui?max-results=1000");
  NSArray* labels = NSArray::arrayWithObjects({NSSTR("x"), NSSTR("y")});
  EXPECT_EQ(text(UBloggerFeedData::blogspotQueryStringForLabels(labels)), "x/y");
  EXPECT_EQ(text(UBloggerFeedData::blogspotQueryStringForLabels(NSArray::array())), "");
  EXPECT_EQ(text(blog->blogspotAtomFeedURLWithLabels(labels)),
            "http://moxi.blog.example.test/feeds/posts/default/-/x/y?max-results=1000");
  blog->setFeedburnerWithSameLabel(true);
  EXPECT_EQ(text(blog->atomFeedURLWithOneLabel(NSSTR("ui"))), "http://feeds.example.test/ui");
}

TEST_F(DesignFeed, FeedDesignsOverlayBuiltinOnesAndUnknownNamesAreEmptyDesigns) {
  std::string category = uniqueCategory("DesignFeedBuiltins");
  BuiltinFile builtins(category, NSDictionary::dictionaryWithObjects_forKeys(
                                     {NSDictionary::dictionaryWithObject_forKey(NSSTR("1"), NSSTR("b.key")),
                                      NSDictionary::dictionaryWithObject_forKey(NSSTR("2"), NSSTR("a.key"))},
                                     {NSSTR("B"), NSSTR("A")}));
  RefPtr<NSUIDesignFeed> designs = feed(local("/none"), nullptr, nullptr, ns(category));
  designs->setFeedDesignDictionary(NSDictionary::dictionaryWithObject_forKey(
      ATOM_FEED_ITEM::atomFeedItemWithTitle_content(NSSTR("A"), NSSTR("from=feed;")), NSSTR("A")));
  EXPECT_EQ(text(designs->designCodeStringForDesignNamed(NSSTR("A"))), "from=feed;");
  EXPECT_EQ(text(designs->designCodeStringForDesignNamed(NSSTR("B"))),
            "com.quillfen.bookmark.begin;\r\nb.key=1;\r\ncom.quillfen.bookmark.end;\r\n");
  EXPECT_EQ(text(designs->designCodeStringForDesignNamed(NSSTR("Z"))),
            "com.quillfen.bookmark.begin;\r\ncom.quillfen.bookmark.end;\r\n");
  EXPECT_EQ(designs->feedDesignCodeStringForDesignNamed(NSSTR("B")), nullptr);
  EXPECT_EQ(strings(designs->designNames()), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(text(designs->designNamed(NSSTR("B"))->title()), "B");
}

TEST_F(DesignFeed, RefreshReplacesTheFeedLayerAndFailuresKeepWhatWasDownloaded) {
  moxicam::test::LoopbackHTTPServer& server = feedServer();
  server.answer("/designs", 200,
                atomFeed(atomEntry("Studio", "light=on;") + atomEntry("Night", "light=off;")));
  server.answer("/designs/moved", 302, "", {"Location: http://blog.example.test/designs"});
  RefPtr<NSUIDesignFeed> designs =
      feed("http://feeds.example.test/designs/moved", NSSTR("DesignFeedTestKey"));
  refresh(designs.get());
  EXPECT_EQ(strings(designs->designNames()), (std::vector<std::string>{"Night", "Studio"}));
  EXPECT_EQ(watcher->lastSender, "http://feeds.example.test/designs/moved");
  ASSERT_TRUE(designs->saveToUserDefaults());

  server.answer("/broken", 500, "<html/>");
  server.stall("/stalled");
  server.answer("/notxml", 200, "{ not xml");
  server.answer("/emptybody", 200, "");
  server.answer("/nofeed", 200, "<html><body>maintenance</body></html>");
  server.answer("/noentries", 200, atomFeed(""));
  for (const char* path : {"/broken", "/stalled", "/notxml", "/emptybody", "/nofeed", "/noentries"}) {
    SCOPED_TRACE(path);
    designs->setFeedURL(ns(local(path)));
    bool replies = std::string(path) == "/nofeed" || std::string(path) == "/noentries";
    if (replies) {
      refresh(designs.get());
    } else {
      refreshWithoutReply(designs.get());
    }
    EXPECT_EQ(strings(designs->designNames()), (std::vector<std::string>{"Night", "Studio"}));
    ASSERT_TRUE(designs->saveToUserDefaults());
    NSUserDefaults::resetStandardUserDefaults();
    RefPtr<NSUIDesignFeed> restored = feed(local(path), NSSTR("DesignFeedTestKey"));
    EXPECT_EQ(text(restored->designCodeStringForDesignNamed(NSSTR("Studio"))), "light=on;");
  }
}

TEST_F(DesignFeed, AnUpdateFeedMergesItemsWithoutFreezingBuiltinDesigns) {
  std::string category = uniqueCategory("DesignFeedUpdateBuiltins");
  BuiltinFile builtins(
      category, NSDictionary::dictionaryWithObject_forKey(
                    NSDictionary::dictionaryWithObject_forKey(NSSTR("1"), NSSTR("k")), NSSTR("Builtin")));
  feedServer().answer("/primary", 200, atomFeed(atomEntry("Studio", "a=1;")));
  feedServer().answer("/update", 200, atomFeed(atomEntry("Studio", "a=2;") + atomEntry("Stage", "b=1;")));
  RefPtr<NSUIDesignFeed> designs = feed(local("/primary"), nullptr, ns(local("/update")), ns(category));
  refresh(designs.get());
  EXPECT_EQ(watcher->lastSender, local("/update"));
  EXPECT_EQ(strings(designs->designNames()), (std::vector<std::string>{"Builtin", "Stage", "Studio"}));
  EXPECT_EQ(text(designs->designCodeStringForDesignNamed(NSSTR("Studio"))), "a=2;");
  // The feed layer, and so the saved copy, holds feed items only.
  EXPECT_EQ(designs->feedDesignDictionary()->count(), 2u);
  for (NSObject* name : *designs->feedDesignDictionary()) {
    EXPECT_NE(NSDynamicCast<ATOM_FEED_ITEM>(designs->feedDesignDictionary()->objectForKey(name)), nullptr);
  }
}

TEST_F(DesignFeed, SavedCopiesAndDesignFilesReadBackAndBadDataReadsAsNone) {
  NSDictionary* designs = NSDictionary::dictionaryWithObject_forKey(
      ATOM_FEED_ITEM::atomFeedItemWithTitle_content(NSSTR("S"), NSSTR("x=1;")), NSSTR("S"));
  EXPECT_TRUE(NSUIDesignFeed::setPrefsDesignsDictionary_prefsKey(designs, NSSTR("SavedDesigns")));
  EXPECT_TRUE(NSUIDesignFeed::designsDictionaryFromPrefs(NSSTR("SavedDesigns"))->isEqual(designs) ||
              NSUIDesignFeed::designsDictionaryFromPrefs(NSSTR("SavedDesigns"))->count() == 1);
  EXPECT_EQ(NSUIDesignFeed::designsDictionaryFromPrefs(nullptr)->count(), 0u);
  EXPECT_EQ(NSUIDesignFeed::designsDictionaryFromPrefs(NSSTR("NothingStored"))->count(), 0u);
  NSUserDefaults::standardUserDefaults()->setObject_forKey(NSData::dataWithBytes_length("junk", 4),
                                                           NSSTR("Junk"));
  EXPECT_EQ(NSUIDesignFeed::designsDictionaryFromPrefs(NSSTR("Junk")), nullptr);
  EXPECT_FALSE(NSUIDesignFeed::setPrefsDesignsDictionary_prefsKey(nullptr, NSSTR("k")));

  NSURL* file = NSURL::fileURLWithPath(ns(root.path() + "/designs.plist"));
  EXPECT_TRUE(NSUIDesignFeed::saveDesigns_propertyListWithURL(designs, file));
  EXPECT_EQ(NSUIDesignFeed::loadDesignsPropertyListWithURL(file)->count(), 1u);
  EXPECT_EQ(NSUIDesignFeed::loadDesignsPropertyListWithURL(NSURL::fileURLWithPath(ns(root.path() + "/none")))
                ->count(),
            0u);
  root.writeFile("bad.plist", "not an archive");
  EXPECT_EQ(
      NSUIDesignFeed::loadDesignsPropertyListWithURL(NSURL::fileURLWithPath(ns(root.path() + "/bad.plist"))),
      nullptr);
  EXPECT_FALSE(NSUIDesignFeed::saveDesigns_propertyListWithURL(nullptr, file));
}

TEST_F(DesignFeed, TheMenuKeepsTheSortedNamesBetweenItsSeparators) {
  RefPtr<NSMenu> menu = adopt(static_cast<NSMenu*>(NSMenu::alloc()->initWithTitle(NSSTR("Designs"))));
  for (const char* title : {"Refresh", "Reset", "Other"}) {
    menu->addItemWithTitle_action_keyEquivalent(ns(title), nullptr, NSString::string());
  }
  menu->addItem(NSMenuItem::separatorItem());  // index 3
  for (const char* title : {"old 1", "old 2", "old 3"}) {
    menu->addItemWithTitle_action_keyEquivalent(ns(title), nullptr, NSString::string());
  }
  menu->addItem(NSMenuItem::separatorItem());  // index 7
  menu->addItemWithTitle_action_keyEquivalent(NSSTR("Last"), nullptr, NSString::string());

  RefPtr<NSUIDesignFeedMenu> designs(NSUIDesignFeedMenu::designFeedMenuWithCategory_feedURL_prefsKey(
      NSSTR("NoSuchCategory"), NSSTR("x"), nullptr));
  designs->setFeedDesignDictionary(NSDictionary::dictionaryWithObjects_forKeys(
      {ATOM_FEED_ITEM::atomFeedItemWithTitle_content(NSSTR("b"), NSSTR("")),
       ATOM_FEED_ITEM::atomFeedItemWithTitle_content(NSSTR("A"), NSSTR("")),
       ATOM_FEED_ITEM::atomFeedItemWithTitle_content(NSSTR("c"), NSSTR(""))},
      {NSSTR("b"), NSSTR("A"), NSSTR("c")}));
  NSMenuItem* from = menu->itemAtIndex(3);
  NSMenuItem* to = menu->itemAtIndex(7);
  EXPECT_FALSE(designs->setDesignMenuFromSeparator_toSeparator_withTarget_withAction(from, to, watcher.get(),
                                                                                     nullptr));
  EXPECT_EQ(designs->fromMenuSeparator(), nullptr);
  ASSERT_TRUE(designs->refreshDesignMenuFromSeparator_toSeparator_withTarget_withAction(
      from, to, watcher.get(), SELECTOR("pick:")));
  std::vector<std::string> titles;
  for (NSObject* item : *menu->itemArray()) titles.push_back(text(static_cast<NSMenuItem*>(item)->title()));
  EXPECT_EQ(titles, (std::vector<std::string>{"Refresh", "Reset", "Other", "", "A", "b", "c", "", "Last"}));
  EXPECT_EQ(menu->indexOfItem(to), 7);
  EXPECT_EQ(menu->itemAtIndex(4)->target(), watcher.get());
  EXPECT_EQ(menu->itemAtIndex(4)->action(), SELECTOR("pick:"));
  EXPECT_FALSE(designs->setDesignMenuFromSeparator_toSeparator_withTarget_withAction(from, to, watcher.get(),
                                                                                     nullptr));
  EXPECT_EQ(designs->menuAction(), SELECTOR("pick:"));
}

TEST_F(DesignFeed, ARequirementFilterComparesVersionsAsNumbers) {
  RefPtr<VersionFilteredMenu> designs(
      NSUIDesignFeedMenu::designFeedMenuWithCategory_feedURL_prefsKey_updateURL<VersionFilteredMenu>(
          NSSTR("NoSuchCategory"), NSSTR("x"), nullptr, nullptr));
  designs->setFeedDesignDictionary(NSDictionary::dictionaryWithObjects_forKeys(
      {ATOM_FEED_ITEM::atomFeedItemWithTitle_content(NSSTR("Old"), NSSTR("version=9.0;")),
       ATOM_FEED_ITEM::atomFeedItemWithTitle_content(NSSTR("New"), NSSTR("version=10.10;"))},
      {NSSTR("Old"), NSSTR("New")}));
  EXPECT_EQ(strings(designs->filteredDesignNames()), (std::vector<std::string>{"New", "Old"}));
  designs->setFilterDesignsByRequirements(true);
  EXPECT_EQ(strings(designs->filteredDesignNames()), (std::vector<std::string>{"Old"}));
  EXPECT_EQ(designs->designDictionary()->count(), 1u);
}
