#pragma once
// A controller of an array of objects and of a selection among them. The arranged objects are
// the content in its own order (there is no sorting or filtering here). The controller keeps
// and edits its own copy of the array it is given, so no caller's array changes under it. Selection
// indexes follow the objects through insertions and removals, and inserted objects are
// selected unless selectsInsertedObjects is off. "arrangedObjects", "selectionIndexes",
// "selectionIndex" and "selectedObjects" are announced to key-value observers.
#include <Foundation/NSArray.h>
#include <Foundation/NSIndexSet.h>

#include <AppKit/NSObjectController.h>

class APPKIT_CLASS NSArrayController : public NSObjectController {
  OBJC_CLASS_DECL(NSArrayController, NSObjectController)

 public:
  NSObject* initWithCoder(NSCoder* coder) override;

  // A content that is no array counts as an empty one.
  void setContent(NSObject* content) override;
  NSArray* arrangedObjects() const;
  void rearrangeObjects();

  void addObject(NSObject* object) override;
  void addObjects(NSArray* objects);
  void removeObject(NSObject* object) override;
  // An index past the end raises NSRangeException, as on the platform.
  void insertObject_atArrangedObjectIndex(NSObject* object, NSUInteger index);
  void insertObjects_atArrangedObjectIndexes(NSArray* objects, NSIndexSet* indexes);
  void removeObjectAtArrangedObjectIndex(NSUInteger index);
  // Indexes past the end are ignored.
  void removeObjectsAtArrangedObjectIndexes(NSIndexSet* indexes);

  // Autoreleased copy.
  NSIndexSet* selectionIndexes() const;
  // Indexes past the end are dropped; answers whether the selection changed.
  bool setSelectionIndexes(NSIndexSet* indexes);
  NSUInteger selectionIndex() const;
  bool setSelectionIndex(NSUInteger index);
  NSArray* selectedObjects() const;
  bool selectsInsertedObjects() const { return mSelectsInsertedObjects; }
  void setSelectsInsertedObjects(bool flag) { mSelectsInsertedObjects = flag; }

 protected:
  NSArrayController() = default;
  ~NSArrayController() override;

 private:
  NSMutableArray* mutableContent();
  void willChangeArrangement();
  void didChangeArrangement();
  void willChangeSelection();
  void didChangeSelection();

  RefPtr<NSMutableIndexSet> mSelection;
  bool mSelectsInsertedObjects = true;
};
