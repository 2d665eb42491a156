#pragma once
// The one loopback web server of a feed test program, and the made-up host names that the
// URL loading is told to send to it ("blog.example.test", "feeds.example.test"). Made before
// any request runs, so the environment it sets is never read while it changes.
#include <LoopbackHTTPServer.h>

#include <cstdlib>
#include <string>

namespace moxicam::test {

inline LoopbackHTTPServer& feedServer() {
  static LoopbackHTTPServer* const server = [] {
    auto* made = new LoopbackHTTPServer;
    std::string port = std::to_string(made->port());
    std::string mapping = "blog.example.test:80:127.0.0.1:" + port +
                          ",moxi.blog.example.test:80:127.0.0.1:" + port +
                          ",feeds.example.test:80:127.0.0.1:" + port;
    ::setenv("MOXICAM_URL_CONNECT_TO", mapping.c_str(), 1);
    // A stalled server gives up after seconds instead of a minute.
    ::setenv("MOXICAM_URL_TIMEOUT", "3", 1);
    return made;
  }();
  return *server;
}

inline std::string atomFeed(const std::string& entries, const std::string& title = "Designs") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<feed xmlns=\"http://www.w3.org/2005/Atom\">\n  "
         "<title>" +
         title + "</title>\n" + entries + "</feed>\n";
}

inline std::string atomEntry(const std::string& title, const std::string& content) {
  return "  <entry>\n    <title type=\"text\">" + title + "</title>\n    <content type=\"html\">" + content +
         "</content>\n  </entry>\n";
}

}  // namespace moxicam::test
