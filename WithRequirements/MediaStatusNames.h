#pragma once
// The name tables of the media status reporters. They format as the tables of the support
// library do: "<name> (<status>)", or "statusValue=<status>" for a status they do not know.
#include <RequiredStatusText.h>

// The camera system's hardware statuses.
extern const RequiredStatusTable kRequiredCoreMediaIOStatusNames;
// The format-description statuses of CoreMedia.
extern const RequiredStatusTable kRequiredCoreMediaStatusNames;
// The kernel returns 0 to 52.
extern const RequiredStatusTable kRequiredKernelReturnNames;
// The IOKit common returns.
extern const RequiredStatusTable kRequiredIOKitReturnNames;
// The socket errors.
extern const RequiredStatusTable kRequiredSocketErrorNames;

struct RequiredSecurityStatusName {
  SInt32 status;
  const char* name;
  const char* description;
};

struct RequiredSecurityStatusTable {
  const RequiredSecurityStatusName* names;
  size_t count;

  const RequiredSecurityStatusName* find(SInt32 status) const;
  // "<name> (<status>) <description>", or "statusValue=<status>".
  const char* format(SInt32 status, char* buffer, size_t size) const;
};

extern const RequiredSecurityStatusTable kRequiredSecurityStatusNames;
