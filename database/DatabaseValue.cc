#include "database/DatabaseValue.h"

#include <string_view>

#include "base/KeywordString.h"
#include "base/Masking.h"
#include "base/Text.h"
#include "database/Database.h"
#include "database/DatabaseMessages.h"
#include "database/ConnectionString.h"

namespace viruzedi {
namespace {

bool IsSurroundingBlank(char c) { return IsWhiteSpace(c) || c == '\v' || c == '\f'; }

// What is wrong with a value that begins as a URI does and reaches no
// server; "" when it does not begin so (a file's name, `C:\x`, `file:x`).
std::string UriFault(std::string_view value) {
  const size_t colon = UriSchemeLength(value);
  if (colon == 0) return "";
  const std::string_view scheme = value.substr(0, colon);
  const std::string_view rest = value.substr(colon + 1);
  const bool postgres =
      EqualsIgnoreCase(scheme, "postgresql") || EqualsIgnoreCase(scheme, "postgres");
  if (postgres && scheme != LowerAsciiText(scheme)) {
    return "lo schema si scrive in lettere minuscole: '" + LowerAsciiText(scheme) + "://'";
  }
  if (postgres) {
    return "dopo '" + std::string(scheme) + ":' vanno due barre: '" + std::string(scheme) +
           "://server/database'";
  }
  if (rest.starts_with("//")) {
    return "'" + std::string(scheme) +
           "://' non raggiunge un server PostgreSQL (si scrive 'postgresql://' o 'postgres://'; "
           "un file si indica con il suo percorso)";
  }
  return "";
}

}  // namespace

DatabaseValue ReadDatabaseValue(const std::string& given) {
  size_t begin = 0, end = given.size();
  while (begin < end && IsSurroundingBlank(given[begin])) ++begin;
  while (end > begin && IsSurroundingBlank(given[end - 1])) --end;
  DatabaseValue value{DatabaseValueKind::kFile, given.substr(begin, end - begin)};
  const std::string_view text = value.text;
  if (IsOdbcConnectionString(text)) {
    value.kind = DatabaseValueKind::kOdbcConnectionString;
  } else if (text.starts_with("postgresql://") || text.starts_with("postgres://") ||
             IsKeywordConnectionString(text)) {
    value.kind = DatabaseValueKind::kPostgresServer;
  } else if (std::string fault = UriFault(text); !fault.empty()) {
    RaiseDatabaseError(kDbCannotConnect,
                       "'" + MaskPasswords(value.text) + "' (non è un URI valido: " + fault + ")");
  }
  return value;
}

}  // namespace viruzedi
