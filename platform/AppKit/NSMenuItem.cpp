#include <AppKit/NSMenuItem.h>

#include <AppKit/NSImage.h>
#include <AppKit/NSMenu.h>
#include <Foundation/NSCoder.h>
#include <Foundation/NSKeyValueCoding.h>

OBJC_CLASS_DEFINE(NSMenuItem)
NS_PROPERTIES(NSMenuItem,
              NS_PROPERTY("title", &NSMenuItem::title, &NSMenuItem::setTitle),
              NS_PROPERTY("action", &NSMenuItem::action, &NSMenuItem::setAction),
              NS_PROPERTY("target", &NSMenuItem::target, &NSMenuItem::setTarget),
              NS_PROPERTY("tag", &NSMenuItem::tag, &NSMenuItem::setTag),
              NS_PROPERTY("state", &NSMenuItem::state, &NSMenuItem::setState),
              NS_PROPERTY("enabled", &NSMenuItem::isEnabled, &NSMenuItem::setEnabled),
              NS_PROPERTY("representedObject", &NSMenuItem::representedObject, &NSMenuItem::setRepresentedObject))

NSMenuItem::~NSMenuItem() = default;

NSMenuItem* NSMenuItem::separatorItem() {
  auto* item = static_cast<NSMenuItem*>(NSMenuItem::alloc()->init());
  item->mSeparator = true;
  item->mEnabled = false;
  return static_cast<NSMenuItem*>(item->autorelease());
}

NSMenuItem* NSMenuItem::initWithTitle_action_keyEquivalent(NSString* title, SEL action, NSString* keyEquivalent) {
  setTitle(title);
  mAction = action;
  mKeyEquivalent = RefPtr<NSString>(keyEquivalent ? keyEquivalent : NSString::string());
  return this;
}

NSObject* NSMenuItem::initWithCoder(NSCoder* coder) {
  initWithTitle_action_keyEquivalent(NSDynamicCast<NSString>(coder->decodeObjectForKey(NSSTR("title"))), nullptr,
                                     NSDynamicCast<NSString>(coder->decodeObjectForKey(NSSTR("keyEquivalent"))));
  mTag = coder->decodeIntegerForKey(NSSTR("tag"));
  mState = coder->decodeIntegerForKey(NSSTR("state"));
  if (coder->containsValueForKey(NSSTR("enabled"))) mEnabled = coder->decodeBoolForKey(NSSTR("enabled"));
  mSeparator = coder->decodeBoolForKey(NSSTR("separator"));
  if (auto* submenu = NSDynamicCast<NSMenu>(coder->decodeObjectForKey(NSSTR("submenu")))) setSubmenu(submenu);
  return this;
}

void NSMenuItem::setTitle(NSString* title) {
  mTitle = RefPtr<NSString>(title ? NSString::stringWithString(title) : NSString::string());
}

NSMenu* NSMenuItem::menu() const { return mMenu.get().get(); }

void NSMenuItem::setMenu(NSMenu* menu) { mMenu = menu; }

void NSMenuItem::setImage(NSImage* image) { mImage = RefPtr<NSImage>(image); }

void NSMenuItem::setSubmenu(NSMenu* submenu) {
  if (mSubmenu) mSubmenu->setSupermenu(nullptr);
  mSubmenu = RefPtr<NSMenu>(submenu);
  if (mSubmenu) mSubmenu->setSupermenu(menu());
}
