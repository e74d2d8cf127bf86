#include "base/Masking.h"

#include <algorithm>
#include <string_view>

#include "base/KeywordString.h"
#include "base/Text.h"

namespace viruzedi {
namespace {

constexpr std::string_view kSecretKeys[] = {"sslpassword", "password", "pwd"};

// Masks the password of the user part that begins at `start`, if any: the
// authority runs to the next '/', '?' or '#'; its last '@' ends the user
// part (a password may hold '@' and ':').
void MaskUserPart(std::string& text, size_t start) {
  size_t end = std::min(text.find_first_of("/?#", start), text.size());
  size_t at = text.rfind('@', end == 0 ? 0 : end - 1);
  if (at == std::string::npos || at < start) return;
  size_t colon = text.find(':', start);
  if (colon < at) text.replace(colon + 1, at - colon - 1, "***");
}

void MaskUserParts(std::string& text) {
  // A scheme at the start: whatever follows its ':' (two slashes, one, or
  // none, as a mistyped URI has it). One letter is a drive, not a scheme.
  size_t begin = 0;
  while (begin < text.size() && IsBlank(text[begin])) ++begin;
  const size_t scheme = begin + UriSchemeLength(std::string_view(text).substr(begin));
  if (scheme > begin) {
    size_t start = scheme + 1;
    while (start < text.size() && text[start] == '/') ++start;
    MaskUserPart(text, start);
  }
  // And every "://" further on (a message may quote a URI).
  for (size_t found = text.find("://", scheme); found != std::string::npos;
       found = text.find("://", found + 3)) {
    MaskUserPart(text, found + 3);
  }
}

bool IsKeyBoundary(std::string_view text, size_t at) {
  return at == 0 || std::string_view(" \t;&?").find(text[at - 1]) != std::string_view::npos;
}

// Where a password's value that begins at `start` ends.
size_t ValueEnd(std::string_view text, size_t start, bool keywordString) {
  size_t at = start;
  if (at < text.size() && text[at] == '\'') {
    for (++at; at < text.size() && text[at] != '\''; ++at) {
      if (text[at] == '\\') ++at;
    }
    return std::min(at + 1, text.size());
  }
  if (at < text.size() && text[at] == '{') {
    // "}}" stands for one brace inside.
    for (++at; at < text.size(); ++at) {
      if (text[at] != '}') continue;
      if (at + 1 < text.size() && text[at + 1] == '}') {
        ++at;
        continue;
      }
      break;
    }
    at = std::min(at + 1, text.size());
    if (keywordString) return at;
  }
  if (keywordString) {
    for (; at < text.size() && !IsWhiteSpace(text[at]); ++at) {
      if (text[at] == '\\') ++at;
    }
    return std::min(at, text.size());
  }
  return std::min(text.find_first_of(";&", at), text.size());
}

// The length of the secret key with its '=' that begins at `at`, or 0.
size_t SecretKeyAt(std::string_view text, size_t at) {
  if (!IsKeyBoundary(text, at)) return 0;
  for (std::string_view key : kSecretKeys) {
    if (!StartsWithIgnoreCase(text.substr(at), key)) continue;
    size_t after = at + key.size();
    while (after < text.size() && IsBlank(text[after])) ++after;
    if (after < text.size() && text[after] == '=') return after + 1 - at;
  }
  return 0;
}

}  // namespace

std::string MaskPasswords(const std::string& value) {
  std::string text = value;
  MaskUserParts(text);
  const bool keywordString = IsKeywordConnectionString(text);
  std::string masked;
  size_t copied = 0;
  for (size_t at = 0; at < text.size(); ++at) {
    size_t key = SecretKeyAt(text, at);
    if (key == 0) continue;
    size_t start = at + key;
    while (start < text.size() && IsBlank(text[start])) ++start;
    size_t end = ValueEnd(text, start, keywordString);
    masked.append(text, copied, start - copied);
    masked += "***";
    copied = end;
    at = std::max(end, at + 1) - 1;
  }
  masked.append(text, std::min(copied, text.size()), std::string::npos);
  return masked;
}

}  // namespace viruzedi
