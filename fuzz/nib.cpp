// Nib files (a bundle's Resources, which anyone can edit) decoded and instantiated. A nib that
// is not one raises NSException, as the loader documents; nothing else may escape or crash.
#include <Foundation/NSArray.h>
#include <Foundation/NSData.h>
#include <Foundation/NSException.h>
#include <Foundation/NSNib.h>
#include <objc/RefPtr.h>
#include <objc/runtime.h>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  objc::AutoreleasePool pool;
  try {
    RefPtr<NSNib> nib = adopt(NSNib::alloc()->initWithNibData_bundle(NSData::dataWithBytes_length(data, size), nullptr));
    NSArray* topLevel = nullptr;
    if (nib) nib->instantiateWithOwner_topLevelObjects(nullptr, &topLevel);
  } catch (const NSException::Raised&) {
  }
  return 0;
}
