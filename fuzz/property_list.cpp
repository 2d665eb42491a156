// Property lists read from data (preferences, Info.plist files, archives): XML, or anything
// else the reader is given. A list that reads is written out again and read back.
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFPropertyList.h>
#include <objc/RefPtr.h>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RefPtr<const __CFData> document = adopt(CFDataCreate(nullptr, data, CFIndex(size)));
  CFErrorRef error = nullptr;
  CFTypeRef list = CFPropertyListCreateWithData(nullptr, document.get(), kCFPropertyListMutableContainersAndLeaves,
                                                nullptr, &error);
  if (error) CFRelease(error);
  if (!list) return 0;
  RefPtr<const __CFData> written =
      adopt(CFPropertyListCreateData(nullptr, list, kCFPropertyListXMLFormat_v1_0, 0, nullptr));
  if (written) {
    CFTypeRef again = CFPropertyListCreateWithData(nullptr, written.get(), kCFPropertyListImmutable, nullptr, nullptr);
    if (again) CFRelease(again);
  }
  CFRelease(list);
  return 0;
}
