#pragma once
// A file reference that may name an item that does not exist yet: an existing folder's FSRef
// with a latent path below it. Operations that need the item itself first normalise the
// reference (resolve folder and latent path to the item's own FSRef when it exists).
#include <cstdio>
#include <string>

#include <Carbon/Files.h>

#include "LHFSUnicodeName.h"
#include "LUnixPath.h"

class LFSRef {
 public:
  enum : UInt32 {
    State_Invalid = 0,
    State_Exists = 1,
    State_HasLatentPath = 2,
    State_ExistsWithLatentPath = State_Exists | State_HasLatentPath,
  };

  // The flat form, for storage and transfer within this process (an FSRef names an item
  // only for the process that made it).
  struct Data {
    FSRef mFSRef;
    HFSUniStr255 mLatentPath;
    UInt16 mState;
  };

  LFSRef() = default;
  explicit LFSRef(const char* unix_path);
  LFSRef(const LFSRef& other, bool normalize);
  LFSRef(const LFSRef& other) = default;
  LFSRef& operator=(const LFSRef& other) = default;
  virtual ~LFSRef() = default;

  bool Construct(const FSRef* theFileRef);
  bool Construct(const FSRef* parent, const char* name);
  bool Construct(const FSRef* parent, const std::string& name);
  bool Construct(const FSRef* parent, const LHFSUnicodeName& name);
  bool Construct(const char* unix_path);
  bool Construct(const LFSRef& other, bool normalize);
  bool Construct(const Data& data);
  bool Construct_cwd();
  bool FindExistingFolder(OSType folderType, FSVolumeRefNum domain);
  bool GetData(Data& data) const;

  void Empty();
  bool HasState(UInt32 bits) const { return (mState & bits) == bits; }
  bool IsValid() const { return mState != State_Invalid; }
  UInt32 State() const { return mState; }
  static const char* StateName(UInt32 state);

  // Queries.
  bool Normalize();
  bool GetNormalizedRef(FSRef& out) const;
  bool GetUnixPath(std::string& path) const;
  // The path as text that stays valid until this thread's next call; empty when there is none.
  const char* GetUnixPath() const;
  bool GetUnixPath(LUnixPath& path) const;
  bool GetJustName(std::string& name) const;
  bool HasExtension(const char* ext) const;
  bool IsFolder() const;
  bool IsFile() const;
  bool FileExists() const;
  bool GetDateTimeModified(UTCDateTime& date) const;
  bool GetDateTimeCreated(UTCDateTime& date) const;
  bool GetFileTypeCreator(OSType& type, OSType& creator) const;
  FILE* fopen(const char* mode) const;
  bool chdir() const;
  bool operator==(const LFSRef& other) const;
  bool GetLatentPath(std::string& path) const;
  bool GetLatentPath(LHFSUnicodeName& name) const;
  bool GetLatentRef(LFSRef& out) const;

  // Changes.
  bool CreateFile(FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* catalogInfo);
  bool CreateFile() { return CreateFile(kFSCatInfoNone, nullptr); }
  bool CreateFolder(FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* catalogInfo);
  bool CreateFolder() { return CreateFolder(kFSCatInfoNone, nullptr); }
  bool CreateFile(OSType type, OSType creator);
  bool SetFileTypeCreator(OSType type, OSType creator);
  bool RecreateFile(OSType type, OSType creator);
  bool Delete();
  bool DeleteFile();
  bool DeleteFolder();
  bool FileDelete();
  bool RenameFile(const char* name);
  bool MakeRefWithLatentPath();
  bool AddJustName(ConstStr255Param name, ConstStr255Param subname = nullptr);
  bool ReplaceJustName(const char* name);
  bool ReplaceExtension(const char* ext);
  bool AddExtension(const char* ext);
  bool GetParentFolder(LFSRef& out) const;
  bool ReplaceFolder(const LFSRef& folder);

  void Dump(const char* label, bool withBytes = false) const;

  const FSRef& Ref() const { return mFSRef; }

 private:
  bool ExistingItemRef(FSRef& item) const;
  bool CreateItem(bool folder, FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* catalogInfo);
  bool ResolveLatentFolder(FSRef& folder, LHFSUnicodeName& leaf) const;

  UInt32 mState = State_Invalid;
  FSRef mFSRef{};
  std::string mLatentPath;
};

static_assert(sizeof(LFSRef::Data) == 594);
static_assert(offsetof(LFSRef::Data, mLatentPath) == 80);
static_assert(offsetof(LFSRef::Data, mState) == 592);
