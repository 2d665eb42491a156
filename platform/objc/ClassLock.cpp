#include <objc/ClassLock.h>

#include <map>
#include <memory>

std::recursive_mutex& class_getLock(Class cls) {
  static std::mutex* tableLock = new std::mutex();
  static auto* locks = new std::map<Class, std::unique_ptr<std::recursive_mutex>>();  // never freed: classes live for ever
  std::lock_guard<std::mutex> guard(*tableLock);
  auto& lock = (*locks)[cls];
  if (!lock) lock = std::make_unique<std::recursive_mutex>();
  return *lock;
}
