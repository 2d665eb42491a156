#include <Foundation/NSError.h>

NSString* const NSPOSIXErrorDomain = NSSTR("NSPOSIXErrorDomain");
NSString* const NSOSStatusErrorDomain = NSSTR("NSOSStatusErrorDomain");
NSString* const NSMachErrorDomain = NSSTR("NSMachErrorDomain");
NSString* const NSCocoaErrorDomain = NSSTR("NSCocoaErrorDomain");
NSString* const NSLocalizedDescriptionKey = NSSTR("NSLocalizedDescription");

// NSError has no factory: an NSError can only be made as a CFError.
Class NSError::class_() {
  static const objc_class cls{"NSError", NSObject::class_(), nullptr};
  return &cls;
}
[[maybe_unused]] static const Class registeredErrorClass = objc_registerClass(NSError::class_());

template <class T>
static T* autoreleased(CFTypeRef object) {
  if (!object) return nullptr;
  CFAutorelease(object);
  return bridge_cast<T*>(object);
}

NSError* NSError::errorWithDomain_code_userInfo(NSString* domain, NSInteger code, NSDictionary* userInfo) {
  if (!domain) return nullptr;
  return autoreleased<NSError>(
      CFErrorCreate(nullptr, domain->cfString(), code, bridge_cast<const __CFDictionary*>(userInfo)));
}

NSString* NSError::domain() const { return toNSString(CFErrorGetDomain(cfError())); }

NSInteger NSError::code() const { return CFErrorGetCode(cfError()); }

NSDictionary* NSError::userInfo() const { return autoreleased<NSDictionary>(CFErrorCopyUserInfo(cfError())); }

NSString* NSError::localizedDescription() const { return autoreleased<NSString>(CFErrorCopyDescription(cfError())); }

NSString* NSError::description() const { return autoreleased<NSString>(CFCopyDescription(cfError())); }
