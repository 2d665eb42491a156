#include <AppKit/NSPasteboard.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSData.h>
#include <Foundation/NSPropertyList.h>
#include <Foundation/NSURL.h>

#include <atomic>
#include <cstring>
#include <map>
#include <string>

NSString* const NSGeneralPboard = NSSTR("Apple CFPasteboard general");
NSString* const NSDragPboard = NSSTR("Apple CFPasteboard drag");
NSString* const NSStringPboardType = NSSTR("NSStringPboardType");
NSString* const NSFilenamesPboardType = NSSTR("NSFilenamesPboardType");
NSString* const NSURLPboardType = NSSTR("Apple URL pasteboard type");

OBJC_CLASS_DEFINE(NSPasteboard)

namespace {

struct Boards {
  std::mutex lock;
  std::map<std::string, RefPtr<NSPasteboard>> byName;
};

Boards& boards() {
  static Boards* const shared = new Boards;
  return *shared;
}

bool sameType(NSString* a, NSString* b) { return a && b && a->isEqualToString(b); }

}  // namespace

NSPasteboard::~NSPasteboard() = default;

NSPasteboard* NSPasteboard::generalPasteboard() { return pasteboardWithName(NSGeneralPboard); }

NSPasteboard* NSPasteboard::pasteboardWithName(NSString* name) {
  if (!name) return pasteboardWithUniqueName();
  Boards& shared = boards();
  std::lock_guard<std::mutex> guard(shared.lock);
  RefPtr<NSPasteboard>& board = shared.byName[name->UTF8String()];
  if (!board) {
    board = adopt(new NSPasteboard);
    board->mName = RefPtr<NSString>(NSString::stringWithString(name));
  }
  return board.get();
}

NSPasteboard* NSPasteboard::pasteboardWithUniqueName() {
  static std::atomic<unsigned long> counter{0};
  return pasteboardWithName(NSString::stringWithFormat(NSSTR("NSPasteboard unique %lu"), ++counter));
}

NSPasteboard::Entry* NSPasteboard::entryFor(NSString* type) {
  for (Entry& entry : mEntries) {
    if (sameType(entry.type.get(), type)) return &entry;
  }
  return nullptr;
}

const NSPasteboard::Entry* NSPasteboard::entryFor(NSString* type) const {
  return const_cast<NSPasteboard*>(this)->entryFor(type);
}

void NSPasteboard::offer(NSArray* types) {
  if (!types) return;
  for (NSObject* object : *types) {
    auto* type = NSDynamicCast<NSString>(object);
    if (type && !entryFor(type))
      mEntries.push_back({RefPtr<NSString>(NSString::stringWithString(type)), nullptr});
  }
}

NSInteger NSPasteboard::declareTypes_owner(NSArray* types, NSObject*) {
  std::lock_guard<std::mutex> guard(mLock);
  mEntries.clear();
  offer(types);
  return ++mChangeCount;
}

NSInteger NSPasteboard::addTypes_owner(NSArray* types, NSObject*) {
  std::lock_guard<std::mutex> guard(mLock);
  offer(types);
  return mChangeCount;
}

NSInteger NSPasteboard::clearContents() { return declareTypes_owner(nullptr, nullptr); }

NSInteger NSPasteboard::changeCount() const {
  std::lock_guard<std::mutex> guard(mLock);
  return mChangeCount;
}

NSArray* NSPasteboard::types() const {
  NSMutableArray* types = NSMutableArray::array();
  std::lock_guard<std::mutex> guard(mLock);
  for (const Entry& entry : mEntries) types->addObject(entry.type.get());
  return types;
}

NSString* NSPasteboard::availableTypeFromArray(NSArray* types) const {
  if (!types) return nullptr;
  std::lock_guard<std::mutex> guard(mLock);
  for (NSObject* object : *types) {
    auto* type = NSDynamicCast<NSString>(object);
    if (const Entry* entry = type ? entryFor(type) : nullptr) {
      return static_cast<NSString*>(entry->type.get()->retain()->autorelease());
    }
  }
  return nullptr;
}

bool NSPasteboard::setData_forType(NSData* data, NSString* type) {
  if (!data || !type) return false;
  RefPtr<NSData> copy(NSData::dataWithData(data));
  std::lock_guard<std::mutex> guard(mLock);
  Entry* entry = entryFor(type);
  if (!entry) return false;
  entry->data = std::move(copy);
  return true;
}

bool NSPasteboard::setPropertyList_forType(NSObject* plist, NSString* type) {
  if (!plist) return false;
  NSData* data = NSPropertyListSerialization::dataWithPropertyList_format_options_error(
      plist, NSPropertyListXMLFormat_v1_0, 0, nullptr);
  return data && setData_forType(data, type);
}

bool NSPasteboard::setString_forType(NSString* string, NSString* type) {
  if (!string) return false;
  const char* text = string->UTF8String();
  return setData_forType(NSData::dataWithBytes_length(text, std::strlen(text)), type);
}

NSData* NSPasteboard::dataForType(NSString* type) const {
  std::lock_guard<std::mutex> guard(mLock);
  const Entry* entry = type ? entryFor(type) : nullptr;
  if (!entry || !entry->data) return nullptr;
  return static_cast<NSData*>(entry->data.get()->retain()->autorelease());
}

NSObject* NSPasteboard::propertyListForType(NSString* type) const {
  NSData* data = dataForType(type);
  if (!data) return nullptr;
  return NSPropertyListSerialization::propertyListWithData_options_format_error(data, NSPropertyListImmutable,
                                                                                nullptr, nullptr);
}

NSString* NSPasteboard::stringForType(NSString* type) const {
  NSData* data = dataForType(type);
  if (!data) return nullptr;
  CFStringRef string = CFStringCreateWithBytes(nullptr, static_cast<const UInt8*>(data->bytes()),
                                               CFIndex(data->length()), kCFStringEncodingUTF8, false);
  if (!string) return nullptr;
  return static_cast<NSString*>(toNSString(string)->autorelease());
}

namespace NSPasteboardSupport {

NSURL* URLFromPasteboard(NSPasteboard* pasteboard) {
  auto* parts =
      pasteboard ? NSDynamicCast<NSArray>(pasteboard->propertyListForType(NSURLPboardType)) : nullptr;
  auto* text = parts && parts->count() > 0 ? NSDynamicCast<NSString>(parts->objectAtIndex(0)) : nullptr;
  if (!text) return nullptr;
  auto* baseText = parts->count() > 1 ? NSDynamicCast<NSString>(parts->objectAtIndex(1)) : nullptr;
  NSURL* base = baseText && baseText->length() > 0 ? NSURL::URLWithString(baseText) : nullptr;
  return base ? NSURL::URLWithString_relativeToURL(text, base) : NSURL::URLWithString(text);
}

void writeToPasteboard(NSURL* url, NSPasteboard* pasteboard) {
  if (!url || !pasteboard) return;
  NSString* base = url->baseURL() ? url->baseURL()->absoluteString() : NSString::string();
  pasteboard->setPropertyList_forType(NSArray::arrayWithObjects({url->relativeString(), base}),
                                      NSURLPboardType);
}

}  // namespace NSPasteboardSupport
