// The terminal links: none configured, a form not understood, and the
// terminal's storage as a folder (within one file system and across two).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/Errors.h"
#include "platform/FileSystem.h"
#include "platform/TerminalLink.h"
#include "tests/support/TestPlatform.h"
#include "tests/support/ErrorOf.h"

namespace viruzedi::testing {
namespace {

namespace fs = std::filesystem;

// Bytes as a terminal writes them: CR LF ends, an accented letter in
// Windows-1252, no end of line on the last one.
const std::string kContent = "A1$2;3;20261206;1\r\nCAFF\xC8;1\r\nlast";

// True when a read-only folder really refuses this process (not so for root).
bool ReadOnlyFolderRefuses(const std::string& folder) {
  fs::permissions(folder, fs::perms::owner_write, fs::perm_options::remove);
  std::ofstream probe(folder + "/probe");
  bool refused = !probe.is_open();
  probe.close();
  fs::remove(folder + "/probe");
  return refused;
}

using testing::ErrorOf;

TEST(TerminalLinks, WithoutALinkTheAlternativeTellsHowToConfigureOne) {
  struct Case {
    std::string setting;
    std::string named;  // what the message must name besides the how-to
  };
  for (const Case& c : std::vector<Case>{{"", "Nessun terminale"},
                                         {"ftp:host", "\"ftp:host\""},
                                         {"dir:", "\"dir:\""},
                                         {"serial:", "\"serial:\""}}) {
    SCOPED_TRACE(c.setting);
    TestPlatform platform;
    std::unique_ptr<TerminalLink> link = MakeTerminalLink(c.setting, platform);
    EXPECT_TRUE(link->FlagAlternativo());
    link->OperazioneAlternativa();
    ASSERT_EQ(platform.boxes.size(), 1u);
    const std::string& text = platform.boxes[0].text;
    EXPECT_NE(text.find(c.named), std::string::npos) << text;
    EXPECT_NE(text.find("VIRUZEDI_TERMINALE a dir:CARTELLA"), std::string::npos) << text;
    EXPECT_NE(text.find("serial:PORTA[,BAUD]"), std::string::npos) << text;
    EXPECT_NE(text.find("--terminale"), std::string::npos) << text;
  }
}

class FolderLinkTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    // The terminal's folder on another file system than the download folder
    // (a memory file system) makes the link copy instead of renaming.
    if (GetParam()) {
      if (!fs::is_directory("/dev/shm")) GTEST_SKIP() << "no /dev/shm";
      otherSystem = std::make_unique<fs::path>(fs::path("/dev/shm") /
                                               fs::path(temporary.path()).filename());
      fs::create_directory(*otherSystem);
      terminale = otherSystem->string() + "/terminale";
    }
    fs::create_directory(terminale);
    fs::create_directory(letture);
    link = MakeTerminalLink("dir:" + terminale + "/", platform);
  }
  void TearDown() override {
    if (fs::exists(terminale)) fs::permissions(terminale, fs::perms::owner_all, fs::perm_options::add);
    if (otherSystem) fs::remove_all(*otherSystem);
  }

  TemporaryFolder temporary;
  std::unique_ptr<fs::path> otherSystem;
  std::string terminale = temporary / "terminale";
  std::string letture = temporary / "_Letture";
  TestPlatform platform;
  std::unique_ptr<TerminalLink> link;
};

TEST_P(FolderLinkTest, ReceivingTakesTheTerminalsFileOnce) {
  WriteFile(terminale + "/1.txt", kContent);
  WriteFile(terminale + "/2.txt", "due");
  EXPECT_FALSE(link->FlagAlternativo());

  link->RiceviFile(letture + "/MovMag_1.tmp", 1);
  EXPECT_EQ(ReadFile(letture + "/MovMag_1.tmp"), kContent);
  EXPECT_EQ(FolderNames(terminale), std::vector<std::string>{"2.txt"});
  EXPECT_EQ(FolderNames(letture), std::vector<std::string>{"MovMag_1.tmp"});

  // Taken once: a second fetch of file 1 finds nothing to send.
  link->RiceviFile(letture + "/MovMag_2.tmp", 1);
  EXPECT_FALSE(fs::exists(letture + "/MovMag_2.tmp"));

  link->RiceviFile(letture + "/Riconciliazione_1.tmp", 2);
  EXPECT_EQ(ReadFile(letture + "/Riconciliazione_1.tmp"), "due");
  EXPECT_TRUE(FolderNames(terminale).empty());
}

// A claim is a terminal file a download has renamed to a name of its own;
// its lock tells a live download from a dead one.
TEST_P(FolderLinkTest, AClaimOfADeadDownloadIsTakenOverAndALiveOneLeftAlone) {
  const std::string dead = terminale + "/.1.txt.999999-0.preso";
  const std::string live = terminale + "/.1.txt.999998-0.preso";
  WriteFile(dead, "abbandonato");
  WriteFile(live, "in corso");
  std::unique_ptr<FileLock> held = platform.Files().TryLock(live);
  ASSERT_TRUE(held);
  WriteFile(terminale + "/1.txt", kContent);

  EXPECT_TRUE(link->RiceviFile(letture + "/a.tmp", 1));
  EXPECT_EQ(ReadFile(letture + "/a.tmp"), "abbandonato");
  EXPECT_TRUE(link->RiceviFile(letture + "/b.tmp", 1));
  EXPECT_EQ(ReadFile(letture + "/b.tmp"), kContent);
  EXPECT_FALSE(link->RiceviFile(letture + "/c.tmp", 1));
  EXPECT_EQ(FolderNames(terminale), std::vector<std::string>{".1.txt.999998-0.preso"});
}

// The caller reserves the name with an empty file: only that is replaced.
TEST_P(FolderLinkTest, TheFileReplacesTheReservationAndNothingElse) {
  WriteFile(letture + "/r.tmp", "");
  EXPECT_FALSE(link->RiceviFile(letture + "/r.tmp", 1));
  EXPECT_TRUE(fs::exists(letture + "/r.tmp"));
  WriteFile(terminale + "/1.txt", kContent);
  EXPECT_TRUE(link->RiceviFile(letture + "/r.tmp", 1));
  EXPECT_EQ(ReadFile(letture + "/r.tmp"), kContent);
  EXPECT_EQ(FolderNames(letture), std::vector<std::string>{"r.tmp"});
}

TEST_P(FolderLinkTest, AnEmptyFileArrivesEmpty) {
  WriteFile(terminale + "/1.txt", "");
  link->RiceviFile(letture + "/x.tmp", 1);
  EXPECT_TRUE(fs::exists(letture + "/x.tmp"));
  EXPECT_EQ(fs::file_size(letture + "/x.tmp"), 0u);
}

TEST_P(FolderLinkTest, MissingFoldersAreErrorsThatLeaveTheTerminalsFile) {
  WriteFile(terminale + "/1.txt", kContent);
  EXPECT_EQ(ErrorOf([&] { link->RiceviFile(letture + "/missing/x.tmp", 1); }), kPathNotFound);
  EXPECT_EQ(ReadFile(terminale + "/1.txt"), kContent);

  std::unique_ptr<TerminalLink> nowhere = MakeTerminalLink("dir:" + terminale + "/no", platform);
  EXPECT_EQ(ErrorOf([&] { nowhere->RiceviFile(letture + "/x.tmp", 1); }), kPathNotFound);
  WriteFile(letture + "/file_up.tmp", "U");
  EXPECT_EQ(ErrorOf([&] { nowhere->InviaFile(letture + "/file_up.tmp"); }), kPathNotFound);
  EXPECT_FALSE(fs::exists(letture + "/x.tmp"));
}

TEST_P(FolderLinkTest, AFolderThatCannotBeEmptiedKeepsItsFileAndNothingArrives) {
  WriteFile(terminale + "/1.txt", kContent);
  if (!ReadOnlyFolderRefuses(terminale)) GTEST_SKIP() << "permissions do not bind this user";
  EXPECT_EQ(ErrorOf([&] { link->RiceviFile(letture + "/x.tmp", 1); }), kPermissionDenied);
  EXPECT_TRUE(FolderNames(letture).empty());
  EXPECT_EQ(ReadFile(terminale + "/1.txt"), kContent);
}

TEST_P(FolderLinkTest, SendingCopiesUnderItsOwnNameAndReplacesAnOlderCopy) {
  WriteFile(letture + "/file_up.tmp", kContent);
  link->InviaFile(letture + "/file_up.tmp");
  EXPECT_EQ(ReadFile(terminale + "/file_up.tmp"), kContent);
  EXPECT_EQ(ReadFile(letture + "/file_up.tmp"), kContent);

  WriteFile(letture + "/file_up.tmp", "nuovo");
  link->InviaFile(letture + "/file_up.tmp");
  EXPECT_EQ(ReadFile(terminale + "/file_up.tmp"), "nuovo");
  EXPECT_EQ(FolderNames(terminale), std::vector<std::string>{"file_up.tmp"});  // nothing left aside

  EXPECT_EQ(ErrorOf([&] { link->InviaFile(letture + "/assente.tmp"); }), kFileNotFound);
  EXPECT_EQ(ErrorOf([&] { link->InviaFile(letture); }), kFileNotFound);
  EXPECT_EQ(FolderNames(terminale), std::vector<std::string>{"file_up.tmp"});
}

INSTANTIATE_TEST_SUITE_P(OneOrTwoFileSystems, FolderLinkTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "AcrossFileSystems" : "SameFileSystem";
                         });

}  // namespace
}  // namespace viruzedi::testing
