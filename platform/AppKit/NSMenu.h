#pragma once
// Menus: an ordered list of items (kept by the menu). Menus are not drawn here; their items
// are chosen by code (performActionForItemAtIndex) and pop-up buttons. From a nib: "title"
// and "items" (an array of NSMenuItem).
#include <vector>

#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <objc/Selector.h>
#include <objc/WeakPtr.h>

#include <AppKit/AppKitDefines.h>

class NSArray;
class NSCoder;
class NSMenuItem;

APPKIT_EXPORT NSString* const NSMenuDidChangeItemNotification;
APPKIT_EXPORT NSString* const NSMenuDidAddItemNotification;
APPKIT_EXPORT NSString* const NSMenuDidRemoveItemNotification;

class APPKIT_CLASS NSMenu : public NSObject {
  OBJC_CLASS_DECL(NSMenu, NSObject)

 public:
  NSObject* init() override { return initWithTitle(NSString::string()); }
  virtual NSMenu* initWithTitle(NSString* title);
  NSObject* initWithCoder(NSCoder* coder) override;

  NSString* title() const { return mTitle.get(); }
  void setTitle(NSString* title);
  NSMenu* supermenu() const { return mSupermenu.get().get(); }
  APPKIT_PRIVATE void setSupermenu(NSMenu* menu) { mSupermenu = menu; }

  // Autoreleased copy of the items.
  NSArray* itemArray() const;
  NSInteger numberOfItems() const { return NSInteger(mItems.size()); }
  // Null for an index outside the menu.
  NSMenuItem* itemAtIndex(NSInteger index) const;
  NSMenuItem* itemWithTitle(NSString* title) const;
  NSMenuItem* itemWithTag(NSInteger tag) const;
  NSInteger indexOfItem(const NSMenuItem* item) const;
  NSInteger indexOfItemWithTitle(NSString* title) const;
  NSInteger indexOfItemWithTag(NSInteger tag) const;

  void addItem(NSMenuItem* item);
  void insertItem_atIndex(NSMenuItem* item, NSInteger index);
  // The new item (borrowed from the menu).
  NSMenuItem* addItemWithTitle_action_keyEquivalent(NSString* title, SEL action, NSString* keyEquivalent);
  NSMenuItem* insertItemWithTitle_action_keyEquivalent_atIndex(NSString* title, SEL action, NSString* keyEquivalent,
                                                              NSInteger index);
  // Removing at an index outside the menu raises NSRangeException, as on the platform.
  void removeItemAtIndex(NSInteger index);
  void removeItem(NSMenuItem* item);
  void removeAllItems();

  // Sends the item's action to its target (through the responder chain when it has none).
  void performActionForItemAtIndex(NSInteger index);

 protected:
  NSMenu() = default;
  ~NSMenu() override;

 private:
  void postItemNotification(NSString* name, NSInteger index);

  RefPtr<NSString> mTitle;
  std::vector<RefPtr<NSMenuItem>> mItems;
  WeakPtr<NSMenu> mSupermenu;
};
