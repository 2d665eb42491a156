#include <AppKit/NSApplication.h>
#include <AppKit/NSColor.h>
#include <AppKit/NSGraphics.h>
#include <AppKit/NSPasteboard.h>
#include <AppKit/NSTableColumn.h>
#include <AppKit/NSTableView.h>
#include <AppKit/NSWindow.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSCoder.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSKeyValueCoding.h>
#include <Foundation/NSNotificationCenter.h>

#include <algorithm>
#include <cmath>

NSString* const NSTableViewSelectionDidChangeNotification =
    NSSTR("NSTableViewSelectionDidChangeNotification");

OBJC_CLASS_DEFINE(NSTableView)

NS_PROPERTIES(NSTableView, NS_PROPERTY("dataSource", &NSTableView::dataSource, &NSTableView::setDataSource),
              NS_PROPERTY("delegate", &NSTableView::delegate, &NSTableView::setDelegate))

namespace {

// How far the mouse goes with the button down before rows are dragged rather than clicked.
constexpr CGFloat kDragThreshold = 4;

// Where the event happened on screen: a drag may go on over another window.
NSPoint screenLocationOf(NSEvent* event) {
  NSWindow* window = event->window();
  return window ? window->convertBaseToScreen(event->locationInWindow()) : event->locationInWindow();
}

}  // namespace

NSTableView::~NSTableView() {
  for (const RefPtr<NSTableColumn>& column : mColumns) column->setTableView(nullptr);
}

void NSTableView::setUp() { mSelection = adopt(NSMutableIndexSet::indexSet()->mutableCopy()); }

NSView* NSTableView::initWithFrame(NSRect frame) {
  if (!NSControl::initWithFrame(frame)) return nullptr;
  setUp();
  return this;
}

NSObject* NSTableView::initWithCoder(NSCoder* coder) {
  if (!NSControl::initWithCoder(coder)) return nullptr;
  setUp();
  if (auto* columns = NSDynamicCast<NSArray>(coder->decodeObjectForKey(NSSTR("tableColumns")))) {
    for (NSObject* object : *columns) {
      if (auto* column = NSDynamicCast<NSTableColumn>(object)) addTableColumn(column);
    }
  }
  if (coder->containsValueForKey(NSSTR("rowHeight")))
    setRowHeight(coder->decodeDoubleForKey(NSSTR("rowHeight")));
  mAllowsMultipleSelection = coder->decodeBoolForKey(NSSTR("allowsMultipleSelection"));
  return this;
}

NSTableViewDataSource* NSTableView::source() const {
  return dynamic_cast<NSTableViewDataSource*>(mDataSource.get().get());
}

void NSTableView::setDataSource(NSObject* dataSource) {
  mDataSource = dataSource;
  reloadData();
}

// Columns.

NSArray* NSTableView::tableColumns() const {
  NSMutableArray* columns = NSMutableArray::array();
  for (const RefPtr<NSTableColumn>& column : mColumns) columns->addObject(column.get());
  return columns;
}

void NSTableView::addTableColumn(NSTableColumn* column) {
  if (!column || std::find(mColumns.begin(), mColumns.end(), RefPtr<NSTableColumn>(column)) != mColumns.end())
    return;
  if (NSTableView* previous = column->tableView()) previous->removeTableColumn(column);
  mColumns.emplace_back(column);
  column->setTableView(this);
  setNeedsDisplay(true);
}

void NSTableView::removeTableColumn(NSTableColumn* column) {
  auto found = std::find(mColumns.begin(), mColumns.end(), RefPtr<NSTableColumn>(column));
  if (found == mColumns.end()) return;
  column->setTableView(nullptr);
  mColumns.erase(found);
  setNeedsDisplay(true);
}

NSTableColumn* NSTableView::tableColumnWithIdentifier(NSString* identifier) const {
  for (const RefPtr<NSTableColumn>& column : mColumns) {
    if (identifier && column->identifier() && column->identifier()->isEqualToString(identifier))
      return column.get();
  }
  return nullptr;
}

// Rows.

void NSTableView::reloadData() {
  NSTableViewDataSource* dataSource = source();
  mNumberOfRows = dataSource ? std::max<NSInteger>(0, dataSource->numberOfRowsInTableView(this)) : 0;
  if (mSelection && mSelection->count() > 0 && mSelection->lastIndex() >= NSUInteger(mNumberOfRows)) {
    RefPtr<NSMutableIndexSet> kept = adopt(mSelection->mutableCopy());
    kept->removeIndexesInRange(
        NSMakeRange(NSUInteger(mNumberOfRows), NSUInteger(NSNotFound) - NSUInteger(mNumberOfRows)));
    changeSelection(kept.get());
  }
  setNeedsDisplay(true);
}

NSInteger NSTableView::numberOfRows() {
  if (mNumberOfRows < 0) reloadData();
  return mNumberOfRows;
}

void NSTableView::setRowHeight(CGFloat height) {
  mRowHeight = height > 0 ? height : 0;
  setNeedsDisplay(true);
}

void NSTableView::setIntercellSpacing(NSSize spacing) {
  mIntercellSpacing = NSMakeSize(std::max<CGFloat>(0, spacing.width), std::max<CGFloat>(0, spacing.height));
  setNeedsDisplay(true);
}

NSRect NSTableView::rectOfRow(NSInteger row) const {
  if (row < 0) return NSZeroRect;
  return NSMakeRect(0, row * rowPitch(), bounds().size.width, rowPitch());
}

NSInteger NSTableView::rowAtPoint(NSPoint point) {
  if (rowPitch() <= 0 || point.y < 0 || point.x < 0 || point.x >= bounds().size.width) return -1;
  const NSInteger row = NSInteger(std::floor(point.y / rowPitch()));
  return row < numberOfRows() ? row : -1;
}

// Selection.

NSIndexSet* NSTableView::selectedRowIndexes() const {
  return static_cast<NSIndexSet*>(mSelection->copy()->autorelease());
}

NSInteger NSTableView::selectedRow() const {
  if (mSelectionAnchor >= 0 && isRowSelected(mSelectionAnchor)) return mSelectionAnchor;
  return mSelection->count() ? NSInteger(mSelection->lastIndex()) : -1;
}

void NSTableView::changeSelection(NSMutableIndexSet* selection) {
  if (mSelection->isEqualToIndexSet(selection)) return;
  mSelection = adopt(selection->mutableCopy());
  setNeedsDisplay(true);
  NSNotificationCenter::defaultCenter()->postNotificationName_object(
      NSTableViewSelectionDidChangeNotification, this);
}

void NSTableView::selectRowIndexes_byExtendingSelection(NSIndexSet* indexes, bool extend) {
  RefPtr<NSMutableIndexSet> selection =
      adopt(extend ? mSelection->mutableCopy() : NSMutableIndexSet::indexSet()->mutableCopy());
  if (indexes) selection->addIndexes(indexes);
  const NSUInteger rows = NSUInteger(numberOfRows());
  selection->removeIndexesInRange(NSMakeRange(rows, NSUInteger(NSNotFound) - rows));
  // The row asked for last (when it exists) leads: it is the anchor, and the one row kept
  // without multiple selection.
  const bool askedExists = indexes && indexes->count() && selection->containsIndex(indexes->lastIndex());
  const NSUInteger lead = askedExists ? indexes->lastIndex() : selection->lastIndex();
  if (!mAllowsMultipleSelection && selection->count() > 1) {
    selection->removeAllIndexes();
    selection->addIndex(lead);
  }
  if (selection->count()) mSelectionAnchor = NSInteger(lead);
  changeSelection(selection.get());
}

void NSTableView::deselectRow(NSInteger row) {
  if (!isRowSelected(row)) return;
  RefPtr<NSMutableIndexSet> selection = adopt(mSelection->mutableCopy());
  selection->removeIndex(NSUInteger(row));
  changeSelection(selection.get());
}

void NSTableView::deselectAll(NSObject*) {
  RefPtr<NSMutableIndexSet> none = adopt(NSMutableIndexSet::indexSet()->mutableCopy());
  changeSelection(none.get());
}

// Dragging.

void NSTableView::setDraggingSourceOperationMask_forLocal(NSDragOperation mask, bool isLocal) {
  (isLocal ? mLocalDragMask : mExternalDragMask) = mask;
}

NSDragOperation NSTableView::draggingSourceOperationMaskForLocal(bool isLocal) {
  return isLocal ? mLocalDragMask : mExternalDragMask;
}

void NSTableView::setDropRow_dropOperation(NSInteger row, NSTableViewDropOperation operation) {
  mDropRow = row;
  mDropOperation = operation;
  setNeedsDisplay(true);
}

NSDragOperation NSTableView::validateDropAt(NSDraggingInfo* info) {
  NSTableViewDataSource* dataSource = source();
  if (!dataSource) return NSDragOperationNone;
  const NSPoint point = convertPoint_fromView(info->draggingLocation(), nullptr);
  const NSInteger rows = numberOfRows();
  const CGFloat pitch = rowPitch();
  // The row boundary nearest the pointer: drops land between rows.
  NSInteger proposed = pitch > 0 ? NSInteger(std::lround(point.y / pitch)) : rows;
  proposed = std::clamp<NSInteger>(proposed, 0, rows);
  setDropRow_dropOperation(proposed, NSTableViewDropAbove);
  return dataSource->tableView_validateDrop_proposedRow_proposedDropOperation(this, info, proposed,
                                                                              NSTableViewDropAbove);
}

NSDragOperation NSTableView::draggingEntered(NSDraggingInfo* sender) { return validateDropAt(sender); }

NSDragOperation NSTableView::draggingUpdated(NSDraggingInfo* sender) { return validateDropAt(sender); }

void NSTableView::draggingExited(NSDraggingInfo*) { setDropRow_dropOperation(-1, NSTableViewDropOn); }

bool NSTableView::performDragOperation(NSDraggingInfo* sender) {
  NSTableViewDataSource* dataSource = source();
  RefPtr<NSTableView> self(this);
  const bool accepted =
      dataSource && mDropRow >= 0 &&
      dataSource->tableView_acceptDrop_row_dropOperation(this, sender, mDropRow, mDropOperation);
  setDropRow_dropOperation(-1, NSTableViewDropOn);
  if (accepted) reloadData();
  return accepted;
}

// Mouse.

void NSTableView::clickRow(NSInteger row, NSEventModifierFlags flags) {
  NSIndexSet* rowSet = NSIndexSet::indexSetWithIndex(NSUInteger(row));
  if (mAllowsMultipleSelection && (flags & NSEventModifierFlagCommand)) {
    if (isRowSelected(row)) {
      deselectRow(row);
    } else {
      selectRowIndexes_byExtendingSelection(rowSet, true);
    }
  } else if (mAllowsMultipleSelection && (flags & NSEventModifierFlagShift) && mSelectionAnchor >= 0) {
    const NSInteger from = std::min(row, mSelectionAnchor);
    const NSInteger anchor = mSelectionAnchor;
    selectRowIndexes_byExtendingSelection(NSIndexSet::indexSetWithIndexesInRange(NSMakeRange(
                                              NSUInteger(from), NSUInteger(std::abs(row - anchor) + 1))),
                                          true);
    mSelectionAnchor = anchor;
  } else if (!isRowSelected(row)) {
    selectRowIndexes_byExtendingSelection(rowSet, false);
  }
}

void NSTableView::dragRowsFrom(NSEvent* event, NSInteger row) {
  NSTableViewDataSource* dataSource = source();
  if (!dataSource) return;
  NSIndexSet* rows =
      isRowSelected(row) ? selectedRowIndexes() : NSIndexSet::indexSetWithIndex(NSUInteger(row));
  NSPasteboard* pasteboard = NSPasteboard::pasteboardWithName(NSDragPboard);
  if (!dataSource->tableView_writeRowsWithIndexes_toPasteboard(this, rows, pasteboard)) return;
  RefPtr<NSDraggingSession> session =
      adopt(NSDraggingSession::alloc()->initWithPasteboard_source(pasteboard, this));
  session->runWithEvent(event);
}

void NSTableView::mouseDown(NSEvent* event) {
  RefPtr<NSTableView> self(this);
  const NSInteger row = rowAtPoint(convertPoint_fromView(event->locationInWindow(), nullptr));
  const NSPoint start = screenLocationOf(event);
  if (row < 0) {
    if (mAllowsEmptySelection) deselectAll(nullptr);
    return;
  }
  const bool wasSelected = isRowSelected(row);
  const NSEventModifierFlags flags = event->modifierFlags();
  clickRow(row, flags);
  NSApplication* app = NSApplication::sharedApplication();
  while (NSEvent* next = app->nextEventMatchingMask_untilDate_inMode_dequeue(
             NSLeftMouseDraggedMask | NSLeftMouseUpMask, NSDate::distantFuture(), NSEventTrackingRunLoopMode,
             true)) {
    if (next->type() == NSEventTypeLeftMouseUp) {
      // A plain click on a row of a multiple selection selects that row alone.
      if (wasSelected && !(flags & (NSEventModifierFlagCommand | NSEventModifierFlagShift))) {
        selectRowIndexes_byExtendingSelection(NSIndexSet::indexSetWithIndex(NSUInteger(row)), false);
      }
      return;
    }
    const NSPoint now = screenLocationOf(next);
    if (std::hypot(now.x - start.x, now.y - start.y) >= kDragThreshold) {
      if (isRowSelected(row)) dragRowsFrom(next, row);
      return;
    }
  }
}

// Drawing.

void NSTableView::drawRect(NSRect) {
  NSTableViewDataSource* dataSource = source();
  const NSInteger rows = numberOfRows();
  for (NSInteger row = 0; row < rows; ++row) {
    const NSRect rowRect = rectOfRow(row);
    if (rowRect.origin.y >= bounds().size.height) break;
    if (isRowSelected(row)) {
      NSColor::colorForControlTint(NSColor::currentControlTint())->set();
      NSRectFill(rowRect);
    }
    CGFloat x = 0;
    for (const RefPtr<NSTableColumn>& column : mColumns) {
      NSCell* cell = column->dataCellForRow(row);
      if (cell && dataSource) {
        cell->setObjectValue(dataSource->tableView_objectValueForTableColumn_row(this, column.get(), row));
        cell->drawWithFrame_inView(
            NSMakeRect(x + mIntercellSpacing.width / 2, rowRect.origin.y, column->width(), mRowHeight), this);
      }
      x += column->width() + mIntercellSpacing.width;
    }
  }
  if (mDropRow >= 0) {
    NSColor::colorForControlTint(NSColor::currentControlTint())->set();
    NSRectFill(NSMakeRect(0, mDropRow * rowPitch() - 1, bounds().size.width, 2));
  }
}
