#include "namespace_OpenGL_FlushFn.h"

#include <OpenGL/CGLDrawable.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CocoaOpenGLTestSupport.h"

const char* g_CoreMachDebug_LogPrefix = "FlushFnTest";
const char* g_CoreMachDebug_LogFileName = "FlushFnTest.log";

namespace {

struct FlushCase {
  int32_t mode;
  bool inFlush;
  const char* logLine;  // empty: none
  bool presents;        // the mode's GL call shows the drawable
};

class FlushFn : public cocoagltest::GLTest, public testing::WithParamInterface<FlushCase> {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    CGLContextObj shared = NSOGLSharingContext::defaultSharedContext()->CGLContextObj();
    // Counts presentations of a drawable of a context of its own, so as not to take the shared
    // context's drawable away.
    CGLCreateContext(CGLGetPixelFormat(shared), shared, &mContext);
    CGLSetCurrentContext(mContext);
    _CGLAttachDrawable(
        mContext, 2, 2, [](void* info, const void*, size_t, size_t, size_t) { ++*static_cast<int*>(info); },
        &mPresented);
  }
  void TearDown() override {
    CGLSetCurrentContext(nullptr);
    CGLReleaseContext(mContext);
    GLTest::TearDown();
  }
  CGLContextObj mContext = nullptr;
  int mPresented = 0;
};

TEST_P(FlushFn, LogsFlushesAndCallsTheBlockOnce) {
  const FlushCase& c = GetParam();
  std::vector<bool> blockCalls;
  ::FlushFn record{c.mode, [&](bool flag) { blockCalls.push_back(flag); }};
  OpenGL::FlushFn(&record, c.inFlush);
  EXPECT_EQ(blockCalls, std::vector<bool>{c.inFlush});
  EXPECT_EQ(log(), c.logLine);
  EXPECT_EQ(mPresented, c.presents ? 1 : 0);

  ::FlushFn withoutBlock{c.mode, nullptr};
  OpenGL::FlushFn(&withoutBlock, c.inFlush);
  EXPECT_EQ(mPresented, c.presents ? 2 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, FlushFn,
    testing::Values(
        FlushCase{-1, true, "namespace_OpenGL_FlushFn:OpenGL_Flush_WithBlock:in_flush:1\n", false},
        FlushCase{-1, false, "namespace_OpenGL_FlushFn:OpenGL_Flush_WithBlock:in_flush:0\n", false},
        FlushCase{0, true, "", false},
        FlushCase{1, true, "namespace_OpenGL_FlushFn:OpenGL_Flush_FlushApple:in_flush:1\n", false},
        FlushCase{2, false, "namespace_OpenGL_FlushFn:OpenGL_Flush_FlushGL:in_flush:0\n", false},
        FlushCase{3, true, "namespace_OpenGL_FlushFn:OpenGL_Flush_FinishApple:in_flush:1\n", false},
        FlushCase{4, true, "namespace_OpenGL_FlushFn:OpenGL_Flush_FinishGL:in_flush:1\n", false},
        FlushCase{5, true, "namespace_OpenGL_FlushFn:OpenGL_Flush_SwapApple:in_flush:1\n", true},
        FlushCase{6, true, "namespace_OpenGL_FlushFn:OpenGL_Flush_SwapGL:in_flush:1\n", true},
        FlushCase{6, false, "namespace_OpenGL_FlushFn:OpenGL_Flush_SwapGL:in_flush:0\n", false},
        FlushCase{7, true, "", false}, FlushCase{-2, true, "", false}));

TEST(FlushFnRecord, NullRecordDoesNothing) { OpenGL::FlushFn(nullptr, true); }

}  // namespace
