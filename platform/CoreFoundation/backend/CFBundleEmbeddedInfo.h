#pragma once
// The information property list that a program outside any bundle carries in itself: the
// bytes of its ELF section "__info_plist", as a tool embeds its Info.plist on the platform.
#include <string>

namespace CFBundleEmbeddedInfo {

// The section's bytes without trailing zero bytes; empty when the file is no 64-bit ELF file,
// has no such section, or its headers point outside the file.
std::string read(const std::string& programPath);

}  // namespace CFBundleEmbeddedInfo
