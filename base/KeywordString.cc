#include "base/KeywordString.h"

#include <algorithm>
#include <string_view>

namespace viruzedi {
namespace {

// The client's keywords, those of every release up to the one the tests run
// against (a test compares): a keyword of a newer client only has the
// client say that it knows no such option.
constexpr std::string_view kPostgresKeywords[] = {
    "application_name", "channel_binding", "client_encoding", "connect_timeout",
    "dbname", "fallback_application_name", "gssdelegation", "gssencmode", "gsslib",
    "host", "hostaddr", "keepalives", "keepalives_count", "keepalives_idle",
    "keepalives_interval", "krbsrvname", "load_balance_hosts", "options", "passfile",
    "password", "port", "replication", "require_auth", "requirepeer", "service",
    "ssl_max_protocol_version", "ssl_min_protocol_version", "sslcert", "sslcertmode",
    "sslcompression", "sslcrl", "sslcrldir", "sslkey", "sslnegotiation", "sslpassword",
    "sslmode", "sslrootcert", "sslsni", "target_session_attrs", "tcp_user_timeout", "user"};

// The client's own white space (C's isspace in the "C" locale).
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsKeyCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

size_t SkipSpaces(std::string_view text, size_t at) {
  while (at < text.size() && IsSpace(text[at])) ++at;
  return at;
}

}  // namespace

std::optional<std::vector<KeywordSetting>> ReadKeywordSettings(std::string_view text) {
  std::vector<KeywordSetting> settings;
  size_t at = SkipSpaces(text, 0);
  while (at < text.size()) {
    const size_t keyBegin = at;
    while (at < text.size() && IsKeyCharacter(text[at])) ++at;
    if (at == keyBegin) return std::nullopt;
    KeywordSetting setting;
    setting.key = text.substr(keyBegin, at - keyBegin);
    at = SkipSpaces(text, at);
    if (at >= text.size() || text[at] != '=') return std::nullopt;
    at = SkipSpaces(text, at + 1);
    setting.valueBegin = at;
    if (at < text.size() && text[at] == '\'') {
      for (++at; at < text.size() && text[at] != '\''; ++at) {
        if (text[at] == '\\') ++at;
      }
      if (at >= text.size()) return std::nullopt;  // the quote never closes
      ++at;
    } else {
      for (; at < text.size() && !IsSpace(text[at]); ++at) {
        if (text[at] == '\\') ++at;
      }
      at = std::min(at, text.size());
    }
    setting.valueEnd = at;
    settings.push_back(setting);
    at = SkipSpaces(text, at);
  }
  if (settings.empty()) return std::nullopt;
  return settings;
}

bool IsPostgresKeyword(std::string_view key) {
  return std::find(std::begin(kPostgresKeywords), std::end(kPostgresKeywords), key) !=
         std::end(kPostgresKeywords);
}

bool IsKeywordConnectionString(std::string_view text) {
  std::optional<std::vector<KeywordSetting>> settings = ReadKeywordSettings(text);
  return settings && IsPostgresKeyword(settings->front().key);
}

size_t UriSchemeLength(std::string_view text) {
  size_t length = 0;
  while (length < text.size() &&
         (IsKeyCharacter(text[length]) || text[length] == '+' || text[length] == '-' ||
          text[length] == '.')) {
    ++length;
  }
  if (length < 2 || length >= text.size() || text[length] != ':') return 0;
  return length;
}

}  // namespace viruzedi
