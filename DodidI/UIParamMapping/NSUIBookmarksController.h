#pragma once
// The bookmarks of one target: named code strings ("presets"), each a record
// {"presetNameString": name, "presetCodeString": code string}, shown by an array controller and
// its table. The list lives in the user defaults (an XML property list under
// "<class name>presetDataSerializationKey"), copies to and pastes from the pasteboard as text,
// exports to and imports from a design file, and applies to or reads from the target (see
// NSUIBookmarksTarget.h).
//
// The array controller's content is the one list: every operation finds its bookmarks there, in
// the order the table shows them, so a selection always names the bookmark the user sees.
#include <AppKit/NSArrayController.h>
#include <AppKit/NSTableView.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <objc/WeakPtr.h>

#include "NSUIBookmarksTarget.h"
#include "UAtomicProperty.h"

int import_NSUIBookmarksController();

class NSUIBookmarksController : public NSObject {
  OBJC_CLASS_DECL(NSUIBookmarksController, NSObject)

 public:
  NSObject* init() override;

  // "<class name><key>".
  static NSString* defaultClassKeyValue(Class cls, NSString* key);
  // The class's name.
  virtual NSString* defaultXMLExportFileName();

  // New records (autoreleased, mutable).
  NSMutableDictionary* newPresetWithScript_scriptName(NSString* script, NSString* name);
  NSMutableDictionary* newPresetWithScript(NSString* script);
  NSMutableDictionary* newPresetWithEmptyPreset();
  NSMutableDictionary* newPresetWithCurrentPreset();

  // Adding does nothing without an array controller.
  void addNewPresetForScript(NSString* script);
  void addNewPresetForScript_scriptName(NSString* script, NSString* name);
  void addNewPresetForScriptDictionary(NSDictionary* record);
  void actionAddNewPresetForCurrentPreset(NSObject* sender);
  void actionAddNewPresetForEmptyPreset(NSObject* sender);

  // Removes the selected bookmarks.
  void actionDeleteCurrentPreset(NSObject* sender);
  // Inserts "<name> 1" right after the selected bookmark.
  void actionDuplicateCurrentPreset(NSObject* sender);
  // Replaces the selected bookmark's code string with the target's, in place; with several
  // selected, only the first.
  void actionPresetScriptRead(NSObject* sender);
  void actionPresetScriptApply(NSObject* sender);
  void applyPresetScriptToBookmarkTarget(NSString* script);
  void actionCopyToPasteboardAsText(NSObject* sender);
  void actionPasteFromPasteboardAsText(NSObject* sender);
  void actionExportXML(NSObject* sender);
  void actionImportXML(NSObject* sender);

  // Name to record (immutable copies); of two bookmarks with one name the later is kept, and
  // the loss is logged.
  NSDictionary* allPresetsDictionaryWithNamedPresets();
  // Appends a copy of every record of the dictionary.
  void importPresetsFromDictionary(NSDictionary* presets);
  NSDictionary* selectedPreset() { return selectedPresetIndex(nullptr); }
  // The selected record (the first, with several), and its index in the list; null for none.
  NSDictionary* selectedPresetIndex(NSUInteger* index);

  void savePresetsToUserDefaults() { savePresetsToUserDefaults(presetDataSerializationKey()); }
  void savePresetsToUserDefaults(NSString* key);
  void loadPresetsFromUserDefaults() { loadPresetsFromUserDefaults(presetDataSerializationKey()); }
  void loadPresetsFromUserDefaults(NSString* key);

  void awakeFromNib() override;

  // The list: the array controller's records in the order shown (empty without one).
  NSArray* presetsArray();

  NSString* presetDataSerializationKey() const { return mKey.get(); }
  void setPresetDataSerializationKey(NSString* key) { mKey.set(key); }
  NSString* presetNameDefaultValue() const { return mDefaultName.get(); }
  void setPresetNameDefaultValue(NSString* name) { mDefaultName.set(name); }

  NSArrayController* outletArrayController() const { return mArrayController.get().get(); }
  void setOutletArrayController(NSArrayController* controller) { mArrayController = controller; }
  NSTableView* outletTableView() const { return mTableView.get().get(); }
  void setOutletTableView(NSTableView* table) { mTableView = table; }
  NSObject* outletScriptEditorView() const { return mEditor.get().get(); }
  void setOutletScriptEditorView(NSObject* editor) { mEditor = editor; }
  NSObject* outletTextView() const { return outletScriptEditorView(); }
  void setoutletTextView(NSObject* editor) { setOutletScriptEditorView(editor); }
  NSObject* outletTarget() const { return mTarget.get().get(); }
  void setOutletTarget(NSObject* target) { mTarget = target; }
  NSObject* delegate() const { return mDelegate.get().get(); }
  void setDelegate(NSObject* delegate) { mDelegate = delegate; }

 protected:
  NSUIBookmarksController() = default;
  // The target, held while it is used, with its protocol (its own or the defaults).
  struct TargetInUse {
    RefPtr<NSObject> object;
    NSObject_protocol_NSUIBookmarksTarget* protocol = nullptr;
  };
  TargetInUse target() const;

 private:
  UAtomicProperty<NSString> mKey;
  UAtomicProperty<NSString> mDefaultName;
  WeakPtr<NSArrayController> mArrayController;
  WeakPtr<NSTableView> mTableView;
  WeakPtr<NSObject> mEditor;
  WeakPtr<NSObject> mTarget;
  WeakPtr<NSObject> mDelegate;
};
