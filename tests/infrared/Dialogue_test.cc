// The dialogue with the reader, through Scarica1 with a scripted link
// library on the fake clock and a real target database.
#include <filesystem>

#include "tests/infrared/InfraredFixture.h"

namespace viruzedi::testing {
namespace {

using Read = FakeInfraredLibrary::Read;
using Strings = std::vector<std::string>;

const std::string kRecordA7 = "#A7$12;1.5;20261206;3;";
const std::string kRowA7 = "#A7|12|1.5|2026-12-06|3";
const std::string kRecordA1 = "#A1$5;2;20260131;7;";
const std::string kRowA1 = "#A1|5|2.0|2026-01-31|7";

TEST_F(InfraredTest, TransfersTwoRecordsAndErasesTheReaderAfterEof) {
  FakeInfraredLibrary& link = UseFakeLibrary();
  link.reads = {{"ACK"}, {kRecordA7}, {kRecordA1}, {"EOF"}};
  RunScarica1(2);

  EXPECT_EQ(link.calls.front().what, "open 2 38400");
  EXPECT_EQ(link.Commands(),
            (Strings{"LEGGI1\r", "SEGUE 0\r", "SEGUE 1\r", "SEGUE 2\r", "ELIMINA\r"}));
  EXPECT_EQ(link.Commands()[1], std::string("\x53\x45\x47\x55\x45\x20\x30\x0D"));
  EXPECT_EQ(link.calls.back().what, "close");
  EXPECT_EQ(link.Count("close"), 1);
  // The handshake starts after the open pause; the erase comes a pause after "EOF".
  EXPECT_EQ(link.TimeOf("write LEGGI1\r"), 500ms);
  EXPECT_GE(link.TimeOf("write ELIMINA\r") - link.TimeOf("write SEGUE 2\r"), 500ms);
  EXPECT_EQ(Rows(), (Strings{kRowA7, kRowA1}));
  EXPECT_TRUE(platform->boxes.empty());
  EXPECT_FALSE(MarkerExists());
  EXPECT_TRUE(std::filesystem::is_directory(letture));
}

TEST_F(InfraredTest, RowsAreDurableBeforeTheReaderIsToldToErase) {
  FakeInfraredLibrary& link = UseFakeLibrary();
  link.reads = {{"ACK"}, {kRecordA7}, {kRecordA1}, {"EOF"}};
  int durableRowsAtErase = -1;
  link.onWrite = [&](const std::string& text) {
    if (text == "ELIMINA\r") durableRowsAtErase = RowsInTheFileItself();
  };
  RunScarica1();
  EXPECT_EQ(durableRowsAtErase, 2);
}

TEST_F(InfraredTest, AcceptsAcknowledgementAndEndOfDataInLowerCase) {
  FakeInfraredLibrary& link = UseFakeLibrary();
  link.reads = {{"ack"}, {kRecordA7}, {"eof"}};
  RunScarica1();
  EXPECT_EQ(link.Commands(), (Strings{"LEGGI1\r", "SEGUE 0\r", "SEGUE 1\r", "ELIMINA\r"}));
  EXPECT_EQ(Rows(), (Strings{kRowA7}));
  EXPECT_TRUE(platform->boxes.empty());
}

TEST_F(InfraredTest, LinkResultOtherThanOneSkipsTheHandshake) {
  FakeInfraredLibrary& link = UseFakeLibrary(2);
  link.reads = {{"EOF"}};
  RunScarica1();
  EXPECT_EQ(link.Commands(), (Strings{"SEGUE 0\r", "ELIMINA\r"}));
  EXPECT_EQ(link.TimeOf("write SEGUE 0\r"), 500ms);
  EXPECT_EQ(link.Count("close"), 1);
}

TEST_F(InfraredTest, OpenFailurePausesThenReportsAndMarksWithoutClosing) {
  FakeInfraredLibrary& link = UseFakeLibrary(0);
  RunScarica1();
  EXPECT_TRUE(link.Commands().empty());
  EXPECT_EQ(link.Count("close"), 0);
  EXPECT_EQ(link.TimeOf("box " + kOpenFailureBox.text), 500ms);
  EXPECT_EQ(platform->boxes, (std::vector<ShownBox>{kOpenFailureBox}));
  EXPECT_EQ(Marker(), "KO\r\n");
}

TEST_F(InfraredTest, EndOfDataAtTheFirstRequestErasesWithoutRowsOrMessages) {
  FakeInfraredLibrary& link = UseFakeLibrary();
  link.reads = {{"ACK"}, {"EOF"}};
  RunScarica1();
  EXPECT_EQ(link.Commands(), (Strings{"LEGGI1\r", "SEGUE 0\r", "ELIMINA\r"}));
  EXPECT_TRUE(Rows().empty());
  EXPECT_TRUE(platform->boxes.empty());
  EXPECT_FALSE(MarkerExists());
}

// A reply after the resend point is asked for once more unless its second
// character is "9"; a record reply is imported either way.
TEST_F(InfraredTest, LateRecordReplyIsAskedForAgainUnlessMarkedWithNine) {
  struct Case {
    std::string record;
    std::chrono::milliseconds takes;
    Strings commands;
    std::string row;
  } cases[] = {
      {kRecordA7, 1200ms, {"LEGGI1\r", "SEGUE 0\r", "RIPROVA 0\r", "SEGUE 1\r", "ELIMINA\r"}, kRowA7},
      {"#9X$1;1;20260101;1;", 1200ms, {"LEGGI1\r", "SEGUE 0\r", "SEGUE 1\r", "ELIMINA\r"},
       "#9X|1|1.0|2026-01-01|1"},
      {kRecordA7, 900ms, {"LEGGI1\r", "SEGUE 0\r", "SEGUE 1\r", "ELIMINA\r"}, kRowA7},
  };
  for (const Case& c : cases) {
    StartOver();
    FakeInfraredLibrary& link = UseFakeLibrary();
    link.reads = {{"ACK"}, {c.record, c.takes}, {"EOF"}};
    RunScarica1();
    EXPECT_EQ(link.Commands(), c.commands) << c.record << " after " << c.takes.count();
    EXPECT_EQ(Rows(), Strings{c.row});
    EXPECT_TRUE(platform->boxes.empty());
  }
}

TEST_F(InfraredTest, ReplyThatIsNoRecordEndsInTheRecordTimeoutTwoSecondsAfterTheRequest) {
  FakeInfraredLibrary& link = UseFakeLibrary();
  link.reads = {{"ACK"}, {"XQZ"}};
  RunScarica1();
  EXPECT_EQ(link.Commands(), (Strings{"LEGGI1\r", "SEGUE 0\r"}));
  auto waited = link.TimeOf("close") - link.TimeOf("write SEGUE 0\r");
  EXPECT_GT(waited, 2000ms);
  EXPECT_LE(waited, 2020ms);
  EXPECT_LT(link.IndexOf("close"), link.IndexOf("box " + kTimeoutBox.text));
  EXPECT_EQ(platform->boxes, (std::vector<ShownBox>{kTimeoutBox}));
  EXPECT_EQ(Marker(), "KO\r\n");
}

TEST_F(InfraredTest, LateReplyThatIsNoRecordTimesOutTwoSecondsAfterTheRiprova) {
  FakeInfraredLibrary& link = UseFakeLibrary();
  link.reads = {{"ACK"}, {"XQZ", 1200ms}};  // and nothing in answer to "RIPROVA"
  RunScarica1();
  EXPECT_EQ(link.Commands(), (Strings{"LEGGI1\r", "SEGUE 0\r", "RIPROVA 0\r"}));
  EXPECT_EQ(link.TimeOf("write RIPROVA 0\r") - link.TimeOf("write SEGUE 0\r"), 1200ms);
  auto waited = link.TimeOf("close") - link.TimeOf("write RIPROVA 0\r");
  EXPECT_GT(waited, 2000ms);
  EXPECT_LE(waited, 2020ms);
  EXPECT_EQ(platform->boxes, (std::vector<ShownBox>{kTimeoutBox}));
  EXPECT_EQ(Marker(), "KO\r\n");
}

TEST_F(InfraredTest, AnswerToRiprovaStandsForAGarbledReply) {
  FakeInfraredLibrary& link = UseFakeLibrary();
  link.reads = {{"ACK"}, {"XQZ", 1200ms}, {kRecordA7}, {"EOF"}};
  RunScarica1();
  EXPECT_EQ(link.Commands(),
            (Strings{"LEGGI1\r", "SEGUE 0\r", "RIPROVA 0\r", "SEGUE 1\r", "ELIMINA\r"}));
  EXPECT_EQ(Rows(), Strings{kRowA7});
  EXPECT_TRUE(platform->boxes.empty());
}

// The reader keeps every record for the relaunch the message asks for, so
// the download stores none of them.
TEST_F(InfraredTest, NoReplyToARequestEndsAtOnceInTheTimeoutWithoutRows) {
  FakeInfraredLibrary& link = UseFakeLibrary();
  link.reads = {{"ACK"}, {kRecordA7}};  // then nothing: each read waits 1.5 s
  RunScarica1();
  EXPECT_EQ(link.Commands(), (Strings{"LEGGI1\r", "SEGUE 0\r", "SEGUE 1\r"}));
  EXPECT_EQ(link.TimeOf("close") - link.TimeOf("write SEGUE 1\r"), 1500ms);
  EXPECT_TRUE(Rows().empty());
  EXPECT_EQ(platform->boxes, (std::vector<ShownBox>{kTimeoutBox}));
  EXPECT_EQ(Marker(), "KO\r\n");
}

TEST_F(InfraredTest, BadCodeIsCountedAndTheDownloadGoesOn) {
  FakeInfraredLibrary& link = UseFakeLibrary();
  link.reads = {{"ACK"}, {kRecordA7}, {"#SENZALOTTO;1;20261206;1;"}, {kRecordA1}, {"EOF"}};
  RunScarica1();
  EXPECT_EQ(link.Commands(), (Strings{"LEGGI1\r", "SEGUE 0\r", "SEGUE 1\r", "SEGUE 2\r",
                                      "SEGUE 3\r", "ELIMINA\r"}));
  EXPECT_EQ(platform->boxes, (std::vector<ShownBox>{kBadCodeBox}));
  EXPECT_EQ(Rows(), (Strings{kRowA7, kRowA1}));
  EXPECT_FALSE(MarkerExists());
}

TEST_F(InfraredTest, CounterTextHasOneSpaceBeforeEveryDigitOfIt) {
  FakeInfraredLibrary& link = UseFakeLibrary();
  link.reads = {{"ACK"}};
  for (int i = 0; i < 12; ++i) link.reads.push_back({kRecordA7});
  link.reads.push_back({kRecordA1, 1100ms});
  link.reads.push_back({"EOF"});
  RunScarica1();
  Strings commands = link.Commands();
  ASSERT_EQ(commands.size(), 17u);
  EXPECT_EQ(commands[12], "SEGUE 11\r");
  EXPECT_EQ(commands[13], "SEGUE 12\r");
  EXPECT_EQ(commands[14], "RIPROVA 12\r");
  EXPECT_EQ(commands[15], "SEGUE 13\r");
  EXPECT_EQ(Rows().size(), 13u);
}

TEST_F(InfraredTest, HandshakeRepeatsLeggiAfterTheFirstSecondOnEveryPass) {
  FakeInfraredLibrary& link = UseFakeLibrary();
  link.reads = {{""}, {""}, {"ACK"}, {"EOF"}};
  RunScarica1();
  EXPECT_EQ(link.Commands(),
            (Strings{"LEGGI1\r", "LEGGI1\r", "LEGGI1\r", "SEGUE 0\r", "ELIMINA\r"}));
  std::vector<std::chrono::milliseconds> sent;
  for (const auto& call : link.calls) {
    if (call.what == "write LEGGI1\r") sent.push_back(call.at);
  }
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_GT(sent[1] - sent[0], 1000ms);
  EXPECT_LE(sent[1] - sent[0], 1010ms);
  EXPECT_LE(sent[2] - sent[1], 10ms);
  EXPECT_TRUE(platform->boxes.empty());
}

TEST_F(InfraredTest, HandshakeWithoutAcknowledgementTimesOutWithoutMarker) {
  FakeInfraredLibrary& link = UseFakeLibrary();  // every read: nothing after 1.5 s
  RunScarica1();
  EXPECT_EQ(link.Commands(), (Strings{"LEGGI1\r", "LEGGI1\r"}));
  EXPECT_LT(link.IndexOf("close"), link.IndexOf("box " + kHandshakeTimeoutBox.text));
  EXPECT_EQ(platform->boxes, (std::vector<ShownBox>{kHandshakeTimeoutBox}));
  EXPECT_FALSE(MarkerExists());
}

TEST_F(InfraredTest, EveryWaitYieldsToTheHost) {
  FakeInfraredLibrary& link = UseFakeLibrary();
  link.reads = {{"ACK"}, {"XQZ"}};
  RunScarica1();
  // The open pause and the two-second wait, in passes of 10 ms at most.
  EXPECT_GE(platform->pumps, 250);
}

}  // namespace
}  // namespace viruzedi::testing
