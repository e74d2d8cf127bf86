// The keyword form of a PostgreSQL connection string
// (`host=dbserver dbname=magazzino user=anna`) and the scheme of a URI, read
// from the text alone: the engine's choice and the masking of passwords
// must know them before anything connects, and on Windows, where no
// PostgreSQL client exists.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace viruzedi {

// One `key=value` of a keyword string: the key, and where its value stands
// in the text (quotes included), so that a caller may replace it.
struct KeywordSetting {
  std::string_view key;
  size_t valueBegin = 0;
  size_t valueEnd = 0;
};

// The settings of `text` read as the PostgreSQL client reads a keyword
// string: blank-separated `key = value` (blanks around '=' allowed), a value
// either a run of non-blanks or in single quotes, a backslash taking the
// next character as it is. Nothing when some part is not such a setting (a
// key of other than letters, digits and '_', a missing '=', an unclosed
// quote) or the text holds none.
std::optional<std::vector<KeywordSetting>> ReadKeywordSettings(std::string_view text);

// Whether `key` is one of the connection keywords of the PostgreSQL client.
bool IsPostgresKeyword(std::string_view key);

// A PostgreSQL keyword connection string: every part a setting, the first
// of a keyword the client knows (so `a=b.db` stays a file's name).
bool IsKeywordConnectionString(std::string_view text);

// The length of the URI scheme that begins `text` and is followed by ':'
// (letters, digits, '+', '-', '.'), 0 when there is none. One character is
// a drive letter (`C:\x`), no scheme.
size_t UriSchemeLength(std::string_view text);

}  // namespace viruzedi
