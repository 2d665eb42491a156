#include <AppKit/NSPasteboard.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSData.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSURL.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

NSString* str(const char* text) { return NSString::stringWithUTF8String(text); }

TEST(NSPasteboard, NamedBoardsAreOneBoardPerName) {
  objc::AutoreleasePool pool;
  EXPECT_EQ(NSPasteboard::pasteboardWithName(str("one")), NSPasteboard::pasteboardWithName(str("one")));
  EXPECT_NE(NSPasteboard::pasteboardWithName(str("one")), NSPasteboard::pasteboardWithName(str("two")));
  EXPECT_EQ(NSPasteboard::generalPasteboard(), NSPasteboard::pasteboardWithName(NSGeneralPboard));
  NSPasteboard* unique = NSPasteboard::pasteboardWithUniqueName();
  EXPECT_NE(unique, NSPasteboard::pasteboardWithUniqueName());
  EXPECT_TRUE(unique->name()->length() > 0);
}

TEST(NSPasteboard, OnlyDeclaredTypesTakeDataAndDeclaringClearsTheBoard) {
  objc::AutoreleasePool pool;
  NSPasteboard* board = NSPasteboard::pasteboardWithUniqueName();
  const NSInteger before = board->changeCount();
  EXPECT_GT(board->declareTypes_owner(NSArray::arrayWithObjects({str("a"), str("b")}), nullptr), before);
  EXPECT_TRUE(board->setString_forType(str("text é"), str("a")));
  EXPECT_FALSE(board->setString_forType(str("text"), str("undeclared")));
  EXPECT_EQ(board->dataForType(str("undeclared")), nullptr);
  EXPECT_EQ(board->dataForType(str("b")), nullptr);  // declared, never set
  EXPECT_TRUE(board->stringForType(str("a"))->isEqualToString(str("text é")));
  EXPECT_TRUE(board->availableTypeFromArray(NSArray::arrayWithObjects({str("x"), str("b"), str("a")}))
                  ->isEqualToString(str("b")));
  EXPECT_EQ(board->availableTypeFromArray(NSArray::arrayWithObjects({str("x")})), nullptr);

  board->addTypes_owner(NSArray::arrayWithObject(str("c")), nullptr);
  EXPECT_EQ(board->types()->count(), 3u);
  EXPECT_NE(board->stringForType(str("a")), nullptr);  // adding keeps what was set

  board->declareTypes_owner(NSArray::arrayWithObject(str("c")), nullptr);
  EXPECT_EQ(board->types()->count(), 1u);
  EXPECT_EQ(board->stringForType(str("a")), nullptr);
  board->clearContents();
  EXPECT_EQ(board->types()->count(), 0u);
}

TEST(NSPasteboard, PropertyListsComeBackAsCopiesAndBadOnesAreRefused) {
  objc::AutoreleasePool pool;
  NSPasteboard* board = NSPasteboard::pasteboardWithUniqueName();
  board->declareTypes_owner(NSArray::arrayWithObjects({str("plist"), str("bad")}), nullptr);
  NSMutableDictionary* row = NSMutableDictionary::dictionary();
  row->setObject_forKey(str("file:///tmp/a"), str("url"));
  NSArray* rows = NSArray::arrayWithObjects({row});
  EXPECT_TRUE(board->setPropertyList_forType(rows, str("plist")));
  row->setObject_forKey(str("changed"), str("url"));
  auto* back = NSDynamicCast<NSArray>(board->propertyListForType(str("plist")));
  ASSERT_NE(back, nullptr);
  ASSERT_EQ(back->count(), 1u);
  auto* first = NSDynamicCast<NSDictionary>(back->objectAtIndex(0));
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(static_cast<NSString*>(first->objectForKey(str("url")))->isEqualToString(str("file:///tmp/a")));
  // An object that no property list can hold is refused and leaves nothing.
  EXPECT_FALSE(board->setPropertyList_forType(NSArray::arrayWithObject(NSPasteboard::generalPasteboard()),
                                              str("bad")));
  EXPECT_EQ(board->dataForType(str("bad")), nullptr);
  // Data that is no property list reads as none.
  const char junk[] = "not a property list";
  board->setData_forType(NSData::dataWithBytes_length(junk, sizeof junk), str("bad"));
  EXPECT_EQ(board->propertyListForType(str("bad")), nullptr);
}

TEST(NSPasteboard, URLsTravelAsTheirTextAndBase) {
  objc::AutoreleasePool pool;
  NSPasteboard* board = NSPasteboard::pasteboardWithUniqueName();
  EXPECT_EQ(NSPasteboardSupport::URLFromPasteboard(board), nullptr);
  board->declareTypes_owner(NSArray::arrayWithObjects({NSURLPboardType, NSStringPboardType}), nullptr);
  NSURL* url =
      NSURL::URLWithString_relativeToURL(str("b/c.png"), NSURL::URLWithString(str("http://example.org/a/")));
  NSPasteboardSupport::writeToPasteboard(url, board);
  NSURL* back = NSPasteboardSupport::URLFromPasteboard(board);
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(back->absoluteString()->isEqualToString(str("http://example.org/a/b/c.png")));
  // Text that is no URL gives none.
  board->setPropertyList_forType(NSArray::arrayWithObjects({str("not a url"), str("")}), NSURLPboardType);
  EXPECT_EQ(NSPasteboardSupport::URLFromPasteboard(board), nullptr);
  board->setPropertyList_forType(NSArray::array(), NSURLPboardType);
  EXPECT_EQ(NSPasteboardSupport::URLFromPasteboard(board), nullptr);
}

TEST(NSPasteboard, ThreadsMayWriteAndReadOneBoard) {
  objc::AutoreleasePool pool;
  NSPasteboard* board = NSPasteboard::pasteboardWithUniqueName();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([board, t] {
      objc::AutoreleasePool threadPool;
      for (int i = 0; i < 200; ++i) {
        NSString* type = NSString::stringWithFormat(NSSTR("t%d"), t);
        board->addTypes_owner(NSArray::arrayWithObject(type), nullptr);
        board->setString_forType(NSString::stringWithFormat(NSSTR("%d"), i), type);
        board->stringForType(type);
        board->types();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_GE(board->types()->count(), 1u);
}

}  // namespace
