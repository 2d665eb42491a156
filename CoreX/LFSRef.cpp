#include "LFSRef.h"

#include <climits>
#include <cstring>
#include <vector>

#include <Carbon/Folders.h>
#include <Carbon/TextEncodingConverter.h>

#include "CoreMachDebug.h"
#include "FSRefValidity.h"
#include "SystemFramework.h"

namespace {

// Path buffers belong to each call: references are used from several threads.
constexpr size_t kPathBufferSize = 4096;

bool refOfName(const FSRef& folder, const std::string& name, FSRef& item) {
  LHFSUnicodeName unicodeName;
  if (!unicodeName.Construct(name) || unicodeName.IsEmpty()) return false;
  return FSMakeFSRefUnicode(&folder, unicodeName.length, unicodeName.unicode, kTextEncodingMacRoman, &item) == noErr;
}

std::vector<std::string> componentsOf(const std::string& path) {
  std::vector<std::string> components;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    components.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  return components;
}

FileInfo fileInfoOf(const FSCatalogInfo& info) {
  FileInfo fileInfo;
  std::memcpy(&fileInfo, info.finderInfo, sizeof fileInfo);
  return fileInfo;
}

}  // namespace

LFSRef::LFSRef(const char* unix_path) { Construct(unix_path); }

LFSRef::LFSRef(const LFSRef& other, bool normalize) { Construct(other, normalize); }

void LFSRef::Empty() {
  mState = State_Invalid;
  std::memset(&mFSRef, 0, sizeof mFSRef);
  mLatentPath.clear();
}

const char* LFSRef::StateName(UInt32 state) {
  switch (state) {
    case State_Invalid: return "State_Invalid '0'";
    case State_Exists: return "State_Exists '1'";
    case State_HasLatentPath: return "State_HasLatentPath '2'";
    case State_ExistsWithLatentPath: return "State_ExistsWithLatentPath '3'";
    default: return "????";
  }
}

bool LFSRef::Construct(const FSRef* theFileRef) {
  Empty();
  if (!VERIFY(theFileRef)) return false;
  if (!VERIFY(bool_FSRef_IsValid(*theFileRef))) return false;
  mFSRef = *theFileRef;
  mState = State_Exists;
  return true;
}

// A C-string name is taken whenever it is given, even empty; a std::string only when it has
// text.
bool LFSRef::Construct(const FSRef* parent, const char* name) {
  if (!VERIFY(Construct(parent))) return false;
  if (name) {
    mLatentPath = name;
    mState |= State_HasLatentPath;
  }
  return true;
}

bool LFSRef::Construct(const FSRef* parent, const std::string& name) {
  return Construct(parent, name.empty() ? nullptr : name.c_str());
}

bool LFSRef::Construct(const FSRef* parent, const LHFSUnicodeName& name) {
  std::string utf8;
  if (!VERIFY(name.GetUnixPath(utf8))) {
    Empty();
    return false;
  }
  return Construct(parent, utf8);
}

// The deepest folder of the path that exists becomes the reference, the rest of the path its
// latent path, whether or not that rest exists.
bool LFSRef::Construct(const char* unix_path) {
  Empty();
  if (!VERIFY(unix_path != nullptr && *unix_path)) return false;
  LUnixPath path(unix_path);
  std::string base;
  std::string name;
  bool resolved = false;
  Boolean out_is_directory = false;
  for (bool more = path.GetFirstPair(base, name); more; more = path.GetNextPair(base, name)) {
    FSRef ref;
    Boolean isDirectory = false;
    if (FSPathMakeRef(reinterpret_cast<const UInt8*>(base.c_str()), &ref, &isDirectory) == noErr) {
      mFSRef = ref;
      mLatentPath = name;
      out_is_directory = isDirectory;
      resolved = true;
    }
  }
  if (!VERIFY(resolved)) {
    Empty();
    return false;
  }
  VERIFY(out_is_directory);
  mState = mLatentPath.empty() ? State_Exists : State_ExistsWithLatentPath;
  return true;
}

bool LFSRef::Construct(const LFSRef& other, bool normalize) {
  *this = other;
  if (normalize) Normalize();
  return IsValid();
}

bool LFSRef::Construct(const Data& data) {
  Empty();
  if (data.mState == State_Invalid) return false;
  mFSRef = data.mFSRef;
  mState = data.mState;
  if (data.mLatentPath.length > 0) {
    LHFSUnicodeName name;
    if (!VERIFY(name.Construct(data.mLatentPath)) || !VERIFY(name.GetUnixPath(mLatentPath))) {
      Empty();
      return false;
    }
  }
  return true;
}

bool LFSRef::GetData(Data& data) const {
  std::memset(&data, 0, sizeof data);
  data.mFSRef = mFSRef;
  data.mState = UInt16(mState);
  if (!mLatentPath.empty()) {
    LHFSUnicodeName name;
    if (!VERIFY(name.Construct(mLatentPath))) return false;
    data.mLatentPath = name;
  }
  return true;
}

bool LFSRef::Construct_cwd() {
  char path[PATH_MAX + 1] = {};
  if (!VERIFY(SystemFramework::getcwd(path, sizeof path) != nullptr)) {
    Empty();
    return false;
  }
  return Construct(path);
}

bool LFSRef::FindExistingFolder(OSType folderType, FSVolumeRefNum domain) {
  Empty();
  FSRef ref;
  if (!VERIFY_OSERR(FSFindFolder(domain, folderType, kDontCreateFolder, &ref))) return false;
  return Construct(&ref);
}

// The folder that holds the last component of the latent path: every component before it must
// be an existing folder. A file name on this system cannot hold a "/", so a latent path of
// several components is walked instead of being passed as one name.
bool LFSRef::ResolveLatentFolder(FSRef& folder, LHFSUnicodeName& leaf) const {
  std::vector<std::string> components = componentsOf(mLatentPath);
  folder = mFSRef;
  for (size_t i = 0; i + 1 < components.size(); ++i) {
    FSRef next;
    if (!refOfName(folder, components[i], next)) return false;
    folder = next;
  }
  return leaf.Construct(components.back()) && !leaf.IsEmpty();
}

bool LFSRef::Normalize() {
  if (!bool_FSRef_IsValid(mFSRef)) return false;
  if (mState == State_Exists) return true;
  if (!VERIFY(!mLatentPath.empty())) return false;
  FSRef folder;
  LHFSUnicodeName leaf;
  if (!ResolveLatentFolder(folder, leaf)) return false;
  FSRef item;
  if (FSMakeFSRefUnicode(&folder, leaf.length, leaf.unicode, kTextEncodingMacRoman, &item) != noErr) return false;
  return VERIFY(Construct(&item));
}

bool LFSRef::ExistingItemRef(FSRef& item) const {
  LFSRef normalized(*this, true);
  if (normalized.mState != State_Exists) return false;
  item = normalized.mFSRef;
  return true;
}

bool LFSRef::GetNormalizedRef(FSRef& out) const { return VERIFY(ExistingItemRef(out)); }

bool LFSRef::GetUnixPath(std::string& path) const {
  path.clear();
  if (!bool_FSRef_IsValid(mFSRef)) return false;
  if (!VERIFY(HasState(State_Exists))) return false;
  char buffer[kPathBufferSize];
  if (!VERIFY_OSERR(FSRefMakePath(&mFSRef, reinterpret_cast<UInt8*>(buffer), sizeof buffer))) return false;
  path = buffer;
  if (HasState(State_HasLatentPath) && !mLatentPath.empty()) {
    if (path.empty() || path.back() != '/') path += '/';
    path += mLatentPath;
  }
  return true;
}

// Each thread has its own string, so that a caller's text changes only with its own next call.
const char* LFSRef::GetUnixPath() const {
  thread_local std::string path;
  GetUnixPath(path);
  return path.c_str();
}

bool LFSRef::GetUnixPath(LUnixPath& out) const {
  std::string path;
  if (!VERIFY(GetUnixPath(path))) return false;
  return out.Construct(path);
}

bool LFSRef::GetJustName(std::string& name) const {
  name.clear();
  std::string path;
  if (!VERIFY(GetUnixPath(path))) return false;
  return VERIFY(LUnixPath::GetPathJustName(path, name));
}

bool LFSRef::HasExtension(const char* ext) const {
  LUnixPath path;
  if (!VERIFY(GetUnixPath(path))) return false;
  return path.HasExtension(ext);
}

bool LFSRef::IsFolder() const {
  FSRef item;
  FSCatalogInfo info;
  if (!ExistingItemRef(item)) return false;
  if (FSGetCatalogInfo(&item, kFSCatInfoNodeFlags, &info, nullptr, nullptr, nullptr) != noErr) return false;
  return (info.nodeFlags & kFSNodeIsDirectoryMask) != 0;
}

bool LFSRef::IsFile() const {
  FSRef item;
  FSCatalogInfo info;
  if (!ExistingItemRef(item)) return false;
  if (FSGetCatalogInfo(&item, kFSCatInfoNodeFlags, &info, nullptr, nullptr, nullptr) != noErr) return false;
  return (info.nodeFlags & kFSNodeIsDirectoryMask) == 0;
}

bool LFSRef::FileExists() const { return IsFile(); }

bool LFSRef::GetDateTimeModified(UTCDateTime& date) const {
  FSRef item;
  FSCatalogInfo info;
  if (!VERIFY(ExistingItemRef(item))) return false;
  if (!VERIFY_OSERR(FSGetCatalogInfo(&item, kFSCatInfoContentMod, &info, nullptr, nullptr, nullptr))) return false;
  date = info.contentModDate;
  return true;
}

bool LFSRef::GetDateTimeCreated(UTCDateTime& date) const {
  FSRef item;
  FSCatalogInfo info;
  if (!VERIFY(ExistingItemRef(item))) return false;
  if (!VERIFY_OSERR(FSGetCatalogInfo(&item, kFSCatInfoCreateDate, &info, nullptr, nullptr, nullptr))) return false;
  date = info.createDate;
  return true;
}

bool LFSRef::GetFileTypeCreator(OSType& type, OSType& creator) const {
  FSRef item;
  FSCatalogInfo info;
  if (!VERIFY(ExistingItemRef(item))) return false;
  if (!VERIFY_OSERR(FSGetCatalogInfo(&item, kFSCatInfoFinderInfo, &info, nullptr, nullptr, nullptr))) return false;
  FileInfo fileInfo = fileInfoOf(info);
  type = fileInfo.fileType;
  creator = fileInfo.fileCreator;
  return true;
}

FILE* LFSRef::fopen(const char* mode) const {
  std::string path;
  if (!VERIFY(GetUnixPath(path))) return nullptr;
  FILE* file = std::fopen(path.c_str(), mode);
  VERIFY(file != nullptr);
  return file;
}

bool LFSRef::chdir() const {
  std::string path;
  if (!VERIFY(IsFolder())) return false;
  if (!VERIFY(GetUnixPath(path))) return false;
  return VERIFY(SystemFramework::chdir(path.c_str()) == 0);
}

bool LFSRef::operator==(const LFSRef& other) const {
  LFSRef mine(*this, true);
  LFSRef theirs(other, true);
  if (mine.mState != theirs.mState) return false;
  std::string myPath;
  std::string theirPath;
  if (!VERIFY(mine.GetUnixPath(myPath)) || !VERIFY(theirs.GetUnixPath(theirPath))) return false;
  return std::strcmp(myPath.c_str(), theirPath.c_str()) == 0;
}

bool LFSRef::GetLatentPath(std::string& path) const {
  path.clear();
  if (!VERIFY(HasState(State_HasLatentPath))) return false;
  path = mLatentPath;
  return true;
}

bool LFSRef::GetLatentPath(LHFSUnicodeName& name) const {
  if (!VERIFY(HasState(State_HasLatentPath))) return false;
  return VERIFY(name.Construct(mLatentPath));
}

bool LFSRef::GetLatentRef(LFSRef& out) const {
  if (!VERIFY(bool_FSRef_IsValid(mFSRef))) return false;
  if (mState == State_ExistsWithLatentPath) {
    out = *this;
    return true;
  }
  if (mState != State_Exists) return false;
  FSCatalogInfo info;
  LHFSUnicodeName name;
  FSRef parent;
  if (!VERIFY_OSERR(FSGetCatalogInfo(&mFSRef, kFSCatInfoTextEncoding, &info, &name, nullptr, &parent))) return false;
  return VERIFY(out.Construct(&parent, name));
}

bool LFSRef::CreateItem(bool folder, FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* catalogInfo) {
  if (!VERIFY(HasState(State_ExistsWithLatentPath))) return false;
  FSRef parent;
  LHFSUnicodeName leaf;
  if (!VERIFY(ResolveLatentFolder(parent, leaf))) return false;
  FSRef made;
  OSErr status = folder ? FSCreateDirectoryUnicode(&parent, leaf.length, leaf.unicode, whichInfo, catalogInfo, &made,
                                                   nullptr, nullptr)
                        : FSCreateFileUnicode(&parent, leaf.length, leaf.unicode, whichInfo, catalogInfo, &made, nullptr);
  if (!VERIFY_OSERR(status)) return false;
  return VERIFY(Construct(&made));
}

bool LFSRef::CreateFile(FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* catalogInfo) {
  return CreateItem(false, whichInfo, catalogInfo);
}

bool LFSRef::CreateFolder(FSCatalogInfoBitmap whichInfo, const FSCatalogInfo* catalogInfo) {
  return CreateItem(true, whichInfo, catalogInfo);
}

bool LFSRef::CreateFile(OSType type, OSType creator) {
  if (!VERIFY(!FileExists())) return false;
  FSCatalogInfo info{};
  FileInfo fileInfo{};
  fileInfo.fileType = type;
  fileInfo.fileCreator = creator;
  std::memcpy(info.finderInfo, &fileInfo, sizeof fileInfo);
  if (!VERIFY(CreateFile(kFSCatInfoFinderInfo, &info))) return false;
  return VERIFY(SetFileTypeCreator(type, creator));
}

bool LFSRef::SetFileTypeCreator(OSType type, OSType creator) {
  if (!VERIFY(FileExists())) return false;
  FSRef item;
  FSCatalogInfo info;
  if (!VERIFY(ExistingItemRef(item))) return false;
  if (!VERIFY_OSERR(FSGetCatalogInfo(&item, kFSCatInfoFinderInfo, &info, nullptr, nullptr, nullptr))) return false;
  FileInfo fileInfo = fileInfoOf(info);
  if (fileInfo.fileType == type && fileInfo.fileCreator == creator) return true;
  fileInfo.fileType = type;
  fileInfo.fileCreator = creator;
  std::memcpy(info.finderInfo, &fileInfo, sizeof fileInfo);
  return VERIFY_OSERR(FSSetCatalogInfo(&item, kFSCatInfoFinderInfo, &info));
}

bool LFSRef::RecreateFile(OSType type, OSType creator) {
  if (!FileExists()) return CreateFile(type, creator);
  FSRef item;
  if (!VERIFY(ExistingItemRef(item))) return false;
  FSDeleteFork(&item, LHFSUnicodeName::sDataForkName.length, LHFSUnicodeName::sDataForkName.unicode);
  FSDeleteFork(&item, LHFSUnicodeName::sResourceForkName.length, LHFSUnicodeName::sResourceForkName.unicode);
  return VERIFY(SetFileTypeCreator(type, creator));
}

bool LFSRef::Delete() {
  FSRef item;
  if (!VERIFY(ExistingItemRef(item))) return false;
  return VERIFY_OSERR(FSDeleteObject(&item));
}

bool LFSRef::DeleteFile() { return IsFile() && Delete(); }

bool LFSRef::DeleteFolder() { return IsFolder() && Delete(); }

// The reference goes on naming the file that is now gone, so that it can be made again.
bool LFSRef::FileDelete() {
  if (!IsFile()) return false;
  LFSRef normalized(*this, true);
  LFSRef latent;
  if (!VERIFY(normalized.GetLatentRef(latent))) return false;
  if (!VERIFY(DeleteFile())) return false;
  *this = latent;
  return true;
}

bool LFSRef::RenameFile(const char* name) {
  LFSRef item(*this, true);
  if (!VERIFY(item.mState == State_Exists)) return false;
  LHFSUnicodeName newName;
  if (!VERIFY(name != nullptr && newName.Construct(name) && !newName.IsEmpty())) return false;
  FSRef renamed;
  if (!VERIFY_OSERR(FSRenameUnicode(&item.mFSRef, newName.length, newName.unicode, kTextEncodingMacUnicode, &renamed))) {
    return false;
  }
  return VERIFY(Construct(&renamed));
}

bool LFSRef::MakeRefWithLatentPath() {
  LFSRef latent;
  if (!VERIFY(GetLatentRef(latent))) return false;
  *this = latent;
  return true;
}

bool LFSRef::AddJustName(ConstStr255Param name, ConstStr255Param subname) {
  if (!VERIFY(mLatentPath.empty())) return false;
  if (!VERIFY(name != nullptr && name[0] > 0)) return false;
  std::string path;
  if (!VERIFY(LHFSUnicodeName(name).GetUnixPath(path))) return false;
  if (subname && subname[0] > 0) {
    std::string sub;
    if (!VERIFY(LHFSUnicodeName(subname).GetUnixPath(sub))) return false;
    path += "/" + sub;
  }
  mLatentPath = path;
  mState |= State_HasLatentPath;
  return true;
}

bool LFSRef::ReplaceJustName(const char* name) {
  if (!VERIFY(name != nullptr && *name)) return false;
  if (!HasState(State_HasLatentPath) && !VERIFY(MakeRefWithLatentPath())) return false;
  mLatentPath = name;
  return true;
}

bool LFSRef::ReplaceExtension(const char* ext) {
  if (!VERIFY(!IsFolder())) return false;
  LFSRef latent;
  if (!VERIFY(LFSRef(*this, true).GetLatentRef(latent))) return false;
  if (!VERIFY(LUnixPath::ReplacePathExtension(latent.mLatentPath, ext))) return false;
  *this = latent;
  return true;
}

bool LFSRef::AddExtension(const char* ext) {
  if (!VERIFY(!IsFolder())) return false;
  LFSRef latent;
  if (!VERIFY(LFSRef(*this, true).GetLatentRef(latent))) return false;
  latent.mLatentPath += ext ? ext : "";
  *this = latent;
  return true;
}

bool LFSRef::GetParentFolder(LFSRef& out) const {
  LFSRef latent;
  if (!VERIFY(LFSRef(*this, true).GetLatentRef(latent))) return false;
  return VERIFY(out.Construct(&latent.mFSRef));
}

bool LFSRef::ReplaceFolder(const LFSRef& folder) {
  LFSRef target(folder, true);
  if (!VERIFY(target.mState == State_Exists)) return false;
  LFSRef latent;
  if (!VERIFY(LFSRef(*this, true).GetLatentRef(latent))) return false;
  return VERIFY(Construct(&target.mFSRef, latent.mLatentPath));
}

void LFSRef::Dump(const char* label, bool withBytes) const {
  char refPath[kPathBufferSize];
  if (FSRefMakePath(&mFSRef, reinterpret_cast<UInt8*>(refPath), sizeof refPath) != noErr) {
    std::strcpy(refPath, "(empty)");
  }
  char bytes[sizeof mFSRef * 2 + 1] = {};
  if (withBytes) {
    for (size_t i = 0; i < sizeof mFSRef; ++i) snprintf(bytes + 2 * i, 3, "%02x", mFSRef.hidden[i]);
  }
  char text[4097];
  snprintf(text, sizeof text, "%s\n LFSRef contents = { mState:%s\nmLatentPath:%s\nmFSRef:%s\nmFSRef:%s \n}\n",
           label ? label : "", StateName(mState), mLatentPath.c_str(), refPath, bytes);
  ZidaZoraDurodAriString(text);
}
