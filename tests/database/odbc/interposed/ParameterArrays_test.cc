// How the ODBC engine sends a file's rows through the SQLite driver (in
// statements of many rows, a part with a refused row again in parameter
// arrays), with the driver's executions counted, and answered otherwise
// where no driver at hand answers so: one that refuses arrays (as a
// desktop file database's does), one that takes the array size but keeps
// one set, and one that gives no count of the sets it processed. This
// program's SQLSetStmtAttr and SQLExecute stand before the driver
// manager's, which they call.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "database/Database.h"
#include "database/RowSource.h"
#include "database/odbc/OdbcApi.h"
#include "tests/database/support/EngineUnderTest.h"
#include "tests/database/support/RawDatabase.h"

namespace {

enum class Answer { kAsTheDriver, kNoArrays, kOneSetOnly, kNoCount };
Answer answer = Answer::kAsTheDriver;
int executions = 0;

template <typename Call>
Call Next(const char* name) {
  Call call = reinterpret_cast<Call>(dlsym(RTLD_NEXT, name));
  if (call == nullptr) std::abort();
  return call;
}

}  // namespace

extern "C" SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT statement, SQLINTEGER attribute,
                                            SQLPOINTER value, SQLINTEGER length) {
  using Call = SQLRETURN(SQL_API*)(SQLHSTMT, SQLINTEGER, SQLPOINTER, SQLINTEGER);
  static const Call next = Next<Call>("SQLSetStmtAttr");
  if (attribute == SQL_ATTR_PARAMSET_SIZE && reinterpret_cast<SQLULEN>(value) > 1) {
    if (answer == Answer::kNoArrays) return SQL_ERROR;
    if (answer == Answer::kOneSetOnly) value = reinterpret_cast<SQLPOINTER>(1);
  }
  if (attribute == SQL_ATTR_PARAMS_PROCESSED_PTR && value != nullptr &&
      answer == Answer::kNoCount) {
    return SQL_ERROR;
  }
  return next(statement, attribute, value, length);
}

extern "C" SQLRETURN SQL_API SQLExecute(SQLHSTMT statement) {
  using Call = SQLRETURN(SQL_API*)(SQLHSTMT);
  static const Call next = Next<Call>("SQLExecute");
  ++executions;
  return next(statement);
}

namespace viruzedi {
namespace {

using testing::RawDatabase;

// The rows of a file, counting its readings.
class File : public RowsInMemory {
 public:
  using RowsInMemory::RowsInMemory;
  void Rewind() override {
    ++readings;
    RowsInMemory::Rewind();
  }
  int readings = 0;
};

TEST(OdbcParameterArrays, EachAnswerOfTheDriverStoresTheRowsThatOneAtATimeStore) {
  // 600 rows, three batches; copies refused on a batch's first row, in its
  // middle, on its last, on the first of the next and on the last of all.
  const std::set<size_t> copies = {0, 100, 255, 256, 599};
  std::vector<Row> rows;
  std::vector<std::string> kept;
  for (size_t k = 0; k < 600; ++k) {
    const std::string code = copies.count(k) ? "P1" : "A" + std::to_string(k);
    rows.push_back(Row{"Viruzedi", {{"Codart", RowValue::Text(code)}}});
    if (!copies.count(k)) kept.push_back("'" + code + "'");
  }
  kept.insert(kept.begin(), "'P1'");
  const struct {
    const char* what;
    Answer answer;
    int executions;
    int readings;
  } cases[] = {
      // Each batch one statement of all its rows, refused; then one array
      // of them, going on from the row after each refused one but a
      // batch's last.
      {"as the driver answers", Answer::kAsTheDriver, 1 + 3 + 1 + 2 + 1 + 1, 1},
      {"no arrays", Answer::kNoArrays, 1 + 256 + 1 + 256 + 1 + 88, 1},
      {"one set only", Answer::kOneSetOnly, 1 + 256 + 1 + 256 + 1 + 88, 1},
      // Which row was refused is unknown: the transaction is redone, a row
      // at a time.
      {"no count", Answer::kNoCount, 1 + 1 + 600, 2},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.what);
    testing::TemporaryFolder folder;
    const std::string database = testing::kOdbcSqliteEngine.NewDatabase(folder);
    DBEngine::CreateTargetDatabase(database);
    RawDatabase(database).Exec("CREATE UNIQUE INDEX unici ON Viruzedi (Codart)");
    answer = test.answer;
    std::unique_ptr<Database> opened = DBEngine::Instance().OpenDatabase(database);
    opened->Execute("Insert Into Viruzedi (Codart) Select 'P1'");
    File file(rows);
    executions = 0;
    {
      Transaction transaction(*opened);
      opened->InsertRows(file);
      transaction.Commit();
    }
    EXPECT_EQ(executions, test.executions);
    EXPECT_EQ(file.readings, test.readings);
    EXPECT_EQ(opened->RowsRefused(), copies.size());
    EXPECT_EQ(RawDatabase(database).Rows("SELECT Codart FROM Viruzedi ORDER BY rowid"), kept);
    opened.reset();
    answer = Answer::kAsTheDriver;
  }
}

// A batch of more values than one SQLite statement may hold goes in as
// many statements as it needs: of 200 columns, 163 rows each.
TEST(OdbcParameterArrays, ABatchOfManyColumnsGoesInStatementsThatSQLiteTakes) {
  testing::TemporaryFolder folder;
  const std::string database = testing::kOdbcSqliteEngine.NewDatabase(folder);
  DBEngine::CreateTargetDatabase(database);
  std::string columns = "n INTEGER UNIQUE";
  for (int c = 1; c < 200; ++c) columns += ", c" + std::to_string(c) + " INTEGER";
  RawDatabase(database).Exec("CREATE TABLE Larga (" + columns + ")");
  std::vector<Row> rows;
  for (int64_t k = 0; k < 256; ++k) {
    // The row after the first statement's part is a copy of the first row.
    Row row{"Larga", {{"n", RowValue::Integer(k == 200 ? 0 : k)}}};
    for (int c = 1; c < 200; ++c)
      row.columns.push_back({"c" + std::to_string(c), RowValue::Integer(k * c)});
    rows.push_back(row);
  }
  std::unique_ptr<Database> opened = DBEngine::Instance().OpenDatabase(database);
  File file(rows);
  executions = 0;
  {
    Transaction transaction(*opened);
    opened->InsertRows(file);
    transaction.Commit();
  }
  // The first part whole; the second refused, then an array stopped at the
  // copy and one from the row after it.
  EXPECT_EQ(executions, 1 + 1 + 2);
  EXPECT_EQ(opened->RowsRefused(), 1u);
  EXPECT_EQ(RawDatabase(database).Value("SELECT count(*) FROM Larga"), "255");
  EXPECT_EQ(RawDatabase(database).Value("SELECT sum(c199) FROM Larga"),
            std::to_string((255 * 256 / 2 - 200) * 199));
}

}  // namespace
}  // namespace viruzedi
