// The append-only record set of the reader file imports: field lookup,
// conversion of each value to its field's type, and the life of a new row.
#include <gtest/gtest.h>

#include "tests/database/support/EngineUnderTest.h"
#include "tests/database/support/RawDatabase.h"
#include "base/Errors.h"
#include "database/Database.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi {
namespace {

using testing::ErrorOf;
using testing::RawDatabase;

class DatabaseRecordset : public testing::EngineTest {
 protected:
  void SetUp() override {
    DBEngine::CreateTargetDatabase(path_);
    database_ = DBEngine::Instance().OpenDatabase(path_);
    recordset_ = database_->OpenRecordset("Select * from viruzedi", kDbAppendOnly);
  }

  std::vector<std::string> Rows(const std::string& sql) { return RawDatabase(path_).Rows(sql); }

  testing::TemporaryFolder folder_;
  std::string path_ = GetParam()->NewDatabase(folder_);
  std::unique_ptr<Database> database_;
  std::unique_ptr<Recordset> recordset_;
};
INSTANTIATE_FOR_EVERY_ENGINE(DatabaseRecordset);

// Conversions read back from SQLite's column of no type, which keeps each
// value as it came.
class SqliteDatabaseRecordset : public DatabaseRecordset {};
INSTANTIATE_FOR_SQLITE(SqliteDatabaseRecordset);

TEST_P(DatabaseRecordset, StoresTheRowsOfTheReaderFileImports) {
  // A plain reader line A1;5 and one with a lot, A1;5;17.
  recordset_->AddNew();
  recordset_->SetCollect("Codart", "A1");
  recordset_->SetCollect("Quantità", "5");
  recordset_->SetCollect("IDLotto", int32_t{0});
  recordset_->SetCollect("Data", CalendarDate{2026, 12, 6});
  recordset_->Update(kDbUpdateRegular, false);
  recordset_->AddNew();
  recordset_->SetCollect("Codart", " A1");
  recordset_->SetCollect("Quantità", "2,5");
  recordset_->SetCollect("IDLotto", "17");
  recordset_->SetCollect("Data", CalendarDate{2026, 1, 31});
  recordset_->Update();
  // A GS1 label.
  recordset_->AddNew();
  recordset_->SetCollect("Codart", "08012345678901");
  recordset_->SetCollect("Data", CalendarDate{2026, 12, 6});
  recordset_->SetCollect("NColli", "12");
  recordset_->SetCollect("Lotto_Codice", "L0T'1");
  recordset_->SetCollect("Lotto_Scadenza", CalendarDate{2027, 3, 31});
  recordset_->SetCollect("SSCC", "380123456789012345");
  recordset_->Update();
  recordset_->Close();
  database_->Close();
  EXPECT_EQ(Rows("SELECT Codart, IdLotto, Quantità, Data, NColli, Lotto_Codice, Lotto_Scadenza, "
                 "SSCC FROM Viruzedi"),
            (std::vector<std::string>{
                "'A1', 0, 5.0, '2026-12-06', NULL, NULL, NULL, NULL",
                "' A1', 17, 2.5, '2026-01-31', NULL, NULL, NULL, NULL",
                "'08012345678901', NULL, NULL, '2026-12-06', '12', 'L0T'1', '2027-03-31', "
                "'380123456789012345'",
            }));
}

TEST_P(SqliteDatabaseRecordset, ConvertsEachValueToItsFieldsTypeOrFails) {
  RawDatabase(path_).Exec("CREATE TABLE Tipi (i INTEGER, r REAL, d DATE, t TEXT, a)");
  std::unique_ptr<Recordset> tipi = database_->OpenRecordset("Select * from Tipi", kDbAppendOnly);
  struct Case {
    const char* field;
    Variant value;
    const char* stored;  // nullptr: conversion error 3421
  };
  const Case cases[] = {
      {"i", int32_t{17}, "17"},
      {"i", int16_t{-3}, "-3"},
      {"i", "17", "17"},
      {"i", " 17 ", "17"},
      {"i", "2.5", "2"},  // halves to even, both decimal marks
      {"i", "3,5", "4"},
      {"i", "-2.5", "-2"},
      {"i", 7.5, "8"},
      {"i", true, "-1"},
      {"i", "12.5", "12"},  // never 125
      {"i", "1e30", nullptr},
      {"i", "", nullptr},
      {"i", "abc", nullptr},
      {"i", "1.2.3", nullptr},
      {"i", "1.000,5", nullptr},
      {"i", CalendarDate{2026, 12, 6}, nullptr},
      {"r", "12.5", "12.5"},
      {"r", "12,5", "12.5"},
      {"r", ".5", "0.5"},
      {"r", "1E+15", "1e+15"},
      {"r", int32_t{5}, "5.0"},
      {"r", -1.25, "-1.25"},
      {"r", "inf", nullptr},
      {"r", "", nullptr},
      {"r", "5 kg", nullptr},
      {"d", CalendarDate{2026, 12, 6}, "'2026-12-06'"},
      {"d", "2026-12-06", "'2026-12-06'"},
      {"d", CalendarDate{2026, 2, 30}, nullptr},
      {"d", "06/12/2026", nullptr},
      {"d", "2026-02-30", nullptr},
      {"d", int32_t{20261206}, nullptr},
      {"t", "testo ", "'testo '"},
      {"t", int32_t{12}, "'12'"},
      {"t", 2.5, "'2.5'"},
      {"t", CalendarDate{2026, 12, 6}, "'2026-12-06'"},
      {"a", "testo", "'testo'"},
      {"a", int32_t{12}, "12"},
      {"a", 2.5, "2.5"},
      {"i", Variant::Null(), "NULL"},
      {"t", Variant(), "NULL"},
  };
  for (const Case& c : cases) {
    RawDatabase(path_).Exec("DELETE FROM Tipi");
    tipi->AddNew();
    int32_t error = ErrorOf([&] { tipi->SetCollect(c.field, c.value); });
    tipi->Update();
    if (c.stored == nullptr) {
      EXPECT_EQ(error, kDbFieldValue) << c.field << " #" << (&c - cases);
      // The refused value leaves the field unset.
      EXPECT_EQ(Rows(std::string("SELECT ") + c.field + " FROM Tipi"),
                std::vector<std::string>{"NULL"});
    } else {
      EXPECT_EQ(error, 0) << c.field << " #" << (&c - cases);
      EXPECT_EQ(Rows(std::string("SELECT ") + c.field + " FROM Tipi"),
                std::vector<std::string>{c.stored})
          << c.field << " #" << (&c - cases);
    }
  }
}

TEST_P(DatabaseRecordset, FieldNamesIgnoreCaseAndUnknownOnesFail) {
  recordset_->AddNew();
  EXPECT_EQ(ErrorOf([&] { recordset_->SetCollect("CODART", "A1"); }), 0);
  EXPECT_EQ(ErrorOf([&] { recordset_->SetCollect("idlotto", int32_t{5}); }), 0);
  EXPECT_EQ(ErrorOf([&] { recordset_->SetCollect("QUANTITÀ", "1,5"); }), 0);
  EXPECT_EQ(ErrorOf([&] { recordset_->SetCollect("id sottoord", int32_t{9}); }), 0);
  EXPECT_EQ(ErrorOf([&] { recordset_->SetCollect("Quantita", "1"); }), kDbUnknownField);
  EXPECT_EQ(ErrorOf([&] { recordset_->SetCollect("", "1"); }), kDbUnknownField);
  recordset_->Update();
  EXPECT_EQ(Rows("SELECT Codart, IdLotto, \"id sottoord\", Quantità FROM Viruzedi"),
            std::vector<std::string>{"'A1', 5, 9, 1.5"});
}

TEST_P(DatabaseRecordset, SourceMustBeSelectStarFromAnExistingTable) {
  struct Case {
    const char* source;
    int32_t error;
  };
  const Case cases[] = {
      {"SELECT * FROM VIRUZEDI", 0},
      {"select * from [viruzedi_rimesseof]", 0},
      {"Select Codart from viruzedi", kDbSyntaxError},
      {"Select * from viruzedi where Codart = 'A1'", kDbSyntaxError},
      {"viruzedi", kDbSyntaxError},
      {"Select * from Magazzino", kDbTableNotFound},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ErrorOf([&] { database_->OpenRecordset(c.source, kDbAppendOnly); }), c.error)
        << c.source;
  }
}

TEST_P(DatabaseRecordset, UpdateSavesOnlyARowStartedByAddNew) {
  EXPECT_EQ(ErrorOf([&] { recordset_->Update(); }), kDbUpdateWithoutAddNew);
  EXPECT_EQ(ErrorOf([&] { recordset_->SetCollect("Codart", "A1"); }), kDbUpdateWithoutAddNew);
  recordset_->AddNew();
  recordset_->SetCollect("Codart", "A1");
  recordset_->Update();
  // One row per Update: a second Update has no new row to save.
  EXPECT_EQ(ErrorOf([&] { recordset_->Update(); }), kDbUpdateWithoutAddNew);
  EXPECT_EQ(Rows("SELECT Codart FROM Viruzedi"), std::vector<std::string>{"'A1'"});
}

TEST_P(DatabaseRecordset, ARowNotSavedIsDiscarded) {
  recordset_->AddNew();
  recordset_->SetCollect("Codart", "scartato da AddNew");
  recordset_->AddNew();
  recordset_->SetCollect("IdLotto", int32_t{2});
  recordset_->Update();
  recordset_->AddNew();
  recordset_->SetCollect("Codart", "scartato da Close");
  recordset_->Close();
  std::unique_ptr<Recordset> other = database_->OpenRecordset("Select * from viruzedi", 8);
  other->AddNew();
  other->SetCollect("Codart", "scartato dalla distruzione");
  other.reset();
  EXPECT_EQ(Rows("SELECT Codart, IdLotto FROM Viruzedi"), std::vector<std::string>{"NULL, 2"});
}

TEST_P(DatabaseRecordset, RowsThatAConstraintRefusesAreDroppedWithoutError) {
  RawDatabase(path_).Exec("CREATE UNIQUE INDEX Unici ON Viruzedi (Codart)");
  for (const char* codart : {"A1", "A1", "A2"}) {
    recordset_->AddNew();
    recordset_->SetCollect("Codart", codart);
    EXPECT_EQ(ErrorOf([&] { recordset_->Update(); }), 0);
  }
  EXPECT_EQ(Rows("SELECT Codart FROM Viruzedi"), (std::vector<std::string>{"'A1'", "'A2'"}));
}

TEST_P(DatabaseRecordset, ClosedRecordsetOrDatabaseFails) {
  recordset_->AddNew();
  database_->Close();
  EXPECT_EQ(ErrorOf([&] { recordset_->SetCollect("Codart", "A1"); }), kDbObjectClosed);
  EXPECT_EQ(ErrorOf([&] { recordset_->Update(); }), kDbObjectClosed);
  EXPECT_EQ(ErrorOf([&] { database_->Execute("Insert Into Viruzedi (Codart) Select 'A1'"); }),
            kDbObjectClosed);
  EXPECT_EQ(ErrorOf([&] { database_->OpenRecordset("Select * from viruzedi", 8); }),
            kDbObjectClosed);
  recordset_->Close();
  EXPECT_EQ(ErrorOf([&] { recordset_->AddNew(); }), kDbObjectClosed);
  database_->Close();  // a second Close is harmless
  EXPECT_EQ(Rows("SELECT count(*) FROM Viruzedi"), std::vector<std::string>{"0"});
}

}  // namespace
}  // namespace viruzedi
