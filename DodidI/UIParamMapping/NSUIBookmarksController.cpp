#include "NSUIBookmarksController.h"

#include <AppKit/NSFont.h>
#include <AppKit/NSOpenPanel.h>
#include <AppKit/NSPasteboard.h>
#include <AppKit/NSSavePanel.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSException.h>
#include <Foundation/NSIndexSet.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSPropertyList.h>
#include <Foundation/NSURL.h>
#include <Foundation/NSUserDefaults.h>
#include <Foundation/NSValue.h>
#include <objc/MethodTable.h>

#include <set>
#include <string>

#include "NSAttributedString_NSCFString_ValueTransformer.h"
#include "NSDictionary_PropertyListArchiving.h"
#include "NSTableView_Utilities.h"
#include "NSUIDesignCodes.h"
#include "NSUIDesignFeed.h"
#include "NSUITextViewTakesStringValue.h"

int import_NSUIBookmarksController() {
  import_NSUIBookmarksTarget();
  import_NSUIDesignCodes();
  import_NSTableView_Utilities();
  import_NSDictionary_PropertyListArchiving();
  import_NSUITextViewTakesStringValue();
  import_NSAttributedString_NSCFString_ValueTransformer();
  return 1;
}

OBJC_CLASS_DEFINE(NSUIBookmarksController)
OBJC_METHODS(NSUIBookmarksController,
             OBJC_METHOD("actionAddNewPresetForCurrentPreset:",
                         &NSUIBookmarksController::actionAddNewPresetForCurrentPreset),
             OBJC_METHOD("actionAddNewPresetForEmptyPreset:",
                         &NSUIBookmarksController::actionAddNewPresetForEmptyPreset),
             OBJC_METHOD("actionDeleteCurrentPreset:", &NSUIBookmarksController::actionDeleteCurrentPreset),
             OBJC_METHOD("actionDuplicateCurrentPreset:",
                         &NSUIBookmarksController::actionDuplicateCurrentPreset),
             OBJC_METHOD("actionPresetScriptRead:", &NSUIBookmarksController::actionPresetScriptRead),
             OBJC_METHOD("actionPresetScriptApply:", &NSUIBookmarksController::actionPresetScriptApply),
             OBJC_METHOD("actionCopyToPasteboardAsText:",
                         &NSUIBookmarksController::actionCopyToPasteboardAsText),
             OBJC_METHOD("actionPasteFromPasteboardAsText:",
                         &NSUIBookmarksController::actionPasteFromPasteboardAsText),
             OBJC_METHOD("actionExportXML:", &NSUIBookmarksController::actionExportXML),
             OBJC_METHOD("actionImportXML:", &NSUIBookmarksController::actionImportXML))
NS_PROPERTIES(NSUIBookmarksController,
              NS_PROPERTY("outletArrayController", &NSUIBookmarksController::outletArrayController,
                          &NSUIBookmarksController::setOutletArrayController),
              NS_PROPERTY("outletTableView", &NSUIBookmarksController::outletTableView,
                          &NSUIBookmarksController::setOutletTableView),
              NS_PROPERTY("outletScriptEditorView", &NSUIBookmarksController::outletScriptEditorView,
                          &NSUIBookmarksController::setOutletScriptEditorView),
              NS_PROPERTY("outletTarget", &NSUIBookmarksController::outletTarget,
                          &NSUIBookmarksController::setOutletTarget),
              NS_PROPERTY("delegate", &NSUIBookmarksController::delegate,
                          &NSUIBookmarksController::setDelegate),
              NS_PROPERTY("presetDataSerializationKey", &NSUIBookmarksController::presetDataSerializationKey,
                          &NSUIBookmarksController::setPresetDataSerializationKey),
              NS_PROPERTY("presetNameDefaultValue", &NSUIBookmarksController::presetNameDefaultValue,
                          &NSUIBookmarksController::setPresetNameDefaultValue))

namespace {

NSString* const kName = NSSTR("presetNameString");
NSString* const kCode = NSSTR("presetCodeString");

std::string text(NSString* string) {
  const char* utf8 = string ? string->UTF8String() : nullptr;
  return utf8 ? utf8 : "";
}

}  // namespace

NSObject* NSUIBookmarksController::init() {
  if (!NSObject::init()) return nullptr;
  setPresetDataSerializationKey(defaultClassKeyValue(classObject(), NSSTR("presetDataSerializationKey")));
  setPresetNameDefaultValue(NSSTR("My Bookmark"));
  return this;
}

NSString* NSUIBookmarksController::defaultClassKeyValue(Class cls, NSString* key) {
  return NSString::stringWithFormat(NSSTR("%@%@"), NSString::stringWithUTF8String(class_getName(cls)), key);
}

NSString* NSUIBookmarksController::defaultXMLExportFileName() {
  return NSString::stringWithUTF8String(className());
}

NSUIBookmarksController::TargetInUse NSUIBookmarksController::target() const {
  TargetInUse inUse;
  inUse.object = mTarget.get();
  inUse.protocol = NSUIBookmarksTarget::of(inUse.object.get());
  return inUse;
}

NSMutableDictionary* NSUIBookmarksController::newPresetWithScript_scriptName(NSString* script,
                                                                             NSString* name) {
  NSMutableDictionary* record = NSMutableDictionary::dictionaryWithCapacity(2);
  if (name) record->setObject_forKey(name, kName);
  if (script) record->setObject_forKey(script, kCode);
  return record;
}

NSMutableDictionary* NSUIBookmarksController::newPresetWithScript(NSString* script) {
  return newPresetWithScript_scriptName(script, presetNameDefaultValue());
}

NSMutableDictionary* NSUIBookmarksController::newPresetWithEmptyPreset() {
  TargetInUse inUse = target();
  NSString* script = inUse.protocol ? inUse.protocol->emptySettingsDictionaryScript()
                                    : NSObject_protocol_NSUIBookmarksTarget::scriptFromDictionary(nullptr);
  return newPresetWithScript(script);
}

NSMutableDictionary* NSUIBookmarksController::newPresetWithCurrentPreset() {
  TargetInUse inUse = target();
  if (!inUse.protocol) return newPresetWithEmptyPreset();
  return newPresetWithScript_scriptName(inUse.protocol->currentSettingsDictionaryScript(),
                                        inUse.protocol->currentSettingsDictionaryName());
}

void NSUIBookmarksController::addNewPresetForScript(NSString* script) {
  addNewPresetForScriptDictionary(newPresetWithScript(script));
}

void NSUIBookmarksController::addNewPresetForScript_scriptName(NSString* script, NSString* name) {
  addNewPresetForScriptDictionary(newPresetWithScript_scriptName(script, name));
}

void NSUIBookmarksController::addNewPresetForScriptDictionary(NSDictionary* record) {
  RefPtr<NSArrayController> controller = mArrayController.get();
  if (!controller || !record) return;
  controller->addObject(record);
}

void NSUIBookmarksController::actionAddNewPresetForCurrentPreset(NSObject*) {
  addNewPresetForScriptDictionary(newPresetWithCurrentPreset());
}

void NSUIBookmarksController::actionAddNewPresetForEmptyPreset(NSObject*) {
  addNewPresetForScriptDictionary(newPresetWithEmptyPreset());
}

void NSUIBookmarksController::actionDeleteCurrentPreset(NSObject*) {
  RefPtr<NSArrayController> controller = mArrayController.get();
  if (!controller) return;
  controller->removeObjectsAtArrangedObjectIndexes(controller->selectionIndexes());
}

void NSUIBookmarksController::actionDuplicateCurrentPreset(NSObject*) {
  RefPtr<NSArrayController> controller = mArrayController.get();
  NSUInteger index = 0;
  NSDictionary* selected = selectedPresetIndex(&index);
  if (!controller || !selected) return;
  NSMutableDictionary* copy = selected->mutableCopy();
  RefPtr<NSMutableDictionary> owned = adopt(copy);
  auto* name = NSDynamicCast<NSString>(selected->objectForKey(kName));
  copy->setObject_forKey(NSString::stringWithFormat(NSSTR("%@ 1"), name ? name : NSString::string()), kName);
  controller->insertObject_atArrangedObjectIndex(copy, index + 1);
}

void NSUIBookmarksController::actionPresetScriptRead(NSObject*) {
  RefPtr<NSArrayController> controller = mArrayController.get();
  TargetInUse inUse = target();
  NSUInteger index = 0;
  NSDictionary* selected = selectedPresetIndex(&index);
  NSString* script = inUse.protocol ? inUse.protocol->currentSettingsDictionaryScript() : nullptr;
  if (!controller || !selected || !script) return;
  NSMutableDictionary* replacement = selected->mutableCopy();
  RefPtr<NSMutableDictionary> owned = adopt(replacement);
  replacement->setObject_forKey(script, kCode);
  // Only the one record is replaced, in place, whatever else is selected.
  controller->removeObjectAtArrangedObjectIndex(index);
  controller->insertObject_atArrangedObjectIndex(replacement, index);
  controller->setSelectionIndex(index);
}

void NSUIBookmarksController::actionPresetScriptApply(NSObject*) {
  TargetInUse inUse = target();
  RefPtr<NSObject> editor = mEditor.get();
  if (inUse.protocol && editor) inUse.protocol->takeSettingsDictionaryScriptFrom(editor.get());
}

void NSUIBookmarksController::applyPresetScriptToBookmarkTarget(NSString* script) {
  TargetInUse inUse = target();
  if (!script || !inUse.object) return;
  inUse.protocol->setSettingsDictionaryScript(script);
}

void NSUIBookmarksController::actionCopyToPasteboardAsText(NSObject*) {
  TargetInUse inUse = target();
  NSString* script = inUse.protocol ? inUse.protocol->currentSettingsDictionaryScript() : nullptr;
  if (!script || script->length() == 0) return;
  NSPasteboard* board = NSPasteboard::generalPasteboard();
  board->declareTypes_owner(NSArray::arrayWithObject(NSStringPboardType), nullptr);
  board->setString_forType(script, NSStringPboardType);
}

void NSUIBookmarksController::actionPasteFromPasteboardAsText(NSObject*) {
  NSString* pasted = NSPasteboard::generalPasteboard()->stringForType(NSStringPboardType);
  if (pasted && pasted->length()) addNewPresetForScript(pasted);
}

void NSUIBookmarksController::actionExportXML(NSObject*) {
  NSSavePanel* panel = NSSavePanel::savePanel();
  panel->setRequiredFileType(NSSTR("plist"));
  if (panel->runModalForDirectory_file(nullptr, defaultXMLExportFileName()) != NSModalResponseOK) return;
  NSURL* file = NSURL::fileURLWithPath(panel->filename());
  if (!NSUIDesignFeed::saveDesigns_propertyListWithURL(allPresetsDictionaryWithNamedPresets(), file)) {
    NSLog(NSSTR("NSUIBookmarksController: the bookmarks could not be written to %@"), panel->filename());
  }
}

void NSUIBookmarksController::actionImportXML(NSObject*) {
  NSOpenPanel* panel = NSOpenPanel::openPanel();
  panel->setAllowsMultipleSelection(false);
  if (panel->runModalForTypes(NSArray::arrayWithObject(NSSTR("plist"))) != NSModalResponseOK) return;
  NSDictionary* presets =
      NSUIDesignFeed::loadDesignsPropertyListWithURL(NSURL::fileURLWithPath(panel->filename()));
  if (!presets) {
    NSLog(NSSTR("NSUIBookmarksController: %@ holds no bookmarks"), panel->filename());
    return;
  }
  importPresetsFromDictionary(presets);
}

NSArray* NSUIBookmarksController::presetsArray() {
  RefPtr<NSArrayController> controller = mArrayController.get();
  NSArray* records = controller ? controller->arrangedObjects() : nullptr;
  return records ? records : NSArray::array();
}

NSDictionary* NSUIBookmarksController::allPresetsDictionaryWithNamedPresets() {
  NSMutableDictionary* named = NSMutableDictionary::dictionary();
  std::set<std::string> repeated;
  for (NSObject* value : *presetsArray()) {
    auto* record = NSDynamicCast<NSDictionary>(value);
    auto* name = record ? NSDynamicCast<NSString>(record->objectForKey(kName)) : nullptr;
    if (!name) continue;
    if (named->objectForKey(name)) repeated.insert(text(name));
    named->setObject_forKey(static_cast<NSDictionary*>(record->copy()->autorelease()), name);
  }
  for (const std::string& name : repeated) {
    NSLog(NSSTR("NSUIBookmarksController: several bookmarks are named \"%s\"; only the last is kept"),
          name.c_str());
  }
  return named;
}

void NSUIBookmarksController::importPresetsFromDictionary(NSDictionary* presets) {
  if (!presets || !mArrayController) return;
  for (NSObject* key : *presets) {
    if (auto* record = NSDynamicCast<NSDictionary>(presets->objectForKey(key))) {
      RefPtr<NSMutableDictionary> copy = adopt(record->mutableCopy());
      addNewPresetForScriptDictionary(copy.get());
    }
  }
}

NSDictionary* NSUIBookmarksController::selectedPresetIndex(NSUInteger* index) {
  RefPtr<NSArrayController> controller = mArrayController.get();
  if (!controller) return nullptr;
  NSArray* records = presetsArray();
  NSUInteger selected = controller->selectionIndex();
  if (selected >= records->count()) return nullptr;
  if (index) *index = selected;
  return NSDynamicCast<NSDictionary>(records->objectAtIndex(selected));
}

void NSUIBookmarksController::savePresetsToUserDefaults(NSString* key) {
  RefPtr<NSArrayController> controller = mArrayController.get();
  if (!key || !controller || !controller->content()) return;
  NSData* data = NSPropertyListSerialization::dataFromPropertyList_format_errorDescription(
      controller->content(), NSPropertyListXMLFormat_v1_0, nullptr);
  if (!data) return;
  NSUserDefaults* defaults = NSUserDefaults::standardUserDefaults();
  defaults->setObject_forKey(data, key);
  defaults->synchronize();
}

void NSUIBookmarksController::loadPresetsFromUserDefaults(NSString* key) {
  RefPtr<NSArrayController> controller = mArrayController.get();
  if (!key || !controller) return;
  NSData* data = NSUserDefaults::standardUserDefaults()->dataForKey(key);
  if (!data) return;
  auto* list = NSDynamicCast<NSArray>(
      NSPropertyListSerialization::propertyListFromData_mutabilityOption_format_errorDescription(
          data, NSPropertyListMutableContainers, nullptr, nullptr));
  controller->setContent(list ? list : NSMutableArray::array());
}

void NSUIBookmarksController::awakeFromNib() {
  // The editor shows plain text in the transformer's attributes, where it takes them.
  if (RefPtr<NSObject> editor = mEditor.get()) {
    if (editor->respondsToSelector(SELECTOR("setRichText:"))) {
      editor->performSelector_withObject(SELECTOR("setRichText:"), NSNumber::numberWithBool(false));
    }
    if (editor->respondsToSelector(SELECTOR("setTypingAttributes:"))) {
      editor->performSelector_withObject(
          SELECTOR("setTypingAttributes:"),
          NSAttributedString_NSCFString_ValueTransformer::defaultTextAttributes());
    }
  }
  if (RefPtr<NSTableView> table = mTableView.get()) {
    NSTableView_Utilities::setFontUtility(table.get(),
                                          NSFont::systemFontOfSize(NSFont::smallSystemFontSize()));
  }
  RefPtr<NSArrayController> controller = mArrayController.get();
  if (controller && !controller->content()) controller->setContent(NSMutableArray::array());
  loadPresetsFromUserDefaults();
}
