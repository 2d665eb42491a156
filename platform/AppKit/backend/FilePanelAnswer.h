#pragma once
// Where a file panel's answer comes from: the environment's scripted answer, else the desktop's
// file chooser run as a child program (no shell), else none.
#include <optional>
#include <string>

namespace AppKitBackend {

struct FilePanelQuestion {
  bool save = false;
  std::string directory;     // empty: anywhere
  std::string proposedName;  // save panels
  std::string fileType;      // extension without the dot; empty: any
};

// The chosen path, or nothing when the question was cancelled or cannot be asked.
std::optional<std::string> answerFilePanel(const FilePanelQuestion& question);

}  // namespace AppKitBackend
