#pragma once
// One design code string: the plain-text form of a set of named settings (a look of the views,
// a bookmark, a whole localization), parsed into a dictionary of setting name to value:
//
//   com.quillfen.bookmark.begin;<CR LF>
//   alpha=on;<CR LF>          one line per setting, names in case-insensitive order
//   Zeta=1;<CR LF>
//   com.quillfen.bookmark.end;<CR LF>
//
// Reading is tolerant: any text of name=value pieces separated by ";" reads, with or without
// the marker lines and line breaks; pieces without exactly one "=" are skipped.
//
// A name or value may itself hold ";", "=" or a line break (a translated sentence often does):
// those are written as %3B, %3D, %0D and %0A, and a "%" that would read as one of these (or as
// %25) as %25, so every text survives the round trip and texts without them are written as
// they are.
#include <Foundation/NSDictionary.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include "UAtomicProperty.h"

int import_NSUIDesignCodes();

class NSUIDesignCodes : public NSObject {
  OBJC_CLASS_DECL(NSUIDesignCodes, NSObject)

 public:
  // Autoreleased; null (reported) when no object could be made.
  static NSUIDesignCodes* codesWithCodeString_title_identifier(NSString* codeString, NSString* title,
                                                               NSString* identifier);
  static NSUIDesignCodes* codesWithCodeString_title(NSString* codeString, NSString* title);
  static NSUIDesignCodes* codesWithCodeString(NSString* codeString);
  // The dictionary written as a code string and read back: every value becomes its text.
  static NSUIDesignCodes* codesWithCodeDictionary(NSDictionary* dictionary);

  // Answers the object even when nothing could be parsed.
  NSUIDesignCodes* initWithCodeString_title_identifier(NSString* codeString, NSString* title,
                                                       NSString* identifier);

  // Autoreleased. A null dictionary writes only the marker lines.
  static NSMutableString* codeStringFromDictionary_identifier(NSDictionary* dictionary, NSString* identifier);
  static NSMutableString* codeStringFromDictionary(NSDictionary* dictionary);
  static NSString* beginCodeMarker(NSString* identifier);
  static NSString* endCodeMarker(NSString* identifier);
  NSString* beginCodeMarker() const { return beginCodeMarker(identifier()); }
  NSString* endCodeMarker() const { return endCodeMarker(identifier()); }

  NSString* codeString() const;
  // Parses into the dictionary (emptied first); YES when at least one setting was read. A null
  // text answers NO and leaves the dictionary as it was.
  bool setCodeString(NSString* codeString);
  // An immutable copy (autoreleased).
  NSDictionary* codeDictionary() const;
  // Writes the dictionary and reads it back, so its values become their texts.
  void setCodeDictionary(NSDictionary* dictionary);
  NSObject* objectForKey(NSString* key) const;

  // YES when the setting is present and its integer value, taken as true when not zero,
  // equals wanted.
  bool hasBooleanValue_booleanValue(NSString* key, bool wanted) const;
  // YES when the setting is present and names a version later than current, compared part by
  // part as numbers ("10.10" is later than "10.9"), case ignored.
  bool isVersionRequiredAndNotMet_versionStringValue(NSString* key, NSString* current) const;
  // YES when the setting is present and its value is greater than current.
  bool isDoubleValueRequiredAndNotMet_versionDoubleValue(NSString* key, double current) const;

  NSString* title() const { return mTitle.get(); }
  void setTitle(NSString* title) { mTitle.set(title); }
  NSString* identifier() const { return mIdentifier.get(); }
  void setIdentifier(NSString* identifier) { mIdentifier.set(identifier); }
  NSMutableDictionary* dictionary() const { return mDictionary.get(); }
  void setDictionary(NSMutableDictionary* dictionary) { mDictionary.set(dictionary); }

  // "<NSUIDesignCodes title:%@>".
  NSString* description() const;
  const __CFString* copyDescription() const override;

 protected:
  NSUIDesignCodes() = default;

 private:
  UAtomicProperty<NSString> mTitle;
  UAtomicProperty<NSString> mIdentifier;
  UAtomicProperty<NSMutableDictionary> mDictionary;
};
