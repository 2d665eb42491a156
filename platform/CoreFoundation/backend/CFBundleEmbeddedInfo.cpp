#include "CFBundleEmbeddedInfo.h"
#include <elf.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace {

// Nobody embeds a property list this large; a size beyond it is a damaged header.
constexpr uint64_t kLargestSection = 1 << 20;

class File {
 public:
  explicit File(const std::string& path) : mDescriptor(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (mDescriptor >= 0) {
      const off_t end = lseek(mDescriptor, 0, SEEK_END);
      mSize = end > 0 ? uint64_t(end) : 0;
    }
  }
  ~File() {
    if (mDescriptor >= 0) close(mDescriptor);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Reads exactly `size` bytes at `offset`; false when they are not all in the file.
  bool readAt(uint64_t offset, void* buffer, uint64_t size) const {
    if (mDescriptor < 0 || offset > mSize || size > mSize - offset) return false;
    auto* bytes = static_cast<char*>(buffer);
    while (size > 0) {
      const ssize_t count = pread(mDescriptor, bytes, size, off_t(offset));
      if (count <= 0) return false;
      bytes += count;
      offset += uint64_t(count);
      size -= uint64_t(count);
    }
    return true;
  }

 private:
  int mDescriptor;
  uint64_t mSize = 0;
};

bool readSectionHeader(const File& file, const Elf64_Ehdr& header, uint64_t index, Elf64_Shdr& section) {
  return file.readAt(header.e_shoff + index * sizeof(Elf64_Shdr), &section, sizeof section);
}

bool readSection(const File& file, const Elf64_Shdr& section, std::string& bytes) {
  if (section.sh_type == SHT_NOBITS || section.sh_size > kLargestSection) return false;
  bytes.assign(size_t(section.sh_size), '\0');
  return file.readAt(section.sh_offset, bytes.data(), section.sh_size);
}

}  // namespace

namespace CFBundleEmbeddedInfo {

std::string read(const std::string& programPath) {
  const File file(programPath);
  Elf64_Ehdr header;
  if (!file.readAt(0, &header, sizeof header) || memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
      header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_shoff == 0 ||
      header.e_shentsize != sizeof(Elf64_Shdr)) {
    return {};
  }
  // Counts too large for the header's fields live in the first section header.
  Elf64_Shdr first;
  if (!readSectionHeader(file, header, 0, first)) return {};
  const uint64_t count = header.e_shnum != 0 ? header.e_shnum : first.sh_size;
  const uint64_t namesIndex = header.e_shstrndx != SHN_XINDEX ? header.e_shstrndx : first.sh_link;
  Elf64_Shdr namesSection;
  std::string names;
  if (namesIndex >= count || !readSectionHeader(file, header, namesIndex, namesSection) ||
      !readSection(file, namesSection, names)) {
    return {};
  }
  const std::string wanted("__info_plist");
  for (uint64_t index = 1; index < count; ++index) {
    Elf64_Shdr section;
    if (!readSectionHeader(file, header, index, section)) return {};
    if (section.sh_name >= names.size() ||
        names.compare(section.sh_name, wanted.size() + 1, wanted.c_str(), wanted.size() + 1) != 0) {
      continue;
    }
    std::string bytes;
    if (!readSection(file, section, bytes)) return {};
    while (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
    return bytes;
  }
  return {};
}

}  // namespace CFBundleEmbeddedInfo
