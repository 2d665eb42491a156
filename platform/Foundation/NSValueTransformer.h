#pragma once
// Value transformers turn a value into another for display (bindings) and, when they allow
// it, back. Transformers are found by name in one process-wide registry; a name that nobody
// registered but that names a registered subclass of NSValueTransformer gets a new instance
// of that class, registered under the name. The standard transformers are registered under
// their names from the start:
//   NSNegateBoolean           a boolean number negated (both ways);
//   NSIsNil, NSIsNotNil       a boolean number: whether the value is null (one way);
//   NSKeyedUnarchiveFromData  data of a keyed archive ("root") to its object, back by archiving;
//   NSUnarchiveFromData       the same: archives here are keyed archives only.
// Unarchiving through a transformer makes only objects of the property-list classes.
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>

#pragma GCC visibility push(default)

class NSArray;
class NSString;

FOUNDATION_EXPORT NSString* const NSNegateBooleanTransformerName;
FOUNDATION_EXPORT NSString* const NSIsNilTransformerName;
FOUNDATION_EXPORT NSString* const NSIsNotNilTransformerName;
FOUNDATION_EXPORT NSString* const NSUnarchiveFromDataTransformerName;
FOUNDATION_EXPORT NSString* const NSKeyedUnarchiveFromDataTransformerName;

class NSValueTransformer : public NSObject {
  OBJC_CLASS_DECL(NSValueTransformer, NSObject)

 public:
  // A null transformer removes the name.
  static void setValueTransformer_forName(NSValueTransformer* transformer, NSString* name);
  // Borrowed from the registry; null when nothing answers to the name.
  static NSValueTransformer* valueTransformerForName(NSString* name);
  // Autoreleased.
  static NSArray* valueTransformerNames();

  // The class of the values transformedValue answers; NSObject unless a subclass says.
  virtual Class transformedValueClass() const;
  virtual bool allowsReverseTransformation() const;
  // Autoreleased results. The base answers the value unchanged; reverseTransformedValue
  // answers null (reported) when the transformer does not allow it.
  virtual NSObject* transformedValue(NSObject* value);
  virtual NSObject* reverseTransformedValue(NSObject* value);

 protected:
  NSValueTransformer() = default;
};

#pragma GCC visibility pop
