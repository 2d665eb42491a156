#pragma once
// Open panels: a save panel that chooses existing files of the allowed types (see
// NSSavePanel.h for where the answer comes from).
#include <AppKit/NSSavePanel.h>

class APPKIT_CLASS NSOpenPanel : public NSSavePanel {
  OBJC_CLASS_DECL(NSOpenPanel, NSSavePanel)

 public:
  // A new panel, autoreleased.
  static NSOpenPanel* openPanel();

  bool allowsMultipleSelection() const { return mMultiple; }
  void setAllowsMultipleSelection(bool flag) { mMultiple = flag; }
  // File extensions without the dot; null or empty allows any.
  NSArray* allowedFileTypes() const { return mTypes.get(); }
  void setAllowedFileTypes(NSArray* types) { mTypes = RefPtr<NSArray>(types); }

  // Asks for a file of one of the types.
  NSModalResponse runModalForTypes(NSArray* types);

  // The chosen files (one at most here), autoreleased; empty until one was chosen.
  NSArray* URLs() const;
  NSArray* filenames() const;

 protected:
  NSOpenPanel() = default;
  std::string acceptedPath(const std::string& path) const override;
  bool choosesExistingFile() const override { return true; }

 private:
  bool mMultiple = false;
  RefPtr<NSArray> mTypes;
};
