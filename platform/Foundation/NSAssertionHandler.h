#pragma once
// Where failed assertions go. The handler logs "*** Assertion failure in <function>,
// <file>:<line>" and raises NSInternalInconsistencyException with the description.
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>

#pragma GCC visibility push(default)

class NSString;

class __attribute__((visibility("default"))) NSAssertionHandler : public NSObject {
  OBJC_CLASS_DECL(NSAssertionHandler, NSObject)

 public:
  static NSAssertionHandler* currentHandler();

  [[noreturn]] void handleFailureInFunction_file_lineNumber_description(NSString* functionName,
                                                                        NSString* fileName, NSInteger line,
                                                                        NSString* format, ...);

 protected:
  NSAssertionHandler() = default;
};

#pragma GCC visibility pop
