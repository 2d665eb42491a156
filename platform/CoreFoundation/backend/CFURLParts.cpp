#include "backend/CFURLParts.h"

#include <cctype>

namespace CFURLParts {

namespace {

bool isUnreserved(unsigned char c) { return std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~'; }
bool isSubDelimiter(unsigned char c) {
  return c == '!' || c == '$' || c == '&' || c == '\'' || c == '(' || c == ')' || c == '*' || c == '+' || c == ',' ||
         c == ';' || c == '=';
}
bool isGeneralDelimiter(unsigned char c) {
  return c == ':' || c == '/' || c == '?' || c == '#' || c == '[' || c == ']' || c == '@';
}
bool isURLCharacter(unsigned char c) { return isUnreserved(c) || isSubDelimiter(c) || isGeneralDelimiter(c); }
// What a path segment may hold unescaped, with the '/' between segments.
bool isPathCharacter(unsigned char c) { return isUnreserved(c) || isSubDelimiter(c) || c == ':' || c == '@' || c == '/'; }

bool isValidScheme(const std::string& scheme) {
  if (scheme.empty() || !std::isalpha(static_cast<unsigned char>(scheme[0]))) return false;
  for (unsigned char c : scheme) {
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
  }
  return true;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void appendEscape(std::string& out, unsigned char byte) {
  static const char digits[] = "0123456789ABCDEF";
  out += '%';
  out += digits[byte >> 4];
  out += digits[byte & 15];
}

std::string merge(const Parts& base, const std::string& referencePath) {
  if (base.authority && base.path.empty()) return "/" + referencePath;
  size_t slash = base.path.rfind('/');
  return slash == std::string::npos ? referencePath : base.path.substr(0, slash + 1) + referencePath;
}

}  // namespace

Parts Parts::split(const std::string& url) {
  Parts parts;
  size_t position = 0;
  size_t colon = url.find_first_of(":/?#");
  if (colon != std::string::npos && url[colon] == ':' && isValidScheme(url.substr(0, colon))) {
    parts.scheme = url.substr(0, colon);
    position = colon + 1;
  }
  if (url.compare(position, 2, "//") == 0) {
    size_t end = url.find_first_of("/?#", position + 2);
    if (end == std::string::npos) end = url.size();
    parts.authority = url.substr(position + 2, end - position - 2);
    position = end;
  }
  size_t end = url.find_first_of("?#", position);
  if (end == std::string::npos) end = url.size();
  parts.path = url.substr(position, end - position);
  position = end;
  if (position < url.size() && url[position] == '?') {
    end = url.find('#', position);
    if (end == std::string::npos) end = url.size();
    parts.query = url.substr(position + 1, end - position - 1);
    position = end;
  }
  if (position < url.size() && url[position] == '#') parts.fragment = url.substr(position + 1);
  return parts;
}

std::string Parts::join() const {
  std::string url;
  if (scheme) url += *scheme + ":";
  if (authority) url += "//" + *authority;
  url += path;
  if (query) url += "?" + *query;
  if (fragment) url += "#" + *fragment;
  return url;
}

std::optional<std::string> Parts::host() const {
  if (!authority) return std::nullopt;
  std::string host = *authority;
  size_t at = host.rfind('@');
  if (at != std::string::npos) host.erase(0, at + 1);
  if (!host.empty() && host[0] == '[') {
    size_t close = host.find(']');
    host = close == std::string::npos ? host.substr(1) : host.substr(1, close - 1);
  } else {
    size_t portColon = host.rfind(':');
    if (portColon != std::string::npos) host.erase(portColon);
  }
  if (host.empty()) return std::nullopt;
  return host;
}

bool isValidURLString(const std::string& url) {
  int fragments = 0;
  for (size_t i = 0; i < url.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(url[i]);
    if (c == '%') {
      if (i + 2 >= url.size() || hexValue(url[i + 1]) < 0 || hexValue(url[i + 2]) < 0) return false;
      i += 2;
    } else if (c == '#') {
      if (++fragments > 1) return false;
    } else if (!isURLCharacter(c)) {
      return false;
    }
  }
  return true;
}

std::string removeDotSegments(const std::string& path) {
  std::string input = path, output;
  while (!input.empty()) {
    if (input.compare(0, 3, "../") == 0) {
      input.erase(0, 3);
    } else if (input.compare(0, 2, "./") == 0) {
      input.erase(0, 2);
    } else if (input.compare(0, 3, "/./") == 0) {
      input.erase(0, 2);
    } else if (input == "/.") {
      input = "/";
    } else if (input.compare(0, 4, "/../") == 0 || input == "/..") {
      input = input.size() == 3 ? "/" : input.substr(3);
      size_t slash = output.rfind('/');
      output.erase(slash == std::string::npos ? 0 : slash);
    } else if (input == "." || input == "..") {
      input.clear();
    } else {
      size_t next = input.find('/', input[0] == '/' ? 1 : 0);
      if (next == std::string::npos) next = input.size();
      output += input.substr(0, next);
      input.erase(0, next);
    }
  }
  return output;
}

std::string resolve(const std::string& base, const std::string& reference) {
  Parts b = Parts::split(base), r = Parts::split(reference), t;
  if (r.scheme) {
    t = r;
    t.path = removeDotSegments(r.path);
  } else {
    if (r.authority) {
      t.authority = r.authority;
      t.path = removeDotSegments(r.path);
      t.query = r.query;
    } else {
      if (r.path.empty()) {
        t.path = b.path;
        t.query = r.query ? r.query : b.query;
      } else {
        t.path = removeDotSegments(r.path[0] == '/' ? r.path : merge(b, r.path));
        t.query = r.query;
      }
      t.authority = b.authority;
    }
    t.scheme = b.scheme;
  }
  t.fragment = r.fragment;
  return t.join();
}

std::string escapePath(const std::string& path) {
  std::string escaped;
  escaped.reserve(path.size());
  // In a relative path a ':' before the first '/' would read as the end of a scheme.
  size_t firstSlash = path.find('/');
  bool relative = path.empty() || path[0] != '/';
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    bool schemeLike = relative && c == ':' && (firstSlash == std::string::npos || i < firstSlash);
    if (isPathCharacter(c) && !schemeLike) {
      escaped += static_cast<char>(c);
    } else {
      appendEscape(escaped, c);
    }
  }
  return escaped;
}

std::optional<std::string> unescape(const std::string& text, const std::string& keepEscaped) {
  std::string bytes;
  bytes.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      bytes += text[i];
      continue;
    }
    if (i + 2 >= text.size() || hexValue(text[i + 1]) < 0 || hexValue(text[i + 2]) < 0) return std::nullopt;
    char byte = static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
    if (static_cast<unsigned char>(byte) < 0x80 && keepEscaped.find(byte) != std::string::npos) {
      bytes.append(text, i, 3);
    } else {
      bytes += byte;
    }
    i += 2;
  }
  return bytes;
}

std::string escapeForURL(const std::string& text, const std::string& leaveAlone, const std::string& escapeAlso) {
  std::string escaped;
  for (unsigned char c : text) {
    bool legal = isURLCharacter(c) || c == '%';
    // The sets name characters; only ASCII ones can be told apart from bytes of other characters.
    bool ascii = c < 0x80;
    bool escape = (!legal || (ascii && escapeAlso.find(static_cast<char>(c)) != std::string::npos)) &&
                  !(ascii && leaveAlone.find(static_cast<char>(c)) != std::string::npos);
    if (escape) {
      appendEscape(escaped, c);
    } else {
      escaped += static_cast<char>(c);
    }
  }
  return escaped;
}

}  // namespace CFURLParts
