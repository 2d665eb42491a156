#include <Foundation/NSUserDefaults.h>

#include <cstdlib>
#include <string>

#include <Foundation/NSData.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSException.h>
#include <Foundation/NSValue.h>
#include <ChildProcess.h>
#include <TemporaryRoot.h>
#include <gtest/gtest.h>

namespace {

// Runs in a child copy of this program (see SettingsSurviveARestart): one run writes, the next reads.
TEST(UserDefaultsChild, WriteOrRead) {
  const char* phase = std::getenv("USER_DEFAULTS_PHASE");
  if (!phase) GTEST_SKIP() << "only run as a child";
  // Every test program runs under a HOME of its own: both runs take the parent's instead.
  setenv("HOME", std::getenv("USER_DEFAULTS_HOME"), 1);
  objc::AutoreleasePool pool;
  NSUserDefaults* defaults = NSUserDefaults::standardUserDefaults();
  if (std::string(phase) == "write") {
    defaults->setObject_forKey(NSSTR("Key & <Fill>"), NSSTR("title"));
    defaults->setDouble_forKey(0.5, NSSTR("threshold"));
    defaults->setObject_forKey(NSData::dataWithBytes_length("\x00\x01\x02", 3), NSSTR("archive"));
    defaults->setBool_forKey(true, NSSTR("cleared"));
    ASSERT_TRUE(defaults->synchronize());
    defaults->removeObjectForKey(NSSTR("cleared"));
    defaults->setInteger_forKey(42, NSSTR("unsynchronized"));  // written when the program exits
  } else {
    std::printf("title=%s threshold=%g archive=%lu cleared=%d unsynchronized=%ld\n",
                defaults->stringForKey(NSSTR("title"))->UTF8String(), defaults->doubleForKey(NSSTR("threshold")),
                static_cast<unsigned long>(defaults->dataForKey(NSSTR("archive"))->length()),
                defaults->objectForKey(NSSTR("cleared")) != nullptr, long(defaults->integerForKey(NSSTR("unsynchronized"))));
  }
}

TEST(UserDefaults, SettingsSurviveARestart) {
  moxicam::test::TemporaryRoot root;
  std::map<std::string, std::string> environment{{"USER_DEFAULTS_HOME", root.home()}};
  std::vector<std::string> arguments{"--gtest_filter=UserDefaultsChild.*"};
  environment["USER_DEFAULTS_PHASE"] = "write";
  auto written = moxicam::test::runChild("/proc/self/exe", arguments, environment);
  ASSERT_EQ(written.exitCode, 0) << written.out << written.err;
  environment["USER_DEFAULTS_PHASE"] = "read";
  auto read = moxicam::test::runChild("/proc/self/exe", arguments, environment);
  ASSERT_EQ(read.exitCode, 0) << read.out << read.err;
  EXPECT_NE(read.out.find("title=Key & <Fill> threshold=0.5 archive=3 cleared=0 unsynchronized=42"), std::string::npos)
      << read.out;

  // One file per application, a property list that other tools read.
  std::string folder = root.home() + "/Library/Preferences/";
  auto check = moxicam::test::runChild(
      "/usr/bin/python3",
      {"-c", "import plistlib,glob,sys; files=glob.glob(sys.argv[1]+'*.plist'); assert len(files)==1, files; "
             "d=plistlib.load(open(files[0],'rb')); print(sorted(d))",
       folder});
  EXPECT_EQ(check.exitCode, 0) << check.err << " signal " << check.signal << " timed out " << check.timedOut;
  EXPECT_NE(check.out.find("['archive', 'threshold', 'title', 'unsynchronized']"), std::string::npos) << check.out;
}

TEST(UserDefaults, RegisteredDefaultsAnswerUntilAValueIsSet) {
  moxicam::test::TemporaryRoot root;
  objc::AutoreleasePool pool;
  NSUserDefaults::resetStandardUserDefaults();
  NSUserDefaults* defaults = NSUserDefaults::standardUserDefaults();
  defaults->registerDefaults(NSDictionary::dictionaryWithObject_forKey(NSNumber::numberWithInt(30), NSSTR("rate")));
  EXPECT_EQ(defaults->integerForKey(NSSTR("rate")), 30);
  defaults->setInteger_forKey(60, NSSTR("rate"));
  EXPECT_EQ(defaults->integerForKey(NSSTR("rate")), 60);
  defaults->removeObjectForKey(NSSTR("rate"));
  EXPECT_EQ(defaults->integerForKey(NSSTR("rate")), 30);
  // Values are copies, and only property lists are accepted.
  NSMutableDictionary* settings = NSMutableDictionary::dictionary();
  defaults->setObject_forKey(settings, NSSTR("settings"));
  settings->setObject_forKey(NSSTR("late"), NSSTR("change"));
  EXPECT_EQ(defaults->dictionaryForKey(NSSTR("settings"))->count(), 0u);
  RefPtr<NSObject> notAPropertyList = adopt(new NSObject());
  EXPECT_THROW(defaults->setObject_forKey(notAPropertyList.get(), NSSTR("bad")), NSException::Raised);
  NSUserDefaults::resetStandardUserDefaults();
}

TEST(UserDefaults, AnUnreadableFileIsKeptAsideNotOverwritten) {
  moxicam::test::TemporaryRoot root;
  objc::AutoreleasePool pool;
  NSUserDefaults::resetStandardUserDefaults();
  std::string path = NSUserDefaults::standardUserDefaults()->path();
  NSUserDefaults::resetStandardUserDefaults();
  std::string folder = path.substr(0, path.rfind('/'));
  root.writeFile(path.substr(root.path().size() + 1), "not a property list");
  NSUserDefaults* defaults = NSUserDefaults::standardUserDefaults();
  EXPECT_EQ(defaults->objectForKey(NSSTR("anything")), nullptr);
  defaults->setBool_forKey(true, NSSTR("fresh"));
  EXPECT_TRUE(defaults->synchronize());
  EXPECT_EQ(moxicam::test::readFile(path + ".unreadable"), "not a property list");
  NSUserDefaults::resetStandardUserDefaults();
  EXPECT_TRUE(NSUserDefaults::standardUserDefaults()->boolForKey(NSSTR("fresh")));
  NSUserDefaults::resetStandardUserDefaults();
}

}  // namespace
