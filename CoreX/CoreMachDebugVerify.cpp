// The VERIFY reporters: each writes one line through the developer log and returns.
#include <mutex>
#include <string>

#include "CoreMachDebug.h"
#include "T_CFBaseDLL.h"

namespace CoreServicesFramework {
// The status texts live in CoreServices, found by name at report time so that this library
// does not depend on it; loaded on the first VERIFY_OSERR and kept.
static T_CFBaseDLL<I_CFBundleDLL> sCoreServices;
static std::mutex sCoreServicesLock;
}  // namespace CoreServicesFramework

void _CoreMachDebugVerifyBody(const char* function, const char* file, SInt32 line, const char* code) {
  ZidaZoraDurodAri("VERIFY FAILED: %s in %s:%d (%s)\n", code, file, int(line), function);
}

typedef const char* (*StatusStringFunction)(OSStatus status);

// The text that the CoreServices function of that name gives for the error, or null.
static const char* statusText(CFStringRef functionName, SInt32 error) {
  using namespace CoreServicesFramework;
  StatusStringFunction function = nullptr;
  {
    std::lock_guard<std::mutex> lock(sCoreServicesLock);
    if (!sCoreServices.IsLoaded()) sCoreServices.LoadSystemFramework(CFSTR("CoreServices.framework"));
    function = reinterpret_cast<StatusStringFunction>(sCoreServices.FunctionPointerForName(functionName));
  }
  return function ? function(error) : nullptr;
}

static const char* orEmpty(const char* text) { return text ? text : ""; }

void _CoreMachDebugVerifyOSerrBody(SInt32 error, const char* function, const char* file, SInt32 line,
                                   const char* code) {
  const char* errorText = statusText(CFSTR("GetMacOSStatusErrorString"), error);
  const char* commentText = statusText(CFSTR("GetMacOSStatusCommentString"), error);
  ZidaZoraDurodAri("VERIFY_OSERR FAILED: OSErr:%d (%s/%s) %s in %s:%d (%s)\n", int(error), orEmpty(errorText),
                   orEmpty(commentText), code, file, int(line), function);
}

void _CoreMachDebugVerifyCFErrorBody(CFErrorRef error, const char* function, const char* file, SInt32 line,
                                     const char* code) {
  CFStringRef description = error ? CFErrorCopyDescription(error) : nullptr;
  const char* text = description ? CFStringDebugCStringPtr(description, kCFStringEncodingUTF8) : nullptr;
  ZidaZoraDurodAri("VERIFY_CFERROR FAILED: (%s) %s in %s:%d (%s)\n", orEmpty(text), code, file, int(line), function);
  if (description) CFRelease(description);
}

const char* CFStringDebugCStringPtr(CFStringRef string, CFStringEncoding encoding) {
  if (!string) return nullptr;
  if (const char* direct = CFStringGetCStringPtr(string, encoding)) return direct;
  // One buffer per thread: reports made at the same moment on two threads keep their own text.
  thread_local std::string converted;
  converted.clear();
  const CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), encoding) + 1;
  if (size <= 1) return converted.c_str();
  std::string buffer(size_t(size), '\0');
  if (CFStringGetCString(string, buffer.data(), size, encoding)) converted = buffer.c_str();
  return converted.c_str();
}
