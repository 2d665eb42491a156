#pragma once
// Inside Carbon: one iconv conversion between two encodings named as iconv names them.
#include <iconv.h>

#include <cstddef>
#include <string>

namespace CarbonText {

class IconvConverter {
 public:
  IconvConverter(const char* toEncoding, const char* fromEncoding);
  ~IconvConverter();
  IconvConverter(const IconvConverter&) = delete;
  IconvConverter& operator=(const IconvConverter&) = delete;

  bool isOpen() const { return mHandle != reinterpret_cast<iconv_t>(-1); }

  // Converts as much as fits; answers 0, or E2BIG (output full), EILSEQ (bad input) or
  // EINVAL (input ends inside a character). `read` and `written` count bytes.
  int convert(const void* input, size_t inputLength, void* output, size_t outputCapacity, size_t& read,
              size_t& written);

  // Converts a whole text; false on bad input.
  bool convertAll(const std::string& input, std::string& output);

 private:
  iconv_t mHandle;
};

// The iconv name of UTF-16 and UTF-32 in this machine's byte order, as UniChar arrays hold them.
const char* nativeUTF16Name();
const char* nativeUTF32Name();

}  // namespace CarbonText
