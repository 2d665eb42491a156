#include "ATOM_FEED_ITEM.h"

#include <Foundation/NSBridging.h>
#include <Foundation/NSKeyValueCoding.h>

#include "NSDictionary_PropertyListArchiving.h"

int import_ATOM_FEED_ITEM() {
  import_NSDictionary_PropertyListArchiving();
  return 1;
}

OBJC_CLASS_DEFINE(ATOM_FEED_ITEM)
NS_PROPERTIES(ATOM_FEED_ITEM, NS_PROPERTY("title", &ATOM_FEED_ITEM::title, &ATOM_FEED_ITEM::setTitle),
              NS_PROPERTY("content", &ATOM_FEED_ITEM::content, &ATOM_FEED_ITEM::setContent))

namespace {

// Saved designs are archives of items: the archive reader must be allowed to make them.
[[maybe_unused]] const bool sAllowedInArchives =
    (NSDictionary_PropertyListArchiving::allowClassInArchives(ATOM_FEED_ITEM::class_()), true);

NSString* copied(NSString* text, NSString* ifNull) {
  return text ? NSString::stringWithString(text) : ifNull;
}

}  // namespace

ATOM_FEED_ITEM* ATOM_FEED_ITEM::atomFeedItemWithTitle_content(NSString* title, NSString* content) {
  ATOM_FEED_ITEM* item = static_cast<ATOM_FEED_ITEM*>(alloc())->initWithTitle_content(title, content);
  return item ? static_cast<ATOM_FEED_ITEM*>(item->autorelease()) : nullptr;
}

ATOM_FEED_ITEM* ATOM_FEED_ITEM::initWithTitle_content(NSString* title, NSString* content) {
  setTitle(title);
  setContent(content);
  return this;
}

void ATOM_FEED_ITEM::setTitle(NSString* title) { mTitle.set(copied(title, NSSTR("<empty title>"))); }

void ATOM_FEED_ITEM::setContent(NSString* content) {
  mContent.set(copied(content, NSSTR("<empty content>")));
}

void ATOM_FEED_ITEM::encodeWithCoder(NSCoder* coder) {
  coder->encodeObject_forKey(title(), NSSTR("atom_feed_entry_title"));
  coder->encodeObject_forKey(content(), NSSTR("atom_feed_entry_content"));
}

NSObject* ATOM_FEED_ITEM::initWithCoder(NSCoder* coder) {
  // Only texts are taken from an archive; anything else reads as missing.
  auto* title = NSDynamicCast<NSString>(
      coder->decodeObjectOfClass_forKey(NSString::class_(), NSSTR("atom_feed_entry_title")));
  auto* content = NSDynamicCast<NSString>(
      coder->decodeObjectOfClass_forKey(NSString::class_(), NSSTR("atom_feed_entry_content")));
  return initWithTitle_content(title, content);
}

NSString* ATOM_FEED_ITEM::description() const {
  return NSString::stringWithFormat(NSSTR("<%@ %@ content:%ld characters>"),
                                    NSString::stringWithUTF8String(className()), title(),
                                    long(content()->length()));
}

const __CFString* ATOM_FEED_ITEM::copyDescription() const {
  return CFStringCreateCopy(nullptr, description()->cfString());
}
