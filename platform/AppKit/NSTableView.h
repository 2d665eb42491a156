#pragma once
// Tables: rows of cells in columns, the rows counted and filled by a data source, selected by
// clicks (Shift extends, Command toggles, when multiple selection is allowed), dragged out by
// the data source writing them to the drag pasteboard, and taking drops between rows that the
// data source validates and accepts. The view is flipped: row 0 is at the top. Rows are
// rowHeight high plus the intercell spacing. From a nib it takes "tableColumns",
// "rowHeight" and "allowsMultipleSelection"; "dataSource" and "delegate" are outlets.
#include <vector>

#include <Foundation/NSIndexSet.h>
#include <objc/WeakPtr.h>

#include <AppKit/NSControl.h>
#include <AppKit/NSDragging.h>
#include <AppKit/NSEvent.h>

class NSArray;
class NSPasteboard;
class NSTableColumn;
class NSTableView;

APPKIT_EXPORT NSString* const NSTableViewSelectionDidChangeNotification;

typedef NSUInteger NSTableViewDropOperation;
enum : NSUInteger { NSTableViewDropOn = 0, NSTableViewDropAbove = 1 };

// The optional methods of a table's data source.
class APPKIT_CLASS NSTableViewDataSource {
 public:
  virtual NSInteger numberOfRowsInTableView(NSTableView* tableView) { return 0; }
  virtual NSObject* tableView_objectValueForTableColumn_row(NSTableView* tableView, NSTableColumn* column,
                                                            NSInteger row) {
    return nullptr;
  }
  virtual void tableView_setObjectValue_forTableColumn_row(NSTableView* tableView, NSObject* value,
                                                           NSTableColumn* column, NSInteger row) {}
  // Writes the rows for a drag; false refuses the drag.
  virtual bool tableView_writeRowsWithIndexes_toPasteboard(NSTableView* tableView, NSIndexSet* rows,
                                                           NSPasteboard* pasteboard) {
    return false;
  }
  // The operation a drop at the proposed place would do; setDropRow_dropOperation retargets it.
  virtual NSDragOperation tableView_validateDrop_proposedRow_proposedDropOperation(
      NSTableView* tableView, NSDraggingInfo* info, NSInteger row, NSTableViewDropOperation operation) {
    return NSDragOperationNone;
  }
  virtual bool tableView_acceptDrop_row_dropOperation(NSTableView* tableView, NSDraggingInfo* info,
                                                      NSInteger row, NSTableViewDropOperation operation) {
    return false;
  }

 protected:
  ~NSTableViewDataSource() = default;
};

class APPKIT_CLASS NSTableView : public NSControl, public NSDraggingDestination, public NSDraggingSource {
  OBJC_CLASS_DECL(NSTableView, NSControl)

 public:
  NSView* initWithFrame(NSRect frame) override;
  NSObject* initWithCoder(NSCoder* coder) override;

  // Neither is retained.
  NSObject* dataSource() const { return mDataSource.get().get(); }
  void setDataSource(NSObject* dataSource);
  NSObject* delegate() const { return mDelegate.get().get(); }
  void setDelegate(NSObject* delegate) { mDelegate = delegate; }

  // Columns, left to right.
  NSArray* tableColumns() const;
  NSInteger numberOfColumns() const { return NSInteger(mColumns.size()); }
  void addTableColumn(NSTableColumn* column);
  void removeTableColumn(NSTableColumn* column);
  NSTableColumn* tableColumnWithIdentifier(NSString* identifier) const;

  // Asks the data source for the rows again; selected rows past the end are dropped.
  void reloadData();
  NSInteger numberOfRows();
  CGFloat rowHeight() const { return mRowHeight; }
  void setRowHeight(CGFloat height);
  NSSize intercellSpacing() const { return mIntercellSpacing; }
  void setIntercellSpacing(NSSize spacing);
  NSRect rectOfRow(NSInteger row) const;
  // -1 for a point on no row.
  NSInteger rowAtPoint(NSPoint point);

  // Selection.
  bool allowsMultipleSelection() const { return mAllowsMultipleSelection; }
  void setAllowsMultipleSelection(bool flag) { mAllowsMultipleSelection = flag; }
  bool allowsEmptySelection() const { return mAllowsEmptySelection; }
  void setAllowsEmptySelection(bool flag) { mAllowsEmptySelection = flag; }
  // Autoreleased copy.
  NSIndexSet* selectedRowIndexes() const;
  // The last selected row; -1 for none.
  NSInteger selectedRow() const;
  NSInteger numberOfSelectedRows() const { return NSInteger(mSelection->count()); }
  bool isRowSelected(NSInteger row) const { return row >= 0 && mSelection->containsIndex(NSUInteger(row)); }
  // Rows past the end are ignored; without multiple selection only the last one is kept.
  void selectRowIndexes_byExtendingSelection(NSIndexSet* indexes, bool extend);
  void deselectRow(NSInteger row);
  void deselectAll(NSObject* sender);

  // Dragging rows out: the operations offered to this application (local) and to others.
  void setDraggingSourceOperationMask_forLocal(NSDragOperation mask, bool isLocal);
  NSDragOperation draggingSourceOperationMaskForLocal(bool isLocal) override;
  // Dropping: where the drop under way would land; the data source may retarget it.
  void setDropRow_dropOperation(NSInteger row, NSTableViewDropOperation operation);
  NSInteger dropRow() const { return mDropRow; }
  NSTableViewDropOperation dropOperation() const { return mDropOperation; }

  NSDragOperation draggingEntered(NSDraggingInfo* sender) override;
  NSDragOperation draggingUpdated(NSDraggingInfo* sender) override;
  void draggingExited(NSDraggingInfo* sender) override;
  bool performDragOperation(NSDraggingInfo* sender) override;

  bool isFlipped() const override { return true; }
  bool acceptsFirstResponder() override { return true; }
  void mouseDown(NSEvent* event) override;
  void drawRect(NSRect dirtyRect) override;

 protected:
  NSTableView() = default;
  ~NSTableView() override;

 private:
  NSTableViewDataSource* source() const;
  void setUp();
  CGFloat rowPitch() const { return mRowHeight + mIntercellSpacing.height; }
  NSDragOperation validateDropAt(NSDraggingInfo* info);
  void changeSelection(NSMutableIndexSet* selection);
  void clickRow(NSInteger row, NSEventModifierFlags flags);
  void dragRowsFrom(NSEvent* event, NSInteger row);

  WeakPtr<NSObject> mDataSource;
  WeakPtr<NSObject> mDelegate;
  std::vector<RefPtr<NSTableColumn>> mColumns;
  NSInteger mNumberOfRows = -1;
  CGFloat mRowHeight = 17;
  NSSize mIntercellSpacing{3, 2};
  bool mAllowsMultipleSelection = false;
  bool mAllowsEmptySelection = true;
  RefPtr<NSMutableIndexSet> mSelection;
  NSInteger mSelectionAnchor = -1;
  NSDragOperation mLocalDragMask = NSDragOperationEvery;
  NSDragOperation mExternalDragMask = NSDragOperationNone;
  NSInteger mDropRow = -1;
  NSTableViewDropOperation mDropOperation = NSTableViewDropOn;
};
