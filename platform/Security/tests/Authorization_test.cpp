#include <Security/Security.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kSwitch = "MOXICAM_AUTHORIZATION";

// Sets the test switch for one scope (unset for null).
class SwitchSetting {
 public:
  explicit SwitchSetting(const char* value) {
    if (value) {
      setenv(kSwitch, value, 1);
    } else {
      unsetenv(kSwitch);
    }
  }
  ~SwitchSetting() { unsetenv(kSwitch); }
};

AuthorizationItem adminItem() { return AuthorizationItem{kAuthorizationRightExecute, 0, nullptr, 0}; }

constexpr AuthorizationFlags kAskFlags =
    kAuthorizationFlagInteractionAllowed | kAuthorizationFlagExtendRights | kAuthorizationFlagPreAuthorize;

OSStatus askForAdmin(AuthorizationRef authorization) {
  AuthorizationItem item = adminItem();
  AuthorizationRights rights{1, &item};
  return AuthorizationCopyRights(authorization, &rights, nullptr, kAskFlags, nullptr);
}

// Whether this process has no child left to wait for: a tool that was never started.
bool hasNoChildren() { return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

bool isProgram(const char* path) { return access(path, X_OK) == 0; }

struct SwitchCase {
  const char* value;
  OSStatus expected;
};

class AuthorizationSwitch : public testing::TestWithParam<SwitchCase> {};

TEST_P(AuthorizationSwitch, AnswersInPlaceOfTheUser) {
  SwitchSetting setting(GetParam().value);
  AuthorizationRef authorization = nullptr;
  ASSERT_EQ(AuthorizationCreate(nullptr, nullptr, kAuthorizationFlagDefaults, &authorization),
            errAuthorizationSuccess);
  EXPECT_EQ(askForAdmin(authorization), GetParam().expected);
  EXPECT_EQ(AuthorizationFree(authorization, kAuthorizationFlagDefaults), errAuthorizationSuccess);
}

INSTANTIATE_TEST_SUITE_P(Answers, AuthorizationSwitch,
                         testing::Values(SwitchCase{"granted", errAuthorizationSuccess},
                                         SwitchCase{"denied", errAuthorizationDenied},
                                         SwitchCase{"cancelled", errAuthorizationCanceled},
                                         SwitchCase{"yes please", errAuthorizationDenied}));

TEST(Authorization, CreateWithRightsAsksAtOnceAndHandsOutNothingWhenRefused) {
  SwitchSetting setting("cancelled");
  AuthorizationItem item = adminItem();
  AuthorizationRights rights{1, &item};
  AuthorizationRef authorization = reinterpret_cast<AuthorizationRef>(&item);
  EXPECT_EQ(AuthorizationCreate(&rights, nullptr, kAskFlags, &authorization), errAuthorizationCanceled);
  EXPECT_EQ(authorization, nullptr);
}

TEST(Authorization, RootHoldsTheAdministratorRightWithoutBeingAsked) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root";
  SwitchSetting setting(nullptr);
  AuthorizationItem item = adminItem();
  AuthorizationRights rights{1, &item};
  AuthorizationRef authorization = nullptr;
  ASSERT_EQ(AuthorizationCreate(nullptr, nullptr, kAuthorizationFlagDefaults, &authorization),
            errAuthorizationSuccess);
  EXPECT_EQ(AuthorizationCopyRights(authorization, &rights, nullptr, kAuthorizationFlagDefaults, nullptr),
            errAuthorizationSuccess);
  AuthorizationFree(authorization, kAuthorizationFlagDefaults);
}

TEST(Authorization, RefusesMalformedRequests) {
  SwitchSetting setting("granted");
  AuthorizationRef authorization = nullptr;
  ASSERT_EQ(AuthorizationCreate(nullptr, nullptr, kAuthorizationFlagDefaults, &authorization),
            errAuthorizationSuccess);
  AuthorizationItem admin = adminItem();
  AuthorizationItem unnamed{nullptr, 0, nullptr, 0};
  AuthorizationItem unknown{"system.privilege.taskport", 0, nullptr, 0};
  AuthorizationRights good{1, &admin};
  AuthorizationRights noItems{1, nullptr};
  AuthorizationRights noName{1, &unnamed};
  AuthorizationRights unknownRight{1, &unknown};
  int made = 0;
  AuthorizationRef madeUp = reinterpret_cast<AuthorizationRef>(&made);

  struct Case {
    const char* what;
    AuthorizationRef authorization;
    const AuthorizationRights* rights;
    AuthorizationFlags flags;
    OSStatus expected;
  };
  const Case cases[] = {
      {"null reference", nullptr, &good, kAskFlags, errAuthorizationInvalidRef},
      {"made-up reference", madeUp, &good, kAskFlags, errAuthorizationInvalidRef},
      {"null rights", authorization, nullptr, kAskFlags, errAuthorizationInvalidSet},
      {"items missing", authorization, &noItems, kAskFlags, errAuthorizationInvalidSet},
      {"item without a name", authorization, &noName, kAskFlags, errAuthorizationInvalidSet},
      {"unknown flag", authorization, &good, 1u << 20, errAuthorizationInvalidFlags},
      {"right nobody grants", authorization, &unknownRight, kAskFlags, errAuthorizationDenied},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AuthorizationCopyRights(c.authorization, c.rights, nullptr, c.flags, nullptr), c.expected)
        << c.what;
  }
  EXPECT_EQ(AuthorizationFree(authorization, kAuthorizationFlagDefaults), errAuthorizationSuccess);
  EXPECT_EQ(AuthorizationFree(authorization, kAuthorizationFlagDefaults), errAuthorizationInvalidRef);
  EXPECT_EQ(askForAdmin(authorization), errAuthorizationInvalidRef);
}

TEST(AuthorizationExecute, RunsTheToolAsRootWithItsArgumentsOverTheCommunicationsPipe) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root";
  SwitchSetting setting("granted");
  AuthorizationRef authorization = nullptr;
  ASSERT_EQ(AuthorizationCreate(nullptr, nullptr, kAuthorizationFlagDefaults, &authorization),
            errAuthorizationSuccess);
  const char* script = "id -u; printf '[%s]' \"$0\" \"$@\"; echo; read line; echo \"got $line\"";
  char* const arguments[] = {const_cast<char*>("-c"), const_cast<char*>(script), const_cast<char*>("x y"),
                             const_cast<char*>(""),   const_cast<char*>("z"),    nullptr};
  FILE* pipe = nullptr;
  ASSERT_EQ(AuthorizationExecuteWithPrivileges(authorization, "/bin/sh", kAuthorizationFlagDefaults,
                                               arguments, &pipe),
            errAuthorizationSuccess);
  ASSERT_NE(pipe, nullptr);
  fputs("hello\n", pipe);
  fflush(pipe);
  std::string output;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
  fclose(pipe);
  int status = 0;
  ASSERT_GT(wait(&status), 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(output, "0\n[x y][][z]\ngot hello\n");
  AuthorizationFree(authorization, kAuthorizationFlagDefaults);
}

TEST(AuthorizationExecute, RunsNothingWithoutTheRight) {
  for (const char* answer : {"denied", "cancelled"}) {
    SwitchSetting setting(answer);
    AuthorizationRef authorization = nullptr;
    ASSERT_EQ(AuthorizationCreate(nullptr, nullptr, kAuthorizationFlagDefaults, &authorization),
              errAuthorizationSuccess);
    char* const arguments[] = {const_cast<char*>("-c"), const_cast<char*>("exit 0"), nullptr};
    FILE* pipe = reinterpret_cast<FILE*>(&setting);
    const OSStatus status = AuthorizationExecuteWithPrivileges(authorization, "/bin/sh",
                                                               kAuthorizationFlagDefaults, arguments, &pipe);
    EXPECT_EQ(status, strcmp(answer, "denied") == 0 ? errAuthorizationDenied : errAuthorizationCanceled);
    EXPECT_EQ(pipe, nullptr);
    EXPECT_TRUE(hasNoChildren());
    AuthorizationFree(authorization, kAuthorizationFlagDefaults);
  }
}

TEST(AuthorizationExecute, ReportsAToolThatCannotRun) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root";
  SwitchSetting setting("granted");
  AuthorizationRef authorization = nullptr;
  ASSERT_EQ(AuthorizationCreate(nullptr, nullptr, kAuthorizationFlagDefaults, &authorization),
            errAuthorizationSuccess);
  FILE* pipe = nullptr;
  EXPECT_EQ(AuthorizationExecuteWithPrivileges(authorization, "/nonexistent/tool", kAuthorizationFlagDefaults,
                                               nullptr, &pipe),
            errAuthorizationToolExecuteFailure);
  EXPECT_EQ(pipe, nullptr);
  EXPECT_EQ(
      AuthorizationExecuteWithPrivileges(authorization, nullptr, kAuthorizationFlagDefaults, nullptr, &pipe),
      errAuthorizationInvalidPointer);
  EXPECT_EQ(AuthorizationExecuteWithPrivileges(authorization, "/bin/true", 1, nullptr, &pipe),
            errAuthorizationInvalidFlags);
  EXPECT_TRUE(hasNoChildren());
  AuthorizationFree(authorization, kAuthorizationFlagDefaults);
}

// A user who is not root, on a machine with neither sudo nor pkexec, cannot become root: the
// right is denied, and even a right granted by the test switch runs no tool.
TEST(Authorization, AUserWithoutAWayToRootIsRefused) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to become another user";
  if (isProgram("/usr/bin/sudo") || isProgram("/usr/bin/pkexec"))
    GTEST_SKIP() << "this machine has sudo or pkexec";
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(10);
    unsetenv(kSwitch);
    AuthorizationRef authorization = nullptr;
    if (AuthorizationCreate(nullptr, nullptr, kAuthorizationFlagDefaults, &authorization) != 0) _exit(11);
    if (askForAdmin(authorization) != errAuthorizationDenied) _exit(12);
    setenv(kSwitch, "granted", 1);
    if (askForAdmin(authorization) != errAuthorizationSuccess) _exit(13);
    if (AuthorizationExecuteWithPrivileges(authorization, "/bin/true", 0, nullptr, nullptr) !=
        errAuthorizationToolExecuteFailure) {
      _exit(14);
    }
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
