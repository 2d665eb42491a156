#pragma once
// One entry of an Atom feed: its title and its content (a design's name and code string).
// Items can be archived (keys "atom_feed_entry_title" and "atom_feed_entry_content"), so that
// fetched designs are kept in the user defaults.
#include <Foundation/NSCoder.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include "UAtomicProperty.h"

int import_ATOM_FEED_ITEM();

class ATOM_FEED_ITEM : public NSObject, public NSCoding {
  OBJC_CLASS_DECL(ATOM_FEED_ITEM, NSObject)

 public:
  // Autoreleased.
  static ATOM_FEED_ITEM* atomFeedItemWithTitle_content(NSString* title, NSString* content);
  ATOM_FEED_ITEM* initWithTitle_content(NSString* title, NSString* content);

  // Never null: a null title reads "<empty title>", a null content "<empty content>".
  NSString* title() const { return mTitle.get(); }
  void setTitle(NSString* title);
  NSString* content() const { return mContent.get(); }
  void setContent(NSString* content);

  void encodeWithCoder(NSCoder* coder) override;
  NSObject* initWithCoder(NSCoder* coder) override;

  // "<ATOM_FEED_ITEM title content:N characters>".
  NSString* description() const;
  const __CFString* copyDescription() const override;

 protected:
  ATOM_FEED_ITEM() = default;

 private:
  UAtomicProperty<NSString> mTitle;
  UAtomicProperty<NSString> mContent;
};
