// The transfer forms on their own, and the upload through CaricaDuzu.
#include <gtest/gtest.h>

#include <filesystem>

#include "viruzedi/Viruzedi.h"
#include "terminal/Forms.h"
#include "tests/terminal/TerminalFixture.h"

namespace viruzedi::testing {
namespace {

namespace fs = std::filesystem;

class FormsTest : public TerminalTest {
 protected:
  void Receive(const std::string& folder, const std::string& name, int16_t numeroFile) {
    ScaricaDuzuForm& form = ScaricaDuzu();
    TakenForm taken(form);
    form.NomeCartella = folder;
    form.NomeFile = name;
    form.NumeroFile = numeroFile;
    form.Load(*platform);
  }
};

TEST_F(FormsTest, TheDownloadFormCreatesItsFolderAndReceivesTheFile) {
  PutTerminalFile(2, {"X12$5;12.5"});
  Receive(letture, "r.tmp", 2);
  EXPECT_EQ(ReadFile(letture + "/r.tmp"), "X12$5;12.5\r\n");
  EXPECT_TRUE(platform->boxes.empty());
}

// The name is the caller's reservation: the form never deletes what is
// there, and only a file that arrived replaces it.
TEST_F(FormsTest, OnlyAReceivedFileTakesTheNameAndNothingIsDeleted) {
  fs::create_directory(letture);
  WriteFile(letture + "/r.tmp", "");
  Receive(letture, "r.tmp", 1);  // the terminal has no file 1
  EXPECT_FALSE(ScaricaDuzu().Ricevuto);
  EXPECT_TRUE(fs::exists(letture + "/r.tmp"));
  EXPECT_TRUE(platform->boxes.empty());

  PutTerminalFile(1, {"A$1;1;20261206;1"});
  Receive(letture, "r.tmp", 1);
  EXPECT_TRUE(ScaricaDuzu().Ricevuto);
  EXPECT_EQ(ReadFile(letture + "/r.tmp"), "A$1;1;20261206;1\r\n");
  EXPECT_TRUE(platform->boxes.empty());
}

TEST_F(FormsTest, AFailedTransferIsShownByTheForm) {
  platform->terminalSetting = "dir:" + terminale + "/assente";
  Receive(letture, "r.tmp", 1);
  EXPECT_EQ(Captions(), std::vector<std::string>{"76"});
  EXPECT_FALSE(fs::exists(letture + "/r.tmp"));
}

TEST_F(FormsTest, UploadingTwiceSendsTheSameFileTwiceAndLeavesIt) {
  fs::create_directory(letture);
  WriteFile(letture + "/file_up.tmp", "U;1;ROSSI\r\n");
  Viruzedi component(platform);

  EXPECT_TRUE(component.Upload1().IsEmpty());
  EXPECT_EQ(ReadFile(terminale + "/file_up.tmp"), "U;1;ROSSI\r\n");
  fs::remove(terminale + "/file_up.tmp");  // the terminal took it in
  EXPECT_TRUE(component.Upload1().IsEmpty());

  EXPECT_EQ(ReadFile(terminale + "/file_up.tmp"), "U;1;ROSSI\r\n");
  EXPECT_EQ(ReadFile(letture + "/file_up.tmp"), "U;1;ROSSI\r\n");
  EXPECT_TRUE(platform->boxes.empty());
}

TEST_F(FormsTest, UploadingAMissingFileCreatesTheFolderAndShowsWhatTheLinkReports) {
  Viruzedi component(platform);
  EXPECT_TRUE(component.Upload1().IsEmpty());
  EXPECT_TRUE(fs::is_directory(letture));
  EXPECT_EQ(Captions(), std::vector<std::string>{"53"});
  EXPECT_TRUE(FolderNames(terminale).empty());
}

TEST_F(FormsTest, UploadingWithoutATerminalSendsNothing) {
  fs::create_directory(letture);
  WriteFile(letture + "/file_up.tmp", "U");
  platform->terminalSetting = "";
  Viruzedi component(platform);
  EXPECT_TRUE(component.Upload1().IsEmpty());
  EXPECT_EQ(Captions(), std::vector<std::string>{"Collegamento"});
  EXPECT_TRUE(FolderNames(terminale).empty());
}

TEST_F(FormsTest, ADownloadFolderThatCannotBeCreatedIsShown) {
  platform->downloadFolder = temporary / "manca/_Letture";  // one level only is created
  Viruzedi component(platform);
  EXPECT_TRUE(component.Upload1().IsEmpty());
  EXPECT_EQ(Captions(), std::vector<std::string>{"76"});
}

// A control that cannot be made: the upload passes that on, a download
// shows it.
class NoControlPlatform : public LinkPlatform {
 public:
  std::unique_ptr<TerminalLink> CreateTerminalLink() override {
    throw AutomationError(429, "Impossibile creare il controllo");
  }
};

TEST(FormsWithoutControl, TheUploadThrowsAndADownloadShowsIt) {
  auto platform = std::make_shared<NoControlPlatform>();
  TemporaryFolder temporary;
  platform->downloadFolder = temporary.path();
  Viruzedi component(platform);
  try {
    component.Upload1();
    ADD_FAILURE() << "no error";
  } catch (const AutomationError& error) {
    EXPECT_EQ(error.number, 429);
  }
  EXPECT_TRUE(component.Scarica4().IsEmpty());
  ASSERT_EQ(platform->boxes.size(), 1u);
  EXPECT_EQ(platform->boxes[0].caption, "429");
}

}  // namespace
}  // namespace viruzedi::testing
