#include <CoreFoundation/CFBundle.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <fstream>
#include <map>
#include <sstream>

#include "BundleTestSupport.h"
#include "ChildProcess.h"
#include "TemporaryRoot.h"

using namespace bundletest;
namespace fs = std::filesystem;

namespace {

const std::string kPlugIn = testBundlesPath() + "/TestPlugIn.plugin";
const std::string kFramework = testBundlesPath() + "/TestKit.framework";

RefPtr<__CFBundle> bundleAt(const std::string& path) { return adopt(CFBundleCreate(nullptr, urlFor(path).get())); }

std::string text(CFTypeRef string) {
  if (!string || CFGetTypeID(string) != CFStringGetTypeID()) return "(null)";
  char buffer[512];
  return CFStringGetCString(static_cast<CFStringRef>(string), buffer, sizeof buffer, kCFStringEncodingUTF8) ? buffer
                                                                                                            : "(bad)";
}

bool mapsContain(const std::string& path) {
  return moxicam::test::readFile("/proc/self/maps").find(path) != std::string::npos;
}

const char* kFlatInfo = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>CFBundleIdentifier</key><string>com.quillfen.test.Flat</string>
</dict></plist>
)";

TEST(CFBundle, ReadsTheInfoPlistAndLaysOutAContentsBundle) {
  RefPtr<__CFBundle> bundle = bundleAt(kPlugIn);
  ASSERT_TRUE(bundle);
  EXPECT_EQ(CFGetTypeID(bundle.get()), CFBundleGetTypeID());
  EXPECT_EQ(text(CFBundleGetIdentifier(bundle.get())), "com.quillfen.test.TestPlugIn");
  EXPECT_EQ(text(CFBundleGetValueForInfoDictionaryKey(bundle.get(), CFSTR("CFBundleName"))), "TestPlugIn");
  EXPECT_EQ(CFBundleGetValueForInfoDictionaryKey(bundle.get(), CFSTR("NoSuchKey")), nullptr);

  const std::map<std::string, std::string> expected = {
      {"bundle", kPlugIn},
      {"executable", kPlugIn + "/Contents/MacOS/TestPlugIn"},
      {"resources", kPlugIn + "/Contents/Resources"},
      {"plugins", kPlugIn + "/Contents/PlugIns"},
      {"frameworks", kPlugIn + "/Contents/Frameworks"},
      {"sharedFrameworks", kPlugIn + "/Contents/SharedFrameworks"},
      {"sharedSupport", kPlugIn + "/Contents/SharedSupport"},
      {"supportFiles", kPlugIn + "/Contents"},
  };
  const std::map<std::string, std::string> actual = {
      {"bundle", takePath(CFBundleCopyBundleURL(bundle.get()))},
      {"executable", takePath(CFBundleCopyExecutableURL(bundle.get()))},
      {"resources", takePath(CFBundleCopyResourcesDirectoryURL(bundle.get()))},
      {"plugins", takePath(CFBundleCopyBuiltInPlugInsURL(bundle.get()))},
      {"frameworks", takePath(CFBundleCopyPrivateFrameworksURL(bundle.get()))},
      {"sharedFrameworks", takePath(CFBundleCopySharedFrameworksURL(bundle.get()))},
      {"sharedSupport", takePath(CFBundleCopySharedSupportURL(bundle.get()))},
      {"supportFiles", takePath(CFBundleCopySupportFilesDirectoryURL(bundle.get()))},
  };
  EXPECT_EQ(actual, expected);
}

TEST(CFBundle, OneFolderIsOneBundleWhileItLives) {
  moxicam::test::TemporaryRoot root;
  const std::string folder = fs::path(root.writeFile("Flat.bundle/Info.plist", kFlatInfo)).parent_path().string();
  RefPtr<__CFBundle> first = bundleAt(folder);
  RefPtr<__CFBundle> second = bundleAt(folder + "/");
  RefPtr<__CFBundle> third = bundleAt(folder + "/../Flat.bundle");
  ASSERT_TRUE(first);
  EXPECT_EQ(first.get(), second.get());
  EXPECT_EQ(first.get(), third.get());
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.quillfen.test.Flat")), first.get());

  first = nullptr;
  second = nullptr;
  third = nullptr;
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.quillfen.test.Flat")), nullptr);
  RefPtr<__CFBundle> again = bundleAt(folder);
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.quillfen.test.Flat")), again.get());
}

// Threads that make and drop the same bundle at once must always get one live object, even
// while another thread's last release is taking the old one away.
TEST(CFBundle, StaysUniqueWhileThreadsMakeAndDropIt) {
  moxicam::test::TemporaryRoot root;
  const std::string folder = fs::path(root.writeFile("Busy.bundle/Info.plist", kFlatInfo)).parent_path().string();
  RefPtr<const __CFURL> url = urlFor(folder);
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 2000; ++i) {
        CFBundleRef bundle = CFBundleCreate(nullptr, url.get());
        if (!bundle || CFGetTypeID(bundle) != CFBundleGetTypeID() || !CFBundleGetIdentifier(bundle)) ++failures;
        if (bundle) CFRelease(bundle);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.quillfen.test.Flat")), nullptr);
}

TEST(CFBundle, AnswersNothingForWhatIsNotABundle) {
  moxicam::test::TemporaryRoot root;
  const std::string file = root.writeFile("plain.txt", "text");
  EXPECT_FALSE(bundleAt(root.path() + "/Missing.bundle"));
  EXPECT_FALSE(bundleAt(file));
  EXPECT_EQ(CFBundleCreate(nullptr, nullptr), nullptr);
  EXPECT_EQ(CFBundleCreate(nullptr, reinterpret_cast<CFURLRef>(CFSTR("/tmp"))), nullptr);
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("com.quillfen.test.NoSuchBundle")), nullptr);

  EXPECT_EQ(CFBundleGetIdentifier(nullptr), nullptr);
  EXPECT_EQ(CFBundleCopyBundleURL(nullptr), nullptr);
  EXPECT_EQ(CFBundleCopyResourceURL(nullptr, CFSTR("Greeting"), CFSTR("txt"), nullptr), nullptr);
  EXPECT_FALSE(CFBundleLoadExecutable(nullptr));
  EXPECT_EQ(CFBundleGetFunctionPointerForName(nullptr, CFSTR("main")), nullptr);
}

TEST(CFBundle, FindsResourcesByNameTypeAndSubfolder) {
  RefPtr<__CFBundle> bundle = bundleAt(kPlugIn);
  ASSERT_TRUE(bundle);
  const std::string resources = kPlugIn + "/Contents/Resources";
  struct Case {
    CFStringRef name, type, subfolder;
    std::string expected;
  };
  const Case cases[] = {
      {CFSTR("Greeting"), CFSTR("txt"), nullptr, resources + "/Greeting.txt"},
      {CFSTR("Greeting"), CFSTR(".txt"), nullptr, resources + "/Greeting.txt"},
      {CFSTR("Greeting.txt"), nullptr, nullptr, resources + "/Greeting.txt"},
      {CFSTR("Greeting.txt"), CFSTR(""), nullptr, resources + "/Greeting.txt"},
      {CFSTR("Nested"), CFSTR("txt"), CFSTR("Texts"), resources + "/Texts/Nested.txt"},
      {CFSTR("Texts"), nullptr, nullptr, resources + "/Texts"},
      {CFSTR("Nested"), CFSTR("txt"), nullptr, "(null)"},
      {CFSTR("greeting"), CFSTR("txt"), nullptr, "(null)"},
      {CFSTR("Mask"), CFSTR("png"), nullptr, "(null)"},
      {nullptr, CFSTR("txt"), nullptr, "(null)"},
      // Names never reach outside the bundle's resources, even where a file lies there.
      {CFSTR("../Info"), CFSTR("plist"), nullptr, "(null)"},
      {CFSTR("Info"), CFSTR("plist"), CFSTR(".."), "(null)"},
      {CFSTR("Greeting"), CFSTR("txt"), CFSTR("Texts/../.."), "(null)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(takePath(CFBundleCopyResourceURL(bundle.get(), c.name, c.type, c.subfolder)), c.expected)
        << text(c.name) << " / " << text(c.type) << " / " << text(c.subfolder);
  }
}

TEST(CFBundle, ListsResourcesOfATypeInNameOrder) {
  RefPtr<__CFBundle> bundle = bundleAt(kPlugIn);
  ASSERT_TRUE(bundle);
  auto listed = [&](CFStringRef type, CFStringRef subfolder) {
    std::vector<std::string> names;
    RefPtr<const __CFArray> urls = adopt(CFBundleCopyResourceURLsOfType(bundle.get(), type, subfolder));
    for (CFIndex i = 0; urls && i < CFArrayGetCount(urls.get()); ++i) {
      names.push_back(fs::path(pathOf(static_cast<CFURLRef>(CFArrayGetValueAtIndex(urls.get(), i)))).filename());
    }
    return names;
  };
  EXPECT_EQ(listed(CFSTR("txt"), nullptr), (std::vector<std::string>{"Farewell.txt", "Greeting.txt"}));
  EXPECT_EQ(listed(nullptr, nullptr), (std::vector<std::string>{"Farewell.txt", "Greeting.txt", "Mask.pdf", "Texts"}));
  EXPECT_EQ(listed(CFSTR("txt"), CFSTR("Texts")), (std::vector<std::string>{"Nested.txt"}));
  EXPECT_EQ(listed(CFSTR("png"), nullptr), (std::vector<std::string>{}));
  EXPECT_EQ(listed(CFSTR("txt"), CFSTR("NoSuchFolder")), (std::vector<std::string>{}));
  EXPECT_EQ(listed(CFSTR("plist"), CFSTR("..")), (std::vector<std::string>{}));
}

TEST(CFBundle, LoadsAFrameworkFoundByPathAndUnloadsIt) {
  RefPtr<__CFBundle> framework = bundleAt(kFramework);
  ASSERT_TRUE(framework);
  EXPECT_EQ(takePath(CFBundleCopyExecutableURL(framework.get())), kFramework + "/TestKit");
  EXPECT_EQ(takePath(CFBundleCopyResourcesDirectoryURL(framework.get())), kFramework + "/Resources");
  EXPECT_EQ(CFBundleGetIdentifier(framework.get()), nullptr);
  EXPECT_FALSE(CFBundleIsExecutableLoaded(framework.get()));

  // Looking a symbol up loads the executable first.
  auto answer = reinterpret_cast<int (*)()>(CFBundleGetFunctionPointerForName(framework.get(), CFSTR("TestKitAnswer")));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_TRUE(CFBundleIsExecutableLoaded(framework.get()));
  auto name = static_cast<const char*>(CFBundleGetDataPointerForName(framework.get(), CFSTR("TestKitName")));
  ASSERT_NE(name, nullptr);
  EXPECT_STREQ(name, "TestKit");
  EXPECT_EQ(CFBundleGetFunctionPointerForName(framework.get(), CFSTR("NoSuchFunction")), nullptr);
  EXPECT_TRUE(mapsContain("TestKit.framework"));

  CFBundleUnloadExecutable(framework.get());
  EXPECT_FALSE(CFBundleIsExecutableLoaded(framework.get()));
  EXPECT_FALSE(mapsContain("TestKit.framework"));
  EXPECT_TRUE(CFBundleLoadExecutable(framework.get()));
  CFBundleUnloadExecutable(framework.get());
}

TEST(CFBundle, ReportsWhyAnExecutableCannotBeLoaded) {
  moxicam::test::TemporaryRoot root;
  root.writeFile("Empty.plugin/Contents/Resources/readme.txt", "no code here");
  root.writeFile("Broken.plugin/Contents/MacOS/Broken", "this is not an ELF object");
  struct Case {
    std::string bundle;
    CFIndex code;
  };
  for (const Case& c : {Case{"Empty.plugin", 4}, Case{"Broken.plugin", 3587}}) {
    RefPtr<__CFBundle> bundle = bundleAt(root.path() + "/" + c.bundle);
    ASSERT_TRUE(bundle) << c.bundle;
    CFErrorRef error = nullptr;
    EXPECT_FALSE(CFBundleLoadExecutableAndReturnError(bundle.get(), &error)) << c.bundle;
    RefPtr<__CFError> owned = adopt(error);
    ASSERT_TRUE(owned) << c.bundle;
    EXPECT_EQ(text(CFErrorGetDomain(error)), "NSCocoaErrorDomain");
    EXPECT_EQ(CFErrorGetCode(error), c.code) << c.bundle;
    EXPECT_FALSE(CFBundleIsExecutableLoaded(bundle.get()));
    EXPECT_EQ(CFBundleGetFunctionPointerForName(bundle.get(), CFSTR("main")), nullptr);
  }
}

std::map<std::string, std::string> probe(const std::string& program) {
  moxicam::test::ChildResult result = moxicam::test::runChild(program, {});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  std::map<std::string, std::string> values;
  std::istringstream lines(result.out);
  for (std::string line; std::getline(lines, line);) {
    size_t equals = line.find('=');
    if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return values;
}

TEST(CFBundle, MainBundleIsTheProgramsFolderOutsideAnApp) {
  const std::string program = testBundlesPath() + "/BundleProbe";
  std::map<std::string, std::string> values = probe(program);
  EXPECT_EQ(values["identifier"], "(null)");
  EXPECT_EQ(values["bundle"], testBundlesPath());
  EXPECT_EQ(values["executable"], program);
  EXPECT_EQ(values["resource"], "(null)");
}

TEST(CFBundle, MainBundleIsTheEnclosingApp) {
  moxicam::test::TemporaryRoot root;
  const std::string app = root.path() + "/Probe.app";
  root.writeFile("Probe.app/Contents/Info.plist", R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>CFBundleIdentifier</key><string>com.quillfen.test.Probe</string>
<key>CFBundleExecutable</key><string>Probe</string>
</dict></plist>
)");
  root.writeFile("Probe.app/Contents/Resources/Greeting.txt", "hello");
  fs::create_directories(app + "/Contents/MacOS");
  fs::copy_file(testBundlesPath() + "/BundleProbe", app + "/Contents/MacOS/Probe");
  fs::permissions(app + "/Contents/MacOS/Probe", fs::perms::owner_all);

  std::map<std::string, std::string> values = probe(app + "/Contents/MacOS/Probe");
  EXPECT_EQ(values["identifier"], "com.quillfen.test.Probe");
  EXPECT_EQ(values["bundle"], app);
  EXPECT_EQ(values["executable"], app + "/Contents/MacOS/Probe");
  EXPECT_EQ(values["resources"], app + "/Contents/Resources");
  EXPECT_EQ(values["resource"], app + "/Contents/Resources/Greeting.txt");
  EXPECT_EQ(values["foundByIdentifier"], "yes");
}

// A program outside any bundle describes itself with the Info.plist it embeds; the folder's
// Info.plist stands in only for a program that embeds none.
TEST(CFBundle, MainBundleOfAProgramOutsideAnAppReadsItsEmbeddedInfoFirst) {
  struct Case {
    const char* program;
    bool folderHasInfoPlist;
    const char* identifier;
  };
  const Case cases[] = {
      {"EmbeddedInfoBundleProbe", false, "com.quillfen.test.EmbeddedProbe"},
      {"EmbeddedInfoBundleProbe", true, "com.quillfen.test.EmbeddedProbe"},
      {"BundleProbe", true, "com.quillfen.test.FolderProbe"},
  };
  for (const Case& c : cases) {
    moxicam::test::TemporaryRoot root;
    if (c.folderHasInfoPlist) {
      root.writeFile("tool/Info.plist", R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>CFBundleIdentifier</key><string>com.quillfen.test.FolderProbe</string></dict></plist>
)");
    }
    const std::string program = root.path() + "/tool/" + c.program;
    fs::create_directories(root.path() + "/tool");
    fs::copy_file(testBundlesPath() + "/" + c.program, program);
    fs::permissions(program, fs::perms::owner_all);
    std::map<std::string, std::string> values = probe(program);
    EXPECT_EQ(values["identifier"], c.identifier) << c.program;
    EXPECT_EQ(values["foundByIdentifier"], "yes") << c.program;
    EXPECT_EQ(values["bundle"], root.path() + "/tool") << c.program;
  }
}

}  // namespace
