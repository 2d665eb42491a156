#pragma once
// An array controller that is the data source of a table showing its arranged objects (rows
// with a "url" key): rows are moved by dragging them within the table, copied by dragging
// with the option key or to another table, and made by dropping files or a URL. The drag
// carries the dragged indexes (for a move) and the dragged rows as a property list (for a
// copy) under private pasteboard types, and a single row's URL for other applications.
#include <AppKit/NSArrayController.h>
#include <AppKit/NSTableView.h>
#include <Foundation/NSRange.h>
#include <objc/WeakPtr.h>

int import_NSUIDNDArrayController();

// Data: the keyed archive of the dragged NSIndexSet.
extern NSString* const NSUIDNDArrayController_MovedRowsTypeID;
// Property list: the dragged rows in index order.
extern NSString* const NSUIDNDArrayController_CopiedRowsTypeID;

// The category CountOfIndexesInRange on NSIndexSet.
namespace CountOfIndexesInRange {
// The number of indexes of the set within the range.
NSUInteger countOfIndexesInRange(const NSIndexSet* set, NSRange range);
}  // namespace CountOfIndexesInRange

class NSUIDNDArrayController : public NSArrayController, public NSTableViewDataSource {
  OBJC_CLASS_DECL(NSUIDNDArrayController, NSArrayController)

 public:
  // Outlets, not retained; the delegate is only kept for others.
  NSTableView* tableView() const { return mTableView.get().get(); }
  void setTableView(NSTableView* tableView) { mTableView = tableView; }
  NSObject* delegate() const { return mDelegate.get().get(); }
  void setDelegate(NSObject* delegate) { mDelegate = delegate; }

  // Sets the table up for dragging rows out and taking drops.
  void awakeFromNib() override;

  NSInteger numberOfRowsInTableView(NSTableView* tableView) override;
  // Nothing: the cells are bound to the arranged objects.
  NSObject* tableView_objectValueForTableColumn_row(NSTableView*, NSTableColumn*, NSInteger) override {
    return nullptr;
  }
  bool tableView_writeRowsWithIndexes_toPasteboard(NSTableView* tableView, NSIndexSet* rows,
                                                   NSPasteboard* pasteboard) override;
  // Drops land between rows: a move within this controller's table, a copy otherwise.
  NSDragOperation tableView_validateDrop_proposedRow_proposedDropOperation(
      NSTableView* tableView, NSDraggingInfo* info, NSInteger row,
      NSTableViewDropOperation operation) override;
  bool tableView_acceptDrop_row_dropOperation(NSTableView* tableView, NSDraggingInfo* info, NSInteger row,
                                              NSTableViewDropOperation operation) override;

  // Moves the objects at the indexes to before the object at index (before the end for the
  // count), keeping their order; answers their new indexes (autoreleased).
  NSIndexSet* moveObjectsInArrangedObjectsFromIndexes_toIndex(NSIndexSet* indexes, NSUInteger index);

 protected:
  NSUIDNDArrayController() = default;

 private:
  // A drag of this controller's own table without the option key.
  bool isLocalMove(NSDraggingInfo* info) const;

  WeakPtr<NSTableView> mTableView;
  WeakPtr<NSObject> mDelegate;
};
