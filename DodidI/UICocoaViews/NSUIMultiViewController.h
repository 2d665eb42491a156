#pragma once
// A window area that shows one of several titled views at a time: the controller keeps the
// views by title, shows the selected one in a placeholder, keeps the switching control's
// titles and selection in step, and follows the user-interface language: at a language change
// the views are listed again under their new titles.
#include <AppKit/NSView.h>
#include <objc/WeakPtr.h>

#include "NSUIViewPlaceholder.h"
#include "protocol_MultiView.h"

class NSMutableDictionary;
class NSNotification;

int import_NSUIMultiViewController();

// Posted by the language table when the user-interface language changes.
extern NSString* const UILocalLanguageControllerDidChangeLanguageNotification;

class NSUIMultiViewController : public NSObject, public protocol_MultiViewHost {
  OBJC_CLASS_DECL(NSUIMultiViewController, NSObject)

 public:
  NSObject* init() override;
  void awakeFromNib() override;

  void createViewDictionaryOnce();
  NSView* multiViewWithTitle(NSString* title) override;
  bool selectViewWithMultiViewTitle(NSString* title) override;
  bool setSelectedMultiViewTitle(NSString* title) override { return selectViewWithMultiViewTitle(title); }
  bool selectViewWithTitle(NSString* title) { return selectViewWithMultiViewTitle(title); }
  bool addMultiView_selectView(NSView* view, bool select) override;
  bool addView(NSView* view) { return addMultiView_selectView(view, false); }
  void addSenderToMultiViewList(NSObject* sender) override;
  bool selectMultiView(NSView* view);
  bool selectDefaultMultiView() { return selectMultiView(defaultMultiView()); }
  bool isViewMember(NSView* view);
  NSView* selectedView() const { return selectedMultiView(); }
  void refreshSelectedMultiView();
  NSString* switchingControlSelection() const;
  bool setSwitchingControlSelection(NSString* title);
  void refreshSwitchingControlList(NSString* title);
  void multiViewSwitchingControlSelectionChanged(NSObject* sender) override;
  void languageSettingsChangedRefreshTitles(NSNotification* notification);
  void refreshViewDictionaryForLocalization();

  NSArray* switchingMultiViewList() override;
  NSArray* switchingMultiViewTitleList() override;
  NSView* defaultMultiView() const;
  NSView* selectedMultiView() const override { return mSelectedMultiView.get(); }
  NSString* selectedMultiViewTitle() const override;

  NSUIViewPlaceholder* multiViewPlaceholder() const { return mMultiViewPlaceholder.get().get(); }
  void setMultiViewPlaceholder(NSUIViewPlaceholder* placeholder) { mMultiViewPlaceholder = placeholder; }
  NSObject* multiViewSwitchingControl() const { return mMultiViewSwitchingControl.get().get(); }
  void setMultiViewSwitchingControl(NSObject* control) { mMultiViewSwitchingControl = control; }

 protected:
  ~NSUIMultiViewController() override;

 private:
  protocol_MultiViewSwitchingControl* control() const;

  WeakPtr<NSUIViewPlaceholder> mMultiViewPlaceholder;
  WeakPtr<NSObject> mMultiViewSwitchingControl;
  RefPtr<NSMutableDictionary> mMultiViewsByTitle;
  RefPtr<NSView> mSelectedMultiView;
};
