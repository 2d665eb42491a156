#include <Foundation/NSData.h>
#include <Foundation/NSError.h>
#include <Foundation/NSString.h>
#include <Foundation/NSURL.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "TemporaryRoot.h"

namespace {

std::string bytesOf(NSData* data) {
  return std::string(static_cast<const char*>(data->bytes()), data->length());
}

TEST(NSData, HoldsAndComparesBytes) {
  objc::AutoreleasePool pool;
  NSData* data = NSData::dataWithBytes_length("\x00\x01\x02\x03\x04\xFF", 6);
  EXPECT_EQ(data->length(), 6u);
  EXPECT_STREQ(data->description()->UTF8String(), "<00010203 04ff>");
  EXPECT_STREQ(NSData::data()->description()->UTF8String(), "<>");
  EXPECT_TRUE(data->isEqualToData(NSMutableData::dataWithData(data)));
  EXPECT_EQ(bytesOf(data->subdataWithRange(NSMakeRange(4, 2))), std::string("\x04\xFF", 2));
  EXPECT_EQ(data->subdataWithRange(NSMakeRange(5, 2)), nullptr);
  EXPECT_EQ(data->subdataWithRange(NSMakeRange(NSUInteger(-1), 2)), nullptr);
  char buffer[3] = {};
  data->getBytes_length(buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, 3), std::string("\x00\x01\x02", 3));
}

TEST(NSMutableData, GrowsAndReplacesInPlace) {
  objc::AutoreleasePool pool;
  NSMutableData* data = NSMutableData::dataWithLength(2);
  EXPECT_EQ(bytesOf(data), std::string(2, '\0'));
  data->appendBytes_length("abc", 3);
  data->replaceBytesInRange_withBytes(NSMakeRange(0, 2), "XY");
  EXPECT_EQ(bytesOf(data), "XYabc");
  data->replaceBytesInRange_withBytes_length(NSMakeRange(2, 3), "-", 1);
  EXPECT_EQ(bytesOf(data), "XY-");
  data->replaceBytesInRange_withBytes(NSMakeRange(4, 2), "zz");  // past the end: the data grows
  EXPECT_EQ(bytesOf(data), std::string("XY-\0zz", 6));
  data->resetBytesInRange(NSMakeRange(0, 1));
  EXPECT_EQ(static_cast<const char*>(data->bytes())[0], '\0');
  static_cast<char*>(data->mutableBytes())[1] = 'q';
  EXPECT_EQ(static_cast<const char*>(data->bytes())[1], 'q');
  data->setData(NSData::dataWithBytes_length("end", 3));
  EXPECT_EQ(bytesOf(data), "end");
  data->increaseLengthBy(1);
  EXPECT_EQ(data->length(), 4u);
  RefPtr<NSData> frozen = adopt(data->copy());
  data->setLength(0);
  EXPECT_EQ(frozen->length(), 4u);
}

TEST(NSData, WritesFilesWholeAndReadsThemBack) {
  objc::AutoreleasePool pool;
  moxicam::test::TemporaryRoot root;
  const std::string path = root.path() + "/frame.bin";
  NSString* file = NSString::stringWithUTF8String(path.c_str());
  root.writeFile("frame.bin", "old contents that are longer");

  NSData* data = NSData::dataWithBytes_length("new", 3);
  ASSERT_TRUE(data->writeToFile_atomically(file, true));
  EXPECT_EQ(moxicam::test::readFile(path), "new");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_NE(info.st_mode & S_IRGRP, 0u);  // an atomic write leaves the usual mode, not the temporary file's
  ASSERT_TRUE(NSData::dataWithBytes_length("x", 1)->writeToFile_atomically(file, false));
  EXPECT_EQ(bytesOf(NSData::dataWithContentsOfFile(file)), "x");
  EXPECT_EQ(bytesOf(NSData::dataWithContentsOfURL(NSURL::fileURLWithPath(file))), "x");

  NSError* error = nullptr;
  NSString* unwritable = NSString::stringWithUTF8String((root.path() + "/missing/folder/file").c_str());
  EXPECT_FALSE(data->writeToFile_options_error(unwritable, true, &error));
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->code(), ENOENT);
  EXPECT_EQ(NSData::dataWithContentsOfFile(unwritable), nullptr);
  EXPECT_EQ(NSData::dataWithContentsOfURL(NSURL::URLWithString(NSSTR("http://example.com/feed"))), nullptr);

  // A write that fails at the rename (the target is a folder) leaves no temporary file behind.
  ASSERT_EQ(::mkdir((root.path() + "/taken").c_str(), 0700), 0);
  EXPECT_FALSE(
      data->writeToFile_atomically(NSString::stringWithUTF8String((root.path() + "/taken").c_str()), true));
  for (const char* name : {"frame.bin", "taken"}) {
    DIR* folder = ::opendir(root.path().c_str());
    ASSERT_NE(folder, nullptr);
    while (dirent* entry = ::readdir(folder)) {
      std::string entryName = entry->d_name;
      EXPECT_NE(entryName.rfind(std::string(name) + ".", 0), 0u) << "left behind: " << entryName;
    }
    ::closedir(folder);
  }
}

}  // namespace
