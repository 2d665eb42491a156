// Service operations over the registry folder. Each operation owns an epoll descriptor (its
// socket descriptor for callers) watching an inotify descriptor on its registry folder and
// an event counter raised while replies wait.
#include <CoreFoundation/CFPlatformRoot.h>
#include <arpa/inet.h>
#include <dirent.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "backend/ServiceRegistry.h"
#include "dns_sd.h"

using dnssd::ServiceRecord;

namespace {

enum class Operation { Register, Browse, Resolve };

struct Reply {
  DNSServiceFlags flags = 0;
  DNSServiceErrorType error = kDNSServiceErr_NoError;
  ServiceRecord record;
};

// A full name as DNS writes it: the instance name with '.' and '\' escaped, then type and domain.
std::string fullName(const ServiceRecord& record) {
  std::string out;
  for (char c : record.name) {
    if (c == '.' || c == '\\') out += '\\';
    out += c;
  }
  return out + "." + record.type + record.domain;
}

std::string hostTarget() {
  char host[HOST_NAME_MAX + 1] = {};
  gethostname(host, sizeof host - 1);
  return std::string(host) + ".local.";
}

}  // namespace

struct _DNSServiceRef_t {
  Operation operation;
  std::string type;
  std::string domain;
  std::string folder;
  int poll = -1;
  int changes = -1;  // inotify
  int waiting = -1;  // eventfd: replies are pending
  std::deque<Reply> pending;
  void* context = nullptr;
  DNSServiceRegisterReply registerReply = nullptr;
  DNSServiceBrowseReply browseReply = nullptr;
  DNSServiceResolveReply resolveReply = nullptr;

  // Registration: the record and the descriptor that keeps it standing.
  ServiceRecord registered;
  int held = -1;
  // Browsing: the registrations seen standing, by entry.
  struct Known {
    std::string name;
    uint64_t instance = 0;
  };
  std::map<std::string, Known> known;
  // Resolving: the entry wanted and the record last replied.
  std::string wanted;
  std::optional<ServiceRecord> lastResolved;

  ~_DNSServiceRef_t() {
    if (held >= 0) dnssd::unregisterRecord(held, registered);
    for (int fd : {poll, changes, waiting})
      if (fd >= 0) close(fd);
  }

  bool open(bool watchFolder) {
    poll = epoll_create1(EPOLL_CLOEXEC);
    waiting = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (poll < 0 || waiting < 0) return false;
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = waiting;
    epoll_ctl(poll, EPOLL_CTL_ADD, waiting, &event);
    if (!watchFolder) return true;
    changes = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    // A watcher may come before any service of its type: make the folder to watch.
    if (changes < 0 || !CFPlatform::makeFolders(folder)) return false;
    if (inotify_add_watch(changes, folder.c_str(),
                          IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM | IN_CLOSE_WRITE | IN_MODIFY) < 0)
      return false;
    event.data.fd = changes;
    epoll_ctl(poll, EPOLL_CTL_ADD, changes, &event);
    return true;
  }

  void queue(Reply reply) {
    pending.push_back(std::move(reply));
    uint64_t one = 1;
    if (write(waiting, &one, sizeof one) < 0) return;
  }

  void look(const std::string& entry) {
    if (operation == Operation::Resolve && entry != wanted) return;
    ServiceRecord record;
    dnssd::Standing standing = dnssd::readRecord(folder, entry, &record);
    if (standing == dnssd::Standing::Changing) return;
    if (operation == Operation::Browse) {
      // What stands now is what counts, however many changes came in between: a registration
      // that replaced another under the same name while this process was not looking (its
      // owner restarted) is the old one's removal and a new one's addition.
      auto found = known.find(entry);
      if (standing == dnssd::Standing::Absent) {
        forget(entry);
      } else if (found == known.end() || found->second.instance != record.instance) {
        forget(entry);
        known[entry] = Known{record.name, record.instance};
        queue(Reply{kDNSServiceFlagsAdd, kDNSServiceErr_NoError, record});
      }
    } else if (operation == Operation::Resolve) {
      if (standing == dnssd::Standing::Absent) {
        lastResolved.reset();
        return;
      }
      bool changed = !lastResolved || lastResolved->txt != record.txt || lastResolved->port != record.port;
      if (changed) {
        lastResolved = record;
        queue(Reply{0, kDNSServiceErr_NoError, record});
      }
    }
  }

  // Reports the registration seen under `entry` as gone, by the name it was added with.
  void forget(const std::string& entry) {
    auto found = known.find(entry);
    if (found == known.end()) return;
    Reply reply;
    reply.record.type = type;
    reply.record.domain = domain;
    reply.record.name = found->second.name;
    known.erase(found);
    queue(std::move(reply));
  }

  void scan() {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    std::set<std::string> present;
    while (dirent* entry = readdir(dir))
      if (entry->d_name[0] != '.') present.insert(entry->d_name);
    closedir(dir);
    for (const auto& entry : present) look(entry);
    if (operation == Operation::Browse) {
      std::set<std::string> gone;
      for (const auto& item : known)
        if (!present.count(item.first)) gone.insert(item.first);
      for (const auto& entry : gone) forget(entry);
    }
  }

  void readChanges() {
    if (changes < 0) return;
    alignas(inotify_event) char buffer[8192];
    for (;;) {
      ssize_t got = read(changes, buffer, sizeof buffer);
      if (got <= 0) return;
      for (ssize_t at = 0; at < got;) {
        auto* event = reinterpret_cast<inotify_event*>(buffer + at);
        at += ssize_t(sizeof(inotify_event) + event->len);
        if (event->mask & IN_Q_OVERFLOW) {
          scan();
          continue;
        }
        if (!event->len || event->name[0] == '.') continue;
        std::string entry = event->name;
        // Created, rewritten, removed, or closed by a writer (how an owner's death shows):
        // whatever happened, what stands there now tells.
        look(entry);
      }
    }
  }

  DNSServiceErrorType process() {
    if (pending.empty()) {
      pollfd ready{poll, POLLIN, 0};
      while (::poll(&ready, 1, -1) < 0)
        if (errno != EINTR) return kDNSServiceErr_Unknown;
      readChanges();
    }
    uint64_t count;
    if (read(waiting, &count, sizeof count) < 0) count = 0;
    while (!pending.empty()) {
      Reply reply = std::move(pending.front());
      pending.pop_front();
      DNSServiceFlags flags = reply.flags | (pending.empty() ? DNSServiceFlags(0) : DNSServiceFlags(kDNSServiceFlagsMoreComing));
      const ServiceRecord& record = reply.record;
      switch (operation) {
        case Operation::Register:
          if (registerReply)
            registerReply(this, flags, reply.error, record.name.c_str(), record.type.c_str(), record.domain.c_str(),
                          context);
          break;
        case Operation::Browse:
          if (browseReply)
            browseReply(this, flags, 0, reply.error, record.name.c_str(), record.type.c_str(),
                        record.domain.c_str(), context);
          break;
        case Operation::Resolve:
          if (resolveReply)
            resolveReply(this, flags, 0, reply.error, fullName(record).c_str(), hostTarget().c_str(),
                         htons(record.port), uint16_t(record.txt.size()),
                         reinterpret_cast<const unsigned char*>(record.txt.data()), context);
          break;
      }
    }
    return kDNSServiceErr_NoError;
  }
};

DNSServiceErrorType DNSServiceRegister(DNSServiceRef* sdRef, DNSServiceFlags flags, uint32_t, const char* name,
                                       const char* regtype, const char* domain, const char*, uint16_t port,
                                       uint16_t txtLen, const void* txtRecord, DNSServiceRegisterReply callBack,
                                       void* context) {
  if (!sdRef || !regtype || !*regtype || (txtLen && !txtRecord)) return kDNSServiceErr_BadParam;
  auto* service = new _DNSServiceRef_t{};
  service->operation = Operation::Register;
  service->type = dnssd::canonicalName(regtype, "");
  service->domain = dnssd::canonicalName(domain, "local");
  service->registerReply = callBack;
  service->context = context;
  ServiceRecord& record = service->registered;
  if (name && *name) {
    record.name = name;
  } else {
    char host[HOST_NAME_MAX + 1] = {};
    gethostname(host, sizeof host - 1);
    record.name = host;
  }
  record.type = service->type;
  record.domain = service->domain;
  record.port = ntohs(port);
  record.ownerPid = getpid();
  // An empty record still stands as one empty string, as on the wire.
  record.txt = txtLen ? std::string(static_cast<const char*>(txtRecord), txtLen) : std::string(1, '\0');
  if (!service->open(false)) {
    delete service;
    return kDNSServiceErr_Unknown;
  }
  service->held = dnssd::registerRecord(record, !(flags & kDNSServiceFlagsNoAutoRename));
  if (service->held < 0) {
    DNSServiceErrorType error = errno == EEXIST ? kDNSServiceErr_NameConflict : kDNSServiceErr_Unknown;
    delete service;
    return error;
  }
  service->queue(Reply{kDNSServiceFlagsAdd, kDNSServiceErr_NoError, record});
  *sdRef = service;
  return kDNSServiceErr_NoError;
}

DNSServiceErrorType DNSServiceUpdateRecord(DNSServiceRef sdRef, void* recordRef, DNSServiceFlags, uint16_t rdlen,
                                           const void* rdata, uint32_t) {
  if (!sdRef || sdRef->operation != Operation::Register || recordRef) return kDNSServiceErr_BadReference;
  if (rdlen && !rdata) return kDNSServiceErr_BadParam;
  ServiceRecord updated = sdRef->registered;
  updated.txt = rdlen ? std::string(static_cast<const char*>(rdata), rdlen) : std::string(1, '\0');
  if (!dnssd::replaceRecord(sdRef->held, updated)) return kDNSServiceErr_Unknown;
  sdRef->registered = updated;
  return kDNSServiceErr_NoError;
}

DNSServiceErrorType DNSServiceBrowse(DNSServiceRef* sdRef, DNSServiceFlags, uint32_t, const char* regtype,
                                     const char* domain, DNSServiceBrowseReply callBack, void* context) {
  if (!sdRef || !regtype || !*regtype || !callBack) return kDNSServiceErr_BadParam;
  auto* service = new _DNSServiceRef_t{};
  service->operation = Operation::Browse;
  service->type = dnssd::canonicalName(regtype, "");
  service->domain = dnssd::canonicalName(domain, "local");
  service->folder = dnssd::registryFolder(service->domain, service->type);
  service->browseReply = callBack;
  service->context = context;
  if (!service->open(true)) {
    delete service;
    return kDNSServiceErr_Unknown;
  }
  service->scan();
  *sdRef = service;
  return kDNSServiceErr_NoError;
}

DNSServiceErrorType DNSServiceResolve(DNSServiceRef* sdRef, DNSServiceFlags, uint32_t, const char* name,
                                      const char* regtype, const char* domain, DNSServiceResolveReply callBack,
                                      void* context) {
  if (!sdRef || !name || !*name || !regtype || !*regtype || !callBack) return kDNSServiceErr_BadParam;
  auto* service = new _DNSServiceRef_t{};
  service->operation = Operation::Resolve;
  service->type = dnssd::canonicalName(regtype, "");
  service->domain = dnssd::canonicalName(domain, "local");
  service->folder = dnssd::registryFolder(service->domain, service->type);
  service->wanted = dnssd::entryName(name);
  service->resolveReply = callBack;
  service->context = context;
  if (!service->open(true)) {
    delete service;
    return kDNSServiceErr_Unknown;
  }
  service->look(service->wanted);
  *sdRef = service;
  return kDNSServiceErr_NoError;
}

int DNSServiceRefSockFD(DNSServiceRef sdRef) { return sdRef ? sdRef->poll : -1; }

DNSServiceErrorType DNSServiceProcessResult(DNSServiceRef sdRef) {
  if (!sdRef) return kDNSServiceErr_BadReference;
  return sdRef->process();
}

void DNSServiceRefDeallocate(DNSServiceRef sdRef) { delete sdRef; }
