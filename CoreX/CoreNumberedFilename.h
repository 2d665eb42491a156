#pragma once
// A folder in which the first free numbered file name is found ("Moxicam_000.mov",
// "Moxicam_001.mov", ...), so that nothing is overwritten.
#include "CoreRefPath.h"

class CoreNumberedFilename : public CoreRefPath {
 public:
  // Standard folders of the user: 0 Pictures, 2 Desktop Pictures, 3 Documents, 4 Movies,
  // anything else the Desktop.
  static OSType LocationFromEnum(int location);

  CoreNumberedFilename() = default;
  explicit CoreNumberedFilename(int location);

  bool Construct(int location);
  bool Construct(const char* folder_unix_path);
  bool IsConstructed() const;

  // The first candidate "<folder>/<name_format of n>.<extension>" for n = 0 ... 999 that
  // names nothing. The candidate is claimed by creating it as an empty file, so that two
  // searches never answer the same name.
  bool FindFirstAvailableNamedPathNumber(char (&out_path)[kPathSize], const char* name_format, const char* extension,
                                         int& out_number) const;
  bool FindFirstAvailableNamedPath(char (&out_path)[kPathSize], const char* name_format,
                                   const char* extension) const;
  bool FindFirstAvailableNumber(const char* name_format, const char* extension, int& out_number) const;

 private:
  bool TakePathOfRef();
};
