#include <CoreFoundation/CFError.h>
#include <Foundation/NSError.h>
#include "NSViewClass.h"

namespace Foundation {

NSError* cocoaError(long code, const std::string& text) {
  CFStringRef description = autoreleasedString(text);
  const void* keys[] = {kCFErrorLocalizedDescriptionKey};
  const void* values[] = {description};
  CFErrorRef error = CFErrorCreateWithUserInfoKeysAndValues(nullptr, kCFErrorDomainCocoa, code, keys, values,
                                                           description ? 1 : 0);
  return autoreleased<NSError>(error);
}

}  // namespace Foundation
