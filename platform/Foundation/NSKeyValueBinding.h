#pragma once
// Bindings: bind_toObject_withKeyPath_options(binding, observable, keyPath, options) keeps the
// receiver's property named by the binding equal to the observable's value at the key path.
// The binder observes the key path before it reads it the first time, so that an observable
// that learns something from being observed (a language table that captures the bound
// element's text) has done so before the first read; it then re-reads the key path after each
// change. The binder answers "object" (through respondsToSelector/performSelector and
// valueForKey) with the bound element. A binding ends with unbind, or when the element goes.
// Options: a value transformer (NSValueTransformerBindingOption) or the registered name of one
// (NSValueTransformerNameBindingOption) turns the observed value into the element's value.
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSString.h>

#pragma GCC visibility push(default)

// The keys of infoForBinding's dictionary.
FOUNDATION_EXPORT NSString* const NSObservedObjectKey;
FOUNDATION_EXPORT NSString* const NSObservedKeyPathKey;
FOUNDATION_EXPORT NSString* const NSOptionsKey;

FOUNDATION_EXPORT NSString* const NSValueTransformerNameBindingOption;
FOUNDATION_EXPORT NSString* const NSValueTransformerBindingOption;

#pragma GCC visibility pop
