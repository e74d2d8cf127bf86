// The pen download end to end: the simulated pen reader on a real
// pseudo-terminal, the real serial port and a real SQLite file.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/Errors.h"
#include "database/Database.h"
#include "platform/SerialDevice.h"
#include "serial/Texts.h"
#include "tests/serial/PenTestSupport.h"

namespace viruzedi::testing {
namespace {

class ScaricaTest : public ::testing::Test {
 protected:
  ScaricaTest() {
    DBEngine::CreateTargetDatabase(database);
    platform->downloadFolder = temporary / "_Letture";
  }

  // Runs the download on port 1 (mapped to `device`, when given) and checks
  // that the port is closed afterwards, both as the object sees it and as
  // another program would find the device.
  void Scarica(const std::string& device, int32_t porta = 1) {
    if (!device.empty()) platform->serialDevices[1] = device;
    Viruzedi pen(platform);
    pen.Porta(porta);
    pen.DbPath(dbPath);
    EXPECT_TRUE(pen.Scarica().IsEmpty());
    EXPECT_FALSE(ViruzediInternals::Seriale(pen).PortOpen());
    if (!device.empty()) {
      EXPECT_TRUE(DeviceIsFree(device));
    }
  }

  std::vector<std::string> Captions() const {
    std::vector<std::string> captions;
    for (const ShownBox& box : platform->boxes) captions.push_back(box.caption);
    return captions;
  }

  TemporaryFolder temporary;
  std::string database = temporary / "magazzino.db";
  std::string dbPath = database;
  std::shared_ptr<PenPlatform> platform = std::make_shared<PenPlatform>();
};

TEST_F(ScaricaTest, ReaderWithNothingStoredEndsAtOnceWithoutAMessage) {
  for (const char* empty : {"", "--lower-case"}) {
    SCOPED_TRACE(empty);
    SimulatedPen pen(empty[0] ? std::vector<std::string>{empty} : std::vector<std::string>{});
    Scarica(pen.device());
    EXPECT_TRUE(StoredRows(database).empty());
    EXPECT_TRUE(platform->boxes.empty());
    EXPECT_EQ(platform->beeps, 0);
  }
}

TEST_F(ScaricaTest, StoresOneRowPerReadInTheOrderRead) {
  const std::vector<std::string> reads{
      "A1;12;345;2.5", "7;0;0;3",        "H;1;2;0.5",         "V;1;2;0,5", "N;-3;4;-1.5",
      ";2.5;3.5;1e3",  "SPAZI X;7;8; 4 ", "D'ORO;1;2;3"};
  const std::vector<PenRow> expected{
      {"A1", 12, 345, 2.5}, {"7", 0, 0, 3},   {"H", 1, 2, 0.5},        {"V", 1, 2, 0.5},
      {"N", -3, 4, -1.5},   {"", 2, 4, 1000}, {"SPAZI X", 7, 8, 4}, {"D'ORO", 1, 2, 3}};
  // Whole answers, and answers that arrive in pieces over several events.
  for (const std::vector<std::string>& how :
       {std::vector<std::string>{}, std::vector<std::string>{"--piece", "4"}}) {
    SCOPED_TRACE(how.empty() ? "whole" : "pieces");
    std::vector<std::string> arguments = how;
    arguments.insert(arguments.end(), reads.begin(), reads.end());
    SimulatedPen pen(arguments);
    Scarica(pen.device());
    EXPECT_EQ(StoredRows(database), expected);
    EXPECT_TRUE(platform->boxes.empty());
    std::filesystem::remove(database);
    DBEngine::CreateTargetDatabase(database);
  }
}

// The pen has forgotten the line once sent: it goes to the recovery file,
// which the message names, and the next read is never asked for.
TEST_F(ScaricaTest, LineThatIsNoReadEndsWithTheGeneralMessageAndIsKeptInTheRecoveryFile) {
  struct Case {
    std::string line;
    int32_t number;
  };
  const Case cases[] = {
      {"B;1;2", kInvalidArgument},           // only two ";"
      {"", kInvalidArgument},                // LF CR alone
      {"B;uno;2;3", kTypeMismatch},          // sub-order id not a number
      {"B;1;2;3;4", kTypeMismatch},          // the quantity takes the rest: "3;4"
      {"B;1;2;", kTypeMismatch},             // no quantity
      {"B;1;99999999999;3", kOverflow},      // lot id beyond 32 bits
  };
  std::string recovery = temporary / "_Letture/Penna_non_salvate.txt";
  for (const Case& c : cases) {
    SCOPED_TRACE("line \"" + c.line + "\"");
    platform->boxes.clear();
    platform->beeps = 0;
    std::filesystem::remove(database);
    std::filesystem::remove(recovery);
    DBEngine::CreateTargetDatabase(database);
    SimulatedPen pen({"A;1;2;3", c.line, "C;1;2;3"});
    Scarica(pen.device());
    EXPECT_EQ(StoredRows(database), (std::vector<PenRow>{{"A", 1, 2, 3}}));
    ASSERT_EQ(platform->boxes.size(), 1u);
    EXPECT_EQ(platform->boxes[0].caption, "Errore n. " + std::to_string(c.number));
    EXPECT_EQ(platform->boxes[0].style, 16);
    EXPECT_EQ(platform->boxes[0].text.rfind(ErrorDescription(c.number), 0), 0u)
        << platform->boxes[0].text;
    EXPECT_NE(platform->boxes[0].text.find(recovery), std::string::npos);
    EXPECT_EQ(platform->beeps, 1);
    EXPECT_EQ(ReadFile(recovery), c.line + "\r\n");

    // The read after it is still on the pen.
    platform->boxes.clear();
    Scarica(pen.device());
    EXPECT_EQ(StoredRows(database), (std::vector<PenRow>{{"A", 1, 2, 3}, {"C", 1, 2, 3}}));
    EXPECT_TRUE(platform->boxes.empty());
  }
}

TEST_F(ScaricaTest, SilentReaderGivesTheTimeOutMessageAndKeepsEarlierRows) {
  // The allowance is measured on the platform's clock, which moves on with
  // every yield: the time-out comes after a few short real waits.
  platform->UseFakeClock();
  SimulatedPen pen({"--answers", "1", "A;1;2;3", "B;1;2;3"});
  Scarica(pen.device());
  EXPECT_EQ(StoredRows(database), (std::vector<PenRow>{{"A", 1, 2, 3}}));
  EXPECT_EQ(platform->boxes, (std::vector<ShownBox>{{kTestoTimeOut, 16, "TimeOut Error"}}));
  EXPECT_EQ(platform->beeps, 0);
  EXPECT_GT(platform->pumps, 0);
}

TEST_F(ScaricaTest, PortHeldByAnotherProgramIsReportedBeforeTheDatabaseIsOpened) {
  SimulatedPen pen({"A;1;2;3"});
  platform->serialDevices[1] = pen.device();
  // A database that cannot be opened: reaching it would give its own error.
  dbPath = temporary / "mancante.db";
  {
    auto holder = SerialDevice::Open(pen.device());
    Viruzedi object(platform);
    object.Porta(1);
    object.DbPath(dbPath);
    object.Scarica();
    EXPECT_FALSE(ViruzediInternals::Seriale(object).PortOpen());
  }
  EXPECT_EQ(platform->boxes,
            (std::vector<ShownBox>{{kTestoPortaOccupata, 16, "Errore n. 8005"}}));
  EXPECT_EQ(platform->beeps, 1);
  EXPECT_FALSE(std::filesystem::exists(dbPath));
  EXPECT_TRUE(DeviceIsFree(pen.device()));
}

TEST_F(ScaricaTest, PortNumberWithoutADeviceIsReportedWithItsNumber) {
  platform->serialDevices[3] = temporary / "nessuna-porta";
  platform->serialDevices[4] = database;  // a file, not a serial device
  struct Case {
    int32_t porta;
    int32_t number;
  };
  for (const Case& c : {Case{0, kInvalidPortNumber}, Case{2, kInvalidPortNumber},
                        Case{3, kInvalidPortNumber}, Case{4, kInvalidPortNumber},
                        Case{-1, kInvalidPortNumber}, Case{40000, kOverflow}}) {
    SCOPED_TRACE(c.porta);
    platform->boxes.clear();
    Scarica("", c.porta);
    ASSERT_EQ(platform->boxes.size(), 1u);
    EXPECT_EQ(platform->boxes[0].caption, "Errore n. " + std::to_string(c.number));
    EXPECT_EQ(platform->boxes[0].text.rfind(ErrorDescription(c.number), 0), 0u);
  }
  EXPECT_TRUE(StoredRows(database).empty());
}

TEST_F(ScaricaTest, MissingDatabaseIsReportedAndThePortClosed) {
  SimulatedPen pen({"A;1;2;3"});
  dbPath = temporary / "mancante.db";
  Scarica(pen.device());
  ASSERT_EQ(platform->boxes.size(), 1u);
  EXPECT_EQ(platform->boxes[0].caption, "Errore n. 3024");
}

TEST_F(ScaricaTest, ASecondDownloadStartsFromAClearReceiver) {
  Viruzedi object(platform);
  object.Porta(1);
  object.DbPath(dbPath);
  {
    SimulatedPen emptied({});
    platform->serialDevices[1] = emptied.device();
    object.Scarica();
  }
  EXPECT_EQ(ViruzediInternals::UltimaRiga(object), "EMPTY");
  // What the last call left behind must neither end the next one at once
  // nor stick to its first line.
  ViruzediInternals::BufferRicezione(object) = "resto";
  SimulatedPen pen({"A;1;2;3"});
  platform->serialDevices[1] = pen.device();
  object.Scarica();
  EXPECT_EQ(StoredRows(database), (std::vector<PenRow>{{"A", 1, 2, 3}}));
  EXPECT_TRUE(platform->boxes.empty());
}

}  // namespace
}  // namespace viruzedi::testing
