// The database tests' own session on the test server, through libpq: the
// second connection beside the engine, the new database of each test and the
// lock another session holds.
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <unistd.h>

#include "tests/database/support/EngineUnderTest.h"
#include "tests/database/support/RawConnection.h"
#include "tests/support/Commands.h"

namespace viruzedi::testing {
namespace {

struct ConnectionCloser {
  void operator()(PGconn* connection) const { PQfinish(connection); }
};
using Connection = std::unique_ptr<PGconn, ConnectionCloser>;

struct ResultClearer {
  void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultClearer>;

// Type numbers of the server's catalogue (pg_type), stable across versions.
constexpr Oid kInt2 = 21, kInt4 = 23, kInt8 = 20, kFloat4 = 700, kFloat8 = 701, kNumeric = 1700;

Connection Connect(const std::string& uri) {
  Connection connection(PQconnectdb(uri.c_str()));
  if (PQstatus(connection.get()) != CONNECTION_OK) {
    ADD_FAILURE() << "cannot connect to " << uri << ": " << PQerrorMessage(connection.get());
    return nullptr;
  }
  // Quiet: notices of the test's own DDL would only clutter the output.
  PQsetNoticeProcessor(connection.get(), [](void*, const char*) {}, nullptr);
  return connection;
}

// Runs `sql`; fails the test unless the server accepts it.
Result Run(PGconn* connection, const std::string& sql) {
  if (!connection) return nullptr;
  Result result(PQexec(connection, sql.c_str()));
  ExecStatusType status = PQresultStatus(result.get());
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    ADD_FAILURE() << sql << ": " << PQerrorMessage(connection);
    return nullptr;
  }
  return result;
}

StoredValue CellOf(const PGresult* result, int row, int column) {
  if (PQgetisnull(result, row, column)) return std::monostate{};
  const char* text = PQgetvalue(result, row, column);
  switch (PQftype(result, column)) {
    case kInt2:
    case kInt4:
    case kInt8: return int64_t{std::strtoll(text, nullptr, 10)};
    case kFloat4:
    case kFloat8:
    case kNumeric: return std::strtod(text, nullptr);
    default: return std::string(text);
  }
}

class ServerConnection : public RawConnection {
 public:
  explicit ServerConnection(const std::string& uri) : connection_(Connect(uri)) {}

  bool Exec(const std::string& sql) override { return Run(connection_.get(), sql) != nullptr; }

  std::vector<std::vector<StoredValue>> Cells(const std::string& sql) override {
    std::vector<std::vector<StoredValue>> rows;
    Result result = Run(connection_.get(), sql);
    if (!result) return rows;
    for (int row = 0; row < PQntuples(result.get()); ++row) {
      std::vector<StoredValue>& cells = rows.emplace_back();
      for (int column = 0; column < PQnfields(result.get()); ++column) {
        cells.push_back(CellOf(result.get(), row, column));
      }
    }
    return rows;
  }

 private:
  Connection connection_;
};

// A session that holds every table of the database locked inside its
// transaction: against writers only (EXCLUSIVE), or against readers too
// (ACCESS EXCLUSIVE).
class ServerLock : public LockHolder {
 public:
  ServerLock(const std::string& uri, bool readersToo) : connection_(Connect(uri)) {
    Result tables = Run(connection_.get(),
                        "SELECT string_agg(format('%I.%I', schemaname, tablename), ', ') "
                        "FROM pg_tables WHERE schemaname = 'public'");
    if (!tables || PQgetisnull(tables.get(), 0, 0)) {
      ADD_FAILURE() << "no table to lock in " << uri;
      return;
    }
    // Waits, as the SQLite shell does, for a writer between its commits.
    std::string lock = std::string("SET lock_timeout = '10s'; BEGIN; LOCK TABLE ") +
                       PQgetvalue(tables.get(), 0, 0) + " IN " +
                       (readersToo ? "ACCESS EXCLUSIVE" : "EXCLUSIVE") + " MODE";
    if (!Run(connection_.get(), lock)) connection_.reset();
  }

  ~ServerLock() override { Release(); }

  // Ending the session rolls its transaction back and frees the tables.
  void Release() override { connection_.reset(); }

 private:
  Connection connection_;
};

// The base URI with `database` in place of the database `postgres`.
std::string WithDatabase(const std::string& base, const std::string& database) {
  const std::string path = "/postgres?";
  size_t at = base.find(path);
  if (at == std::string::npos) return base;
  return base.substr(0, at) + "/" + database + "?" + base.substr(at + path.size());
}

// The databases this program made, dropped as it ends so that a long run
// does not fill the server's disk.
class MadeDatabases {
 public:
  ~MadeDatabases() {
    if (names_.empty()) return;
    Connection connection(PQconnectdb(server_.c_str()));
    if (PQstatus(connection.get()) != CONNECTION_OK) return;
    for (const std::string& name : names_) {
      // FORCE: a connection the engine keeps for its thread may still be open.
      std::string drop = "DROP DATABASE IF EXISTS " + name + " WITH (FORCE)";
      PQclear(PQexec(connection.get(), drop.c_str()));
    }
  }
  void Add(const std::string& server, const std::string& name) {
    server_ = server;
    names_.push_back(name);
  }

 private:
  // Kept here: the static URI may be gone by the time this one is destroyed.
  std::string server_;
  std::vector<std::string> names_;
};

std::string NewServerDatabase(const TemporaryFolder&) {
  static MadeDatabases made;
  static int count = 0;
  // The process number keeps apart the tests that CTest runs side by side.
  std::string name = "viruzedi_t" + std::to_string(getpid()) + "_" + std::to_string(++count);
  const std::string server = TestServerUri();
  Connection connection = Connect(server);
  if (!Run(connection.get(), "CREATE DATABASE " + name)) return "";
  made.Add(server, name);
  return WithDatabase(server, name);
}

std::string StartedServerUri() {
  const char* file = std::getenv("VIRUZEDI_TEST_PG");
  std::ifstream in(file ? file : VIRUZEDI_PG_TEST_DIR "/uri");
  std::string uri;
  if (std::getline(in, uri) && !uri.empty()) return uri;
  if (FILE* output = popen("'" VIRUZEDI_PG_TEST_SERVER "' start '" VIRUZEDI_PG_TEST_DIR "'", "r")) {
    char line[1024];
    if (std::fgets(line, sizeof line, output)) uri = line;
    pclose(output);
  }
  while (!uri.empty() && (uri.back() == '\n' || uri.back() == '\r')) uri.pop_back();
  return uri;
}

}  // namespace

std::string TestServerUri() {
  static const std::string uri = StartedServerUri();
  if (uri.empty()) ADD_FAILURE() << "the PostgreSQL test server could not be started";
  return uri;
}

std::vector<std::string> PostgresClientKeywords() {
  std::vector<std::string> keywords;
  PQconninfoOption* options = PQconndefaults();
  for (PQconninfoOption* option = options; option && option->keyword; ++option) {
    keywords.emplace_back(option->keyword);
  }
  PQconninfoFree(options);
  return keywords;
}

const EngineUnderTest kPostgresqlEngine{
    "PostgreSQL", NewServerDatabase,
    "SELECT lower(table_name) FROM information_schema.tables "
    "WHERE table_schema = 'public' ORDER BY 1",
    true};

std::unique_ptr<RawConnection> OpenServerConnection(const std::string& uri) {
  return std::make_unique<ServerConnection>(uri);
}

std::vector<std::string> ServerQueryRows(const std::string& uri, const std::string& query) {
  std::vector<std::string> rows;
  Connection connection = Connect(uri);
  if (!Run(connection.get(), "BEGIN READ ONLY")) return rows;
  Result result = Run(connection.get(), query);
  if (!result) return rows;
  for (int row = 0; row < PQntuples(result.get()); ++row) {
    std::string text;
    for (int column = 0; column < PQnfields(result.get()); ++column) {
      if (column > 0) text += "|";
      bool null = PQgetisnull(result.get(), row, column);
      text += null ? "NULL" : PQgetvalue(result.get(), row, column);
    }
    rows.push_back(text);
  }
  return rows;
}

std::unique_ptr<LockHolder> HoldServerLock(const std::string& uri, bool readersToo) {
  return std::make_unique<ServerLock>(uri, readersToo);
}

}  // namespace viruzedi::testing
