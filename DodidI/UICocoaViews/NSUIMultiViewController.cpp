#include "NSUIMultiViewController.h"

#include <AppKit/NSImage.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSNotificationCenter.h>
#include <objc/MethodTable.h>

#include "CoreMachDebug.h"
#include "NSUIMultiViewClientViewHolder.h"
#include "NSUIMultiViewPopUpButton.h"
#include "NSUIMultiViewSegmentedControl.h"
#include "NSUIViewNibbler.h"

NSString* const UILocalLanguageControllerDidChangeLanguageNotification = NSSTR("UILocalLanguageControllerDidChangeLanguage");

int import_NSUIMultiViewController() {
  return import_NSUIMultiViewClientViewHolder() && import_NSUIMultiViewPopUpButton() &&
         import_NSUIMultiViewSegmentedControl() && import_NSUIViewPlaceholder();
}

OBJC_CLASS_DEFINE(NSUIMultiViewController)
NS_PROPERTIES(NSUIMultiViewController,
              NS_PROPERTY("multiViewPlaceholder", &NSUIMultiViewController::multiViewPlaceholder,
                          &NSUIMultiViewController::setMultiViewPlaceholder),
              NS_PROPERTY("multiViewSwitchingControl", &NSUIMultiViewController::multiViewSwitchingControl,
                          &NSUIMultiViewController::setMultiViewSwitchingControl))
OBJC_METHODS(NSUIMultiViewController,
             OBJC_METHOD("multiViewSwitchingControlSelectionChanged:",
                         &NSUIMultiViewController::multiViewSwitchingControlSelectionChanged),
             OBJC_METHOD("addSenderToMultiViewList:", &NSUIMultiViewController::addSenderToMultiViewList),
             OBJC_METHOD("languageSettingsChangedRefreshTitles:",
                         &NSUIMultiViewController::languageSettingsChangedRefreshTitles))

NSString* NSUIMultiViewTitleOf(NSView* view) {
  if (auto* client = dynamic_cast<protocol_MultiViewClient*>(view)) return client->multiViewTitle();
  if (auto* nibbler = NSDynamicCast<NSUIViewNibbler>(view)) return nibbler->multiViewTitle();
  return nullptr;
}

NSObject* NSUIMultiViewController::init() {
  mMultiViewPlaceholder = nullptr;
  mMultiViewSwitchingControl = nullptr;
  mMultiViewsByTitle = nullptr;
  mSelectedMultiView = nullptr;
  return this;
}

NSUIMultiViewController::~NSUIMultiViewController() {
  // The language notification must not reach a controller that is gone.
  NSNotificationCenter::defaultCenter()->removeObserver(this);
  mMultiViewPlaceholder = nullptr;
  mMultiViewSwitchingControl = nullptr;
  mMultiViewsByTitle = nullptr;
  mSelectedMultiView = nullptr;
}

void NSUIMultiViewController::awakeFromNib() {
  createViewDictionaryOnce();
  refreshSwitchingControlList(selectedMultiViewTitle());
}

void NSUIMultiViewController::createViewDictionaryOnce() {
  if (mMultiViewsByTitle) return;
  mMultiViewsByTitle = RefPtr<NSMutableDictionary>(NSMutableDictionary::dictionary());
  mSelectedMultiView = nullptr;
  if (NSView* initial = defaultMultiView()) {
    if (NSString* title = NSUIMultiViewTitleOf(initial)) {
      mMultiViewsByTitle->setObject_forKey(initial, title);
      mSelectedMultiView = RefPtr<NSView>(initial);
    }
  }
  NSNotificationCenter::defaultCenter()->addObserver_selector_name_object(
      this, SELECTOR("languageSettingsChangedRefreshTitles:"), UILocalLanguageControllerDidChangeLanguageNotification,
      nullptr);
}

NSView* NSUIMultiViewController::multiViewWithTitle(NSString* title) {
  if (!mMultiViewsByTitle || !title) return nullptr;
  return NSDynamicCast<NSView>(mMultiViewsByTitle->objectForKey(title));
}

bool NSUIMultiViewController::selectViewWithMultiViewTitle(NSString* title) {
  RefPtr<NSView> view(multiViewWithTitle(title));
  if (!view) return false;
  setSwitchingControlSelection(title);
  if (view.get() != mSelectedMultiView.get()) {
    if (mSelectedMultiView) {
      mSelectedMultiView->setHidden(true);
      mSelectedMultiView->setNeedsDisplay(false);
    }
    mSelectedMultiView = view;
  }
  mSelectedMultiView->setHidden(false);
  mSelectedMultiView->setNeedsDisplay(true);
  if (NSUIViewPlaceholder* placeholder = multiViewPlaceholder()) {
    if (NSView* superview = placeholder->superview()) superview->setNeedsDisplay(true);
  }
  return true;
}

bool NSUIMultiViewController::addMultiView_selectView(NSView* view, bool select) {
  createViewDictionaryOnce();
  if (!view) return false;
  RefPtr<NSString> title(NSUIMultiViewTitleOf(view));
  if (!title || mMultiViewsByTitle->objectForKey(title.get())) return false;
  mMultiViewsByTitle->setObject_forKey(view, title.get());
  if (NSUIViewPlaceholder* placeholder = multiViewPlaceholder()) placeholder->installView(view);
  if (select) {
    refreshSwitchingControlList(title.get());
    // The control and the placeholder show the same view: the one just added.
    selectViewWithMultiViewTitle(title.get());
  } else {
    refreshSwitchingControlList(selectedMultiViewTitle());
  }
  if (view != mSelectedMultiView.get()) view->setHidden(true);
  return true;
}

void NSUIMultiViewController::addSenderToMultiViewList(NSObject* sender) { addView(NSDynamicCast<NSView>(sender)); }

bool NSUIMultiViewController::selectMultiView(NSView* view) {
  if (!view) return false;
  if (isViewMember(view)) return selectViewWithMultiViewTitle(NSUIMultiViewTitleOf(view));
  return addMultiView_selectView(view, true);
}

bool NSUIMultiViewController::isViewMember(NSView* view) {
  NSArray* keys = mMultiViewsByTitle ? mMultiViewsByTitle->allKeysForObject(view) : nullptr;
  if (!keys) {
    _CoreMachDebugVerifyBody(__FUNCTION__, __FILE__, __LINE__, " code : keysForView");
    return false;
  }
  return keys->count() > 0;
}

void NSUIMultiViewController::refreshSelectedMultiView() {
  RefPtr<NSView> view = mSelectedMultiView;
  if (!view) return;
  view->setNeedsDisplay(false);
  view->setHidden(true);
  view->setHidden(false);
  view->setNeedsDisplay(true);
}

protocol_MultiViewSwitchingControl* NSUIMultiViewController::control() const {
  return dynamic_cast<protocol_MultiViewSwitchingControl*>(multiViewSwitchingControl());
}

NSString* NSUIMultiViewController::switchingControlSelection() const {
  protocol_MultiViewSwitchingControl* c = control();
  return c ? c->selectedMultiViewTitle() : nullptr;
}

bool NSUIMultiViewController::setSwitchingControlSelection(NSString* title) {
  protocol_MultiViewSwitchingControl* c = control();
  return c && c->setSelectedMultiViewTitle(title);
}

void NSUIMultiViewController::refreshSwitchingControlList(NSString* title) {
  RefPtr<NSObject> keep(multiViewSwitchingControl());
  if (protocol_MultiViewSwitchingControl* c = control()) c->refreshMultiViewTitlesWithSelection(title);
}

void NSUIMultiViewController::multiViewSwitchingControlSelectionChanged(NSObject*) {
  if (!selectViewWithMultiViewTitle(switchingControlSelection())) {
    _CoreMachDebugVerifyBody(__FUNCTION__, __FILE__, __LINE__,
                             " code : [self selectViewWithMultiViewTitle:[self switchingControlSelection]]");
  }
}

void NSUIMultiViewController::languageSettingsChangedRefreshTitles(NSNotification*) {
  refreshViewDictionaryForLocalization();
  refreshSwitchingControlList(selectedMultiViewTitle());
}

void NSUIMultiViewController::refreshViewDictionaryForLocalization() {
  if (!mMultiViewsByTitle) return;
  RefPtr<NSMutableDictionary> renamed(NSMutableDictionary::dictionary());
  for (NSObject* object : *mMultiViewsByTitle->allValues()) {
    auto* view = static_cast<NSView*>(object);
    if (NSString* title = NSUIMultiViewTitleOf(view)) renamed->setObject_forKey(view, title);
  }
  mMultiViewsByTitle = renamed;
}

NSArray* NSUIMultiViewController::switchingMultiViewList() {
  return mMultiViewsByTitle ? mMultiViewsByTitle->allValues() : NSArray::array();
}

NSArray* NSUIMultiViewController::switchingMultiViewTitleList() {
  if (!mMultiViewsByTitle) return NSArray::array();
  return mMultiViewsByTitle->allKeys()->sortedArrayUsingComparator([](NSObject* a, NSObject* b) {
    return static_cast<NSString*>(a)->caseInsensitiveCompare(static_cast<NSString*>(b));
  });
}

NSView* NSUIMultiViewController::defaultMultiView() const {
  NSUIViewPlaceholder* placeholder = multiViewPlaceholder();
  return placeholder ? placeholder->initialView() : nullptr;
}

NSString* NSUIMultiViewController::selectedMultiViewTitle() const {
  return mSelectedMultiView ? NSUIMultiViewTitleOf(mSelectedMultiView.get()) : nullptr;
}
