// The embedded Info.plist reader on real and damaged executables.
#include <CoreFoundation/CFBundleEmbeddedInfo.h>
#include <elf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "BundleTestSupport.h"
#include "TemporaryRoot.h"

namespace fs = std::filesystem;

namespace {

std::string probePath() { return bundletest::testBundlesPath() + "/EmbeddedInfoBundleProbe"; }

std::string bytesOf(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

// The section header of the embedded property list in an executable's bytes.
Elf64_Shdr* embeddedSection(std::string& bytes) {
  auto* header = reinterpret_cast<Elf64_Ehdr*>(bytes.data());
  auto* sections = reinterpret_cast<Elf64_Shdr*>(bytes.data() + header->e_shoff);
  const char* names = bytes.data() + sections[header->e_shstrndx].sh_offset;
  for (unsigned index = 0; index < header->e_shnum; ++index) {
    if (strcmp(names + sections[index].sh_name, CFBundleEmbeddedInfo::kSectionName) == 0)
      return &sections[index];
  }
  return nullptr;
}

TEST(CFBundleEmbeddedInfo, ReadsTheSectionOfAProgram) {
  const std::string text = CFBundleEmbeddedInfo::read(probePath());
  EXPECT_EQ(text.rfind("<?xml", 0), 0u) << text;
  EXPECT_NE(text.find("com.quillfen.test.EmbeddedProbe"), std::string::npos);
  EXPECT_NE(text.back(), '\0');
  EXPECT_EQ(CFBundleEmbeddedInfo::read(bundletest::testBundlesPath() + "/BundleProbe"), "");
}

TEST(CFBundleEmbeddedInfo, DamagedFilesHoldNothing) {
  const std::string original = bytesOf(probePath());
  ASSERT_GT(original.size(), sizeof(Elf64_Ehdr));
  struct Case {
    const char* what;
    std::function<void(std::string&)> damage;
  };
  const Case cases[] = {
      {"empty file", [](std::string& bytes) { bytes.clear(); }},
      {"not ELF", [](std::string& bytes) { bytes[1] = 'X'; }},
      {"32-bit class", [](std::string& bytes) { bytes[EI_CLASS] = ELFCLASS32; }},
      {"cut before the section headers", [](std::string& bytes) { bytes.resize(bytes.size() / 2); }},
      {"cut inside the headers", [](std::string& bytes) { bytes.resize(bytes.size() - 10); }},
      {"names section out of range",
       [](std::string& bytes) { reinterpret_cast<Elf64_Ehdr*>(bytes.data())->e_shstrndx = 0x7fff; }},
      {"section beyond the end",
       [](std::string& bytes) { embeddedSection(bytes)->sh_offset = bytes.size() - 4; }},
      {"section of absurd size",
       [](std::string& bytes) { embeddedSection(bytes)->sh_size = uint64_t(1) << 62; }},
      {"name beyond the names", [](std::string& bytes) { embeddedSection(bytes)->sh_name = 0xfffffff0; }},
  };
  moxicam::test::TemporaryRoot root;
  for (const Case& c : cases) {
    std::string bytes = original;
    c.damage(bytes);
    const std::string path = root.writeFile("damaged", bytes);
    EXPECT_EQ(CFBundleEmbeddedInfo::read(path), "") << c.what;
  }
  EXPECT_EQ(CFBundleEmbeddedInfo::read(root.path() + "/missing"), "");
}

}  // namespace
