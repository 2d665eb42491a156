// Another process on the notification bus, for the tests:
//   NotifyProbe post <name>      posts the name; exits 0 when the post went out
//   NotifyProbe observe <name>   becomes an observer of the name, then ends at once without
//                                any clean-up at exit, as a crash would; exits 0 when it was
//                                an observer
//   NotifyProbe await <name>     becomes an observer of the name, prints "ready", and exits 0
//                                once the name is posted (1 when it is not within 20 seconds)
#include <notify.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  if (std::strcmp(argv[1], "post") == 0) return notify_post(argv[2]) == NOTIFY_STATUS_OK ? 0 : 1;
  if (std::strcmp(argv[1], "observe") == 0) {
    int token = 0;
    _exit(notify_register_check(argv[2], &token) == NOTIFY_STATUS_OK ? 0 : 1);
  }
  if (std::strcmp(argv[1], "await") == 0) {
    int token = 0, check = 0;
    if (notify_register_check(argv[2], &token) != NOTIFY_STATUS_OK) return 1;
    notify_check(token, &check);  // the first check always answers 1
    std::printf("ready\n");
    std::fflush(stdout);
    for (int waited = 0; waited < 20000; ++waited) {
      if (notify_check(token, &check) == NOTIFY_STATUS_OK && check) return 0;
      usleep(1000);
    }
    return 1;
  }
  return 2;
}
