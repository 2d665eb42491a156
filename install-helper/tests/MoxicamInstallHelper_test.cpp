// Installing and deleting with the helper as a program.
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFPropertyList.h>
#include <grp.h>

#include "HelperFixture.h"
#include "InstallActions.h"
#include "InstallLocations.h"

using namespace installhelpertest;

namespace {

TEST_F(MoxicamInstallHelper, InstallsAndDeletesInEveryLocation) {
  const gid_t admins = getgrnam(InstallActions::administratorsGroup())->gr_gid;
  const std::map<std::string, std::string> payloadFiles = {{"/Contents/Info.plist", "<plist/>"},
                                                           {"/Contents/MacOS/Test", "code"},
                                                           {"/Contents/Resources/Sound.wav", "RIFF"}};
  for (const InstallLocation& location : kInstallLocations) {
    SCOPED_TRACE(location.name);
    const std::string destination = mRoot.root() + location.folder + "/Test.driver";
    ChildResult result = start("install", location.name, mPayload);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::map<std::string, std::string> installedFiles;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(destination, error)) {
      struct stat info;
      lstat(entry.path().c_str(), &info);
      if (entry.is_regular_file()) {
        installedFiles[entry.path().string().substr(destination.size())] =
            moxicam::test::readFile(entry.path());
      }
      EXPECT_EQ(info.st_mode & 07777, 0755u) << entry.path();
      EXPECT_EQ(info.st_uid, 0u) << entry.path();
      EXPECT_EQ(info.st_gid, admins) << entry.path();
    }
    EXPECT_EQ(installedFiles, payloadFiles);
    std::vector<std::vector<std::string>> processes = textsByProcess(result.err);
    ASSERT_EQ(processes.size(), 2u) << result.err;
    expectTexts(processes[0], kUnprivilegedTexts, result.err);
    std::vector<std::string> expected = privilegedTexts("install", location.name, destination);
    expected.push_back("MoxicamInstallHelper executing /usr/bin/cp with arguments (");
    expected.push_back("MoxicamInstallHelper executing /usr/bin/chmod with arguments (");
    expected.push_back("MoxicamInstallHelper executing /usr/bin/chown with arguments (");
    expected.push_back("MoxicamInstallHelper completed install: ?");
    expected.push_back("MoxicamInstallHelper exiting");
    expectTexts(processes[1], expected, result.err);

    result = start("delete", location.name, mPayload);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_FALSE(fs::exists(destination));
    EXPECT_TRUE(fs::is_directory(mRoot.root() + location.folder));
    EXPECT_NE(result.out.find("Test.driver"), std::string::npos) << "rm -v's report is passed on";
    processes = textsByProcess(result.err);
    ASSERT_EQ(processes.size(), 2u) << result.err;
    expectTexts(processes[0], kUnprivilegedTexts, result.err);
    expected = privilegedTexts("delete", location.name, destination);
    expected.push_back("MoxicamInstallHelper executing /usr/bin/rm with arguments (");
    expected.push_back("MoxicamInstallHelper completed delete: ?");
    expected.push_back("MoxicamInstallHelper exiting");
    expectTexts(processes[1], expected, result.err);
  }
}

TEST_F(MoxicamInstallHelper, AFailingCopyIsAFailureAndStopsTheStepsAfterIt) {
  // A file where the payload's folder must go: the copy cannot replace it.
  const std::string blocker = mRoot.writeFile("root/Library/Audio/Plug-Ins/HAL/Test.driver", "keep");
  chmod(blocker.c_str(), 0600);
  ChildResult result = start("install", "Library.Audio.PlugIns.HAL", mPayload);
  EXPECT_EQ(result.exitCode, InstallActions::kFailed) << result.err;
  std::vector<std::vector<std::string>> processes = textsByProcess(result.err);
  ASSERT_EQ(processes.size(), 2u) << result.err;
  expectTexts(
      processes[0],
      {"MoxicamInstallHelper started BUILD ", "MoxicamInstallHelper (argc == ARGUMENT_COUNT)",
       "MoxicamInstallHelper executing self-repair", "MoxicamInstallHelper called AEWP",
       "MoxicamInstallHelper the privileged copy ended with status 1", "MoxicamInstallHelper exiting"},
      result.err);
  std::vector<std::string> expected = privilegedTexts("install", "Library.Audio.PlugIns.HAL", blocker);
  expected.push_back("MoxicamInstallHelper executing /usr/bin/cp with arguments (");
  expected.push_back("MoxicamInstallHelper failed install: /usr/bin/cp exited with status 1");
  expected.push_back("MoxicamInstallHelper exiting");
  expectTexts(processes[1], expected, result.err);
  struct stat info;
  ASSERT_EQ(stat(blocker.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u) << "chmod ran after the failed copy";
  EXPECT_EQ(moxicam::test::readFile(blocker), "keep");
}

TEST_F(MoxicamInstallHelper, CarriesItsInformationPropertyList) {
  const std::string plist = mRoot.path() + "/info.plist";
  ChildResult dump = moxicam::test::runChild(
      "/usr/bin/objcopy", {"-O", "binary", "--only-section=__info_plist", INSTALL_HELPER_PATH, plist});
  ASSERT_EQ(dump.exitCode, 0) << dump.err;
  std::string bytes = moxicam::test::readFile(plist);
  while (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
  CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes.data()), CFIndex(bytes.size()));
  auto info = static_cast<CFDictionaryRef>(
      CFPropertyListCreateWithData(nullptr, data, kCFPropertyListImmutable, nullptr, nullptr));
  CFRelease(data);
  ASSERT_NE(info, nullptr) << bytes;
  const std::pair<CFStringRef, CFStringRef> expected[] = {
      {CFSTR("CFBundleDevelopmentRegion"), CFSTR("English")},
      {CFSTR("CFBundleIdentifier"), CFSTR("com.quillfen.MoxicamInstallHelper")},
      {CFSTR("CFBundleInfoDictionaryVersion"), CFSTR("6.0")},
      {CFSTR("CFBundleName"), CFSTR("MoxicamInstallHelper")},
      {CFSTR("CFBundleDisplayName"), CFSTR("Moxicam PlugIn Install Helper")},
      {CFSTR("CFBundleVersion"), CFSTR("1.0")},
  };
  EXPECT_EQ(CFDictionaryGetCount(info), CFIndex(std::size(expected)));
  for (const auto& [key, value] : expected) {
    CFTypeRef found = CFDictionaryGetValue(info, key);
    EXPECT_TRUE(found && CFEqual(found, value));
  }
  CFRelease(info);
}

}  // namespace
