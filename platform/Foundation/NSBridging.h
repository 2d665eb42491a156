#pragma once
// The Foundation class of any object. An Objective-C object knows its class; a CoreFoundation
// object's class comes from its CF type, installed here into the root class when Foundation
// loads: CFString is NSString, CFNumber and CFBoolean are NSNumber, CFData NSMutableData,
// CFDate NSDate, CFArray NSMutableArray, CFDictionary NSMutableDictionary, CFSet NSMutableSet,
// CFURL NSURL, CFNull NSNull, CFError NSError. As on the platform, a CF collection counts as
// the mutable class whether or not it was made mutable.
#include <Foundation/NSObject.h>

#pragma GCC visibility push(default)

Class NSObjectGetClass(const NSObject* object);
// isKindOfClass for every object, bridged ones included; false for null.
bool NSObjectIsKindOfClass(const NSObject* object, Class cls);

// The object as a T when it is one (for example NSDynamicCast<NSDictionary>(value)); else null.
template <class T>
T* NSDynamicCast(const NSObject* object) {
  return NSObjectIsKindOfClass(object, T::class_()) ? static_cast<T*>(const_cast<NSObject*>(object))
                                                    : nullptr;
}

#pragma GCC visibility pop
