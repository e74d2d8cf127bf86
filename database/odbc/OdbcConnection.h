// One ODBC connection of the engine: the connect with its checks, the tables
// read through the catalog functions, the prepared INSERTs, the transaction
// (with its redo where a refused row aborts it), and the driver's
// diagnostics as the component's numbers. Held by the sessions (OdbcSession)
// that this thread opens on the same connection string.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "database/ColumnValue.h"
#include "database/TableSchema.h"
#include "database/odbc/OdbcApi.h"

namespace viruzedi {

// A statement handle, freed when it goes out of scope.
class OdbcStatement {
 public:
  OdbcStatement() = default;
  explicit OdbcStatement(SQLHSTMT handle) : handle_(handle) {}
  ~OdbcStatement();
  OdbcStatement(OdbcStatement&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  OdbcStatement& operator=(OdbcStatement&& other) noexcept;
  SQLHSTMT get() const { return handle_; }

 private:
  SQLHSTMT handle_ = nullptr;
};

// Not thread-safe: the thread that opened it (the engine hands it to no other).
class OdbcConnection {
 public:
  // Connects with the connection string as given and sets up the session:
  // a lock wait ends after `busyTimeout` where the database lets the
  // session say so (a server's lock timeout, the SQLite driver's busy
  // timeout unless the string sets Timeout=), and commits reach the
  // server's disk. 3151 with the driver's reason, its password masked.
  static std::unique_ptr<OdbcConnection> Connect(const std::string& connection,
                                                 std::chrono::milliseconds busyTimeout);
  ~OdbcConnection();
  OdbcConnection(const OdbcConnection&) = delete;
  OdbcConnection& operator=(const OdbcConnection&) = delete;

  // Whether the connection still holds, as far as the driver knows without
  // asking the database.
  bool Alive();
  bool InTransaction() const { return inTransaction_; }
  // Reads the columns of the tables read so far again and forgets those
  // that another program changed, so that a new open sees what an open of
  // a new connection would. Outside a transaction only.
  void ForgetChangedTables();

  // The table named so: an exact match first, else the only match without
  // regard to case. 3078 when there is none. The reference stays valid
  // while the connection lives.
  const TableSchema& Table(const std::string& name);
  // Whether a table named so is there (Table without the error).
  bool HasTable(const std::string& name);
  // A table of Table's as SQL text names it: quoted, with its schema.
  const std::string& QualifiedName(const TableSchema& table);
  // The SQL type of each column of a table of Table's, as the driver
  // reported it.
  const std::vector<SQLSMALLINT>& ColumnTypes(const TableSchema& table);

  // Inserts one row: `values[i]` into column `columns[i]` of `table` (none:
  // a row of defaults); true when stored, false when a constraint refused
  // it. The values are checked against the columns' limits before anything
  // is sent.
  bool Insert(const TableSchema& table, const std::vector<size_t>& columns,
              const std::vector<BoundValue>& values);

  // The transaction of Database::BeginTransaction. 3000 when one is open.
  // A Commit that fails leaves none open; Rollback never throws.
  void Begin();
  void Commit();
  void Rollback() noexcept;

  // EngineSession::Run: `sql` prepared with `parameters` bound, its rows.
  std::vector<std::vector<std::string>> Run(const std::string& sql,
                                            const std::vector<BoundValue>& parameters);
  // EngineSession::CreateLedgerTable, in the words of the database system
  // behind the driver.
  void CreateLedgerTable();

  // Runs SQL text that carries no values; the errors of the driver.
  void Exec(const std::string& sql);
  // A new statement that has run `sql` (a query whose rows are then fetched).
  OdbcStatement Query(const std::string& sql);
  // A cell of the current row as UTF-8 text; false for Null.
  bool Text(SQLHSTMT statement, SQLUSMALLINT column, std::string& text);

  // The name of the database system, as the driver gives it.
  const std::string& DbmsName() const { return dbms_; }
  // An identifier quoted as the driver quotes one.
  std::string Quote(const std::string& name) const;
  // The same name as the database stores an unquoted one (the driver's
  // SQL_IDENTIFIER_CASE), for the tables that init-db writes.
  std::string StoredCase(const std::string& name) const;
  // The connection string as messages show it, its passwords masked.
  const std::string& Shown() const { return shown_; }
  // Throws the component's error for a failed call on `handle`.
  [[noreturn]] void Fail(SQLSMALLINT type, SQLHANDLE handle);

 private:
  // A row inserted in the open transaction, kept for its redo.
  struct KeptRow {
    std::string table;
    std::vector<size_t> columns;
    std::vector<BoundValue> values;
  };
  struct KnownTable {
    std::unique_ptr<TableSchema> schema;
    std::string catalog, schemaName;  // where the catalog found it
    std::string qualified;
    std::vector<SQLSMALLINT> types;
  };
  enum class Outcome { Stored, Refused };
  struct Diagnostic {
    std::string state;
    SQLINTEGER native = 0;
    std::string message;
  };

  OdbcConnection(std::string connection, SQLHENV environment, SQLHDBC handle);
  Diagnostic Diagnose(SQLSMALLINT type, SQLHANDLE handle);
  bool IsRefusal(const Diagnostic& diagnostic) const;
  [[noreturn]] void Raise(const Diagnostic& diagnostic);
  void Check(SQLRETURN result, SQLSMALLINT type, SQLHANDLE handle);
  OdbcStatement NewStatement();
  SQLRETURN Prepare(SQLHSTMT statement, const std::string& sql);
  SQLRETURN ExecDirect(SQLHSTMT statement, const std::string& sql);
  std::string InfoText(SQLUSMALLINT info);
  void ReadSession(std::chrono::milliseconds busyTimeout);
  // Whether wide calls carry every character to the driver: false for a
  // driver with no wide entry points behind a driver manager that converts
  // through a locale short of UTF-8; the narrow calls then carry UTF-8.
  bool WideCallsKeepText();
  KnownTable* FindTable(const std::string& name);
  void ReadColumns(KnownTable& table);
  KnownTable& Own(const TableSchema& table);
  OdbcStatement& PreparedInsert(KnownTable& table, const TableSchema& asked,
                                const std::vector<size_t>& columns);
  Outcome Send(const TableSchema& table, const std::vector<size_t>& columns,
               const std::vector<BoundValue>& values);
  Outcome SendInSavepoint(const TableSchema& table, const std::vector<size_t>& columns,
                          const std::vector<BoundValue>& values);
  void Redo();
  void EndTransaction(SQLSMALLINT completion);

  std::string connection_;
  std::string shown_;
  SQLHENV environment_;
  SQLHDBC handle_;
  bool connected_ = false;
  bool wide_ = true;
  bool broken_ = false;
  std::string dbms_;
  std::string quote_;
  SQLUSMALLINT identifierCase_ = SQL_IC_MIXED;
  bool schemasInStatements_ = false;
  // The database's own kinds: SQLite's columns take any integer and any
  // length whatever their declared type; PostgreSQL ends the transaction
  // at a refused row.
  bool sqlite_ = false;
  bool refusalAbortsTransaction_ = false;
  SQLULEN queryTimeout_ = 0;  // seconds, where no session setting serves

  std::vector<KnownTable> tables_;                 // never shrinks: references stay
  std::map<std::string, size_t> asked_;            // name as asked -> tables_
  std::map<std::string, OdbcStatement> inserts_;   // SQL text -> prepared statement
  bool inTransaction_ = false;
  bool savepointPerRow_ = false;
  std::vector<KeptRow> kept_;
};

}  // namespace viruzedi
