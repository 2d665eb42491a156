#pragma once
// Menus as sets of radio items (the category mutex_NSMenu on NSMenu, NSMenuItem and
// NSPopUpButton): at most one item is on, the title of the item that is on is the menu's
// string value, and choosing an item by its exact title can send the item's action.
// The actions setNoneSelected: (menus) and performAction: (items) are answered by name.
#include <AppKit/NSMenu.h>
#include <AppKit/NSMenuItem.h>
#include <AppKit/NSPopUpButton.h>

int import_NSMenuItem_mutex_NSMenu();

namespace mutex_NSMenu {

void setNoneSelected(NSMenu* menu);
void selectExclusive(NSMenu* menu, NSMenuItem* item);
// The first item that is on; the first item when none is; null for a menu without items.
NSMenuItem* exclusiveSelection(NSMenu* menu);
// Selects the first item whose title equals the title exactly (case counts) and, when asked,
// sends the item performAction with itself; an unknown title changes nothing.
void selectExclusiveTitle_performAction(NSMenu* menu, NSString* title, bool perform);
void selectExclusiveTitle(NSMenu* menu, NSString* title);
NSString* stringParamValue(NSMenu* menu);
void setStringParamValue(NSMenu* menu, NSString* title);

void selectExclusive(NSMenuItem* item);
// Sends the item's action to its target on the main thread and waits for it; an item without
// target or action is reported and sends nothing.
void performAction(NSMenuItem* item, NSObject* sender);

NSMenuItem* exclusiveSelection(NSPopUpButton* button);
NSString* stringParamValue(NSPopUpButton* button);
void setStringParamValue(NSPopUpButton* button, NSString* title);

}  // namespace mutex_NSMenu

// Removes the items from index to the end.
void NSMenuRemoveItemsFromIndex(NSMenu* menu, NSInteger index);
// Removes the items from, ..., to - 1; a `to` past the end counts as the end.
void NSMenuRemoveItemsInRange(NSMenu* menu, NSInteger from, NSInteger to);
