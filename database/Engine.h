// What each database engine implements, and the one place that picks the
// engine from a database value (DbPath, the database parameter, --db,
// init-db, mostra).
//
// Adding an engine. Everything of Database.h is written once in database/
// above the engines: statement parsing, value checks and conversions, the
// record set, counting stored and refused rows, the transaction with the
// redo of refused rows (Connection.h), the sharing of a thread's
// connections (ConnectionReuse.h), the rule that finds a table by its name,
// the tables' descriptions (TargetTables.h) and the 3420 after Close. An
// engine supplies only what differs:
//   - in database/<engine>/: an Engine (below) and the EngineConnection it
//     connects: its catalog, sending a batch of rows, running a statement,
//     the transaction and its restart, durability. Its sources.cmake adds
//     its sources and the library only it links, and database/sources.cmake
//     includes it;
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
#include "database/TableSchema.h"
#include "database/TargetTables.h"

namespace viruzedi {

// A table or view as an engine's catalog lists it.
struct CatalogTable {
  std::string name;  // as declared
  // The rank of the schema that holds it in the order the engine looks
  // names up (a server's search_path); 0 where there is one place only.
  int place = 0;
  std::string catalog;  // where the catalog found it, "" where the engine has no such thing
  std::string schema;
  std::string id;       // the engine's own handle, "" where it needs none
  std::string sqlName;  // as the engine's SQL text names it: quoted, with its schema where needed
};

// A table as the engine-neutral layer knows it: where it was found, its
// columns, and what TableVersions compares to tell whether another program
// changed it since.
struct KnownTable {
  CatalogTable where;
  TableSchema schema;
  std::string version;
};

// Rows for one table that set the same columns, each value already of its
// column's kind and within its limits.
struct RowBatch {
  const KnownTable* table = nullptr;
  std::vector<size_t> columns;     // indexes into table->schema.columns
  std::vector<BoundValue> values;  // row after row, columns.size() values each
  size_t rows = 0;

  const BoundValue* Row(size_t row) const { return values.data() + row * columns.size(); }
};

// What became of a batch that no error stopped.
struct BatchOutcome {
  // The rows a constraint refused (their indexes in the batch, ascending);
  // every other row is stored.
  std::vector<size_t> refused;
  // A constraint refused a row inside a transaction that such a refusal
  // ends (EngineConnection::RefusalEndsTransaction): no row of the batch
  // counts, and the transaction must be restarted before anything else.
  bool failedWhole = false;
};

// One connection of an engine, as the layer in database/ drives it. Not
// thread-safe: the thread that connected it (the layer hands it to no
// other). Errors are the component's numbers (Database.h); destroying it
// rolls back what is open and lets the database go.
class EngineConnection {
 public:
  virtual ~EngineConnection() = default;

  // The database as messages name it, its passwords masked.
  virtual const std::string& Shown() const = 0;
  // Whether a new open of `name` may go on this connection instead of a new
  // one (ConnectionReuse.h says when it is asked): it still holds, and
  // `name` still names the database it has open. May throw what a new open
  // of `name` would (a file gone, another program's lock).
  virtual bool StillServes(const std::string& name, bool inTransaction) = 0;

  // Every table (and view) of the places where names are looked up, places
  // in the order they are searched (ChooseTable).
  virtual std::vector<CatalogTable> Tables() = 0;
  // Reads the columns of `table.where` into `table.schema` (each with its
  // kind and the limits the engine knows) and its version.
  virtual void ReadTable(KnownTable& table) = 0;
  // The version of each table now, in order; "" for one that is gone.
  virtual std::vector<std::string> TableVersions(const std::vector<const KnownTable*>& tables) = 0;
  // The tables are read anew: what was prepared on the old ones goes.
  virtual void ForgetStatements() = 0;

  // The rows a batch holds at most: enough that what an engine pays per
  // batch is spread thin, few enough that memory stays flat however long
  // the file. An engine that pays much per batch (an exchange with a
  // server) may take more.
  virtual size_t BatchRows() const { return 256; }
  // Sends every row of the batch: inside a transaction into it, outside
  // one each row committed on its own. Returns the rows a constraint
  // refused; where a refusal ends the open transaction, stops at the first
  // and says the batch failed whole. On any other failure it throws, and
  // only what the transaction rolls back is undone: 3045 a lock past the
  // busy timeout, 3043 the disk, 3051 the user's rights, 3146 the
  // connection lost, 3163 and 3349 a value the database refused, 3000
  // anything else the database reports.
  virtual BatchOutcome Send(const RowBatch& batch) = 0;
  // A statement of the component's own bookkeeping (Database::Run): `sql`
  // with a ? for each parameter bound in order, its rows as text.
  virtual std::vector<std::vector<std::string>> Run(const std::string& sql,
                                                    const std::vector<BoundValue>& parameters) = 0;
  // SQL text that carries no value (a savepoint, a CREATE TABLE).
  virtual void Execute(const std::string& sql) = 0;

  // The transaction: Begin takes what lock the database takes for writing
  // (3045); a Commit that fails leaves none open; Rollback never throws and
  // does nothing with none open.
  virtual void Begin() = 0;
  virtual void Commit() = 0;
  virtual void Rollback() noexcept = 0;
  // After a batch failed whole: the transaction rolled back and begun anew.
  virtual void RestartTransaction() = 0;
  // Whether a refused row ends the open transaction (a server's), so that
  // the layer must put rows that may be refused under savepoints.
  virtual bool RefusalEndsTransaction() const = 0;
  // Database::MakeDurable.
  virtual void MakeDurable() = 0;

  // Checks, writing nothing, the rights an import needs (Database::
  // CheckWritable): to add rows with `columns` of `table`, and to read,
  // add and update the entries of the ledger, which `ledger` looks up (null
  // when the database has none). 3051 naming what is missing. An engine
  // whose rights show when the database opens (a file's) or that cannot
  // ask checks nothing.
  virtual void CheckRights(const KnownTable& table, const std::vector<size_t>& columns,
                           const std::function<const KnownTable*()>& ledger) = 0;
  // The words of this database's SQL for the ledger's columns.
  virtual const SqlTypes& LedgerTypes() const = 0;
  // Inside the transaction that makes tables, before it looks whether they
  // are there: makes other programs that make them wait (a server's
  // advisory lock), so that the second finds the first's tables.
  virtual void LockTableCreation() = 0;
  // The listing of `table`: its first `most` rows, each cell as text (""
  // for Null, a real number in its shortest form), and the count of all.
  virtual void ListRows(const KnownTable& table, size_t most,
                        std::vector<std::vector<std::string>>& rows, int64_t& count) = 0;
};

// One engine: the databases of one kind of value. Thread-safe: one engine
// serves every thread; each connection it makes is for one thread.
class Engine {
 public:
  virtual ~Engine() = default;

  // The name a database is known by among this thread's connections
  // (ConnectionReuse.h): two values with the same key name the same
  // database; "" for one that is never shared. Throws what an open would
  // for a value that can name no database.
  virtual std::string ReuseKey(const std::string& name) = 0;
  // Connects to an existing database, never creating one (DBEngine::
  // OpenDatabase lists the errors), for reading and writing, waiting up to
  // `busyTimeout` for a lock held by another program.
  virtual std::unique_ptr<EngineConnection> Connect(const std::string& name,
                                                    std::chrono::milliseconds busyTimeout) = 0;
  // Connects for a listing, which only reads: the errors of Connect.
  virtual std::unique_ptr<EngineConnection> ConnectToRead(
      const std::string& name, std::chrono::milliseconds busyTimeout) = 0;
  // Creates the database with the component's tables, or nothing at all
  // (DBEngine::CreateTargetDatabase lists the errors).
  virtual void CreateTargetDatabase(const std::string& name) = 0;
};

// The rows of one table as the command line's listing shows them.
struct TableRows {
  std::string name;  // as declared; as asked when the table is missing
  bool missing = false;
  std::vector<std::string> columns;
  // The first rows, each cell as text ("" for Null), on one line each.
  std::vector<std::vector<std::string>> rows;
  int64_t count = 0;  // every row of the table
};

// A real number's text as a listing shows it, whichever engine holds it: its
// shortest form that reads back as the same double; `text` as it is when it
// is no number.
std::string ListedNumber(const std::string& text);

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
