#include <Foundation/NSException.h>

OBJC_CLASS_DEFINE(NSException)

NSString* const NSGenericException = NSSTR("NSGenericException");
NSString* const NSInvalidArgumentException = NSSTR("NSInvalidArgumentException");
NSString* const NSInternalInconsistencyException = NSSTR("NSInternalInconsistencyException");
NSString* const NSRangeException = NSSTR("NSRangeException");

NSException::Raised::Raised(NSException* exception) : mException(exception) {
  NSString* text = exception ? exception->description() : nullptr;
  const char* utf8 = text ? text->UTF8String() : nullptr;
  mWhat = utf8 ? utf8 : "NSException";
}

NSException* NSException::exceptionWithName_reason_userInfo(NSString* name, NSString* reason,
                                                            NSDictionary* userInfo) {
  NSException* exception = alloc()->initWithName_reason_userInfo(name, reason, userInfo);
  exception->autorelease();
  return exception;
}

void NSException::raise_format(NSString* name, NSString* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  NSString* reason = NSString::stringWithFormat_arguments(format, arguments);
  va_end(arguments);
  exceptionWithName_reason_userInfo(name, reason, nullptr)->raise();
}

NSException* NSException::initWithName_reason_userInfo(NSString* name, NSString* reason, NSDictionary* userInfo) {
  mName = name ? CFStringCreateCopy(nullptr, name->cfString()) : nullptr;
  mReason = reason ? CFStringCreateCopy(nullptr, reason->cfString()) : nullptr;
  if (userInfo) mUserInfo = static_cast<CFDictionaryRef>(CFRetain(bridge_cast<CFDictionaryRef>(userInfo)));
  return this;
}

NSException::~NSException() {
  if (mName) CFRelease(mName);
  if (mReason) CFRelease(mReason);
  if (mUserInfo) CFRelease(mUserInfo);
}

void NSException::raise() { throw Raised(this); }

NSString* NSException::description() const {
  if (mReason) return reason();
  return mName ? name() : NSString::string();
}

const __CFString* NSException::copyDescription() const {
  return CFStringCreateCopy(nullptr, description()->cfString());
}
