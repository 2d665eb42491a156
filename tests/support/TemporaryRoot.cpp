#include "TemporaryRoot.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace moxicam::test {

std::string productsPath() {
  const char* products = getenv("MOXICAM_BUILD_PRODUCTS");
  return products && *products ? products : MOXICAM_DEFAULT_PRODUCTS;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

static void linkInto(const fs::path& from, const fs::path& to) {
  std::error_code error;
  if (!fs::exists(from, error)) return;
  fs::create_directories(to.parent_path(), error);
  fs::create_directory_symlink(from, to, error);
}

TemporaryRoot::TemporaryRoot() : mOwner(getpid()) {
  std::string pattern = (fs::temp_directory_path() / "moxicam-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  mPath = pattern;
  mHome = mPath + "/home";
  mRoot = mPath + "/root";
  fs::create_directories(mHome);
  fs::create_directories(mRoot + "/System/Library");
  fs::create_directories(mRoot + "/Library");
  const fs::path products = productsPath();
  linkInto(products / "System/Library/Frameworks", mRoot + "/System/Library/Frameworks");
  linkInto(products / "usr", mRoot + "/usr");

  if (const char* home = getenv("HOME")) mHadHome = true, mPreviousHome = home;
  if (const char* root = getenv("MOXICAM_ROOT")) mHadRoot = true, mPreviousRoot = root;
  setenv("HOME", mHome.c_str(), 1);
  setenv("MOXICAM_ROOT", mRoot.c_str(), 1);
}

TemporaryRoot::~TemporaryRoot() {
  if (getpid() != mOwner) return;
  if (mHadHome) setenv("HOME", mPreviousHome.c_str(), 1); else unsetenv("HOME");
  if (mHadRoot) setenv("MOXICAM_ROOT", mPreviousRoot.c_str(), 1); else unsetenv("MOXICAM_ROOT");
  std::error_code error;
  fs::remove_all(mPath, error);
}

std::string TemporaryRoot::writeFile(const std::string& relativePath, const std::string& contents) const {
  fs::path path = fs::path(mPath) / relativePath;
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << contents;
  return path.string();
}

}  // namespace moxicam::test
