#pragma once
// A fresh HOME and system root for the life of the object, so that a test never sees
// another test's files or the machine's. The built platform frameworks and tools are
// reachable from the new root through links. Only the process that made it removes it: a
// forked copy that ends leaves it to its parent.
#include <sys/types.h>

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
  pid_t mOwner;
};

// The build's Products folder (bundles, frameworks, tools).
std::string productsPath();
// Reads a whole file; empty when it cannot be read.
std::string readFile(const std::string& path);

}  // namespace moxicam::test
