// The real libZiRav.so, loaded with dlopen, against a pseudo-terminal.
#include <thread>

#include "base/Errors.h"
#include "platform/ChildProcess.h"
#include "platform/posix/LinuxPlatform.h"
#include "platform/PseudoTerminal.h"
#include "platform/SerialDevice.h"
#include "tests/infrared/InfraredFixture.h"

namespace viruzedi::testing {
namespace {

constexpr int32_t kPort = 7;

class LinkLibraryTest : public ::testing::Test {
 protected:
  LinkLibraryTest() { SetEnvironmentValue("VIRUZEDI_COM7", pty->SlavePath()); }
  ~LinkLibraryTest() override { library->CloseIrCom(); }

  // What the library sent, once it has all arrived.
  std::string Sent(size_t bytes) {
    std::string sent;
    auto deadline = PseudoTerminal::Clock::now() + 2s;
    while (sent.size() < bytes && PseudoTerminal::Clock::now() < deadline) {
      sent += pty->Read(deadline);
    }
    return sent;
  }
  std::string ReadReply() {
    std::string buffer(100, ' ');
    library->vbReadIrCom(buffer);
    return buffer;
  }
  static std::string Padded(const std::string& text) {
    return text + std::string(100 - text.size(), ' ');
  }

  std::unique_ptr<PseudoTerminal> pty = PseudoTerminal::Open();
  std::unique_ptr<InfraredLibrary> library =
      MakeDlopenInfraredLibrary(BinFolder() + "libZiRav.so");
};

TEST_F(LinkLibraryTest, SendsCommandsAsGivenAndReadsOneReplyPerCall) {
  ASSERT_EQ(library->vbOpenIrCom(kPort, 38400), 1);
  // An answer to an earlier command, never read: the next command drops it.
  pty->Write("STALE\r");
  std::this_thread::sleep_for(20ms);
  library->WriteIrCom("SEGUE 0\r");
  EXPECT_EQ(Sent(8), "SEGUE 0\r");

  pty->Write(std::string(120, 'x') + "\r" + "NEXT\rPART");
  EXPECT_EQ(ReadReply(), std::string(100, 'x'));
  EXPECT_EQ(ReadReply(), Padded("NEXT"));

  // A reply that arrives in pieces is handed out whole.
  std::thread reader([this] {
    std::this_thread::sleep_for(50ms);
    pty->Write("IAL\r");
  });
  EXPECT_EQ(ReadReply(), Padded("PARTIAL"));
  reader.join();
}

TEST_F(LinkLibraryTest, CarriesTextInWindows1252) {
  ASSERT_EQ(library->vbOpenIrCom(kPort, 38400), 1);
  library->WriteIrCom("RIPROVA \xC3\x89\r");  // É
  EXPECT_EQ(Sent(10), "RIPROVA \xC9\r");
  pty->Write("#CAF\xC9$1;1;20260101;1;\r");
  std::string reply = ReadReply();
  EXPECT_EQ(reply.substr(0, 7), "#CAF\xC3\x89$");
  EXPECT_EQ(reply.size(), 101u);  // 100 characters, one of them two bytes long
}

TEST_F(LinkLibraryTest, OpenFailsWithoutADeviceOrWhenAnotherProgramHoldsIt) {
  EXPECT_EQ(library->vbOpenIrCom(0, 38400), 0);
  EXPECT_EQ(library->vbOpenIrCom(-1, 38400), 0);
  SetEnvironmentValue("VIRUZEDI_COM98", "/dev/no-such-port");
  EXPECT_EQ(library->vbOpenIrCom(98, 38400), 0);
  EXPECT_EQ(library->vbOpenIrCom(kPort, 12345), 0);
  auto holder = SerialDevice::Open(pty->SlavePath());
  EXPECT_EQ(library->vbOpenIrCom(kPort, 38400), 0);
  holder.reset();
  EXPECT_EQ(library->vbOpenIrCom(kPort, 38400), 1);
  // A closed link reads nothing and writes nowhere, at once.
  library->CloseIrCom();
  library->WriteIrCom("LEGGI1\r");
  EXPECT_EQ(ReadReply(), std::string(100, ' '));
  EXPECT_EQ(pty->Read(PseudoTerminal::Clock::now() + 20ms), "");
}

TEST(LinkLibraryLoading, MissingFileIs53AndMissingFunctionIs453) {
  TemporaryFolder folder;
  auto missing = MakeDlopenInfraredLibrary(folder / "libZiRav.so");
  try {
    missing->vbOpenIrCom(1, 38400);
    ADD_FAILURE() << "loaded a missing library";
  } catch (const AutomationError& error) {
    EXPECT_EQ(error.number, kFileNotFound);
    EXPECT_NE(error.description.find(folder / "libZiRav.so"), std::string::npos);
  }
  auto without = MakeDlopenInfraredLibrary(BinFolder() + "libviruzedi.so");
  try {
    without->CloseIrCom();
    ADD_FAILURE() << "found CloseIrCom";
  } catch (const AutomationError& error) {
    EXPECT_EQ(error.number, kEntryPointMissing);
    EXPECT_NE(error.description.find("CloseIrCom"), std::string::npos);
  }
}

}  // namespace
}  // namespace viruzedi::testing
