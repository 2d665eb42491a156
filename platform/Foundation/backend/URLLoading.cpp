#include "URLLoading.h"

#include <curl/curl.h>

#include <cstdlib>
#include <memory>
#include <mutex>

namespace Foundation {

namespace {

constexpr long kConnectTimeoutSeconds = 10;
constexpr long kTransferTimeoutSeconds = 60;
constexpr long kRedirectLimit = 5;

void initializeOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Transfer {
  std::vector<uint8_t> body;
  bool tooLarge = false;
};

size_t receive(char* data, size_t size, size_t count, void* context) {
  auto* transfer = static_cast<Transfer*>(context);
  const size_t length = size * count;
  // A server that sends no length, or lies about it, is stopped here.
  if (transfer->body.size() + length > kURLLoadSizeLimit) {
    transfer->tooLarge = true;
    return 0;
  }
  transfer->body.insert(transfer->body.end(), data, data + length);
  return length;
}

struct EasyCloser {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct ListFreer {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

std::unique_ptr<curl_slist, ListFreer> connectToList() {
  curl_slist* list = nullptr;
  const char* setting = std::getenv("MOXICAM_URL_CONNECT_TO");
  std::string entries = setting ? setting : "";
  size_t start = 0;
  while (start < entries.size()) {
    size_t end = entries.find(',', start);
    if (end == std::string::npos) end = entries.size();
    std::string entry = entries.substr(start, end - start);
    if (!entry.empty()) {
      curl_slist* grown = curl_slist_append(list, entry.c_str());
      if (grown) list = grown;
    }
    start = end + 1;
  }
  return std::unique_ptr<curl_slist, ListFreer>(list);
}

long transferTimeout() {
  const char* setting = std::getenv("MOXICAM_URL_TIMEOUT");
  long seconds = setting ? std::strtol(setting, nullptr, 10) : 0;
  return seconds > 0 ? seconds : kTransferTimeoutSeconds;
}

URLLoadResult failure(std::string reason) {
  URLLoadResult result;
  result.failed = true;
  result.failureReason = std::move(reason);
  return result;
}

}  // namespace

URLLoadResult loadURL(const std::string& url) {
  initializeOnce();
  std::unique_ptr<CURL, EasyCloser> handle(curl_easy_init());
  if (!handle) return failure("The transfer could not be started.");
  std::unique_ptr<curl_slist, ListFreer> connectTo = connectToList();
  Transfer transfer;
  char errorText[CURL_ERROR_SIZE] = {};
  CURL* easy = handle.get();
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https,file");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kRedirectLimit);
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  curl_easy_setopt(easy, CURLOPT_TIMEOUT, transferTimeout());
  curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(kURLLoadSizeLimit));
  // Timeouts by signal would reach other threads of the process.
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, receive);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText);
  if (connectTo) curl_easy_setopt(easy, CURLOPT_CONNECT_TO, connectTo.get());

  CURLcode code = curl_easy_perform(easy);
  if (transfer.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
    return failure("The resource is larger than " + std::to_string(kURLLoadSizeLimit) + " bytes.");
  }
  if (code != CURLE_OK) return failure(curl_easy_strerror(code));
  long status = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  if (status >= 400) return failure("HTTP " + std::to_string(status));
  URLLoadResult result;
  result.body = std::move(transfer.body);
  return result;
}

}  // namespace Foundation
