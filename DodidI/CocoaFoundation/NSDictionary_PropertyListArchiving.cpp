#include "NSDictionary_PropertyListArchiving.h"

#include <Foundation/NSBridging.h>
#include <Foundation/NSError.h>
#include <Foundation/NSException.h>
#include <Foundation/NSKeyedArchiver.h>
#include <Foundation/NSKeyedUnarchiver.h>

#include <exception>
#include <mutex>

int import_NSDictionary_PropertyListArchiving() { return 1; }

namespace NSDictionary_PropertyListArchiving {

namespace {

struct AllowedClasses {
  std::mutex lock;
  NSClassList classes = NSKeyedUnarchiver::propertyListClasses();
};

AllowedClasses& allowed() {
  static AllowedClasses* const shared = new AllowedClasses;
  return *shared;
}

NSClassList allowedClasses() {
  AllowedClasses& list = allowed();
  std::lock_guard<std::mutex> lock(list.lock);
  return list.classes;
}

// The dictionary under the key, autoreleased; null for anything else.
NSDictionary* decode(NSData* data, NSString* key) {
  if (!data || !key) return nullptr;
  NSError* error = nullptr;
  RefPtr<NSKeyedUnarchiver> unarchiver =
      adopt(NSKeyedUnarchiver::alloc()->initForReadingFromData_error(data, &error));
  if (!unarchiver) {
    NSLog(NSSTR("NSDictionary(PropertyListArchiving): the data is not a keyed archive: %@"), error);
    return nullptr;
  }
  NSObject* decoded = nullptr;
  try {
    decoded = unarchiver->decodeObjectOfClasses_forKey(allowedClasses(), key);
  } catch (const NSException::Raised& raised) {
    // A coded class of the program may raise while it reads itself.
    NSLog(NSSTR("NSDictionary(PropertyListArchiving): reading %@ raised %@"), key, raised.exception());
    return nullptr;
  }
  if (NSError* failure = unarchiver->error()) {
    NSLog(NSSTR("NSDictionary(PropertyListArchiving): the archive under %@ cannot be read: %@"), key,
          failure);
    return nullptr;
  }
  if (decoded && !NSObjectIsKindOfClass(decoded, NSDictionary::class_())) {
    NSLog(NSSTR("NSDictionary(PropertyListArchiving): the archive under %@ holds no dictionary"), key);
    return nullptr;
  }
  return static_cast<NSDictionary*>(decoded);
}

}  // namespace

NSString* defaultKey() { return NSSTR("NSDictionary_PropertyListArchivingDefaultKey"); }

NSData* propertyListData(NSDictionary* self, NSString* key) {
  NSMutableData* data = NSMutableData::data();
  RefPtr<NSKeyedArchiver> archiver = adopt(NSKeyedArchiver::alloc()->initForWritingWithMutableData(data));
  if (!archiver) return data;
  archiver->setOutputFormat(NSPropertyListXMLFormat_v1_0);
  archiver->encodeObject_forKey(self, key);
  archiver->finishEncoding();
  // An archive that lost a value would read back as less than was saved.
  if (NSError* failure = archiver->error()) {
    NSLog(NSSTR("NSDictionary(PropertyListArchiving): the dictionary under %@ cannot be archived: %@"), key,
          failure);
    return nullptr;
  }
  return data;
}

NSData* propertyListData(NSDictionary* self) { return propertyListData(self, defaultKey()); }

NSDictionary* dictionaryWithPropertyListData_andKey(NSData* data, NSString* key) { return decode(data, key); }

NSDictionary* dictionaryWithPropertyListData(NSData* data) { return decode(data, defaultKey()); }

NSDictionary* createDictionaryFromPropertyListData_withKey(NSData* data, NSString* key) {
  NSDictionary* decoded = decode(data, key);
  return decoded ? decoded->copy() : nullptr;
}

void allowClassInArchives(Class cls) {
  if (!cls) return;
  AllowedClasses& list = allowed();
  std::lock_guard<std::mutex> lock(list.lock);
  list.classes.push_back(cls);
}

}  // namespace NSDictionary_PropertyListArchiving
