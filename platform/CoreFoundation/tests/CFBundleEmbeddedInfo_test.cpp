// The Info.plist a program embeds, read from real and damaged executables.
#include <CoreFoundation/CFBundle.h>
#include <elf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "BundleTestSupport.h"
#include "TemporaryRoot.h"

namespace {

std::string probePath() { return bundletest::testBundlesPath() + "/EmbeddedInfoBundleProbe"; }

// The identifier in the information dictionary of a file, "(none)" without a dictionary.
std::string identifierOf(const std::string& path) {
  RefPtr<const __CFDictionary> info =
      adopt(CFBundleCopyInfoDictionaryForURL(bundletest::urlFor(path, false).get()));
  if (!info) return "(none)";
  CFTypeRef identifier = CFDictionaryGetValue(info.get(), kCFBundleIdentifierKey);
  char text[256] = "(no identifier)";
  if (identifier && CFGetTypeID(identifier) == CFStringGetTypeID()) {
    CFStringGetCString(static_cast<CFStringRef>(identifier), text, sizeof text, kCFStringEncodingUTF8);
  }
  return text;
}

// The section header of the embedded property list in an executable's bytes.
Elf64_Shdr* embeddedSection(std::string& bytes) {
  auto* header = reinterpret_cast<Elf64_Ehdr*>(bytes.data());
  auto* sections = reinterpret_cast<Elf64_Shdr*>(bytes.data() + header->e_shoff);
  const char* names = bytes.data() + sections[header->e_shstrndx].sh_offset;
  for (unsigned index = 0; index < header->e_shnum; ++index) {
    if (strcmp(names + sections[index].sh_name, "__info_plist") == 0) return &sections[index];
  }
  return nullptr;
}

TEST(CFBundleEmbeddedInfo, AProgramFileAnswersTheInfoPlistItEmbeds) {
  EXPECT_EQ(identifierOf(probePath()), "com.quillfen.test.EmbeddedProbe");
  EXPECT_EQ(identifierOf(bundletest::testBundlesPath() + "/BundleProbe"), "(none)");
  EXPECT_EQ(identifierOf(bundletest::testBundlesPath() + "/TestPlugIn.plugin"),
            "com.quillfen.test.TestPlugIn");
}

TEST(CFBundleEmbeddedInfo, DamagedFilesHoldNothing) {
  const std::string original = moxicam::test::readFile(probePath());
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
      {"not a property list",
       [](std::string& bytes) {
         Elf64_Shdr* section = embeddedSection(bytes);
         memset(bytes.data() + section->sh_offset, '<', section->sh_size);
       }},
  };
  moxicam::test::TemporaryRoot root;
  for (const Case& c : cases) {
    std::string bytes = original;
    c.damage(bytes);
    EXPECT_EQ(identifierOf(root.writeFile("damaged", bytes)), "(none)") << c.what;
  }
  EXPECT_EQ(identifierOf(root.path() + "/missing"), "(none)");
}

}  // namespace
