#include "NSSavePanel.h"

#include <Foundation/NSString+Values.h>
#include <Foundation/NSURL.h>

#include <optional>

#include "backend/FilePanelAnswer.h"

OBJC_CLASS_DEFINE(NSSavePanel)

namespace {

std::string text(NSString* string) {
  const char* utf8 = string ? string->UTF8String() : nullptr;
  return utf8 ? utf8 : "";
}

bool endsWith(const std::string& path, const std::string& ending) {
  return path.size() >= ending.size() &&
         path.compare(path.size() - ending.size(), ending.size(), ending) == 0;
}

}  // namespace

NSSavePanel* NSSavePanel::savePanel() { return static_cast<NSSavePanel*>(alloc()->init()->autorelease()); }

NSModalResponse NSSavePanel::runModalForDirectory_file(NSString* path, NSString* name) {
  setDirectoryURL(path ? NSURL::fileURLWithPath_isDirectory(path, true) : nullptr);
  setNameFieldStringValue(name);
  return runModal();
}

NSModalResponse NSSavePanel::runModal() {
  mURL = nullptr;
  AppKitBackend::FilePanelQuestion question;
  question.save = !choosesExistingFile();
  question.directory = directoryURL() ? text(directoryURL()->path()) : std::string();
  question.proposedName = text(nameFieldStringValue());
  question.fileType = text(requiredFileType());
  std::optional<std::string> chosen = AppKitBackend::answerFilePanel(question);
  if (!chosen) return NSModalResponseCancel;
  std::string accepted = acceptedPath(*chosen);
  if (accepted.empty()) return NSModalResponseCancel;
  setChosenPath(accepted);
  return NSModalResponseOK;
}

std::string NSSavePanel::acceptedPath(const std::string& path) const {
  std::string type = text(requiredFileType());
  if (type.empty() || endsWith(path, "." + type)) return path;
  return path + "." + type;
}

void NSSavePanel::setChosenPath(const std::string& path) {
  mURL = RefPtr<NSURL>(NSURL::fileURLWithPath(NSString::stringWithUTF8String(path.c_str())));
}

NSString* NSSavePanel::filename() const { return URL() ? URL()->path() : nullptr; }
