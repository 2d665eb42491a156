#pragma once
// One blocking download over libcurl, for NSURLHandle: http, https and file URLs; redirects
// followed (at most 5, to http and https only), a connect timeout of 10 s, a whole-transfer
// timeout of 60 s, and a cap of 16 MiB on the body, so that a stalled or endless server costs
// one thread a bounded time and bounded memory.
//
// Two settings of the environment let tests aim requests at a server they started, read at
// each request:
//   MOXICAM_URL_CONNECT_TO   "HOST:PORT:CONNECT-HOST:CONNECT-PORT" entries, separated by ","
//                            (a request for HOST:PORT connects to CONNECT-HOST:CONNECT-PORT)
//   MOXICAM_URL_TIMEOUT      the whole-transfer timeout in seconds, in place of 60
#include <cstdint>
#include <string>
#include <vector>

namespace Foundation {

struct URLLoadResult {
  bool failed = false;
  // Why it failed: the transfer library's text, or "HTTP <status>" for an error status.
  std::string failureReason;
  // The body of a successful load (an error status keeps none).
  std::vector<uint8_t> body;
};

constexpr size_t kURLLoadSizeLimit = 16u << 20;

URLLoadResult loadURL(const std::string& url);

}  // namespace Foundation
