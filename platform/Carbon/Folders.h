#pragma once
// The Folder Manager: standard folders by domain and folder type.
//
// The user domain lives under $HOME/Library, the local domain under <root>/Library and the
// system domain under <root>/System/Library (CoreFoundation/CFPlatformRoot.h); the user's
// document folders (Desktop, Documents, Movies, Pictures) sit directly in $HOME.
#include <Carbon/Files.h>

enum : FSVolumeRefNum {
  kOnSystemDisk = -32768,
  kOnAppropriateDisk = -32767,
  kSystemDomain = -32766,
  kLocalDomain = -32765,
  kNetworkDomain = -32764,
  kUserDomain = -32763,
  kClassicDomain = -32762,
};

enum : Boolean { kDontCreateFolder = 0, kCreateFolder = 1 };

// Folder types, as the four-character codes of the platform.
enum : OSType {
  kDesktopFolderType = FOUR_CHAR_CODE("desk"),
  kDocumentsFolderType = FOUR_CHAR_CODE("docs"),
  kPictureDocumentsFolderType = FOUR_CHAR_CODE("pdoc"),
  kMovieDocumentsFolderType = FOUR_CHAR_CODE("mdoc"),
  kDesktopPicturesFolderType = 0x647470C4,  // "dtp" and the byte 0xC4
  kDomainLibraryFolderType = FOUR_CHAR_CODE("dlib"),
  kLogsFolderType = FOUR_CHAR_CODE("logs"),
  kFrameworksFolderType = FOUR_CHAR_CODE("fram"),
  kQuickTimeComponentsFolderType = FOUR_CHAR_CODE("wcmp"),
  kPreferencesFolderType = FOUR_CHAR_CODE("pref"),
  kApplicationSupportFolderType = FOUR_CHAR_CODE("asup"),
  kCachesFolderType = FOUR_CHAR_CODE("cach"),
  kTemporaryFolderType = FOUR_CHAR_CODE("temp"),
};

CF_EXPORT OSErr FSFindFolder(FSVolumeRefNum vRefNum, OSType folderType, Boolean createFolder, FSRef* foundRef);
