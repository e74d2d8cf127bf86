// InsertRow, the one entry of every import: a row by value stores what the
// statement of the same row stored, quantities at the 15 significant digits
// that the statement form gave them.
#include <gtest/gtest.h>

#include <cmath>

#include "database/Database.h"
#include "database/Row.h"
#include "tests/database/support/EngineUnderTest.h"
#include "tests/database/support/RawDatabase.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi {
namespace {

using testing::ErrorOf;
using testing::RawDatabase;

class DatabaseInsertRow : public testing::EngineTest {
 protected:
  void SetUp() override {
    DBEngine::CreateTargetDatabase(path_);
    database_ = DBEngine::Instance().OpenDatabase(path_);
  }

  std::vector<std::vector<testing::StoredValue>> Cells(const std::string& sql) {
    return RawDatabase(path_).Cells(sql);
  }

  testing::TemporaryFolder folder_;
  std::string path_ = GetParam()->NewDatabase(folder_);
  std::unique_ptr<Database> database_;
};
INSTANTIATE_FOR_EVERY_ENGINE(DatabaseInsertRow);

// Compared through SQLite's own typeof() and rowid, on a column of no type.
class SqliteDatabaseInsertRow : public DatabaseInsertRow {};
INSTANTIATE_FOR_SQLITE(SqliteDatabaseInsertRow);

TEST_P(DatabaseInsertRow, QuantitiesAreStoredAtFifteenSignificantDigits) {
  const struct {
    double quantity;
    double stored;
  } cases[] = {
      {0.1 + 0.2, 0.3},  // 0.30000000000000004 in a double
      {1.0 / 3, 0.333333333333333},
      {-2.0 / 3, -0.666666666666667},
      {123456789.123456789, 123456789.123457},
      {2.5, 2.5},
      {1e15, 1e15},
  };
  for (const auto& c : cases) {
    database_->InsertRow(Row{"Viruzedi", {{"Quantità", RowValue::Number(c.quantity)}}});
  }
  // A fresh table gives its rows back in the order they went in.
  auto rows = Cells("SELECT Quantità FROM Viruzedi");
  ASSERT_EQ(rows.size(), std::size(cases));
  for (size_t i = 0; i < rows.size(); ++i) {
    ASSERT_TRUE(std::holds_alternative<double>(rows[i][0])) << i;
    EXPECT_EQ(std::get<double>(rows[i][0]), cases[i].stored) << i;
  }
}

// Every kind of value, and what each column type makes of it, equal to the
// statement that writes the same values.
TEST_P(SqliteDatabaseInsertRow, StoresWhatTheStatementOfTheSameRowStores) {
  RawDatabase(path_).Exec(
      "CREATE TABLE Tipi (i INTEGER, r REAL, d DATE, t TEXT, a)");
  const struct {
    const char* statement;
    Row row;
  } cases[] = {
      {"Insert Into Tipi (i, r, d, t, a) Select 12, 12, #12/06/2026#, 12, 12",
       Row{"Tipi",
           {{"i", RowValue::Integer(12)},
            {"r", RowValue::Integer(12)},
            {"d", RowValue::Date({2026, 12, 6})},
            {"t", RowValue::Integer(12)},
            {"a", RowValue::Integer(12)}}}},
      {"Insert Into Tipi (i, r, t, a) Select 2.5, -.25, -.25, .5",
       Row{"Tipi",
           {{"i", RowValue::Number(2.5)},
            {"r", RowValue::Number(-0.25)},
            {"t", RowValue::Number(-0.25)},
            {"a", RowValue::Number(0.5)}}}},
      {"Insert Into Tipi (t, a, d) Select 'D''ORO', '12', Null",
       Row{"Tipi",
           {{"t", RowValue::Text("D'ORO")},
            {"a", RowValue::Text("12")},
            {"d", RowValue::Null()}}}},
      // A number made from a value has no text: a whole one below 1E+15 is
      // written, and stored where no type is declared, as an integer; every
      // digit of a large integer is kept.
      {"Insert Into Tipi (i, t, a) Select 9007199254740993, 999999999999999, 12",
       Row{"Tipi",
           {{"i", RowValue::Integer(9007199254740993)},
            {"t", RowValue::Number(999999999999999.0)},
            {"a", RowValue::Number(12.0)}}}},
      {"Insert Into Tipi (t, a) Select #01/31/2027#, 1E+15",
       Row{"Tipi", {{"t", RowValue::Date({2027, 1, 31})}, {"a", RowValue::Number(1e15)}}}},
  };
  const std::string query = "SELECT typeof(i), i, typeof(r), r, typeof(d), d, typeof(t), t, "
                            "typeof(a), a FROM Tipi ORDER BY rowid DESC LIMIT 1";
  for (const auto& c : cases) {
    database_->Execute(c.statement);
    std::vector<std::string> byStatement = RawDatabase(path_).Rows(query);
    database_->InsertRow(c.row);
    EXPECT_EQ(RawDatabase(path_).Rows(query), byStatement) << c.statement;
  }
}

TEST_P(DatabaseInsertRow, FailsAsTheStatementWouldAndStoresNothing) {
  const struct {
    Row row;
    int32_t error;
  } cases[] = {
      {Row{"Manca", {{"Codart", RowValue::Text("A")}}}, kDbTableNotFound},
      {Row{"Viruzedi", {{"Codart", RowValue::Text("A")}, {"Manca", RowValue::Integer(1)}}},
       kDbUnknownColumn},
      {Row{"Viruzedi", {{"Codart", RowValue::Text("A")}, {"codart", RowValue::Text("B")}}},
       kDbSyntaxError},
      {Row{"Viruzedi", {{"Codart", RowValue::Text("A")}, {"IdLotto", RowValue::Text("1")}}},
       kDbTypeMismatch},
      {Row{"Viruzedi", {{"Data", RowValue::Integer(20261206)}}}, kDbTypeMismatch},
      {Row{"Viruzedi", {{"IdLotto", RowValue::Number(1e300)}}}, kDbTypeMismatch},
      {Row{"Viruzedi", {{"Data", RowValue::Date({2026, 2, 30})}}}, kDbSyntaxError},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ErrorOf([&] { database_->InsertRow(c.row); }), c.error) << c.row.table;
  }
  EXPECT_TRUE(Cells("SELECT * FROM Viruzedi").empty());
}

}  // namespace
}  // namespace viruzedi
