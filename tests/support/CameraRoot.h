#pragma once
// A fresh root (see TemporaryRoot) whose local DAL plug-ins folder holds one camera plug-in
// bundle, through a link, so that a camera host loads that plug-in and no other.
#include <filesystem>
#include <string>

#include "TemporaryRoot.h"

namespace moxicam::test {

struct CameraRoot {
  explicit CameraRoot(const std::string& bundle) {
    const std::filesystem::path dal = std::filesystem::path(root.root()) / "Library/CoreMediaIO/Plug-Ins/DAL";
    std::filesystem::create_directories(dal);
    std::filesystem::create_directory_symlink(bundle, dal / std::filesystem::path(bundle).filename());
  }
  TemporaryRoot root;
};

}  // namespace moxicam::test
