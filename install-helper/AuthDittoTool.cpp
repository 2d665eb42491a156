#include "AuthDittoTool.h"

OBJC_CLASS_DEFINE_NO_FACTORY(AuthDittoTool)

NSString* const kAuthDittoTool_Command_Install = NSSTR("install");
NSString* const kAuthDittoTool_Command_Delete = NSSTR("delete");

NSString* const kAuthDittoTool_Location_LibraryQuickTime = NSSTR("Library.QuickTime");
NSString* const kAuthDittoTool_Location_LibraryCoreMediaIOPlugInsDAL = NSSTR("Library.CoreMediaIO");
NSString* const kAuthDittoTool_Location_LibraryGraphicsImageUnits = NSSTR("Library.CoreImage");
NSString* const kAuthDittoTool_Location_LibraryGraphicsQuartzComposer = NSSTR("Library.QuartzComposer");
NSString* const kAuthDittoTool_Location_LibraryQuartzCompositions = NSSTR("Library.Compositions");
NSString* const kAuthDittoTool_Location_LibraryAudioPlugInsHAL = NSSTR("Library.Audio.PlugIns.HAL");
NSString* const kAuthDittoTool_Location_SystemLibraryKEXT = NSSTR("System.Library.KEXT");

NSString* const kLibraryQuickTimeSubFolder = NSSTR("QuickTime");
NSString* const kLibraryCoreMediaIOSubFolder = NSSTR("CoreMediaIO/Plug-Ins/DAL");
NSString* const kLibraryGraphicsImageUnitsSubFolder = NSSTR("Graphics/Image Units");
NSString* const kLibraryGraphicsQCSubFolder = NSSTR("Graphics/Quartz Composer Plug-Ins");
NSString* const kLibraryCompositionsSubFolder = NSSTR("Compositions");
NSString* const kLibraryAudioPlugInsHAL = NSSTR("Audio/Plug-Ins/HAL");
NSString* const kLibraryExtensionsSubFolder = NSSTR("Extensions");

NSString* const NSBundleContentsFolderDoNotLocalize = NSSTR("Contents");
NSString* const NSBundleHelpersFolderDoNotLocalize = NSSTR("Helpers");

namespace {

struct Location {
  NSString* const* name;
  NSString* const* subFolder;
  NSSearchPathDomainMask domain;
};

// In the order in which names are looked up.
const Location kLocations[] = {
    {&kAuthDittoTool_Location_LibraryQuickTime, &kLibraryQuickTimeSubFolder, NSLocalDomainMask},
    {&kAuthDittoTool_Location_LibraryCoreMediaIOPlugInsDAL, &kLibraryCoreMediaIOSubFolder, NSLocalDomainMask},
    {&kAuthDittoTool_Location_LibraryGraphicsImageUnits, &kLibraryGraphicsImageUnitsSubFolder,
     NSLocalDomainMask},
    {&kAuthDittoTool_Location_LibraryGraphicsQuartzComposer, &kLibraryGraphicsQCSubFolder, NSLocalDomainMask},
    {&kAuthDittoTool_Location_LibraryQuartzCompositions, &kLibraryCompositionsSubFolder, NSLocalDomainMask},
    {&kAuthDittoTool_Location_LibraryAudioPlugInsHAL, &kLibraryAudioPlugInsHAL, NSLocalDomainMask},
    {&kAuthDittoTool_Location_SystemLibraryKEXT, &kLibraryExtensionsSubFolder, NSSystemDomainMask},
};

// The source of the assertions below, as the reports name it.
NSString* const kAssertionSource = NSSTR("AuthDittoToolConst");

NSString* joined(NSString* folder, NSString* name) {
  if (!folder || !name) return nullptr;
  return NSString::stringWithFormat(NSSTR("%@/%@"), folder, name);
}

bool isPlainName(NSString* name) {
  if (!name || name->length() == 0) return false;
  return !name->isEqualToString(NSSTR(".")) && !name->isEqualToString(NSSTR("..")) &&
         !NSStringValues::rangeOfString(name, NSSTR("/")).length;
}

// The named payload in a folder of the payload bundle when it exists there; a bundle without
// that folder is a failed assertion.
NSString* payloadIn(NSString* folder, NSString* name, NSString* method, NSInteger line,
                    NSString* missingFolder) {
  if (!folder) {
    NSAssertionHandler::currentHandler()->handleFailureInFunction_file_lineNumber_description(
        method, kAssertionSource, line, missingFolder);
  }
  return AuthDittoTool::bundleValidPathThatExistsOrNil(joined(folder, name));
}

}  // namespace

NSBundle* AuthDittoTool::payloadBundle() {
  NSBundle* bundle = NSBundle::bundleForClass(AuthDittoTool::class_());
  if (!bundle) {
    NSAssertionHandler::currentHandler()->handleFailureInFunction_file_lineNumber_description(
        NSSTR("+[AuthDittoTool payloadBundle]"), kAssertionSource, 44, NSSTR("Failed to get class bundle."));
  }
  return bundle;
}

NSString* AuthDittoTool::bundleValidPathThatExistsOrNil(NSString* path) {
  return path && NSFileManager::defaultManager()->fileExistsAtPath(path) ? path : nullptr;
}

NSString* AuthDittoTool::mainBundlePayloadPathForPlugInName(NSString* name) {
  return payloadIn(payloadBundle()->builtInPlugInsPath(), name,
                   NSSTR("+[AuthDittoTool mainBundlePayloadPathForPlugInName:]"), 52,
                   NSSTR("unable to find bundle plug-ins folder"));
}

NSString* AuthDittoTool::mainBundlePayloadPathForResourceName(NSString* name) {
  return payloadIn(payloadBundle()->resourcePath(), name,
                   NSSTR("+[AuthDittoTool mainBundlePayloadPathForResourceName:]"), 63,
                   NSSTR("unable to find bundle resources folder"));
}

NSString* AuthDittoTool::mainBundlePayloadPathForHelperName(NSString* name) {
  NSString* path = payloadBundle()->bundlePath();
  if (!path || !name) return nullptr;
  for (NSString* component :
       {NSBundleContentsFolderDoNotLocalize, NSBundleHelpersFolderDoNotLocalize, name}) {
    path = NSStringPathExtensions::stringByAppendingPathComponent(path, component);
  }
  return bundleValidPathThatExistsOrNil(path);
}

NSString* AuthDittoTool::pathForDirectory_searchDomain(NSSearchPathDirectory directory,
                                                       NSSearchPathDomainMask domain) {
  NSArray* urls = NSFileManager::defaultManager()->URLsForDirectory_inDomains(directory, domain);
  NSObject* first = urls ? urls->firstObject() : nullptr;
  return first ? static_cast<NSURL*>(first)->path() : nullptr;
}

NSString* AuthDittoTool::libraryFolderInDomain_folderPath(NSSearchPathDomainMask domain,
                                                          NSString* subFolder) {
  return joined(pathForDirectory_searchDomain(NSLibraryDirectory, domain), subFolder);
}

NSString* AuthDittoTool::usersLibraryFolderWithSubDirectoryPathName(NSString* subFolder) {
  return libraryFolderInDomain_folderPath(NSUserDomainMask, subFolder);
}

NSString* AuthDittoTool::slashLibraryFolderWithSubDirectoryPathName(NSString* subFolder) {
  return libraryFolderInDomain_folderPath(NSLocalDomainMask, subFolder);
}

NSString* AuthDittoTool::systemLibraryFolderWithSubDirectoryPathName(NSString* subFolder) {
  return libraryFolderInDomain_folderPath(NSSystemDomainMask, subFolder);
}

NSString* AuthDittoTool::locationPathWithLocationName(NSString* locationName) {
  if (!locationName) return nullptr;
  for (const Location& location : kLocations) {
    if (!locationName->isEqualToString(*location.name)) continue;
    return location.domain == NSSystemDomainMask
               ? systemLibraryFolderWithSubDirectoryPathName(*location.subFolder)
               : slashLibraryFolderWithSubDirectoryPathName(*location.subFolder);
  }
  return nullptr;
}

NSString* AuthDittoTool::destinationWithLocationName_sourcePath(NSString* locationName,
                                                                NSString* sourcePath) {
  NSString* name = NSStringPathExtensions::lastPathComponent(sourcePath);
  if (!isPlainName(name)) return nullptr;
  return joined(locationPathWithLocationName(locationName), name);
}

bool AuthDittoTool::destinationRequiresCoreAudioRestart(NSString* locationName) {
  return locationName && locationName->isEqualToString(kAuthDittoTool_Location_LibraryAudioPlugInsHAL);
}
