#pragma once
// A column of a table: its identifier, its width and the cell that draws its rows (a text
// cell unless set). From a nib it takes "identifier", "width" and "dataCell".
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <objc/WeakPtr.h>

#include <AppKit/NSGeometry.h>

class NSCell;
class NSCoder;
class NSTableView;

class APPKIT_CLASS NSTableColumn : public NSObject {
  OBJC_CLASS_DECL(NSTableColumn, NSObject)

 public:
  NSObject* init() override { return initWithIdentifier(nullptr); }
  NSTableColumn* initWithIdentifier(NSString* identifier);
  NSObject* initWithCoder(NSCoder* coder) override;

  NSString* identifier() const { return mIdentifier.get(); }
  void setIdentifier(NSString* identifier);
  CGFloat width() const { return mWidth; }
  void setWidth(CGFloat width) { mWidth = width < 0 ? 0 : width; }
  NSCell* dataCell() const { return mDataCell.get(); }
  void setDataCell(NSCell* cell);
  NSCell* dataCellForRow(NSInteger row) const { return dataCell(); }
  bool isEditable() const { return mEditable; }
  void setEditable(bool flag) { mEditable = flag; }
  // The table is not retained.
  NSTableView* tableView() const { return mTableView.get().get(); }
  void setTableView(NSTableView* tableView) { mTableView = tableView; }

 protected:
  NSTableColumn() = default;
  ~NSTableColumn() override;

 private:
  RefPtr<NSString> mIdentifier;
  CGFloat mWidth = 100;
  RefPtr<NSCell> mDataCell;
  bool mEditable = true;
  WeakPtr<NSTableView> mTableView;
};
