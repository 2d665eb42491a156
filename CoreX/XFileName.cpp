#include "XFileName.h"

#include "CoreMachDebug.h"
#include <Carbon/TextEncodingConverter.h>

#include "LHFSUnicodeName.h"

XFileName::XFileName(const XFileName* copyOf) {
  if (VERIFY(copyOf)) m_filename = copyOf->m_filename;
}

XFileName::XFileName(const char* unix_path) { VERIFY(Construct(unix_path)); }

XFileName::XFileName(const FSRef& ref) { VERIFY(Construct(ref)); }

XFileName::XFileName(const LFSRef& ref) : m_filename(ref) {}

bool XFileName::Construct(const char* unix_path) {
  if (!VERIFY(m_filename.Construct(unix_path))) return false;
  return VERIFY(IsConstructed());
}

bool XFileName::Construct(const FSRef& ref) { return VERIFY(m_filename.Construct(&ref)); }

bool XFileName::IsConstructed() const {
  std::string path;
  return m_filename.IsValid() && m_filename.GetUnixPath(path);
}

bool XFileName::GetSystemRepresentation(FSRef& ref) const {
  if (!VERIFY(m_filename.GetNormalizedRef(ref))) return false;
  return VERIFY(LFSRef(m_filename, true).IsValid());
}

bool XFileName::GetSystemRepresentation(LUnixPath& path) const { return VERIFY(m_filename.GetUnixPath(path)); }

bool XFileName::GetParentFolder(XFileName& folder) const {
  return VERIFY(m_filename.GetParentFolder(folder.m_filename));
}

bool XFileName::GetJustName(std::string& name) const { return VERIFY(m_filename.GetJustName(name)); }

bool XFileName::RenameFile(const char* name) { return VERIFY(m_filename.RenameFile(name)); }

bool XFileName::DeleteFile() {
  LFSRef file(m_filename);
  return VERIFY(file.FileDelete());
}

bool XFileName::GetFileTypeCreator(OSType& type, OSType& creator) const {
  return VERIFY(m_filename.GetFileTypeCreator(type, creator));
}

bool XFileName::GetDateTimeCreated(UTCDateTime& date) const { return VERIFY(m_filename.GetDateTimeCreated(date)); }

bool XFileName::FileExists() const { return m_filename.FileExists(); }

bool XFileName::IsNewerThan(const XFileName& other) const {
  UTCDateTime mine;
  UTCDateTime theirs;
  if (!VERIFY(m_filename.GetDateTimeModified(mine)) || !VERIFY(other.m_filename.GetDateTimeModified(theirs))) {
    return false;
  }
  if (mine.highSeconds != theirs.highSeconds) return mine.highSeconds > theirs.highSeconds;
  if (mine.lowSeconds != theirs.lowSeconds) return mine.lowSeconds > theirs.lowSeconds;
  return mine.fraction > theirs.fraction;
}

bool FSRef_ConstructFromParentAndRelativeName(XFileName& out, const FSRef* parent, const char* relative) {
  out.Empty();
  if (!parent || !relative) return false;
  LHFSUnicodeName name;
  if (!VERIFY(name.Construct(relative))) return false;
  FSRef ref;
  if (!VERIFY_OSERR(FSMakeFSRefUnicode(parent, name.length, name.unicode, kTextEncodingMacRoman, &ref))) return false;
  return out.Construct(ref);
}
