#include <Foundation/NSAssertionHandler.h>
#include <Foundation/NSException.h>
#include <Foundation/NSString.h>

#include <cstdarg>

OBJC_CLASS_DEFINE(NSAssertionHandler)

NSAssertionHandler* NSAssertionHandler::currentHandler() {
  static NSAssertionHandler* const handler = [] {
    auto* made = static_cast<NSAssertionHandler*>(NSAssertionHandler::alloc()->init());
    made->makeImmortal();
    return made;
  }();
  return handler;
}

void NSAssertionHandler::handleFailureInFunction_file_lineNumber_description(NSString* functionName,
                                                                             NSString* fileName,
                                                                             NSInteger line, NSString* format,
                                                                             ...) {
  NSLog(NSSTR("*** Assertion failure in %@, %@:%ld"), functionName, fileName, long(line));
  va_list arguments;
  va_start(arguments, format);
  NSString* description = format ? NSString::stringWithFormat_arguments(format, arguments) : nullptr;
  va_end(arguments);
  NSException::exceptionWithName_reason_userInfo(NSInternalInconsistencyException, description, nullptr)
      ->raise();
}
