#pragma once
// The category Utilities on NSTableView: a table's font.
#include <AppKit/NSFont.h>
#include <AppKit/NSTableView.h>

int import_NSTableView_Utilities();

namespace NSTableView_Utilities {

// Rows as high as a line of the font plus 2, and the font in every column's data cell.
void setFontUtility(NSTableView* tableView, NSFont* font);

}  // namespace NSTableView_Utilities
