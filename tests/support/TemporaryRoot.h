#pragma once
// A fresh HOME and system root for the life of the object, so that a test never sees
// another test's files or the machine's. The built platform frameworks and tools are
// reachable from the new root through links.
#include <string>

namespace moxicam::test {

class TemporaryRoot {
 public:
  TemporaryRoot();
  ~TemporaryRoot();
  TemporaryRoot(const TemporaryRoot&) = delete;
  TemporaryRoot& operator=(const TemporaryRoot&) = delete;

  const std::string& path() const { return mPath; }
  const std::string& home() const { return mHome; }
  const std::string& root() const { return mRoot; }

  // Writes a file (and its folders) below the temporary folder; answers its full path.
  std::string writeFile(const std::string& relativePath, const std::string& contents) const;

 private:
  std::string mPath;
  std::string mHome;
  std::string mRoot;
  std::string mPreviousHome;
  std::string mPreviousRoot;
  bool mHadHome = false;
  bool mHadRoot = false;
};

// The build's Products folder (bundles, frameworks, tools).
std::string productsPath();
// The folders of the Products' frameworks and libraries as a search path (LD_LIBRARY_PATH),
// for a copy of a product that lies where its relative run paths lead nowhere.
std::string productsLibraryPath();
// Reads a whole file; empty when it cannot be read.
std::string readFile(const std::string& path);

}  // namespace moxicam::test
