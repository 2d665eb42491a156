#pragma once
// The attachments of one buffer: two dictionaries, one per mode, behind a lock. Sample
// buffers of CoreMedia keep theirs in the same table.
#include <CoreFoundation/CFDictionary.h>
#include <CoreVideo/CVBuffer.h>

#include <mutex>

namespace CoreVideo {

class AttachmentTable {
 public:
  AttachmentTable() = default;
  ~AttachmentTable();
  AttachmentTable(const AttachmentTable&) = delete;
  AttachmentTable& operator=(const AttachmentTable&) = delete;

  // A key lives in one mode at a time: setting it moves it.
  void set(CFStringRef key, CFTypeRef value, CVAttachmentMode mode);
  CFTypeRef get(CFStringRef key, CVAttachmentMode* mode) const;
  void remove(CFStringRef key);
  void removeAll();
  CFDictionaryRef get(CVAttachmentMode mode) const;
  CFDictionaryRef copy(CVAttachmentMode mode) const;
  void setAll(CFDictionaryRef attachments, CVAttachmentMode mode);
  void propagateTo(AttachmentTable& destination) const;

 private:
  CFMutableDictionaryRef& dictionary(CVAttachmentMode mode) const;

  mutable std::mutex mLock;
  mutable CFMutableDictionaryRef mPropagated = nullptr;
  mutable CFMutableDictionaryRef mKept = nullptr;
};

}  // namespace CoreVideo
