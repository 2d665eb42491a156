#pragma once
// A panel whose buttons and outlets stand for a bookmarks controller: every method passes on
// to outletBookmarksController.
#include <AppKit/NSPanel.h>
#include <objc/WeakPtr.h>

#include "NSUIBookmarksController.h"

int import_NSUIBookmarksPanel();

class NSUIBookmarksPanel : public NSPanel {
  OBJC_CLASS_DECL(NSUIBookmarksPanel, NSPanel)

 public:
  NSUIBookmarksController* outletBookmarksController() const { return mController.get().get(); }
  void setOutletBookmarksController(NSUIBookmarksController* controller) { mController = controller; }

  NSObject* mBookmarkTableView() const;
  void setmBookmarkTableView(NSObject* table);
  NSObject* mBookmarkSettingsText() const;
  void setmBookmarkSettingsText(NSObject* text);
  NSObject* mBookmarkTargetObject() const;
  void setmBookmarkTargetObject(NSObject* target);
  NSObject* presetsArrayController() const;
  void setpresetsArrayController(NSObject* controller);

  NSMutableDictionary* newPresetWithScript(NSString* script);
  NSMutableDictionary* newPresetWithEmptyDesign();
  NSMutableDictionary* newPresetWithCurrentDesign();
  void addNewPresetForScript(NSString* script);
  void addNewPresetForEmptyDesign(NSObject* sender);
  void addNewPresetForCurrentDesign(NSObject* sender);
  void removeCurrentPreset(NSObject* sender);
  void duplicateCurrentPreset(NSObject* sender);
  void settingsScriptRead(NSObject* sender);
  void settingsScriptApply(NSObject* sender);
  void applyDesignCodesToBookmarkTarget(NSString* script);

  // Does nothing, not even the inherited awakening.
  void awakeFromNib() override {}

 protected:
  NSUIBookmarksPanel() = default;

 private:
  WeakPtr<NSUIBookmarksController> mController;
};
