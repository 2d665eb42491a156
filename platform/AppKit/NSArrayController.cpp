#include <AppKit/NSArrayController.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSException.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSString.h>

OBJC_CLASS_DEFINE(NSArrayController)

NS_PROPERTIES(NSArrayController, NS_READONLY_PROPERTY("arrangedObjects", &NSArrayController::arrangedObjects),
              NSKeyValueProperty{"selectionIndexes",
                                 [](NSObject* self) -> NSObject* {
                                   return static_cast<NSArrayController*>(self)->selectionIndexes();
                                 },
                                 [](NSObject* self, NSObject* value) {
                                   static_cast<NSArrayController*>(self)->setSelectionIndexes(
                                       NSDynamicCast<NSIndexSet>(value));
                                 }},
              NS_READONLY_PROPERTY("selectedObjects", &NSArrayController::selectedObjects))

NSArrayController::~NSArrayController() = default;

NSObject* NSArrayController::initWithCoder(NSCoder* coder) {
  if (!NSObjectController::initWithCoder(coder)) return nullptr;
  setContent(NSMutableArray::array());
  return this;
}

NSMutableArray* NSArrayController::mutableContent() {
  if (!mContent) mContent = adopt(static_cast<NSObject*>(NSMutableArray::array()->mutableCopy()));
  return static_cast<NSMutableArray*>(mContent.get());
}

void NSArrayController::willChangeArrangement() {
  willChangeValueForKey(NSSTR("arrangedObjects"));
  willChangeSelection();
}

void NSArrayController::didChangeArrangement() {
  didChangeSelection();
  didChangeValueForKey(NSSTR("arrangedObjects"));
}

void NSArrayController::willChangeSelection() {
  willChangeValueForKey(NSSTR("selectionIndexes"));
  willChangeValueForKey(NSSTR("selectionIndex"));
  willChangeValueForKey(NSSTR("selectedObjects"));
}

void NSArrayController::didChangeSelection() {
  didChangeValueForKey(NSSTR("selectedObjects"));
  didChangeValueForKey(NSSTR("selectionIndex"));
  didChangeValueForKey(NSSTR("selectionIndexes"));
}

void NSArrayController::setContent(NSObject* content) {
  auto* array = NSDynamicCast<NSArray>(content);
  RefPtr<NSMutableArray> copy = adopt(array ? array->mutableCopy() : NSMutableArray::array()->mutableCopy());
  willChangeArrangement();
  NSObjectController::setContent(copy.get());
  mSelection = adopt(static_cast<NSMutableIndexSet*>(NSMutableIndexSet::indexSet()->mutableCopy()));
  didChangeArrangement();
}

NSArray* NSArrayController::arrangedObjects() const {
  return mContent ? static_cast<NSArray*>(mContent.get()) : NSArray::array();
}

void NSArrayController::rearrangeObjects() {
  willChangeArrangement();
  didChangeArrangement();
}

void NSArrayController::addObject(NSObject* object) {
  insertObject_atArrangedObjectIndex(object, arrangedObjects()->count());
}

void NSArrayController::addObjects(NSArray* objects) {
  if (!objects) return;
  const NSUInteger start = arrangedObjects()->count();
  insertObjects_atArrangedObjectIndexes(
      objects, NSIndexSet::indexSetWithIndexesInRange(NSMakeRange(start, objects->count())));
}

void NSArrayController::removeObject(NSObject* object) {
  const NSUInteger index = arrangedObjects()->indexOfObject(object);
  if (index != NSUInteger(NSNotFound)) removeObjectAtArrangedObjectIndex(index);
}

void NSArrayController::insertObject_atArrangedObjectIndex(NSObject* object, NSUInteger index) {
  if (!object) return;
  insertObjects_atArrangedObjectIndexes(NSArray::arrayWithObject(object),
                                        NSIndexSet::indexSetWithIndex(index));
}

void NSArrayController::insertObjects_atArrangedObjectIndexes(NSArray* objects, NSIndexSet* indexes) {
  if (!objects || !indexes || objects->count() == 0) return;
  if (objects->count() != indexes->count() ||
      indexes->lastIndex() >= arrangedObjects()->count() + objects->count()) {
    NSException::raise_format(NSRangeException, NSSTR("insertion indexes %@ do not fit %lu objects into %lu"),
                              indexes, (unsigned long)objects->count(),
                              (unsigned long)arrangedObjects()->count());
  }
  RefPtr<NSArray> keep(objects);
  willChangeArrangement();
  NSMutableArray* content = mutableContent();
  indexes->enumerateIndexesUsingBlock(
      [&](NSUInteger index, bool*) { mSelection->shiftIndexesStartingAtIndex_by(index, 1); });
  content->insertObjects_atIndexes(objects, indexes);
  if (mSelectsInsertedObjects) {
    mSelection->removeAllIndexes();
    mSelection->addIndexes(indexes);
  }
  didChangeArrangement();
}

void NSArrayController::removeObjectAtArrangedObjectIndex(NSUInteger index) {
  removeObjectsAtArrangedObjectIndexes(NSIndexSet::indexSetWithIndex(index));
}

void NSArrayController::removeObjectsAtArrangedObjectIndexes(NSIndexSet* indexes) {
  const NSUInteger count = arrangedObjects()->count();
  if (!indexes || count == 0) return;
  RefPtr<NSMutableIndexSet> present = adopt(indexes->mutableCopy());
  present->removeIndexesInRange(NSMakeRange(count, NSUInteger(NSNotFound) - count));
  if (present->count() == 0) return;
  willChangeArrangement();
  mutableContent()->removeObjectsAtIndexes(present.get());
  // From the top down, so that each shift sees the indexes as they stand.
  for (NSUInteger index = present->lastIndex(); index != NSUInteger(NSNotFound);
       index = present->indexLessThanIndex(index)) {
    mSelection->shiftIndexesStartingAtIndex_by(index + 1, -1);
  }
  didChangeArrangement();
}

NSIndexSet* NSArrayController::selectionIndexes() const {
  return static_cast<NSIndexSet*>(mSelection ? mSelection->copy()->autorelease() : NSIndexSet::indexSet());
}

bool NSArrayController::setSelectionIndexes(NSIndexSet* indexes) {
  RefPtr<NSMutableIndexSet> wanted =
      adopt(indexes ? indexes->mutableCopy() : NSMutableIndexSet::indexSet()->mutableCopy());
  const NSUInteger count = arrangedObjects()->count();
  wanted->removeIndexesInRange(NSMakeRange(count, NSUInteger(NSNotFound) - count));
  if (mSelection && mSelection->isEqualToIndexSet(wanted.get())) return false;
  willChangeSelection();
  mSelection = wanted;
  didChangeSelection();
  return true;
}

NSUInteger NSArrayController::selectionIndex() const {
  return mSelection ? mSelection->firstIndex() : NSUInteger(NSNotFound);
}

bool NSArrayController::setSelectionIndex(NSUInteger index) {
  return setSelectionIndexes(index == NSUInteger(NSNotFound) ? NSIndexSet::indexSet()
                                                             : NSIndexSet::indexSetWithIndex(index));
}

NSArray* NSArrayController::selectedObjects() const {
  return mSelection ? arrangedObjects()->objectsAtIndexes(mSelection.get()) : NSArray::array();
}
