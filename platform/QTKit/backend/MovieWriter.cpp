#include "MovieWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace QTKitBackend {

namespace {

constexpr uint32_t kTimeScale = 600;
constexpr uint64_t kMediaDataStart = 20 + 8;  // after 'ftyp' and the media data's header

// Big-endian atoms built in memory.
class Atom {
 public:
  explicit Atom(const char type[5]) { u32(0), bytes(type, 4); }
  Atom& u8(uint8_t v) { return bytes(&v, 1); }
  Atom& u16(uint16_t v) { return u8(uint8_t(v >> 8)).u8(uint8_t(v)); }
  Atom& u32(uint32_t v) { return u16(uint16_t(v >> 16)).u16(uint16_t(v)); }
  Atom& zeros(size_t count) {
    mData.insert(mData.end(), count, 0);
    return *this;
  }
  Atom& bytes(const void* data, size_t count) {
    mData.insert(mData.end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + count);
    return *this;
  }
  Atom& child(const Atom& atom) {
    const std::vector<uint8_t> inner = atom.data();
    return bytes(inner.data(), inner.size());
  }
  // The unity matrix of movie and track headers.
  Atom& matrix() {
    return u32(0x10000).u32(0).u32(0).u32(0).u32(0x10000).u32(0).u32(0).u32(0).u32(0x40000000);
  }
  std::vector<uint8_t> data() const {
    std::vector<uint8_t> out = mData;
    const uint32_t size = uint32_t(out.size());
    out[0] = uint8_t(size >> 24), out[1] = uint8_t(size >> 16), out[2] = uint8_t(size >> 8),
    out[3] = uint8_t(size);
    return out;
  }

 private:
  std::vector<uint8_t> mData;
};

}  // namespace

MovieWriter::~MovieWriter() {
  if (mFile) finish();
}

bool MovieWriter::open(const std::string& path, double frameRate) {
  // A file of our own or an empty one (a name claimed for the movie) is written; one with
  // something in it is never overwritten.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  struct stat status {};
  if (fd < 0) return false;
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size != 0 ||
      !(mFile = fdopen(fd, "wb"))) {
    ::close(fd);
    return false;
  }
  mFrameRate = frameRate > 0 ? frameRate : 30.0;
  const std::vector<uint8_t> header = Atom("ftyp").bytes("qt  ", 4).u32(0x200).bytes("qt  ", 4).data();
  const uint8_t mediaData[8] = {0, 0, 0, 8, 'm', 'd', 'a', 't'};
  if (std::fwrite(header.data(), 1, header.size(), mFile) != header.size() ||
      std::fwrite(mediaData, 1, 8, mFile) != 8) {
    std::fclose(mFile);
    mFile = nullptr;
    return false;
  }
  mEnd = kMediaDataStart;
  return true;
}

bool MovieWriter::append(CVPixelBufferRef frame) {
  if (!mFile || CVPixelBufferGetPixelFormatType(frame) != kCVPixelFormatType_422YpCbCr8) return false;
  const uint32_t width = uint32_t(CVPixelBufferGetWidth(frame)),
                 height = uint32_t(CVPixelBufferGetHeight(frame));
  if (mOffsets.empty()) {
    mWidth = width;
    mHeight = height;
  }
  const uint64_t size = uint64_t(width) * height * 2;
  if (width != mWidth || height != mHeight || mEnd + size > std::numeric_limits<uint32_t>::max())
    return false;
  if (CVPixelBufferLockBaseAddress(frame, kCVPixelBufferLock_ReadOnly) != kCVReturnSuccess) return false;
  const auto* base = static_cast<const uint8_t*>(CVPixelBufferGetBaseAddress(frame));
  bool written = true;
  for (uint32_t y = 0; y < height && written; ++y)
    written =
        std::fwrite(base + y * CVPixelBufferGetBytesPerRow(frame), 1, size_t(width) * 2, mFile) == width * 2u;
  CVPixelBufferUnlockBaseAddress(frame, kCVPixelBufferLock_ReadOnly);
  if (!written) return false;
  mOffsets.push_back(uint32_t(mEnd));
  mEnd += size;
  return true;
}

bool MovieWriter::finish() {
  if (!mFile) return false;
  const uint32_t frameDuration = uint32_t(std::lround(kTimeScale / mFrameRate));
  const uint32_t duration = frameDuration * uint32_t(mOffsets.size());
  const uint32_t count = uint32_t(mOffsets.size());

  Atom description("stsd");
  Atom entry("2vuy");
  entry.zeros(6).u16(1).u16(0).u16(0).u32(0).u32(0).u32(0).u16(uint16_t(mWidth)).u16(uint16_t(mHeight));
  entry.u32(0x00480000).u32(0x00480000).u32(0).u16(1);
  char compressor[32] = {};
  const char* name = "Component Video";
  compressor[0] = char(std::strlen(name));
  std::memcpy(compressor + 1, name, std::strlen(name));
  entry.bytes(compressor, 32).u16(24).u16(0xFFFF);
  description.u32(0).u32(1).child(entry);

  Atom offsets("stco");
  offsets.u32(0).u32(count);
  for (uint32_t offset : mOffsets) offsets.u32(offset);
  Atom table("stbl");
  table.child(description)
      .child(Atom("stts").u32(0).u32(1).u32(count).u32(frameDuration))
      .child(Atom("stsc").u32(0).u32(1).u32(1).u32(1).u32(1))
      .child(Atom("stsz").u32(0).u32(mWidth * mHeight * 2).u32(count))
      .child(offsets);
  Atom reference("dref");
  reference.u32(0).u32(1).child(Atom("alis").u32(1));
  Atom media("minf");
  media.child(Atom("vmhd").u32(1).u16(0x40).u16(0x8000).u16(0x8000).u16(0x8000))
      .child(Atom("hdlr").u32(0).bytes("dhlr", 4).bytes("alis", 4).u32(0).u32(0).u32(0).u8(0))
      .child(Atom("dinf").child(reference))
      .child(table);
  Atom mediaAtom("mdia");
  mediaAtom.child(Atom("mdhd").u32(0).u32(0).u32(0).u32(kTimeScale).u32(duration).u16(0).u16(0))
      .child(Atom("hdlr").u32(0).bytes("mhlr", 4).bytes("vide", 4).u32(0).u32(0).u32(0).u8(0))
      .child(media);
  Atom track("trak");
  track
      .child(Atom("tkhd")
                 .u32(0xF)
                 .u32(0)
                 .u32(0)
                 .u32(1)
                 .u32(0)
                 .u32(duration)
                 .zeros(8)
                 .u16(0)
                 .u16(0)
                 .u16(0)
                 .u16(0)
                 .matrix()
                 .u32(mWidth << 16)
                 .u32(mHeight << 16))
      .child(mediaAtom);
  Atom movie("moov");
  movie
      .child(Atom("mvhd")
                 .u32(0)
                 .u32(0)
                 .u32(0)
                 .u32(kTimeScale)
                 .u32(duration)
                 .u32(0x10000)
                 .u16(0x100)
                 .zeros(10)
                 .matrix()
                 .zeros(24)
                 .u32(2))
      .child(track);

  const std::vector<uint8_t> header = movie.data();
  bool done = std::fwrite(header.data(), 1, header.size(), mFile) == header.size();
  // The media data's size, now known.
  const uint32_t mediaSize = uint32_t(mEnd - kMediaDataStart + 8);
  const uint8_t size[4] = {uint8_t(mediaSize >> 24), uint8_t(mediaSize >> 16), uint8_t(mediaSize >> 8),
                           uint8_t(mediaSize)};
  done = done && std::fseek(mFile, long(kMediaDataStart - 8), SEEK_SET) == 0 &&
         std::fwrite(size, 1, 4, mFile) == 4;
  done = (std::fclose(mFile) == 0) && done;
  mFile = nullptr;
  return done;
}

}  // namespace QTKitBackend
