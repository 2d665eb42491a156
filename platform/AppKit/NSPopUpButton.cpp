#include <AppKit/NSPopUpButton.h>

#include <AppKit/NSApplication.h>
#include <AppKit/NSMenu.h>
#include <AppKit/NSMenuItem.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSCoder.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSValue.h>

OBJC_CLASS_DEFINE(NSPopUpButton)
NS_PROPERTIES(NSPopUpButton, NS_PROPERTY("menu", &NSPopUpButton::menu, &NSPopUpButton::setMenu))

NSPopUpButton* NSPopUpButton::initWithFrame_pullsDown(NSRect frame, bool pullsDown) {
  NSButton::initWithFrame(frame);
  mPullsDown = pullsDown;
  mMenu = adopt(static_cast<NSMenu*>(NSMenu::alloc()->init()));
  return this;
}

NSObject* NSPopUpButton::initWithCoder(NSCoder* coder) {
  NSButton::initWithCoder(coder);
  mPullsDown = coder->decodeBoolForKey(NSSTR("pullsDown"));
  if (auto* menu = NSDynamicCast<NSMenu>(coder->decodeObjectForKey(NSSTR("menu")))) {
    mMenu = RefPtr<NSMenu>(menu);
  } else {
    mMenu = adopt(static_cast<NSMenu*>(NSMenu::alloc()->init()));
  }
  if (auto* titles = NSDynamicCast<NSArray>(coder->decodeObjectForKey(NSSTR("items")))) addItemsWithTitles(titles);
  if (coder->containsValueForKey(NSSTR("selectedIndex"))) {
    selectItemAtIndex(coder->decodeIntegerForKey(NSSTR("selectedIndex")));
  } else if (numberOfItems() > 0 && !mPullsDown) {
    selectItemAtIndex(0);
  }
  return this;
}

void NSPopUpButton::setMenu(NSMenu* menu) {
  mMenu = RefPtr<NSMenu>(menu);
  mSelected = nullptr;
  if (mMenu && mMenu->numberOfItems() > 0 && !mPullsDown) selectItemAtIndex(0);
}

void NSPopUpButton::addItemWithTitle(NSString* title) {
  insertItemWithTitle_atIndex(title, numberOfItems());
}

void NSPopUpButton::addItemsWithTitles(NSArray* titles) {
  if (!titles) return;
  for (NSObject* title : *titles) addItemWithTitle(NSDynamicCast<NSString>(title));
}

void NSPopUpButton::insertItemWithTitle_atIndex(NSString* title, NSInteger index) {
  if (!mMenu || !title) return;
  // Titles are unique in a pop-up: an item of the same title gives way.
  removeItemWithTitle(title);
  index = std::min(index, numberOfItems());
  mMenu->insertItemWithTitle_action_keyEquivalent_atIndex(title, nullptr, NSString::string(), index);
  if (!selectedItem() && !mPullsDown) selectItemAtIndex(index);
}

void NSPopUpButton::removeItemWithTitle(NSString* title) {
  NSInteger index = indexOfItemWithTitle(title);
  if (index >= 0) removeItemAtIndex(index);
}

void NSPopUpButton::removeItemAtIndex(NSInteger index) {
  if (!mMenu || index < 0 || index >= numberOfItems()) return;
  const bool wasSelected = mSelected.refersTo(itemAtIndex(index));
  mMenu->removeItemAtIndex(index);
  if (wasSelected) {
    mSelected = nullptr;
    if (numberOfItems() > 0 && !mPullsDown) selectItemAtIndex(0);
  }
}

void NSPopUpButton::removeAllItems() {
  if (mMenu) mMenu->removeAllItems();
  mSelected = nullptr;
}

NSArray* NSPopUpButton::itemArray() const { return mMenu ? mMenu->itemArray() : NSArray::array(); }
NSInteger NSPopUpButton::numberOfItems() const { return mMenu ? mMenu->numberOfItems() : 0; }
NSMenuItem* NSPopUpButton::itemAtIndex(NSInteger index) const { return mMenu ? mMenu->itemAtIndex(index) : nullptr; }
NSMenuItem* NSPopUpButton::itemWithTitle(NSString* title) const { return mMenu ? mMenu->itemWithTitle(title) : nullptr; }
NSMenuItem* NSPopUpButton::lastItem() const { return itemAtIndex(numberOfItems() - 1); }
NSInteger NSPopUpButton::indexOfItemWithTitle(NSString* title) const {
  return mMenu ? mMenu->indexOfItemWithTitle(title) : -1;
}

NSArray* NSPopUpButton::itemTitles() const {
  NSMutableArray* titles = NSMutableArray::array();
  for (NSInteger i = 0; i < numberOfItems(); ++i) titles->addObject(itemAtIndex(i)->title());
  return titles;
}

NSMenuItem* NSPopUpButton::selectedItem() const {
  RefPtr<NSMenuItem> item = mSelected.get();
  // An item removed from the menu by other code is no longer the selection.
  return item && item->menu() == mMenu.get() ? item.get() : nullptr;
}

NSInteger NSPopUpButton::indexOfSelectedItem() const { return mMenu ? mMenu->indexOfItem(selectedItem()) : -1; }

NSString* NSPopUpButton::titleOfSelectedItem() const {
  NSMenuItem* item = selectedItem();
  return item ? item->title() : nullptr;
}

void NSPopUpButton::selectItem(NSMenuItem* item) {
  if (NSMenuItem* previous = selectedItem()) previous->setState(NSOffState);
  mSelected = item && mMenu && item->menu() == mMenu.get() ? item : nullptr;
  if (NSMenuItem* now = selectedItem()) {
    now->setState(NSOnState);
    if (cell()) cell()->setTitle(now->title());
  }
  setNeedsDisplay(true);
}

void NSPopUpButton::selectItemAtIndex(NSInteger index) { selectItem(itemAtIndex(index)); }

void NSPopUpButton::selectItemWithTitle(NSString* title) { selectItem(itemWithTitle(title)); }

bool NSPopUpButton::selectItemWithTag(NSInteger tag) {
  NSMenuItem* item = mMenu ? mMenu->itemWithTag(tag) : nullptr;
  if (!item) return false;
  selectItem(item);
  return true;
}

void NSPopUpButton::performClickOnItemAtIndex(NSInteger index) {
  RefPtr<NSMenuItem> item(itemAtIndex(index));
  if (!item || !item->isEnabled()) return;
  selectItem(item.get());
  if (item->action()) NSApplication::sharedApplication()->sendAction_to_from(item->action(), item->target(), item.get());
  sendAction_to(action(), target());
}
