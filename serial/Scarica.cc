// The pen download: asks the reader for one read at a time and stores each
// as a row of table Viruzedi, until the reader says that none is left.
#include <algorithm>
#include <chrono>
#include <memory>

#include "component/Conversions.h"
#include "component/Database.h"
#include "component/ErrorReport.h"
#include "component/Viruzedi.h"
#include "platform/SerialPort.h"
#include "serial/PenRead.h"
#include "serial/Texts.h"

namespace viruzedi {

namespace {

using namespace std::chrono_literals;

// The allowance for one answer, counted from its request.
constexpr auto kAnswerAllowance = 2s;
// How often the wait lets the host's pending events run while no character
// arrives; characters end a slice at once.
constexpr auto kEventSlice = 50ms;

// Waits until the receive handler marks a line complete, yielding to the host
// between slices. False when the allowance ran out first.
bool WaitForLine(Platform& platform, SerialPort& port, const bool& lineReady) {
  MonotonicTime deadline = platform.Now() + kAnswerAllowance;
  while (!lineReady) {
    platform.PumpEvents();
    MonotonicTime now = platform.Now();
    if (now >= deadline) return false;
    port.WaitForEvents(std::min(deadline, now + kEventSlice));
  }
  return true;
}

}  // namespace

Variant Viruzedi::Scarica() {
  OperationGuard guard(*this);
  Platform& platform = *platform_;
  // Released, never closed explicitly, when the call ends on any path.
  std::unique_ptr<Database> database;
  try {
    Seriale->CommPort = ToInteger(porta_);
    Seriale->SetPortOpen(true);
    UltimaRiga.clear();
    BufferRicezione.clear();
    RigaCompleta = false;
    // Only after the port: a busy port must not touch the database.
    database = DBEngine::Instance().OpenDatabase(dbPath_);

    while (!EqualsIgnoreCase(UltimaRiga, kNessunaLettura)) {
      Seriale->Output(kRichiestaLettura);
      if (!WaitForLine(platform, *Seriale, RigaCompleta)) {
        // Rows already stored stay; the port is closed once the person has
        // read the message.
        platform.MessageBox(kTestoTimeOut, kCritical, kTitoloTimeOut);
        Seriale->SetPortOpen(false);
        return {};
      }
      // The handler runs only inside the wait, so the line is not replaced
      // while it is cut and stored.
      if (!EqualsIgnoreCase(UltimaRiga, kNessunaLettura)) {
        PenRead read = CutPenRead(UltimaRiga);
        database->Execute(PenReadStatement(read));
      }
      RigaCompleta = false;
    }
    Seriale->SetPortOpen(false);
  } catch (...) {
    AutomationError failure = CurrentFailure();
    Seriale->SetPortOpen(false);
    platform.Beep();
    platform.MessageBox(failure.number == kPortAlreadyOpen ? std::string(kTestoPortaOccupata)
                                                           : failure.description,
                        kCritical, kTitoloErrore + std::to_string(failure.number));
  }
  return {};
}

}  // namespace viruzedi
