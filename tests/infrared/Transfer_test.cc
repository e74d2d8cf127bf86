// Whole downloads through the real libZiRav.so and the simulated reader
// (a child process on a pseudo-terminal), into a real SQLite file.
#include "platform/ChildProcess.h"
#include "platform/posix/LinuxPlatform.h"
#include "tests/infrared/InfraredFixture.h"

namespace viruzedi::testing {
namespace {

using Strings = std::vector<std::string>;

class TransferTest : public InfraredTest {
 protected:
  // Starts the simulated reader with `options` and points port 5 at it.
  void StartReader(const Strings& options) {
    Strings argv{BinFolder() + "infrared-simulator", "--trace"};
    argv.insert(argv.end(), options.begin(), options.end());
    reader = ChildProcess::Start(argv, true);
    std::string device = reader->ReadLine(5s);
    ASSERT_FALSE(device.empty()) << "the simulated reader did not start";
    SetEnvironmentValue("VIRUZEDI_COM5", device);
  }
  // Everything the reader heard ("< ...") and did, once the download is over.
  Strings ReaderLog() {
    Strings lines;
    for (std::string line; !(line = reader->ReadLine(300ms)).empty();) lines.push_back(line);
    return lines;
  }
  static Strings Heard(const Strings& log) {
    Strings heard;
    for (const std::string& line : log) {
      if (line.rfind("< ", 0) == 0) heard.push_back(line.substr(2));
    }
    return heard;
  }

  std::unique_ptr<ChildProcess> reader;
};

TEST_F(TransferTest, EveryRecordBecomesARowAndTheReaderIsErasedAtTheEnd) {
  StartReader({"--record", "#A7$12;1.5;20261206;3;", "--record", "#SENZALOTTO;1;20261206;1;",
               "--record", "#D'ORO$5;2;20260131;7;", "--record", "#CAFÉ$1;0.5;20260101;2;",
               "--record", "#Z1$3;4;20261207;1;", "--late", "4", "--garbled", "4"});
  RunScarica1(5);

  EXPECT_EQ(Rows(), (Strings{"#A7|12|1.5|2026-12-06|3", "#D'ORO|5|2.0|2026-01-31|7",
                             "#CAFÉ|1|0.5|2026-01-01|2", "#Z1|3|4.0|2026-12-07|1"}));
  EXPECT_EQ(platform->boxes, (std::vector<ShownBox>{kBadCodeBox}));
  EXPECT_FALSE(MarkerExists());
  Strings log = ReaderLog();
  EXPECT_EQ(Heard(log), (Strings{"LEGGI1", "SEGUE 0", "SEGUE 1", "SEGUE 2", "SEGUE 3",
                                 "SEGUE 4", "RIPROVA 4", "SEGUE 5", "ELIMINA"}));
  EXPECT_EQ(log.back(), "erased 5");
}

TEST_F(TransferTest, ReaderKeepsItsRecordsWhenTheDownloadFails) {
  StartReader({"--record", "#A7$12;1.5;20261206;3;", "--record", "#B$1;1;2026XX01;1;",
               "--lower-case"});
  RunScarica1(5);

  EXPECT_TRUE(Rows().empty());
  ASSERT_EQ(platform->boxes.size(), 1u);
  EXPECT_EQ(platform->boxes[0].caption, "13");
  Strings log = ReaderLog();
  EXPECT_EQ(Heard(log), (Strings{"LEGGI1", "SEGUE 0", "SEGUE 1"}));
  // The link was closed: the port can be opened again at once.
  StartOver();
  RunScarica1(5);
  EXPECT_EQ(Heard(ReaderLog()), (Strings{"LEGGI1", "SEGUE 0", "SEGUE 1"}));
}

// The reader taken away in the middle of the dialogue: the link library
// hears nothing more, the download ends as after any silence, stores nothing
// and has not told the reader to erase. The relaunch the message asks for
// then stores every record once.
TEST_F(TransferTest, ReaderUnpluggedInTheMiddleStoresNothingAndTheRelaunchStoresEachRecordOnce) {
  const Strings records{"--record", "#A7$12;1.5;20261206;3;", "--record", "#B$1;1;20261206;1;",
                        "--record", "#C$2;1;20261206;1;"};
  Strings unplugging = records;
  unplugging.insert(unplugging.end(), {"--unplug-at", "2"});
  StartReader(unplugging);
  RunScarica1(5);

  EXPECT_TRUE(Rows().empty());
  EXPECT_EQ(platform->boxes, (std::vector<ShownBox>{kTimeoutBox}));
  EXPECT_EQ(Marker(), "KO\r\n");
  Strings log = ReaderLog();
  EXPECT_EQ(Heard(log), (Strings{"LEGGI1", "SEGUE 0", "SEGUE 1", "SEGUE 2"}));
  EXPECT_EQ(log.back(), "unplugged");

  // Plugged in again, holding every record still: the link opens at once.
  platform->boxes.clear();
  StartReader(records);
  RunScarica1(5);
  EXPECT_EQ(Rows(), (Strings{"#A7|12|1.5|2026-12-06|3", "#B|1|1.0|2026-12-06|1",
                             "#C|2|1.0|2026-12-06|1"}));
  EXPECT_TRUE(platform->boxes.empty());
  EXPECT_EQ(ReaderLog().back(), "erased 3");
}

// The command's exit status tells a script whether the download failed.
TEST_F(TransferTest, CommandExitsWithOneAfterAFailureAndZeroAfterWarnings) {
  std::string viruzedi = BinFolder() + "viruzedi";
  EXPECT_EQ(RunProcess({viruzedi, "--letture", letture, "scarica1", "--db", database}), 1);
  EXPECT_EQ(Marker(), "KO\r\n");

  StartReader({"--record", "#SENZALOTTO;1;20261206;1;", "--record", "#A7$12;1.5;20261206;3;"});
  std::string device = EnvironmentValue("VIRUZEDI_COM5");
  EXPECT_EQ(RunProcess({viruzedi, "--letture", letture, "--com", "3=" + device, "scarica1",
                        "--db", database, "--porta", "3"}),
            0);
  EXPECT_EQ(Rows(), Strings{"#A7|12|1.5|2026-12-06|3"});
  EXPECT_EQ(ReaderLog().back(), "erased 2");
}

}  // namespace
}  // namespace viruzedi::testing
