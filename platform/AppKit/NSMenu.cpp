#include <AppKit/NSMenu.h>

#include <AppKit/NSApplication.h>
#include <AppKit/NSMenuItem.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSCoder.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSException.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSNotificationCenter.h>
#include <Foundation/NSValue.h>

NSString* const NSMenuDidChangeItemNotification = NSSTR("NSMenuDidChangeItemNotification");
NSString* const NSMenuDidAddItemNotification = NSSTR("NSMenuDidAddItemNotification");
NSString* const NSMenuDidRemoveItemNotification = NSSTR("NSMenuDidRemoveItemNotification");

OBJC_CLASS_DEFINE(NSMenu)
NS_PROPERTIES(NSMenu, NS_PROPERTY("title", &NSMenu::title, &NSMenu::setTitle))

NSMenu::~NSMenu() {
  for (const RefPtr<NSMenuItem>& item : mItems) item->setMenu(nullptr);
}

NSMenu* NSMenu::initWithTitle(NSString* title) {
  setTitle(title);
  return this;
}

NSObject* NSMenu::initWithCoder(NSCoder* coder) {
  initWithTitle(NSDynamicCast<NSString>(coder->decodeObjectForKey(NSSTR("title"))));
  if (auto* items = NSDynamicCast<NSArray>(coder->decodeObjectForKey(NSSTR("items")))) {
    for (NSObject* object : *items) {
      if (auto* item = NSDynamicCast<NSMenuItem>(object)) addItem(item);
    }
  }
  return this;
}

void NSMenu::setTitle(NSString* title) {
  mTitle = RefPtr<NSString>(title ? NSString::stringWithString(title) : NSString::string());
}

NSArray* NSMenu::itemArray() const {
  NSMutableArray* items = NSMutableArray::arrayWithCapacity(mItems.size());
  for (const RefPtr<NSMenuItem>& item : mItems) items->addObject(item.get());
  return items;
}

NSMenuItem* NSMenu::itemAtIndex(NSInteger index) const {
  return index >= 0 && index < numberOfItems() ? mItems[size_t(index)].get() : nullptr;
}

NSMenuItem* NSMenu::itemWithTitle(NSString* title) const { return itemAtIndex(indexOfItemWithTitle(title)); }

NSMenuItem* NSMenu::itemWithTag(NSInteger tag) const { return itemAtIndex(indexOfItemWithTag(tag)); }

NSInteger NSMenu::indexOfItem(const NSMenuItem* item) const {
  for (size_t i = 0; i < mItems.size(); ++i) {
    if (mItems[i].get() == item) return NSInteger(i);
  }
  return -1;
}

NSInteger NSMenu::indexOfItemWithTitle(NSString* title) const {
  if (!title) return -1;
  for (size_t i = 0; i < mItems.size(); ++i) {
    if (mItems[i]->title()->isEqualToString(title)) return NSInteger(i);
  }
  return -1;
}

NSInteger NSMenu::indexOfItemWithTag(NSInteger tag) const {
  for (size_t i = 0; i < mItems.size(); ++i) {
    if (mItems[i]->tag() == tag) return NSInteger(i);
  }
  return -1;
}

void NSMenu::postItemNotification(NSString* name, NSInteger index) {
  NSNotificationCenter::defaultCenter()->postNotificationName_object_userInfo(
      name, this, NSDictionary::dictionaryWithObject_forKey(NSNumber::numberWithLong(index), NSSTR("NSMenuItemIndex")));
}

void NSMenu::addItem(NSMenuItem* item) { insertItem_atIndex(item, numberOfItems()); }

void NSMenu::insertItem_atIndex(NSMenuItem* item, NSInteger index) {
  if (!item) return;
  if (item->menu() && item->menu() != this) {
    NSException::raise_format(NSInternalInconsistencyException, NSSTR("Item to be inserted into menu already is in another menu"));
  }
  if (index < 0 || index > numberOfItems()) {
    NSException::raise_format(NSRangeException, NSSTR("Menu index %ld out of bounds (0...%ld)"), long(index),
                              long(numberOfItems()));
  }
  mItems.insert(mItems.begin() + index, RefPtr<NSMenuItem>(item));
  item->setMenu(this);
  if (NSMenu* submenu = item->submenu()) submenu->setSupermenu(this);
  postItemNotification(NSMenuDidAddItemNotification, index);
}

NSMenuItem* NSMenu::addItemWithTitle_action_keyEquivalent(NSString* title, SEL action, NSString* keyEquivalent) {
  return insertItemWithTitle_action_keyEquivalent_atIndex(title, action, keyEquivalent, numberOfItems());
}

NSMenuItem* NSMenu::insertItemWithTitle_action_keyEquivalent_atIndex(NSString* title, SEL action,
                                                                     NSString* keyEquivalent, NSInteger index) {
  RefPtr<NSMenuItem> item = adopt(NSMenuItem::alloc()->initWithTitle_action_keyEquivalent(title, action, keyEquivalent));
  insertItem_atIndex(item.get(), index);
  return item.get();
}

void NSMenu::removeItemAtIndex(NSInteger index) {
  if (index < 0 || index >= numberOfItems()) {
    NSException::raise_format(NSRangeException, NSSTR("Menu index %ld out of bounds (0...%ld)"), long(index),
                              long(numberOfItems()) - 1);
  }
  RefPtr<NSMenuItem> item = mItems[size_t(index)];
  mItems.erase(mItems.begin() + index);
  item->setMenu(nullptr);
  postItemNotification(NSMenuDidRemoveItemNotification, index);
}

void NSMenu::removeItem(NSMenuItem* item) {
  NSInteger index = indexOfItem(item);
  if (index >= 0) removeItemAtIndex(index);
}

void NSMenu::removeAllItems() {
  while (numberOfItems() > 0) removeItemAtIndex(numberOfItems() - 1);
}

void NSMenu::performActionForItemAtIndex(NSInteger index) {
  RefPtr<NSMenuItem> item(itemAtIndex(index));
  if (!item || !item->isEnabled() || !item->action()) return;
  NSApplication::sharedApplication()->sendAction_to_from(item->action(), item->target(), item.get());
}
