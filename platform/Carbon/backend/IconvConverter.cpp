// Encodings are converted with the C library's iconv.
#include "backend/IconvConverter.h"

#include <cerrno>

namespace CarbonText {

IconvConverter::IconvConverter(const char* toEncoding, const char* fromEncoding)
    : mHandle(iconv_open(toEncoding, fromEncoding)) {}

IconvConverter::~IconvConverter() {
  if (isOpen()) iconv_close(mHandle);
}

int IconvConverter::convert(const void* input, size_t inputLength, void* output, size_t outputCapacity, size_t& read,
                            size_t& written) {
  read = written = 0;
  if (!isOpen()) return EBADF;
  iconv(mHandle, nullptr, nullptr, nullptr, nullptr);
  char* in = const_cast<char*>(static_cast<const char*>(input));
  char* out = static_cast<char*>(output);
  size_t inLeft = inputLength;
  size_t outLeft = outputCapacity;
  size_t result = iconv(mHandle, &in, &inLeft, &out, &outLeft);
  int error = result == size_t(-1) ? errno : 0;
  read = inputLength - inLeft;
  written = outputCapacity - outLeft;
  return error;
}

bool IconvConverter::convertAll(const std::string& input, std::string& output) {
  output.assign(input.size() * 4 + 16, '\0');
  for (;;) {
    size_t read = 0;
    size_t written = 0;
    int error = convert(input.data(), input.size(), output.data(), output.size(), read, written);
    if (error == E2BIG) {
      output.assign(output.size() * 2, '\0');
      continue;
    }
    output.resize(written);
    return error == 0;
  }
}

const char* nativeUTF16Name() { return __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? "UTF-16LE" : "UTF-16BE"; }
const char* nativeUTF32Name() { return __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? "UTF-32LE" : "UTF-32BE"; }

}  // namespace CarbonText
