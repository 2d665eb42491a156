#include "NSUIDesignFeedMenu.h"

#include <AppKit/NSMenu.h>
#include <Foundation/NSArray.h>

#include "CoreMachDebug.h"
#include "NSMenuItem_mutex_NSMenu.h"

int import_NSUIDesignFeedMenu() {
  import_NSUIDesignFeed();
  return 1;
}

OBJC_CLASS_DEFINE(NSUIDesignFeedMenu)

NSUIDesignFeedMenu* NSUIDesignFeedMenu::initFeedMenuWithCategory_feedURL_prefsKey_updateURL(
    NSString* category, NSString* feedURL, NSString* prefsKey, NSString* updateURL) {
  if (!initFeedWithCategory_feedURL_prefsKey_updateURL(category, feedURL, prefsKey, updateURL))
    return nullptr;
  mFrom = nullptr;
  mTo = nullptr;
  mTarget = nullptr;
  mAction = nullptr;
  mFilter = false;
  return this;
}

bool NSUIDesignFeedMenu::setDesignMenuFromSeparator_toSeparator_withTarget_withAction(NSMenuItem* from,
                                                                                      NSMenuItem* to,
                                                                                      NSObject* target,
                                                                                      SEL action) {
  if (!from || !target || !action) return false;
  mFrom = from;
  mTo = to;
  mTarget = target;
  mAction = action;
  return true;
}

bool NSUIDesignFeedMenu::refreshDesignMenuFromSeparator_toSeparator_withTarget_withAction(NSMenuItem* from,
                                                                                          NSMenuItem* to,
                                                                                          NSObject* target,
                                                                                          SEL action) {
  if (!setDesignMenuFromSeparator_toSeparator_withTarget_withAction(from, to, target, action)) return false;
  designDictionaryChanged(this);
  return true;
}

NSDictionary* NSUIDesignFeedMenu::designDictionary() { return filteredDesignsByRequirements(); }

NSDictionary* NSUIDesignFeedMenu::filteredDesignsByRequirements() {
  NSDictionary* all = mergedDesignDictionary();
  auto* filter = dynamic_cast<NSUIDesignFeedMenuFilter*>(this);
  if (!filterDesignsByRequirements() || !filter) return all;
  NSMutableDictionary* kept = all->mutableCopy();
  RefPtr<NSMutableDictionary> owner = adopt(kept);
  for (NSObject* key : *all) {
    auto* name = static_cast<NSString*>(key);
    NSUIDesignCodes* designForName = designNamed(name);
    // The check's text is part of the report: keep it exactly as written.
    if (!VERIFY(designForName)) continue;
    if (filter->shouldFilterDesign(designForName)) kept->removeObjectForKey(name);
  }
  return static_cast<NSDictionary*>(kept->copy()->autorelease());
}

NSArray* NSUIDesignFeedMenu::filteredDesignNames() {
  NSDictionary* designs = filteredDesignsByRequirements();
  if (!designs) return NSArray::array();
  return designs->allKeys()->sortedArrayUsingComparator([](NSObject* a, NSObject* b) {
    return static_cast<NSString*>(a)->caseInsensitiveCompare(static_cast<NSString*>(b));
  });
}

void NSUIDesignFeedMenu::designDictionaryChanged(NSObject* sender) {
  NSUIDesignFeed::designDictionaryChanged(sender);
  RefPtr<NSObject> target = mTarget.get();
  SEL action = menuAction();
  if (mFrom && target && action) buildMenuWithTarget_withAction(target.get(), action);
}

void NSUIDesignFeedMenu::buildMenuWithTarget_withAction(NSObject* target, SEL action) {
  RefPtr<NSMenuItem> from = mFrom.get();
  if (!from || !from->isSeparatorItem()) return;
  NSArray* names = filteredDesignNames();
  RefPtr<NSMenu> menu(from->menu());
  if (!menu) return;
  NSInteger first = menu->indexOfItem(from.get()) + 1;
  RefPtr<NSMenuItem> to = mTo.get();
  if (to && menu->indexOfItem(to.get()) >= first) {
    NSMenuRemoveItemsInRange(menu.get(), first, menu->indexOfItem(to.get()));
  } else {
    NSMenuRemoveItemsFromIndex(menu.get(), first);
  }
  NSInteger index = first;
  for (NSObject* name : *names) {
    NSMenuItem* item = menu->insertItemWithTitle_action_keyEquivalent_atIndex(
        static_cast<NSString*>(name), action, NSString::string(), index++);
    item->setTarget(target);
    item->setState(NSOffState);
  }
}
