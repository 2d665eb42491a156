#pragma once
// An open fork (data or resource) of a file.
#include <Carbon/Files.h>

#include "LFSRef.h"
#include "LHFSUnicodeName.h"

class LFileFork {
 public:
  LFileFork() = default;
  ~LFileFork() { Close(); }
  LFileFork(const LFileFork&) = delete;
  LFileFork& operator=(const LFileFork&) = delete;

  bool IsOpen() const { return mForkRefNum != kClosed; }

  bool Open(const FSRef* ref, const LHFSUnicodeName& forkName, SInt8 permission);
  bool Open(const FSRef* ref, const LHFSUnicodeName& forkName) { return Open(ref, forkName, fsRdWrPerm); }
  bool OpenData(const LFSRef& file, SInt8 permission);
  bool Create(const FSRef* ref, const LHFSUnicodeName& forkName);
  bool CreateData(const LFSRef& file);
  // Reading up to the end of the fork succeeds with the count actually read.
  bool Read(void* buffer, ByteCount count, UInt16 positionMode, SInt64 offset, ByteCount* actualCount);
  bool Close();

  static bool DeleteForkName(const FSRef& ref, const LHFSUnicodeName& forkName);
  static bool DeleteDataFork(const FSRef& ref) { return DeleteForkName(ref, LHFSUnicodeName::sDataForkName); }
  static bool DeleteResourceFork(const FSRef& ref) {
    return DeleteForkName(ref, LHFSUnicodeName::sResourceForkName);
  }

 private:
  static constexpr FSIORefNum kClosed = -1;
  FSIORefNum mForkRefNum = kClosed;
};
