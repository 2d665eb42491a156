#pragma once
// The registry folder behind service discovery: <runtime>/dnssd/<domain>/<type>/ holds one
// file per registered service, named after the service. The owning process keeps the file
// open and locked for as long as the service stands; a file that can be locked by anyone
// else belongs to a process that is gone, and counts as absent (it is removed when seen).
// The owner writes the file in place, so that the kernel names the file itself when the
// owner's descriptor closes, which is how a watcher learns of an owner's death.
#include <cstdint>
#include <optional>
#include <string>

namespace dnssd {

struct ServiceRecord {
  std::string name;
  std::string type;    // "_app._udp."
  std::string domain;  // "local."
  uint16_t port = 0;   // host byte order
  long ownerPid = 0;
  uint64_t instance = 0;  // tells this registration from any other under the same name
  std::string txt;        // the TXT record's bytes
};

// "_qfl_vc_cam._udp" and "_QFL_vc_cam._udp." name the same type: lower case, one final dot.
std::string canonicalName(const char* text, const char* fallback);
std::string registryFolder(const std::string& domain, const std::string& type);
// A service name as a file name: '/', '%', control characters and a leading '.' escaped.
std::string entryName(const std::string& serviceName);

// Writes the record under its name (or the next free " (n)" name when `rename` allows);
// on success answers the open, locked descriptor that keeps it standing and sets the name
// and a new instance.
int registerRecord(ServiceRecord& record, bool rename);
// Rewrites the record behind `held` (same name).
bool replaceRecord(int held, const ServiceRecord& record);
void unregisterRecord(int held, const ServiceRecord& record);

enum class Standing {
  Absent,    // no file, or its owner is gone
  Changing,  // its owner stands but is writing it: look again when it changes
  Present,
};

// The record in `folder` under `entry`. Any local process can write the folder: an entry that
// does not read as a whole record is not Present.
Standing readRecord(const std::string& folder, const std::string& entry, ServiceRecord* record);

}  // namespace dnssd
