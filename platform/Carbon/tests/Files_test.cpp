#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include <Carbon/Carbon.h>

#include "TemporaryRoot.h"

namespace {

std::string pathOf(const FSRef& ref) {
  UInt8 path[PATH_MAX];
  return FSRefMakePath(&ref, path, sizeof path) == noErr ? reinterpret_cast<char*>(path) : std::string();
}

std::string resolved(const std::string& path) {
  char buffer[PATH_MAX];
  return realpath(path.c_str(), buffer) ? buffer : std::string();
}

TEST(FolderManager, DomainsAndCreation) {
  moxicam::test::TemporaryRoot root;
  FSRef found;
  EXPECT_EQ(FSFindFolder(kUserDomain, kLogsFolderType, kDontCreateFolder, &found), fnfErr);
  ASSERT_EQ(FSFindFolder(kUserDomain, kLogsFolderType, kCreateFolder, &found), noErr);
  EXPECT_EQ(pathOf(found), resolved(root.home() + "/Library/Logs"));
  ASSERT_EQ(FSFindFolder(kLocalDomain, kQuickTimeComponentsFolderType, kCreateFolder, &found), noErr);
  EXPECT_EQ(pathOf(found), resolved(root.root() + "/Library/QuickTime"));
  ASSERT_EQ(FSFindFolder(kSystemDomain, kFrameworksFolderType, kDontCreateFolder, &found), noErr);
  EXPECT_EQ(pathOf(found), resolved(root.root() + "/System/Library/Frameworks"));
  ASSERT_EQ(FSFindFolder(kOnAppropriateDisk, kMovieDocumentsFolderType, kCreateFolder, &found), noErr);
  EXPECT_EQ(pathOf(found), resolved(root.home() + "/Movies"));
  ASSERT_EQ(FSFindFolder(kUserDomain, kDesktopPicturesFolderType, kCreateFolder, &found), noErr);
  EXPECT_EQ(pathOf(found), resolved(root.home() + "/Library/Desktop Pictures"));
  EXPECT_EQ(FSFindFolder(kLocalDomain, kDesktopFolderType, kCreateFolder, &found), fnfErr);
  EXPECT_EQ(FSFindFolder(kUserDomain, FOUR_CHAR_CODE("zzzz"), kCreateFolder, &found), fnfErr);
  EXPECT_EQ(FSFindFolder(kNetworkDomain, kLogsFolderType, kCreateFolder, &found), nsvErr);
}

class FileManager : public ::testing::Test {
 protected:
  void SetUp() override {
    mFolder = resolved(mRoot.path());
    ASSERT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(mFolder.c_str()), &mFolderRef, nullptr), noErr);
  }
  FSRef make(const char* name, bool folder = false) {
    HFSUniStr255 unicode{};
    for (size_t i = 0; name[i]; ++i) unicode.unicode[unicode.length++] = UniChar(name[i]);
    FSRef made{};
    OSErr status = folder ? FSCreateDirectoryUnicode(&mFolderRef, unicode.length, unicode.unicode, 0, nullptr, &made,
                                                     nullptr, nullptr)
                          : FSCreateFileUnicode(&mFolderRef, unicode.length, unicode.unicode, 0, nullptr, &made, nullptr);
    EXPECT_EQ(status, noErr) << name;
    return made;
  }

  moxicam::test::TemporaryRoot mRoot;
  std::string mFolder;
  FSRef mFolderRef;
};

TEST_F(FileManager, ReferencesFollowRenamesAndDieWithTheirItem) {
  FSRef box = make("box", true);
  FSRef file = make("file.txt");
  Boolean isDirectory = false;
  FSRef inside;
  std::string insidePath = mFolder + "/box/inner";
  mRoot.writeFile("box/inner", "x");
  ASSERT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(insidePath.c_str()), &inside, &isDirectory), noErr);
  EXPECT_FALSE(isDirectory);

  const UniChar crate[] = {'c', 'r', 'a', 't', 'e'};
  FSRef renamed;
  ASSERT_EQ(FSRenameUnicode(&box, 5, crate, 0, &renamed), noErr);
  EXPECT_EQ(pathOf(box), mFolder + "/crate");
  EXPECT_EQ(pathOf(inside), mFolder + "/crate/inner");
  EXPECT_EQ(FSCompareFSRefs(&box, &renamed), noErr);

  const UniChar taken[] = {'f', 'i', 'l', 'e', '.', 't', 'x', 't'};
  EXPECT_EQ(FSRenameUnicode(&box, 8, taken, 0, nullptr), dupFNErr);
  const UniChar slash[] = {'a', '/', 'b'};
  EXPECT_EQ(FSRenameUnicode(&box, 3, slash, 0, nullptr), bdNamErr);

  EXPECT_EQ(FSDeleteObject(&box), fBsyErr);
  ASSERT_EQ(FSDeleteObject(&file), noErr);
  FSCatalogInfo info;
  EXPECT_EQ(FSGetCatalogInfo(&file, kFSCatInfoCreateDate, &info, nullptr, nullptr, nullptr), errFSBadFSRef);
  UInt8 path[8];
  EXPECT_EQ(FSRefMakePath(&inside, path, sizeof path), pathTooLongErr);
  FSRef zero{};
  EXPECT_EQ(FSRefMakePath(&zero, path, sizeof path), errFSBadFSRef);
}

TEST_F(FileManager, CatalogInformation) {
  FSRef box = make("box", true);
  mRoot.writeFile("box/a", "12345");
  FSCatalogInfo info{};
  HFSUniStr255 name;
  FSRef parent;
  ASSERT_EQ(FSGetCatalogInfo(&box, kFSCatInfoNodeFlags | kFSCatInfoValence | kFSCatInfoCreateDate, &info, &name,
                             nullptr, &parent),
            noErr);
  EXPECT_TRUE(info.nodeFlags & kFSNodeIsDirectoryMask);
  EXPECT_EQ(info.valence, 1u);
  EXPECT_GT(info.createDate.lowSeconds | info.createDate.highSeconds, 0u);
  EXPECT_EQ(name.length, 3);
  EXPECT_EQ(name.unicode[0], 'b');
  EXPECT_EQ(FSCompareFSRefs(&parent, &mFolderRef), noErr);

  FSRef file;
  std::string filePath = mFolder + "/box/a";
  ASSERT_EQ(FSPathMakeRef(reinterpret_cast<const UInt8*>(filePath.c_str()), &file, nullptr), noErr);
  ASSERT_EQ(FSGetCatalogInfo(&file, kFSCatInfoNodeFlags | kFSCatInfoDataSizes | kFSCatInfoContentMod, &info, nullptr,
                             nullptr, nullptr),
            noErr);
  EXPECT_FALSE(info.nodeFlags & kFSNodeIsDirectoryMask);
  EXPECT_EQ(info.dataLogicalSize, 5u);
  // 2001-01-01 is 3,061,152,000 seconds after 1904-01-01.
  info.contentModDate = UTCDateTime{0, 3061152000u, 0x8000};
  ASSERT_EQ(FSSetCatalogInfo(&file, kFSCatInfoContentMod, &info), noErr);
  struct stat status;
  ASSERT_EQ(stat(filePath.c_str(), &status), 0);
  EXPECT_EQ(status.st_mtim.tv_sec, 978307200);
  EXPECT_EQ(status.st_mtim.tv_nsec, 500000000);
}

TEST_F(FileManager, FinderInfoAndResourceFork) {
  FSRef file = make("typed");
  FSCatalogInfo info{};
  FileInfo finder{};
  finder.fileType = FOUR_CHAR_CODE("MooV");
  finder.fileCreator = FOUR_CHAR_CODE("TVOD");
  std::memcpy(info.finderInfo, &finder, sizeof finder);
  ASSERT_EQ(FSSetCatalogInfo(&file, kFSCatInfoFinderInfo, &info), noErr);
  FSCatalogInfo back{};
  ASSERT_EQ(FSGetCatalogInfo(&file, kFSCatInfoFinderInfo, &back, nullptr, nullptr, nullptr), noErr);
  EXPECT_EQ(std::memcmp(back.finderInfo, info.finderInfo, 16), 0);

  HFSUniStr255 resource;
  ASSERT_EQ(FSGetResourceForkName(&resource), noErr);
  FSIORefNum fork;
  EXPECT_EQ(FSOpenFork(&file, resource.length, resource.unicode, fsRdPerm, &fork), errFSForkNotFound);
  ASSERT_EQ(FSCreateFork(&file, resource.length, resource.unicode), noErr);
  EXPECT_EQ(FSCreateFork(&file, resource.length, resource.unicode), errFSForkExists);
  ASSERT_EQ(FSOpenFork(&file, resource.length, resource.unicode, fsRdPerm, &fork), noErr);
  char buffer[4];
  ByteCount count = 99;
  EXPECT_EQ(FSReadFork(fork, fsFromStart, 0, sizeof buffer, buffer, &count), eofErr);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(FSCloseFork(fork), noErr);
  EXPECT_EQ(FSCloseFork(fork), rfNumErr);
  EXPECT_EQ(FSDeleteFork(&file, resource.length, resource.unicode), noErr);
  EXPECT_EQ(FSDeleteFork(&file, resource.length, resource.unicode), errFSForkNotFound);
}

TEST_F(FileManager, NamesOutsideTheBasicPlane) {
  // U+1F3A5 as a surrogate pair, then ".mov".
  const UniChar name[] = {0xD83C, 0xDFA5, '.', 'm', 'o', 'v'};
  FSRef made;
  ASSERT_EQ(FSCreateFileUnicode(&mFolderRef, 6, name, 0, nullptr, &made, nullptr), noErr);
  EXPECT_EQ(pathOf(made), mFolder + "/\xF0\x9F\x8E\xA5.mov");
  HFSUniStr255 back;
  ASSERT_EQ(FSGetCatalogInfo(&made, kFSCatInfoNone, nullptr, &back, nullptr, nullptr), noErr);
  ASSERT_EQ(back.length, 6);
  EXPECT_EQ(std::memcmp(back.unicode, name, sizeof name), 0);
  const UniChar lone[] = {0xD83C, 'x'};
  EXPECT_EQ(FSMakeFSRefUnicode(&mFolderRef, 2, lone, 0, &made), bdNamErr);
}

TEST(TextEncodingConverter, LegacyAndUnicodeForms) {
  UnicodeMapping mapping{CreateTextEncoding(kTextEncodingUnicodeV2_0, kUnicodeCanonicalDecompVariant, kUnicode16BitFormat),
                         kTextEncodingMacRoman, kUnicodeUseHFSPlusMapping};
  TextToUnicodeInfo info = nullptr;
  ASSERT_EQ(CreateTextToUnicodeInfo(&mapping, &info), noErr);
  const char macRoman[] = "Caf\x8E";
  UniChar units[8];
  ByteCount read = 0;
  ByteCount written = 0;
  ASSERT_EQ(ConvertFromTextToUnicode(info, 4, macRoman, 0, 0, nullptr, nullptr, nullptr, sizeof units, &read, &written,
                                     units),
            noErr);
  EXPECT_EQ(written, 8u);
  EXPECT_EQ(units[3], 0x00E9);
  EXPECT_EQ(ConvertFromTextToUnicode(info, 4, macRoman, 0, 0, nullptr, nullptr, nullptr, 4, &read, &written, units),
            kTECOutputBufferFullStatus);
  EXPECT_EQ(DisposeTextToUnicodeInfo(&info), noErr);
  EXPECT_EQ(info, nullptr);

  TECObjectRef converter = nullptr;
  ASSERT_EQ(TECCreateConverter(&converter,
                               CreateTextEncoding(kTextEncodingUnicodeDefault, 0, kUnicode16BitFormat),
                               CreateTextEncoding(kTextEncodingUnicodeDefault, 0, kUnicodeUTF8Format)),
            noErr);
  const UniChar camera[] = {0xD83C, 0xDFA5};
  UInt8 utf8[8];
  ASSERT_EQ(TECConvertText(converter, reinterpret_cast<ConstTextPtr>(camera), sizeof camera, &read, utf8, sizeof utf8,
                           &written),
            noErr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(utf8), written), "\xF0\x9F\x8E\xA5");
  EXPECT_EQ(TECDisposeConverter(converter), noErr);

  TextEncoding encoding = 99;
  EXPECT_EQ(UpgradeScriptInfoToTextEncoding(smRoman, kTextLanguageDontCare, verUS, nullptr, &encoding), noErr);
  EXPECT_EQ(encoding, kTextEncodingMacRoman);
  EXPECT_EQ(UpgradeScriptInfoToTextEncoding(smRoman, kTextLanguageDontCare, 5000, nullptr, &encoding), paramErr);
}

}  // namespace
