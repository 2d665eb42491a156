#pragma once
// Where plug-in payloads lie in the bundle that ships them, which system folder each install
// location name stands for, and the full path a payload gets there. Class methods only; the
// application and the install helper both carry this class.
#include <Foundation/Foundation.h>

extern NSString* const kAuthDittoTool_Command_Install;
extern NSString* const kAuthDittoTool_Command_Delete;

extern NSString* const kAuthDittoTool_Location_LibraryQuickTime;
extern NSString* const kAuthDittoTool_Location_LibraryCoreMediaIOPlugInsDAL;
extern NSString* const kAuthDittoTool_Location_LibraryGraphicsImageUnits;
extern NSString* const kAuthDittoTool_Location_LibraryGraphicsQuartzComposer;
extern NSString* const kAuthDittoTool_Location_LibraryQuartzCompositions;
extern NSString* const kAuthDittoTool_Location_LibraryAudioPlugInsHAL;
extern NSString* const kAuthDittoTool_Location_SystemLibraryKEXT;

extern NSString* const kLibraryQuickTimeSubFolder;
extern NSString* const kLibraryCoreMediaIOSubFolder;
extern NSString* const kLibraryGraphicsImageUnitsSubFolder;
extern NSString* const kLibraryGraphicsQCSubFolder;
extern NSString* const kLibraryCompositionsSubFolder;
extern NSString* const kLibraryAudioPlugInsHAL;
extern NSString* const kLibraryExtensionsSubFolder;

extern NSString* const NSBundleContentsFolderDoNotLocalize;
extern NSString* const NSBundleHelpersFolderDoNotLocalize;

class AuthDittoTool : public NSObject {
  OBJC_CLASS_DECL(AuthDittoTool, NSObject)

 public:
  // The bundle that holds this class; a failed assertion when there is none (the main bundle
  // when the assertion handler returns).
  static NSBundle* payloadBundle();
  // The path when something exists there; else null.
  static NSString* bundleValidPathThatExistsOrNil(NSString* path);
  // A payload of that name in the payload bundle's plug-ins, resources or Contents/Helpers
  // folder, when it exists there; each looks in its own folder only.
  static NSString* mainBundlePayloadPathForPlugInName(NSString* name);
  static NSString* mainBundlePayloadPathForResourceName(NSString* name);
  static NSString* mainBundlePayloadPathForHelperName(NSString* name);

  // The first folder of the directory in the domain; null when there is none.
  static NSString* pathForDirectory_searchDomain(NSSearchPathDirectory directory,
                                                 NSSearchPathDomainMask domain);
  // The sub-folder of the domain's Library folder; null when the domain has none.
  static NSString* libraryFolderInDomain_folderPath(NSSearchPathDomainMask domain, NSString* subFolder);
  static NSString* usersLibraryFolderWithSubDirectoryPathName(NSString* subFolder);
  static NSString* slashLibraryFolderWithSubDirectoryPathName(NSString* subFolder);
  static NSString* systemLibraryFolderWithSubDirectoryPathName(NSString* subFolder);

  // The folder of a location name (exact, case-sensitive); null for a name outside the table.
  static NSString* locationPathWithLocationName(NSString* locationName);
  // The location's folder joined with the payload's last path component; null when the name
  // is outside the table or the payload's name could leave the folder ("", ".", "..", "/"),
  // so that nothing is ever copied to or removed from anywhere else.
  static NSString* destinationWithLocationName_sourcePath(NSString* locationName, NSString* sourcePath);
  static bool destinationRequiresCoreAudioRestart(NSString* locationName);

  AuthDittoTool() = delete;
};
