// The object's receive handler: which events of the serial-port control it
// takes. Our port raises receive events only, so the other events come from
// a stand-in port.
#include <gtest/gtest.h>

#include <utility>

#include "tests/serial/PenTestSupport.h"

namespace viruzedi::testing {
namespace {

class EventPort : public SerialPort {
 public:
  void SetPortOpen(bool) override {}
  bool PortOpen() const override { return true; }
  std::string Input() override { return std::exchange(waiting, ""); }
  void Output(const std::string&) override {}
  int CommEvent() const override { return event; }
  void WaitForEvents(MonotonicTime) override {}

  int event = kComEvReceive;
  std::string waiting;
};

class EventPlatform : public TestPlatform {
 public:
  std::unique_ptr<SerialPort> CreateSerialPort() override {
    auto port = std::make_unique<EventPort>();
    created = port.get();
    return port;
  }
  EventPort* created = nullptr;
};

TEST(ReceiveEvents, OnlyReceiveEventsTouchTheReceiver) {
  auto platform = std::make_shared<EventPlatform>();
  Viruzedi object(platform);
  EventPort& port = *platform->created;
  ViruzediInternals::BufferRicezione(object) = "AB";
  ViruzediInternals::UltimaRiga(object) = "prima";

  // Send threshold, a line-state change (CTS), an error (receive overflow).
  for (int event : {int{kComEvSend}, 3, 1006}) {
    port.event = event;
    port.waiting = "\n\r";
    ViruzediInternals::OnComm(object);
    EXPECT_EQ(ViruzediInternals::BufferRicezione(object), "AB") << event;
    EXPECT_EQ(ViruzediInternals::UltimaRiga(object), "prima") << event;
    EXPECT_FALSE(ViruzediInternals::RigaCompleta(object)) << event;
  }

  port.event = kComEvReceive;
  ViruzediInternals::OnComm(object);
  EXPECT_EQ(ViruzediInternals::UltimaRiga(object), "AB");
  EXPECT_EQ(ViruzediInternals::BufferRicezione(object), "");
  EXPECT_TRUE(ViruzediInternals::RigaCompleta(object));
}

}  // namespace
}  // namespace viruzedi::testing
