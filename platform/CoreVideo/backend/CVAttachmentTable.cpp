#include "CVAttachmentTable.h"

#include <vector>

namespace CoreVideo {

AttachmentTable::~AttachmentTable() {
  if (mPropagated) CFRelease(mPropagated);
  if (mKept) CFRelease(mKept);
}

CFMutableDictionaryRef& AttachmentTable::dictionary(CVAttachmentMode mode) const {
  CFMutableDictionaryRef& held = mode == kCVAttachmentMode_ShouldPropagate ? mPropagated : mKept;
  if (!held)
    held = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                     &kCFTypeDictionaryValueCallBacks);
  return held;
}

void AttachmentTable::set(CFStringRef key, CFTypeRef value, CVAttachmentMode mode) {
  if (!key || !value) return;
  std::lock_guard<std::mutex> guard(mLock);
  const CVAttachmentMode other = mode == kCVAttachmentMode_ShouldPropagate
                                     ? kCVAttachmentMode_ShouldNotPropagate
                                     : kCVAttachmentMode_ShouldPropagate;
  CFDictionaryRemoveValue(dictionary(other), key);
  CFDictionarySetValue(dictionary(mode), key, value);
}

CFTypeRef AttachmentTable::get(CFStringRef key, CVAttachmentMode* mode) const {
  if (!key) return nullptr;
  std::lock_guard<std::mutex> guard(mLock);
  for (const CVAttachmentMode each :
       {kCVAttachmentMode_ShouldPropagate, kCVAttachmentMode_ShouldNotPropagate}) {
    if (CFTypeRef value = CFDictionaryGetValue(dictionary(each), key)) {
      if (mode) *mode = each;
      return value;
    }
  }
  return nullptr;
}

void AttachmentTable::remove(CFStringRef key) {
  if (!key) return;
  std::lock_guard<std::mutex> guard(mLock);
  CFDictionaryRemoveValue(dictionary(kCVAttachmentMode_ShouldPropagate), key);
  CFDictionaryRemoveValue(dictionary(kCVAttachmentMode_ShouldNotPropagate), key);
}

void AttachmentTable::removeAll() {
  std::lock_guard<std::mutex> guard(mLock);
  CFDictionaryRemoveAllValues(dictionary(kCVAttachmentMode_ShouldPropagate));
  CFDictionaryRemoveAllValues(dictionary(kCVAttachmentMode_ShouldNotPropagate));
}

CFDictionaryRef AttachmentTable::get(CVAttachmentMode mode) const {
  std::lock_guard<std::mutex> guard(mLock);
  CFMutableDictionaryRef held = dictionary(mode);
  return CFDictionaryGetCount(held) ? held : nullptr;
}

CFDictionaryRef AttachmentTable::copy(CVAttachmentMode mode) const {
  std::lock_guard<std::mutex> guard(mLock);
  CFMutableDictionaryRef held = dictionary(mode);
  return CFDictionaryGetCount(held) ? CFDictionaryCreateCopy(nullptr, held) : nullptr;
}

void AttachmentTable::setAll(CFDictionaryRef attachments, CVAttachmentMode mode) {
  if (!attachments || CFGetTypeID(attachments) != CFDictionaryGetTypeID()) return;
  const CFIndex count = CFDictionaryGetCount(attachments);
  std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
  CFDictionaryGetKeysAndValues(attachments, keys.data(), values.data());
  for (CFIndex i = 0; i < count; ++i) set(static_cast<CFStringRef>(keys[size_t(i)]), values[size_t(i)], mode);
}

void AttachmentTable::propagateTo(AttachmentTable& destination) const {
  if (&destination == this) return;
  CFDictionaryRef propagated = copy(kCVAttachmentMode_ShouldPropagate);
  if (!propagated) return;
  destination.setAll(propagated, kCVAttachmentMode_ShouldPropagate);
  CFRelease(propagated);
}

}  // namespace CoreVideo
