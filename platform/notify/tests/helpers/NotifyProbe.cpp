// Another process on the notification bus, for the tests:
//   NotifyProbe post <name>      posts the name; exits 0 when the post went out
//   NotifyProbe observe <name>   becomes an observer of the name, then ends at once without
//                                any clean-up at exit, as a crash would; exits 0 when it was
//                                an observer
#include <notify.h>
#include <unistd.h>

#include <cstring>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  if (std::strcmp(argv[1], "post") == 0) return notify_post(argv[2]) == NOTIFY_STATUS_OK ? 0 : 1;
  if (std::strcmp(argv[1], "observe") == 0) {
    int token = 0;
    _exit(notify_register_check(argv[2], &token) == NOTIFY_STATUS_OK ? 0 : 1);
  }
  return 2;
}
