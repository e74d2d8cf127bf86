#include "base/LineReceiver.h"

#include <gtest/gtest.h>

#include <vector>

namespace viruzedi {
namespace {

TEST(LineReceiver, AssemblesLinesEndedByLfCr) {
  struct Case {
    const char* name;
    std::vector<std::string> events;  // what each receive event brought
    std::string line;                 // the receiver's fields afterwards
    std::string buffer;
    bool ready;
  };
  const Case cases[] = {
      {"line over two events", {"XYZ", "\n\r"}, "XYZ", "", true},
      {"terminator alone", {"\n\r"}, "", "", true},
      {"terminator split over two events", {"AB\n", "\r"}, "AB", "", true},
      {"CR LF never ends a line", {"A\r\n", "B"}, "", "A\r\nB", false},
      {"only the end of the buffer counts", {"A\n\rB\n\r"}, "A\n\rB", "", true},
      {"characters after a terminator keep the line open", {"A\n\rB"}, "", "A\n\rB", false},
      {"... until the line ends", {"A\n\rB", "\n\r"}, "A\n\rB", "", true},
      {"a later line replaces a ready one", {"A\n\r", "B\n\r"}, "B", "", true},
      {"a ready line stays while the next collects", {"A\n\r", "B"}, "A", "B", true},
      {"NUL is a character like any other", {std::string("\0\n\r", 3)}, std::string(1, '\0'), "", true},
  };
  for (const Case& c : cases) {
    std::string buffer, line;
    bool ready = false;
    for (const std::string& input : c.events) AppendReceived(buffer, line, ready, input);
    EXPECT_EQ(line, c.line) << c.name;
    EXPECT_EQ(buffer, c.buffer) << c.name;
    EXPECT_EQ(ready, c.ready) << c.name;
  }
}

TEST(LineReceiver, KeepsNoLineLongerThanItsLimit) {
  const std::string longest(kMaxReceivedLine, 'X');
  struct Case {
    const char* name;
    std::vector<std::string> events;
    bool taken;          // what the last event returned
    std::string buffer;  // the receiver's buffer afterwards
    bool ready;
  };
  const Case cases[] = {
      {"the longest line, ended", {longest, "\n\r"}, true, "", true},
      {"the longest line with its terminator coming", {longest + "\n"}, true, longest + "\n", false},
      {"one character more, ended", {longest, "Y\n\r"}, false, "", false},
      {"one character more, not ended", {longest, "Y"}, false, "", false},
      {"a flood in small events", std::vector<std::string>(5000, "X"), false, "", false},
      {"CR LF does not end a line, and does not let it grow", {longest, "\r\n"}, false, "", false},
  };
  for (const Case& c : cases) {
    std::string buffer, line = "earlier";
    bool ready = false;
    bool taken = true;
    for (const std::string& input : c.events) {
      taken = AppendReceived(buffer, line, ready, input);
      if (!taken) break;
    }
    EXPECT_EQ(taken, c.taken) << c.name;
    EXPECT_EQ(buffer, c.buffer) << c.name;
    EXPECT_EQ(ready, c.ready) << c.name;
    EXPECT_EQ(line, c.ready ? longest : "earlier") << c.name;
  }
}

}  // namespace
}  // namespace viruzedi
