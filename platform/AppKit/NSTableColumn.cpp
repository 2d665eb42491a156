#include <AppKit/NSTableColumn.h>
#include <AppKit/NSTableView.h>
#include <AppKit/NSTextFieldCell.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSCoder.h>
#include <Foundation/NSKeyValueCoding.h>

OBJC_CLASS_DEFINE(NSTableColumn)

NS_PROPERTIES(NSTableColumn,
              NS_PROPERTY("identifier", &NSTableColumn::identifier, &NSTableColumn::setIdentifier))

NSTableColumn::~NSTableColumn() = default;

NSTableColumn* NSTableColumn::initWithIdentifier(NSString* identifier) {
  setIdentifier(identifier);
  mDataCell = adopt(static_cast<NSCell*>(NSTextFieldCell::alloc()->init()));
  return this;
}

NSObject* NSTableColumn::initWithCoder(NSCoder* coder) {
  initWithIdentifier(NSDynamicCast<NSString>(coder->decodeObjectForKey(NSSTR("identifier"))));
  if (coder->containsValueForKey(NSSTR("width"))) setWidth(coder->decodeDoubleForKey(NSSTR("width")));
  if (auto* cell = NSDynamicCast<NSCell>(coder->decodeObjectForKey(NSSTR("dataCell")))) setDataCell(cell);
  return this;
}

void NSTableColumn::setIdentifier(NSString* identifier) {
  mIdentifier = RefPtr<NSString>(identifier ? NSString::stringWithString(identifier) : nullptr);
}

void NSTableColumn::setDataCell(NSCell* cell) {
  if (cell) mDataCell = RefPtr<NSCell>(cell);
}
