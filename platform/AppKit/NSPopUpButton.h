#pragma once
// Pop-up buttons: a button that shows the selected item of its menu and lets the user choose
// another. The selected item is marked on (the others off); choosing an item sends the item's
// action, then the button's. From a nib: "items", an array of titles, and "selectedIndex".
#include <AppKit/NSButton.h>

class NSArray;
class NSMenu;
class NSMenuItem;

class APPKIT_CLASS NSPopUpButton : public NSButton {
  OBJC_CLASS_DECL(NSPopUpButton, NSButton)

 public:
  NSView* initWithFrame(NSRect frame) override { return initWithFrame_pullsDown(frame, false); }
  virtual NSPopUpButton* initWithFrame_pullsDown(NSRect frame, bool pullsDown);
  NSObject* initWithCoder(NSCoder* coder) override;

  NSMenu* menu() const { return mMenu.get(); }
  void setMenu(NSMenu* menu);
  bool pullsDown() const { return mPullsDown; }
  void setPullsDown(bool flag) { mPullsDown = flag; }

  void addItemWithTitle(NSString* title);
  void addItemsWithTitles(NSArray* titles);
  void insertItemWithTitle_atIndex(NSString* title, NSInteger index);
  void removeItemWithTitle(NSString* title);
  void removeItemAtIndex(NSInteger index);
  void removeAllItems();

  NSArray* itemArray() const;
  NSInteger numberOfItems() const;
  NSMenuItem* itemAtIndex(NSInteger index) const;
  NSMenuItem* itemWithTitle(NSString* title) const;
  NSMenuItem* lastItem() const;
  NSArray* itemTitles() const;
  NSInteger indexOfItemWithTitle(NSString* title) const;

  NSMenuItem* selectedItem() const;
  NSInteger indexOfSelectedItem() const;
  NSString* titleOfSelectedItem() const;
  void selectItem(NSMenuItem* item);
  void selectItemAtIndex(NSInteger index);
  // No item of the title: nothing is selected.
  void selectItemWithTitle(NSString* title);
  bool selectItemWithTag(NSInteger tag);
  // What the user's choice of an item does: selects it, sends its action, then the button's.
  void performClickOnItemAtIndex(NSInteger index);

 protected:
  NSPopUpButton() = default;

 private:
  RefPtr<NSMenu> mMenu;
  WeakPtr<NSMenuItem> mSelected;
  bool mPullsDown = false;
};
