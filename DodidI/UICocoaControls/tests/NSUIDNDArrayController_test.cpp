#include "NSUIDNDArrayController.h"

#include <AppKit/AppKit.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSData.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSKeyedUnarchiver.h>
#include <Foundation/NSNib.h>
#include <Foundation/NSURL.h>
#include <Foundation/NibBuilder.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

const char* g_CoreMachDebug_LogPrefix = "DNDArrayControllerTest";
const char* g_CoreMachDebug_LogFileName = "DNDArrayControllerTest.log";

namespace {

const bool kHeadless = [] {
  unsetenv("DISPLAY");
  setenv("MOXICAM_EVENT_WAIT_LIMIT", "5", 1);
  return true;
}();

NSString* str(const char* text) { return NSString::stringWithUTF8String(text); }

NSMutableDictionary* row(const char* url) {
  NSMutableDictionary* made = NSMutableDictionary::dictionary();
  made->setObject_forKey(str(url), str("url"));
  return made;
}

std::string urlsOf(NSArray* rows) {
  std::string urls;
  for (NSObject* object : *rows) {
    if (!urls.empty()) urls += " ";
    auto* text = NSDynamicCast<NSString>(object->valueForKey(str("url")));
    urls += text ? text->UTF8String() : "-";
  }
  return urls;
}

std::vector<NSUInteger> indexesOf(NSIndexSet* set) {
  std::vector<NSUInteger> indexes;
  set->enumerateIndexesUsingBlock([&](NSUInteger index, bool*) { indexes.push_back(index); });
  return indexes;
}

NSIndexSet* indexes(std::initializer_list<NSUInteger> list) {
  NSMutableIndexSet* set = NSMutableIndexSet::indexSet();
  for (NSUInteger index : list) set->addIndex(index);
  return set;
}

void drain() {
  while (NSApplication::sharedApplication()->nextEventMatchingMask_untilDate_inMode_dequeue(
      NSAnyEventMask, NSDate::distantPast(), NSDefaultRunLoopMode, true)) {
  }
}

// Makes an event with the modifier flags the application's current event.
void holdModifiers(NSEventModifierFlags flags) {
  drain();
  NSApplication* app = NSApplication::sharedApplication();
  app->postEvent_atStart(
      NSEvent::
          mouseEventWithType_location_modifierFlags_timestamp_windowNumber_context_eventNumber_clickCount_pressure(
              NSEventTypeLeftMouseDragged, NSZeroPoint, flags, 0, 0, nullptr, 0, 1, 1),
      false);
  app->nextEventMatchingMask_untilDate_inMode_dequeue(NSAnyEventMask, NSDate::distantPast(),
                                                      NSDefaultRunLoopMode, true);
}

// A controller with rows "a".."e" as the data source of its table, set up as from its nib.
struct Controlled {
  RefPtr<NSUIDNDArrayController> controller;
  RefPtr<NSTableView> table;
};

Controlled makeControlled(std::initializer_list<const char*> urls) {
  Controlled made;
  made.controller = adopt(static_cast<NSUIDNDArrayController*>(NSUIDNDArrayController::alloc()->init()));
  NSMutableArray* rows = NSMutableArray::array();
  for (const char* url : urls) rows->addObject(row(url));
  made.controller->setContent(rows);
  made.table =
      adopt(static_cast<NSTableView*>(NSTableView::alloc()->initWithFrame(NSMakeRect(0, 0, 200, 190))));
  made.table->setDataSource(made.controller.get());
  made.controller->setTableView(made.table.get());
  made.controller->awakeFromNib();
  return made;
}

// A drag whose pasteboard the table's data source has written, from the table (or another source).
RefPtr<NSDraggingSession> dragOf(Controlled& from, NSIndexSet* rows, NSObject* source = nullptr) {
  NSPasteboard* pasteboard = NSPasteboard::pasteboardWithUniqueName();
  EXPECT_TRUE(
      from.controller->tableView_writeRowsWithIndexes_toPasteboard(from.table.get(), rows, pasteboard));
  return adopt(
      NSDraggingSession::alloc()->initWithPasteboard_source(pasteboard, source ? source : from.table.get()));
}

RefPtr<NSDraggingSession> dragOfPasteboard(NSPasteboard* pasteboard) {
  return adopt(NSDraggingSession::alloc()->initWithPasteboard_source(pasteboard, nullptr));
}

class NSUIDNDArrayControllerTest : public testing::Test {
 protected:
  void SetUp() override { holdModifiers(0); }
  void TearDown() override { drain(); }
};

struct CountCase {
  NSRange range;
  NSUInteger expected;
};

TEST(CountOfIndexesInRange, CountsTheIndexesInsideTheRange) {
  objc::AutoreleasePool pool;
  NSIndexSet* set = indexes({1, 3, 5, 6});
  const CountCase cases[] = {
      {NSMakeRange(0, 0), 0},
      {NSMakeRange(0, 4), 2},
      {NSMakeRange(3, 3), 2},
      {NSMakeRange(6, 100), 1},
      {NSMakeRange(7, 5), 0},
      {NSMakeRange(1, 1), 1},
      {NSMakeRange(0, ~NSUInteger(0)), 4},
  };
  for (const CountCase& c : cases) {
    EXPECT_EQ(CountOfIndexesInRange::countOfIndexesInRange(set, c.range), c.expected)
        << c.range.location << "+" << c.range.length;
  }
  EXPECT_EQ(CountOfIndexesInRange::countOfIndexesInRange(NSIndexSet::indexSet(), NSMakeRange(0, 10)), 0u);
  EXPECT_EQ(CountOfIndexesInRange::countOfIndexesInRange(nullptr, NSMakeRange(0, 10)), 0u);
}

TEST_F(NSUIDNDArrayControllerTest, AwakingSetsItsTableUpForDragsAndDrops) {
  objc::AutoreleasePool pool;
  Controlled c = makeControlled({"a"});
  EXPECT_EQ(c.table->draggingSourceOperationMaskForLocal(true), NSDragOperationCopy | NSDragOperationMove);
  EXPECT_EQ(c.table->draggingSourceOperationMaskForLocal(false), NSDragOperationLink);
  EXPECT_TRUE(c.table->allowsMultipleSelection());
  NSArray* types = c.table->registeredDraggedTypes();
  EXPECT_TRUE(types->containsObject(NSUIDNDArrayController_MovedRowsTypeID));
  EXPECT_TRUE(types->containsObject(NSUIDNDArrayController_CopiedRowsTypeID));
  EXPECT_TRUE(types->containsObject(NSURLPboardType));
  EXPECT_EQ(c.controller->numberOfRowsInTableView(c.table.get()), 1);
  EXPECT_EQ(c.controller->tableView_objectValueForTableColumn_row(c.table.get(), nullptr, 0), nullptr);
  c.controller->setContent(nullptr);
  EXPECT_EQ(c.controller->numberOfRowsInTableView(c.table.get()), 0);
}

TEST_F(NSUIDNDArrayControllerTest, AWrittenDragCarriesIndexesRowsAndASingleRowsURL) {
  objc::AutoreleasePool pool;
  Controlled c = makeControlled({"http://example.org/a", "not a url", "http://example.org/c"});
  NSPasteboard* board = NSPasteboard::pasteboardWithUniqueName();
  ASSERT_TRUE(
      c.controller->tableView_writeRowsWithIndexes_toPasteboard(c.table.get(), indexes({2, 0}), board));
  EXPECT_EQ(board->availableTypeFromArray(NSArray::arrayWithObject(NSURLPboardType)), nullptr);
  auto* moved = NSDynamicCast<NSIndexSet>(NSKeyedUnarchiver::unarchivedObjectOfClass_fromData_error(
      NSIndexSet::class_(), board->dataForType(NSUIDNDArrayController_MovedRowsTypeID), nullptr));
  ASSERT_NE(moved, nullptr);
  EXPECT_EQ(indexesOf(moved), (std::vector<NSUInteger>{0, 2}));
  auto* copied = NSDynamicCast<NSArray>(board->propertyListForType(NSUIDNDArrayController_CopiedRowsTypeID));
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(urlsOf(copied), "http://example.org/a http://example.org/c");

  ASSERT_TRUE(c.controller->tableView_writeRowsWithIndexes_toPasteboard(c.table.get(), indexes({2}), board));
  NSURL* url = NSPasteboardSupport::URLFromPasteboard(board);
  ASSERT_NE(url, nullptr);
  EXPECT_TRUE(url->absoluteString()->isEqualToString(str("http://example.org/c")));
  // A single row whose "url" is no URL offers none.
  ASSERT_TRUE(c.controller->tableView_writeRowsWithIndexes_toPasteboard(c.table.get(), indexes({1}), board));
  EXPECT_EQ(board->availableTypeFromArray(NSArray::arrayWithObject(NSURLPboardType)), nullptr);
}

struct MoveCase {
  std::vector<NSUInteger> rows;
  NSUInteger target;
  const char* order;
  std::vector<NSUInteger> landed;
};

TEST_F(NSUIDNDArrayControllerTest, MovingRowsKeepsTheirOrderAndCountsTheRowsAboveTheTarget) {
  objc::AutoreleasePool pool;
  const MoveCase cases[] = {
      {{1, 3}, 4, "a c b d e", {2, 3}},  // before the fifth row: two moved rows lay above it
      {{2}, 2, "a b c d e", {2}},        // onto its own place
      {{2}, 3, "a b c d e", {2}},        // just below its own place
      {{0, 4}, 2, "b a e c d", {1, 2}}, {{3}, 0, "d a b c e", {0}}, {{0}, 5, "b c d e a", {4}},
      {{1, 9}, 99, "a c d e b", {4}},  // stale indexes and targets past the end
  };
  for (const MoveCase& m : cases) {
    Controlled c = makeControlled({"a", "b", "c", "d", "e"});
    NSMutableIndexSet* rows = NSMutableIndexSet::indexSet();
    for (NSUInteger index : m.rows) rows->addIndex(index);
    NSIndexSet* landed = c.controller->moveObjectsInArrangedObjectsFromIndexes_toIndex(rows, m.target);
    EXPECT_EQ(urlsOf(c.controller->arrangedObjects()), m.order) << "target " << m.target;
    EXPECT_EQ(indexesOf(landed), m.landed) << "target " << m.target;
  }
}

TEST_F(NSUIDNDArrayControllerTest, ADragWithinTheTableMovesTheRowsAndSelectsThem) {
  objc::AutoreleasePool pool;
  Controlled c = makeControlled({"a", "b", "c", "d", "e"});
  RefPtr<NSDraggingSession> drag = dragOf(c, indexes({1, 3}));
  EXPECT_EQ(c.controller->tableView_validateDrop_proposedRow_proposedDropOperation(c.table.get(), drag.get(),
                                                                                   4, NSTableViewDropOn),
            NSDragOperationMove);
  EXPECT_EQ(c.table->dropRow(), 4);
  EXPECT_EQ(c.table->dropOperation(), NSTableViewDropAbove);
  EXPECT_TRUE(c.controller->tableView_acceptDrop_row_dropOperation(c.table.get(), drag.get(), 4,
                                                                   NSTableViewDropAbove));
  EXPECT_EQ(urlsOf(c.controller->arrangedObjects()), "a c b d e");
  EXPECT_EQ(indexesOf(c.controller->selectionIndexes()), (std::vector<NSUInteger>{2, 3}));
}

TEST_F(NSUIDNDArrayControllerTest, OptionDraggingWithinTheTableDuplicatesEditableRows) {
  objc::AutoreleasePool pool;
  Controlled c = makeControlled({"a", "b", "c"});
  RefPtr<NSDraggingSession> drag = dragOf(c, indexes({1, 2}));
  holdModifiers(NSEventModifierFlagOption);
  EXPECT_EQ(c.controller->tableView_validateDrop_proposedRow_proposedDropOperation(c.table.get(), drag.get(),
                                                                                   0, NSTableViewDropAbove),
            NSDragOperationCopy);
  EXPECT_TRUE(c.controller->tableView_acceptDrop_row_dropOperation(c.table.get(), drag.get(), -3,
                                                                   NSTableViewDropAbove));
  EXPECT_EQ(urlsOf(c.controller->arrangedObjects()), "b c a b c");
  EXPECT_EQ(indexesOf(c.controller->selectionIndexes()), (std::vector<NSUInteger>{0, 1}));
  NSObject* copy = c.controller->arrangedObjects()->objectAtIndex(0);
  EXPECT_NE(copy, c.controller->arrangedObjects()->objectAtIndex(3));
  copy->setValue_forKey(str("edited"), str("url"));
  EXPECT_EQ(urlsOf(c.controller->arrangedObjects()), "edited c a b c");
}

TEST_F(NSUIDNDArrayControllerTest, RowsDraggedToAnotherTableAreCopiedThere) {
  objc::AutoreleasePool pool;
  Controlled from = makeControlled({"a", "b", "c"});
  Controlled to = makeControlled({"x", "y"});
  RefPtr<NSDraggingSession> drag = dragOf(from, indexes({0, 2}));
  EXPECT_EQ(to.controller->tableView_validateDrop_proposedRow_proposedDropOperation(
                to.table.get(), drag.get(), 1, NSTableViewDropAbove),
            NSDragOperationCopy);
  EXPECT_TRUE(to.controller->tableView_acceptDrop_row_dropOperation(to.table.get(), drag.get(), 99,
                                                                    NSTableViewDropAbove));
  EXPECT_EQ(urlsOf(to.controller->arrangedObjects()), "x y a c");
  EXPECT_EQ(indexesOf(to.controller->selectionIndexes()), (std::vector<NSUInteger>{2, 3}));
  EXPECT_EQ(urlsOf(from.controller->arrangedObjects()), "a b c");
}

TEST_F(NSUIDNDArrayControllerTest, DroppedFilesBecomeRowsOfFileURLsInOrder) {
  objc::AutoreleasePool pool;
  Controlled c = makeControlled({"x"});
  c.controller->setSelectsInsertedObjects(false);
  c.controller->setSelectionIndex(0);
  NSPasteboard* board = NSPasteboard::pasteboardWithUniqueName();
  board->declareTypes_owner(NSArray::arrayWithObjects({NSFilenamesPboardType, NSURLPboardType}), nullptr);
  board->setPropertyList_forType(
      NSArray::arrayWithObjects({str("/tmp/a b.txt"), str("/data/movie.mov"), str("/x")}),
      NSFilenamesPboardType);
  NSPasteboardSupport::writeToPasteboard(NSURL::fileURLWithPath(str("/tmp/a b.txt")), board);
  RefPtr<NSDraggingSession> drag = dragOfPasteboard(board);
  EXPECT_TRUE(c.controller->tableView_acceptDrop_row_dropOperation(c.table.get(), drag.get(), 0,
                                                                   NSTableViewDropAbove));
  EXPECT_EQ(urlsOf(c.controller->arrangedObjects()),
            "file:///tmp/a%20b.txt file:///data/movie.mov file:///x x");
  EXPECT_EQ(c.controller->arrangedObjects()->objectAtIndex(0)->valueForKey(str("date")), nullptr);
  // The selection is left alone: it still holds "x".
  EXPECT_EQ(urlsOf(c.controller->selectedObjects()), "x");
}

TEST_F(NSUIDNDArrayControllerTest, ADroppedURLBecomesADatedSelectedRow) {
  objc::AutoreleasePool pool;
  Controlled c = makeControlled({"x", "y"});
  NSPasteboard* board = NSPasteboard::pasteboardWithUniqueName();
  board->declareTypes_owner(NSArray::arrayWithObject(NSURLPboardType), nullptr);
  NSPasteboardSupport::writeToPasteboard(NSURL::URLWithString(str("http://example.org/feed?a=1")), board);
  RefPtr<NSDraggingSession> drag = dragOfPasteboard(board);
  EXPECT_EQ(c.controller->tableView_validateDrop_proposedRow_proposedDropOperation(c.table.get(), drag.get(),
                                                                                   1, NSTableViewDropOn),
            NSDragOperationCopy);
  EXPECT_TRUE(c.controller->tableView_acceptDrop_row_dropOperation(c.table.get(), drag.get(), 1,
                                                                   NSTableViewDropAbove));
  EXPECT_EQ(urlsOf(c.controller->arrangedObjects()), "x http://example.org/feed?a=1 y");
  auto* date =
      NSDynamicCast<NSDate>(c.controller->arrangedObjects()->objectAtIndex(1)->valueForKey(str("date")));
  ASSERT_NE(date, nullptr);
  EXPECT_LT(std::abs(date->timeIntervalSinceNow()), 60.0);
  EXPECT_EQ(indexesOf(c.controller->selectionIndexes()), (std::vector<NSUInteger>{1}));
}

TEST_F(NSUIDNDArrayControllerTest, ATextThatIsNoURLIsRefused) {
  objc::AutoreleasePool pool;
  Controlled c = makeControlled({"x"});
  NSPasteboard* board = NSPasteboard::pasteboardWithUniqueName();
  board->declareTypes_owner(NSArray::arrayWithObjects({NSStringPboardType, NSURLPboardType}), nullptr);
  board->setString_forType(str("just some words"), NSStringPboardType);
  board->setPropertyList_forType(NSArray::arrayWithObjects({str("just some words"), str("")}),
                                 NSURLPboardType);
  RefPtr<NSDraggingSession> drag = dragOfPasteboard(board);
  EXPECT_FALSE(c.controller->tableView_acceptDrop_row_dropOperation(c.table.get(), drag.get(), 0,
                                                                    NSTableViewDropAbove));
  EXPECT_EQ(urlsOf(c.controller->arrangedObjects()), "x");
  // A move whose index archive is damaged is refused too.
  RefPtr<NSDraggingSession> move = dragOf(c, indexes({0}));
  const char junk[] = "junk";
  move->draggingPasteboard()->setData_forType(NSData::dataWithBytes_length(junk, 4),
                                              NSUIDNDArrayController_MovedRowsTypeID);
  EXPECT_FALSE(c.controller->tableView_acceptDrop_row_dropOperation(c.table.get(), move.get(), 1,
                                                                    NSTableViewDropAbove));
  EXPECT_EQ(urlsOf(c.controller->arrangedObjects()), "x");
}

NSEvent* mouse(NSEventType type, NSWindow* window, CGFloat x, CGFloat y, NSEventModifierFlags flags) {
  return NSEvent::
      mouseEventWithType_location_modifierFlags_timestamp_windowNumber_context_eventNumber_clickCount_pressure(
          type, NSMakePoint(x, y), flags, 0, window->windowNumber(), nullptr, 0, 1, 1);
}

TEST_F(NSUIDNDArrayControllerTest, ANibControllerTakesMouseDragsOfItsTable) {
  objc::AutoreleasePool pool;
  NibBuilder nib;
  nib.object("NSTableView", "table").setString("frame", "{{0, 0}, {200, 190}}");
  nib.object("NSUIDNDArrayController", "controller");
  nib.outlet("controller", "tableView", "table");
  nib.outlet("table", "dataSource", "controller");
  const std::string xml = nib.xml();
  RefPtr<NSNib> loaded = adopt(
      NSNib::alloc()->initWithNibData_bundle(NSData::dataWithBytes_length(xml.data(), xml.size()), nullptr));
  ASSERT_NE(loaded, nullptr);
  NSArray* objects = nullptr;
  ASSERT_TRUE(loaded->instantiateWithOwner_topLevelObjects(nullptr, &objects));
  NSTableView* table = nullptr;
  NSUIDNDArrayController* controller = nullptr;
  for (NSObject* object : *objects) {
    if (auto* t = NSDynamicCast<NSTableView>(object)) table = t;
    if (auto* c = NSDynamicCast<NSUIDNDArrayController>(object)) controller = c;
  }
  ASSERT_NE(table, nullptr);
  ASSERT_NE(controller, nullptr);
  EXPECT_EQ(controller->tableView(), table);
  EXPECT_TRUE(table->allowsMultipleSelection());
  controller->setContent(NSArray::arrayWithObjects({row("a"), row("b"), row("c"), row("d")}));
  table->reloadData();

  RefPtr<NSWindow> window = adopt(NSWindow::alloc()->initWithContentRect_styleMask_backing_defer(
      NSMakeRect(100, 100, 200, 190), NSBorderlessWindowMask, NSBackingStoreBuffered, false));
  window->setContentView(table);
  window->orderFront(nullptr);
  // Row r's middle is 9.5 + 19 r below the top. Drag "a" down to the boundary below "c".
  NSApplication* app = NSApplication::sharedApplication();
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseDragged, window.get(), 50, 190 - 30, 0), false);
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseDragged, window.get(), 50, 190 - 57, 0), false);
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseUp, window.get(), 50, 190 - 57, 0), false);
  window->sendEvent(mouse(NSEventTypeLeftMouseDown, window.get(), 50, 190 - 9.5, 0));
  EXPECT_EQ(urlsOf(controller->arrangedObjects()), "b c a d");
  EXPECT_EQ(indexesOf(controller->selectionIndexes()), (std::vector<NSUInteger>{2}));

  // With the option key the dragged row is copied.
  app->postEvent_atStart(
      mouse(NSEventTypeLeftMouseDragged, window.get(), 50, 190 - 30, NSEventModifierFlagOption), false);
  app->postEvent_atStart(
      mouse(NSEventTypeLeftMouseDragged, window.get(), 50, 190 - 1, NSEventModifierFlagOption), false);
  app->postEvent_atStart(mouse(NSEventTypeLeftMouseUp, window.get(), 50, 190 - 1, NSEventModifierFlagOption),
                         false);
  window->sendEvent(mouse(NSEventTypeLeftMouseDown, window.get(), 50, 190 - 9.5, NSEventModifierFlagOption));
  EXPECT_EQ(urlsOf(controller->arrangedObjects()), "b b c a d");
  window->orderOut(nullptr);
}

}  // namespace
