// Keyed archives (preferences, design files, pasteboards) decoded with the property-list
// classes allowed, as the application decodes what it did not write itself.
#include <Foundation/NSData.h>
#include <Foundation/NSKeyedUnarchiver.h>
#include <objc/runtime.h>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  objc::AutoreleasePool pool;
  NSData* archive = NSData::dataWithBytes_length(data, size);
  NSError* error = nullptr;
  NSKeyedUnarchiver::unarchivedObjectOfClasses_fromData_error(NSKeyedUnarchiver::propertyListClasses(), archive,
                                                              &error);
  return 0;
}
