#pragma once
// A small HTTP/1.0 server on 127.0.0.1 at a port the kernel picks, for tests of code that
// downloads. Each path answers what the test registered: a status, headers and a body, or a
// stall (the connection is held open, unanswered, until the server stops). Header-only.
//
//   moxicam::test::LoopbackHTTPServer server;
//   server.answer("/feed", 200, atomText);
//   server.answer("/moved", 302, "", {"Location: http://blog.example.test/feed"});
//   server.stall("/slow");
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace moxicam::test {

class LoopbackHTTPServer {
 public:
  LoopbackHTTPServer() {
    mListener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(mListener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(mListener, 16);
    socklen_t length = sizeof address;
    ::getsockname(mListener, reinterpret_cast<sockaddr*>(&address), &length);
    mPort = ntohs(address.sin_port);
    ::pipe2(mWake, O_CLOEXEC);
    mThread = std::thread([this] { serve(); });
  }
  ~LoopbackHTTPServer() {
    mStopping = true;
    char byte = 0;
    [[maybe_unused]] ssize_t written = ::write(mWake[1], &byte, 1);
    mThread.join();
    for (int connection : mHeld) ::close(connection);
    ::close(mListener);
    ::close(mWake[0]);
    ::close(mWake[1]);
  }
  LoopbackHTTPServer(const LoopbackHTTPServer&) = delete;
  LoopbackHTTPServer& operator=(const LoopbackHTTPServer&) = delete;

  int port() const { return mPort; }

  void answer(const std::string& path, int status, const std::string& body,
              std::vector<std::string> headers = {}) {
    std::lock_guard<std::mutex> lock(mLock);
    mAnswers[path] = Answer{status, body, std::move(headers), false};
  }
  void stall(const std::string& path) {
    std::lock_guard<std::mutex> lock(mLock);
    mAnswers[path] = Answer{0, {}, {}, true};
  }
  // How many requests the path has had.
  int requestCount(const std::string& path) {
    std::lock_guard<std::mutex> lock(mLock);
    return mCounts[path];
  }

 private:
  struct Answer {
    int status = 404;
    std::string body;
    std::vector<std::string> headers;
    bool stalls = false;
  };

  void serve() {
    while (!mStopping) {
      pollfd fds[2] = {{mListener, POLLIN, 0}, {mWake[0], POLLIN, 0}};
      if (::poll(fds, 2, -1) < 0) continue;
      if (fds[1].revents) return;
      int connection = ::accept4(mListener, nullptr, nullptr, SOCK_CLOEXEC);
      if (connection >= 0) handle(connection);
    }
  }

  void handle(int connection) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
      pollfd fd{connection, POLLIN, 0};
      if (::poll(&fd, 1, 5000) <= 0) break;
      ssize_t got = ::read(connection, buffer, sizeof buffer);
      if (got <= 0) break;
      request.append(buffer, size_t(got));
    }
    size_t start = request.find(' ') + 1;
    std::string path = request.substr(start, request.find(' ', start) - start);
    Answer answer;
    {
      std::lock_guard<std::mutex> lock(mLock);
      ++mCounts[path];
      auto found = mAnswers.find(path);
      if (found != mAnswers.end()) answer = found->second;
    }
    if (answer.stalls) {
      mHeld.push_back(connection);
      return;
    }
    std::string response = "HTTP/1.0 " + std::to_string(answer.status) + " Status\r\n";
    response += "Content-Length: " + std::to_string(answer.body.size()) + "\r\n";
    for (const std::string& header : answer.headers) response += header + "\r\n";
    response += "Connection: close\r\n\r\n" + answer.body;
    size_t sent = 0;
    while (sent < response.size()) {
      ssize_t wrote = ::send(connection, response.data() + sent, response.size() - sent, MSG_NOSIGNAL);
      if (wrote <= 0) break;
      sent += size_t(wrote);
    }
    ::close(connection);
  }

  int mListener = -1;
  int mWake[2] = {-1, -1};
  int mPort = 0;
  std::atomic<bool> mStopping{false};
  std::mutex mLock;
  std::map<std::string, Answer> mAnswers;
  std::map<std::string, int> mCounts;
  std::vector<int> mHeld;
  std::thread mThread;
};

}  // namespace moxicam::test
