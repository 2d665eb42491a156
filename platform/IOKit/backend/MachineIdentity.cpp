#include "backend/MachineIdentity.h"

#include <sys/utsname.h>

#include <cctype>
#include <fstream>

namespace IOKitPlatform {

namespace {

std::string firstLine(const char* path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
  return line;
}

// 32 hexadecimal digits, with or without the dashes of the UUID form.
std::string asUUIDText(const std::string& text) {
  std::string digits;
  for (char c : text) {
    if (c == '-') continue;
    if (!isxdigit(static_cast<unsigned char>(c))) return {};
    digits += char(toupper(static_cast<unsigned char>(c)));
  }
  if (digits.size() != 32) return {};
  return digits.substr(0, 8) + "-" + digits.substr(8, 4) + "-" + digits.substr(12, 4) + "-" + digits.substr(16, 4) +
         "-" + digits.substr(20);
}

}  // namespace

std::string platformUUID() {
  for (const char* source : {"/etc/machine-id", "/var/lib/dbus/machine-id", "/sys/class/dmi/id/product_uuid"}) {
    std::string uuid = asUUIDText(firstLine(source));
    if (!uuid.empty()) return uuid;
  }
  return {};
}

std::string machineModel() {
  std::string product = firstLine("/sys/class/dmi/id/product_name");
  if (!product.empty()) return product;
  utsname names{};
  if (uname(&names) == 0) return names.machine;
  return {};
}

}  // namespace IOKitPlatform
