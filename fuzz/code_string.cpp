// Design code strings (pasted by users, read from files): parsed into settings, written out
// again and parsed back, which must give the same settings.
#include <Foundation/NSDictionary.h>
#include <Foundation/NSString.h>
#include <objc/RefPtr.h>
#include <objc/runtime.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "NSUIDesignCodes.h"

const char* g_CoreMachDebug_LogPrefix = "fuzz_code_string";
const char* g_CoreMachDebug_LogFileName = "fuzz_code_string.log";

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  objc::AutoreleasePool pool;
  RefPtr<const __CFString> text =
      adopt(CFStringCreateWithBytes(nullptr, data, CFIndex(size), kCFStringEncodingUTF8, false));
  if (!text) return 0;
  NSUIDesignCodes* codes = NSUIDesignCodes::codesWithCodeString(toNSString(text.get()));
  if (!codes) return 0;
  NSDictionary* settings = codes->codeDictionary();
  NSUIDesignCodes* again = NSUIDesignCodes::codesWithCodeString(codes->codeString());
  if (!again || !again->codeDictionary()->isEqualToDictionary(settings)) std::abort();
  return 0;
}
