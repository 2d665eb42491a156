#include <OpenGL/OpenGL.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

using Attributes = std::vector<int>;

struct Choice {
  const char* name;
  Attributes attributes;  // without the terminating 0
  CGLError error;
  bool found;
};

class ChoosePixelFormat : public testing::TestWithParam<Choice> {};

TEST_P(ChoosePixelFormat, FindsWhatTheRendererOffers) {
  Attributes list = GetParam().attributes;
  list.push_back(0);
  CGLPixelFormatObj format = reinterpret_cast<CGLPixelFormatObj>(1);
  GLint count = -1;
  EXPECT_EQ(
      CGLChoosePixelFormat(reinterpret_cast<const CGLPixelFormatAttribute*>(list.data()), &format, &count),
      GetParam().error);
  EXPECT_EQ(format != nullptr, GetParam().found);
  EXPECT_EQ(count, GetParam().found ? 1 : 0);
  CGLReleasePixelFormat(format);
}

INSTANTIATE_TEST_SUITE_P(
    Attributes, ChoosePixelFormat,
    testing::Values(Choice{"Empty", {}, kCGLNoError, true},
                    // What the shared context asks for, with and without pixel buffers.
                    Choice{"SharedContext", {84, 1, 8, 24, 11, 8, 12, 16, 72, 5, 73, 76}, kCGLNoError, true},
                    Choice{"SharedContextWithPixelBuffers",
                           {84, 1, 8, 24, 11, 8, 12, 16, 72, 5, 73, 76, 90},
                           kCGLNoError,
                           true},
                    Choice{"StencilAndSamples", {13, 8, 55, 1, 56, 4, 59}, kCGLNoError, true},
                    Choice{"DepthTooDeep", {12, 64}, kCGLNoError, false},
                    Choice{"ColourTooWide", {8, 64}, kCGLNoError, false},
                    Choice{"Stereo", {6}, kCGLNoError, false},
                    Choice{"FloatColour", {58}, kCGLNoError, false},
                    Choice{"OtherDisplay", {84, 2}, kCGLNoError, false},
                    Choice{"UnknownAttribute", {5, 4242}, kCGLBadAttribute, false}),
    [](const testing::TestParamInfo<Choice>& info) { return info.param.name; });

TEST(PixelFormat, ChoosingNeedsSomewhereToAnswer) {
  const CGLPixelFormatAttribute none[] = {CGLPixelFormatAttribute(0)};
  GLint count = 0;
  CGLPixelFormatObj format = nullptr;
  EXPECT_EQ(CGLChoosePixelFormat(none, nullptr, &count), kCGLBadAddress);
  EXPECT_EQ(CGLChoosePixelFormat(none, &format, nullptr), kCGLBadAddress);
}

TEST(PixelFormat, DescribesWhatWasAskedAndWhatItHas) {
  const CGLPixelFormatAttribute attributes[] = {kCGLPFADepthSize, CGLPixelFormatAttribute(16),
                                                kCGLPFADoubleBuffer, CGLPixelFormatAttribute(0)};
  CGLPixelFormatObj format = nullptr;
  GLint count = 0;
  ASSERT_EQ(CGLChoosePixelFormat(attributes, &format, &count), kCGLNoError);
  ASSERT_NE(format, nullptr);
  const struct {
    CGLPixelFormatAttribute attribute;
    GLint value;
  } expected[] = {{kCGLPFADepthSize, 16},        {kCGLPFADoubleBuffer, 1}, {kCGLPFAStereo, 0},
                  {kCGLPFAColorSize, 32},        {kCGLPFAAlphaSize, 8},    {kCGLPFADisplayMask, 1},
                  {kCGLPFAVirtualScreenCount, 1}};
  for (const auto& e : expected) {
    GLint value = -1;
    EXPECT_EQ(CGLDescribePixelFormat(format, 0, e.attribute, &value), kCGLNoError);
    EXPECT_EQ(value, e.value) << "attribute " << e.attribute;
  }
  GLint value = 0;
  EXPECT_EQ(CGLDescribePixelFormat(format, 1, kCGLPFADepthSize, &value), kCGLBadValue);
  EXPECT_EQ(CGLDescribePixelFormat(format, 0, CGLPixelFormatAttribute(4242), &value), kCGLBadAttribute);
  EXPECT_EQ(CGLDescribePixelFormat(nullptr, 0, kCGLPFADepthSize, &value), kCGLBadPixelFormat);
  CGLReleasePixelFormat(format);
}

TEST(PixelFormat, LivesWhileReferenced) {
  CGLPixelFormatObj format = nullptr;
  GLint count = 0;
  const CGLPixelFormatAttribute none[] = {CGLPixelFormatAttribute(0)};
  ASSERT_EQ(CGLChoosePixelFormat(none, &format, &count), kCGLNoError);
  EXPECT_EQ(CGLRetainPixelFormat(format), format);
  EXPECT_EQ(CGLGetPixelFormatRetainCount(format), 2u);
  CGLContextObj ctx = nullptr;
  ASSERT_EQ(CGLCreateContext(format, nullptr, &ctx), kCGLNoError);
  EXPECT_EQ(CGLGetPixelFormat(ctx), format);
  EXPECT_EQ(CGLGetPixelFormatRetainCount(format), 3u);
  CGLReleaseContext(ctx);
  EXPECT_EQ(CGLGetPixelFormatRetainCount(format), 2u);
  EXPECT_EQ(CGLDestroyPixelFormat(format), kCGLNoError);
  CGLReleasePixelFormat(format);
  EXPECT_EQ(CGLDestroyPixelFormat(nullptr), kCGLBadPixelFormat);
}

}  // namespace
