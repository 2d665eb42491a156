// The property maps of the eleven objects: which table answers each question, what rows that
// are listed but not supported answer, and the lists of owned objects.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "CFAudioServerObjectIDs.h"
#include "CFPropertyMapTables.h"
#include "NQCFAudioServerObject.h"

using namespace NQCFAudioServer;

namespace {

UInt32 Code(const char* text) {
  return (UInt32(UInt8(text[0])) << 24) | (UInt32(UInt8(text[1])) << 16) | (UInt32(UInt8(text[2])) << 8) |
         UInt32(UInt8(text[3]));
}

AudioObjectPropertyAddress Address(const char* selector) {
  return {Code(selector), kAudioObjectPropertyScopeGlobal, kAudioObjectPropertyElementMain};
}

struct Answer {
  bool has = false;
  OSStatus settableStatus = 1;
  Boolean settable = 2;
  OSStatus sizeStatus = 1;
  UInt32 size = 99;
  OSStatus dataStatus = 1;
  UInt32 dataSize = 99;
  SInt64 value = 0;
};

Answer Ask(const Object& object, const char* selector) {
  Answer answer;
  const AudioObjectPropertyAddress address = Address(selector);
  answer.has = object.HasProperty(address);
  object.IsPropertySettable(answer.settableStatus, address, &answer.settable);
  object.GetPropertyDataSize(answer.sizeStatus, address, 0, nullptr, &answer.size);
  object.GetPropertyData(object.ObjectID(), answer.dataStatus, address, 0, nullptr, 8, &answer.dataSize,
                         &answer.value);
  return answer;
}

TEST(CFPropertyMap, RowsListedButNotSupportedAnswerAsAbsent) {
  const PlugIn plugIn;
  const Answer name = Ask(plugIn, "lnam");
  EXPECT_FALSE(name.has);
  EXPECT_EQ(name.sizeStatus, 0);
  EXPECT_EQ(name.size, 0u);
  EXPECT_EQ(name.dataStatus, kAudioHardwareUnknownPropertyError);
  EXPECT_EQ(name.dataSize, 0u);

  // A selector no table lists leaves the caller's status alone.
  const Answer unlisted = Ask(plugIn, "zzzz");
  EXPECT_FALSE(unlisted.has);
  EXPECT_EQ(unlisted.settableStatus, 1);
  EXPECT_EQ(unlisted.sizeStatus, 1);
  EXPECT_EQ(unlisted.dataStatus, kAudioHardwareUnknownPropertyError);
}

TEST(CFPropertyMap, TheFirstRowOfTheFirstTableAnswersAndTheLastTableSizes) {
  struct Case {
    const char* what;
    Answer answer;
    bool has;
    Boolean settable;
    UInt32 size;
    SInt64 value;
  };
  const PlugIn plugIn;
  const Device device;
  const Stream input(kObjectID_Stream_Input, AudioServerInputStream_PropertyMap);
  const Stream output(kObjectID_Stream_Output, AudioServerOutputStream_PropertyMap);
  const ControlVolume inputVolume(kObjectID_Volume_Input_Master, AudioServerControlVolumeInput_PropertyMap);
  const ControlData inputSource(kObjectID_DataSource_Input_Master);
  const ControlData outputSource(kObjectID_DataSource_Output_Master);
  const ControlMute outputMute(kObjectID_Mute_Output_Master, AudioServerControlMuteOutput_PropertyMap);
  const Case cases[] = {
      {"plug-in rsrc: the first of its two rows", Ask(plugIn, "rsrc"), true, false, 8, 0},
      {"device clkd: the first of its two rows", Ask(device, "clkd"), true, false, 4, 0},
      {"input stream direction from the second table", Ask(input, "sdir"), true, false, 4, 1},
      {"output stream direction", Ask(output, "sdir"), true, false, 4, 0},
      {"output stream terminal", Ask(output, "term"), true, false, 4, SInt64(FOUR_CHAR_CODE("spkr"))},
      {"input volume scalar: size from both tables", Ask(inputVolume, "lcsv"), true, true, 4, 0},
      {"input data source scope", Ask(inputSource, "cscp"), true, false, 4, 0},
      {"output data source scope", Ask(outputSource, "cscp"), true, false, 4, 0},
      {"output mute value, settable", Ask(outputMute, "bcvl"), true, true, 4, 0},
      {"device class", Ask(device, "clas"), true, false, 4, SInt64(FOUR_CHAR_CODE("adev"))},
      {"device sample rate, settable", Ask(device, "nsrt"), true, true, 8, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.answer.has, c.has);
    EXPECT_EQ(c.answer.settable, c.settable);
    EXPECT_EQ(c.answer.size, c.size);
    if (c.size <= 4) {
      EXPECT_EQ(c.answer.dataStatus, 0);
      EXPECT_EQ(c.answer.value & 0xFFFFFFFF, c.value);
    }
  }
}

TEST(CFPropertyMap, ConstantStringsComeOutOfTheirRows) {
  const Box box;
  for (const auto& [selector, text] : {std::pair{"lmod", "Model Name"}, std::pair{"snum", "000-000-000"},
                                       std::pair{"fwvn", "1.000"}, std::pair{"lmak", "Manufacturer"}}) {
    const Answer answer = Ask(box, selector);
    ASSERT_EQ(answer.dataStatus, 0) << selector;
    CFStringRef string = nullptr;
    std::memcpy(&string, &answer.value, sizeof string);
    char buffer[64] = "";
    CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8);
    EXPECT_STREQ(buffer, text);
  }
}

TEST(CFPropertyMap, ObjectsThatOwnNothingAnswerAnEmptyList) {
  const Box box;
  const Stream stream(kObjectID_Stream_Input, AudioServerInputStream_PropertyMap);
  const ControlMute mute(kObjectID_Mute_Input_Master, AudioServerControlMuteInput_PropertyMap);
  const ControlData source(kObjectID_DataSource_Input_Master);
  for (const Object* object : std::initializer_list<const Object*>{&box, &stream, &mute, &source}) {
    const Answer owned = Ask(*object, "ownd");
    SCOPED_TRACE(object->ClassName());
    EXPECT_TRUE(owned.has);
    EXPECT_EQ(owned.size, 0u);
    EXPECT_EQ(owned.dataStatus, 0);
    EXPECT_EQ(owned.dataSize, 0u);
  }
}

TEST(CFPropertyMap, AnswersOnlyForItsOwnObjectAndABufferThatHoldsTheRow) {
  const Device device;
  OSStatus status = 1;
  UInt32 size = 99;
  SInt64 value = 0;
  device.GetPropertyData(kObjectID_Box, status, Address("clas"), 0, nullptr, 8, &size, &value);
  EXPECT_EQ(status, 1) << "another object's id is answered with nothing";
  device.GetPropertyData(kObjectID_Device, status, Address("clas"), 0, nullptr, 2, &size, &value);
  EXPECT_EQ(status, kAudioHardwareUnknownPropertyError);
  EXPECT_EQ(size, 0u);
  // A row larger than a value field belongs to a handler, never to the map.
  device.GetPropertyData(kObjectID_Device, status, Address("ctrl"), 0, nullptr, 64, &size, &value);
  EXPECT_EQ(status, kAudioHardwareUnknownPropertyError);
}

TEST(CFPropertyMap, NamesSelectorsForLogs) {
  EXPECT_STREQ(CFPropertyMap::CStringFromSelector(FOUR_CHAR_CODE("nsrt")),
               "kAudioDevicePropertyNominalSampleRate");
  EXPECT_STREQ(CFPropertyMap::CStringFromSelector(FOUR_CHAR_CODE("taps")), "kAudioObjectSelector_taps");
  EXPECT_STREQ(CFPropertyMap::CStringFromSelector(FOUR_CHAR_CODE("zzzz")), "unknown");
  EXPECT_STREQ(LogNameOfObjectID(kObjectID_Stream_Output).text, "StreamOut");
  EXPECT_STREQ(LogNameOfObjectID(12).text, "[ObjectID:0000000c]");
}

}  // namespace
