// Files that wait after a failed or stopped import: listed, named by the
// next download, and imported once by ImportaFile, all rows or none.
#include "terminal/WaitingFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "viruzedi/Viruzedi.h"
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
  const std::string line = "X$1;2;20261206;3\r\n";
  Waiting("Riconciliazione_20261206-093015.tmp", line);
  Waiting("MovMag_20261206-093015.tmp", line);
  Waiting("Rimesse_OF_20261206-093015.tmp", line);
  const std::string held = Waiting("MovMag_20261206-093016.tmp", line);
  Waiting("MovMag_20261206-093017.tmp", "");  // a killed download's reservation
  Waiting("MovMag_20261206-100207.TMP", line);                // archived
  Waiting("Importato_Rimesse_OF_20261206-093014.tmp", line);  // archived
  Waiting("Penna_non_salvate.txt", line);
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

// What a download killed before its file arrived leaves holds no read (the
// terminal still has them): the next download removes it, and only it.
TEST_F(WaitingFilesTest, AKilledTransfersLeftoversAreRemovedByTheNextDownloadAndNeverNamed) {
  const std::string line = "X$1;2;20261206;3\r\n";
  const std::string dead = "MovMag_20261206-093015.tmp";
  Waiting(dead, "");
  Waiting("." + dead + ".4242-0.parziale", "X$1;2;2026");
  Waiting(".Rimesse_OF_20261206-080000.tmp.4242-1.parziale", "$ROF");  // its reservation gone
  const std::string live = Waiting("Riconciliazione_20261206-093015.tmp", "");
  Waiting(".Riconciliazione_20261206-093015.tmp.77-0.parziale", "X$1;2");
  const std::string waits = Waiting("MovMag_20261206-093016.tmp", line);
  Waiting(".Penna_non_salvate.txt.4242-2.parziale", "P");  // no transfer's
  Waiting("Penna_non_salvate.txt", "");
  std::unique_ptr<FileLock> liveDownload = platform->Files().TryLock(live);
  platform->localTimes = {At(2026, 12, 6, 9, 40, 0)};

  Component().Scarica4();

  EXPECT_FALSE(Component().LastOutcome().failed);
  ASSERT_EQ(Captions(), std::vector<std::string>{"Attenzione!"});
  EXPECT_EQ(platform->boxes[0].text.find(dead), std::string::npos) << platform->boxes[0].text;
  EXPECT_NE(platform->boxes[0].text.find(waits), std::string::npos) << platform->boxes[0].text;
  EXPECT_EQ(FolderNames(letture),
            (std::vector<std::string>{".Penna_non_salvate.txt.4242-2.parziale",
                                      ".Riconciliazione_20261206-093015.tmp.77-0.parziale",
                                      "MovMag_20261206-093016.tmp", "Penna_non_salvate.txt",
                                      "Riconciliazione_20261206-093015.tmp"}));
  EXPECT_EQ(ReadFile(waits), line);
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

// A file given the wrong --formato would store wrong rows, or none and be
// archived as imported, its reads then lost to the right import: refused
// by its name where the name tells, by its lines where it cannot (the two
// formats of the remittances' prefix, reader files), and left untouched.
TEST_F(WaitingFilesTest, ImportaFileRefusesAFileOfAnotherFormatAndLeavesItAsItWas) {
  struct Case {
    const char* name;
    const char* contents;
    ImportFormat format;
    const char* why;
  };
  const std::string movements = "A1$7;2;20261206;3\r\n";
  const std::string subOrderReads = "A1;7;340;2\r\nB2;8;341;1\r\n";
  const std::string readerLines = "8001234;5\r\n";
  for (const Case& c : std::vector<Case>{
           {"MovMag_20261206-093015.tmp", movements.c_str(), ImportFormat::kScarica,
            "il suo nome è di un file del formato scarica4"},
           {"MovMag_20261206-093015.tmp", movements.c_str(), ImportFormat::kScarica2,
            "il suo nome è di un file del formato scarica4"},
           {"MovMag_20261206-093015.tmp", movements.c_str(), ImportFormat::kScaricaZidoriVovi,
            "il suo nome è di un file del formato scarica4"},
           {"MovMag_20261206-100207.TMP", movements.c_str(), ImportFormat::kScarica2,
            "il suo nome è di un file del formato scarica4"},
           {"Importato_Rimesse_OF_20261206-093015.tmp", subOrderReads.c_str(),
            ImportFormat::kScarica, "del formato scarica3 oppure scarica-rimesseof"},
           {"Penna_non_salvate.txt", "A;1;2;3\r\n", ImportFormat::kScarica2,
            "il suo nome è di un file del formato scarica"},
           {"lettore.txt", readerLines.c_str(), ImportFormat::kScarica4,
            "il suo nome non è quello di un file ricevuto"},
           {"Rimesse_OF_20261206-093015.tmp", subOrderReads.c_str(),
            ImportFormat::kScaricaRimesseOF, "nessuna sua riga è una riga di quel formato"},
           {"Rimesse_OF_20261206-093015.tmp", "$ROF;340;2;15;20261206\r\n",
            ImportFormat::kScarica3, "nessuna sua riga è una riga di quel formato"},
           {"lettore.txt", readerLines.c_str(), ImportFormat::kScaricaZidoriVovi,
            "nessuna sua riga è una riga di quel formato"},
       }) {
    const std::string path = Waiting(c.name, c.contents);
    platform->boxes.clear();
    AutomationError refused(0, "");
    try {
      Component().ImportaFile(path, c.format);
    } catch (const AutomationError& error) {
      refused = error;
    }
    // A name that tells keeps the 58 such a file always had; lines are 5.
    const bool byLines = std::string(c.why).starts_with("nessuna");
    EXPECT_EQ(refused.number, byLines ? kInvalidArgument : kFileAlreadyExists)
        << c.name << " " << ImportFormatName(c.format);
    EXPECT_NE(refused.description.find(path + " non è un file del formato " +
                                       ImportFormatName(c.format) + ": "),
              std::string::npos)
        << refused.description;
    EXPECT_NE(refused.description.find(c.why), std::string::npos) << refused.description;
    EXPECT_TRUE(Component().LastOutcome().failed);
    EXPECT_TRUE(platform->boxes.empty()) << c.name;  // no bad-code warning either
    EXPECT_EQ(FolderNames(letture), std::vector<std::string>{c.name});
    EXPECT_EQ(ReadFile(path), c.contents);
    std::filesystem::remove(path);
  }
  EXPECT_TRUE(Codes().empty());
  EXPECT_TRUE(Rows("SELECT * FROM Viruzedi_RimesseOF").empty());

  // Given its own format, the same file is imported.
  const std::string path = Waiting("Rimesse_OF_20261206-093015.tmp", subOrderReads);
  Component().ImportaFile(path, ImportFormat::kScarica3);
  EXPECT_FALSE(Component().LastOutcome().failed);
  EXPECT_EQ(Codes(), (std::vector<std::string>{"A1", "B2"}));
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
