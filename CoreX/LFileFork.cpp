#include "LFileFork.h"

#include "CoreMachDebug.h"

bool LFileFork::Open(const FSRef* ref, const LHFSUnicodeName& forkName, SInt8 permission) {
  if (!VERIFY(ref != nullptr)) return false;
  if (!VERIFY(!IsOpen())) return false;
  FSIORefNum opened = kClosed;
  if (!VERIFY_OSERR(FSOpenFork(ref, forkName.length, forkName.unicode, permission, &opened))) return false;
  mForkRefNum = opened;
  return true;
}

bool LFileFork::OpenData(const LFSRef& file, SInt8 permission) {
  FSRef item;
  if (!VERIFY(file.GetNormalizedRef(item))) return false;
  return Open(&item, LHFSUnicodeName::sDataForkName, permission);
}

bool LFileFork::Create(const FSRef* ref, const LHFSUnicodeName& forkName) {
  if (!VERIFY(ref != nullptr)) return false;
  // A fork that is already there is simply opened.
  OSErr status = FSCreateFork(ref, forkName.length, forkName.unicode);
  if (status != errFSForkExists && !VERIFY_OSERR(status)) return false;
  return Open(ref, forkName, fsRdWrPerm);
}

bool LFileFork::CreateData(const LFSRef& file) {
  FSRef item;
  if (!VERIFY(file.GetNormalizedRef(item))) return false;
  return Create(&item, LHFSUnicodeName::sDataForkName);
}

bool LFileFork::Read(void* buffer, ByteCount count, UInt16 positionMode, SInt64 offset, ByteCount* actualCount) {
  if (actualCount) *actualCount = 0;
  if (!VERIFY(IsOpen())) return false;
  OSErr status = FSReadFork(mForkRefNum, positionMode, offset, count, buffer, actualCount);
  if (status == eofErr) return true;
  return VERIFY_OSERR(status);
}

bool LFileFork::Close() {
  if (!IsOpen()) return true;
  OSErr status = FSCloseFork(mForkRefNum);
  mForkRefNum = kClosed;
  return VERIFY_OSERR(status);
}

bool LFileFork::DeleteForkName(const FSRef& ref, const LHFSUnicodeName& forkName) {
  return VERIFY_OSERR(FSDeleteFork(&ref, forkName.length, forkName.unicode));
}
