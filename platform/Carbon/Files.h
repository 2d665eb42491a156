#pragma once
// The File Manager: references to existing files and folders (FSRef), their catalogue
// information, and their data and resource forks.
//
// An FSRef names an item by device and inode, with the path where this process last saw it;
// renames and deletions made through this layer keep that path current. A reference is
// valid while the item at that path is still the same item.
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFURL.h>
#include <CoreFoundation/MacTypes.h>

#include <Carbon/CarbonErrors.h>

struct FSRef {
  UInt8 hidden[80];
};
typedef FSRef* FSRefPtr;

// Opaque: the old-style file record (FSSpec), always passed as null.
struct FSSpec;
typedef FSSpec* FSSpecPtr;

typedef SInt16 FSVolumeRefNum;
typedef SInt16 FSIORefNum;
typedef UInt32 FSCatalogInfoBitmap;
typedef UInt32 TextEncoding;

struct HFSUniStr255 {
  UInt16 length;
  UniChar unicode[255];
};
typedef const HFSUniStr255* ConstHFSUniStr255Param;

// Seconds since 1904-01-01 UTC in 48 bits, and 1/65536 seconds.
#pragma pack(push, 2)
struct UTCDateTime {
  UInt16 highSeconds;
  UInt32 lowSeconds;
  UInt16 fraction;
};
#pragma pack(pop)
static_assert(sizeof(UTCDateTime) == 8);

struct Point {
  SInt16 v;
  SInt16 h;
};

// The first 16 bytes of a file's Finder information.
struct FileInfo {
  OSType fileType;
  OSType fileCreator;
  UInt16 finderFlags;
  Point location;
  UInt16 reservedField;
};
static_assert(sizeof(FileInfo) == 16);

struct FSPermissionInfo {
  UInt32 userID;
  UInt32 groupID;
  UInt8 reserved1;
  UInt8 userAccess;
  UInt16 mode;
  UInt32 reserved2;
};

struct FSCatalogInfo {
  UInt16 nodeFlags;
  FSVolumeRefNum volume;
  UInt32 parentDirID;
  UInt32 nodeID;
  UInt8 sharingFlags;
  UInt8 userPrivileges;
  UInt8 reserved1;
  UInt8 reserved2;
  UTCDateTime createDate;
  UTCDateTime contentModDate;
  UTCDateTime attributeModDate;
  UTCDateTime accessDate;
  UTCDateTime backupDate;
  FSPermissionInfo permissions;
  UInt8 finderInfo[16];
  UInt8 extFinderInfo[16];
  UInt64 dataLogicalSize;
  UInt64 dataPhysicalSize;
  UInt64 rsrcLogicalSize;
  UInt64 rsrcPhysicalSize;
  UInt32 valence;
  TextEncoding textEncodingHint;
};
typedef FSCatalogInfo* FSCatalogInfoPtr;

enum : FSCatalogInfoBitmap {
  kFSCatInfoNone = 0x00000000,
  kFSCatInfoTextEncoding = 0x00000001,
  kFSCatInfoNodeFlags = 0x00000002,
  kFSCatInfoVolume = 0x00000004,
  kFSCatInfoParentDirID = 0x00000008,
  kFSCatInfoNodeID = 0x00000010,
  kFSCatInfoCreateDate = 0x00000020,
  kFSCatInfoContentMod = 0x00000040,
  kFSCatInfoAttrMod = 0x00000080,
  kFSCatInfoAccessDate = 0x00000100,
  kFSCatInfoBackupDate = 0x00000200,
  kFSCatInfoPermissions = 0x00000400,
  kFSCatInfoFinderInfo = 0x00000800,
  kFSCatInfoFinderXInfo = 0x00001000,
  kFSCatInfoValence = 0x00002000,
  kFSCatInfoDataSizes = 0x00004000,
  kFSCatInfoRsrcSizes = 0x00008000,
  kFSCatInfoGettableInfo = 0x0003FFFF,
};

enum : UInt16 {
  kFSNodeLockedMask = 0x0001,
  kFSNodeIsDirectoryMask = 0x0010,
};

// Fork access.
enum : SInt8 { fsCurPerm = 0, fsRdPerm = 1, fsWrPerm = 2, fsRdWrPerm = 3 };
enum : UInt16 { fsAtMark = 0, fsFromStart = 1, fsFromLEOF = 2, fsFromMark = 3 };

CF_EXPORT OSErr FSPathMakeRef(const UInt8* path, FSRef* ref, Boolean* isDirectory);
CF_EXPORT OSStatus FSRefMakePath(const FSRef* ref, UInt8* path, UInt32 maxPathSize);
CF_EXPORT OSErr FSCompareFSRefs(const FSRef* ref1, const FSRef* ref2);

CF_EXPORT OSErr FSGetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, FSCatalogInfo* catalogInfo,
                                 HFSUniStr255* outName, FSSpecPtr fsSpec, FSRef* parentRef);
CF_EXPORT OSErr FSSetCatalogInfo(const FSRef* ref, FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* catalogInfo);

CF_EXPORT OSErr FSMakeFSRefUnicode(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                                   TextEncoding textEncodingHint, FSRef* newRef);
CF_EXPORT OSErr FSCreateFileUnicode(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                                    FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* catalogInfo, FSRef* newRef,
                                    FSSpecPtr newSpec);
CF_EXPORT OSErr FSCreateDirectoryUnicode(const FSRef* parentRef, UniCharCount nameLength, const UniChar* name,
                                         FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* catalogInfo,
                                         FSRef* newRef, FSSpecPtr newSpec, UInt32* newDirID);
CF_EXPORT OSErr FSDeleteObject(const FSRef* ref);
CF_EXPORT OSErr FSRenameUnicode(const FSRef* ref, UniCharCount nameLength, const UniChar* name,
                                TextEncoding textEncodingHint, FSRef* newRef);

CF_EXPORT OSErr FSGetDataForkName(HFSUniStr255* dataForkName);
CF_EXPORT OSErr FSGetResourceForkName(HFSUniStr255* resourceForkName);
CF_EXPORT OSErr FSCreateFork(const FSRef* ref, UniCharCount forkNameLength, const UniChar* forkName);
CF_EXPORT OSErr FSDeleteFork(const FSRef* ref, UniCharCount forkNameLength, const UniChar* forkName);
CF_EXPORT OSErr FSOpenFork(const FSRef* ref, UniCharCount forkNameLength, const UniChar* forkName, SInt8 permissions,
                           FSIORefNum* forkRefNum);
CF_EXPORT OSErr FSReadFork(FSIORefNum forkRefNum, UInt16 positionMode, SInt64 positionOffset, ByteCount requestCount,
                           void* buffer, ByteCount* actualCount);
CF_EXPORT OSErr FSCloseFork(FSIORefNum forkRefNum);

// File URLs of references, and references of file URLs that name existing items.
CF_EXPORT CFURLRef CFURLCreateFromFSRef(CFAllocatorRef allocator, const FSRef* fsRef);
CF_EXPORT Boolean CFURLGetFSRef(CFURLRef url, FSRef* fsRef);
