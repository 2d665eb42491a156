#pragma once
// Where this machine's identity comes from on Linux.
#include <string>

namespace IOKitPlatform {

// The machine's UUID as upper-case "8-4-4-4-12" text: the systemd machine id, else the
// firmware's product UUID; empty when neither can be read.
std::string platformUUID();
// The hardware model name: the firmware's product name, else the processor architecture.
std::string machineModel();

}  // namespace IOKitPlatform
