// Errors found below Foundation, in the root class (a selector that nothing answers), are
// raised as NSExceptions like every other.
#include <Foundation/NSException.h>
#include <objc/FoundationCategories.h>

namespace {
[[maybe_unused]] const bool installed = [] {
  objc::installExceptionRaiser([](CFStringRef name, CFStringRef reason) {
    NSException::exceptionWithName_reason_userInfo(toNSString(name), toNSString(reason), nullptr)->raise();
  });
  return true;
}();
}  // namespace
