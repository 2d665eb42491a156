#pragma once
// A QuickTime movie of uncompressed 4:2:2 pictures ('2vuy'): the pictures go into the movie's
// media data as they come, and the movie's header (one video track, one picture per chunk)
// is written when the movie is finished. Pictures of another size than the first are left out.
#include <CoreVideo/CVPixelBuffer.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace QTKitBackend {

class MovieWriter {
 public:
  MovieWriter() = default;
  ~MovieWriter();
  MovieWriter(const MovieWriter&) = delete;
  MovieWriter& operator=(const MovieWriter&) = delete;

  // False when the file cannot be made or already holds something (it is left as it was).
  bool open(const std::string& path, double frameRate);
  // Appends a '2vuy' picture; false when it cannot be written (a full disk, a movie past
  // 4 GB, a picture of another format or size).
  bool append(CVPixelBufferRef frame);
  // Writes the header and closes the file; false when that fails.
  bool finish();
  bool isOpen() const { return mFile != nullptr; }
  size_t frameCount() const { return mOffsets.size(); }

 private:
  FILE* mFile = nullptr;
  double mFrameRate = 30.0;
  uint32_t mWidth = 0, mHeight = 0;
  std::vector<uint32_t> mOffsets;
  uint64_t mEnd = 0;
};

}  // namespace QTKitBackend
