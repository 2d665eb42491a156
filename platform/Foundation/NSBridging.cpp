#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFDate.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFError.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFSet.h>
#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFURL.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSData.h>
#include <Foundation/NSDate.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSError.h>
#include <Foundation/NSNull.h>
#include <Foundation/NSSet.h>
#include <Foundation/NSString.h>
#include <Foundation/NSURL.h>
#include <Foundation/NSValue.h>
#include <objc/FoundationCategories.h>

namespace {

Class bridgedClassOfType(unsigned long type) {
  if (type == CFStringGetTypeID()) return NSString::class_();
  if (type == CFNumberGetTypeID() || type == CFBooleanGetTypeID()) return NSNumber::class_();
  if (type == CFDictionaryGetTypeID()) return NSMutableDictionary::class_();
  if (type == CFArrayGetTypeID()) return NSMutableArray::class_();
  if (type == CFDataGetTypeID()) return NSMutableData::class_();
  if (type == CFDateGetTypeID()) return NSDate::class_();
  if (type == CFSetGetTypeID()) return NSMutableSet::class_();
  if (type == CFURLGetTypeID()) return NSURL::class_();
  if (type == CFNullGetTypeID()) return NSNull::class_();
  if (type == CFErrorGetTypeID()) return NSError::class_();
  if (type == NSValue::concreteValueTypeID()) return NSValue::class_();
  return nullptr;
}

[[maybe_unused]] const bool sBridgedClassesInstalled = (objc::installBridgedClassResolver(bridgedClassOfType), true);

}  // namespace

Class NSObjectGetClass(const NSObject* object) { return object ? object->classObject() : nullptr; }

bool NSObjectIsKindOfClass(const NSObject* object, Class cls) { return object && object->isKindOfClass(cls); }
