#include "viruzedi/Viruzedi.h"

#include <gtest/gtest.h>

#include <set>

#include "operation/ErrorReport.h"
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

TEST(Viruzedi, GeneralErrorBoxCarriesDescriptionAndNumber) {
  testing::TestPlatform platform;
  try {
    RaiseError(kTypeMismatch);
  } catch (...) {
    ShowGeneralError(platform);
  }
  try {
    throw std::runtime_error("boom");
  } catch (...) {
    ShowGeneralError(platform);
  }
  ASSERT_EQ(platform.boxes.size(), 2u);
  EXPECT_EQ(platform.boxes[0], (testing::ShownBox{"Tipo non corrispondente", 16, "13"}));
  EXPECT_EQ(platform.boxes[1].caption, "51");
}

TEST(Identity, DispatchIdentifiersAreUniqueAndInTableOrder) {
  std::set<uint32_t> ids;
  for (const MemberIdentity& member : kMembers) EXPECT_TRUE(ids.insert(member.dispatchId).second);
  EXPECT_EQ(std::string(kProgId), std::string(kTypeLibraryName) + "." + kClassName);
  EXPECT_EQ(std::size(kMembers), 12u);
}

}  // namespace
}  // namespace viruzedi
