// What a database value (DbPath, the database parameter, --db, init-db,
// mostra, the db setting) names, read from its text alone before anything
// connects: the engine's choice (Engines.cc) rests on it, and a value that
// only looks like a server's is refused here rather than taken for a file.
#pragma once

#include <string>

namespace viruzedi {

enum class DatabaseValueKind {
  // DSN=, Driver= or FileDSN= first (letter case ignored).
  kOdbcConnectionString,
  // A PostgreSQL server: a URI (postgresql:// or postgres://, in small
  // letters, as the client reads them) or a keyword string
  // (base/KeywordString.h).
  kPostgresServer,
  // Anything else names a file: `file:x` and `C:\x` included.
  kFile,
};

struct DatabaseValue {
  DatabaseValueKind kind = DatabaseValueKind::kFile;
  std::string text;  // the value without the blanks around it
};

// `given` without its surrounding blanks (a pasted value often carries
// some), and what it names. Throws 3151, naming what is wrong and with its
// passwords masked, for a value that begins as a URI does but is none that
// reaches a server: postgresql:/ or postgresql: without both slashes, the
// scheme in capitals, another scheme followed by "//".
DatabaseValue ReadDatabaseValue(const std::string& given);

}  // namespace viruzedi
