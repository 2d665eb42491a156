#include "NSMenuItem_mutex_NSMenu.h"

#include <algorithm>

#include <Foundation/NSBridging.h>
#include <objc/MethodTable.h>

#include "CoreMachDebug.h"

int import_NSMenuItem_mutex_NSMenu() { return 1; }

namespace {

// The category's action methods, found by selector like the classes' own.
[[maybe_unused]] const bool kActions = objc::addMethods(NSMenu::class_(), {{sel_registerName("setNoneSelected:"),
                                                           [](NSObject* self, NSObject*) -> NSObject* {
                                                             mutex_NSMenu::setNoneSelected(static_cast<NSMenu*>(self));
                                                             return nullptr;
                                                           }}}) &&
                      objc::addMethods(NSMenuItem::class_(), {{sel_registerName("performAction:"),
                                                               [](NSObject* self, NSObject* sender) -> NSObject* {
                                                                 mutex_NSMenu::performAction(static_cast<NSMenuItem*>(self), sender);
                                                                 return nullptr;
                                                               }},
                                                              {sel_registerName("selectExclusive"),
                                                               [](NSObject* self, NSObject*) -> NSObject* {
                                                                 mutex_NSMenu::selectExclusive(static_cast<NSMenuItem*>(self));
                                                                 return nullptr;
                                                               }}});

}  // namespace

namespace mutex_NSMenu {

void setNoneSelected(NSMenu* menu) {
  if (!menu) return;
  for (NSInteger i = 0; i < menu->numberOfItems(); ++i) menu->itemAtIndex(i)->setState(NSOffState);
}

void selectExclusive(NSMenu* menu, NSMenuItem* item) {
  setNoneSelected(menu);
  if (item) item->setState(NSOnState);
}

NSMenuItem* exclusiveSelection(NSMenu* menu) {
  if (!menu) return nullptr;
  for (NSInteger i = 0; i < menu->numberOfItems(); ++i) {
    if (menu->itemAtIndex(i)->state() == NSOnState) return menu->itemAtIndex(i);
  }
  // An empty menu has no first item to answer.
  return menu->itemAtIndex(0);
}

void selectExclusiveTitle_performAction(NSMenu* menu, NSString* title, bool perform) {
  if (!menu || !title) return;
  for (NSInteger i = 0; i < menu->numberOfItems(); ++i) {
    RefPtr<NSMenuItem> item(menu->itemAtIndex(i));
    if (item->title()->compare(title) != NSOrderedSame) continue;
    selectExclusive(menu, item.get());
    if (perform) performAction(item.get(), item.get());
    return;
  }
}

void selectExclusiveTitle(NSMenu* menu, NSString* title) { selectExclusiveTitle_performAction(menu, title, true); }

NSString* stringParamValue(NSMenu* menu) {
  NSMenuItem* item = exclusiveSelection(menu);
  return item ? item->title() : nullptr;
}

void setStringParamValue(NSMenu* menu, NSString* title) { selectExclusiveTitle(menu, title); }

void selectExclusive(NSMenuItem* item) {
  if (item) selectExclusive(item->menu(), item);
}

void performAction(NSMenuItem* item, NSObject* sender) {
  if (!item) return;
  RefPtr<NSObject> target(item->target());
  if (!target) {
    _CoreMachDebugVerifyBody(__FUNCTION__, __FILE__, __LINE__, "[self target]");
    return;
  }
  SEL action = item->action();
  if (!action) {
    _CoreMachDebugVerifyBody(__FUNCTION__, __FILE__, __LINE__, " code : [self action]");
    return;
  }
  target->performSelectorOnMainThread_withObject_waitUntilDone(action, sender, true);
}

NSMenuItem* exclusiveSelection(NSPopUpButton* button) { return button ? exclusiveSelection(button->menu()) : nullptr; }

NSString* stringParamValue(NSPopUpButton* button) { return button ? stringParamValue(button->menu()) : nullptr; }

void setStringParamValue(NSPopUpButton* button, NSString* title) {
  if (button) setStringParamValue(button->menu(), title);
}

}  // namespace mutex_NSMenu

void NSMenuRemoveItemsFromIndex(NSMenu* menu, NSInteger index) {
  if (!menu || index < 0 || menu->numberOfItems() <= index) return;
  for (NSInteger count = menu->numberOfItems() - index; count > 0; --count) menu->removeItemAtIndex(index);
}

void NSMenuRemoveItemsInRange(NSMenu* menu, NSInteger from, NSInteger to) {
  if (!menu || from < 0) return;
  to = std::min(to, menu->numberOfItems());
  if (menu->numberOfItems() <= from || from >= to) return;
  for (NSInteger count = to - from; count > 0; --count) menu->removeItemAtIndex(from);
}
