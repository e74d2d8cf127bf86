// Files that wait after a failed or stopped import: listed, named by the
// next download, and imported once by ImportaFile, all rows or none.
#include "terminal/WaitingFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "component/Viruzedi.h"
#include "platform/FileSystem.h"
#include "tests/support/ErrorOf.h"
#include "tests/terminal/TerminalFixture.h"

namespace viruzedi::testing {
namespace {

const LocalDateTime kStart = At(2026, 12, 6, 9, 30, 15);
const LocalDateTime kEnd = At(2026, 12, 6, 10, 2, 7);

class WaitingFilesTest : public TerminalTest {
 protected:
  WaitingFilesTest() { std::filesystem::create_directory(letture); }
  std::string Waiting(const std::string& name, const std::string& contents) {
    WriteFile(letture + "/" + name, contents);
    return letture + "/" + name;
  }
  Viruzedi& Component() {
    if (!component_) {
      component_ = std::make_unique<Viruzedi>(platform);
      component_->DbPath(database);
    }
    return *component_;
  }
  std::vector<std::string> Codes() const { return Rows("SELECT Codart FROM Viruzedi"); }

 private:
  std::unique_ptr<Viruzedi> component_;
};

TEST_F(WaitingFilesTest, AreTheUnlockedTemporaryNamesWithTheirFormats) {
  Waiting("Riconciliazione_20261206-093015.tmp", "");
  Waiting("MovMag_20261206-093015.tmp", "");
  Waiting("Rimesse_OF_20261206-093015.tmp", "");
  const std::string held = Waiting("MovMag_20261206-093016.tmp", "");
  Waiting("MovMag_20261206-100207.TMP", "");                // archived
  Waiting("Importato_Rimesse_OF_20261206-093014.tmp", "");  // archived
  Waiting("Penna_non_salvate.txt", "");
  std::filesystem::create_directory(letture + "/MovMag_cartella.tmp");
  std::unique_ptr<FileLock> download = platform->Files().TryLock(held);

  std::vector<WaitingFile> waiting = WaitingFiles(*platform);

  ASSERT_EQ(waiting.size(), 3u);
  EXPECT_EQ(waiting[0].path, letture + "/MovMag_20261206-093015.tmp");
  EXPECT_EQ(waiting[0].formats, std::vector<ImportFormat>{ImportFormat::kScarica4});
  EXPECT_EQ(waiting[1].path, letture + "/Riconciliazione_20261206-093015.tmp");
  EXPECT_EQ(waiting[1].formats, std::vector<ImportFormat>{ImportFormat::kScarica5});
  EXPECT_EQ(waiting[2].path, letture + "/Rimesse_OF_20261206-093015.tmp");
  EXPECT_EQ(waiting[2].formats, (std::vector<ImportFormat>{ImportFormat::kScarica3,
                                                           ImportFormat::kScaricaRimesseOF}));
}

TEST_F(WaitingFilesTest, ImportaFileRefusesWhatIsNotAWaitingFileOfItsFormat) {
  struct Case {
    const char* name;  // "" for a file that is missing
    ImportFormat format;
    int32_t number;
  };
  const std::string line = "X12$5;2;20261206;3\r\n";
  const std::string locked = Waiting("MovMag_20261206-093016.tmp", line);
  std::unique_ptr<FileLock> download = platform->Files().TryLock(locked);
  for (const Case& c : std::vector<Case>{
           {"MovMag_20261206-093015.tmp", ImportFormat::kScarica4, kFileNotFound},
           {"MovMag_20261206-100207.TMP", ImportFormat::kScarica4, kFileAlreadyExists},
           {"Importato_Rimesse_OF_20261206-093015.tmp", ImportFormat::kScarica3,
            kFileAlreadyExists},
           {"MovMag_20261206-093017.tmp", ImportFormat::kScarica5, kFileAlreadyExists},
           {"MovMag_20261206-093016.tmp", ImportFormat::kScarica4, kPermissionDenied},
       }) {
    const std::string path = letture + "/" + c.name;
    if (c.number != kFileNotFound && path != locked) Waiting(c.name, line);
    EXPECT_EQ(ErrorOf([&] { Component().ImportaFile(path, c.format); }), c.number) << c.name;
    EXPECT_TRUE(Component().LastOutcome().failed) << c.name;
    if (c.number != kFileNotFound) {
      EXPECT_EQ(ReadFile(path), line) << c.name;
    }
  }
  EXPECT_TRUE(Codes().empty());
}

// The operator's way out of a failure: the cause fixed, the file imported
// as its download would have, archived, and never again.
TEST_F(WaitingFilesTest, AStoppedDownloadLeavesAFileThatIsNamedThenImportedOnce) {
  platform->localTimes = {kStart};
  platform->stopAfterChecks = 1;
  PutTerminalFile(1, {"A$1;1;20261206;1", "B$2;2;20261206;2"});
  Component().Scarica4();
  ASSERT_TRUE(Component().LastOutcome().Interrupted());
  const std::string path = letture + "/MovMag_20261206-093015.tmp";
  ASSERT_EQ(FolderNames(letture), std::vector<std::string>{"MovMag_20261206-093015.tmp"});

  // The next download names it, and is no failure for it.
  platform->stopAfterChecks = -1;
  platform->boxes.clear();
  platform->localTimes = {At(2026, 12, 6, 9, 40, 0)};
  Component().Scarica4();
  EXPECT_FALSE(Component().LastOutcome().failed);
  ASSERT_EQ(Captions(), std::vector<std::string>{"Attenzione!"});
  EXPECT_EQ(platform->boxes[0].style, kOkOnly);
  EXPECT_NE(platform->boxes[0].text.find(path + " (formato scarica4)"), std::string::npos);

  platform->localTimes = {kEnd};
  Component().ImportaFile(path, ImportFormat::kScarica4);
  EXPECT_FALSE(Component().LastOutcome().failed);
  EXPECT_EQ(Codes(), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(FolderNames(letture), std::vector<std::string>{"MovMag_20261206-100207.TMP"});
  EXPECT_TRUE(WaitingFiles(*platform).empty());
  EXPECT_EQ(ErrorOf([&] { Component().ImportaFile(path, ImportFormat::kScarica4); }),
            kFileNotFound);
  EXPECT_EQ(Codes().size(), 2u);
}

TEST_F(WaitingFilesTest, AFailedImportaFileStoresNothingAndSaysWhichLine) {
  const std::string path =
      Waiting("Rimesse_OF_20261206-093015.tmp", "$ROF;340;2;DDT15;20261206\r\n$ROF;x;2;D;1\r\n");
  EXPECT_EQ(ErrorOf([&] { Component().ImportaFile(path, ImportFormat::kScaricaRimesseOF); }),
            kTypeMismatch);
  EXPECT_EQ(Component().LastOutcome().detail, path + ", riga 2: $ROF;x;2;D;1");
  EXPECT_TRUE(Rows("SELECT * FROM Viruzedi_RimesseOF").empty());
  EXPECT_EQ(FolderNames(letture), std::vector<std::string>{"Rimesse_OF_20261206-093015.tmp"});
}

}  // namespace
}  // namespace viruzedi::testing
