#include "NSUIBookmarksPanel.h"

#include <AppKit/NSArrayController.h>
#include <AppKit/NSTableView.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSKeyValueCoding.h>
#include <objc/MethodTable.h>

int import_NSUIBookmarksPanel() {
  import_NSUIBookmarksTarget();
  import_NSUIBookmarksController();
  return 1;
}

OBJC_CLASS_DEFINE(NSUIBookmarksPanel)
OBJC_METHODS(NSUIBookmarksPanel,
             OBJC_METHOD("addNewPresetForEmptyDesign:", &NSUIBookmarksPanel::addNewPresetForEmptyDesign),
             OBJC_METHOD("addNewPresetForCurrentDesign:", &NSUIBookmarksPanel::addNewPresetForCurrentDesign),
             OBJC_METHOD("removeCurrentPreset:", &NSUIBookmarksPanel::removeCurrentPreset),
             OBJC_METHOD("duplicateCurrentPreset:", &NSUIBookmarksPanel::duplicateCurrentPreset),
             OBJC_METHOD("settingsScriptRead:", &NSUIBookmarksPanel::settingsScriptRead),
             OBJC_METHOD("settingsScriptApply:", &NSUIBookmarksPanel::settingsScriptApply))
NS_PROPERTIES(NSUIBookmarksPanel,
              NS_PROPERTY("outletBookmarksController", &NSUIBookmarksPanel::outletBookmarksController,
                          &NSUIBookmarksPanel::setOutletBookmarksController),
              NS_PROPERTY("mBookmarkTableView", &NSUIBookmarksPanel::mBookmarkTableView,
                          &NSUIBookmarksPanel::setmBookmarkTableView),
              NS_PROPERTY("mBookmarkSettingsText", &NSUIBookmarksPanel::mBookmarkSettingsText,
                          &NSUIBookmarksPanel::setmBookmarkSettingsText),
              NS_PROPERTY("mBookmarkTargetObject", &NSUIBookmarksPanel::mBookmarkTargetObject,
                          &NSUIBookmarksPanel::setmBookmarkTargetObject),
              NS_PROPERTY("presetsArrayController", &NSUIBookmarksPanel::presetsArrayController,
                          &NSUIBookmarksPanel::setpresetsArrayController))

NSObject* NSUIBookmarksPanel::mBookmarkTableView() const {
  NSUIBookmarksController* controller = outletBookmarksController();
  return controller ? controller->outletTableView() : nullptr;
}

void NSUIBookmarksPanel::setmBookmarkTableView(NSObject* table) {
  if (NSUIBookmarksController* controller = outletBookmarksController()) {
    controller->setOutletTableView(NSDynamicCast<NSTableView>(table));
  }
}

NSObject* NSUIBookmarksPanel::mBookmarkSettingsText() const {
  NSUIBookmarksController* controller = outletBookmarksController();
  return controller ? controller->outletScriptEditorView() : nullptr;
}

void NSUIBookmarksPanel::setmBookmarkSettingsText(NSObject* text) {
  if (NSUIBookmarksController* controller = outletBookmarksController())
    controller->setOutletScriptEditorView(text);
}

NSObject* NSUIBookmarksPanel::mBookmarkTargetObject() const {
  NSUIBookmarksController* controller = outletBookmarksController();
  return controller ? controller->outletTarget() : nullptr;
}

void NSUIBookmarksPanel::setmBookmarkTargetObject(NSObject* target) {
  if (NSUIBookmarksController* controller = outletBookmarksController()) controller->setOutletTarget(target);
}

NSObject* NSUIBookmarksPanel::presetsArrayController() const {
  NSUIBookmarksController* controller = outletBookmarksController();
  return controller ? controller->outletArrayController() : nullptr;
}

void NSUIBookmarksPanel::setpresetsArrayController(NSObject* arrayController) {
  if (NSUIBookmarksController* controller = outletBookmarksController()) {
    controller->setOutletArrayController(NSDynamicCast<NSArrayController>(arrayController));
  }
}

NSMutableDictionary* NSUIBookmarksPanel::newPresetWithScript(NSString* script) {
  NSUIBookmarksController* controller = outletBookmarksController();
  return controller ? controller->newPresetWithScript(script) : nullptr;
}

NSMutableDictionary* NSUIBookmarksPanel::newPresetWithEmptyDesign() {
  NSUIBookmarksController* controller = outletBookmarksController();
  return controller ? controller->newPresetWithEmptyPreset() : nullptr;
}

NSMutableDictionary* NSUIBookmarksPanel::newPresetWithCurrentDesign() {
  NSUIBookmarksController* controller = outletBookmarksController();
  return controller ? controller->newPresetWithCurrentPreset() : nullptr;
}

void NSUIBookmarksPanel::addNewPresetForScript(NSString* script) {
  if (NSUIBookmarksController* controller = outletBookmarksController())
    controller->addNewPresetForScript(script);
}

void NSUIBookmarksPanel::addNewPresetForEmptyDesign(NSObject* sender) {
  if (NSUIBookmarksController* controller = outletBookmarksController()) {
    controller->actionAddNewPresetForEmptyPreset(sender);
  }
}

void NSUIBookmarksPanel::addNewPresetForCurrentDesign(NSObject* sender) {
  if (NSUIBookmarksController* controller = outletBookmarksController()) {
    controller->actionAddNewPresetForCurrentPreset(sender);
  }
}

void NSUIBookmarksPanel::removeCurrentPreset(NSObject* sender) {
  if (NSUIBookmarksController* controller = outletBookmarksController())
    controller->actionDeleteCurrentPreset(sender);
}

void NSUIBookmarksPanel::duplicateCurrentPreset(NSObject* sender) {
  if (NSUIBookmarksController* controller = outletBookmarksController()) {
    controller->actionDuplicateCurrentPreset(sender);
  }
}

void NSUIBookmarksPanel::settingsScriptRead(NSObject* sender) {
  if (NSUIBookmarksController* controller = outletBookmarksController())
    controller->actionPresetScriptRead(sender);
}

void NSUIBookmarksPanel::settingsScriptApply(NSObject* sender) {
  if (NSUIBookmarksController* controller = outletBookmarksController())
    controller->actionPresetScriptApply(sender);
}

void NSUIBookmarksPanel::applyDesignCodesToBookmarkTarget(NSString* script) {
  if (NSUIBookmarksController* controller = outletBookmarksController()) {
    controller->applyPresetScriptToBookmarkTarget(script);
  }
}
