#include "NSOGLImageFilterShaderSourceCode.h"

#include <Foundation/NSData.h>

#include <cstring>

#include "NSMutableData_NSDatazer.h"
#include "NSOGLImageFilterShaderTable.h"

OBJC_CLASS_DEFINE(NSOGLImageFilterShaderSourceCode)

NSString* NSOGLImageFilterShaderSourceCode::Meta::sourceCodeFromResource_extension(
    Class, NSString* name, NSString* extension) const {
  return stringDataForShaderFileName(NSString::stringWithFormat(NSSTR("%@.%@"), name, extension));
}

NSString* NSOGLImageFilterShaderSourceCode::stringDataForShaderFileName(NSString* fileName) {
  const char* wanted = fileName ? fileName->UTF8String() : nullptr;
  for (size_t i = 0; wanted && i < kNSOGLImageFilterShaderTableCount; ++i) {
    const NSOGLImageFilterShaderRecord& record = kNSOGLImageFilterShaderTable[i];
    if (std::strcmp(record.fileName, wanted) != 0) continue;
    NSMutableData* decoded = NSDatazer::dataWithNSDatazerBytes_length(record.bytes, record.length);
    NSData* frozen = decoded ? static_cast<NSData*>(decoded->copy()->autorelease()) : nullptr;
    const auto* bytes = frozen ? static_cast<const char*>(frozen->bytes()) : nullptr;
    // The stored text carries its NUL; one missing it is not read past its end.
    NSString* text =
        bytes && std::memchr(bytes, 0, frozen->length()) ? NSString::stringWithUTF8String(bytes) : nullptr;
    if (!text || text->length() == 0)
      NSLog(NSSTR("NO SHADER FOR stringDataForShaderFileName:%@\n"), fileName);
    return text;
  }
  NSLog(NSSTR("NO SHADER FOR stringDataForShaderFileName:%@\n"), fileName);
  return NSSTR("");
}
