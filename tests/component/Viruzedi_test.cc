#include "viruzedi/Viruzedi.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <optional>
#include <set>
#include <stdexcept>

#include "operation/ErrorReport.h"
#include "operation/OperationBoundary.h"
#include "base/Identity.h"
#include "platform/SerialPort.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi {
namespace {

// A control that only counts what is done to it.
class CountingPort : public SerialPort {
 public:
  explicit CountingPort(int& opens, int& destroyed) : opens_(opens), destroyed_(destroyed) {}
  ~CountingPort() override { ++destroyed_; }
  void SetPortOpen(bool open) override {
    if (open) ++opens_;
  }
  bool PortOpen() const override { return false; }
  std::string Input() override { return ""; }
  void Output(const std::string&) override {}
  int CommEvent() const override { return kComEvNone; }
  void WaitForEvents(MonotonicTime) override {}

 private:
  int& opens_;
  int& destroyed_;
};

class CountingPlatform : public testing::TestPlatform {
 public:
  std::unique_ptr<SerialPort> CreateSerialPort() override {
    auto port = std::make_unique<CountingPort>(opens, destroyed);
    created = port.get();
    return port;
  }
  int opens = 0;
  int destroyed = 0;
  SerialPort* created = nullptr;
};

TEST(Viruzedi, PropertiesArePlainStoredValues) {
  auto platform = std::make_shared<CountingPlatform>();
  Viruzedi component(platform);
  EXPECT_EQ(component.Porta(), 0);
  EXPECT_EQ(component.DbPath(), "");
  EXPECT_EQ(component.IdUt(), 0);
  component.Porta(12);
  component.IdUt(-1);
  component.DbPath("/nowhere/x.db");
  EXPECT_EQ(component.Porta(), 12);
  EXPECT_EQ(component.IdUt(), -1);
  EXPECT_EQ(component.DbPath(), "/nowhere/x.db");
  EXPECT_TRUE(platform->boxes.empty());
}

TEST(Viruzedi, CreationConfiguresTheSerialControlWithoutOpeningIt) {
  auto platform = std::make_shared<CountingPlatform>();
  {
    Viruzedi component(platform);
    SerialPort& port = *platform->created;
    EXPECT_EQ(port.Settings, "38400,n,8,1");
    EXPECT_EQ(port.RThreshold, 1);
    EXPECT_EQ(port.Handshaking, 0);
    EXPECT_EQ(port.InBufferSize, 1024);
    EXPECT_EQ(port.OutBufferSize, 512);
    EXPECT_FALSE(port.RTSEnable);
    EXPECT_FALSE(port.DTREnable);
    EXPECT_TRUE(static_cast<bool>(port.OnComm));
  }
  EXPECT_EQ(platform->opens, 0);
  EXPECT_EQ(platform->destroyed, 1);
}

// Hosts and people know these boxes by their captions: each rule's literal
// text is what it always was.
TEST(OperationBoundary, EachRuleRecordsTheFailureAndShowsOrThrowsItAsItAlwaysHas) {
  struct Case {
    FailureRule rule;
    std::function<void()> fails;
    int32_t number;
    std::optional<testing::ShownBox> box;  // none: thrown to the host
    int beeps;
  };
  const Case cases[] = {
      {FailureRule::kGeneralBox, [] { RaiseError(kTypeMismatch); }, 13,
       testing::ShownBox{"Tipo non corrispondente", 16, "13"}, 0},
      {FailureRule::kGeneralBox, [] { throw std::runtime_error("boom"); }, 51,
       testing::ShownBox{"Errore interno: boom", 16, "51"}, 0},
      {FailureRule::kPenBox, [] { RaiseError(kPortNotOpen); }, 8018,
       testing::ShownBox{"Operazione non valida: la porta non è aperta", 16, "Errore n. 8018"},
       1},
      {FailureRule::kThrown, [] { RaiseError(kFileNotFound, "x.txt"); }, 53, std::nullopt, 0},
      {FailureRule::kThrown, [] { throw std::bad_alloc(); }, 7, std::nullopt, 0},
  };
  for (const Case& c : cases) {
    testing::TestPlatform platform;
    DatabaseSettings settings;
    OperationOutcome outcome;
    Operation operation{platform, 0, "", 0, settings, outcome};
    std::optional<int32_t> thrown;
    try {
      RunOperation(operation, c.rule, c.fails);
    } catch (const AutomationError& failure) {
      thrown = failure.number;
    }
    SCOPED_TRACE(c.number);
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.errorNumber, c.number);
    EXPECT_EQ(platform.beeps, c.beeps);
    if (c.box) {
      EXPECT_FALSE(thrown);
      ASSERT_EQ(platform.boxes.size(), 1u);
      EXPECT_EQ(platform.boxes[0], *c.box);
    } else {
      EXPECT_EQ(thrown, c.number);
      EXPECT_TRUE(platform.boxes.empty());
    }
  }
}

TEST(Identity, DispatchIdentifiersAreUniqueAndInTableOrder) {
  std::set<uint32_t> ids;
  for (const MemberIdentity& member : kMembers) EXPECT_TRUE(ids.insert(member.dispatchId).second);
  EXPECT_EQ(std::string(kProgId), std::string(kTypeLibraryName) + "." + kClassName);
  EXPECT_EQ(std::size(kMembers), 12u);
}

}  // namespace
}  // namespace viruzedi
