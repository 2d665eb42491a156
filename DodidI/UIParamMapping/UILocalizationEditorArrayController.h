#pragma once
// The editor of one localization preset: a table of id and text rows, sorted by id the way the
// user's language sorts, made from the selected preset's code string. Texts are edited in the
// table; updateValues writes the rows back into the preset as a code string, revertValues puts
// back the code string as it was when the preset was selected.
//
// The rows follow the presets' selection: one selected preset with a code string shows its
// rows; none, several, or an empty code keep the rows and forget the saved string. The
// observation of the presets ends by itself when the editor goes (key-value observing forgets
// observers that are destroyed).
#include <AppKit/NSArrayController.h>
#include <AppKit/NSTableView.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSDictionary.h>
#include <objc/WeakPtr.h>

#include <atomic>

#include "UAtomicProperty.h"

int import_UILocalizationEditorArrayController();

class UILocalizationEditorArrayController : public NSArrayController, public NSTableViewDataSource {
  OBJC_CLASS_DECL(UILocalizationEditorArrayController, NSArrayController)

 public:
  NSInteger numberOfRowsInTableView(NSTableView* tableView) override;
  // The row's "propertyKeyPath" or "propertyKeyValue"; an empty text past the rows.
  NSObject* tableView_objectValueForTableColumn_row(NSTableView* tableView, NSTableColumn* column,
                                                    NSInteger row) override;
  // Only texts ("propertyKeyValue") are edited; an edit marks the editor dirty.
  void tableView_setObjectValue_forTableColumn_row(NSTableView* tableView, NSObject* value,
                                                   NSTableColumn* column, NSInteger row) override;
  void tableView_sortDescriptorsDidChange(NSTableView*, NSArray*) {}
  void doubleClickEditSelection(NSObject*) {}

  void setArrangedObjectsDictionary(NSDictionary* dictionary);
  NSDictionary* arrangedObjectsDictionary() const;
  NSString* arrangedObjectsStringValue() const;
  NSString* stringValue() const { return arrangedObjectsStringValue(); }
  void setArrangedObjectsStringValue(NSString* script);

  static NSDictionary* dictionaryFromScript(NSString* script);
  static NSString* scriptFromDictionary(NSDictionary* dictionary);

  void updateValues(NSObject* sender);
  void revertValues(NSObject* sender);

  void controllerSelectionChanged(NSObject* value);
  void outletArrayControllerSelectionChanged();
  void observeValueForKeyPath_ofObject_change_context(NSString* keyPath, NSObject* object,
                                                      NSDictionary* change, void* context) override;
  void awakeFromNib() override;

  // The rows: mutable dictionaries of "propertyKeyPath" and "propertyKeyValue".
  NSMutableArray* arrangedObjects() const { return mRows.get(); }
  void setArrangedObjects(NSMutableArray* rows) { mRows.set(rows); }
  bool arrangedObjectsDirty() const { return mDirty; }
  void setArrangedObjectsDirty(bool dirty) { mDirty = dirty; }
  // A copy of the code string last loaded from the selection.
  NSString* arrangedObjectsStringValueSaved() const { return mSaved.get(); }

  NSArrayController* outletArrayController() const { return mPresets.get().get(); }
  void setOutletArrayController(NSArrayController* controller);
  NSTableView* outletTableView() const { return mTable.get().get(); }
  void setOutletTableView(NSTableView* table) { mTable = table; }

 protected:
  UILocalizationEditorArrayController() = default;

 private:
  // The one selected preset's code string; null for none, several or an empty code.
  NSString* selectedPresetCodeString() const;
  // Writes a code string into the one selected preset.
  void setSelectedPresetCodeString(NSString* script);
  void stopObserving();

  UAtomicProperty<NSMutableArray> mRows;
  UAtomicProperty<NSString> mSaved;
  std::atomic<bool> mDirty{false};
  WeakPtr<NSArrayController> mPresets;
  WeakPtr<NSTableView> mTable;
  WeakPtr<NSArrayController> mObserved;
};
