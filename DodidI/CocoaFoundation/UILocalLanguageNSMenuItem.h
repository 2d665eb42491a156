#pragma once
// A menu item whose bound title also names its menu and its submenu, so that a menu-bar
// entry and the menu it opens are renamed together when the language changes.
#include <AppKit/NSMenuItem.h>

int import_UILocalLanguageNSMenuItem();

class UILocalLanguageNSMenuItem : public NSMenuItem {
  OBJC_CLASS_DECL(UILocalLanguageNSMenuItem, NSMenuItem)

 public:
  void setTitle(NSString* title) override;

 protected:
  UILocalLanguageNSMenuItem() = default;
};
