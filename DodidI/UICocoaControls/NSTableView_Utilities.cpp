#include "NSTableView_Utilities.h"

#include <AppKit/NSLayoutManager.h>
#include <AppKit/NSTableColumn.h>
#include <Foundation/NSArray.h>

int import_NSTableView_Utilities() { return 1; }

namespace NSTableView_Utilities {

void setFontUtility(NSTableView* tableView, NSFont* font) {
  if (!tableView) return;
  RefPtr<NSLayoutManager> layout = adopt(static_cast<NSLayoutManager*>(NSLayoutManager::alloc()->init()));
  tableView->setRowHeight(layout->defaultLineHeightForFont(font) + 2.0);
  NSArray* columns = tableView->tableColumns();
  for (NSUInteger index = columns->count(); index-- > 0;) {
    static_cast<NSTableColumn*>(columns->objectAtIndex(index))->dataCell()->setFont(font);
  }
}

}  // namespace NSTableView_Utilities
