#include "NSUIDNDArrayController.h"

#include <AppKit/NSApplication.h>
#include <AppKit/NSPasteboard.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSException.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSKeyedArchiver.h>
#include <Foundation/NSKeyedUnarchiver.h>
#include <Foundation/NSURL.h>

#include <algorithm>

int import_NSUIDNDArrayController() { return 1; }

NSString* const NSUIDNDArrayController_MovedRowsTypeID = NSSTR("NSUIDNDArrayController_MovedRowsTypeID");
NSString* const NSUIDNDArrayController_CopiedRowsTypeID = NSSTR("NSUIDNDArrayController_CopiedRowsTypeID");

OBJC_CLASS_DEFINE(NSUIDNDArrayController)

NS_PROPERTIES(NSUIDNDArrayController,
              NS_PROPERTY("tableView", &NSUIDNDArrayController::tableView,
                          &NSUIDNDArrayController::setTableView),
              NS_PROPERTY("delegate", &NSUIDNDArrayController::delegate,
                          &NSUIDNDArrayController::setDelegate))

namespace CountOfIndexesInRange {

NSUInteger countOfIndexesInRange(const NSIndexSet* set, NSRange range) {
  if (!set) return 0;
  const NSUInteger end = range.length > NSUInteger(NSNotFound) - range.location
                             ? NSUInteger(NSNotFound)
                             : range.location + range.length;
  NSUInteger count = 0;
  for (NSUInteger index = set->indexGreaterThanOrEqualToIndex(range.location);
       index != NSUInteger(NSNotFound) && index < end; index = set->indexGreaterThanIndex(index)) {
    ++count;
  }
  return count;
}

}  // namespace CountOfIndexesInRange

namespace {

constexpr NSUInteger kOptionKey = 0x80000;

// The row's "url" as a URL; null when it has none or it is no URL.
NSURL* urlOfRow(NSObject* row) {
  try {
    auto* text = NSDynamicCast<NSString>(row->valueForKey(NSSTR("url")));
    return text ? NSURL::URLWithString(text) : nullptr;
  } catch (const NSException::Raised&) {
    return nullptr;
  }
}

// Rows read back from a property list are immutable; the copies must stay editable like the
// rows the controller makes.
NSArray* editableRows(NSArray* rows) {
  NSMutableArray* editable = NSMutableArray::array();
  for (NSObject* row : *rows) {
    if (auto* dictionary = NSDynamicCast<NSDictionary>(row)) {
      RefPtr<NSMutableDictionary> copy = adopt(dictionary->mutableCopy());
      editable->addObject(copy.get());
    } else {
      editable->addObject(row);
    }
  }
  return editable;
}

}  // namespace

void NSUIDNDArrayController::awakeFromNib() {
  if (RefPtr<NSTableView> table = mTableView.get()) {
    table->setDraggingSourceOperationMask_forLocal(NSDragOperationLink, false);
    table->setDraggingSourceOperationMask_forLocal(NSDragOperationCopy | NSDragOperationMove, true);
    table->registerForDraggedTypes(NSArray::arrayWithObjects(
        {NSUIDNDArrayController_CopiedRowsTypeID, NSUIDNDArrayController_MovedRowsTypeID, NSURLPboardType}));
    table->setAllowsMultipleSelection(true);
  }
  NSArrayController::awakeFromNib();
}

NSInteger NSUIDNDArrayController::numberOfRowsInTableView(NSTableView*) {
  auto* content = NSDynamicCast<NSArray>(this->content());
  return content ? NSInteger(content->count()) : 0;
}

bool NSUIDNDArrayController::tableView_writeRowsWithIndexes_toPasteboard(NSTableView*, NSIndexSet* rows,
                                                                         NSPasteboard* pasteboard) {
  if (!rows || !pasteboard) return false;
  NSArray* arranged = arrangedObjects();
  RefPtr<NSMutableIndexSet> present = adopt(rows->mutableCopy());
  present->removeIndexesInRange(NSMakeRange(arranged->count(), NSUInteger(NSNotFound) - arranged->count()));
  NSMutableArray* types = NSMutableArray::arrayWithObjects(
      {NSUIDNDArrayController_CopiedRowsTypeID, NSUIDNDArrayController_MovedRowsTypeID});
  NSURL* url = present->count() == 1 ? urlOfRow(arranged->objectAtIndex(present->firstIndex())) : nullptr;
  if (url) types->addObject(NSURLPboardType);
  pasteboard->declareTypes_owner(types, this);
  if (url) NSPasteboardSupport::writeToPasteboard(url, pasteboard);
  pasteboard->setData_forType(
      NSKeyedArchiver::archivedDataWithRootObject_requiringSecureCoding_error(present.get(), false, nullptr),
      NSUIDNDArrayController_MovedRowsTypeID);
  pasteboard->setPropertyList_forType(arranged->objectsAtIndexes(present.get()),
                                      NSUIDNDArrayController_CopiedRowsTypeID);
  return true;
}

bool NSUIDNDArrayController::isLocalMove(NSDraggingInfo* info) const {
  RefPtr<NSTableView> table = mTableView.get();
  if (!table || info->draggingSource() != table.get()) return false;
  NSEvent* event = NSApplication::sharedApplication()->currentEvent();
  return !(event && (event->modifierFlags() & kOptionKey));
}

NSDragOperation NSUIDNDArrayController::tableView_validateDrop_proposedRow_proposedDropOperation(
    NSTableView* tableView, NSDraggingInfo* info, NSInteger row, NSTableViewDropOperation) {
  if (tableView) tableView->setDropRow_dropOperation(row, NSTableViewDropAbove);
  return info && isLocalMove(info) ? NSDragOperationMove : NSDragOperationCopy;
}

bool NSUIDNDArrayController::tableView_acceptDrop_row_dropOperation(NSTableView*, NSDraggingInfo* info,
                                                                    NSInteger row, NSTableViewDropOperation) {
  NSPasteboard* pasteboard = info ? info->draggingPasteboard() : nullptr;
  if (!pasteboard) return false;
  RefPtr<NSUIDNDArrayController> self(this);
  // A drop past the end (a stale row) lands at the end.
  const NSUInteger count = arrangedObjects()->count();
  const NSUInteger at = row < 0 ? 0 : std::min(NSUInteger(row), count);

  if (isLocalMove(info)) {
    auto* moved = NSDynamicCast<NSIndexSet>(NSKeyedUnarchiver::unarchivedObjectOfClass_fromData_error(
        NSIndexSet::class_(), pasteboard->dataForType(NSUIDNDArrayController_MovedRowsTypeID), nullptr));
    if (!moved) return false;
    setSelectionIndexes(moveObjectsInArrangedObjectsFromIndexes_toIndex(moved, at));
    return true;
  }
  if (auto* copied =
          NSDynamicCast<NSArray>(pasteboard->propertyListForType(NSUIDNDArrayController_CopiedRowsTypeID))) {
    NSIndexSet* indexes = NSIndexSet::indexSetWithIndexesInRange(NSMakeRange(at, copied->count()));
    insertObjects_atArrangedObjectIndexes(editableRows(copied), indexes);
    setSelectionIndexes(indexes);
    return true;
  }
  if (auto* paths = NSDynamicCast<NSArray>(pasteboard->propertyListForType(NSFilenamesPboardType))) {
    NSUInteger index = at;
    for (NSObject* entry : *paths) {
      auto* path = NSDynamicCast<NSString>(entry);
      NSURL* url = path ? NSURL::fileURLWithPath(path) : nullptr;
      RefPtr<NSObject> object = adopt(url ? newObject() : nullptr);
      if (!object) continue;
      insertObject_atArrangedObjectIndex(object.get(), index++);
      object->setValue_forKey(url->absoluteString(), NSSTR("url"));
    }
    return true;
  }
  if (NSURL* url = NSPasteboardSupport::URLFromPasteboard(pasteboard)) {
    RefPtr<NSObject> object = adopt(newObject());
    if (!object) return false;
    insertObject_atArrangedObjectIndex(object.get(), at);
    object->setValue_forKey(url->absoluteString(), NSSTR("url"));
    object->setValue_forKey(NSDate::date(), NSSTR("date"));
    setSelectionIndexes(NSIndexSet::indexSetWithIndex(at));
    return true;
  }
  return false;
}

NSIndexSet* NSUIDNDArrayController::moveObjectsInArrangedObjectsFromIndexes_toIndex(NSIndexSet* indexes,
                                                                                    NSUInteger index) {
  // Indexes and a target past the end (stale ones) stand for nothing and for the end.
  const NSUInteger count = arrangedObjects()->count();
  RefPtr<NSMutableIndexSet> present =
      adopt(indexes ? indexes->mutableCopy() : NSMutableIndexSet::indexSet()->mutableCopy());
  present->removeIndexesInRange(NSMakeRange(count, NSUInteger(NSNotFound) - count));
  if (present->count() == 0) return NSIndexSet::indexSet();
  index = std::min(index, count);
  const NSUInteger below = CountOfIndexesInRange::countOfIndexesInRange(present.get(), NSMakeRange(0, index));
  NSIndexSet* destination =
      NSIndexSet::indexSetWithIndexesInRange(NSMakeRange(index - below, present->count()));
  RefPtr<NSArray> objects(arrangedObjects()->objectsAtIndexes(present.get()));
  removeObjectsAtArrangedObjectIndexes(present.get());
  insertObjects_atArrangedObjectIndexes(objects.get(), destination);
  return destination;
}
