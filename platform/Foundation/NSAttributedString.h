#pragma once
// Strings with attributes: a text and, for each range of it, a dictionary of attributes
// (fonts, colours ... of AppKit). Immutable and mutable, as NSString and NSMutableString.
#include <vector>

#include <Foundation/NSObject.h>
#include <Foundation/NSRange.h>
#include <Foundation/NSString.h>

#pragma GCC visibility push(default)

class NSDictionary;
class NSMutableAttributedString;

class NSAttributedString : public NSObject {
  OBJC_CLASS_DECL(NSAttributedString, NSObject)

 public:
  virtual NSAttributedString* initWithString(NSString* string);
  virtual NSAttributedString* initWithString_attributes(NSString* string, NSDictionary* attributes);

  NSString* string() const { return mString.get(); }
  NSUInteger length() const { return mString ? mString->length() : 0; }
  // The attributes at the index (an empty dictionary where none are set); the range they
  // cover when asked.
  NSDictionary* attributesAtIndex_effectiveRange(NSUInteger index, NSRange* range) const;
  // A new mutable copy (+1).
  NSMutableAttributedString* mutableCopy() const;
  bool isEqual(const NSObject* other) const override;

 protected:
  NSAttributedString() = default;

  struct Run {
    NSRange range;
    RefPtr<NSDictionary> attributes;
  };
  RefPtr<NSString> mString;
  std::vector<Run> mRuns;
};

class NSMutableAttributedString : public NSAttributedString {
  OBJC_CLASS_DECL(NSMutableAttributedString, NSAttributedString)

 public:
  // Replaces the attributes of the range (clamped to the text).
  void setAttributes_range(NSDictionary* attributes, NSRange range);
  void replaceCharactersInRange_withString(NSRange range, NSString* string);

 protected:
  NSMutableAttributedString() = default;
};

#pragma GCC visibility pop
