// URLs from outside (feeds, preferences, other processes): made from bytes, alone and against a
// base, and taken apart as callers take them apart.
#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFURL.h>
#include <objc/RefPtr.h>

#include <cstddef>
#include <cstdint>

namespace {

void release(CFTypeRef object) {
  if (object) CFRelease(object);
}

void takeApart(CFURLRef url) {
  for (CFStringRef part : {CFURLCopyScheme(url), CFURLCopyHostName(url), CFURLCopyPath(url),
                           CFURLCopyLastPathComponent(url), CFURLCopyPathExtension(url),
                           CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle)})
    release(part);
  CFURLHasDirectoryPath(url);
  UInt8 path[1024];
  CFURLGetFileSystemRepresentation(url, true, path, sizeof path);
  for (CFURLRef made : {CFURLCopyAbsoluteURL(url), CFURLCreateCopyDeletingLastPathComponent(nullptr, url),
                        CFURLCreateCopyAppendingPathComponent(nullptr, url, CFSTR("part"), false),
                        CFURLCreateCopyDeletingPathExtension(nullptr, url),
                        CFURLCreateCopyAppendingPathExtension(nullptr, url, CFSTR("ext"))})
    release(made);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RefPtr<const __CFString> text =
      adopt(CFStringCreateWithBytes(nullptr, data, CFIndex(size), kCFStringEncodingUTF8, false));
  if (!text) return 0;
  RefPtr<const __CFURL> base = adopt(CFURLCreateWithString(nullptr, CFSTR("http://example.com/a/b/c?q#f"), nullptr));
  for (CFURLRef against : {static_cast<CFURLRef>(nullptr), base.get()}) {
    RefPtr<const __CFURL> url = adopt(CFURLCreateWithString(nullptr, text.get(), against));
    if (url) takeApart(url.get());
  }
  RefPtr<const __CFURL> file =
      adopt(CFURLCreateFromFileSystemRepresentation(nullptr, data, CFIndex(size), size > 0 && data[size - 1] == '/'));
  if (file) takeApart(file.get());
  release(CFURLCreateStringByReplacingPercentEscapes(nullptr, text.get(), CFSTR("")));
  release(CFURLCreateStringByAddingPercentEscapes(nullptr, text.get(), nullptr, CFSTR(";/?"), kCFStringEncodingUTF8));
  return 0;
}
