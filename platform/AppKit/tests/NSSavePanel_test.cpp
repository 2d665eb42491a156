#include <AppKit/NSOpenPanel.h>
#include <AppKit/NSSavePanel.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSURL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "Headless.h"

namespace {

std::string text(NSString* string) { return string ? string->UTF8String() : "(nil)"; }

// The answer a person would give, scripted.
void answer(const char* given) { ::setenv("MOXICAM_PANEL_ANSWER", given, 1); }

struct FilePanels : ::testing::Test {
  ~FilePanels() override { ::unsetenv("MOXICAM_PANEL_ANSWER"); }
  objc::AutoreleasePool pool;
};

TEST_F(FilePanels, ASavePanelGivesTheChosenFileWithItsRequiredType) {
  struct Case {
    const char* given;
    NSModalResponse response;
    std::string file;
  };
  const Case cases[] = {
      {"/tmp/exports/Bookmarks.plist", NSModalResponseOK, "/tmp/exports/Bookmarks.plist"},
      {"/tmp/exports/Bookmarks", NSModalResponseOK, "/tmp/exports/Bookmarks.plist"},
      {"/tmp/exports/Bookmarks.txt", NSModalResponseOK, "/tmp/exports/Bookmarks.txt.plist"},
      {"cancel", NSModalResponseCancel, "(nil)"},
      {"", NSModalResponseCancel, "(nil)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.given);
    answer(c.given);
    NSSavePanel* panel = NSSavePanel::savePanel();
    panel->setRequiredFileType(NSSTR("plist"));
    EXPECT_EQ(panel->runModalForDirectory_file(nullptr, NSSTR("Bookmarks")), c.response);
    EXPECT_EQ(text(panel->filename()), c.file);
    EXPECT_EQ(text(panel->nameFieldStringValue()), "Bookmarks");
  }
}

TEST_F(FilePanels, AnOpenPanelTakesOnlyFilesOfItsTypes) {
  answer("/tmp/imports/Bookmarks.plist");
  NSOpenPanel* panel = NSOpenPanel::openPanel();
  ASSERT_EQ(panel->runModalForTypes(NSArray::arrayWithObject(NSSTR("plist"))), NSModalResponseOK);
  EXPECT_EQ(text(panel->filename()), "/tmp/imports/Bookmarks.plist");
  ASSERT_EQ(panel->URLs()->count(), 1u);
  EXPECT_EQ(text(static_cast<NSURL*>(panel->URLs()->firstObject())->path()), "/tmp/imports/Bookmarks.plist");

  answer("/tmp/imports/Bookmarks.plist.exe");
  EXPECT_EQ(panel->runModalForTypes(NSArray::arrayWithObject(NSSTR("plist"))), NSModalResponseCancel);
  EXPECT_EQ(panel->URL(), nullptr);
  EXPECT_EQ(panel->URLs()->count(), 0u);
}

TEST_F(FilePanels, WithoutAnAnswerOrADisplayThePanelIsCancelled) {
  ::unsetenv("MOXICAM_PANEL_ANSWER");
  EXPECT_EQ(NSSavePanel::savePanel()->runModal(), NSModalResponseCancel);
}

}  // namespace
