#pragma once
// Save and open panels: modal questions for a file. The answer comes, in this order, from:
//   - the environment's MOXICAM_PANEL_ANSWER: "cancel", or the path of the file chosen (how
//     tests and scripted runs answer);
//   - the desktop's file chooser (zenity) when an X display is set and it is installed;
//   - otherwise the panel is cancelled, with a line in the log.
// A save panel with a required file type puts that extension on a chosen name without it; an
// open panel refuses (cancels) a file of a type it does not allow.
#include <AppKit/NSPanel.h>

#include <string>

class NSArray;
class NSURL;

typedef NSInteger NSModalResponse;
enum : NSModalResponse {
  NSModalResponseCancel = 0,
  NSModalResponseOK = 1,
  NSFileHandlingPanelCancelButton = 0,
  NSFileHandlingPanelOKButton = 1,
};

class APPKIT_CLASS NSSavePanel : public NSPanel {
  OBJC_CLASS_DECL(NSSavePanel, NSPanel)

 public:
  // A new panel, autoreleased.
  static NSSavePanel* savePanel();

  NSString* requiredFileType() const { return mRequiredFileType.get(); }
  void setRequiredFileType(NSString* type) { mRequiredFileType = RefPtr<NSString>(type); }
  NSString* nameFieldStringValue() const { return mName.get(); }
  void setNameFieldStringValue(NSString* name) { mName = RefPtr<NSString>(name); }
  NSURL* directoryURL() const { return mDirectory.get(); }
  void setDirectoryURL(NSURL* url) { mDirectory = RefPtr<NSURL>(url); }

  // Asks for the file; NSModalResponseOK when one was chosen.
  virtual NSModalResponse runModal();
  // The same, starting in the folder (null: anywhere) with the proposed name.
  NSModalResponse runModalForDirectory_file(NSString* path, NSString* name);

  // The chosen file; null until one was chosen.
  NSURL* URL() const { return mURL.get(); }
  NSString* filename() const;

 protected:
  NSSavePanel() = default;
  // The chosen path as the panel accepts it; empty to refuse it.
  virtual std::string acceptedPath(const std::string& path) const;
  virtual bool choosesExistingFile() const { return false; }
  void setChosenPath(const std::string& path);

 private:
  RefPtr<NSString> mRequiredFileType;
  RefPtr<NSString> mName;
  RefPtr<NSURL> mDirectory;
  RefPtr<NSURL> mURL;
};
