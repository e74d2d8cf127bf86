// The ODBC engine under the shared database tests, on two drivers: the
// SQLite driver on a file and the PostgreSQL driver on the test server. The
// engine goes through ODBC; the tests' own connection beside it goes to the
// same database through its native client, named from the connection string.
#include "tests/database/support/EngineUnderTest.h"

#include <string_view>

#include "base/Text.h"
#include "database/ConnectionString.h"
#include "tests/database/support/RawConnection.h"

namespace viruzedi::testing {
namespace {

// A URI's query parameter, "" when it has none.
std::string UriParameter(const std::string& uri, const std::string& key) {
  size_t query = uri.find('?');
  if (query == std::string::npos) return "";
  for (size_t at = query + 1; at < uri.size();) {
    size_t end = uri.find('&', at);
    if (end == std::string::npos) end = uri.size();
    std::string_view pair(uri.data() + at, end - at);
    if (pair.starts_with(key + "=")) return std::string(pair.substr(key.size() + 1));
    at = end + 1;
  }
  return "";
}

std::string NewSqliteFile(const TemporaryFolder& folder) {
  // NoCreat=1 keeps the driver from making a database at a wrong name; the
  // file is there, empty, as an SQLite database may be.
  std::string path = folder / "magazzino.db";
  WriteFile(path, "");
  return "Driver=SQLite3;Database=" + path + ";Timeout=500;NoCreat=1";
}

std::string NewServerDatabaseThroughOdbc(const TemporaryFolder& folder) {
  std::string uri = kPostgresqlEngine.NewDatabase(folder);
  if (uri.empty()) return "";
  // postgresql:///NAME?host=SOCKET-FOLDER&user=USER
  size_t name = uri.find(":///") + 4;
  std::string database = uri.substr(name, uri.find('?') - name);
  return "Driver={PostgreSQL Unicode};Server=" + UriParameter(uri, "host") +
         ";Port=5432;Database=" + database + ";UID=" + UriParameter(uri, "user") + ";";
}

}  // namespace

const EngineUnderTest kOdbcSqliteEngine{
    "ODBC_SQLite", NewSqliteFile,
    "SELECT lower(name) FROM sqlite_master WHERE type = 'table' ORDER BY 1", false};

const EngineUnderTest kOdbcPostgresqlEngine{
    "ODBC_PostgreSQL", NewServerDatabaseThroughOdbc,
    "SELECT lower(table_name) FROM information_schema.tables "
    "WHERE table_schema = 'public' ORDER BY 1", true};

std::string NativeDatabase(const std::string& database) {
  if (!IsOdbcConnectionString(database)) return database;
  std::string name = ConnectionStringAttribute(database, "Database").value_or("");
  std::string driver = ConnectionStringAttribute(database, "Driver").value_or("");
  if (StartsWithIgnoreCase(driver, "SQLite")) return name;
  return "postgresql:///" + name +
         "?host=" + ConnectionStringAttribute(database, "Server").value_or("") +
         "&port=" + ConnectionStringAttribute(database, "Port").value_or("5432") +
         "&user=" + ConnectionStringAttribute(database, "UID").value_or("");
}

}  // namespace viruzedi::testing
