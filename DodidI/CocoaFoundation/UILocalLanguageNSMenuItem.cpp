#include "UILocalLanguageNSMenuItem.h"

#include <AppKit/NSMenu.h>

int import_UILocalLanguageNSMenuItem() { return 1; }

OBJC_CLASS_DEFINE(UILocalLanguageNSMenuItem)

void UILocalLanguageNSMenuItem::setTitle(NSString* title) {
  NSMenuItem::setTitle(title);
  if (NSMenu* holder = menu()) holder->setTitle(title);
  if (NSMenu* opened = submenu()) opened->setTitle(title);
}
