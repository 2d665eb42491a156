#include "NSUIMultiViewPopUpButton.h"

#include <AppKit/NSMenuItem.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSKeyValueCoding.h>
#include <objc/MethodTable.h>

int import_NSUIMultiViewPopUpButton() { return 1; }

OBJC_CLASS_DEFINE(NSUIMultiViewPopUpButton)
NS_PROPERTIES(NSUIMultiViewPopUpButton,
              NS_PROPERTY("delegate", &NSUIMultiViewPopUpButton::delegate, &NSUIMultiViewPopUpButton::setDelegate))
OBJC_METHODS(NSUIMultiViewPopUpButton,
             OBJC_METHOD("selectionChangedAction:", &NSUIMultiViewPopUpButton::selectionChangedAction))

void NSUIMultiViewPopUpButton::selectionChangedAction(NSObject*) {
  RefPtr<NSObject> delegate = mDelegate.get();
  if (auto* host = dynamic_cast<protocol_MultiViewHost*>(delegate.get())) host->setSelectedMultiViewTitle(selectedMultiViewTitle());
}

void NSUIMultiViewPopUpButton::refreshMultiViewTitlesWithSelection(NSString*) {
  RefPtr<NSObject> delegate = mDelegate.get();
  auto* host = dynamic_cast<protocol_MultiViewHost*>(delegate.get());
  if (!host) return;
  RefPtr<NSArray> titles(host->switchingMultiViewTitleList());
  if (!titles) return;
  // Titles that changed with the language would stay as items nobody can choose.
  for (NSInteger i = numberOfItems() - 1; i >= 0; --i) {
    if (!titles->containsObject(itemAtIndex(i)->title())) removeItemAtIndex(i);
  }
  for (NSObject* title : *titles) {
    if (!isTitleMemberOfPopUpMenu(static_cast<NSString*>(title))) addItemWithTitle(static_cast<NSString*>(title));
  }
}

bool NSUIMultiViewPopUpButton::isTitleMemberOfPopUpMenu(NSString* title) const { return itemWithTitle(title) != nullptr; }

bool NSUIMultiViewPopUpButton::setSelectedMultiViewTitle(NSString* title) {
  selectItemWithTitle(title);
  NSString* selected = titleOfSelectedItem();
  return title && selected && title->isEqualToString(selected);
}
