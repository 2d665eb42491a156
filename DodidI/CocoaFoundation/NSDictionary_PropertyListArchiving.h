#pragma once
// The category NSDictionary(PropertyListArchiving): a dictionary turned into one block of data
// and back, for the user defaults and for files. The data is a keyed archive written as an XML
// property list, holding the dictionary under an archive key that the reader must name again.
//
// Reading is guarded: data that is not such an archive, an archive naming classes other than
// the property-list classes and those allowed here, or one whose object under the key is not a
// dictionary, gives null (logged) and never throws, so that a damaged preferences file or a
// bad design file costs only its own contents.
#include <Foundation/NSData.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSString.h>

int import_NSDictionary_PropertyListArchiving();

namespace NSDictionary_PropertyListArchiving {

// "NSDictionary_PropertyListArchivingDefaultKey".
NSString* defaultKey();

// Autoreleased: the dictionary archived under the key; null (logged) when a value of it cannot
// be archived.
NSData* propertyListData(NSDictionary* self, NSString* key);
NSData* propertyListData(NSDictionary* self);

// Autoreleased: the dictionary stored under the key; null when the data holds none.
NSDictionary* dictionaryWithPropertyListData_andKey(NSData* data, NSString* key);
NSDictionary* dictionaryWithPropertyListData(NSData* data);
// A new immutable dictionary (+1, for the caller to adopt) of the entries stored under the key;
// null when the data holds none.
NSDictionary* createDictionaryFromPropertyListData_withKey(NSData* data, NSString* key);

// Lets archives read here hold objects of the class (and its subclasses) beside the property-list
// classes: the program's own coded classes (feed items, colours) call this once.
void allowClassInArchives(Class cls);

}  // namespace NSDictionary_PropertyListArchiving
