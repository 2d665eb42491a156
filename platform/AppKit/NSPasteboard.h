#pragma once
// Pasteboards of this process: named boards of typed data, the general one for copy and paste
// and the drag one that a drag carries. A writer declares the types it offers (which clears
// the board) and then sets the data of each; a reader asks for the types it can take. Property
// lists and strings are kept as the data a reader in another application would get (an XML
// property list, UTF-8 text), so a reader always gets its own copy. Any thread may use a board.
#include <mutex>
#include <vector>

#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include <AppKit/AppKitDefines.h>

class NSArray;
class NSData;
class NSURL;

APPKIT_EXPORT NSString* const NSGeneralPboard;
APPKIT_EXPORT NSString* const NSDragPboard;
APPKIT_EXPORT NSString* const NSStringPboardType;
// A property list: an array of absolute paths.
APPKIT_EXPORT NSString* const NSFilenamesPboardType;
// A property list: an array of the URL's text and its base's text ("" for none).
APPKIT_EXPORT NSString* const NSURLPboardType;

class APPKIT_CLASS NSPasteboard : public NSObject {
  OBJC_CLASS_DECL(NSPasteboard, NSObject)

 public:
  // The boards live as long as the process.
  static NSPasteboard* generalPasteboard();
  static NSPasteboard* pasteboardWithName(NSString* name);
  static NSPasteboard* pasteboardWithUniqueName();

  NSString* name() const { return mName.get(); }
  // Clears the board and offers the types; answers the new change count. Every type's data is
  // set at once: the owner is never asked for it later.
  NSInteger declareTypes_owner(NSArray* types, NSObject* owner);
  // Offers more types, keeping the data set so far.
  NSInteger addTypes_owner(NSArray* types, NSObject* owner);
  NSInteger clearContents();
  NSInteger changeCount() const;
  // Autoreleased, in the order declared.
  NSArray* types() const;
  // The first of types that the board offers; null for none.
  NSString* availableTypeFromArray(NSArray* types) const;

  // False (nothing kept) for a type that was not declared, and for a property list that cannot
  // be written.
  bool setData_forType(NSData* data, NSString* type);
  bool setPropertyList_forType(NSObject* plist, NSString* type);
  bool setString_forType(NSString* string, NSString* type);
  // Autoreleased; null when the type is not offered, has no data yet, or is not of the kind asked.
  NSData* dataForType(NSString* type) const;
  NSObject* propertyListForType(NSString* type) const;
  NSString* stringForType(NSString* type) const;

 protected:
  NSPasteboard() = default;
  ~NSPasteboard() override;

 private:
  struct Entry {
    RefPtr<NSString> type;
    RefPtr<NSData> data;
  };
  Entry* entryFor(NSString* type);
  const Entry* entryFor(NSString* type) const;
  void offer(NSArray* types);

  RefPtr<NSString> mName;
  mutable std::mutex mLock;
  std::vector<Entry> mEntries;
  NSInteger mChangeCount = 0;
};

// The URL category of the pasteboard (NSURL's pasteboard support).
namespace NSPasteboardSupport {
// The URL of NSURLPboardType, autoreleased; null when the board has none or its text is no URL.
APPKIT_CLASS NSURL* URLFromPasteboard(NSPasteboard* pasteboard);
// Sets NSURLPboardType, which the board must offer.
APPKIT_CLASS void writeToPasteboard(NSURL* url, NSPasteboard* pasteboard);
}  // namespace NSPasteboardSupport
