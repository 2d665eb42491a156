#include "NSUIDesignFeed.h"

#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSBundle.h>
#include <Foundation/NSData.h>
#include <Foundation/NSUserDefaults.h>
#include <objc/MethodTable.h>

#include "CoreMachDebug.h"
#include "NSDictionary_PropertyListArchiving.h"
#include "NSUIBookmarksTarget.h"

int import_NSUIDesignFeed() {
  import_NSUIBookmarksTarget();
  import_ATOM_FEED_HTTP_GET();
  import_NSDictionary_PropertyListArchiving();
  return 1;
}

OBJC_CLASS_DEFINE(NSUIDesignFeed)
OBJC_METHODS(NSUIDesignFeed,
             OBJC_METHOD("thread_HTTP_GET_primary_completed:",
                         &NSUIDesignFeed::thread_HTTP_GET_primary_completed),
             OBJC_METHOD("thread_HTTP_GET_secondary_completed:",
                         &NSUIDesignFeed::thread_HTTP_GET_secondary_completed),
             OBJC_METHOD("designDictionaryChanged:", &NSUIDesignFeed::designDictionaryChanged))

namespace {

NSArray* sortedKeys(NSDictionary* dictionary) {
  if (!dictionary) return NSArray::array();
  return dictionary->allKeys()->sortedArrayUsingComparator([](NSObject* a, NSObject* b) {
    return static_cast<NSString*>(a)->caseInsensitiveCompare(static_cast<NSString*>(b));
  });
}

// The entries of a feed that arrived and holds at least one: a failed or empty download
// replaces nothing.
NSDictionary* deliveredEntries(ATOM_FEED_HTTP_GET* request) {
  ATOM_FEED* feed = request ? request->atomFeed() : nullptr;
  if (!feed || !feed->hasDocument()) return nullptr;
  NSDictionary* entries = feed->feedEntries();
  return entries && entries->count() ? entries : nullptr;
}

}  // namespace

NSUIDesignFeed* NSUIDesignFeed::designFeedWithCategory_feedURL_prefsKey_updateURL(NSString* category,
                                                                                  NSString* feedURL,
                                                                                  NSString* prefsKey,
                                                                                  NSString* updateURL) {
  auto* feed = static_cast<NSUIDesignFeed*>(alloc())->initFeedWithCategory_feedURL_prefsKey_updateURL(
      category, feedURL, prefsKey, updateURL);
  return feed ? static_cast<NSUIDesignFeed*>(feed->autorelease()) : nullptr;
}

NSUIDesignFeed* NSUIDesignFeed::designFeedWithCategory_feedURL_prefsKey(NSString* category, NSString* feedURL,
                                                                        NSString* prefsKey) {
  return designFeedWithCategory_feedURL_prefsKey_updateURL(category, feedURL, prefsKey, nullptr);
}

NSUIDesignFeed* NSUIDesignFeed::initFeedWithCategory_feedURL_prefsKey_updateURL(NSString* category,
                                                                                NSString* feedURL,
                                                                                NSString* prefsKey,
                                                                                NSString* updateURL) {
  setCategoryName(category);
  setFeedURL(feedURL);
  setPrefsKey(prefsKey);
  setFeedDesignDictionary(NSDictionary::dictionary());
  setBuiltinDesignDictionary(builtinDesignsWithCategoryName(category));
  if (prefsKey) setFeedDesignDictionary(designsDictionaryFromPrefs(prefsKey));
  setUpdateURL(updateURL);
  return this;
}

NSDictionary* NSUIDesignFeed::mergedDesignDictionary() {
  std::lock_guard<std::recursive_mutex> lock(mLock);
  NSMutableDictionary* merged = NSMutableDictionary::dictionary();
  if (NSDictionary* builtin = builtinDesignDictionary()) merged->addEntriesFromDictionary(builtin);
  if (NSDictionary* feed = feedDesignDictionary()) merged->addEntriesFromDictionary(feed);
  return static_cast<NSDictionary*>(merged->copy()->autorelease());
}

NSDictionary* NSUIDesignFeed::designDictionary() { return mergedDesignDictionary(); }

NSArray* NSUIDesignFeed::designNames() {
  std::lock_guard<std::recursive_mutex> lock(mLock);
  return sortedKeys(designDictionary());
}

NSString* NSUIDesignFeed::feedDesignCodeStringForDesignNamed(NSString* name) {
  if (!name) return nullptr;
  std::lock_guard<std::recursive_mutex> lock(mLock);
  NSDictionary* feed = feedDesignDictionary();
  auto* item = feed ? NSDynamicCast<ATOM_FEED_ITEM>(feed->objectForKey(name)) : nullptr;
  NSString* content = item ? item->content() : nullptr;
  return content ? NSString::stringWithString(content) : nullptr;
}

NSString* NSUIDesignFeed::designCodeStringForDesignNamed(NSString* name) {
  if (NSString* fromFeed = feedDesignCodeStringForDesignNamed(name)) return fromFeed;
  NSDictionary* builtin = builtinDesignDictionary();
  auto* design = builtin && name ? NSDynamicCast<NSDictionary>(builtin->objectForKey(name)) : nullptr;
  if (design) return NSObject_protocol_NSUIBookmarksTarget::scriptFromDictionary(design);
  return NSUIDesignCodes::codeStringFromDictionary(nullptr);
}

NSUIDesignCodes* NSUIDesignFeed::designNamed(NSString* name) {
  return NSUIDesignCodes::codesWithCodeString_title(designCodeStringForDesignNamed(name), name);
}

void NSUIDesignFeed::refreshFeedDictionaryFromWebWithHTTP() {
  ATOM_FEED_HTTP_GET::backgroundGet_replyTarget_replyAction(feedURL(), this,
                                                            SELECTOR("thread_HTTP_GET_primary_completed:"));
}

void NSUIDesignFeed::thread_HTTP_GET_primary_completed(ATOM_FEED_HTTP_GET* request) {
  if (!request) return;
  setHttp_get(request);
  if (NSDictionary* entries = deliveredEntries(request)) setFeedDesignDictionary(entries);
  if (NSString* update = updateURL()) {
    ATOM_FEED_HTTP_GET::backgroundGet_replyTarget_replyAction(
        update, this, SELECTOR("thread_HTTP_GET_secondary_completed:"));
    return;
  }
  designDictionaryChanged(feedURL());
}

void NSUIDesignFeed::thread_HTTP_GET_secondary_completed(ATOM_FEED_HTTP_GET* request) {
  if (!request) return;
  setHttp_get(request);
  if (!request->atomFeed()) return;
  if (NSDictionary* entries = deliveredEntries(request)) updateDesignDictionary(entries);
  designDictionaryChanged(updateURL());
}

void NSUIDesignFeed::updateDesignDictionary(NSObject* update) {
  if (!update) return;
  auto* updateDictionary = NSDynamicCast<NSDictionary>(update);
  // The check's text is part of the report: keep it exactly as written.
  if (!VERIFY(updateDictionary)) return;
  std::lock_guard<std::recursive_mutex> lock(mLock);
  NSMutableDictionary* merged = NSMutableDictionary::dictionary();
  if (NSDictionary* feed = feedDesignDictionary()) merged->addEntriesFromDictionary(feed);
  for (NSObject* name : *updateDictionary) {
    // Only feed items belong in the feed layer.
    if (auto* item = NSDynamicCast<ATOM_FEED_ITEM>(updateDictionary->objectForKey(name))) {
      merged->setObject_forKey(item, name);
    }
  }
  setFeedDesignDictionary(static_cast<NSDictionary*>(merged->copy()->autorelease()));
}

void NSUIDesignFeed::designDictionaryChanged(NSObject* sender) {
  RefPtr<NSObject> told = mDelegate.get();
  if (auto* listener = dynamic_cast<NSUIDesignFeedProtocol*>(told.get())) listener->designFeedUpdated(sender);
}

bool NSUIDesignFeed::saveToUserDefaults() {
  std::lock_guard<std::recursive_mutex> lock(mLock);
  return setPrefsDesignsDictionary_prefsKey(feedDesignDictionary(), prefsKey());
}

NSDictionary* NSUIDesignFeed::builtinDesignsWithCategoryName(NSString* category) {
  NSString* path = NSBundle::mainBundle()->pathForResource_ofType(category, NSSTR("plist"));
  NSDictionary* designs = path ? loadDesignsPropertyListWithURL(NSURL::fileURLWithPath(path)) : nullptr;
  return designs ? designs : NSDictionary::dictionary();
}

NSDictionary* NSUIDesignFeed::loadDesignsPropertyListWithURL(NSURL* url) {
  NSData* data = url ? NSData::dataWithContentsOfURL(url) : nullptr;
  if (!data) return NSDictionary::dictionary();
  return NSDictionary_PropertyListArchiving::dictionaryWithPropertyListData(data);
}

bool NSUIDesignFeed::saveDesigns_propertyListWithURL(NSDictionary* designs, NSURL* url) {
  if (!designs || !url) return false;
  NSData* data = NSDictionary_PropertyListArchiving::propertyListData(designs);
  return data && data->writeToURL_atomically(url, true);
}

NSDictionary* NSUIDesignFeed::designsDictionaryFromPrefs(NSString* key) {
  if (!key) return NSDictionary::dictionary();
  NSData* data = NSUserDefaults::standardUserDefaults()->dataForKey(key);
  if (!data) return NSDictionary::dictionary();
  return NSDictionary_PropertyListArchiving::dictionaryWithPropertyListData_andKey(data, key);
}

bool NSUIDesignFeed::setPrefsDesignsDictionary_prefsKey(NSDictionary* designs, NSString* key) {
  if (!designs || !key) return false;
  NSData* data = NSDictionary_PropertyListArchiving::propertyListData(designs, key);
  if (!data) return false;
  NSUserDefaults::standardUserDefaults()->setObject_forKey(data, key);
  return true;
}

NSString* NSUIDesignFeed::description() const {
  NSUIDesignFeed* self = const_cast<NSUIDesignFeed*>(this);
  return NSString::stringWithFormat(NSSTR("<%@ name:%@ url:%@ (designDictionary: %d items)>"),
                                    NSString::stringWithUTF8String(className()), categoryName(), feedURL(),
                                    int(self->designDictionary()->count()));
}

const __CFString* NSUIDesignFeed::copyDescription() const {
  return CFStringCreateCopy(nullptr, description()->cfString());
}
