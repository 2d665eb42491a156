#include "UILocalLanguageStringID.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>

int import_UILocalLanguageStringID() { return 1; }

namespace {

struct Registry {
  std::mutex lock;
  std::map<std::string, std::string> defaults;
};

// Constant-initialised, so it is null before any static initialiser runs: the registry is made
// by the first registration, whichever file's initialisers run first, and kept for the life of
// the process (identifiers may be looked up from static destructors too).
std::atomic<Registry*> sRegistry{nullptr};

Registry* registry(bool create) {
  Registry* existing = sRegistry.load(std::memory_order_acquire);
  if (existing || !create) return existing;
  auto* made = new Registry;
  if (sRegistry.compare_exchange_strong(existing, made, std::memory_order_acq_rel)) return made;
  delete made;
  return existing;
}

std::atomic<UILocalLanguageStringLookup> sLookup{nullptr};

NSString* string(const std::string& text) { return NSString::stringWithUTF8String(text.c_str()); }

}  // namespace

UILocalLanguageStringID::UILocalLanguageStringID(const char* key, const char* defaultText) : mKey(key) {
  Registry* defaults = registry(true);
  std::lock_guard<std::mutex> lock(defaults->lock);
  defaults->defaults[key] = defaultText ? defaultText : "";
}

NSString* UILocalLanguageStringWithID(const UILocalLanguageStringID& identifier) {
  NSString* key = NSString::stringWithUTF8String(identifier.key());
  if (UILocalLanguageStringLookup lookup = sLookup.load()) return lookup(key);
  Registry* defaults = registry(false);
  if (!defaults) return key;
  std::lock_guard<std::mutex> lock(defaults->lock);
  auto found = defaults->defaults.find(identifier.key());
  return found == defaults->defaults.end() ? key : string(found->second);
}

void UILocalLanguageStringSetLookup(UILocalLanguageStringLookup lookup) { sLookup.store(lookup); }

void UILocalLanguageStringVisitDefaults(
    const std::function<void(NSString* key, NSString* defaultText)>& visit) {
  Registry* defaults = registry(false);
  if (!defaults) return;
  std::map<std::string, std::string> entries;
  {
    std::lock_guard<std::mutex> lock(defaults->lock);
    entries = defaults->defaults;
  }
  for (const auto& [key, text] : entries) visit(string(key), string(text));
}
