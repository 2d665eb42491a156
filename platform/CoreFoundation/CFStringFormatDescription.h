#pragma once
// How %@ describes an object. CoreFoundation alone uses the object's own description; once
// Foundation is loaded it installs its own, so that a number prints as its value and a
// collection in the property-list-like form, as the platform's -description does.
#include <CoreFoundation/CFBase.h>

// Answers a new string (+1) describing a non-null object.
typedef CFStringRef (*_CFStringFormatDescriptionFunction)(CFTypeRef object);

CF_EXPORT void _CFStringSetFormatDescriptionFunction(_CFStringFormatDescriptionFunction function);
