#include "NSUITextViewTakesStringValue.h"

#include <Foundation/NSBridging.h>
#include <Foundation/NSKeyValueCoding.h>
#include <objc/MethodTable.h>

int import_NSUITextViewTakesStringValue() { return 1; }

OBJC_CLASS_DEFINE(NSUITextViewTakesStringValue)
NS_PROPERTIES(NSUITextViewTakesStringValue,
              NS_PROPERTY("stringValue", &NSUITextViewTakesStringValue::stringValue,
                          &NSUITextViewTakesStringValue::setStringValue))
OBJC_METHODS(NSUITextViewTakesStringValue,
             OBJC_METHOD("stringValue", &NSUITextViewTakesStringValue::stringValue),
             OBJC_METHOD("takeStringValueFrom:", &NSUITextViewTakesStringValue::takeStringValueFrom))

void NSUITextViewTakesStringValue::takeStringValueFrom(NSObject* sender) {
  if (!sender || !sender->respondsToSelector(SELECTOR("stringValue"))) return;
  setStringValue(NSDynamicCast<NSString>(sender->performSelector(SELECTOR("stringValue"))));
}
