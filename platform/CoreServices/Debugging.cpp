#include <CoreServices/Debugging.h>

#include <algorithm>
#include <iterator>

namespace {

struct StatusText {
  OSStatus status;
  const char* name;
  const char* comment;
};

// Sorted by status, so that a lookup is a binary search.
constexpr StatusText kStatusTexts[] = {
    {OSStatus(0x80008001), "badComponentInstance", "Component instance is not valid"},
    {OSStatus(0x80008002), "badComponentSelector", "Component does not support this selector"},
    {-60032, "errAuthorizationToolEnvironmentError", "The privileged tool's environment is wrong"},
    {-60031, "errAuthorizationToolExecuteFailure", "The privileged tool could not be run"},
    {-60011, "errAuthorizationInvalidFlags", "Invalid authorization flags"},
    {-60010, "errAuthorizationInternalizeNotAllowed", "Authorization cannot be internalized"},
    {-60009, "errAuthorizationExternalizeNotAllowed", "Authorization cannot be externalized"},
    {-60008, "errAuthorizationInternal", "Internal authorization error"},
    {-60007, "errAuthorizationInteractionNotAllowed", "Authorization needs interaction, which is not allowed"},
    {-60006, "errAuthorizationCanceled", "The user canceled the authorization"},
    {-60005, "errAuthorizationDenied", "Authorization denied"},
    {-60004, "errAuthorizationInvalidPointer", "Invalid authorization pointer"},
    {-60003, "errAuthorizationInvalidTag", "Invalid authorization tag"},
    {-60002, "errAuthorizationInvalidRef", "Invalid authorization reference"},
    {-60001, "errAuthorizationInvalidSet", "Invalid authorization item set"},
    {-5553, "gestaltLocationErr", "Gestalt function is not in the system heap"},
    {-5552, "gestaltDupSelectorErr", "Gestalt selector is already registered"},
    {-5551, "gestaltUndefSelectorErr", "Undefined selector passed to Gestalt"},
    {-5550, "gestaltUnknownErr", "Gestalt does not know the answer"},
    {-5000, "afpAccessDenied", "Insufficient access privileges for the operation"},
    {-4960, "coreFoundationUnknownErr", "Unknown CoreFoundation error"},
    {-3005, "retryComponentRegistrationErr", "Component registration must be retried"},
    {-3004, "unresolvedComponentDLLErr", "Component code could not be resolved"},
    {-3003, "componentDontRegister", "Component asked not to be registered"},
    {-3002, "componentNotCaptured", "Component is not captured"},
    {-3001, "validInstancesExist", "Component still has open instances"},
    {-3000, "invalidComponentID", "Component is not valid"},
    {-2209, "badCallOrderErr", "Digitizer calls made in the wrong order"},
    {-2208, "noDMAErr", "Digitizer cannot transfer directly to the destination"},
    {-2207, "badDepthErr", "Digitizer cannot work at this pixel depth"},
    {-2206, "notExactSizeErr", "Digitizer cannot produce exactly this size"},
    {-2205, "noMoreKeyColorsErr", "Digitizer has no more key colors"},
    {-2204, "notExactMatrixErr", "Digitizer cannot apply exactly this matrix"},
    {-2203, "matrixErr", "Invalid matrix"},
    {-2202, "qtParamErr", "Bad parameter to a QuickTime call"},
    {-2201, "digiUnimpErr", "Digitizer feature not implemented"},
    {-1302, "notAFileErr", "A directory was given where a file is needed"},
    {-192, "resNotFound", "Resource not found"},
    {-128, "userCanceledErr", "The user canceled"},
    {-124, "volGoneErr", "Server volume has been disconnected"},
    {-123, "wrgVolTypErr", "Wrong volume type"},
    {-122, "badMovErr", "Cannot move a folder into its own descendant"},
    {-121, "tmwdoErr", "No free working directory"},
    {-120, "dirNFErr", "Directory not found"},
    {-117, "memLockedErr", "Tried to move a locked block"},
    {-111, "memWZErr", "WhichZone failed"},
    {-109, "nilHandleErr", "Handle was NULL"},
    {-108, "memFullErr", "Not enough memory"},
    {-61, "wrPermErr", "Write permission error"},
    {-60, "badMDBErr", "Bad master directory block"},
    {-59, "fsRnErr", "File system internal error during rename"},
    {-58, "extFSErr", "Volume belongs to an external file system"},
    {-57, "noMacDskErr", "Not a Macintosh disk"},
    {-56, "nsDrvErr", "No such drive"},
    {-55, "volOnLinErr", "Volume already on line"},
    {-54, "permErr", "Permission error when opening the file"},
    {-53, "volOffLinErr", "Volume not on line"},
    {-52, "gfpErr", "Error getting the file position"},
    {-51, "rfNumErr", "Invalid reference number"},
    {-50, "paramErr", "Error in a parameter"},
    {-49, "opWrErr", "File already open for writing"},
    {-48, "dupFNErr", "Duplicate file name"},
    {-47, "fBsyErr", "File is busy"},
    {-46, "vLckdErr", "Volume is locked"},
    {-45, "fLckdErr", "File is locked"},
    {-44, "wPrErr", "Disk is write-protected"},
    {-43, "fnfErr", "File not found"},
    {-42, "tmfoErr", "Too many files open"},
    {-41, "mFulErr", "Memory full, or the file does not fit"},
    {-40, "posErr", "Tried to position before the start of the file"},
    {-39, "eofErr", "End of file"},
    {-38, "fnOpnErr", "File not open"},
    {-37, "bdNamErr", "Bad file name"},
    {-36, "ioErr", "I/O error"},
    {-35, "nsvErr", "No such volume"},
    {-34, "dskFulErr", "Disk full"},
    {-33, "dirFulErr", "Directory full"},
    {-4, "unimpErr", "Unimplemented routine"},
    {-1, "qErr", "Queue element not found"},
    {0, "noErr", "No error"},
};

static_assert(std::is_sorted(std::begin(kStatusTexts), std::end(kStatusTexts),
                             [](const StatusText& a, const StatusText& b) { return a.status < b.status; }));

const StatusText* find(OSStatus status) {
  auto found = std::lower_bound(std::begin(kStatusTexts), std::end(kStatusTexts), status,
                                [](const StatusText& entry, OSStatus value) { return entry.status < value; });
  return found != std::end(kStatusTexts) && found->status == status ? found : nullptr;
}

}  // namespace

const char* GetMacOSStatusErrorString(OSStatus err) {
  const StatusText* text = find(err);
  return text ? text->name : "";
}

const char* GetMacOSStatusCommentString(OSStatus err) {
  const StatusText* text = find(err);
  return text ? text->comment : "";
}
