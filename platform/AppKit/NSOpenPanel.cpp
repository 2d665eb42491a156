#include "NSOpenPanel.h"

#include <Foundation/NSArray.h>
#include <Foundation/NSURL.h>

OBJC_CLASS_DEFINE(NSOpenPanel)

namespace {

std::string extensionOf(const std::string& path) {
  size_t slash = path.rfind('/');
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return path.substr(dot + 1);
}

}  // namespace

NSOpenPanel* NSOpenPanel::openPanel() { return static_cast<NSOpenPanel*>(alloc()->init()->autorelease()); }

NSModalResponse NSOpenPanel::runModalForTypes(NSArray* types) {
  setAllowedFileTypes(types);
  setRequiredFileType(types && types->count() == 1 ? static_cast<NSString*>(types->firstObject()) : nullptr);
  return runModal();
}

std::string NSOpenPanel::acceptedPath(const std::string& path) const {
  NSArray* types = allowedFileTypes();
  if (!types || types->count() == 0) return path;
  std::string extension = extensionOf(path);
  for (NSObject* type : *types) {
    const char* allowed = static_cast<NSString*>(type)->UTF8String();
    if (allowed && extension == allowed) return path;
  }
  NSLog(NSSTR("NSOpenPanel: %s is not of an allowed type; the panel is cancelled"), path.c_str());
  return {};
}

NSArray* NSOpenPanel::URLs() const { return URL() ? NSArray::arrayWithObject(URL()) : NSArray::array(); }

NSArray* NSOpenPanel::filenames() const {
  return URL() ? NSArray::arrayWithObject(URL()->path()) : NSArray::array();
}
