// The database component: the engine root, databases and append-only record
// sets, on SQLite files.
//
// The statement language is the one the imports write: exactly one
//   Insert Into <table> (<column>, ...) Select <literal>, ...
// with names plain or in square brackets (matched without regard to case)
// and literals 'text' (a doubled quote stands for one), numbers, #mm/dd/yyyy#
// dates and Null. It is parsed here and run as a prepared, parameterised
// INSERT: no text of a value ever reaches SQLite as SQL.
//
// Errors (AutomationError): 3024 file not found, 3045 file in use or locked,
// 3051 file cannot be opened, 3343 not a database, 3078 table not found,
// 3127 unknown column, 3134 syntax error, 3464 value of the wrong type,
// 3265 unknown field of a record set, 3421 value a field cannot take.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "component/Variant.h"

namespace viruzedi {

enum DatabaseError : int32_t {
  kDbFileNotFound = 3024,
  kDbLocked = 3045,
  kDbCannotOpen = 3051,
  kDbNotADatabase = 3343,
  kDbTableNotFound = 3078,
  kDbUnknownColumn = 3127,
  kDbSyntaxError = 3134,
  kDbTypeMismatch = 3464,
  kDbUnknownField = 3265,
  kDbFieldValue = 3421,
};

// Record-set option and update type used by the imports.
inline constexpr int kDbAppendOnly = 8;
inline constexpr int kDbUpdateRegular = 1;

class Recordset;

// An open target database. Closed by Close() or when destroyed.
class Database {
 public:
  virtual ~Database() = default;
  // Runs one statement. When it returns, the row is stored (committed on its
  // own). A row that a constraint refuses is dropped without an error.
  virtual void Execute(const std::string& statement) = 0;
  // An append-only record set on "Select * from <table>" (the only form the
  // imports use); any other source is syntax error 3134.
  virtual std::unique_ptr<Recordset> OpenRecordset(const std::string& source,
                                                   int options) = 0;
  // Makes every row written so far durable on disk, so that the source of
  // the rows (a reader's memory, a received file) can then be erased or
  // archived without risk.
  virtual void MakeDurable() = 0;
  virtual void Close() = 0;
};

class Recordset {
 public:
  virtual ~Recordset() = default;
  // Starts a new row; a row started and not saved is discarded.
  virtual void AddNew() = 0;
  // Sets a field of the new row, converting the value to the field's type
  // (text to number accepts "." or "," as decimal mark): 3265 for an unknown
  // field, 3421 when the value cannot be converted.
  virtual void SetCollect(const std::string& field, const Variant& value) = 0;
  // Saves the new row (one row per call, committed on its own).
  virtual void Update(int type = kDbUpdateRegular, bool force = false) = 0;
  virtual void Close() = 0;
};

// The engine root, one for the whole component.
class DBEngine {
 public:
  static DBEngine& Instance();

  // Opens an existing database file; never creates one. 3024 when missing.
  std::unique_ptr<Database> OpenDatabase(const std::string& name);

  // Creates a new database file with the component's two tables.
  // 58 when the file already exists.
  static void CreateTargetDatabase(const std::string& name);

  // Called after every row stored, with the number of rows stored so far by
  // this process (progress display of the command line).
  void SetRowObserver(std::function<void(uint64_t)> observer);
  void NotifyRowStored();

 private:
  DBEngine() = default;
  std::function<void(uint64_t)> observer_;
  uint64_t rowsStored_ = 0;
};

// A readable listing of the rows of the component's two tables (for the
// command line's summary; the operations themselves never read rows).
std::string DumpTables(const std::string& name);

}  // namespace viruzedi
