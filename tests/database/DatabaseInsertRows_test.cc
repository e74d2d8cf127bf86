// The rows of a file written from their source in batches, on every engine:
// a row a constraint refuses is dropped and counted, every other row stored
// once, one at a time or a whole file's; where a refusal ends a server's
// transaction the rows are read again from their source and redone under
// savepoints, never kept, and a row that no longer goes in as it did makes
// the file wait. Also the checking pass that writes nothing.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "database/Database.h"
#include "database/ImportLedger.h"
#include "database/RowSource.h"
#include "tests/database/support/EngineUnderTest.h"
#include "tests/database/support/RawDatabase.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi {
namespace {

using testing::ErrorOf;
using testing::RawDatabase;

// Rows of table Viruzedi, one code each, as a file would hand them out: it
// counts its readings, may hand out other codes from its second reading on
// (`later`), throws what a line would at the `failAt`th row of a reading,
// and remembers the row it was blamed for.
class Codes : public RowSource {
 public:
  explicit Codes(std::vector<std::string> codes) : codes_(std::move(codes)) {}

  void Rewind() override {
    ++readings;
    next_ = 0;
    if (readings == 2 && !later.empty()) codes_ = later;
  }
  bool Next(Row& row) override {
    if (next_ >= codes_.size()) return false;
    if (next_ + 1 == failAt) RaiseError(kUserInterrupt);
    const std::string& code = codes_[next_++];
    row = Row{"Viruzedi", {{"Codart", RowValue::Text(code)}}};
    // A code that is no number, for a column of numbers.
    if (code == "bad") row.columns.push_back({"IdLotto", RowValue::Text(code)});
    return true;
  }
  void Blame(AutomationError& failure) override {
    blamedAt = next_;
    failure.detail = "riga " + std::to_string(next_);
  }

  int readings = 0;
  std::vector<std::string> later;
  size_t failAt = 0;    // from 1; 0 never
  size_t blamedAt = 0;  // from 1; 0 none

 private:
  std::vector<std::string> codes_;
  size_t next_ = 0;
};

// `count` codes "A0", "A1", ..., with `copies` (position -> code copied
// there) in place of the rows at those positions.
std::vector<std::string> CodesWith(size_t count,
                                   const std::vector<std::pair<size_t, std::string>>& copies) {
  std::vector<std::string> codes;
  for (size_t i = 0; i < count; ++i) codes.push_back("A" + std::to_string(i));
  for (const auto& [at, code] : copies) codes[at] = code;
  return codes;
}

// A reading that fails: at a stop (failAt, from 1), or at a row at fault,
// which the source is blamed for (blamedAt, from 1; 0 none).
struct FaultCase {
  const char* what;
  std::vector<std::string> codes;
  size_t failAt;
  int32_t error;
  size_t blamedAt;
};

class DatabaseInsertRows : public testing::EngineTest {
 protected:
  void SetUp() override {
    DBEngine::CreateTargetDatabase(path_);
    RawDatabase(path_).Exec("CREATE UNIQUE INDEX unici ON Viruzedi (Codart)");
    database_ = DBEngine::Instance().OpenDatabase(path_, settings_);
  }

  std::string Count() { return RawDatabase(path_).Value("SELECT count(*) FROM Viruzedi"); }
  std::set<std::string> Stored() {
    std::vector<std::string> rows = RawDatabase(path_).Rows("SELECT Codart FROM Viruzedi");
    return std::set<std::string>(rows.begin(), rows.end());
  }

  testing::TemporaryFolder folder_;
  std::string path_ = GetParam()->NewDatabase(folder_);
  DatabaseSettings settings_;
  std::unique_ptr<Database> database_;
};
INSTANTIATE_FOR_EVERY_ENGINE(DatabaseInsertRows);

// The checking pass is the engine-neutral layer's alone.
class CheckedRows : public DatabaseInsertRows {};
INSTANTIATE_FOR_SQLITE(CheckedRows);

TEST_P(DatabaseInsertRows, AFilesRefusedRowsAreDroppedAndEveryOtherRowStoredOnce) {
  // Batches hold 256 rows (a server's COPY 4096): the copies fall inside
  // the first, on the first row of a later one and on the last row of all.
  struct Case {
    const char* what;
    std::vector<std::string> codes;
    size_t refused;
  };
  const Case cases[] = {
      {"no copy", CodesWith(300, {}), 0},
      {"a copy in the first batch", CodesWith(300, {{3, "A1"}}), 1},
      {"copies across batches", CodesWith(600, {{256, "A0"}, {400, "A399"}, {599, "A10"}}), 3},
      {"copies across COPY batches", CodesWith(4200, {{4096, "A0"}, {4199, "A10"}}), 2},
      {"a code committed before", CodesWith(10, {{5, "P1"}}), 1},
      {"one row, refused", {"P1"}, 1},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.what);
    RawDatabase(path_).Exec("DELETE FROM Viruzedi; DELETE FROM Viruzedi_Importazioni");
    database_->Execute("Insert Into Viruzedi (Codart) Select 'P1'");
    const uint64_t storedBefore = settings_.RowsStored();
    const uint64_t refusedBefore = database_->RowsRefused();
    Codes rows(test.codes);
    {
      Transaction transaction(*database_);
      database_->InsertRows(rows);
      // A bookkeeping statement after the rows, in their transaction.
      ImportLedger(*database_)
          .Add({0, "cassa", kOrigineFile, test.what, "00", 1, kStatoImportato,
                "2026-12-06 09:30:16"});
      transaction.Commit();
    }
    std::set<std::string> expected(test.codes.begin(), test.codes.end());
    expected.insert("P1");
    std::set<std::string> stored;
    for (const std::string& code : expected) stored.insert("'" + code + "'");
    EXPECT_EQ(Stored(), stored);
    EXPECT_EQ(database_->RowsRefused() - refusedBefore, test.refused);
    EXPECT_EQ(settings_.RowsStored() - storedBefore, test.codes.size() - test.refused);
    EXPECT_EQ(RawDatabase(path_).Value("SELECT count(*) FROM Viruzedi_Importazioni"), "1");
    // Read again only to be redone, never kept in memory.
    const bool redone = test.refused > 0 && GetParam()->refusalEndsTransaction;
    EXPECT_EQ(rows.readings, redone ? 2 : 1);
  }
}

// A file's rows of every kind of value, Nulls among them, sent in batches
// inside a transaction are stored as the same rows sent one at a time
// outside one, and the same rows are refused: on the first row of a batch,
// in its middle, on its last, two in a row and the last of all; the third
// batch has none.
TEST_P(DatabaseInsertRows, ABatchStoresWhatTheSameRowsOneAtATimeStore) {
  // A column of no type, which takes any kind of value, where the engine
  // has such.
  const bool untyped = !GetParam()->refusalEndsTransaction;
  for (const char* table : {"Insieme", "Singole"}) {
    RawDatabase(path_).Exec(std::string("CREATE TABLE ") + table +
                            " (n INTEGER UNIQUE, i INTEGER, r DOUBLE PRECISION, d DATE, "
                            "t VARCHAR(40)" +
                            (untyped ? ", a" : "") + ")");
  }
  const std::set<size_t> copies = {0, 100, 255, 256, 300, 301, 999};
  const char* texts[] = {"A1", "", "città €", "D'ORO", "\xF0\x9F\x93\xA6 pacco"};
  std::vector<Row> rows;
  for (size_t k = 0; k < 1000; ++k) {
    // A copy takes the number of a row stored before the file.
    const int64_t n = copies.count(k) ? -1 : static_cast<int64_t>(k);
    Row row{"", {{"n", RowValue::Integer(n)}}};
    row.columns.push_back({"i", k % 7 == 3
                                    ? RowValue::Null()
                                    : RowValue::Integer(static_cast<int64_t>(k) * -1000003)});
    row.columns.push_back({"r", k % 5 == 1 ? RowValue::Null() : RowValue::Number(k / 3.0 - 7.25)});
    row.columns.push_back({"d", k % 11 == 2 ? RowValue::Null()
                                            : RowValue::Date({2026 + static_cast<int>(k % 3),
                                                              1 + static_cast<int>(k % 12),
                                                              1 + static_cast<int>(k % 28)})});
    row.columns.push_back({"t", k % 13 == 4 ? RowValue::Null() : RowValue::Text(texts[k % 5])});
    if (untyped) {
      // Every kind in one column in the fourth batch; a text too long for
      // an array's width in the second.
      RowValue any = k == 400     ? RowValue::Text(std::string(5000, 'x'))
                     : k < 768    ? RowValue::Text(std::to_string(k))
                     : k % 4 == 0 ? RowValue::Integer(static_cast<int64_t>(k))
                     : k % 4 == 1 ? RowValue::Number(k + 0.5)
                     : k % 4 == 2 ? RowValue::Null()
                                  : RowValue::Text("x" + std::to_string(k));
      row.columns.push_back({"a", any});
    }
    rows.push_back(row);
  }
  auto named = [&](const char* table) {
    std::vector<Row> named = rows;
    for (Row& row : named) row.table = table;
    return named;
  };
  database_->Execute("Insert Into Insieme (n) Select -1");
  database_->Execute("Insert Into Singole (n) Select -1");
  uint64_t refusedBefore = database_->RowsRefused();
  const std::vector<Row> file = named("Insieme");
  RowsInMemory batched(file);
  {
    Transaction transaction(*database_);
    database_->InsertRows(batched);
    transaction.Commit();
  }
  EXPECT_EQ(database_->RowsRefused() - refusedBefore, copies.size());
  refusedBefore = database_->RowsRefused();
  for (const Row& row : named("Singole")) database_->InsertRow(row);
  EXPECT_EQ(database_->RowsRefused() - refusedBefore, copies.size());
  const std::string columns = std::string("n, i, r, d, t") + (untyped ? ", a" : "");
  const auto stored = [&](const char* table) {
    return RawDatabase(path_).Cells("SELECT " + columns + " FROM " + table + " ORDER BY n");
  };
  const auto singly = stored("Singole");
  EXPECT_EQ(singly.size(), 1001 - copies.size());
  EXPECT_EQ(stored("Insieme"), singly);
}

// A batch holds rows of one table with the same columns: a change of
// either sends the rows before it, and the columns are looked up anew.
TEST_P(DatabaseInsertRows, RowsOfOtherColumnsAndTablesGoInTheirOrder) {
  auto reading = [](const char* code, const char* lot) {
    Row row{"VIRUZEDI", {{"Codart", RowValue::Text(code)}}};
    if (lot != nullptr) row.columns.push_back({"idlotto", RowValue::Integer(std::stoi(lot))});
    return row;
  };
  const std::vector<Row> rows{
      reading("R1", nullptr),
      reading("R2", "2"),
      Row{"Viruzedi_RimesseOF", {{"NDoc", RowValue::Text("D1")}}},
      reading("R3", "3"),
      Row{"Viruzedi", {{"IdLotto", RowValue::Integer(4)}, {"Codart", RowValue::Text("R4")}}},
      reading("R2", "5"),  // refused
      reading("R5", nullptr),
  };
  RowsInMemory source(rows, 1);
  {
    Transaction transaction(*database_);
    database_->InsertRows(source);
    transaction.Commit();
  }
  EXPECT_EQ(RawDatabase(path_).Rows("SELECT Codart, IdLotto FROM Viruzedi ORDER BY Codart"),
            (std::vector<std::string>{"'R2', 2", "'R3', 3", "'R4', 4", "'R5', NULL"}));
  EXPECT_EQ(RawDatabase(path_).Value("SELECT NDoc FROM Viruzedi_RimesseOF"), "'D1'");
  EXPECT_EQ(database_->RowsRefused(), 1u);
}

// A single row or a bookkeeping statement cannot be read again: after one,
// the rows go under savepoints from the start, and a refusal restarts
// nothing.
TEST_P(DatabaseInsertRows, WhatCannotBeReadAgainIsNeverRedone) {
  struct Case {
    const char* what;
    std::function<void(Database&)> first;
  };
  const Case cases[] = {
      {"a single row",
       [](Database& database) { database.Execute("Insert Into Viruzedi (Codart) Select 'S1'"); }},
      {"a statement",
       [](Database& database) { ImportLedger(database).Find("cassa", kOrigineFile, "x"); }},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.what);
    RawDatabase(path_).Exec("DELETE FROM Viruzedi");
    Codes rows(CodesWith(300, {{290, "A2"}, {299, "S1"}}));
    Transaction transaction(*database_);
    test.first(*database_);
    database_->InsertRows(rows);
    transaction.Commit();
    EXPECT_EQ(rows.readings, 1);
    EXPECT_EQ(Count(), "299");
  }
}

TEST_P(DatabaseInsertRows, ARowStoredBeforeTheRedoAndRefusedInItMakesTheFileWait) {
  RawDatabase(path_).Exec("INSERT INTO Viruzedi (Codart) VALUES ('X')");
  // The first batch (a server's COPY's too) goes in whole; a copy in the
  // second has the rows read again, and the first of them now takes a code
  // that is there already.
  Codes rows(CodesWith(4300, {{4280, "A1"}}));
  rows.later = CodesWith(4300, {{0, "X"}, {4280, "A1"}});
  const int32_t error = ErrorOf([&] {
    Transaction transaction(*database_);
    database_->InsertRows(rows);
    transaction.Commit();
  });
  if (GetParam()->refusalEndsTransaction) {
    EXPECT_EQ(error, kDbLocked);
    EXPECT_EQ(Count(), "1");
  } else {
    // Nothing is read again where a refusal drops its row alone.
    EXPECT_EQ(error, 0);
    EXPECT_EQ(Count(), "4300");
  }
}

TEST_P(DatabaseInsertRows, AStopOrARowAtFaultStoresNothingOfTheFile) {
  const FaultCase cases[] = {
      // After a redo where a refusal ends the transaction.
      {"a stop", CodesWith(600, {{5, "A1"}}), 400, kUserInterrupt, 0},
      {"a value of the wrong type", CodesWith(600, {{5, "A1"}, {300, "bad"}}), 0, kDbTypeMismatch,
       301},
  };
  for (const FaultCase& test : cases) {
    SCOPED_TRACE(test.what);
    Codes rows(test.codes);
    rows.failAt = test.failAt;
    EXPECT_EQ(ErrorOf([&] {
                Transaction transaction(*database_);
                database_->InsertRows(rows);
                transaction.Commit();
              }),
              test.error);
    EXPECT_EQ(rows.blamedAt, test.blamedAt);
    EXPECT_EQ(Count(), "0");
  }
  // Outside a transaction each row commits on its own, as InsertRow's do.
  const uint64_t refusedBefore = database_->RowsRefused();
  Codes rows(CodesWith(3, {{2, "A0"}}));
  database_->InsertRows(rows);
  EXPECT_EQ(Count(), "2");
  EXPECT_EQ(database_->RowsRefused() - refusedBefore, 1u);
}

// One row at a time, as the pen and the statements write: each refused row
// alone is dropped, inside a transaction too, and a transaction rolled back
// after a refusal keeps nothing.
TEST_P(DatabaseInsertRows, ARefusedRowInsideATransactionDropsOnlyThatRow) {
  database_->Execute("Insert Into Viruzedi (Codart) Select 'a'");
  database_->Execute("Insert Into Viruzedi (Codart) Select 'a'");
  EXPECT_EQ(database_->RowsRefused(), 1u);
  {
    Transaction transaction(*database_);
    for (const char* code : {"b", "c", "a", "d", "d", "e"}) {
      EXPECT_EQ(
          ErrorOf([&] {
            database_->Execute(std::string("Insert Into Viruzedi (Codart) Select '") + code + "'");
          }),
          0)
          << code;
    }
    // Not there for anyone else before the commit.
    EXPECT_EQ(Count(), "1");
    transaction.Commit();
  }
  EXPECT_EQ(database_->RowsRefused(), 3u);
  EXPECT_EQ(settings_.RowsStored(), 5u);
  EXPECT_EQ(RawDatabase(path_).Rows("SELECT Codart FROM Viruzedi ORDER BY Codart"),
            (std::vector<std::string>{"'a'", "'b'", "'c'", "'d'", "'e'"}));
  {
    // The next transaction starts without the last one's row-by-row mode
    // and, rolled back, leaves nothing.
    Transaction transaction(*database_);
    database_->Execute("Insert Into Viruzedi (Codart) Select 'f'");
    database_->Execute("Insert Into Viruzedi (Codart) Select 'a'");
    database_->Execute("Insert Into Viruzedi (Codart) Select 'g'");
  }
  EXPECT_EQ(Count(), "5");
  {
    // The transaction's first row refused, as a pen's read of a code stored
    // already may be: the row after it goes on.
    Transaction transaction(*database_);
    database_->Execute("Insert Into Viruzedi (Codart) Select 'a'");
    database_->Execute("Insert Into Viruzedi (Codart) Select 'h'");
    transaction.Commit();
  }
  EXPECT_EQ(Count(), "6");
}

TEST_P(CheckedRows, EveryRowIsReadBeforeARowsOwnFaultAndNothingIsWritten) {
  const FaultCase cases[] = {
      {"rows without fault", CodesWith(5, {}), 0, 0, 0},
      {"a value of the wrong type", CodesWith(5, {{1, "bad"}, {3, "bad"}}), 0, kDbTypeMismatch, 2},
      // A fault of the reading comes first, even after a row's own.
      {"a fault of the reading", CodesWith(5, {{1, "bad"}}), 4, kUserInterrupt, 2},
  };
  for (const FaultCase& test : cases) {
    SCOPED_TRACE(test.what);
    Codes rows(test.codes);
    rows.failAt = test.failAt;
    uint64_t counted = 0;
    EXPECT_EQ(ErrorOf([&] { counted = database_->CheckRows(rows); }), test.error);
    EXPECT_EQ(rows.blamedAt, test.blamedAt);
    if (test.error == 0) {
      EXPECT_EQ(counted, test.codes.size());
    }
  }
  EXPECT_EQ(Count(), "0");
}

}  // namespace
}  // namespace viruzedi
