#include <AppKit/AppKit.h>
#include <CoreGraphics/CGBitmapContext.h>
#include <Foundation/NSDate.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Headless.h"

namespace {

NSString* str(const char* text) { return NSString::stringWithUTF8String(text); }

}  // namespace

// Rows of names; records the drops it is offered.
class NameSource : public NSObject, public NSTableViewDataSource {
 public:
  NSInteger numberOfRowsInTableView(NSTableView*) override { return NSInteger(names.size()); }
  NSObject* tableView_objectValueForTableColumn_row(NSTableView*, NSTableColumn*, NSInteger row) override {
    return str(names.at(size_t(row)).c_str());
  }
  bool tableView_writeRowsWithIndexes_toPasteboard(NSTableView*, NSIndexSet* rows,
                                                   NSPasteboard* pasteboard) override {
    std::string dragged;
    rows->enumerateIndexesUsingBlock([&](NSUInteger index, bool*) { dragged += names.at(index); });
    pasteboard->declareTypes_owner(NSArray::arrayWithObject(NSStringPboardType), this);
    pasteboard->setString_forType(str(dragged.c_str()), NSStringPboardType);
    return true;
  }
  NSDragOperation tableView_validateDrop_proposedRow_proposedDropOperation(
      NSTableView*, NSDraggingInfo* info, NSInteger row, NSTableViewDropOperation) override {
    proposedRows.push_back(row);
    return info->draggingSourceOperationMask() & NSDragOperationMove ? NSDragOperationMove
                                                                     : NSDragOperationCopy;
  }
  bool tableView_acceptDrop_row_dropOperation(NSTableView*, NSDraggingInfo* info, NSInteger row,
                                              NSTableViewDropOperation operation) override {
    NSString* text = info->draggingPasteboard()->stringForType(NSStringPboardType);
    names.insert(names.begin() + row, text ? text->UTF8String() : "?");
    droppedOperation = operation;
    dropSource = info->draggingSource();
    return true;
  }
  std::vector<std::string> names;
  std::vector<NSInteger> proposedRows;
  NSTableViewDropOperation droppedOperation = NSTableViewDropOn;
  NSObject* dropSource = nullptr;
};

namespace {

constexpr CGFloat kHeight = 190;  // ten rows of 17 + 2

NSEvent* mouse(NSEventType type, NSWindow* window, CGFloat x, CGFloat y, NSEventModifierFlags flags = 0) {
  return NSEvent::
      mouseEventWithType_location_modifierFlags_timestamp_windowNumber_context_eventNumber_clickCount_pressure(
          type, NSMakePoint(x, y), flags, 0, window->windowNumber(), nullptr, 0, 1, 1);
}

// The window y of the middle of a row of a table that fills its window.
CGFloat rowY(NSInteger row) { return kHeight - (row * 19 + 9.5); }

struct Table {
  RefPtr<NSWindow> window;
  RefPtr<NSTableView> table;
  RefPtr<NameSource> source;
};

Table makeTable(CGFloat x, std::vector<std::string> names) {
  Table made;
  made.window = adopt(NSWindow::alloc()->initWithContentRect_styleMask_backing_defer(
      NSMakeRect(x, 100, 200, kHeight), NSBorderlessWindowMask, NSBackingStoreBuffered, false));
  made.table =
      adopt(static_cast<NSTableView*>(NSTableView::alloc()->initWithFrame(NSMakeRect(0, 0, 200, kHeight))));
  made.table->addTableColumn(adopt(NSTableColumn::alloc()->initWithIdentifier(str("name"))).get());
  made.source = adopt(new NameSource);
  made.source->names = std::move(names);
  made.table->setDataSource(made.source.get());
  made.window->setContentView(made.table.get());
  made.window->orderFront(nullptr);
  return made;
}

void drain() {
  while (NSApplication::sharedApplication()->nextEventMatchingMask_untilDate_inMode_dequeue(
      NSAnyEventMask, NSDate::distantPast(), NSDefaultRunLoopMode, true)) {
  }
}

std::vector<NSUInteger> selectedRows(NSTableView* table) {
  std::vector<NSUInteger> rows;
  table->selectedRowIndexes()->enumerateIndexesUsingBlock(
      [&](NSUInteger index, bool*) { rows.push_back(index); });
  return rows;
}

void click(Table& t, NSInteger row, NSEventModifierFlags flags = 0) {
  NSApplication::sharedApplication()->postEvent_atStart(
      mouse(NSEventTypeLeftMouseUp, t.window.get(), 50, rowY(row), flags), false);
  t.window->sendEvent(mouse(NSEventTypeLeftMouseDown, t.window.get(), 50, rowY(row), flags));
}

class NSTableViewTest : public testing::Test {
 protected:
  void SetUp() override { drain(); }
  void TearDown() override { drain(); }
};

TEST_F(NSTableViewTest, RowsStackFromTheTopAndPointsFindThem) {
  objc::AutoreleasePool pool;
  Table t = makeTable(100, {"a", "b", "c"});
  EXPECT_EQ(t.table->numberOfRows(), 3);
  EXPECT_TRUE(NSEqualRects(t.table->rectOfRow(1), NSMakeRect(0, 19, 200, 19)));
  EXPECT_EQ(t.table->rowAtPoint(NSMakePoint(10, 0)), 0);
  EXPECT_EQ(t.table->rowAtPoint(NSMakePoint(10, 37.9)), 1);
  EXPECT_EQ(t.table->rowAtPoint(NSMakePoint(10, 57)), -1);  // below the last row
  EXPECT_EQ(t.table->rowAtPoint(NSMakePoint(-1, 5)), -1);
  t.table->setRowHeight(30);
  EXPECT_TRUE(NSEqualRects(t.table->rectOfRow(2), NSMakeRect(0, 64, 200, 32)));
  EXPECT_EQ(t.table->tableColumnWithIdentifier(str("name")), t.table->tableColumns()->objectAtIndex(0));
  EXPECT_EQ(t.table->tableColumnWithIdentifier(str("none")), nullptr);
}

TEST_F(NSTableViewTest, ClicksSelectAndModifiersExtendOrToggleOnlyWithMultipleSelection) {
  objc::AutoreleasePool pool;
  Table t = makeTable(100, {"a", "b", "c", "d", "e"});
  click(t, 1);
  EXPECT_EQ(selectedRows(t.table.get()), (std::vector<NSUInteger>{1}));
  click(t, 3, NSEventModifierFlagShift);
  EXPECT_EQ(selectedRows(t.table.get()), (std::vector<NSUInteger>{3}));  // single selection

  t.table->setAllowsMultipleSelection(true);
  click(t, 1);
  click(t, 3, NSEventModifierFlagShift);
  EXPECT_EQ(selectedRows(t.table.get()), (std::vector<NSUInteger>{1, 2, 3}));
  click(t, 2, NSEventModifierFlagCommand);
  EXPECT_EQ(selectedRows(t.table.get()), (std::vector<NSUInteger>{1, 3}));
  // A click below the rows empties the selection.
  NSApplication::sharedApplication()->postEvent_atStart(mouse(NSEventTypeLeftMouseUp, t.window.get(), 50, 5),
                                                        false);
  t.window->sendEvent(mouse(NSEventTypeLeftMouseDown, t.window.get(), 50, 5));
  drain();
  EXPECT_TRUE(selectedRows(t.table.get()).empty());

  t.table->selectRowIndexes_byExtendingSelection(NSIndexSet::indexSetWithIndexesInRange(NSMakeRange(3, 10)),
                                                 false);
  EXPECT_EQ(selectedRows(t.table.get()), (std::vector<NSUInteger>{3, 4}));
  t.source->names.pop_back();
  t.table->reloadData();
  EXPECT_EQ(selectedRows(t.table.get()), (std::vector<NSUInteger>{3}));
}

TEST_F(NSTableViewTest, DraggingRowsToAnotherTableDropsThemBetweenRows) {
  objc::AutoreleasePool pool;
  Table from = makeTable(100, {"a", "b", "c"});
  Table to = makeTable(400, {"x", "y"});
  to.table->registerForDraggedTypes(NSArray::arrayWithObject(NSStringPboardType));
  from.table->setAllowsMultipleSelection(true);
  from.table->setDraggingSourceOperationMask_forLocal(NSDragOperationCopy | NSDragOperationMove, true);
  click(from, 0);
  click(from, 2, NSEventModifierFlagCommand);

  NSApplication* app = NSApplication::sharedApplication();
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseDragged, from.window.get(), 60, rowY(2) - 10), false);
  // Over the second table, just above the boundary between "x" and "y".
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseDragged, to.window.get(), 50, kHeight - 21), false);
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseUp, to.window.get(), 50, kHeight - 21), false);
  from.window->sendEvent(mouse(NSEventTypeLeftMouseDown, from.window.get(), 50, rowY(2)));

  EXPECT_EQ(to.source->names, (std::vector<std::string>{"x", "ac", "y"}));
  EXPECT_EQ(to.source->droppedOperation, NSTableViewDropAbove);
  EXPECT_EQ(to.source->dropSource, from.table.get());
  EXPECT_EQ(to.table->numberOfRows(), 3);  // reloaded after the drop
  EXPECT_EQ(to.table->dropRow(), -1);
  EXPECT_EQ(from.source->names.size(), 3u);
}

TEST_F(NSTableViewTest, ADropOutsideAnyTakerOrWithNoMaskDoesNothing) {
  objc::AutoreleasePool pool;
  Table from = makeTable(100, {"a"});
  Table to = makeTable(400, {"x"});
  // Not registered for the dragged type: nobody takes the drop.
  NSApplication* app = NSApplication::sharedApplication();
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseDragged, to.window.get(), 50, rowY(0)), false);
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseUp, to.window.get(), 50, rowY(0)), false);
  from.window->sendEvent(mouse(NSEventTypeLeftMouseDown, from.window.get(), 50, rowY(0)));
  EXPECT_EQ(to.source->names, (std::vector<std::string>{"x"}));
  EXPECT_TRUE(to.source->proposedRows.empty());

  // Registered, but the source offers nothing locally.
  to.table->registerForDraggedTypes(NSArray::arrayWithObject(NSStringPboardType));
  from.table->setDraggingSourceOperationMask_forLocal(NSDragOperationNone, true);
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseDragged, to.window.get(), 50, rowY(0)), false);
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseUp, to.window.get(), 50, rowY(0)), false);
  from.window->sendEvent(mouse(NSEventTypeLeftMouseDown, from.window.get(), 50, rowY(0)));
  EXPECT_EQ(to.source->names, (std::vector<std::string>{"x"}));
  EXPECT_FALSE(to.source->proposedRows.empty());
}

TEST_F(NSTableViewTest, TheOptionKeyOffersOnlyCopy) {
  objc::AutoreleasePool pool;
  RefPtr<NSTableView> table =
      adopt(static_cast<NSTableView*>(NSTableView::alloc()->initWithFrame(NSMakeRect(0, 0, 10, 10))));
  table->setDraggingSourceOperationMask_forLocal(NSDragOperationCopy | NSDragOperationMove, true);
  RefPtr<NSDraggingSession> session = adopt(NSDraggingSession::alloc()->initWithPasteboard_source(
      NSPasteboard::pasteboardWithUniqueName(), table.get()));
  EXPECT_EQ(session->draggingSourceOperationMask(), NSDragOperationCopy | NSDragOperationMove);
  session->setModifierFlags(NSEventModifierFlagOption);
  EXPECT_EQ(session->draggingSourceOperationMask(), NSDragOperationCopy);
  EXPECT_EQ(table->draggingSourceOperationMaskForLocal(false), NSDragOperationNone);
}

TEST_F(NSTableViewTest, DrawsTheSelectedRowsInItsWindow) {
  objc::AutoreleasePool pool;
  Table t = makeTable(100, {"a", "b"});
  t.table->selectRowIndexes_byExtendingSelection(NSIndexSet::indexSetWithIndex(1), false);
  t.window->display();
  auto* pixels =
      static_cast<const uint32_t*>(CGBitmapContextGetData(t.window->graphicsContext()->CGContext()));
  const size_t stride = CGBitmapContextGetBytesPerRow(t.window->graphicsContext()->CGContext()) / 4;
  // Row 1 spans 19..38 from the top: its right end (no text there) is highlighted, unlike the
  // unselected row above it and the empty space below the rows.
  const uint32_t selected = pixels[size_t(28) * stride + 190];
  EXPECT_NE(selected, pixels[size_t(9) * stride + 190]);
  EXPECT_NE(selected, pixels[size_t(150) * stride + 190]);
  EXPECT_EQ(pixels[size_t(9) * stride + 190], pixels[size_t(150) * stride + 190]);
}

}  // namespace
