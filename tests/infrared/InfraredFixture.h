// Shared pieces of the infrared tests: a scripted link library on the fake
// clock, a platform that hands out either it or the real library, and a
// real target database in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/InfraredLibrary.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {

using namespace std::chrono_literals;

// A link library whose reader follows a script: each read takes the next
// scripted reply (and advances the fake clock by the time it takes); when
// the script is used up, every read waits 1.5 s and brings nothing, as the
// real library does with a silent reader.
class FakeInfraredLibrary : public InfraredLibrary {
 public:
  struct Read {
    std::string reply;  // "" = nothing arrives, the buffer stays untouched
    std::chrono::milliseconds takes{0};
  };
  struct Call {
    std::string what;  // "open P B", "write TEXT", "read", "close"
    std::chrono::milliseconds at;  // fake time since the platform was made
  };

  explicit FakeInfraredLibrary(TestPlatform& platform);

  int32_t vbOpenIrCom(int32_t port, int32_t baud) override;
  void WriteIrCom(const std::string& text) override;
  void vbReadIrCom(std::string& buffer) override;
  void CloseIrCom() override;

  // The texts written, in order, exactly as given.
  std::vector<std::string> Commands() const;
  // When the first call whose text is `what` happened; -1 ms when none.
  std::chrono::milliseconds TimeOf(const std::string& what) const;
  int Count(const std::string& what) const;
  // Position of the first call whose text is `what` among all; -1 when none.
  int IndexOf(const std::string& what) const;
  // Records an event of the platform (a message box) among the calls.
  void Note(const std::string& what) { calls.push_back({what, Elapsed()}); }

  int32_t openResult = 1;
  std::deque<Read> reads;
  // Called with each text written, before it is recorded.
  std::function<void(const std::string&)> onWrite;
  std::vector<Call> calls;

 private:
  std::chrono::milliseconds Elapsed() const;
  TestPlatform& platform_;
  MonotonicTime start_;
};

class InfraredPlatform : public TestPlatform {
 public:
  // The fake when one is set, else the real library at InfraredLibraryPath().
  InfraredLibrary& Infrared() override;
  // Boxes are noted among the fake's calls too ("box TEXT"), to see what
  // came first.
  void MessageBox(const std::string& text, int style, const std::string& caption) override;
  std::unique_ptr<FakeInfraredLibrary> fake;
};

class InfraredTest : public ::testing::Test {
 protected:
  InfraredTest();

  // Uses the fake library on the fake clock, with the given open result.
  FakeInfraredLibrary& UseFakeLibrary(int32_t openResult = 1);
  // A new platform and a new empty database, for the next case of a table.
  void StartOver();
  // Runs Scarica1 on port `porta` against the test's database.
  void RunScarica1(int32_t porta = 2);
  // Rows of table Viruzedi as "Codart|IdLotto|Quantità|Data|Rep".
  std::vector<std::string> Rows() const;
  // How many rows the database file itself holds, leaving out what is
  // committed only to its write-ahead log.
  int RowsInTheFileItself() const;
  std::string Marker() const { return ReadFile(letture + "/TEMPFOX.TMP"); }
  bool MarkerExists() const;

  TemporaryFolder temporary;
  std::string letture = temporary / "_Letture";
  std::string database = temporary / "magazzino.db";
  std::shared_ptr<InfraredPlatform> platform = std::make_shared<InfraredPlatform>();
};

// Message boxes of the download.
inline const ShownBox kOpenFailureBox{"Errore appertura porta, rilanciare scarico", 0, ""};
inline const ShownBox kHandshakeTimeoutBox{"Errore timeout, rilanciare lo scarico", 16, ""};
inline const ShownBox kTimeoutBox{"Errore timeout, rilanciare scarico", 0, ""};
inline const ShownBox kBadCodeBox{
    "E' stato trovato un codice errato. Il programma continuerà a scaricare il rimanente "
    "del contenuto.",
    16, ""};

}  // namespace viruzedi::testing
