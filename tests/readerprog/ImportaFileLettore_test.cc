// ImportaFile for reader files: the file an operator imports by hand, with
// real files, a real lock held beside it and a real SQLite file.
#include <gtest/gtest.h>

#include <filesystem>

#include "database/Database.h"
#include "platform/FileSystem.h"
#include "tests/readerprog/ReaderProgramFixture.h"

namespace viruzedi::testing {
namespace {

class ImportaFileLettoreTest : public ReaderProgramTest {
 protected:
  int Import(const std::string& path, ImportFormat format = ImportFormat::kScarica2) {
    component.DbPath(database);
    return ErrorOf([&] { component.ImportaFile(path, format); });
  }
  std::vector<std::string> Reads() const { return Rows("SELECT Codart, Quantità FROM Viruzedi"); }

  Viruzedi component{platform};
};

TEST_F(ImportaFileLettoreTest, TheRowsAreStoredAndTheFileIsMarkedImported) {
  PutReaderFile({"A1;5", "  ", "B2;2,5;7"});
  EXPECT_EQ(Import(readerFile), 0);
  EXPECT_EQ(Reads(), (std::vector<std::string>{"A1|5.0", "B2|2.5"}));
  EXPECT_FALSE(std::filesystem::exists(readerFile));
  EXPECT_TRUE(std::filesystem::exists(readerFile + ".importato-20261206-093015"));
  // A second file of the same name imported in the same second.
  PutReaderFile({"C3;1"});
  EXPECT_EQ(Import(readerFile), 0);
  EXPECT_TRUE(std::filesystem::exists(readerFile + ".importato-20261206-093016"));
  EXPECT_EQ(Reads().size(), 3u);
}

TEST_F(ImportaFileLettoreTest, LabelsAreImportedAsTheirOperationWould) {
  PutReaderFile({"(02)08012345678907(37)12(15)250315(10)LOT42;380123450000000013"});
  EXPECT_EQ(Import(readerFile, ImportFormat::kScaricaZidoriVovi), 0);
  EXPECT_EQ(Rows("SELECT Codart, SSCC FROM Viruzedi"),
            std::vector<std::string>{"890|380123450000000013"});
}

// Whatever refuses the file leaves it as it was and stores nothing, so the
// operator can import it once the cause is gone.
TEST_F(ImportaFileLettoreTest, ARefusedOrFailedFileStaysAsItWasAndNothingIsStored) {
  std::unique_ptr<FileSystem> files = MakeLocalFileSystem();
  std::string imported = temporary / "letture.txt.importato-20261201-080000";
  WriteFile(imported, "A1;1\r\n");
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    bool locked;
    int32_t number;
  } cases[] = {
      {"mancante", {}, false, kFileNotFound},
      {"gia-importato", {}, false, kFileAlreadyExists},
      {"bloccato", {"A1;1"}, true, kPermissionDenied},
      {"riga-errata", {"A1;1", "B2"}, false, kSubscriptOutOfRange},
      {"valore-errato", {"A1;1", "B2;molti"}, false, kDbFieldValue},
  };
  for (const Case& c : cases) {
    std::string path = readerFile;
    std::filesystem::remove(readerFile);
    if (c.number == kFileAlreadyExists) path = imported;
    if (!c.lines.empty()) PutReaderFile(c.lines);
    std::unique_ptr<FileLock> lock = c.locked ? files->TryLock(readerFile) : nullptr;
    const std::string before = ReadFile(path);
    EXPECT_EQ(Import(path), c.number) << c.name;
    EXPECT_EQ(component.LastOutcome().errorNumber, c.number) << c.name;
    // A file refused before its import keeps its name; one whose import
    // failed waits, whole, under the name of its own it was given.
    const bool imported = c.number != kFileNotFound && c.number != kFileAlreadyExists && !c.locked;
    EXPECT_EQ(ReadFile(imported ? WaitingReaderFile() : path), before) << c.name;
  }
  EXPECT_EQ(component.LastOutcome().detail, WaitingReaderFile() + ", riga 2: B2;molti");
  EXPECT_TRUE(Reads().empty());
}

TEST_F(ImportaFileLettoreTest, AStopBetweenLinesStoresNothingAndTheFileWaits) {
  PutReaderFile({"A1;1", "B2;2", "C3;3"});
  platform->stopAfterChecks = 2;
  EXPECT_EQ(Import(readerFile), kUserInterrupt);
  EXPECT_TRUE(component.LastOutcome().Interrupted());
  EXPECT_TRUE(Reads().empty());
  EXPECT_EQ(ReadFile(WaitingReaderFile()), "A1;1\r\nB2;2\r\nC3;3\r\n");
}

TEST_F(ImportaFileLettoreTest, AWrongDatabaseLeavesTheFileWaiting) {
  PutReaderFile({"A1;1"});
  component.DbPath(temporary / "nessuno.db");
  EXPECT_EQ(ErrorOf([&] { component.ImportaFile(readerFile, ImportFormat::kScarica2); }),
            kDbFileNotFound);
  EXPECT_TRUE(std::filesystem::exists(readerFile));
}

}  // namespace
}  // namespace viruzedi::testing
