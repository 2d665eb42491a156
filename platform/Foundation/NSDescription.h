#pragma once
// Descriptions of objects as Foundation writes them: a string is its text, a number its
// value, data "<0a0b0c0d>", arrays "(\n    a,\n    b\n)" and dictionaries
// "{\n    key = value;\n}" (keys sorted), with nested collections indented and strings quoted
// where the old property-list syntax needs it. Other objects give their copyDescription.
#include <Foundation/NSObject.h>

#pragma GCC visibility push(default)

class NSString;

// Autoreleased; "(null)" for null.
NSString* NSDescriptionOf(const NSObject* object);

#pragma GCC visibility pop
