#pragma once
// How Foundation's objects are made and who owns them.
//
// - Class methods named after the class (NSArray::arrayWithObjects, NSNumber::numberWithInt,
//   NSData::dataWithContentsOfFile) answer autoreleased objects: borrowed until the current
//   autorelease pool drains. Keep one by holding it in a RefPtr, which retains it:
//     RefPtr<NSMutableArray> items = NSMutableArray::array();
// - alloc()->init…() of the classes that are not bridged (NSIndexSet, NSValueTransformer,
//   NSKeyedArchiver, NSKeyedUnarchiver) and copy()/mutableCopy() answer a reference that the
//   caller owns, taken over in one visible step:
//     RefPtr<NSKeyedArchiver> archiver =
//     adopt(NSKeyedArchiver::alloc()->initForWritingWithMutableData(data));
// - The bridged classes (NSNumber, NSData, NSDate, NSArray, NSDictionary, NSSet, NSURL, as
//   NSString and NSError) are their CoreFoundation objects: an NSArray* is a CFArrayRef and
//   either may be cast to the other with bridge_cast. They add no data and no virtual
//   functions, so they have no alloc(); the CF Create functions make them too.
// - A bridged object answers NSObject's class to classObject(): ask NSObjectGetClass or
//   NSObjectIsKindOfClass (Foundation/NSBridging.h), or use NSDynamicCast, for its Foundation class.
#include <Foundation/NSBridging.h>
#include <objc/RefPtr.h>

#pragma GCC visibility push(default)

#pragma GCC visibility pop
