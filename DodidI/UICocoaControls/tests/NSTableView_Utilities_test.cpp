#include "NSTableView_Utilities.h"

#include <AppKit/AppKit.h>
#include <gtest/gtest.h>

const char* g_CoreMachDebug_LogPrefix = "TableUtilitiesTest";
const char* g_CoreMachDebug_LogFileName = "TableUtilitiesTest.log";

namespace {

TEST(NSTableView_Utilities, RowsFitALineOfTheFontAndEveryColumnTakesIt) {
  objc::AutoreleasePool pool;
  RefPtr<NSTableView> table =
      adopt(static_cast<NSTableView*>(NSTableView::alloc()->initWithFrame(NSMakeRect(0, 0, 300, 100))));
  for (const char* name : {"one", "two", "three"}) {
    table->addTableColumn(
        adopt(NSTableColumn::alloc()->initWithIdentifier(NSString::stringWithUTF8String(name))).get());
  }
  RefPtr<NSLayoutManager> layout = adopt(static_cast<NSLayoutManager*>(NSLayoutManager::alloc()->init()));
  for (CGFloat size : {9.0, 13.0, 24.0}) {
    NSFont* font = NSFont::userFixedPitchFontOfSize(size);
    ASSERT_NE(font, nullptr);
    const CGFloat lineHeight = layout->defaultLineHeightForFont(font);
    ASSERT_GT(lineHeight, 0.0);
    NSTableView_Utilities::setFontUtility(table.get(), font);
    EXPECT_EQ(table->rowHeight(), lineHeight + 2.0) << size;
    for (NSObject* column : *table->tableColumns()) {
      EXPECT_EQ(static_cast<NSTableColumn*>(column)->dataCell()->font(), font) << size;
    }
  }
  EXPECT_EQ(import_NSTableView_Utilities(), 1);
  // No table: nothing to do.
  NSTableView_Utilities::setFontUtility(nullptr, NSFont::systemFontOfSize(12));
}

}  // namespace
