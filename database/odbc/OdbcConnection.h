// One ODBC connection of the engine: the connect with its checks, the
// driver's diagnostics as the component's numbers and the transaction
// (OdbcConnection.cc), the tables read through the catalog functions
// (OdbcCatalog.cc), the rows and statements with their parameters bound
// (OdbcRows.cc). The layer in database/ shares it among the Databases that
// this thread opens on the same connection string.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "database/Engine.h"
#include "database/odbc/OdbcApi.h"

namespace viruzedi {

// A statement handle, freed when it goes out of scope.
class OdbcStatement {
 public:
  OdbcStatement() = default;
  explicit OdbcStatement(SQLHSTMT handle) : handle_(handle) {}
  ~OdbcStatement();
  OdbcStatement(OdbcStatement&& other) noexcept : handle_(other.handle_) {
    other.handle_ = nullptr;
  }
  OdbcStatement& operator=(OdbcStatement&& other) noexcept;
  SQLHSTMT get() const { return handle_; }

 private:
  SQLHSTMT handle_ = nullptr;
};

class OdbcConnection : public EngineConnection {
 public:
  // Connects with the connection string as given and sets up the session:
  // a lock wait ends after `busyTimeout` where the database lets the
  // session say so (a server's lock timeout, the SQLite driver's busy
  // timeout unless the string sets Timeout=), and commits reach the
  // server's disk. 3151 with the driver's reason, its password masked.
  static std::unique_ptr<OdbcConnection> Connect(const std::string& connection,
                                                 std::chrono::milliseconds busyTimeout);
  ~OdbcConnection() override;
  OdbcConnection(const OdbcConnection&) = delete;
  OdbcConnection& operator=(const OdbcConnection&) = delete;

  // The connection string, its passwords masked.
  const std::string& Shown() const override { return shown_; }
  // Whether the connection still holds, as far as the driver knows without
  // asking the database.
  bool StillServes(const std::string& name, bool inTransaction) override;

  // The tables and views the catalog lists, all in one place; a table's
  // version is its columns as the catalog describes them.
  std::vector<CatalogTable> Tables() override;
  void ReadTable(KnownTable& table) override;
  std::vector<std::string> TableVersions(const std::vector<const KnownTable*>& tables) override;
  void ForgetStatements() override { inserts_.clear(); }

  // A refusal ends the transaction where the database behind the driver
  // aborts it on one (PostgreSQL): the batch then stops there, failed whole.
  BatchOutcome Send(const RowBatch& batch) override;
  std::vector<std::vector<std::string>> Run(const std::string& sql,
                                            const std::vector<BoundValue>& parameters) override;
  void Execute(const std::string& sql) override { Query(sql); }

  void Begin() override;
  void Commit() override;
  void Rollback() noexcept override;
  void RestartTransaction() override;
  bool RefusalEndsTransaction() const override { return refusalAbortsTransaction_; }
  // Nothing to do: a commit that returned is the database's to keep (a
  // server session commits synchronously where it can be told so).
  void MakeDurable() override {}

  // Nothing asked: drivers tell rights too differently; a refusal shows at
  // the first row (3051 where the driver says 42501).
  void CheckRights(const KnownTable&, const std::vector<size_t>&,
                   const std::function<const KnownTable*()>&) override {}
  // In the words of the database system behind the driver.
  const SqlTypes& LedgerTypes() const override;
  void LockTableCreation() override;
  void ListRows(const KnownTable& table, size_t most, std::vector<std::vector<std::string>>& rows,
                int64_t& count) override;

  // A new statement that has run `sql` (a query whose rows are then fetched).
  OdbcStatement Query(const std::string& sql);
  // The name of the database system, as the driver gives it.
  const std::string& DbmsName() const { return dbms_; }
  // An identifier quoted as the driver quotes one.
  std::string Quote(const std::string& name) const;
  // The same name as the database stores an unquoted one (the driver's
  // SQL_IDENTIFIER_CASE), for the tables that init-db writes.
  std::string StoredCase(const std::string& name) const;

 private:
  struct Diagnostic {
    std::string state;
    SQLINTEGER native = 0;
    std::string message;
  };

  OdbcConnection(std::string connection, SQLHENV environment, SQLHDBC handle);
  Diagnostic Diagnose(SQLSMALLINT type, SQLHANDLE handle);
  bool IsRefusal(const Diagnostic& diagnostic) const;
  [[noreturn]] void Raise(const Diagnostic& diagnostic);
  // Throws the component's error for a failed call on `handle`.
  [[noreturn]] void Fail(SQLSMALLINT type, SQLHANDLE handle);
  void Check(SQLRETURN result, SQLSMALLINT type, SQLHANDLE handle);
  OdbcStatement NewStatement();
  SQLRETURN Prepare(SQLHSTMT statement, const std::string& sql);
  SQLRETURN ExecDirect(SQLHSTMT statement, const std::string& sql);
  // A cell of the current row as UTF-8 text; false for Null.
  bool Text(SQLHSTMT statement, SQLUSMALLINT column, std::string& text);
  std::string InfoText(SQLUSMALLINT info);
  void ReadSession(std::chrono::milliseconds busyTimeout);
  // Whether wide calls carry every character to the driver: false for a
  // driver with no wide entry points behind a driver manager that converts
  // through a locale short of UTF-8; the narrow calls then carry UTF-8.
  bool WideCallsKeepText();
  void ReadColumns(const CatalogTable& table, TableSchema& schema);
  OdbcStatement& PreparedInsert(const RowBatch& batch);
  // Rows [first, end) of a batch in parameter arrays (parameters_), as many
  // at each SQLExecute as the driver goes through, added to `outcome`;
  // false, with nothing sent, where the driver takes no arrays.
  bool SendArrays(SQLHSTMT statement, const RowBatch& batch, size_t first, size_t end,
                  BatchOutcome& outcome);
  // Rows [first, end) of a batch (parameters_) as one INSERT of as many
  // rows; false, with nothing stored, where a constraint refused one.
  bool SendInOneStatement(const RowBatch& batch, size_t first, size_t end);
  // Rows [first, end) of a batch, one SQLExecute each, added to `outcome`.
  void SendRows(SQLHSTMT statement, const RowBatch& batch, size_t first, size_t end,
                BatchOutcome& outcome);
  // Fills parameters_ with the batch's values; false where a column mixes kinds.
  bool FillColumns(const RowBatch& batch);
  // Whether the driver runs an array of `rows` parameter sets at once.
  bool TakesArrays(SQLHSTMT statement, SQLULEN rows);
  void EndTransaction(SQLSMALLINT completion);
  // Has the database begin the transaction now, where the driver waits for
  // the first statement.
  void StartTransaction();

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
  bool postgresql_ = false;
  bool refusalAbortsTransaction_ = false;
  // The parameters one SQLite statement may have: a statement of many rows
  // holds no more.
  size_t sqliteParameters_ = 999;
  SQLULEN queryTimeout_ = 0;  // seconds, where no session setting serves

  std::map<std::string, OdbcStatement> inserts_;  // SQL text -> prepared statement

  // One column of a batch as a parameter array binds it: its values `width`
  // bytes apart, and their lengths or SQL_NULL_DATA. Kept from batch to
  // batch, so that an import allocates them once.
  struct ParameterColumn {
    SQLSMALLINT cType = SQL_C_CHAR;
    SQLSMALLINT sqlType = SQL_VARCHAR;
    SQLULEN size = 1;
    SQLLEN width = 1;
    std::vector<char> data;
    std::vector<SQLLEN> lengths;
  };
  std::vector<ParameterColumn> parameters_;
  std::vector<SQLUSMALLINT> rowStatus_;
  SQLULEN processed_ = 0;
  enum class Arrays { kUntried, kTaken, kRefused };
  Arrays arrays_ = Arrays::kUntried;
  bool inTransaction_ = false;
};

}  // namespace viruzedi
