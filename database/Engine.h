// What each database engine implements, and the one place that picks the
// engine from a database value (DbPath, the database parameter, --db,
// init-db, mostra).
//
// Adding an engine. Everything of Database.h above the engine (statement
// parsing, value checks and conversions, the record set, counting stored and
// refused rows, the transaction scope, the 3420 after Close) is written once
// in database/; an engine supplies only what differs:
//   - in database/<engine>/: an Engine (below) and the EngineSession its
//     OpenSession returns: table schema, inserting one bound row,
//     transactions, durability, close. Its sources.cmake adds its sources
//     and the library only it links, and database/sources.cmake includes it;
//   - in Engines.cc: one line of EngineFor that hands it the values it takes
//     (DatabaseValue.h tells the kinds of value apart);
//   - under tests/database/<engine>/: the test support declared in
//     tests/database/support/ (RawDatabase, DatabaseLock) on the engine's own
//     client, so that the tests of tests/database/ run against it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "database/ColumnValue.h"
#include "database/Database.h"
#include "database/TableSchema.h"

namespace viruzedi {

// The rows of one table as the command line's listing shows them.
struct TableRows {
  std::string name;     // as declared; as asked when the table is missing
  bool missing = false;
  std::vector<std::string> columns;
  // The first rows, each cell as text ("" for Null), on one line each.
  std::vector<std::vector<std::string>> rows;
  int64_t count = 0;    // every row of the table
};

// One Database's hold on its database: all that the engine-neutral Database
// and its record sets ask of an engine. Owned by the Database and its record
// sets together, so it may outlive the Database's Close; every call but
// Rollback and Close then fails with 3420. Not thread-safe: the thread of its
// Database.
class EngineSession {
 public:
  virtual ~EngineSession() = default;

  // Throws 3420 once closed.
  virtual void CheckOpen() const = 0;
  // The table named so (an exact match first, else a match without regard
  // to case), each column with its engine-neutral kind. 3078 when there is
  // none. The reference stays valid until Close.
  virtual const TableSchema& Table(const std::string& name) = 0;
  // Inserts one row of `table` (as Table described it, maybe a copy):
  // `values[i]` into column `columns[i]`, each already of its column's kind
  // (BindRow); none, a row of defaults. Returns true when the row was
  // stored, false when a constraint refused it. Committed on its own outside
  // a transaction. On an error nothing is stored: 3045 when the database
  // stays locked past the busy timeout, 3043 a disk error, 3000 anything
  // else the engine reports.
  virtual bool Insert(const TableSchema& table, const std::vector<size_t>& columns,
                      const std::vector<BoundValue>& values) = 0;
  // The transaction of Database::BeginTransaction (see there). Begin takes
  // the write lock before the first row (3045); a Commit that fails (3045,
  // 3043) leaves no transaction open. Rollback drops what the transaction
  // wrote, never throws, and does nothing once closed or with none open.
  virtual void Begin() = 0;
  virtual void Commit() = 0;
  virtual void Rollback() noexcept = 0;
  // Every row committed so far is on disk when it returns (Database::
  // MakeDurable); 3043 when the disk refuses.
  virtual void MakeDurable() = 0;
  // A statement of the component's own bookkeeping (the import ledger's),
  // never made from the text of a value: `sql` as every engine reads it
  // (plain names, a ? for each parameter), `parameters` bound in order. Runs
  // inside the open transaction when there is one, else on its own. The
  // rows it yields, each cell as text ("" for Null). The engine's errors:
  // 3045, 3043, 3051 when the user's rights refuse, 3146, 3000.
  virtual std::vector<std::vector<std::string>> Run(const std::string& sql,
                                                    const std::vector<BoundValue>& parameters) = 0;
  // Checks, writing nothing, that the user's rights let an import add rows
  // with `columns` (indexes into `table`, as Table described it) and, when
  // the database has the import ledger, read, add and update its entries:
  // 3051 naming the table and the rights missing. An engine whose rights
  // show when the database opens (a file's) or that cannot ask (ODBC
  // drivers answer too differently) checks nothing.
  virtual void CheckRights(const TableSchema& table, const std::vector<size_t>& columns) = 0;
  // Makes the import ledger's table (database/LedgerTable.h) when it is
  // missing, in a transaction of its own: none may be open. Several
  // programs doing it at once all succeed. 3051 when the user's rights
  // refuse it, and then nothing is made.
  virtual void CreateLedgerTable() = 0;
  // Lets the database go; a connection that other sessions share stays open
  // for them. Never throws; closing twice is harmless.
  virtual void Close() noexcept = 0;
};

// Starts the listing of the table `name`: its schema, found by `lookup`, with
// `listed` named after it and given its columns; or null, with `listed`
// marked missing, when the lookup finds no such table (3078).
const TableSchema* StartListing(const std::string& name, TableRows& listed,
                                const std::function<const TableSchema&()>& lookup);

// One engine: the databases of one kind of value. Thread-safe: one engine
// serves every thread; each session it opens is for one thread at a time.
class Engine {
 public:
  virtual ~Engine() = default;

  // Opens an existing database, never creating one (DBEngine::OpenDatabase
  // lists the errors), waiting up to `busyTimeout` for a lock held by
  // another program. An engine may serve a new open with a connection this
  // thread holds open already on the same database.
  virtual std::unique_ptr<EngineSession> OpenSession(const std::string& name,
                                                     std::chrono::milliseconds busyTimeout) = 0;
  // Creates the database with the component's two tables, or nothing at all
  // (DBEngine::CreateTargetDatabase lists the errors).
  virtual void CreateTargetDatabase(const std::string& name) = 0;
  // Reads, writing nothing, the first `most` rows of each table and their
  // count; a table that is not there is marked missing. The errors of
  // OpenDatabase.
  virtual std::vector<TableRows> ListRows(const std::string& name,
                                          const std::vector<std::string>& tables, size_t most,
                                          std::chrono::milliseconds busyTimeout) = 0;
};

// The engine that a database value names (database/DatabaseValue.h), with
// the value as the engine takes it, without the blanks around it: an ODBC
// connection string the ODBC engine; a PostgreSQL URI or keyword string the
// server's engine; any other value an SQLite file path. On Windows every
// value goes through ODBC: a PostgreSQL value is refused (3151, with the
// ODBC connection string to write instead) and a file opened through the
// Access driver. 3151 for a value that begins as a URI and is none.
struct ChosenEngine {
  Engine& engine;
  std::string value;
};
ChosenEngine EngineFor(const std::string& name);

// Puts `through` between the component and every engine EngineFor picks
// (it returns the engine to use in place of the one it is given), or takes
// it away again with none. For a test program that must stand where a crash
// can fall; a host never needs it. Set it before any database is opened.
void RouteEnginesThrough(std::function<Engine&(Engine&)> through);

}  // namespace viruzedi
