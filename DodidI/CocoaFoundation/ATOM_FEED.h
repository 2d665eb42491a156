#pragma once
// An Atom feed read from the web: downloaded synchronously, parsed into an XML tree and read
// for its entries, each entry's title naming an item whose content is the entry's text.
//
// Exceptions (only when asked for): "ATOM_FEED::DownloadFailed" (the reason is why),
// "ATOM_FEED::NoData" ("Unknown error.") and "ATOM_FEED::XMLParseFailed" ("The XML parser
// could not parse the RSS data.").
//
// The parse takes no document type, no external entity and nothing from the network, so a
// feed's text is only ever its own text.
#include <CoreFoundation/CFXMLNode.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSData.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <Foundation/NSURL.h>

#include <mutex>

#include "ATOM_FEED_ITEM.h"
#include "UAtomicProperty.h"

int import_ATOM_FEED();

class ATOM_FEED : public NSObject {
  OBJC_CLASS_DECL(ATOM_FEED, NSObject)

 public:
  // Autoreleased.
  static ATOM_FEED* feedWithURL(NSURL* url);
  ATOM_FEED* initWithURL(NSURL* url);

  // Downloads and parses; YES when a tree was made. Without exceptions every failure answers
  // NO; a failed load that still delivered data goes on to the parse.
  bool readRemoteDataThrowingExceptions(bool throwing);
  bool readRemoteData() { return readRemoteDataThrowingExceptions(true); }
  // Parses the data; YES when a tree was made.
  bool setFeedData_throwingExceptions(NSData* data, bool throwing);
  // Whether a tree was made.
  bool hasDocument() const;

  // Entry title to item (of two entries with one title, the later wins); empty when there is
  // no feed.
  NSDictionary* feedEntries() const;
  // The items in document order.
  NSArray* newsItems() const;
  // The text of the feed's own title, or null.
  NSString* titleText() const;

  // "&nbsp;" becomes a space, "<br />" and "<br>" a line feed, case ignored; null stays null.
  static NSString* stringWith_BR_ElementsConvertedTo_CRLF(NSString* text);

  NSURL* url() const { return mURL.get(); }
  void setURL(NSURL* url) { mURL.set(url); }

 protected:
  ATOM_FEED() = default;
  ~ATOM_FEED() override;

 private:
  // Visits each entry with a title and a content, in document order.
  template <class Visit>
  bool visitEntries(Visit visit) const;

  UAtomicProperty<NSURL> mURL;
  mutable std::mutex mDocumentLock;
  CFXMLTreeRef mDocument = nullptr;
};
