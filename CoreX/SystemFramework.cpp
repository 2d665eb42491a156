#include "SystemFramework.h"

#include <cerrno>
#include <mutex>

#include "CoreMachDebug.h"
#include "T_CFBaseDLL.h"

namespace SystemFramework {

static T_CFBaseDLL<I_CFBundleDLL> sSystemFramework(CFSTR("System.framework"));
static std::mutex sSystemFrameworkLock;

// The function of that name in System.framework, loading the framework first; null (with
// errno ENOSYS) when either cannot be had.
static void* functionNamed(CFStringRef name) {
  std::lock_guard<std::mutex> lock(sSystemFrameworkLock);
  void* function = sSystemFramework.LoadSystemFramework() ? sSystemFramework.FunctionPointerForName(name) : nullptr;
  if (!function) errno = ENOSYS;
  return function;
}

char* getcwd(char* buffer, size_t size) {
  auto function = reinterpret_cast<char* (*)(char*, size_t)>(functionNamed(CFSTR("getcwd")));
  return function ? function(buffer, size) : nullptr;
}

int chdir(const char* in_utf8_path_string) {
  if (!VERIFY(in_utf8_path_string)) return -1;
  auto function = reinterpret_cast<int (*)(const char*)>(functionNamed(CFSTR("chdir")));
  return function ? function(in_utf8_path_string) : -1;
}

int mprotect(void* address, size_t length, int protection) {
  auto function = reinterpret_cast<int (*)(void*, size_t, int)>(functionNamed(CFSTR("mprotect")));
  return function ? function(address, length, protection) : -1;
}

}  // namespace SystemFramework
