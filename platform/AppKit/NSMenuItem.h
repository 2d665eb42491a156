#pragma once
// A menu's entry: a title, an action sent to a target (not retained), a state mark, a tag.
// From a nib: "title", "tag", "state", "enabled", "keyEquivalent" and "submenu".
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <objc/Selector.h>
#include <objc/WeakPtr.h>

#include <AppKit/AppKitDefines.h>

class NSCoder;
class NSImage;
class NSMenu;

typedef NSInteger NSControlStateValue;
enum : NSInteger { NSMixedState = -1, NSOffState = 0, NSOnState = 1 };

class APPKIT_CLASS NSMenuItem : public NSObject {
  OBJC_CLASS_DECL(NSMenuItem, NSObject)

 public:
  static NSMenuItem* separatorItem();

  NSObject* init() override { return initWithTitle_action_keyEquivalent(NSString::string(), nullptr, NSString::string()); }
  virtual NSMenuItem* initWithTitle_action_keyEquivalent(NSString* title, SEL action, NSString* keyEquivalent);
  NSObject* initWithCoder(NSCoder* coder) override;

  NSString* title() const { return mTitle.get(); }
  virtual void setTitle(NSString* title);
  SEL action() const { return mAction; }
  void setAction(SEL action) { mAction = action; }
  NSObject* target() const { return mTarget.get().get(); }
  void setTarget(NSObject* target) { mTarget = target; }
  NSInteger tag() const { return mTag; }
  void setTag(NSInteger tag) { mTag = tag; }
  NSInteger state() const { return mState; }
  virtual void setState(NSInteger state) { mState = state; }
  bool isEnabled() const { return mEnabled; }
  void setEnabled(bool enabled) { mEnabled = enabled; }
  bool isHidden() const { return mHidden; }
  void setHidden(bool hidden) { mHidden = hidden; }
  bool isSeparatorItem() const { return mSeparator; }
  NSString* keyEquivalent() const { return mKeyEquivalent.get(); }
  void setKeyEquivalent(NSString* key) { mKeyEquivalent = RefPtr<NSString>(key); }
  NSObject* representedObject() const { return mRepresentedObject.get(); }
  void setRepresentedObject(NSObject* object) { mRepresentedObject = RefPtr<NSObject>(object); }
  NSImage* image() const { return mImage.get(); }
  void setImage(NSImage* image);
  NSString* toolTip() const { return mToolTip.get(); }
  void setToolTip(NSString* toolTip) { mToolTip = RefPtr<NSString>(toolTip); }
  // The menu the item is in (not retained), and the menu it opens.
  NSMenu* menu() const;
  APPKIT_PRIVATE void setMenu(NSMenu* menu);
  NSMenu* submenu() const { return mSubmenu.get(); }
  void setSubmenu(NSMenu* submenu);
  bool hasSubmenu() const { return mSubmenu.get() != nullptr; }

 protected:
  NSMenuItem() = default;
  ~NSMenuItem() override;

 private:
  RefPtr<NSString> mTitle;
  SEL mAction = nullptr;
  WeakPtr<NSObject> mTarget;
  NSInteger mTag = 0;
  NSInteger mState = NSOffState;
  bool mEnabled = true;
  bool mHidden = false;
  bool mSeparator = false;
  RefPtr<NSString> mKeyEquivalent;
  RefPtr<NSObject> mRepresentedObject;
  RefPtr<NSImage> mImage;
  RefPtr<NSString> mToolTip;
  WeakPtr<NSMenu> mMenu;
  RefPtr<NSMenu> mSubmenu;
};
