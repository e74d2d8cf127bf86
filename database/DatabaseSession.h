// A Database's session: its share of this thread's connection to the
// database (ConnectionReuse.h), and the counts of what it wrote. One class
// for every engine; the record sets share it with their Database.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "database/Connection.h"
#include "database/DatabaseSettings.h"

namespace viruzedi {

// Not thread-safe: the thread of its Database.
struct DatabaseSession : RowCounts {
  DatabaseSession(std::shared_ptr<Connection> connection,
                  std::shared_ptr<DatabaseSettings> settings)
      : connection(std::move(connection)), settings(std::move(settings)) {}

  std::shared_ptr<Connection> connection;  // null once closed
  std::shared_ptr<DatabaseSettings> settings;
  uint64_t rowsRefused = 0;
  bool inTransaction = false;  // begun through this Database
  // Whether this session made sure that the tables the connection read
  // before are still as they were. Done at the session's first table rather
  // than at its open: an import that opens its database for every record
  // only to see that it is still there must not pay for it.
  bool tablesChecked = false;

  // The open connection; 3420 once closed.
  Connection& Open() const;
  // The table named so (Connection::Table), 3420 once closed.
  std::shared_ptr<const KnownTable> Table(const std::string& name);
  // Inserts one bound row and counts it: stored (told to the settings) or
  // refused by a constraint. The errors of Connection::Insert.
  void Insert(const KnownTable& table, const std::vector<size_t>& columns,
              const std::vector<BoundValue>& values);
  // Lets the connection go; other sessions may still hold it.
  void Close() noexcept { connection.reset(); }

  void Stored() override { settings->NotifyRowStored(); }
  void Refused() override { ++rowsRefused; }
};

}  // namespace viruzedi
