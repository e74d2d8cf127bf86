// The database component: the engine root, databases and append-only record
// sets. The engine is chosen by the database value (database/Engine.h): an
// SQLite file, a PostgreSQL server or an ODBC connection string. Database,
// its record set and everything under them down to the engine's connection
// (Connection.h) are the same for every engine; an engine supplies only the
// connection (EngineConnection, with what a new engine must implement, in
// Engine.h).
//
// The imports hand the engine rows by value (Row.h), one at a time or a
// whole file's from a source it may read again (RowSource.h). Execute takes
// the same row as statement text: exactly one
//   Insert Into <table> (<column>, ...) Select <literal>, ...
// with names plain or in square brackets (matched without regard to case)
// and literals 'text' (a doubled quote stands for one), numbers, #mm/dd/yyyy#
// dates and Null. Either way the row runs as a prepared, parameterised
// INSERT: no text of a value ever reaches the engine as SQL.
//
// Values are checked against the declared type of their column:
//   INTEGER (a type naming INT)    a number; a fraction is rounded to the
//                                   nearest integer, halves to even; outside
//                                   the 64-bit range it is the wrong type
//   DATE (a type naming DATE/TIME)  a date, stored as the text yyyy-mm-dd
//   REAL, DOUBLE, NUMERIC, ...      a number
//   TEXT (CHAR, CLOB, TEXT)         a text; a number is stored as written
//                                   (sign and digits, no blanks), a date as
//                                   yyyy-mm-dd
//   no type, BLOB                   anything, stored as given
// Null goes everywhere (a constraint may then refuse the row). A row that a
// constraint refuses (unique key, NOT NULL, CHECK) is dropped without an
// error, for statements and record sets alike.
//
// Errors (AutomationError): 3024 file not found, 3045 file in use or locked,
// 3051 file cannot be opened (permissions, read-only), 3343 not a database,
// 3078 table not found, 3127 unknown column, 3134 syntax error (also: an
// impossible date literal, a value count that differs from the column count,
// a column named twice), 3464 value of the wrong type, 3265 unknown field of
// a record set, 3421 value a field cannot take, 3020 Update without AddNew,
// 3420 use of a closed database or record set, 3043 disk error, 3000 any
// other failure of the engine (with its own message). A database server
// adds: 3151 cannot connect (with the client library's reason), 3146 the
// connection was lost (what was committed before stays), 3163 a text longer
// than its column takes, 3349 a number outside its column's range; there
// 3045 is a lock held by another session past the busy timeout or a
// deadlock, 3051 a role that may not insert, 3043 the server's disk full.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "viruzedi/AutomationError.h"
#include "viruzedi/Variant.h"
#include "database/ColumnValue.h"
#include "database/DatabaseSettings.h"

namespace viruzedi {

// Record-set option and update type used by the imports.
inline constexpr int kDbAppendOnly = 8;
inline constexpr int kDbUpdateRegular = 1;

class Connection;
class Recordset;
class RowSource;
struct DatabaseSession;
struct Row;
struct TableSchema;

// An open target database. Closed by Close() or when destroyed; after Close
// every call but Close fails with 3420. Not thread-safe: one thread at a time.
class Database {
 public:
  // Made by DBEngine::OpenDatabase over this thread's connection to the
  // database. Keeps `settings` for the life of its record sets and tells it
  // of every row stored.
  Database(std::shared_ptr<Connection> connection, std::shared_ptr<DatabaseSettings> settings,
           std::string name);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Stores one row given by value (Row.h). When it returns, the row is
  // stored (committed on its own outside the operation's transaction) or a
  // constraint refused it (dropped without an error). On an error nothing is
  // stored: 3078 table, 3127 column, 3134 a column named twice or a date
  // that names no day, 3464 value type, 3045 when another program keeps the
  // database locked past the busy timeout.
  void InsertRow(const Row& row);
  // Stores every row of `rows` as InsertRow would store each, sent in
  // batches. A row's own fault (3078, 3127, 3134, 3464, 3163, 3349) is
  // given to rows.Blame and thrown; what the source throws passes as it is.
  // Inside a transaction the source must stay readable until the
  // transaction ends: where a refused row ends a server's transaction, the
  // rows written in it are read again from their sources (Connection.h).
  void InsertRows(RowSource& rows);
  // Reads every row of `rows` and checks it against its table as
  // InsertRows would (but for the limits of the columns, checked as the
  // rows are written), writing nothing; how many rows it holds. The whole
  // source is read first: a fault of the reading comes before the first
  // row's own fault (given to rows.Blame).
  uint64_t CheckRows(RowSource& rows);
  // Runs one statement: parsed (3134 for its syntax), then stored as the row
  // it stands for, by InsertRow.
  void Execute(const std::string& statement);
  // An append-only record set on "Select * from <table>" (the only form the
  // imports use; the table matched without regard to case); any other
  // source is syntax error 3134, a missing table 3078. The options are
  // accepted as given: the record set is append-only whatever they say.
  // The record set may outlive the Database, but fails with 3420 once the
  // Database is closed.
  std::unique_ptr<Recordset> OpenRecordset(const std::string& source, int options);
  // Makes every row written so far durable on disk, so that the source of
  // the rows (a reader's memory, a received file) can then be erased or
  // archived without risk. Rows are committed with synchronous=NORMAL in WAL
  // mode, so a power failure could lose the last commits until this is
  // called. Throws 3043 when the disk refuses; then nothing must be erased.
  void MakeDurable();
  void Close();

  // The operation's transaction (use the Transaction scope below): rows
  // written from Begin to Commit are stored together or not at all. Begin
  // takes the file's write lock, waiting for another program up to the busy
  // timeout (3045), and fails with 3000 while one is open; Commit fails
  // with 3045 or 3043 and then stores nothing. Other Databases this thread
  // opens on the same database meanwhile share the connection and write
  // into the same transaction. A transaction still open when the Database
  // is closed or destroyed is rolled back.
  void BeginTransaction();
  void CommitTransaction();
  // Drops what the open transaction wrote; never throws.
  void RollbackTransaction() noexcept;
  // The table named so (without regard to case), its columns in the
  // engine-neutral kinds: 3078 when there is none.
  TableSchema Schema(const std::string& table);
  // Checks, writing nothing, that an import can write `columns` of `table`
  // (both matched without regard to case) and its entries of the import
  // ledger: 3078 for the table, 3127 for the first missing column, 3464 for
  // the first column of a type the engine cannot write (a server's boolean
  // or money), 3051 when the user's rights refuse to add the rows, or to
  // read, add or update the ledger's entries where the database has the
  // ledger (a server's rights; a file that may not be written is refused
  // when it opens). The operations call it before anything leaves a reader.
  void CheckWritable(const std::string& table, const std::vector<std::string>& columns);
  // Rows that a constraint refused (dropped without an error) through this
  // Database and its record sets.
  uint64_t RowsRefused() const;
  // Tells the settings' observer how many rows the import about to write
  // will store (DatabaseSettings::ExpectRows).
  void ExpectRows(uint64_t rows);

  // The import ledger's statements (database/ImportLedger.h): `sql`, the
  // component's own, with `parameters` bound to its ? marks, in the open
  // transaction when there is one. Its rows, each cell as text. The
  // engine's errors (3051 when the user's rights refuse).
  std::vector<std::vector<std::string>> Run(const std::string& sql,
                                            const std::vector<BoundValue>& parameters);
  // Makes the ledger's table when it is missing, in a transaction of its
  // own (none may be open). 3051 when the user's rights refuse it.
  void CreateLedgerTable();
  // A new Database on the same database with the same settings, for a
  // question that must not ride on this one's connection: after a commit
  // whose connection was lost (3146), whether the server committed. The
  // engine makes a new connection where this one's is gone. The errors of
  // DBEngine::OpenDatabase (3151 when the server cannot be reached).
  std::unique_ptr<Database> Reopen();

 private:
  // Shared with the record sets, which may outlive the Database.
  std::shared_ptr<DatabaseSession> session_;
  std::string name_;  // the database value it was opened with
};

// The operation's transaction as a scope: begun on construction, rolled back
// on leaving the scope unless Commit was called. The thread of its Database.
class Transaction {
 public:
  explicit Transaction(Database& database) : database_(database) { database_.BeginTransaction(); }
  ~Transaction() {
    if (!committed_) database_.RollbackTransaction();
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void Commit() {
    database_.CommitTransaction();
    committed_ = true;
  }

 private:
  Database& database_;
  bool committed_ = false;
};

// Append-only: rows are added, never read. Closed by Close() or when
// destroyed; a row added and not saved is then discarded. Not thread-safe:
// the thread of its Database.
class Recordset {
 public:
  virtual ~Recordset() = default;
  // Starts a new row, discarding one started and not saved. Fields not set
  // before Update take the column's default (Null when it has none).
  virtual void AddNew() = 0;
  // Sets a field of the new row, converting the value to the field's type:
  // to a number from a number, a boolean (-1/0) or a number text with "."
  // or "," as decimal mark (an integer field rounds halves to even); to a
  // date from a date or a text yyyy-mm-dd; to a text from anything (a date
  // as yyyy-mm-dd). Empty and Null set Null. 3265 for an unknown field
  // (matched without regard to case), 3421 when the value cannot be
  // converted (the row keeps its other fields), 3020 without AddNew.
  virtual void SetCollect(const std::string& field, const Variant& value) = 0;
  // Saves the new row: one row per call, committed on its own, or dropped
  // when a constraint refuses it. 3020 when no row was started. The type and
  // force arguments are accepted and have no effect.
  virtual void Update(int type = kDbUpdateRegular, bool force = false) = 0;
  virtual void Close() = 0;
};

// The engine root, one for the whole component: it hands each database
// value to its engine (EngineFor). Thread-safe; it holds no settings of its
// own: each open is given the caller's (DatabaseSettings).
class DBEngine {
 public:
  static DBEngine& Instance();

  // Opens an existing database for reading and writing; an SQLite file in
  // WAL mode; never creates one. 3024 when missing, 3045 when locked by
  // another program past the busy timeout, 3051 without permission to read
  // and write it (and, saying so, for an SQLite path longer than SQLite or
  // the file system takes), 3343 when it is not a database (an empty file
  // included).
  // Every open checks the database anew, but while this thread holds
  // another Database open on the very same database with the same busy
  // timeout the two share its connection, as ConnectionReuse.h tells (the
  // file stays open until both are closed or released). `settings` must
  // outlive the Database; without it the Database has settings of its own,
  // with the defaults.
  std::unique_ptr<Database> OpenDatabase(const std::string& name, DatabaseSettings& settings);
  std::unique_ptr<Database> OpenDatabase(const std::string& name);

  // Creates a new database file with the component's two tables, or nothing
  // at all. 58 when the file already exists, 76 when its folder is missing,
  // 70 when the folder cannot be written, 3043 (saying so) for an SQLite
  // path longer than SQLite or the file system takes.
  static void CreateTargetDatabase(const std::string& name);

 private:
  DBEngine() = default;
};

// A readable listing of the rows of the component's two tables (for the
// command line's summary; the operations themselves never read rows): per
// table its columns and at most 50 rows, with the count of the others.
// Reads the database without writing, with the errors of OpenDatabase.
std::string DumpTables(const std::string& name, const DatabaseSettings& settings = {});

}  // namespace viruzedi
