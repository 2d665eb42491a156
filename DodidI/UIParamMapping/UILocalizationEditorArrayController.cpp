#include "UILocalizationEditorArrayController.h"

#include <AppKit/NSTableColumn.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSIndexSet.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSKeyValueObserving.h>
#include <Foundation/NSString+Values.h>
#include <objc/MethodTable.h>

#include "NSUIBookmarksTarget.h"
#include "NSUIDNDArrayController.h"
#include "NSUIDesignCodes.h"

int import_UILocalizationEditorArrayController() {
  import_NSUIDNDArrayController();
  import_NSUIDesignCodes();
  return 1;
}

OBJC_CLASS_DEFINE(UILocalizationEditorArrayController)
OBJC_METHODS(UILocalizationEditorArrayController,
             OBJC_METHOD("updateValues:", &UILocalizationEditorArrayController::updateValues),
             OBJC_METHOD("revertValues:", &UILocalizationEditorArrayController::revertValues),
             OBJC_METHOD("doubleClickEditSelection:",
                         &UILocalizationEditorArrayController::doubleClickEditSelection))
NS_PROPERTIES(UILocalizationEditorArrayController,
              NS_PROPERTY("arrangedObjects", &UILocalizationEditorArrayController::arrangedObjects,
                          &UILocalizationEditorArrayController::setArrangedObjects),
              NS_READONLY_PROPERTY("stringValue", &UILocalizationEditorArrayController::stringValue),
              NS_PROPERTY("outletArrayController",
                          &UILocalizationEditorArrayController::outletArrayController,
                          &UILocalizationEditorArrayController::setOutletArrayController),
              NS_PROPERTY("outletTableView", &UILocalizationEditorArrayController::outletTableView,
                          &UILocalizationEditorArrayController::setOutletTableView))

namespace {

NSString* const kKeyPath = NSSTR("propertyKeyPath");
NSString* const kValue = NSSTR("propertyKeyValue");
NSString* const kCode = NSSTR("presetCodeString");
const int kSelectionContext = 0;

}  // namespace

NSInteger UILocalizationEditorArrayController::numberOfRowsInTableView(NSTableView*) {
  NSMutableArray* rows = arrangedObjects();
  return rows ? NSInteger(rows->count()) : 0;
}

NSObject* UILocalizationEditorArrayController::tableView_objectValueForTableColumn_row(NSTableView*,
                                                                                       NSTableColumn* column,
                                                                                       NSInteger row) {
  NSMutableArray* rows = arrangedObjects();
  if (!rows || !column || row < 0 || NSUInteger(row) >= rows->count()) return NSString::string();
  NSObject* value =
      static_cast<NSDictionary*>(rows->objectAtIndex(NSUInteger(row)))->objectForKey(column->identifier());
  return value ? value : NSString::string();
}

void UILocalizationEditorArrayController::tableView_setObjectValue_forTableColumn_row(NSTableView*,
                                                                                      NSObject* value,
                                                                                      NSTableColumn* column,
                                                                                      NSInteger row) {
  NSMutableArray* rows = arrangedObjects();
  if (!rows || !column || !value || row < 0 || NSUInteger(row) >= rows->count()) return;
  NSString* identifier = column->identifier();
  if (!identifier || !identifier->isEqualToString(kValue)) return;
  static_cast<NSMutableDictionary*>(rows->objectAtIndex(NSUInteger(row)))->setObject_forKey(value, kValue);
  setArrangedObjectsDirty(true);
}

void UILocalizationEditorArrayController::setArrangedObjectsDictionary(NSDictionary* dictionary) {
  NSMutableArray* rows = NSMutableArray::array();
  if (dictionary) {
    NSArray* keys = dictionary->allKeys()->sortedArrayUsingComparator([](NSObject* a, NSObject* b) {
      return NSStringValues::localizedCaseInsensitiveCompare(static_cast<NSString*>(a),
                                                             static_cast<NSString*>(b));
    });
    for (NSObject* key : *keys) {
      NSMutableDictionary* row = NSMutableDictionary::dictionaryWithCapacity(2);
      row->setObject_forKey(key, kKeyPath);
      row->setObject_forKey(dictionary->objectForKey(key), kValue);
      rows->addObject(row);
    }
  }
  setArrangedObjects(rows);
  setArrangedObjectsDirty(false);
  if (RefPtr<NSTableView> table = mTable.get()) table->reloadData();
}

NSDictionary* UILocalizationEditorArrayController::arrangedObjectsDictionary() const {
  NSMutableDictionary* dictionary = NSMutableDictionary::dictionary();
  if (NSMutableArray* rows = arrangedObjects()) {
    for (NSObject* value : *rows) {
      auto* row = static_cast<NSDictionary*>(value);
      NSObject* key = row->objectForKey(kKeyPath);
      NSObject* text = row->objectForKey(kValue);
      if (key && text) dictionary->setObject_forKey(text, key);
    }
  }
  return static_cast<NSDictionary*>(dictionary->copy()->autorelease());
}

NSString* UILocalizationEditorArrayController::arrangedObjectsStringValue() const {
  return scriptFromDictionary(arrangedObjectsDictionary());
}

void UILocalizationEditorArrayController::setArrangedObjectsStringValue(NSString* script) {
  if (script) {
    if (NSDictionary* dictionary = dictionaryFromScript(script)) setArrangedObjectsDictionary(dictionary);
  }
  mSaved.set(script ? NSString::stringWithString(script) : nullptr);
}

NSDictionary* UILocalizationEditorArrayController::dictionaryFromScript(NSString* script) {
  if (!script) return NSDictionary::dictionary();
  NSUIDesignCodes* codes = NSUIDesignCodes::codesWithCodeString(script);
  return codes ? codes->codeDictionary() : nullptr;
}

NSString* UILocalizationEditorArrayController::scriptFromDictionary(NSDictionary* dictionary) {
  return NSObject_protocol_NSUIBookmarksTarget::scriptFromDictionary(dictionary);
}

NSString* UILocalizationEditorArrayController::selectedPresetCodeString() const {
  RefPtr<NSArrayController> presets = mPresets.get();
  NSArray* selected = presets ? presets->selectedObjects() : nullptr;
  if (!selected || selected->count() != 1) return nullptr;
  auto* record = NSDynamicCast<NSDictionary>(selected->firstObject());
  auto* script = record ? NSDynamicCast<NSString>(record->objectForKey(kCode)) : nullptr;
  return script && script->length() ? script : nullptr;
}

void UILocalizationEditorArrayController::setSelectedPresetCodeString(NSString* script) {
  RefPtr<NSArrayController> presets = mPresets.get();
  if (!presets || !script) return;
  NSIndexSet* selection = presets->selectionIndexes();
  if (selection->count() != 1) return;
  NSUInteger index = selection->firstIndex();
  auto* record = NSDynamicCast<NSDictionary>(presets->arrangedObjects()->objectAtIndex(index));
  if (!record) return;
  RefPtr<NSMutableDictionary> replacement = adopt(record->mutableCopy());
  replacement->setObject_forKey(script, kCode);
  presets->removeObjectAtArrangedObjectIndex(index);
  presets->insertObject_atArrangedObjectIndex(replacement.get(), index);
  presets->setSelectionIndex(index);
}

void UILocalizationEditorArrayController::updateValues(NSObject*) {
  setSelectedPresetCodeString(arrangedObjectsStringValue());
}

void UILocalizationEditorArrayController::revertValues(NSObject*) {
  RefPtr<NSString> saved = mSaved.copy();
  setSelectedPresetCodeString(saved.get());
}

void UILocalizationEditorArrayController::controllerSelectionChanged(NSObject* value) {
  willChangeValueForKey(NSSTR("arrangedObjects"));
  auto* script = NSDynamicCast<NSString>(value);
  setArrangedObjectsStringValue(script && script->length() ? script : nullptr);
  didChangeValueForKey(NSSTR("arrangedObjects"));
}

void UILocalizationEditorArrayController::outletArrayControllerSelectionChanged() {
  controllerSelectionChanged(selectedPresetCodeString());
}

void UILocalizationEditorArrayController::observeValueForKeyPath_ofObject_change_context(NSString*, NSObject*,
                                                                                         NSDictionary* change,
                                                                                         void* context) {
  if (context != &kSelectionContext) return;
  auto* kind = change ? NSDynamicCast<NSNumber>(change->objectForKey(NSKeyValueChangeKindKey)) : nullptr;
  if (kind && kind->unsignedLongValue() != NSKeyValueChangeSetting) return;
  outletArrayControllerSelectionChanged();
}

void UILocalizationEditorArrayController::setOutletArrayController(NSArrayController* controller) {
  mPresets = controller;
}

void UILocalizationEditorArrayController::stopObserving() {
  RefPtr<NSArrayController> observed = mObserved.get();
  if (!observed) return;
  observed->removeObserver_forKeyPath(this, NSSTR("selectionIndexes"));
  observed->removeObserver_forKeyPath(this, NSSTR("arrangedObjects"));
  mObserved = nullptr;
}

void UILocalizationEditorArrayController::awakeFromNib() {
  NSArrayController::awakeFromNib();
  setArrangedObjects(NSMutableArray::array());
  mSaved.set(NSString::string());
  RefPtr<NSArrayController> presets = mPresets.get();
  if (!presets) return;
  outletArrayControllerSelectionChanged();
  stopObserving();
  // The selected preset's code changes when the selection moves and when its record is
  // replaced: both are watched.
  for (NSString* key : {NSSTR("selectionIndexes"), NSSTR("arrangedObjects")}) {
    presets->addObserver_forKeyPath_options_context(this, key, NSKeyValueObservingOptionNew,
                                                    const_cast<int*>(&kSelectionContext));
  }
  mObserved = presets.get();
}
