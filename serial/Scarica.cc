// The pen download: asks the reader for one read at a time and stores each
// as a row of table Viruzedi, until the reader says that none is left.
#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "base/Conversions.h"
#include "base/Fingerprint.h"
#include "database/Database.h"
#include "operation/ErrorReport.h"
#include "platform/SerialPort.h"
#include "serial/PenOperations.h"
#include "serial/PenLedger.h"
#include "serial/PenRead.h"
#include "serial/PenRecovery.h"
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

void ScaricaPenna(Operation& operation, PenReceiver& pen) {
  Platform& platform = operation.platform;
  OperationOutcome& outcome = operation.outcome;
  SerialPort& Seriale = *pen.Seriale;
  std::string& BufferRicezione = pen.BufferRicezione;
  std::string& UltimaRiga = pen.UltimaRiga;
  bool& RigaCompleta = pen.RigaCompleta;
  // Released, never closed explicitly, when the call ends on any path.
  std::unique_ptr<Database> database;
  // What the pen has sent and forgotten while no row holds it yet: the read
  // being stored, or the characters an overflow dropped. A failure puts it
  // in the recovery file.
  std::string unstored;
  bool holdsUnstored = false;
  std::string unstoredKey;  // a read whose commit nobody could confirm
  PenLedger ledger(platform, operation.porta);
  pen.caratteriScartati.clear();
  auto noteRows = [&] { outcome.rowsRefused = database ? database->RowsRefused() : 0; };
  try {
    Seriale.CommPort = ToInteger(operation.porta);
    Seriale.SetPortOpen(true);
    UltimaRiga.clear();
    BufferRicezione.clear();
    RigaCompleta = false;
    // Only after the port: a busy port must not touch the database. Before
    // the first request: a wrong database must not cost the pen a read.
    database = DBEngine::Instance().OpenDatabase(operation.dbPath, operation.dbSettings);
    database->CheckWritable(kTabellaLetture, std::vector<std::string>(std::begin(kColonneLetture),
                                                                      std::end(kColonneLetture)));
    ledger.Prepare(*database);
    outcome.ledgerMissing = !ledger.available();
    ledger.SettleKeyedLines(*database);

    while (!EqualsIgnoreCase(UltimaRiga, kNessunaLettura)) {
      // The only safe point: here every read taken so far is stored.
      StopIfRequested(platform);
      Seriale.Output(kRichiestaLettura);
      if (!WaitForLine(platform, Seriale, RigaCompleta)) {
        // Characters of an answer cut short are kept; rows already stored
        // stay; the port is closed once the person has read the message.
        std::string saved;
        if (!BufferRicezione.empty()) saved = SalvaNonSalvate(platform, BufferRicezione);
        BufferRicezione.clear();
        operation.NoteFailure();
        noteRows();
        platform.MessageBox(WithSentence(kTestoTimeOut, saved), kCritical, kTitoloTimeOut);
        Seriale.SetPortOpen(false);
        return;
      }
      // The handler runs only inside the wait, so the line is not replaced
      // while it is cut and stored.
      if (!EqualsIgnoreCase(UltimaRiga, kNessunaLettura)) {
        unstored = UltimaRiga;
        holdsUnstored = true;
        PenRead read = CutPenRead(UltimaRiga);
        // The read and the entry's new key commit together: the key then
        // tells whether a commit whose answer was lost stored the read.
        const std::string key = RandomKey();
        Transaction transaction(*database);
        database->InsertRow(PenReadRow(read));
        ledger.Record(*database, key);
        try {
          transaction.Commit();
        } catch (const AutomationError& failure) {
          // The connection went during COMMIT: the server may have
          // committed. The recovery file gets the read only when it did
          // not; when nobody can say, with its key, for the next download
          // to settle.
          if (failure.number == kDbConnectionLost) {
            std::optional<bool> committed = ledger.CommittedAfterAll(*database, key);
            if (committed == true) holdsUnstored = false;
            if (!committed) unstoredKey = key;
          }
          throw;
        }
        holdsUnstored = false;
        ledger.Committed(*database);
      }
      RigaCompleta = false;
    }
    noteRows();
    Seriale.SetPortOpen(false);
  } catch (...) {
    // Settled before the person reads of the failure, which the operation's
    // boundary shows: the port closed, a read the pen forgot kept.
    const AutomationError failure = CurrentFailure();
    Seriale.SetPortOpen(false);
    std::string saved;
    if (failure.number == kReceiveOverflow) unstored = std::move(pen.caratteriScartati);
    if (holdsUnstored || failure.number == kReceiveOverflow) {
      saved = SalvaNonSalvate(platform,
                              unstoredKey.empty() ? unstored : KeyedLine(unstored, unstoredKey));
    }
    noteRows();
    AutomationError told(failure.number,
                         WithSentence(failure.number == kPortAlreadyOpen
                                          ? std::string(kTestoPortaOccupata)
                                          : failure.description,
                                      saved));
    told.detail = failure.detail;
    throw told;
  }
}

}  // namespace viruzedi
