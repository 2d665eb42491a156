#include <QuickTime/QuickTime.h>
#include <TemporaryRoot.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr OSType kTest = 'test';

class ComponentsTest : public ::testing::Test {
 protected:
  ComponentsTest() {
    mJournal = mRoot.root() + "/journal";
    setenv("TEST_COMPONENT_JOURNAL", mJournal.c_str(), 1);
  }
  ~ComponentsTest() override { unsetenv("TEST_COMPONENT_JOURNAL"); }

  // Registers the test component of that name through a link to it, as the user's
  // components folder holds one.
  OSErr registerThroughLink(const std::string& name) {
    const std::string link = mRoot.home() + "/Library/QuickTime/" + name + ".component";
    fs::create_directories(fs::path(link).parent_path());
    fs::create_symlink(std::string(TEST_COMPONENTS) + "/" + name + ".component", link);
    return registerPath(link);
  }
  OSErr registerPath(const std::string& path) {
    FSRef ref;
    if (FSPathMakeRef(reinterpret_cast<const UInt8*>(path.c_str()), &ref, nullptr) != noErr) return fnfErr;
    return RegisterComponentFileRef(&ref, 0);
  }
  Component find(OSType subType) {
    ComponentDescription looking{kTest, subType, 0, 0, 0};
    return FindNextComponent(nullptr, &looking);
  }
  // What the component noted, less its load: a repeated run finds it loaded already.
  std::string journal() const {
    std::ifstream file(mJournal);
    std::stringstream text;
    text << file.rdbuf();
    const std::string notes = text.str();
    return notes.rfind("load 0\n", 0) == 0 ? notes.substr(7) : notes;
  }

  moxicam::test::TemporaryRoot mRoot;
  std::string mJournal;
};

TEST_F(ComponentsTest, OpensAndClosesThroughTheEntry) {
  ASSERT_EQ(registerThroughLink("QuickTimeTestAccepting"), noErr);
  // Registering again keeps one registration.
  ASSERT_EQ(registerPath(std::string(TEST_COMPONENTS) + "/QuickTimeTestAccepting.component"), noErr);
  Component component = find('acpt');
  ASSERT_TRUE(component);
  ComponentDescription any{kTest, 'acpt', 0, 0, 0};
  EXPECT_EQ(FindNextComponent(component, &any), nullptr);

  ComponentInstance first = nullptr, second = nullptr;
  ASSERT_EQ(OpenAComponent(component, &first), noErr);
  ASSERT_EQ(OpenAComponent(component, &second), noErr);
  ASSERT_TRUE(first && second && first != second);
  EXPECT_EQ(CloseComponent(first), noErr);
  EXPECT_EQ(CloseComponent(first), OSErr(badComponentInstance));
  EXPECT_EQ(CloseComponent(second), noErr);
  char expected[256];
  snprintf(expected, sizeof expected, "open %lx\nopen %lx\nclose %lx\nclose %lx\n",
           long(reinterpret_cast<intptr_t>(first)), long(reinterpret_cast<intptr_t>(second)),
           long(reinterpret_cast<intptr_t>(first)), long(reinterpret_cast<intptr_t>(second)));
  EXPECT_EQ(journal(), expected);
}

TEST_F(ComponentsTest, ARefusedOpenGivesNoInstance) {
  ASSERT_EQ(registerThroughLink("QuickTimeTestRefusing"), noErr);
  ComponentInstance instance = reinterpret_cast<ComponentInstance>(1);
  EXPECT_EQ(OpenAComponent(find('rfse'), &instance), paramErr);
  EXPECT_EQ(instance, nullptr);
  EXPECT_EQ(journal(), "refuse ffffffffffffffff\n");
}

TEST_F(ComponentsTest, BadComponentsAreRefusedWithAReason) {
  ASSERT_EQ(registerThroughLink("QuickTimeTestMissing"), noErr);
  ComponentInstance instance = nullptr;
  EXPECT_EQ(OpenAComponent(find('miss'), &instance), componentDllEntryNotFoundErr);
  EXPECT_EQ(instance, nullptr);

  // A folder without an Info.plist is no component; one without a description is refused too.
  fs::create_directories(mRoot.root() + "/Plain.component/Contents");
  EXPECT_EQ(registerPath(mRoot.root() + "/Plain.component"), paramErr);
  fs::create_directories(mRoot.root() + "/Bare.component/Contents");
  std::ofstream(mRoot.root() + "/Bare.component/Contents/Info.plist")
      << "<plist><dict><key>ComponentType</key><string>toolong</string></dict></plist>";
  EXPECT_EQ(registerPath(mRoot.root() + "/Bare.component"), invalidComponentID);
  EXPECT_EQ(RegisterComponentFileRef(nullptr, 0), paramErr);
  EXPECT_EQ(OpenAComponent(reinterpret_cast<Component>(&instance), &instance), invalidComponentID);
  EXPECT_EQ(OpenAComponent(nullptr, nullptr), paramErr);
}

}  // namespace
