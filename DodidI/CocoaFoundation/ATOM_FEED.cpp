#include "ATOM_FEED.h"

#include <CoreFoundation/CFXMLParser.h>
#include <Foundation/NSException.h>
#include <Foundation/NSString+Values.h>
#include <Foundation/NSURLHandle.h>

#include "CoreMachDebug.h"
#include "CoreXMLTree.h"

int import_ATOM_FEED() {
  import_ATOM_FEED_ITEM();
  return 1;
}

OBJC_CLASS_DEFINE(ATOM_FEED)

namespace {

// The flattened text of the entry's first child element of that name; null without one.
NSString* childText(const CoreXMLTree& entry, const char* name) {
  if (!entry.HasChildElement(name)) return nullptr;
  CFMutableStringRef text = entry.GetElementEntityText(name);
  if (!text) return nullptr;
  objc_autorelease(text);
  return toNSString(text);
}

}  // namespace

ATOM_FEED* ATOM_FEED::feedWithURL(NSURL* url) {
  ATOM_FEED* feed = static_cast<ATOM_FEED*>(alloc())->initWithURL(url);
  return feed ? static_cast<ATOM_FEED*>(feed->autorelease()) : nullptr;
}

ATOM_FEED* ATOM_FEED::initWithURL(NSURL* url) {
  setURL(url);
  return this;
}

ATOM_FEED::~ATOM_FEED() {
  if (mDocument) CFRelease(mDocument);
}

bool ATOM_FEED::readRemoteDataThrowingExceptions(bool throwing) {
  NSURL* address = url();
  if (!address) return false;
  NSURLHandle* handle = address->URLHandleUsingCache(false);
  if (!handle) return false;
  NSData* data = handle->resourceData();
  NSURLHandleStatus status = handle->status();
  if (throwing && status == NSURLHandleLoadFailed) {
    NSException::exceptionWithName_reason_userInfo(NSSTR("ATOM_FEED::DownloadFailed"),
                                                   handle->failureReason(), nullptr)
        ->raise();
  }
  if (throwing && !data) {
    NSException::exceptionWithName_reason_userInfo(NSSTR("ATOM_FEED::NoData"), NSSTR("Unknown error."),
                                                   nullptr)
        ->raise();
  }
  return setFeedData_throwingExceptions(data, throwing);
}

bool ATOM_FEED::setFeedData_throwingExceptions(NSData* data, bool throwing) {
  if (!data) return false;
  CFXMLTreeRef tree =
      CFXMLTreeCreateFromData(kCFAllocatorDefault, data->cfData(), nullptr, kCFXMLParserSkipWhitespace, 1);
  {
    std::lock_guard<std::mutex> lock(mDocumentLock);
    if (mDocument) CFRelease(mDocument);
    mDocument = tree;
  }
  if (tree) return true;
  if (throwing) {
    NSException::exceptionWithName_reason_userInfo(
        NSSTR("ATOM_FEED::XMLParseFailed"), NSSTR("The XML parser could not parse the RSS data."), nullptr)
        ->raise();
  }
  return false;
}

bool ATOM_FEED::hasDocument() const {
  std::lock_guard<std::mutex> lock(mDocumentLock);
  return mDocument != nullptr;
}

template <class Visit>
bool ATOM_FEED::visitEntries(Visit visit) const {
  std::lock_guard<std::mutex> lock(mDocumentLock);
  CoreXMLTree document(mDocument);
  CoreXMLTree feed = mDocument ? document.GetChildElement("feed") : CoreXMLTree();
  if (!feed.IsValid()) return false;
  UInt32 count = feed.GetChildElementCount("entry");
  for (UInt32 i = 0; i < count; ++i) {
    CoreXMLTree entry = feed.GetChildElement("entry", CFIndex(i));
    // The whole text of the title: "Rock &amp; Roll" is one title, not "Rock ".
    NSString* title = childText(entry, "title");
    if (!title) continue;
    NSString* content = stringWith_BR_ElementsConvertedTo_CRLF(childText(entry, "content"));
    if (!content) continue;
    visit(ATOM_FEED_ITEM::atomFeedItemWithTitle_content(title, content));
  }
  return true;
}

NSDictionary* ATOM_FEED::feedEntries() const {
  NSMutableDictionary* entries = NSMutableDictionary::dictionary();
  visitEntries([&](ATOM_FEED_ITEM* item) { entries->setObject_forKey(item, item->title()); });
  return static_cast<NSDictionary*>(entries->copy()->autorelease());
}

NSArray* ATOM_FEED::newsItems() const {
  NSMutableArray* items = NSMutableArray::array();
  if (!visitEntries([&](ATOM_FEED_ITEM* item) { items->addObject(item); })) {
    // The check's text is part of the report: it names the feed as the original walk did.
    _CoreMachDebugVerifyBody("-[ATOM_FEED newsItems]", "ATOM_FEED", __LINE__, " code : atomFeed.IsValid()");
  }
  return static_cast<NSArray*>(items->copy()->autorelease());
}

NSString* ATOM_FEED::titleText() const {
  std::lock_guard<std::mutex> lock(mDocumentLock);
  if (!mDocument) return nullptr;
  CoreXMLTree feed = CoreXMLTree(mDocument).GetChildElement("feed");
  if (!feed.IsValid()) return nullptr;
  return childText(feed, "title");
}

NSString* ATOM_FEED::stringWith_BR_ElementsConvertedTo_CRLF(NSString* text) {
  if (!text) return nullptr;
  NSMutableString* converted = NSMutableString::string();
  converted->setString(text);
  const std::pair<NSString*, NSString*> replacements[] = {
      {NSSTR("&nbsp;"), NSSTR(" ")}, {NSSTR("<br />"), NSSTR("\n")}, {NSSTR("<br>"), NSSTR("\n")}};
  for (const auto& [target, replacement] : replacements) {
    NSStringValues::replaceOccurrencesOfString_withString_options_range(
        converted, target, replacement, NSCaseInsensitiveSearch | NSLiteralSearch,
        NSMakeRange(0, converted->length()));
  }
  return NSString::stringWithString(converted);
}
