// A pen reader that misbehaves on a real pseudo-terminal: it goes away in
// the middle of the dialogue, or floods the line without ever ending one.
// Either way the download ends through a failure path, keeps the rows
// already stored and releases the port.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "base/Errors.h"
#include "database/Database.h"
#include "base/LineReceiver.h"
#include "serial/Texts.h"
#include "tests/serial/PenTestSupport.h"

namespace viruzedi::testing {
namespace {

class PenFaultTest : public ::testing::Test {
 protected:
  PenFaultTest() {
    DBEngine::CreateTargetDatabase(database);
    platform->downloadFolder = temporary / "_Letture";
    // A hung-up line answers nothing: the allowance runs out on the fake
    // clock instead of taking two real seconds.
    platform->UseFakeClock();
  }

  // Runs a download against `pen` and checks that the object has released
  // its port, whatever happened.
  void Scarica(SimulatedPen& pen) {
    platform->serialDevices[1] = pen.device();
    object.Porta(1);
    object.DbPath(database);
    EXPECT_TRUE(object.Scarica().IsEmpty());
    EXPECT_FALSE(ViruzediInternals::Seriale(object).PortOpen());
  }

  TemporaryFolder temporary;
  std::string database = temporary / "magazzino.db";
  std::shared_ptr<PenPlatform> platform = std::make_shared<PenPlatform>();
  Viruzedi object{platform};
};

TEST_F(PenFaultTest, ReaderUnpluggedWhileAnAnswerIsAwaitedEndsWithTheTimeOutMessage) {
  {
    SimulatedPen pen({"--unplug-after", "2", "A;1;2;3", "B;4;5;6", "C;7;8;9"});
    Scarica(pen);
  }
  EXPECT_EQ(StoredRows(database), (std::vector<PenRow>{{"A", 1, 2, 3}, {"B", 4, 5, 6}}));
  EXPECT_EQ(platform->boxes, (std::vector<ShownBox>{{kTestoTimeOut, 16, "TimeOut Error"}}));

  // Plugged in again, the same object downloads the rest.
  platform->boxes.clear();
  SimulatedPen again({"C;7;8;9"});
  Scarica(again);
  EXPECT_EQ(StoredRows(database).size(), 3u);
  EXPECT_TRUE(platform->boxes.empty());
  EXPECT_TRUE(DeviceIsFree(again.device()));
}

TEST_F(PenFaultTest, FloodWithoutALineEndIsAReceiveOverflowAndTheBufferStaysBounded) {
  SimulatedPen pen({"--flood", "A;1;2;3"});
  Scarica(pen);
  EXPECT_EQ(StoredRows(database), (std::vector<PenRow>{{"A", 1, 2, 3}}));
  ASSERT_EQ(platform->boxes.size(), 1u);
  EXPECT_EQ(platform->boxes[0].caption, "Errore n. 1006");
  const std::string recovery = temporary / "_Letture/Penna_non_salvate.txt";
  EXPECT_EQ(platform->boxes[0].text,
            ErrorDescription(kReceiveOverflow) +
                ": il dispositivo ha inviato più di 4096 caratteri senza fine riga. " +
                kSalvataNelFile + recovery + ".");
  EXPECT_EQ(platform->beeps, 1);
  EXPECT_LE(ViruzediInternals::BufferRicezione(object).size(), kMaxReceivedLine + 2);
  EXPECT_TRUE(DeviceIsFree(pen.device()));
  // The characters without a line end are kept, as received, in one line,
  // up to the limit the message names.
  std::string kept = ReadFile(recovery);
  ASSERT_TRUE(kept.ends_with("\r\n"));
  kept.resize(kept.size() - 2);
  EXPECT_EQ(kept.size(), kMaxReceivedLine);
  EXPECT_EQ(kept.find_first_not_of('X'), std::string::npos);
}

// A host whose event handler calls the object again while a download waits
// for the reader's answer.
class ReenteringPlatform : public PenPlatform {
 public:
  void PumpEvents() override {
    PenPlatform::PumpEvents();
    if (!reenter || reentered) return;
    reentered = true;
    for (auto& call : calls) {
      try {
        call();
        refusals.push_back(0);
      } catch (const AutomationError& error) {
        refusals.push_back(error.number);
      }
    }
  }
  bool reenter = false;
  bool reentered = false;
  std::vector<std::function<void()>> calls;
  std::vector<int32_t> refusals;
};

TEST(PenReentrancy, ASecondOperationWhileTheDownloadWaitsIsRefusedAndTheFirstGoesOn) {
  TemporaryFolder temporary;
  std::string database = temporary / "magazzino.db";
  DBEngine::CreateTargetDatabase(database);
  auto platform = std::make_shared<ReenteringPlatform>();
  platform->downloadFolder = temporary / "_Letture";
  SimulatedPen pen({"A;1;2;3", "B;4;5;6"});
  platform->serialDevices[1] = pen.device();

  Viruzedi object(platform);
  object.Porta(1);
  object.DbPath(database);
  platform->calls = {[&] { object.Scarica(); }, [&] { object.Scarica4(); },
                     [&] { object.Scarica1(); }, [&] { object.Upload1(); },
                     [&] { object.Scarica2(database, temporary / "letture.txt"); }};
  platform->reenter = true;
  object.Scarica();

  EXPECT_EQ(platform->refusals, (std::vector<int32_t>(5, kOperationRefused)));
  EXPECT_EQ(StoredRows(database), (std::vector<PenRow>{{"A", 1, 2, 3}, {"B", 4, 5, 6}}));
  EXPECT_TRUE(platform->boxes.empty());
  EXPECT_FALSE(std::filesystem::exists(temporary / "_Letture"));

  // Refusing is over with the operation: the object works again.
  platform->reenter = false;
  SimulatedPen emptied({});
  platform->serialDevices[1] = emptied.device();
  object.Scarica();
  EXPECT_TRUE(platform->boxes.empty());
}

}  // namespace
}  // namespace viruzedi::testing
