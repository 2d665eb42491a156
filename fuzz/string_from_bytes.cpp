// Text from bytes in any encoding the layer knows (file names, records, pasted text): the
// first byte chooses the encoding and whether the bytes are an external representation (with
// a byte order mark), the rest is the text. A string that reads is written back in the same
// encoding and read again as a C string from memory that ends right after its NUL.
#include <CoreFoundation/CFString.h>
#include <objc/RefPtr.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

const CFStringEncoding kEncodings[] = {
    kCFStringEncodingUTF8,    kCFStringEncodingASCII,   kCFStringEncodingMacRoman,
    kCFStringEncodingISOLatin1, kCFStringEncodingWindowsLatin1, kCFStringEncodingNextStepLatin,
    kCFStringEncodingNonLossyASCII, kCFStringEncodingUTF16, kCFStringEncodingUTF16BE,
    kCFStringEncodingUTF16LE, kCFStringEncodingUTF32, kCFStringEncodingUTF32BE,
    kCFStringEncodingUTF32LE,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const CFStringEncoding encoding = kEncodings[(data[0] >> 1) % (sizeof kEncodings / sizeof kEncodings[0])];
  const bool external = data[0] & 1;
  RefPtr<const __CFString> string =
      adopt(CFStringCreateWithBytes(nullptr, data + 1, CFIndex(size - 1), encoding, external));

  // The same bytes as a C string, in memory that ends with its NUL.
  std::unique_ptr<char[]> cString(new char[size]);
  std::memcpy(cString.get(), data + 1, size - 1);
  cString[size - 1] = '\0';
  RefPtr<const __CFString> fromCString = adopt(CFStringCreateWithCString(nullptr, cString.get(), encoding));

  if (!string) return 0;
  const CFIndex length = CFStringGetLength(string.get());
  CFIndex needed = 0;
  CFStringGetBytes(string.get(), CFRangeMake(0, length), encoding, '?', external, nullptr, 0, &needed);
  std::vector<UInt8> bytes(size_t(needed) + 1);
  CFIndex used = 0;
  CFStringGetBytes(string.get(), CFRangeMake(0, length), encoding, '?', external, bytes.data(), needed, &used);
  const CFIndex room = CFStringGetMaximumSizeForEncoding(length, encoding) + 4;
  std::vector<char> buffer(size_t(room > 0 ? room : 4));
  CFStringGetCString(string.get(), buffer.data(), CFIndex(buffer.size()), encoding);
  return 0;
}
