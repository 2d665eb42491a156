#pragma once
// The text work behind CFURL, on escaped URL strings: splitting into parts, resolving a
// relative reference against a base, and percent escapes.
#include <optional>
#include <string>

namespace CFURLParts {

struct Parts {
  std::optional<std::string> scheme;
  std::optional<std::string> authority;  // what follows "//", up to the path
  std::string path;
  std::optional<std::string> query;
  std::optional<std::string> fragment;

  static Parts split(const std::string& url);
  std::string join() const;
  // The host of the authority (no user information, port or IPv6 brackets), still escaped.
  std::optional<std::string> host() const;
};

// True when the text is made only of characters a URL may hold, with every '%' starting an
// escape and at most one '#'.
bool isValidURLString(const std::string& url);

// The absolute form of reference against an absolute base.
std::string resolve(const std::string& base, const std::string& reference);

// Escapes the bytes of a file system path that cannot stand in a URL path as they are.
std::string escapePath(const std::string& path);
// Text with its escapes replaced by the bytes they stand for, except escapes of the ASCII
// characters in keepEscaped; nothing when an escape is malformed.
std::optional<std::string> unescape(const std::string& text, const std::string& keepEscaped = "");
// Escapes every byte that a URL cannot hold, the bytes of escapeAlso, never those of
// leaveAlone; '%' is left as it is, so that existing escapes are not escaped twice.
std::string escapeForURL(const std::string& text, const std::string& leaveAlone, const std::string& escapeAlso);

// Removes "." and ".." segments (RFC 3986, 5.2.4).
std::string removeDotSegments(const std::string& path);

}  // namespace CFURLParts
